// Numbered revisions: their names, their numbering and pruning under a limit, and when none is
// made.

#include <gtest/gtest.h>

#include "engine/revisions.h"
#include "os/errors.h"
#include "settings/setting_names.h"
#include "tests/engine/copier_fixture.h"

namespace engine::testing {
namespace {

constexpr char kRevisions[] = "F:\\Corvant Ferrolin 2 Revisions\\";

TEST(RevisionNames, NumberGoesBeforeTheLastExtensionOfTheFileName) {
    EXPECT_EQ(RevisionNames("E:\\R\\archive.tar.gz").PathFor(2), "E:\\R\\archive.tar.(2).gz");
    EXPECT_EQ(RevisionNames("E:\\R\\README").PathFor(1), "E:\\R\\README.(1)");
    EXPECT_EQ(RevisionNames("E:\\R\\My.Folder\\README").PathFor(1), "E:\\R\\My.Folder\\README.(1)");
    EXPECT_EQ(RevisionNames("E:\\R\\notes.(old).txt").PathFor(1), "E:\\R\\notes.(old).(1).txt");
    EXPECT_EQ(RevisionNames("E:\\R\\notes.(old).txt").SearchPattern(),
              "E:\\R\\notes.(old).(*).txt");
    EXPECT_EQ(RevisionNames("E:\\R\\README").SearchPattern(), "E:\\R\\README.(*)");
}

TEST(RevisionNames, OnlyTheBasesOwnNamesCarryANumber) {
    const RevisionNames notes("E:\\R\\notes.txt");
    EXPECT_EQ(notes.NumberOf("notes.(12).txt"), 12u);
    EXPECT_EQ(notes.NumberOf("NOTES.(3).TXT"), 3u);
    EXPECT_EQ(notes.NumberOf("notes.(1).(2).txt"), std::nullopt);  // notes.(1).txt's revision
    EXPECT_EQ(notes.NumberOf("notes.(x).txt"), std::nullopt);
    EXPECT_EQ(notes.NumberOf("notes.(0).txt"), std::nullopt);
    EXPECT_EQ(notes.NumberOf("notes.(01).txt"), std::nullopt);
    EXPECT_EQ(notes.NumberOf("notes.().txt"), std::nullopt);
    EXPECT_EQ(notes.NumberOf("notes.(99999999999999999999).txt"), std::nullopt);
    EXPECT_EQ(RevisionNames("E:\\R\\notes.(old).txt").NumberOf("notes.(old).(4).txt"), 4u);
    EXPECT_EQ(RevisionNames("E:\\R\\README").NumberOf("README.(7)"), 7u);
}

class RevisionsTest : public CopierTest {
  protected:
    RevisionsTest() { copier->SetRevisionLimit(3); }

