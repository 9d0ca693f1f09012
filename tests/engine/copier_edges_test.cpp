// The copier where the backup disk holds something the program did not put there (a folder under
// a file's name), and where its copy of a path comes from (network shares, bare names).

#include <gtest/gtest.h>

#include "engine/file_copier.h"
#include "os/errors.h"
#include "tests/engine/copier_fixture.h"

namespace engine::testing {
namespace {

TEST(BackupPaths, EachSourceHasItsPlaceUnderTheDestination) {
    EXPECT_EQ(BackupPathOf("F:", "C:\\Data\\a.doc"), "F:\\Data\\a.doc");
    EXPECT_EQ(BackupPathOf("F:", "\\\\server\\share\\Team\\a.doc"),
              "F:\\server\\share\\Team\\a.doc");
    EXPECT_EQ(BackupPathOf("F:\\Backup", "D:\\a.doc"), "F:\\Backup\\a.doc");
    // Not a drive path: what follows its first backslash, or the whole name.
    EXPECT_EQ(BackupPathOf("F:", "x\\y.doc"), "F:\\y.doc");
    EXPECT_EQ(BackupPathOf("F:", "y.doc"), "F:\\y.doc");
    EXPECT_EQ(BackupPathOf("F:", "y"), "F:\\y");
    EXPECT_EQ(BackupPathOf("F:", "\\y.doc"), "F:\\y.doc");
}

class CopierEdgesTest : public CopierTest {};

// Someone made a folder on the disk under the name of a file's copy. The folder and what it holds
// stay; the file is reported and stays due, and is copied once the folder is gone.
TEST_F(CopierEdgesTest, AFolderWhereTheCopyGoesIsLeftAloneAndTheFileStaysDue) {
    Put("C:\\Data\\Report.doc", "v1", At(10));
    ASSERT_EQ(sim().PutFile("F:\\Data\\Report.doc\\notes.txt", "the user's"), 0u);
    EXPECT_EQ(Backup(), 0u);  // one file's error does not end the pass
    EXPECT_EQ(sim().ContentsOf("F:\\Data\\Report.doc\\notes.txt"), "the user's");
    ASSERT_EQ(owner.errors.size(), 1u);
    EXPECT_NE(owner.errors[0].second, 0u);
    EXPECT_LT(watermark, At(10));  // the next pass finds the file again
    ASSERT_EQ(sim().DeleteFile("F:\\Data\\Report.doc\\notes.txt"), 0u);
    ASSERT_EQ(sim().RemoveDirectory("F:\\Data\\Report.doc"), 0u);
    candidates.Clear();
    EXPECT_EQ(Backup(), 0u);
    EXPECT_EQ(sim().ContentsOf("F:\\Data\\Report.doc"), "v1");
}

}  // namespace
}  // namespace engine::testing
