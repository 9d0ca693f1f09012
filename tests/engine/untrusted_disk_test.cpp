// The backup disk is not trusted: junctions and symbolic links on it, made by a person or another
// program, are never followed when a pass makes folders, writes, replaces, keeps revisions or
// prunes them. Each test points one at the user's own files; nothing outside the disk may change.

#include <sstream>

#include "engine/file_copier.h"
#include "os/errors.h"
#include "tests/engine/engine_fixture.h"

namespace engine::testing {
namespace {

constexpr char kUser[] = "C:\\Users\\User";
constexpr char kDocs[] = "C:\\Users\\User\\Documents";
constexpr char kMirror[] = "F:\\Users\\User\\Documents";
constexpr char kRevisions[] = "F:\\Corvant Ferrolin 2 Revisions\\Users\\User\\Documents";

class UntrustedDiskTest : public EngineFixture {
  protected:
    void SetUp() override {
        Configure();
        EXPECT_EQ(store().WriteRevisions(2), 0u);
        EXPECT_EQ(store().WriteDiskId(Identifier(1)), 0u);
        Put(std::string(kDocs) + "\\letter.doc", "Dear all");
        Put(std::string(kDocs) + "\\Photos\\cat.jpg", "cat");
        Put(std::string(kUser) + "\\Private\\diary.txt", "not backed up");
        user.answerAnything = true;
    }

    // Everything below C:\Users\User as it is: names, attributes, times and contents (the
    // archive attribute apart, which the backup clears on the sources).
    std::string Outside() {
        std::ostringstream all;
        for (const os::sim::SimEntry& e : sim.files().ListTree(kUser)) {
            const uint32_t attributes =
                e.attributes & ~(os::kAttributeArchive | os::kAttributeNormal);
            all << e.relativePath << '|' << e.directory << '|' << attributes << '|'
                << e.times.lastWrite << '|' << e.contents << '\n';
        }
        return all.str();
    }
    void Change(const std::string& relative, const std::string& contents) {
        sim.clock().Sleep(60'000);
        Put(std::string(kDocs) + "\\" + relative, contents);
    }
    std::vector<std::string> Refused() {
        std::vector<std::string> paths;
        for (const FileErrorDetails& error : user.fileErrors) {
            EXPECT_EQ(error.code, kErrorReparsePointEncountered) << error.path;
            paths.push_back(error.path);
        }
        return paths;
    }
};

TEST_F(UntrustedDiskTest, AJunctionInTheMirrorIsRefusedOnceAndTheRestIsBackedUp) {
    ASSERT_EQ(sim.files().PutFolder(kMirror), os::kErrorSuccess);
    // A person made F:\...\Photos lead to the source folder itself.
    ASSERT_EQ(sim.files().PutLink(std::string(kMirror) + "\\Photos", kDocs, true), 0u);
    const std::string before = Outside();
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(Outside(), before);
    EXPECT_EQ(Refused(), std::vector<std::string>{std::string(kMirror) + "\\Photos"});
    EXPECT_EQ(sim.files().ContentsOf(std::string(kMirror) + "\\letter.doc"), "Dear all");
    // Not retried for ever with a prompt each time: the place stays refused, quietly.
    Change("Photos\\cat.jpg", "another cat");
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(Refused().size(), 1u);
    EXPECT_EQ(sim.files().ContentsOf(std::string(kDocs) + "\\Photos\\cat.jpg"), "another cat");
}

TEST_F(UntrustedDiskTest, ARevisionsFolderLeadingAwayIsNeitherWrittenNorPruned) {
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);  // the first backup: no revisions yet
    // Old "revisions" where the link leads: pruning them would delete the user's files.
    Put(std::string(kUser) + "\\Private\\letter.(1).doc", "mine");
    Put(std::string(kUser) + "\\Private\\letter.(2).doc", "mine too");
    ASSERT_EQ(sim.machine().files.MoveFile(kRevisions, "F:\\Elsewhere", false), 0u);
    ASSERT_EQ(sim.files().PutLink(kRevisions, std::string(kUser) + "\\Private", true), 0u);
    Change("letter.doc", "Dear all, again");
    const std::string before = Outside();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(Outside(), before);
    EXPECT_EQ(sim.files().ContentsOf(std::string(kUser) + "\\Private\\letter.(1).doc"), "mine");
    EXPECT_EQ(sim.files().ContentsOf(std::string(kUser) + "\\Private\\letter.(2).doc"), "mine too");
    EXPECT_FALSE(sim.files().ContentsOf(std::string(kUser) + "\\Private\\letter.(3).doc"));
    // The prompt shortens the long path from its start.
    ASSERT_EQ(Refused().size(), 1u);
    const std::string shown = Refused()[0];
    EXPECT_EQ(std::string(kRevisions).substr(sizeof kRevisions - 1 - shown.size()), shown);
    // The copy is not replaced without its revision: the disk keeps the previous good one.
    EXPECT_EQ(sim.files().ContentsOf(std::string(kMirror) + "\\letter.doc"), "Dear all");
}

TEST_F(UntrustedDiskTest, ALinkInAFilesPlaceIsNotReadWrittenOrReplacedThrough) {
    ASSERT_EQ(sim.files().PutFolder(kMirror), os::kErrorSuccess);
    ASSERT_EQ(sim.files().PutLink(std::string(kMirror) + "\\letter.doc",
                                  std::string(kUser) + "\\Private\\diary.txt", false),
              0u);
    const std::string before = Outside();
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(Outside(), before);
    EXPECT_EQ(Refused(), std::vector<std::string>{std::string(kMirror) + "\\letter.doc"});
    EXPECT_EQ(sim.files().ContentsOf(std::string(kMirror) + "\\Photos\\cat.jpg"), "cat");
    // With revisions too, after the user took the link away: the file is backed up.
    ASSERT_EQ(sim.machine().files.DeleteFile(std::string(kMirror) + "\\letter.doc"), 0u);
    engine.reset();
    MakeEngine();
    ASSERT_EQ(engine->RunPass(false), 0u);
    EXPECT_EQ(sim.files().ContentsOf(std::string(kMirror) + "\\letter.doc"), "Dear all");
    EXPECT_EQ(Outside(), before);
}

}  // namespace
}  // namespace engine::testing
