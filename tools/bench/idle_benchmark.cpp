// Prints how often the engine's threads wake while the program sits idle: the engine is started
// over the simulated machine with a backup disk in its drive and nothing to copy, then left alone
// for a simulated hour, once for each kind of schedule. A wake-up is the end of a wait that had
// to block (a time-out, a signal or a sleep); each thread is listed with the time-outs it waited
// with, which tell who it is (the change watcher's 1-second look at its stop flag, the
// scheduler's minute, the worker's wait for the next pass).

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "drivekit/sim/sim_drive_backend.h"
#include "engine/mirror_engine.h"
#include "os/errors.h"
#include "os/sim/sim_machine.h"
#include "settings/setting_names.h"
#include "settings/settings_store.h"

namespace {

constexpr uint64_t kHourMs = 3'600'000;

// Nobody answers: an idle program raises no prompt, and one raised here is a fault to see.
class AbsentUser final : public engine::PromptView {
  public:
    engine::DiskFullChoice ShowDiskFull(const os::SystemTime&, const os::SystemTime&) override {
        return Note("104", engine::DiskFullChoice{});
    }
    engine::WrongDiskChoice ShowWrongDisk() override {
        return Note("115", engine::WrongDiskChoice{});
    }
    engine::NoDiskChoice ShowNoDisk() override { return Note("160", engine::NoDiskChoice{}); }
    bool ShowInsertDisk(int, const std::string&) override { return Note("136", false); }
    engine::NoticeChoice ShowFileTooLarge(const std::string&) override {
        return Note("162", engine::NoticeChoice{});
    }
    engine::NoticeChoice ShowFileError(const engine::FileErrorDetails&) override {
        return Note("163", engine::NoticeChoice{});
    }
    engine::NoticeChoice ShowLongFileName(const std::string&) override {
        return Note("164", engine::NoticeChoice{});
    }
    engine::NoticeChoice ShowDiskBecomingFull() override {
        return Note("202", engine::NoticeChoice{});
    }
    std::optional<engine::SecretText> ShowPassword() override {
        return Note("203", std::optional<engine::SecretText>{});
    }
    bool ShowProtected() override { return Note("204", false); }
    void ShowWriteProtectSwitch() override { Note("205", 0); }
    void CloseOpenPrompts() override {}

  private:
    template <typename T>
    T Note(const char* prompt, T answer) {
        std::printf("  (prompt %s was raised)\n", prompt);
        return answer;
    }
};

class NoProgress final : public engine::ProgressView {
  public:
    int RunProgressDialog(engine::ProgressState&, os::Clock&) override { return 0; }
};

void Check(uint32_t error, const char* what) {
    if (error != os::kErrorSuccess) {
        std::printf("cannot set up the machine: %s failed with %u\n", what, error);
        std::exit(1);
    }
}

const char* ScheduleName(uint32_t type) {
    switch (type) {
        case 0:
            return "copy at every change";
        case 1:
            return "copy every 15 minutes";
        case 2:
            return "copy on chosen days at a time";
        default:
            return "copy only at shutdown";
    }
}

void IdleHour(uint32_t scheduleType) {
    os::sim::SimMachine sim;
    drvKit::sim::SimDriveKit drives(sim.files());
    drvKit::sim::SimDriveSpec drive;
    drive.subFamily = 7;
    drives->AddDrive('F', drive);
    drvKit::sim::SimDiskSpec disk;
    disk.label = "BACKUP1";
    disk.serialNumber = 1;
    disk.capacityBytes = 64ULL << 20;
    drives->InsertDisk('F', drives->CreateDisk(disk));

    const std::string documents = "C:\\Users\\User\\Documents";
    // A file backed up long ago: old times, archive bit clear.
    const os::FileTime old = sim.machine().clock.UtcNow() - 86400ULL * 10'000'000;
    os::sim::SimPutOptions copied;
    copied.attributes = 0;
    copied.times = os::FileTimes{old, old, old};
    Check(sim.files().PutFile(documents + "\\Letter.txt", "copied long ago", copied),
          "a source file");
    settings::CKRVSettingsStore store(sim.machine().registry);
    Check(store.WriteDestination("F:\\"), "Destination");
    Check(store.WriteSourceList({documents}), "Source");
    Check(store.WriteDiskId("0000-0001"), "DiskID");
    Check(store.WriteMirrorStatus(1), "Mirror Status");
    Check(store.WriteWarningStatus(1), "Warning Status");
    // Everything was copied: no complete copy at start, nothing due.
    Check(store.WriteStartTime(sim.machine().clock.UtcNow()), "Start Time");
    Check(store.WriteSchedulerValue(settings::names::kSchedulerType, scheduleType),
          "Scheduler TYP");
    Check(store.WriteSchedulerValue(settings::names::kSchedulerInterval, 15), "Scheduler INT");
    Check(store.WriteSchedulerValue(settings::names::kSchedulerDays, 0x7F), "Scheduler DOW");
    Check(store.WriteSchedulerValue(settings::names::kSchedulerTimeOfDay, 3 * 60), "Scheduler TOD");

    os::sim::SimClock::Participation here(sim.clock());
    engine::SharedState shared;
    engine::SharedDrives sharedDrives;
    engine::NoMainWindow mainWindow;
    AbsentUser user;
    NoProgress progress;
    engine::EngineServices services{sim.machine(), shared,  sharedDrives,          mainWindow, user,
                                    progress,      nullptr, settings::kProductKey, ""};
    engine::CKRVMirrorEngine engine(services);
    Check(engine.Start(), "Start");
    sim.clock().Sleep(60'000);  // the engine settles in
    sim.clock().ResetWakeUps();
    const os::sim::SimCallTally before = sim.files().calls().Tally();
    sim.clock().Sleep(kHourMs);
    const std::vector<os::sim::SimThreadWakeUps> wakeUps = sim.clock().WakeUps();
    const uint64_t calls =
        os::sim::TotalCalls(os::sim::CallsBetween(before, sim.files().calls().Tally()));
    engine.Stop();

    std::printf("%s: over a simulated hour\n", ScheduleName(scheduleType));
    uint64_t total = 0;
    for (const os::sim::SimThreadWakeUps& thread : wakeUps) {
        std::printf("  a thread woke %5llu times (%llu by time-out)",
                    static_cast<unsigned long long>(thread.wakeUps),
                    static_cast<unsigned long long>(thread.timedOut));
        if (thread.shortestTimeout == os::kInfinite) {
            std::printf(", waiting without a time-out\n");
        } else if (thread.shortestTimeout == thread.longestTimeout) {
            std::printf(", waiting %u ms at a time\n", thread.shortestTimeout);
        } else {
            std::printf(", waiting %u to %u ms at a time\n", thread.shortestTimeout,
                        thread.longestTimeout);
        }
        total += thread.wakeUps;
    }
    std::printf(
        "  %llu wake-ups in all (one of them this benchmark's own hour-long sleep); "
        "%llu file-system calls\n",
        static_cast<unsigned long long>(total), static_cast<unsigned long long>(calls));
}

}  // namespace

int main() {
    for (uint32_t type : {0u, 1u, 2u, 3u}) {
        IdleHour(type);
    }
    return 0;
}
