// The retry list between runs: what is written is read back, and a file that is not what the
// program writes is dropped as a whole, without a crash or a large allocation.

#include "engine/retry_log.h"

#include <gtest/gtest.h>

#include "os/errors.h"
#include "os/sim/sim_machine.h"
#include "tests/engine/copier_fixture.h"

namespace engine {
namespace {

std::string U32(uint32_t v) {
    std::string out;
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    return out;
}

TEST(RetryLogFormat, RecordsRoundTripWithAnyScript) {
    const std::vector<std::string> paths = {"C:\\Data\\a.doc", "\\\\server\\share\\b.xls",
                                            "D:\\\xE6\x96\x87\xE6\x9B\xB8\\\xD0\xB4.txt"};
    const std::string bytes = SerializeRetryLog(paths);
    EXPECT_EQ(bytes.substr(0, 8), U32(3) + U32(13));
    std::vector<std::string> read;
    ASSERT_TRUE(ParseRetryLog(bytes, read));
    EXPECT_EQ(read, paths);
    ASSERT_TRUE(ParseRetryLog(U32(0), read));
    EXPECT_TRUE(read.empty());
}

TEST(RetryLogFormat, AnythingElseIsRefusedAsAWhole) {
    const std::string good = SerializeRetryLog({"C:\\a.txt", "C:\\b.txt"});
    std::vector<std::string> read{"stale"};
    const std::vector<std::string> bad = {
        "",                                            // nothing at all
        good.substr(0, 3),                             // cut in the count
        good.substr(0, good.size() - 1),               // cut in the last record
        good + "x",                                    // trailing bytes
        U32(0xFFFFFFFF) + U32(8) + "C:\\a.txt",        // more records than bytes
        U32(1) + U32(0xFFFFFFF0) + "C:\\a.txt",        // a length of 4 GB
        U32(1) + U32(0),                               // an empty path
        U32(1) + U32(4) + "a.tx",                      // not an absolute path
        U32(1) + U32(5) + "C:\\\xFF\xFE",              // not text
        U32(1) + U32(6) + std::string("C:\\a\0b", 6),  // a NUL inside
    };
    for (const std::string& bytes : bad) {
        EXPECT_FALSE(ParseRetryLog(bytes, read)) << ::testing::PrintToString(bytes);
        EXPECT_TRUE(read.empty());
    }
}

class RetryLogFileTest : public ::testing::Test {
  protected:
    RetryLogFileTest() : log(RetryLogPath(sim.system())), list(sim.machine().files) {}
    os::sim::SimMachine sim;
    const std::string log;
    FileList list;
};

TEST_F(RetryLogFileTest, LivesInTheUsersProgramFolder) {
    EXPECT_EQ(log, "C:\\Users\\User\\AppData\\Local\\Corvant Ferrolin 2\\Corvant Ferrolin 2.Log");
    sim.system().SetLocalAppDataFolder("");
    EXPECT_EQ(RetryLogPath(sim.system()), "Corvant Ferrolin 2.Log");
}

TEST_F(RetryLogFileTest, IsDeletedOnceLoadedAndFilesThatAreGoneDropOut) {
    ASSERT_EQ(sim.files().PutFile("C:\\Data\\kept.txt", "k"), 0u);
    ASSERT_EQ(
        sim.files().PutFile(log, SerializeRetryLog({"C:\\Data\\kept.txt", "C:\\Data\\gone.txt"})),
        0u);
    ASSERT_EQ(LoadRetryLog(sim.machine().files, log, list), 0u);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.EntryAt(0).path, "C:\\Data\\kept.txt");
    EXPECT_FALSE(sim.files().ContentsOf(log));
    EXPECT_EQ(LoadRetryLog(sim.machine().files, log, list), os::kErrorFileNotFound);
    EXPECT_EQ(list.Count(), 0u);
}

TEST_F(RetryLogFileTest, ACorruptFileIsDeletedAndGivesAnEmptyList) {
    ASSERT_EQ(sim.files().PutFile("C:\\Data\\kept.txt", "k"), 0u);
    std::string bytes = SerializeRetryLog({"C:\\Data\\kept.txt"});
    bytes[0] = 9;
    ASSERT_EQ(sim.files().PutFile(log, bytes), 0u);
    EXPECT_EQ(LoadRetryLog(sim.machine().files, log, list), os::kErrorInvalidData);
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_FALSE(sim.files().ContentsOf(log));
}

TEST_F(RetryLogFileTest, SavingWritesTheListAndAnEmptyListWritesNothing) {
    EXPECT_EQ(SaveRetryLog(sim.machine().files, log, list), 0u);
    EXPECT_FALSE(sim.files().ContentsOf(log));
    ASSERT_EQ(sim.files().PutFile("C:\\Data\\busy.doc", "b"), 0u);
    ASSERT_EQ(list.AddFile("C:\\Data\\busy.doc"), 0u);
    ASSERT_EQ(SaveRetryLog(sim.machine().files, log, list), 0u);
    EXPECT_EQ(sim.files().ContentsOf(log), SerializeRetryLog({"C:\\Data\\busy.doc"}));
}

TEST_F(RetryLogFileTest, AFailedSaveLeavesThePreviousFileWhole) {
    ASSERT_EQ(sim.files().PutFile("C:\\Data\\one.doc", "1"), 0u);
    ASSERT_EQ(sim.files().PutFile(log, SerializeRetryLog({"C:\\Data\\one.doc"})), 0u);
    ASSERT_EQ(list.AddFile("C:\\Data\\one.doc"), 0u);
    ASSERT_EQ(list.AddFile("C:\\Data\\one.doc"), 0u);
    sim.FailOperation(os::sim::SimOperation::Write, "*\\~Ferrolin2-*.partial", os::kErrorDiskFull);
    EXPECT_EQ(SaveRetryLog(sim.machine().files, log, list), os::kErrorDiskFull);
    EXPECT_EQ(sim.files().ContentsOf(log), SerializeRetryLog({"C:\\Data\\one.doc"}));
    EXPECT_EQ(sim.files().ListTree("C:\\Users\\User\\AppData\\Local\\Corvant Ferrolin 2").size(),
              1u);
}

TEST_F(RetryLogFileTest, AWriteThatTakesNothingFailsInsteadOfLoopingForEver) {
    ASSERT_EQ(sim.files().PutFile("C:\\Data\\one.doc", "1"), 0u);
    ASSERT_EQ(sim.files().PutFile(log, SerializeRetryLog({"C:\\Data\\one.doc"})), 0u);
    ASSERT_EQ(list.AddFile("C:\\Data\\one.doc"), 0u);
    ASSERT_EQ(list.AddFile("C:\\Data\\one.doc"), 0u);
    testing::HookedFileSystem files(sim.machine().files);
    files.writeTakesNothing = [](const std::string&) { return true; };
    EXPECT_EQ(SaveRetryLog(files, log, list), os::kErrorDiskFull);
    EXPECT_EQ(sim.files().ContentsOf(log), SerializeRetryLog({"C:\\Data\\one.doc"}));
    EXPECT_EQ(sim.files().ListTree("C:\\Users\\User\\AppData\\Local\\Corvant Ferrolin 2").size(),
              1u);
}

TEST_F(RetryLogFileTest, ATemporaryFileLeftByACrashIsRemovedAtTheNextSave) {
    const std::string folder = log.substr(0, log.rfind('\\'));
    ASSERT_EQ(sim.files().PutFile(folder + "\\~Ferrolin2-0000002a.partial", "torn"), 0u);
    ASSERT_EQ(sim.files().PutFile("C:\\Data\\one.doc", "1"), 0u);
    ASSERT_EQ(list.AddFile("C:\\Data\\one.doc"), 0u);
    ASSERT_EQ(SaveRetryLog(sim.machine().files, log, list), 0u);
    EXPECT_EQ(sim.files().ListTree(folder).size(), 1u);
    EXPECT_EQ(sim.files().ContentsOf(log), SerializeRetryLog({"C:\\Data\\one.doc"}));
}

}  // namespace
}  // namespace engine
