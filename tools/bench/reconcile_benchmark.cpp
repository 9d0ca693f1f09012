// Prints what the reconciliation of the source folders with the backup disk costs over the
// simulated machine: a tree of 100,000 files in 1,000 folders with a complete backup on a disk,
// reconciled once as it is and once after one file in a hundred was deleted from the disk; beside
// it, the changed-file scan of the same tree with nothing changed. For each: the time and the
// port calls. The simulated disks are memory, so the figures are the program's own work and its
// calls; on a real disk each search call costs a request to the file system.
//   reconcile_benchmark [files] [folders] [file system of the disk]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/disk_times.h"
#include "engine/file_list.h"
#include "engine/folder_scanner.h"
#include "os/sim/sim_machine.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void PrintCalls(const char* what, size_t candidates, double seconds,
                const os::sim::SimCallTally& before, os::sim::SimFileSystem& files) {
    const os::sim::SimCallTally after = files.calls().Tally();
    uint64_t total = 0;
    std::string kinds;
    for (size_t kind = 0; kind < os::sim::kSimCallKinds; ++kind) {
        const uint64_t count = after[kind] - before[kind];
        if (count != 0) {
            total += count;
            kinds += std::string(" ") + os::sim::SimCallName(static_cast<os::sim::SimCall>(kind)) +
                     "=" + std::to_string(count);
        }
    }
    std::printf("%s: %zu candidates in %.3f s, %llu port calls (%s )\n", what, candidates, seconds,
                static_cast<unsigned long long>(total), kinds.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const uint64_t files = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100'000;
    const uint64_t folders = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1'000;
    const std::string fileSystem = argc > 3 ? argv[3] : "NTFS";
    if (files == 0 || folders == 0) {
        std::fprintf(stderr, "usage: reconcile_benchmark [files] [folders] [file system]\n");
        return 2;
    }
    os::sim::SimMachine machine;
    os::sim::SimFileSystem& sim = machine.files();
    os::sim::SimMediumSpec disk;
    disk.capacityBytes = 1ULL << 40;
    disk.fileSystem = fileSystem;
    sim.AddDrive("F:", os::DriveType::Removable, sim.CreateMedium(disk));

    const os::FileTime old =
        machine.clock().UtcNow() - 7ULL * 24 * 3600 * os::kFileTimeTicksPerSecond;
    os::sim::SimPutOptions put;
    put.attributes = 0;
    put.times = os::FileTimes{old, old, old};
    const std::string source = "C:\\Users\\User\\Documents";
    std::vector<std::string> copies;
    char name[80];
    for (uint64_t folder = 0; folder < folders; ++folder) {
        for (uint64_t i = files * folder / folders; i < files * (folder + 1) / folders; ++i) {
            std::snprintf(name, sizeof name, "\\Project %04llu\\document %07llu.txt",
                          static_cast<unsigned long long>(folder),
                          static_cast<unsigned long long>(i));
            if (sim.PutFile(source + name, "text", put) != 0 ||
                sim.PutFile(std::string("F:\\Users\\User\\Documents") + name, "text", put) != 0) {
                std::fprintf(stderr, "could not make %s\n", name);
                return 1;
            }
            if (i % 100 == 7) {
                copies.push_back(std::string("F:\\Users\\User\\Documents") + name);
            }
        }
    }
    std::printf("tree: %llu files in %llu folders, a complete backup on a %s disk\n",
                static_cast<unsigned long long>(files), static_cast<unsigned long long>(folders),
                fileSystem.c_str());

    engine::FolderScanner scanner(machine.machine().files);
    const engine::DiskTimeRules rules = engine::TimeRulesOf(fileSystem);
    auto reconcile = [&](const char* what) {
        engine::FileList candidates(machine.machine().files);
        const os::sim::SimCallTally before = sim.calls().Tally();
        const auto start = Clock::now();
        scanner.ReconcileFolder(source, {}, "F:", rules, candidates);
        PrintCalls(what, candidates.Count(), SecondsSince(start), before, sim);
    };
    {
        engine::FileList candidates(machine.machine().files);
        const os::sim::SimCallTally before = sim.calls().Tally();
        const auto start = Clock::now();
        scanner.ScanFolder(source, {}, machine.clock().UtcNow(), candidates);
        PrintCalls("scan, nothing changed", candidates.Count(), SecondsSince(start), before, sim);
    }
    reconcile("reconciliation, backup complete");
    for (const std::string& copy : copies) {
        machine.machine().files.DeleteFile(copy);
    }
    reconcile("reconciliation, 1 % of the copies deleted");
    return 0;
}
