// The backup under a power cut and under a disk pulled out of its drive, at every step of a pass.
// A reference pass with revisions (files replaced, one new, one large) is run once to count its
// file and registry operations; then, for every operation k, the same pass runs on a fresh
// machine whose power fails (or whose disk is pulled) at operation k. After each cut:
//   - every file on the disk under its real name is a complete version of its source, never a
//     torn one, and every revision is a complete earlier version;
//   - every source file that the next scan will not find by itself (archive attribute clear, time
//     not after the stored last-sync time) has its current version on the disk;
//   - the retry list's file and the settings read whole.
// Then the program starts again (or the disk goes back in) and a clean pass makes the backup
// exactly the source. The disk's write cache loses what was not flushed: names and sizes reach it
// at once and data only when flushed (Data), or nothing reaches it before a flush (All).

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "engine/retry_log.h"
#include "os/errors.h"
#include "tests/engine/engine_fixture.h"

namespace engine::testing {
namespace {

constexpr char kDocs[] = "C:\\Users\\User\\Documents";
constexpr char kMirror[] = "F:\\Users\\User\\Documents";
constexpr char kRevisionsOfDocs[] = "F:\\Corvant Ferrolin 2 Revisions\\Users\\User\\Documents";

enum class Fault { PowerCut, PulledDisk };

// One machine at the start of the reference pass: a first backup made, then files changed.
class Rig : public EngineFixture {
  public:
    explicit Rig(os::sim::SimWriteCache cache) {
        Configure({kDocs});
        EXPECT_EQ(store().WriteRevisions(2), 0u);
        drvKit::sim::SimDiskSpec setup;
        setup.label = "SWEEP";
        setup.serialNumber = 7;
        setup.capacityBytes = 64ULL << 20;
        setup.fileSystemRules = true;
        setup.writeCache = cache;
        drives->InsertDisk('F', drives->CreateDisk(setup));  // in place of the fixture's disk
        EXPECT_EQ(store().WriteDiskId(Identifier(7)), 0u);
        Write("letter.doc", "Dear all, first draft");
        Write("Photos\\cat.jpg", std::string(5000, 'c'));
        Write("big.bin", std::string(100'000, 'b'));  // four blocks
        Write("notes.txt", "notes");
        MakeEngine();
        EXPECT_EQ(engine->RunPass(false), 0u);
        engine.reset();
        sim.clock().Sleep(60'000);
        sim.files().WriteBackCache("F:");  // a minute later the system has written it all
        Write("letter.doc", "Dear all, second draft");  // replaced, with a revision
        Write("Photos\\cat.jpg", std::string(6000, 'C'));
        Write("Photos\\dog.jpg", "new dog");
        Write("big.bin", std::string(100'000, 'B'));
        user.answerAnything = true;  // a cut run meets prompts no script can foresee
    }
    void TestBody() override {}
    using EngineFixture::DiskFiles;
    using EngineFixture::engine;
    using EngineFixture::MakeEngine;
    using EngineFixture::sim;
    using EngineFixture::store;
    using EngineFixture::user;

    void Write(const std::string& relative, const std::string& contents) {
        Put(std::string(kDocs) + "\\" + relative, contents);
        versions[relative].insert(contents);
    }

    // Every version each source file had, by path below kDocs.
    std::map<std::string, std::set<std::string>> versions;
};

// What the next scan would not find by itself: archive attribute clear, time not after the
// stored last-sync time.
bool ScanWouldPassOver(Rig& rig, const os::sim::SimEntry& source) {
    os::FileTime lastSync = 0;
    if (rig.store().ReadStartTime(lastSync) != os::kErrorSuccess || lastSync == 0) {
        return false;
    }
    const bool archive = (source.attributes & os::kAttributeArchive) != 0;
    const os::FileTime time = std::max(source.times.creation, source.times.lastWrite);
    return !archive && time <= lastSync;
}

void CheckAfterCut(Rig& rig, const std::string& where) {
    SCOPED_TRACE(where);
    const auto disk = rig.sim.files().ListTree(kMirror);
    std::map<std::string, const os::sim::SimEntry*> onDisk;
    for (const os::sim::SimEntry& entry : disk) {
        if (entry.directory) {
            continue;
        }
        onDisk[entry.relativePath] = &entry;
        const std::string name = entry.relativePath.substr(entry.relativePath.rfind('\\') + 1);
        if (IsTemporaryName(name)) {
            continue;  // cleaned by the next pass
        }
        auto known = rig.versions.find(entry.relativePath);
        ASSERT_NE(known, rig.versions.end()) << "unexpected on the disk: " << entry.relativePath;
        EXPECT_EQ(entry.size, entry.contents.size()) << "torn: " << entry.relativePath;
        EXPECT_EQ(known->second.count(entry.contents), 1u) << "torn: " << entry.relativePath;
    }
    for (const os::sim::SimEntry& revision : rig.sim.files().ListTree(kRevisionsOfDocs)) {
        if (revision.directory ||
            IsTemporaryName(revision.relativePath.substr(revision.relativePath.rfind('\\') + 1))) {
            continue;
        }
        EXPECT_EQ(revision.size, revision.contents.size())
            << "torn revision " << revision.relativePath;
    }
    // What the next scan would pass over must be on the disk as it is now.
    for (const os::sim::SimEntry& source : rig.sim.files().ListTree(kDocs)) {
        if (source.directory || !ScanWouldPassOver(rig, source)) {
            continue;
        }
        auto copy = onDisk.find(source.relativePath);
        ASSERT_NE(copy, onDisk.end()) << "lost for good: " << source.relativePath;
        EXPECT_EQ(copy->second->contents, source.contents)
            << "lost for good: " << source.relativePath;
    }
    // The retry list's file parses, or is not there.
    std::vector<std::string> paths;
    if (auto bytes = rig.sim.files().ContentsOf(RetryLogPath(rig.sim.machine().system))) {
        EXPECT_TRUE(ParseRetryLog(*bytes, paths)) << "the retry list's file is torn";
    }
}

void CheckBackupComplete(Rig& rig, const std::string& where) {
    SCOPED_TRACE(where);
    const auto mirror = rig.DiskFiles(kMirror);
    const auto sources = rig.DiskFiles(kDocs);
    for (const auto& [path, contents] : sources) {
        auto copy = mirror.find(path);
        if (copy == mirror.end()) {
            ADD_FAILURE() << "missing from the backup: " << path;
        } else if (copy->second != contents) {
            ADD_FAILURE() << "not the source's version: " << path << " (" << copy->second.size()
                          << " bytes, the source " << contents.size() << ")";
        }
    }
    for (const auto& [path, contents] : mirror) {
        EXPECT_EQ(sources.count(path), 1u) << "not in the source: " << path;
    }
    // An empty file the pass flushed to commit the disk may stay in its root when the cut came
    // just after that flush; the next pass that copies removes it. Nothing else is left.
    for (const os::sim::SimEntry& entry : rig.sim.files().ListTree("F:\\")) {
        if (IsTemporaryName(entry.relativePath)) {
            EXPECT_EQ(entry.size, 0u) << "left on the disk: " << entry.relativePath;
        }
    }
    for (const auto& [path, contents] : rig.DiskFiles(kRevisionsOfDocs)) {
        EXPECT_FALSE(IsTemporaryName(path.substr(path.rfind('\\') + 1))) << path;
        const std::string relative = path;  // "letter.(1).doc" -> one of letter.doc's versions
        bool known = false;
        for (const auto& [source, versions] : rig.versions) {
            known = known || versions.count(contents) != 0;
        }
        EXPECT_TRUE(known) << "revision holds no version of its file: " << relative;
    }
    if (rig.engine) {
        EXPECT_EQ(rig.engine->retryList().Count(), 0u);
    }
}

uint64_t ReferenceOperations(os::sim::SimWriteCache cache) {
    Rig rig(cache);
    const uint64_t before = rig.sim.OperationCount();
    rig.MakeEngine();
    EXPECT_EQ(rig.engine->RunPass(false), 0u);
    rig.engine.reset();
    CheckBackupComplete(rig, "reference pass");
    return rig.sim.OperationCount() - before;
}

void Sweep(Fault fault, os::sim::SimWriteCache cache) {
    const uint64_t operations = ReferenceOperations(cache);
    ASSERT_GT(operations, 50u);
    for (uint64_t k = 1; k <= operations; ++k) {
        const std::string where =
            std::string(fault == Fault::PowerCut ? "power cut" : "disk pulled") + " at operation " +
            std::to_string(k) + " of " + std::to_string(operations);
        Rig rig(cache);
        if (fault == Fault::PowerCut) {
            rig.sim.CutPowerAtOperation(k);
            rig.MakeEngine();
            rig.engine->RunPass(false);
            rig.engine.reset();  // the program is gone; what it does now never reaches a disk
            rig.sim.RestorePower();
            CheckAfterCut(rig, where);
            rig.MakeEngine();  // started again
        } else {
            rig.sim.PullMediumAtOperation(k, "F:");
            rig.MakeEngine();
            rig.engine->RunPass(false);
            if (auto pulled = rig.sim.MediumPulled()) {
                rig.sim.files().InsertMedium("F:", pulled);  // put back as it was left
            }
            CheckAfterCut(rig, where);
        }
        rig.user.shown.clear();
        ASSERT_EQ(rig.engine->RunPass(false), 0u) << where;
        CheckBackupComplete(rig, where + ", then a clean pass");
        if (::testing::Test::HasFailure()) {
            return;  // one failing step says enough
        }
    }
}

TEST(PowerSweep, APowerCutAtEveryStepWithDataCached) {
    Sweep(Fault::PowerCut, os::sim::SimWriteCache::Data);
}

TEST(PowerSweep, APowerCutAtEveryStepWithEverythingCached) {
    Sweep(Fault::PowerCut, os::sim::SimWriteCache::All);
}

TEST(PowerSweep, TheDiskPulledAtEveryStep) {
    Sweep(Fault::PulledDisk, os::sim::SimWriteCache::All);
}

}  // namespace
}  // namespace engine::testing
