// Prints what the changed-file scan costs at scale over the simulated machine: 1,000,000 files
// in 10,000 folders under 200 source folders, beside a folder chain 2,000 deep and a junction
// that leads back up the tree. It scans everything (a complete copy), then again with nothing
// changed, and orders the candidates oldest first; for each it prints the time, the port calls
// and the heap the candidate list holds per candidate. The simulated disk is memory, so the
// figures are the program's own work.
//   scale_benchmark [files] [folders] [sources] [depth]

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/file_list.h"
#include "engine/folder_scanner.h"
#include "os/sim/sim_machine.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int64_t HeapInUse() {
    return static_cast<int64_t>(mallinfo2().uordblks);
}

uint64_t SearchCalls(os::sim::SimFileSystem& files) {
    return files.calls().Of(os::sim::SimCall::FindFirst) +
           files.calls().Of(os::sim::SimCall::FindNext);
}

}  // namespace

int main(int argc, char** argv) {
    const uint64_t files = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1'000'000;
    const uint64_t folders = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 10'000;
    const uint64_t sources = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 200;
    const uint64_t depth = argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 2'000;
    if (files == 0 || folders == 0 || sources == 0 || folders % sources != 0) {
        std::fprintf(stderr, "usage: scale_benchmark [files] [folders] [sources] [depth]\n"
                             "(folders a multiple of sources)\n");
        return 2;
    }

    os::sim::SimMachine machine;
    os::sim::SimFileSystem& sim = machine.files();
    os::sim::SimMediumSpec big;
    big.capacityBytes = 1ULL << 40;
    sim.AddDrive("D:", os::DriveType::Fixed, sim.CreateMedium(big));

    // Files a week old, backed up (no archive attribute): an unchanged tree.
    const os::FileTime old = machine.clock().UtcNow() - 7ULL * 24 * 3600 * os::kFileTimeTicksPerSecond;
    os::sim::SimPutOptions put;
    put.attributes = 0;
    put.times = os::FileTimes{old, old, old};
    auto start = Clock::now();
    const uint64_t foldersPerSource = folders / sources;
    std::vector<std::string> sourceFolders;
    uint64_t made = 0;
    char name[64];
    for (uint64_t s = 0; s < sources; ++s) {
        std::snprintf(name, sizeof name, "D:\\Users\\User\\Source %03llu",
                      static_cast<unsigned long long>(s));
        sourceFolders.push_back(name);
        for (uint64_t f = 0; f < foldersPerSource; ++f) {
            const uint64_t folder = s * foldersPerSource + f;
            const uint64_t first = files * folder / folders;
            const uint64_t last = files * (folder + 1) / folders;
            std::snprintf(name, sizeof name, "\\Project folder %05llu\\",
                          static_cast<unsigned long long>(folder));
            const std::string prefix = sourceFolders.back() + name;
            for (uint64_t i = first; i < last; ++i) {
                std::snprintf(name, sizeof name, "document %07llu.txt",
                              static_cast<unsigned long long>(i));
                if (sim.PutFile(prefix + name, "", put) != 0) {
                    std::fprintf(stderr, "could not make %s%s\n", prefix.c_str(), name);
                    return 1;
                }
                ++made;
            }
        }
    }
    // A chain of folders `depth` deep with one file at its bottom, and a junction in the first
    // source folder that leads back to the folder of all sources.
    std::string deep = "D:\\Users\\User\\Deep";
    for (uint64_t level = 0; level < depth; ++level) {
        deep += "\\d";
    }
    sim.PutFile(deep + "\\bottom.txt", "", put);
    sourceFolders.push_back("D:\\Users\\User\\Deep");
    sim.PutLink(sourceFolders.front() + "\\Loop", "D:\\Users\\User", true);
    ++made;
    std::printf("tree: %llu files in %llu folders under %zu source folders, a chain %llu deep and a "
                "junction loop; made in %.1f s\n",
                static_cast<unsigned long long>(made), static_cast<unsigned long long>(folders),
                sourceFolders.size(), static_cast<unsigned long long>(depth), SecondsSince(start));

    engine::FolderScanner scanner(machine.machine().files);

    // A complete copy: every file is a candidate.
    {
        engine::FileList candidates(machine.machine().files);
        const int64_t heapBefore = HeapInUse();
        const uint64_t callsBefore = SearchCalls(sim);
        start = Clock::now();
        for (const std::string& folder : sourceFolders) {
            scanner.ScanFolder(folder, {}, 0, candidates);
        }
        const double seconds = SecondsSince(start);
        const int64_t heap = HeapInUse() - heapBefore;
        const size_t count = candidates.Count();
        std::printf("complete scan: %zu candidates in %.2f s (%.0f files/s), %llu search calls, "
                    "%.0f bytes a candidate\n",
                    count, seconds, static_cast<double>(count) / seconds,
                    static_cast<unsigned long long>(SearchCalls(sim) - callsBefore),
                    static_cast<double>(heap) / static_cast<double>(count));
        start = Clock::now();
        candidates.OrderByTime([](const engine::FileEntryView&) { return true; });
        std::printf("oldest-first order of the candidates: %.2f s, %.0f bytes a candidate with it\n",
                    SecondsSince(start),
                    static_cast<double>(HeapInUse() - heapBefore) / static_cast<double>(count));
    }

    // Nothing changed since the last copy.
    {
        engine::FileList candidates(machine.machine().files);
        const uint64_t callsBefore = SearchCalls(sim);
        start = Clock::now();
        for (const std::string& folder : sourceFolders) {
            scanner.ScanFolder(folder, {}, machine.clock().UtcNow(), candidates);
        }
        const double seconds = SecondsSince(start);
        std::printf("scan with nothing changed: %zu candidates in %.2f s (%.0f files/s), %llu "
                    "search calls\n",
                    candidates.Count(), seconds, static_cast<double>(made) / seconds,
                    static_cast<unsigned long long>(SearchCalls(sim) - callsBefore));
    }
    return 0;
}
