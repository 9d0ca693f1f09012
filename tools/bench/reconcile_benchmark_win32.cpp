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

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Counts the searches, the only calls a scan and a reconciliation make.
class CountedFiles final : public os::FileSystem {
  public:
    explicit CountedFiles(os::FileSystem& target) : target_(target) {}
    uint64_t searches = 0;
    uint64_t entries = 0;

    uint32_t FindFirst(const std::string& p, std::unique_ptr<os::DirectorySearch>& s,
                       os::FileInfo& f) override {
        ++searches;
        std::unique_ptr<os::DirectorySearch> inner;
        const uint32_t error = target_.FindFirst(p, inner, f);
        if (error == 0) {
            ++entries;
            s = std::make_unique<CountedSearch>(*this, std::move(inner));
        }
        return error;
    }
    uint32_t GetFileInfo(const std::string& p, os::FileInfo& i) override {
        return target_.GetFileInfo(p, i);
    }
    uint32_t GetAttributes(const std::string& p, uint32_t& a) override {
        return target_.GetAttributes(p, a);
    }
    uint32_t SetAttributes(const std::string& p, uint32_t a) override {
        return target_.SetAttributes(p, a);
    }
    uint32_t Open(const std::string& p, const os::OpenRequest& r,
                  std::unique_ptr<os::File>& f) override {
        return target_.Open(p, r, f);
    }
    uint32_t DeleteFile(const std::string& p) override { return target_.DeleteFile(p); }
    uint32_t MoveFile(const std::string& a, const std::string& b, bool r) override {
        return target_.MoveFile(a, b, r);
    }
    uint32_t CreateDirectory(const std::string& p) override { return target_.CreateDirectory(p); }
    uint32_t RemoveDirectory(const std::string& p) override { return target_.RemoveDirectory(p); }
    uint32_t GetVolumeSpace(const std::string& p, os::VolumeSpace& v) override {
        return target_.GetVolumeSpace(p, v);
    }
    uint32_t GetVolumeInfo(const std::string& r, os::VolumeInfo& i) override {
        return target_.GetVolumeInfo(r, i);
    }
    uint32_t LogicalDrives() override { return target_.LogicalDrives(); }
    os::DriveType GetDriveType(const std::string& r) override { return target_.GetDriveType(r); }
    uint32_t OpenChangeNotification(const std::string& f, bool s, uint32_t filter,
                                    std::unique_ptr<os::ChangeNotification>& n) override {
        return target_.OpenChangeNotification(f, s, filter, n);
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
    os::FileSystem& target_;
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
