// Revisions where the backup disk is not as the program left it: names that only look like a
// revision, a folder under a revision's name, a copy or a revisions folder that cannot be read,
// and numbers that outgrow the name. No earlier revision may be lost or overwritten, and a copy
// is never replaced without its revision.

#include <gtest/gtest.h>

#include "engine/revisions.h"
#include "os/errors.h"
#include "tests/engine/copier_fixture.h"

namespace engine::testing {
namespace {

constexpr char kRevisions[] = "F:\\Corvant Ferrolin 2 Revisions\\";

TEST(RevisionNameEdges, NamesThatOnlyLookLikeARevisionHaveNoNumber) {
    const RevisionNames notes("E:\\R\\notes.txt");
    EXPECT_EQ(notes.NumberOf("other.(1).txt"), std::nullopt);
    EXPECT_EQ(notes.NumberOf("notes_(1).txt"), std::nullopt);
    EXPECT_EQ(notes.NumberOf("notes.(12.txt"), std::nullopt);  // no closing bracket
    EXPECT_EQ(notes.NumberOf("notes.(1).doc"), std::nullopt);
    EXPECT_EQ(notes.NumberOf("notes.(1 ).txt"), std::nullopt);
    // Thirteen digits: the largest number the copier can have written, and one past it.
    EXPECT_EQ(notes.NumberOf("notes.(1000000000000).txt"), 1'000'000'000'000u);
    EXPECT_EQ(notes.NumberOf("notes.(1000000000001).txt"), std::nullopt);
    EXPECT_EQ(notes.NumberOf("notes.(9999999999999).txt"), std::nullopt);
    // A base given without a folder.
    const RevisionNames bare("notes.txt");
    EXPECT_EQ(bare.PathFor(2), "notes.(2).txt");
    EXPECT_EQ(bare.SearchPattern(), "notes.(*).txt");
    EXPECT_FALSE(RevisionNames::NameTooLong(std::string(255, 'n')));
    EXPECT_TRUE(RevisionNames::NameTooLong(std::string(256, 'n')));
    // The limit counts UTF-16 units, not bytes: 255 Cyrillic letters fit.
    std::string cyrillic;
    for (int i = 0; i < 255; ++i) {
        cyrillic += "\xD0\x94";
    }
    EXPECT_FALSE(RevisionNames::NameTooLong("E:\\" + cyrillic));
}

class RevisionEdgesTest : public CopierTest {
  protected:
    RevisionEdgesTest() { copier->SetRevisionLimit(3); }
    void Save(const std::string& name, const std::string& contents) {
        ++version_;
        Put("C:\\Data\\" + name, contents, At(version_ * 10));
        ASSERT_EQ(Backup(), 0u);
    }
    Tree Revisions() { return FilesUnder(sim(), kRevisions); }
    int version_ = 0;
};

TEST_F(RevisionEdgesTest, AFolderNamedLikeARevisionIsNeitherCountedNorPruned) {
    Save("Report.doc", "v1");
    Save("Report.doc", "v2");
    ASSERT_EQ(sim().CreateDirectory(std::string(kRevisions) + "Data\\Report.(9).doc"), 0u);
    copier->SetRevisionLimit(1);
    Save("Report.doc", "v3");
    EXPECT_EQ(Revisions(), (Tree{{"Data\\Report.(2).doc", "v2"}}));
    os::FileInfo folder;
    ASSERT_EQ(files.GetFileInfo(std::string(kRevisions) + "Data\\Report.(9).doc", folder), 0u);
    EXPECT_TRUE(folder.IsDirectory());
}

TEST_F(RevisionEdgesTest, ACopyThatIsAFolderHasNothingToKeep) {
    ASSERT_EQ(sim().CreateDirectory("F:\\Data"), 0u);
    ASSERT_EQ(sim().CreateDirectory("F:\\Data\\Report.doc"), 0u);
    EXPECT_EQ(
        copier->MakeRevision("F:\\Data\\Report.doc", std::string(kRevisions) + "Data\\Report.doc"),
        os::kErrorFileNotFound);
    EXPECT_TRUE(Revisions().empty());
}

// The revisions cannot be counted, or the copy cannot be looked at: the copy is not replaced, so
// that revision 1 is not overwritten and the old version is not lost unkept; the error is told.
TEST_F(RevisionEdgesTest, UnknownNumbersOrAnUnreadableCopyLeaveEverythingAsItWas) {
    Save("Report.doc", "v1");
    Save("Report.doc", "v2");
    const Tree before = Revisions();
    ASSERT_EQ(before, (Tree{{"Data\\Report.(1).doc", "v1"}}));

    machine.FailOperation(os::sim::SimOperation::Find,
                          std::string(kRevisions) + "Data\\Report.(*).doc", os::kErrorAccessDenied,
                          1);
    Put("C:\\Data\\Report.doc", "v3", At(1000));
    EXPECT_EQ(
        copier->MakeRevision("F:\\Data\\Report.doc", std::string(kRevisions) + "Data\\Report.doc"),
        os::kErrorAccessDenied);
    EXPECT_EQ(Revisions(), before);

    machine.FailOperation(os::sim::SimOperation::GetAttributes, "F:\\Data\\Report.doc",
                          os::kErrorSharingViolation, 1);
    EXPECT_EQ(
        copier->MakeRevision("F:\\Data\\Report.doc", std::string(kRevisions) + "Data\\Report.doc"),
        os::kErrorSharingViolation);
    EXPECT_EQ(Revisions(), before);
    EXPECT_EQ(sim().ContentsOf("F:\\Data\\Report.doc"), "v2");
}

// The newest revision is taken for the copy's version only when its time and size are the
// copy's: one of the same time but another size, or one that cannot be looked at, is kept and a
// new revision made beside it.
TEST_F(RevisionEdgesTest, OnlyARevisionOfTheCopysTimeAndSizeCountsAsKeptAlready) {
    Save("Report.doc", "v1");
    Save("Report.doc", "v2");
    os::sim::SimPutOptions sameTime;
    sameTime.times = os::FileTimes{At(20), At(20), At(20)};  // v2's time
    ASSERT_EQ(
        sim().PutFile(std::string(kRevisions) + "Data\\Report.(1).doc", "v1, longer", sameTime),
        0u);
    Save("Report.doc", "v3");
    EXPECT_EQ(Revisions(),
              (Tree{{"Data\\Report.(1).doc", "v1, longer"}, {"Data\\Report.(2).doc", "v2"}}));
    machine.FailOperation(os::sim::SimOperation::GetAttributes,
                          std::string(kRevisions) + "Data\\Report.(2).doc",
                          os::kErrorSharingViolation, 1);
    Save("Report.doc", "v4");
    EXPECT_EQ(Revisions(), (Tree{{"Data\\Report.(1).doc", "v1, longer"},
                                 {"Data\\Report.(2).doc", "v2"},
                                 {"Data\\Report.(3).doc", "v3"}}));
    EXPECT_EQ(sim().ContentsOf("F:\\Data\\Report.doc"), "v4");
}

TEST_F(RevisionEdgesTest, NumbersThatOutgrowTheNameKeepTheNewestUnderTheBaseName) {
    // "<247 n>.(9).doc" is 255 characters; "(10)" makes it one too many.
    const std::string name = std::string(247, 'n') + ".doc";
    const std::string folder = std::string(kRevisions) + "Data\\";
    Save(name, "v1");
    ASSERT_EQ(sim().PutFile(folder + std::string(247, 'n') + ".(9).doc", "r9"), 0u);
    Save(name, "v2");
    ASSERT_EQ(owner.longNames.size(), 1u);
    EXPECT_EQ(owner.longNames[0], folder + std::string(247, 'n') + ".(10).doc");
    EXPECT_EQ(Revisions(), (Tree{{"Data\\" + std::string(247, 'n') + ".(9).doc", "r9"},
                                 {"Data\\" + name, "v1"}}));
    EXPECT_EQ(sim().ContentsOf("F:\\Data\\" + name), "v2");
    EXPECT_TRUE(owner.errors.empty());
}

}  // namespace
}  // namespace engine::testing
