// Prints what the reconciliation costs over real files: reconcile_benchmark_win32 SOURCE DISK
// compares the tree SOURCE with its backup under the destination root DISK (where a pass puts
// it: DISK followed by SOURCE's path after its drive), as the first pass of a run does, beside the
// changed-file scan of the same tree with nothing changed. For each: the time, the candidates and
// the search calls. wine_reconcile_benchmark.sh makes the trees and runs it.

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "engine/disk_times.h"
#include "engine/file_list.h"
#include "engine/folder_scanner.h"
#include "os/win32/win32_machine.h"
#include "tests/os/forwarding_file_system.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Counts the searches, the only calls a scan and a reconciliation make.
class CountedFiles final : public test::ForwardingFileSystem {
  public:
    using ForwardingFileSystem::ForwardingFileSystem;
    uint64_t searches = 0;
    uint64_t entries = 0;

    uint32_t FindFirst(const std::string& p, std::unique_ptr<os::DirectorySearch>& s,
                       os::FileInfo& f) override {
        ++searches;
        std::unique_ptr<os::DirectorySearch> inner;
        const uint32_t error = target().FindFirst(p, inner, f);
        if (error == 0) {
            ++entries;
            s = std::make_unique<CountedSearch>(*this, std::move(inner));
        }
        return error;
    }

  private:
    class CountedSearch final : public os::DirectorySearch {
      public:
        CountedSearch(CountedFiles& files, std::unique_ptr<os::DirectorySearch> inner)
            : files_(files), inner_(std::move(inner)) {}
        uint32_t Next(os::FileInfo& f) override {
            const uint32_t error = inner_->Next(f);
            if (error == 0) {
                ++files_.entries;
            }
            return error;
        }

      private:
        CountedFiles& files_;
        std::unique_ptr<os::DirectorySearch> inner_;
    };
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: reconcile_benchmark_win32 SOURCE DISK\n");
        return 2;
    }
    const std::string source = argv[1];
    std::string disk = argv[2];
    while (!disk.empty() && disk.back() == '\\') {
        disk.pop_back();
    }
    os::win32::Win32Machine machine;
    CountedFiles files(machine.machine().files);
    engine::FolderScanner scanner(files);
    engine::FileList candidates(files);

    auto start = Clock::now();
    const os::FileTime now = machine.machine().clock.UtcNow();
    static_cast<void>(scanner.ScanFolder(source, {}, now, candidates));  // never cancelled
    std::printf("changed-file scan from now: %zu candidates, %.3f s, %llu searches, %llu entries\n",
                candidates.Count(), Seconds(start), static_cast<unsigned long long>(files.searches),
                static_cast<unsigned long long>(files.entries));
    candidates.Clear();

    os::VolumeInfo volume;
    const std::string root = disk.size() >= 2 && disk[1] == ':' ? disk.substr(0, 2) + "\\" : disk;
    if (files.GetVolumeInfo(root, volume) != 0) {
        volume.fileSystem.clear();
    }
    files.searches = 0;
    files.entries = 0;
    start = Clock::now();
    static_cast<void>(scanner.ReconcileFolder(source, {}, disk,  // never cancelled
                                              engine::TimeRulesOf(volume.fileSystem), candidates));
    std::printf(
        "reconciliation (disk file system \"%s\"): %zu candidates, %.3f s, %llu searches, "
        "%llu entries\n",
        volume.fileSystem.c_str(), candidates.Count(), Seconds(start),
        static_cast<unsigned long long>(files.searches),
        static_cast<unsigned long long>(files.entries));
    return 0;
}
