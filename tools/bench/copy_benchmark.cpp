// Prints what the changed-file scan and the copier cost over the simulated machine: a tree of
// 100,000 files in 1,000 folders with paths of about 80 characters is scanned (files per second,
// and the heap the candidate list takes per file at its peak), copied in full to a backup disk,
// scanned and passed again unchanged, then with a tenth of it changed; each step with the calls
// of the file-system port it made per file, by kind. Then the incremental pass over 1,000,000
// unchanged files in 10,000 folders and a complete scan of them (--small or --million runs only
// the one part). The
// simulated disk is memory, so the figures are the program's own work, not a device's.

#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "engine/copier_owner.h"
#include "engine/file_copier.h"
#include "engine/folder_scanner.h"
#include "os/sim/sim_machine.h"
#include "settings/settings_store.h"

namespace {

// Heap in use, counted by every operator new and delete of the program.
std::atomic<int64_t> heapInUse{0};
std::atomic<int64_t> heapPeak{0};

void Count(void* p, bool allocated) {
    if (p == nullptr) {
        return;
    }
    const auto size = static_cast<int64_t>(malloc_usable_size(p));
    const int64_t now = heapInUse += allocated ? size : -size;
    int64_t peak = heapPeak;
    while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
    }
}

void* Allocate(size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    Count(p, true);
    return p;
}

}  // namespace

