#include "framework/text_format.h"

#include <gtest/gtest.h>

namespace fw {
namespace {

TEST(FormatText, NumberedPlaceholdersTakeTheirArgument) {
    EXPECT_EQ(FormatText("This disk contains files from %1 to %2.", {"3/14/2026", "12/7/2026"}),
              "This disk contains files from 3/14/2026 to 12/7/2026.");
    EXPECT_EQ(FormatText("%2 before %1", {"a", "b"}), "b before a");
    EXPECT_EQ(FormatText("Free Space: %1 MB", {"??"}), "Free Space: ?? MB");
}

TEST(FormatText, PrintfPlaceholdersTakeTheArgumentsInOrder) {
    EXPECT_EQ(FormatText("%d/%d/%d", {"12", "7", "2026"}), "12/7/2026");
    EXPECT_EQ(FormatText("From '%s' to '%s'", {"Reports", "Reports"}),
              "From 'Reports' to 'Reports'");
}

TEST(FormatText, TextOfAnArgumentIsNotReadAsPlaceholders) {
    // A path with a percent sign in it stays as it is.
    EXPECT_EQ(FormatText("The file %1 exceeds", {"C:\\100%1 sure\\a.txt"}),
              "The file C:\\100%1 sure\\a.txt exceeds");
}

TEST(FormatText, MissingArgumentsAndLoneSignsAreHarmless) {
    EXPECT_EQ(FormatText("%1 and %3", {"one"}), "one and ");
    EXPECT_EQ(FormatText("100%% done, 50% left%", {}), "100% done, 50% left%");
}

TEST(ParseLeadingNumber, ReadsLikeAtol) {
    EXPECT_EQ(ParseLeadingNumber("150"), 150);
    EXPECT_EQ(ParseLeadingNumber("  -12abc"), -12);
    EXPECT_EQ(ParseLeadingNumber("+7"), 7);
    EXPECT_EQ(ParseLeadingNumber("abc"), 0);
    EXPECT_EQ(ParseLeadingNumber(""), 0);
    EXPECT_EQ(ParseLeadingNumber("- 5"), 0);
}

TEST(ParseLeadingNumber, HugeNumbersDoNotOverflow) {
    const int64_t value = ParseLeadingNumber("99999999999999999999999999999");
    EXPECT_GT(value, 999999);
}

}  // namespace
}  // namespace fw
