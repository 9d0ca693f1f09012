// Prints what the copier costs over real files: copy_benchmark_win32 SOURCE DESTINATION copies
// the tree SOURCE to the destination root DESTINATION as a pass does (scan from time zero, then
// the copy pass), then runs a second pass over the unchanged tree from the watermark the first
// one left. wine_copy_benchmark.sh runs it beside cp -a over the same trees.

#include <chrono>
#include <cstdio>
#include <string>

#include "engine/copier_owner.h"
#include "engine/file_copier.h"
#include "engine/folder_scanner.h"
#include "os/win32/win32_machine.h"
#include "settings/settings_store.h"

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
    void FileTooLarge(const std::string&) override { ++errors; }
    void FileError(const std::string& path, uint32_t code) override {
        if (errors++ < 5) {
            std::printf("error %u: %s\n", code, path.c_str());
        }
    }
    void LongFileName(const std::string&) override {}
    int errors = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::printf("usage: copy_benchmark_win32 SOURCE DESTINATION\n");
        return 2;
    }
    const std::string source = argv[1];
    const std::string destination = argv[2];
    os::win32::Win32Machine machine;
    os::Machine& m = machine.machine();
    settings::CKRVSettingsStore store(m.registry, "Software\\Corvant Ferrolin 2 Benchmark");
    QuietOwner owner;
    engine::FolderScanner scanner(m.files);
    engine::FileList candidates(m.files);
    engine::FileList retries(m.files);
    engine::FileCopier copier(m.files, owner, store, 0);
    os::FileTime watermark = 0;

    auto start = Clock::now();
    scanner.ScanFolder(source, {}, 0, candidates);
    const double scan = Seconds(start);
    const size_t files = candidates.Count();
    const uint64_t bytes = candidates.Total();
    copier.CopyPass(candidates, destination, retries, watermark);
    const double full = Seconds(start);
    std::printf("ours full: %zu files, %.1f MB, %.3f s (scan %.3f s), %d errors, %zu to retry\n",
                files, static_cast<double>(bytes) / (1 << 20), full, scan, owner.errors,
                retries.Count());

    start = Clock::now();
    scanner.ScanFolder(source, {}, watermark, candidates);
    const double rescan = Seconds(start);
    const size_t due = candidates.Count();
    copier.CopyPass(candidates, destination, retries, watermark);
    std::printf("ours incremental: %zu of %zu files due, %.3f s (scan %.3f s)\n", due, files,
                Seconds(start), rescan);
    m.registry.DeleteKeyTree(os::Hive::CurrentUser, "Software\\Corvant Ferrolin 2 Benchmark");
    return owner.errors == 0 ? 0 : 1;
}
