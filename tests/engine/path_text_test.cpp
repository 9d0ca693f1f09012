#include "engine/path_text.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

TEST(PathText, TheFileNameFollowsTheLastSeparator) {
    EXPECT_EQ(GetFileNamePart("C:\\Docs\\a.txt"), "a.txt");
    EXPECT_EQ(GetFileNamePart("C:/Docs/b.txt"), "b.txt");
    EXPECT_EQ(GetFileNamePart("C:c.txt"), "c.txt");
    EXPECT_EQ(GetFileNamePart("plain"), "plain");
    EXPECT_EQ(GetFileNamePart("C:\\Docs\\"), "");
}

TEST(PathText, LongPathsKeepTheirFirstFolderAndAsMuchOfTheEndAsFits) {
    const std::string path = "C:\\Program Files\\Data\\Reports\\year.txt";
    ASSERT_EQ(path.size(), 38u);
    EXPECT_EQ(AbbreviatePath(path, 40, true), path);
    EXPECT_EQ(AbbreviatePath(path, 38, true), path);
    EXPECT_EQ(AbbreviatePath(path, 37, true), "C:\\Program Files\\...\\Reports\\year.txt");
    EXPECT_EQ(AbbreviatePath(path, 32, true), "C:\\Program Files\\...\\year.txt");
    EXPECT_EQ(AbbreviatePath(path, 25, true), "year.txt");
    EXPECT_EQ(AbbreviatePath(path, 5, true), "year.txt");
    EXPECT_EQ(AbbreviatePath(path, 5, false), "");
}

TEST(PathText, AFileInADriveRootThatDoesNotFitShowsItsName) {
    EXPECT_EQ(AbbreviatePath("C:\\abcdefgh.txt", 15, true), "C:\\abcdefgh.txt");
    EXPECT_EQ(AbbreviatePath("C:\\abcdefgh.txt", 14, true), "abcdefgh.txt");
}

TEST(PathText, NetworkPathsKeepTheirServerAndShare) {
    const std::string path = "\\\\server\\share\\projects\\2026\\plan.doc";
    EXPECT_EQ(AbbreviatePath(path, 30, true), "\\\\server\\share\\...\\plan.doc");
}

TEST(PathText, LengthsCountCharactersNotBytes) {
    // C:\Документы\Отчёты\2026\план.txt: 33 characters, far more bytes.
    const std::string path =
        "C:\\\xD0\x94\xD0\xBE\xD0\xBA\xD1\x83\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82\xD1\x8B\\"
        "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82\xD1\x8B\\2026\\\xD0\xBF\xD0\xBB\xD0\xB0\xD0\xBD."
        "txt";
    ASSERT_EQ(CharacterCount(path), 33u);
    EXPECT_EQ(AbbreviatePath(path, 33, true), path);
    const std::string shortened = AbbreviatePath(path, 30, true);
    EXPECT_EQ(
        shortened,
        "C:\\\xD0\x94\xD0\xBE\xD0\xBA\xD1\x83\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82\xD1\x8B\\...\\2026\\"
        "\xD0\xBF\xD0\xBB\xD0\xB0\xD0\xBD.txt");
    EXPECT_LE(CharacterCount(shortened), 30u);
}

}  // namespace
}  // namespace engine
