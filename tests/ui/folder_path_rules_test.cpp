// The rules of folder paths in the folder picker and the create-folder dialog.

#include "ui/common/folder_path_rules.h"

#include <gtest/gtest.h>

#include "os/errors.h"
#include "os/sim/sim_machine.h"

namespace ui {
namespace {

TEST(FolderPathRules, ADriveRootKeepsItsBackslashAndFoldersLoseTheirs) {
    EXPECT_EQ(FolderWithoutTrailingBackslash("C:\\"), "C:\\");
    EXPECT_EQ(FolderWithoutTrailingBackslash("C:"), "C:\\");
    EXPECT_EQ(FolderWithoutTrailingBackslash("d:\\\\"), "d:\\");
    EXPECT_EQ(FolderWithoutTrailingBackslash("C:\\Data\\Work\\\\"), "C:\\Data\\Work");
    EXPECT_EQ(FolderWithoutTrailingBackslash("C:\\Data"), "C:\\Data");
    EXPECT_EQ(FolderWithoutTrailingBackslash("\\\\server\\share\\"), "\\\\server\\share");
}

TEST(FolderPathRules, TheSameFolderOnAnotherDriveIsFoundWhateverItsCase) {
    const std::vector<std::string> listed = {"C:\\Data", "E:\\Fotos\\2026"};
    EXPECT_TRUE(IsSameFolderElsewhere(listed, "D:\\Data"));
    EXPECT_TRUE(IsSameFolderElsewhere(listed, "d:\\DATA\\"));
    EXPECT_TRUE(IsSameFolderElsewhere(listed, "C:\\fotos\\2026"));
    EXPECT_FALSE(IsSameFolderElsewhere(listed, "C:\\Data"));  // the same drive: the same folder
    EXPECT_FALSE(IsSameFolderElsewhere(listed, "c:\\data"));
    EXPECT_FALSE(IsSameFolderElsewhere(listed, "D:\\Data2"));
    EXPECT_FALSE(IsSameFolderElsewhere({}, "D:\\Data"));
    // Two roots go to the same place on the backup disk.
    EXPECT_TRUE(IsSameFolderElsewhere({"C:\\"}, "D:\\"));
    // Names in any script compare without case.
    EXPECT_TRUE(IsSameFolderElsewhere({"C:\\\xC3\x84pfel"}, "D:\\\xC3\xA4PFEL"));

    EXPECT_TRUE(ListsFolder(listed, "c:\\data\\"));
    EXPECT_FALSE(ListsFolder(listed, "D:\\Data"));
}

TEST(FolderPathRules, TypedPathsThatCannotBeFoldersSayWhy) {
    using P = FolderPathProblem;
    EXPECT_EQ(CheckNewFolderPath("C:\\Data\\New"), P::None);
    EXPECT_EQ(CheckNewFolderPath("C:\\Data\\New\\"), P::None);
    EXPECT_EQ(CheckNewFolderPath("C:\\"), P::None);
    EXPECT_EQ(CheckNewFolderPath("C:\\Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC"), P::None);
    EXPECT_EQ(CheckNewFolderPath(std::string("C:\\") + std::string(300, 'x')), P::None);
    EXPECT_EQ(CheckNewFolderPath(""), P::Empty);
    EXPECT_EQ(CheckNewFolderPath("Data"), P::NotOnADrive);
    EXPECT_EQ(CheckNewFolderPath("C:Data"), P::NotOnADrive);
    EXPECT_EQ(CheckNewFolderPath("\\\\server\\share\\x"), P::NotOnADrive);
    EXPECT_EQ(CheckNewFolderPath("1:\\Data"), P::NotOnADrive);
    EXPECT_EQ(CheckNewFolderPath("C:\\New\\\\Sub"), P::DoubleBackslash);
    for (const char* name : {"CON", "nul", "Aux.txt", "COM1", "lpt9", "prn", "con.tar.gz"}) {
        EXPECT_EQ(CheckNewFolderPath(std::string("C:\\Data\\") + name), P::ReservedName) << name;
    }
    for (const char* name : {"CONSOLE", "COM0", "LPT10", "NULL", "auxiliary"}) {
        EXPECT_EQ(CheckNewFolderPath(std::string("C:\\Data\\") + name), P::None) << name;
    }
    for (const char* name : {"a<b", "a>b", "a:b", "a\"b", "a/b", "a|b", "a?b", "a*b", "a\tb"}) {
        EXPECT_EQ(CheckNewFolderPath(std::string("C:\\") + name), P::ForbiddenCharacter) << name;
    }
    EXPECT_EQ(CheckNewFolderPath("C:\\Data.\\x"), P::TrailingDotOrSpace);
    EXPECT_EQ(CheckNewFolderPath("C:\\Data \\x"), P::TrailingDotOrSpace);
    EXPECT_EQ(CheckNewFolderPath("C:\\Data\\.."), P::TrailingDotOrSpace);
    EXPECT_EQ(CheckNewFolderPath("C:\\.config"), P::None);
}

TEST(FolderPathRules, CreatingAFolderCreatesItsMissingParentsAndTakesAnExistingOne) {
    os::sim::SimMachine sim;
    os::FileSystem& files = sim.machine().files;
    ASSERT_EQ(sim.files().PutFile("C:\\Data\\file", "x"), 0u);

    EXPECT_EQ(CreateFolderPath(files, "C:\\Data\\A\\B\\C"), os::kErrorSuccess);
    uint32_t attributes = 0;
    ASSERT_EQ(files.GetAttributes("C:\\Data\\A\\B\\C", attributes), 0u);
    EXPECT_NE(attributes & os::kAttributeDirectory, 0u);
    EXPECT_EQ(CreateFolderPath(files, "C:\\Data\\A\\B\\C\\"), os::kErrorSuccess);
    EXPECT_EQ(CreateFolderPath(files, "C:\\"), os::kErrorSuccess);

    // A file in the way, at the end or on the way.
    EXPECT_EQ(CreateFolderPath(files, "C:\\Data\\file"), os::kErrorAlreadyExists);
    EXPECT_EQ(CreateFolderPath(files, "C:\\Data\\file\\below"), os::kErrorAlreadyExists);
    // A drive that is not there.
    EXPECT_NE(CreateFolderPath(files, "Q:\\New"), os::kErrorSuccess);
    EXPECT_NE(files.GetAttributes("Q:\\New", attributes), 0u);
}

}  // namespace
}  // namespace ui
