// Prints what the changed-file scan and the copier cost over the simulated machine: a tree of
// 100,000 files in 1,000 folders with paths of about 80 characters is scanned (files per second,
// and the heap the candidate list takes per file at its peak), copied in full to a backup disk,
// then scanned and passed again unchanged. The simulated disk is memory, so the figures are the
// program's own work, not a device's.

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

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;
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

}  // namespace

int main() {
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
    std::printf("tree: %d files in %d folders, paths of %.1f characters on average\n", files,
                kFolders, static_cast<double>(pathBytes) / files);

    engine::FolderScanner scanner(sim.machine().files);
    engine::FileList candidates(sim.machine().files);
    engine::FileList retries(sim.machine().files);
    const int64_t before = heapInUse;
    heapPeak = before;
    auto start = Clock::now();
    scanner.ScanFolder("C:\\Users\\Benchmark", {}, 0, candidates);
    double elapsed = Seconds(start);
    const int64_t peak = heapPeak - before;
    const int64_t kept = heapInUse - before;
    std::printf("scan: %zu candidates in %.3f s, %.0f files/s\n", candidates.Count(), elapsed,
                files / elapsed);
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
    start = Clock::now();
    const uint32_t result = copier.CopyPass(candidates, "F:", retries, watermark);
    elapsed = Seconds(start);
    std::printf("full copy: %d files, %.1f MB in %.3f s, %.0f files/s (result %u, %d errors)\n",
                files, static_cast<double>(copier.BytesCopied()) / (1 << 20), elapsed,
                files / elapsed, result, owner.errors);

    start = Clock::now();
    scanner.ScanFolder("C:\\Users\\Benchmark", {}, watermark, candidates);
    const double rescan = Seconds(start);
    start = Clock::now();
    copier.CopyPass(candidates, "F:", retries, watermark);
    std::printf("unchanged tree: scan %.3f s (%.0f files/s, %zu due), pass %.4f s\n", rescan,
                files / rescan, candidates.Count(), Seconds(start));

    // A pass whose retry list holds every file, each also a candidate: the retry pass copies
    // them all and takes each off the candidates.
    scanner.ScanFolder("C:\\Users\\Benchmark", {}, 0, candidates);
    for (size_t i = 0; i < candidates.Count(); ++i) {
        retries.AddEntry(candidates.EntryAt(i).path, 0, kFileBytes);
    }
    start = Clock::now();
    copier.CopyPass(candidates, "F:", retries, watermark);
    std::printf("retry list of %d files, each also a candidate: %.3f s (%.0f files/s)\n", files,
                Seconds(start), files / Seconds(start));
    return 0;
}
