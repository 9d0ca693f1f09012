// The retry list's file where it is not as the program wrote it: paths in every form a record
// may take, a file that cannot be read, a log without a folder, and what else lies in its folder.

#include <gtest/gtest.h>

#include "engine/replacement_file.h"
#include "engine/retry_log.h"
#include "os/errors.h"
#include "os/sim/sim_machine.h"

namespace engine {
namespace {

constexpr uint32_t kDataError = 23;  // ERROR_CRC: a bad sector

std::vector<std::string> Parsed(const std::string& path) {
    std::vector<std::string> read;
    if (!ParseRetryLog(SerializeRetryLog({path}), read)) {
        return {};
    }
    return read;
}

TEST(RetryLogPaths, DrivesOfEitherCaseAndServerSharesAreTheOnlyPathsTaken) {
    for (const std::string path : {"c:\\a.txt", "Z:\\x", "\\\\server\\share\\b.doc"}) {
        EXPECT_EQ(Parsed(path), std::vector<std::string>{path}) << path;
    }
    for (const std::string path :
         {"C:", "C:a.txt", "C:/a.txt", "1:\\a.txt", "[:\\a.txt", "\\a.txt", "\\\\\\a.txt", "\\\\",
          "a.txt", "C:\\a\x1F.txt", "{:\\a.txt", "", "C:\\\xFF.txt"}) {
        EXPECT_TRUE(Parsed(path).empty()) << path;
    }
    // Longer than any path Windows takes (32,767 UTF-16 units, at most three bytes each).
    EXPECT_EQ(Parsed("C:\\" + std::string(32767 * 3, 'a')).size(), 0u);
}

class RetryLogEdgesTest : public ::testing::Test {
  protected:
    RetryLogEdgesTest() : log(RetryLogPath(sim.system())), list(sim.machine().files) {
        EXPECT_EQ(sim.files().PutFile("C:\\Data\\one.doc", "1"), 0u);
    }
    std::string Folder() const { return log.substr(0, log.rfind('\\')); }
    os::sim::SimMachine sim;
    const std::string log;
    FileList list;
};

TEST_F(RetryLogEdgesTest, AFileThatCannotBeReadGivesAnEmptyListAndItsError) {
    ASSERT_EQ(sim.files().PutFile(log, SerializeRetryLog({"C:\\Data\\one.doc"})), 0u);
    ASSERT_EQ(list.AddFile("C:\\Data\\one.doc"), 0u);  // emptied first: all or nothing
    sim.FailOperation(os::sim::SimOperation::Read, log, kDataError, 1);
    EXPECT_EQ(LoadRetryLog(sim.machine().files, log, list), kDataError);
    EXPECT_EQ(list.Count(), 0u);
}

TEST_F(RetryLogEdgesTest, AMissingFolderIsNormal) {
    EXPECT_EQ(LoadRetryLog(sim.machine().files, "C:\\Nowhere\\Corvant Ferrolin 2.Log", list),
              os::kErrorPathNotFound);
    EXPECT_EQ(list.Count(), 0u);
}

TEST_F(RetryLogEdgesTest, OnlyTheProgramsTemporaryFilesAreClearedFromTheFolder) {
    ASSERT_EQ(sim.files().PutFile(Folder() + "\\~Ferrolin2-0000000A.partial", "torn"), 0u);
    ASSERT_EQ(sim.files().PutFile(Folder() + "\\~Ferrolin2-0000000g.partial", "not ours"), 0u);
    ASSERT_EQ(sim.files().PutFile(Folder() + "\\notes.txt", "the user's"), 0u);
    ASSERT_EQ(sim.files().CreateDirectory(Folder() + "\\~Ferrolin2-0000000b.partial"), 0u);
    ASSERT_EQ(list.AddFile("C:\\Data\\one.doc"), 0u);
    ASSERT_EQ(SaveRetryLog(sim.machine().files, log, list), 0u);
    EXPECT_FALSE(sim.files().ContentsOf(Folder() + "\\~Ferrolin2-0000000A.partial"));
    EXPECT_EQ(sim.files().ContentsOf(Folder() + "\\~Ferrolin2-0000000g.partial"), "not ours");
    EXPECT_EQ(sim.files().ContentsOf(Folder() + "\\notes.txt"), "the user's");
    os::FileInfo folder;
    EXPECT_EQ(sim.machine().files.GetFileInfo(Folder() + "\\~Ferrolin2-0000000b.partial", folder),
              0u);
    EXPECT_EQ(sim.files().ContentsOf(log), SerializeRetryLog({"C:\\Data\\one.doc"}));
}

TEST_F(RetryLogEdgesTest, AFolderThatCannotBeMadeIsReportedAndNothingIsWritten) {
    sim.FailOperation(os::sim::SimOperation::CreateDirectory, Folder(), os::kErrorAccessDenied);
    ASSERT_EQ(list.AddFile("C:\\Data\\one.doc"), 0u);
    EXPECT_NE(SaveRetryLog(sim.machine().files, log, list), 0u);
    EXPECT_FALSE(sim.files().ContentsOf(log));
}

TEST(TemporaryNames, OnlyTheProgramsOwnPattern) {
    EXPECT_TRUE(IsTemporaryName("~Ferrolin2-0123abCD.partial"));
    EXPECT_TRUE(IsTemporaryName("~FERROLIN2-00000000.PARTIAL"));
    for (const char* name : {"~Ferrolin2-0123abCG.partial", "~Ferrolin2-0123abC.partial",
                             "~Ferrolin2-0123abCDE.partial", "~Ferrolin2-0123abCD.part",
                             "Ferrolin2-0123abCD.partial", "~Ferrolin2-0123ab:D.partial", ""}) {
        EXPECT_FALSE(IsTemporaryName(name)) << name;
    }
}

}  // namespace
}  // namespace engine