    // Saves a new version of the file and backs it up.
    void Save(const std::string& contents) {
        ++version_;
        Put("C:\\Data\\Report.doc", contents, At(version_ * 10));
        ASSERT_EQ(Backup(), 0u);
    }
    void PutRevision(int n, const std::string& contents) {
        ASSERT_EQ(
            sim().PutFile(std::string(kRevisions) + "Data\\Report.(" + std::to_string(n) + ").doc",
                          contents),
            0u);
    }
    Tree Revisions() { return FilesUnder(sim(), kRevisions); }
    int version_ = 0;
};

TEST_F(RevisionsTest, EachReplacedCopyBecomesTheNextNumber) {
    Save("v1");
    EXPECT_TRUE(Revisions().empty());  // nothing was replaced yet
    Save("v2");
    Save("v3");
    EXPECT_EQ(Revisions(), (Tree{{"Data\\Report.(1).doc", "v1"}, {"Data\\Report.(2).doc", "v2"}}));
    EXPECT_EQ(sim().ContentsOf("F:\\Data\\Report.doc"), "v3");
    // The revision is the old copy, with its own times.
    os::FileInfo revision;
    ASSERT_EQ(files.GetFileInfo(std::string(kRevisions) + "Data\\Report.(2).doc", revision), 0u);
    EXPECT_EQ(revision.times.lastWrite, At(20));
}

TEST_F(RevisionsTest, TheLimitKeepsTheNewestNumbers) {
    for (int n = 1; n <= 3; ++n) {
        PutRevision(n, "r" + std::to_string(n));
    }
    ASSERT_EQ(sim().PutFile("F:\\Data\\Report.doc", "current"), 0u);
    Save("new");
    EXPECT_EQ(Revisions(), (Tree{{"Data\\Report.(2).doc", "r2"},
                                 {"Data\\Report.(3).doc", "r3"},
                                 {"Data\\Report.(4).doc", "current"}}));
}

TEST_F(RevisionsTest, LoweringTheLimitPrunesToItAtTheNextChange) {
    for (int n = 1; n <= 5; ++n) {
        PutRevision(n, "r" + std::to_string(n));
    }
    ASSERT_EQ(sim().PutFile("F:\\Data\\Report.doc", "current"), 0u);
    copier->SetRevisionLimit(2);
    Save("new");
    EXPECT_EQ(Revisions(),
              (Tree{{"Data\\Report.(5).doc", "r5"}, {"Data\\Report.(6).doc", "current"}}));
}

TEST_F(RevisionsTest, AFailedRevisionWriteKeepsEveryOlderRevision) {
    for (int n = 1; n <= 3; ++n) {
        PutRevision(n, "r" + std::to_string(n));
    }
    ASSERT_EQ(sim().PutFile("F:\\Data\\Report.doc", "current"), 0u);
    machine.FailOperation(os::sim::SimOperation::Write,
                          std::string(kRevisions) + "Data\\~Ferrolin2*", 1117);
    Save("new");
    EXPECT_EQ(Revisions(), (Tree{{"Data\\Report.(1).doc", "r1"},
                                 {"Data\\Report.(2).doc", "r2"},
                                 {"Data\\Report.(3).doc", "r3"}}));
    EXPECT_EQ(sim().ContentsOf("F:\\Data\\Report.doc"), "current");
    ASSERT_EQ(owner.errors.size(), 1u);
    EXPECT_EQ(owner.errors[0].second, 1117u);
}

TEST_F(RevisionsTest, GapsAreCountedAndNumbersNeverReused) {
    PutRevision(2, "r2");
    PutRevision(7, "r7");
    ASSERT_EQ(sim().PutFile("F:\\Data\\Report.doc", "current"), 0u);
    Save("new");
    EXPECT_EQ(Revisions(),
              (Tree{{"Data\\Report.(7).doc", "r7"}, {"Data\\Report.(8).doc", "current"}}));
}

TEST_F(RevisionsTest, AFileTriedAgainAfterAFullDiskIsNotKeptTwice) {
    copier->SetRevisionLimit(2);
    Save("v1");
    Save("v2");  // (1) is v1
    // The new copy meets a full disk twice (the copier looks at the volume again after the
    // first); the owner says go on, as it does while a prompt is up.
    machine.FailOperation(os::sim::SimOperation::Write, "F:\\Data\\~Ferrolin2*", 112, 2);
    owner.onDiskFull = [](const RecordingOwner::DiskFull&) { return 0u; };
    Save("v3");
    EXPECT_EQ(owner.diskFull.size(), 1u);
    EXPECT_EQ(Revisions(), (Tree{{"Data\\Report.(1).doc", "v1"}, {"Data\\Report.(2).doc", "v2"}}));
    EXPECT_EQ(sim().ContentsOf("F:\\Data\\Report.doc"), "v3");
}

TEST_F(RevisionsTest, UnlimitedKeepsEveryOneAndReadOnlyOnesArePrunedToo) {
    copier->SetRevisionLimit(settings::kUnlimitedRevisions);
    for (int i = 0; i < 6; ++i) {
        Save("v" + std::to_string(i));
    }
    EXPECT_EQ(Revisions().size(), 5u);
    ASSERT_EQ(sim().SetAttributes(std::string(kRevisions) + "Data\\Report.(1).doc",
                                  os::kAttributeReadOnly),
              0u);
    copier->SetRevisionLimit(1);
    Save("last");
    EXPECT_EQ(Revisions(), (Tree{{"Data\\Report.(6).doc", "v5"}}));
}

TEST_F(RevisionsTest, AnotherFilesRevisionsAreLeftAlone) {
    // notes.(1).txt is a user's file; its revisions match notes.txt's search pattern.
    Put("C:\\Data\\notes.txt", "n1", At(1));
    Put("C:\\Data\\notes.(1).txt", "o1", At(1));
    ASSERT_EQ(Backup(), 0u);
    for (int i = 2; i <= 5; ++i) {
        Put("C:\\Data\\notes.(1).txt", "o" + std::to_string(i), At(i * 10));
        ASSERT_EQ(Backup(), 0u);
    }
    Put("C:\\Data\\notes.txt", "n2", At(100));
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(Revisions(), (Tree{{"Data\\notes.(1).(2).txt", "o2"},
                                 {"Data\\notes.(1).(3).txt", "o3"},
                                 {"Data\\notes.(1).(4).txt", "o4"},
                                 {"Data\\notes.(1).txt", "n1"}}));
}

TEST_F(RevisionsTest, NoRevisionWhenTheCopyAlreadyHasTheSourcesTime) {
    Save("v1");
    // Due only by its archive attribute: same time as its backup.
    ASSERT_EQ(sim().SetAttributes("C:\\Data\\Report.doc", os::kAttributeArchive), 0u);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_TRUE(Revisions().empty());
    EXPECT_EQ(files.moves.size(), 1u);
    EXPECT_EQ(AttributesOf("C:\\Data\\Report.doc"), os::kAttributeNormal);  // settled
}

TEST_F(RevisionsTest, AFileWithZeroTimesIsStillCopied) {
    Put("C:\\Data\\epoch.txt", "e", 0);
    ASSERT_EQ(Backup(), 0u);
    EXPECT_EQ(sim().ContentsOf("F:\\Data\\epoch.txt"), "e");
}

TEST_F(RevisionsTest, NoRevisionsFolderContentsWithoutAPreviousCopy) {
    PutRevision(1, "r1");
    PutRevision(2, "r2");
    PutRevision(3, "r3");
    Save("v1");  // no copy on the disk: nothing is pruned, nothing kept
    EXPECT_EQ(Revisions().size(), 3u);
    EXPECT_EQ(copier->MakeRevision("F:\\Data\\missing.doc",
                                   std::string(kRevisions) + "Data\\missing.doc"),
              os::kErrorFileNotFound);
}

TEST_F(RevisionsTest, AFileNameTooLongForANumberKeepsOneRevisionUnderItsOwnName) {
    const std::string name = std::string(250, 'n') + ".doc";  // 254: fits; with ".(1)" it does not
    Put("C:\\Data\\" + name, "v1", At(1));
    ASSERT_EQ(Backup(), 0u);
    for (int i = 2; i <= 3; ++i) {
        Put("C:\\Data\\" + name, "v" + std::to_string(i), At(i * 10));
        ASSERT_EQ(Backup(), 0u);
    }
    EXPECT_EQ(Revisions(), (Tree{{"Data\\" + name, "v2"}}));
    ASSERT_EQ(owner.longNames.size(), 2u);
    EXPECT_EQ(owner.longNames[0],
              std::string(kRevisions) + "Data\\" + std::string(250, 'n') + ".(1).doc");
    EXPECT_TRUE(owner.errors.empty());
}

TEST_F(RevisionsTest, RevisionsAreOffAtZero) {
    copier->SetRevisionLimit(0);
    Save("v1");
    Save("v2");
    EXPECT_TRUE(Revisions().empty());
    os::FileInfo folder;
    EXPECT_EQ(files.GetFileInfo("F:\\Corvant Ferrolin 2 Revisions", folder),
              os::kErrorFileNotFound);
    EXPECT_TRUE(HoldsExactly(sim(), "F:\\", {{"Data\\Report.doc", "v2"}}));
}

TEST_F(RevisionsTest, TemporaryFilesAreNeverCountedAsRevisions) {
    Save("v1");
    ASSERT_EQ(sim().PutFile(std::string(kRevisions) + "Data\\~Ferrolin2-00000009.partial", "torn"),
              0u);
    Save("v2");
    EXPECT_EQ(Revisions(), (Tree{{"Data\\Report.(1).doc", "v1"}}));
}

}  // namespace
}  // namespace engine::testing