void* operator new(size_t size) {
    return Allocate(size);
}
void* operator new[](size_t size) {
    return Allocate(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    void* p = std::malloc(size == 0 ? 1 : size);
    Count(p, true);
    return p;
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void* operator new[](size_t size, std::align_val_t align, const std::nothrow_t&) noexcept {
    void* p =
        std::aligned_alloc(static_cast<size_t>(align), (size + static_cast<size_t>(align) - 1) &
                                                           ~(static_cast<size_t>(align) - 1));
    Count(p, true);
    return p;
}
void operator delete(void* p) noexcept {
    Count(p, false);
    std::free(p);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete(void* p, size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    operator delete(p);
}

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class QuietOwner final : public engine::CopierOwner {
  public:
    uint32_t DiskFullHandler(const os::FileTime&, const os::FileTime&, uint64_t, const std::string&,
                             uint64_t) override {
        return 995;
    }
    void FileTooLarge(const std::string&) override {}
    void FileError(const std::string&, uint32_t) override { ++errors; }
    void LongFileName(const std::string&) override {}
    int errors = 0;
};

constexpr size_t kFileBytes = 1024;

std::string FolderName(int folder) {
    char name[64];
    std::snprintf(name, sizeof name, "C:\\Users\\Benchmark\\Documents\\Projects\\Folder %04d",
                  folder);
    return name;
}

std::string FileName(int file) {
    char name[64];
    std::snprintf(name, sizeof name, "\\Quarterly report number %06d.txt", file);
    return name;
}

constexpr char kTreeRoot[] = "C:\\Users\\Benchmark";

// Prints the calls made between two tallies per file, by kind, and their sum.
void PrintCalls(const char* what, const os::sim::SimCallTally& before,
                const os::sim::SimCallTally& after, size_t files) {
    const os::sim::SimCallTally made = os::sim::CallsBetween(before, after);
    const auto per = [files](uint64_t calls) {
        return static_cast<double>(calls) / static_cast<double>(files == 0 ? 1 : files);
    };
    std::printf("  calls per file, %s: %.2f\n", what, per(os::sim::TotalCalls(made)));
    for (size_t kind = 0; kind < os::sim::kSimCallKinds; ++kind) {
        if (made[kind] != 0) {
            std::printf("    %-28s %6.2f\n",
                        os::sim::SimCallName(static_cast<os::sim::SimCall>(kind)), per(made[kind]));
        }
    }
}

// Rewrites every tenth file with new contents and a later time, as a day's work would.
int ChangeSome(os::sim::SimMachine& sim, int folders, int filesPerFolder, os::FileTime when) {
    const std::string contents(kFileBytes, 'y');
    os::sim::SimPutOptions options;
    options.times = os::FileTimes{when, when, when};
    int changed = 0;
    for (int folder = 0; folder < folders; ++folder) {
        for (int file = 0; file < filesPerFolder; file += 10) {
            sim.files().PutFile(FolderName(folder) + FileName(folder * filesPerFolder + file),
                                contents, options);
            ++changed;
        }
    }
    return changed;
}

// 100,000 files of 1 KB: the scan, a full copy, a pass over the unchanged tree, passes over a
// tenth of it changed (without and with revisions), and a retry list of every file.
void SmallFiles() {
    constexpr int kFolders = 1000;
    constexpr int kFilesPerFolder = 100;
    os::sim::SimMachine sim;
    os::sim::SimMediumSpec setup;
    setup.capacityBytes = 64ULL << 30;
    sim.files().AddDrive("F:", os::DriveType::Removable, sim.files().CreateMedium(setup));
    const std::string contents(kFileBytes, 'x');
    size_t pathBytes = 0;
    for (int folder = 0; folder < kFolders; ++folder) {
        for (int file = 0; file < kFilesPerFolder; ++file) {
            const std::string path = FolderName(folder) + FileName(folder * kFilesPerFolder + file);
            pathBytes += path.size();
            sim.files().PutFile(path, contents);
        }
    }
    const int files = kFolders * kFilesPerFolder;
    std::printf("tree: %d files of %zu bytes in %d folders, paths of %.1f characters on average\n",
                files, kFileBytes, kFolders, static_cast<double>(pathBytes) / files);

    os::sim::SimCallCounts& calls = sim.files().calls();
    engine::FolderScanner scanner(sim.machine().files);
    engine::FileList candidates(sim.machine().files);
    engine::FileList retries(sim.machine().files);
    const int64_t before = heapInUse;
    heapPeak = before;
    auto tally = calls.Tally();
    auto start = Clock::now();
    scanner.ScanFolder(kTreeRoot, {}, 0, candidates);
    double elapsed = Seconds(start);
    const int64_t peak = heapPeak - before;
    const int64_t kept = heapInUse - before;
    std::printf("scan: %zu candidates in %.3f s, %.0f files/s\n", candidates.Count(), elapsed,
                files / elapsed);
    PrintCalls("full scan", tally, calls.Tally(), files);
    std::printf("candidate list: %.1f bytes per file at the peak of the scan, %.1f kept after it\n",
                static_cast<double>(peak) / files, static_cast<double>(kept) / files);

    heapPeak = static_cast<int64_t>(heapInUse);
    const int64_t beforeLookups = heapInUse;
    candidates.Contains("C:\\nothing");  // builds the lookup by path, as a retry pass does
    std::printf("with its lookup by path: %.1f bytes per file\n",
                static_cast<double>(kept + heapPeak - beforeLookups) / files);

    settings::CKRVSettingsStore store(sim.machine().registry);
    QuietOwner owner;
    engine::FileCopier copier(sim.machine().files, owner, store, 0);
    os::FileTime watermark = 0;
    tally = calls.Tally();
    start = Clock::now();
    const uint32_t result = copier.CopyPass(candidates, "F:", retries, watermark);
    elapsed = Seconds(start);
    std::printf("full copy: %d files, %.1f MB in %.3f s, %.0f files/s (result %u, %d errors)\n",
                files, static_cast<double>(copier.BytesCopied()) / (1 << 20), elapsed,
                files / elapsed, result, owner.errors);
    PrintCalls("full copy (the pass, less the scan)", tally, calls.Tally(), files);

    tally = calls.Tally();
    start = Clock::now();
    scanner.ScanFolder(kTreeRoot, {}, watermark, candidates);
    const double rescan = Seconds(start);
    start = Clock::now();
    copier.CopyPass(candidates, "F:", retries, watermark);
    std::printf("unchanged tree: scan %.3f s (%.0f files/s, %zu due), pass %.4f s\n", rescan,
                files / rescan, candidates.Count(), Seconds(start));
    PrintCalls("unchanged tree (scan and pass)", tally, calls.Tally(), files);

    for (const uint32_t revisions : {0u, 0xFFFFFFFFu}) {
        sim.clock().Advance(60'000);
        const int changed =
            ChangeSome(sim, kFolders, kFilesPerFolder, sim.machine().clock.UtcNow());
        copier.SetRevisionLimit(revisions);
        scanner.ScanFolder(kTreeRoot, {}, watermark, candidates);
        tally = calls.Tally();
        start = Clock::now();
        copier.CopyPass(candidates, "F:", retries, watermark);
        elapsed = Seconds(start);
        std::printf("a tenth changed, revisions %s: %d files in %.3f s, %.0f files/s\n",
                    revisions == 0 ? "off" : "on", changed, elapsed, changed / elapsed);
        PrintCalls(revisions == 0 ? "changed file, its copy replaced"
                                  : "changed file, its copy kept as a revision",
                   tally, calls.Tally(), static_cast<size_t>(changed));
    }
    copier.SetRevisionLimit(0);

    // A pass whose retry list holds every file, each also a candidate: the retry pass copies
    // them all and takes each off the candidates.
    scanner.ScanFolder(kTreeRoot, {}, 0, candidates);
    for (size_t i = 0; i < candidates.Count(); ++i) {
        retries.AddEntry(candidates.EntryAt(i).path, 0, kFileBytes);
    }
    start = Clock::now();
    copier.CopyPass(candidates, "F:", retries, watermark);
    std::printf("retry list of %d files, each also a candidate: %.3f s (%.0f files/s)\n", files,
                Seconds(start), files / Seconds(start));
}

// 1,000,000 files in 10,000 folders that the last pass copied (old times, archive bits clear):
// the incremental pass finds nothing due; a complete scan of the same tree lists them all.
void MillionFiles() {
    constexpr int kFolders = 10000;
    constexpr int kFilesPerFolder = 100;
    os::sim::SimMachine sim;
    os::sim::SimPutOptions options;
    options.attributes = 0;
    const os::FileTime old = sim.machine().clock.UtcNow() - 86400ULL * 10'000'000;
    options.times = os::FileTimes{old, old, old};
    for (int folder = 0; folder < kFolders; ++folder) {
        for (int file = 0; file < kFilesPerFolder; ++file) {
            sim.files().PutSparseFile(
                FolderName(folder) + FileName(folder * kFilesPerFolder + file), 4096, options);
        }
    }
    const int files = kFolders * kFilesPerFolder;
    std::printf("\ntree: %d files of 4 KB in %d folders, last copied a day ago\n", files, kFolders);
    os::sim::SimCallCounts& calls = sim.files().calls();
    engine::FolderScanner scanner(sim.machine().files);
    engine::FileList candidates(sim.machine().files);
    engine::FileList retries(sim.machine().files);
    settings::CKRVSettingsStore store(sim.machine().registry);
    QuietOwner owner;
    engine::FileCopier copier(sim.machine().files, owner, store, 0);
    os::FileTime watermark = old + 1;

    auto tally = calls.Tally();
    auto start = Clock::now();
    scanner.ScanFolder(kTreeRoot, {}, watermark, candidates);
    const double scan = Seconds(start);
    copier.CopyPass(candidates, "F:", retries, watermark);
    const double pass = Seconds(start);
    std::printf("incremental pass: %zu due, scan %.3f s, scan and pass %.3f s (%.0f files/s)\n",
                candidates.Count(), scan, pass, files / pass);
    PrintCalls("unchanged file in the scan", tally, calls.Tally(), files);

    candidates.Clear();
    const int64_t before = heapInUse;
    heapPeak = before;
    start = Clock::now();
    scanner.ScanFolder(kTreeRoot, {}, 0, candidates);
    const double full = Seconds(start);
    std::printf(
        "complete scan: %zu candidates in %.3f s; the list takes %.1f bytes per candidate "
        "at its peak, %.1f after\n",
        candidates.Count(), full, static_cast<double>(heapPeak - before) / files,
        static_cast<double>(heapInUse - before) / files);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string only = argc > 1 ? argv[1] : "";
    if (only != "--million") {
        SmallFiles();
    }
    if (only != "--small") {
        MillionFiles();
    }
    return 0;
}
