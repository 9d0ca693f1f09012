#include "os/text.h"

#include <gtest/gtest.h>

namespace os {
namespace {

TEST(Text, Utf16RoundTripKeepsEveryScriptAndLoneSurrogates) {
    const std::string mixed = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80";  // a é 日 😀
    const std::u16string wide = ToUtf16(mixed);
    EXPECT_EQ(wide.size(), 5u);
    EXPECT_EQ(FromUtf16(wide), mixed);
    const std::u16string lone = {u'x', char16_t(0xD800), u'y'};
    const std::string narrow = FromUtf16(lone);
    EXPECT_TRUE(IsWellFormed(narrow));
    EXPECT_EQ(ToUtf16(narrow), lone);
    EXPECT_EQ(Utf16Length(mixed), 5u);
}

TEST(Text, InvalidBytesAreNotWellFormedAndBecomeReplacementCharacters) {
    EXPECT_FALSE(IsWellFormed("\xFF"));
    EXPECT_FALSE(IsWellFormed("\xC0\x80"));  // overlong NUL
    EXPECT_FALSE(IsWellFormed("\xE6\x97"));  // cut short
    EXPECT_EQ(ToUtf16("a\xFF"), (std::u16string{u'a', char16_t(0xFFFD)}));
}

TEST(Text, CaseIsIgnoredInTheScriptsOfFileNames) {
    EXPECT_TRUE(EqualsIgnoreCase("Report.DOC", "report.doc"));
    EXPECT_TRUE(EqualsIgnoreCase("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"));  // été ÉTÉ
    EXPECT_TRUE(
        EqualsIgnoreCase("\xD0\xBC\xD0\xB8\xD1\x80", "\xD0\x9C\xD0\x98\xD0\xA0"));  // мир МИР
    EXPECT_TRUE(EqualsIgnoreCase("\xCE\xB1\xCF\x82", "\xCE\x91\xCE\xA3"));          // ας ΑΣ
    EXPECT_TRUE(
        EqualsIgnoreCase("\xC5\x82\xC3\xB3"
                         "d\xC5\xBA",
                         "\xC5\x81\xC3\x93"
                         "D\xC5\xB9"));  // łódź
    EXPECT_FALSE(EqualsIgnoreCase("abc", "abd"));
    EXPECT_FALSE(EqualsIgnoreCase("abc", "abcd"));
    EXPECT_LT(CompareIgnoreCase("apple", "Banana"), 0);
    EXPECT_GT(CompareIgnoreCase("b", "A"), 0);
}

}  // namespace
}  // namespace os
