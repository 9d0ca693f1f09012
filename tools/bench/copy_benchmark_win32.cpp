// Prints what the copier costs over real files: copy_benchmark_win32 SOURCE DESTINATION [--calls]
// [--once] [--no-flush] [--late-flush N] copies the tree SOURCE to the destination root DESTINATION
// as a pass does (scan from time zero, then the copy pass), then runs a second pass over the
// unchanged tree from the watermark the first one left (not with --once). With --calls every
// file-system call is counted and timed. With --no-flush the copies' flushes are skipped (the
// benchmark's own switch, to measure what they cost). With --late-flush N the copies are flushed N
// at a time, one after another, once they are in place and closed: the copier itself cannot do that
// (each copy is flushed before its rename), but the disk does the same work, so it tells the most
// that flushing a group of copies together could save. wine_copy_benchmark.sh runs it beside xcopy
// and cp -a over the same trees.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

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

// Counts the calls of each kind and the time they take, to print where a pass spends it.
class TimedFiles final : public os::FileSystem {
  public:
    explicit TimedFiles(os::FileSystem& target) : target_(target) {}
    struct Tally {
        uint64_t calls = 0;
        double seconds = 0;
    };
    std::map<std::string, Tally> tally;
    bool skipFlush = false;
    size_t lateFlushGroup = 0;

    // A copy whose flush was put off: flushed with its group, then closed.
    void FlushLater(std::unique_ptr<os::File> file) {
        late_.push_back(std::move(file));
        if (late_.size() >= lateFlushGroup) {
            FlushLateOnes();
        }
    }
    void FlushLateOnes() {
        for (auto& file : late_) {
            if (Time("Flush (late)", [&] { return file->Flush(); }) != 0) {
                ++lateFlushFailures;
            }
        }
        for (auto& file : late_) {
            static_cast<void>(Time("Close", [&] { return file->Close(); }));
        }
        late_.clear();
    }
    int lateFlushFailures = 0;

    template <typename Call>
    uint32_t Time(const char* what, Call call) {
        const auto start = Clock::now();
        const uint32_t result = call();
        Tally& t = tally[what];
        ++t.calls;
        t.seconds += Seconds(start);
        return result;
    }
    void Print() const {
        for (const auto& [what, t] : tally) {
            std::printf("  %-16s %8llu calls %8.3f s %8.1f us each\n", what.c_str(),
                        static_cast<unsigned long long>(t.calls), t.seconds,
                        t.seconds * 1e6 / static_cast<double>(t.calls));
        }
    }

    uint32_t FindFirst(const std::string& p, std::unique_ptr<os::DirectorySearch>& s,
                       os::FileInfo& f) override {
        return Time("FindFirst", [&] { return target_.FindFirst(p, s, f); });
    }
    uint32_t GetFileInfo(const std::string& p, os::FileInfo& i) override {
        return Time("GetFileInfo", [&] { return target_.GetFileInfo(p, i); });
    }
    uint32_t GetAttributes(const std::string& p, uint32_t& a) override {
        return Time("GetAttributes", [&] { return target_.GetAttributes(p, a); });
    }
    uint32_t SetAttributes(const std::string& p, uint32_t a) override {
        return Time("SetAttributes", [&] { return target_.SetAttributes(p, a); });
    }
    uint32_t Open(const std::string& p, const os::OpenRequest& r,
                  std::unique_ptr<os::File>& f) override;
    uint32_t DeleteFile(const std::string& p) override {
        return Time("DeleteFile", [&] { return target_.DeleteFile(p); });
    }
    uint32_t MoveFile(const std::string& a, const std::string& b, bool r) override {
        return Time("MoveFile", [&] { return target_.MoveFile(a, b, r); });
    }
    uint32_t CreateDirectory(const std::string& p) override {
        return Time("CreateDirectory", [&] { return target_.CreateDirectory(p); });
    }
    uint32_t RemoveDirectory(const std::string& p) override { return target_.RemoveDirectory(p); }
    uint32_t GetVolumeSpace(const std::string& p, os::VolumeSpace& v) override {
        return Time("GetVolumeSpace", [&] { return target_.GetVolumeSpace(p, v); });
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
    os::FileSystem& target_;
    std::vector<std::unique_ptr<os::File>> late_;
};

class TimedFile final : public os::File {
  public:
    TimedFile(TimedFiles& files, std::unique_ptr<os::File> inner)
        : files_(files), inner_(std::move(inner)) {}
    // Not closed (the pass's own marker, a copy that failed): its flush is not put off, as the
    // file may be deleted next.
    ~TimedFile() override {
        if (flushLater_ && inner_) {
            static_cast<void>(files_.Time("Flush (late)", [&] { return inner_->Flush(); }));
        }
    }
    TimedFile(const TimedFile&) = delete;
    TimedFile& operator=(const TimedFile&) = delete;
    uint32_t Read(void* b, uint32_t n, uint32_t& got) override {
        return files_.Time("Read", [&] { return inner_->Read(b, n, got); });
    }
    uint32_t Write(const void* d, uint32_t n, uint32_t& done) override {
        return files_.Time("Write", [&] { return inner_->Write(d, n, done); });
    }
    uint32_t GetTimes(os::FileTimes& t) override {
        return files_.Time("GetTimes", [&] { return inner_->GetTimes(t); });
    }
    uint32_t SetTimes(const os::FileTimes& t) override {
        return files_.Time("SetTimes", [&] { return inner_->SetTimes(t); });
    }
    uint32_t GetSize(uint64_t& s) override {
        return files_.Time("GetSize", [&] { return inner_->GetSize(s); });
    }
    uint32_t GetInfo(os::FileInfo& i) override {
        return files_.Time("GetInfo", [&] { return inner_->GetInfo(i); });
    }
    uint32_t SetTimesAndAttributes(const os::FileTimes& t, uint32_t a) override {
        return files_.Time("SetTimesAndAttr", [&] { return inner_->SetTimesAndAttributes(t, a); });
    }
    uint32_t Rename(const std::string& p, bool r) override {
        return files_.Time("Rename", [&] { return inner_->Rename(p, r); });
    }
    uint32_t Flush() override {
        if (files_.skipFlush) {
            return 0;
        }
        if (files_.lateFlushGroup != 0) {
            flushLater_ = true;
            return 0;
        }
        return files_.Time("Flush", [&] { return inner_->Flush(); });
    }
    uint32_t Close() override {
        if (flushLater_) {
            flushLater_ = false;
            files_.FlushLater(std::move(inner_));
            return 0;
        }
        return files_.Time("Close", [&] { return inner_->Close(); });
    }

  private:
    bool flushLater_ = false;
    TimedFiles& files_;
    std::unique_ptr<os::File> inner_;
};

uint32_t TimedFiles::Open(const std::string& p, const os::OpenRequest& r,
                          std::unique_ptr<os::File>& f) {
    std::unique_ptr<os::File> inner;
    const uint32_t error = Time("Open", [&] { return target_.Open(p, r, inner); });
    if (error == 0) {
        f = std::make_unique<TimedFile>(*this, std::move(inner));
    }
    return error;
}

}  // namespace

int main(int argc, char** argv) {
    bool counting = false;
    bool once = false;
    bool noFlush = false;
    size_t lateFlushGroup = 0;
    bool usage = argc < 3;
    for (int i = 3; i < argc && !usage; ++i) {
        const std::string option = argv[i];
        if (option == "--calls") {
            counting = true;
        } else if (option == "--once") {
            once = true;
        } else if (option == "--no-flush") {
            noFlush = true;
        } else if (option == "--late-flush" && i + 1 < argc && std::atoi(argv[i + 1]) > 0) {
            lateFlushGroup = static_cast<size_t>(std::atoi(argv[++i]));
        } else {
            usage = true;
        }
    }
    if (usage) {
        std::printf(
            "usage: copy_benchmark_win32 SOURCE DESTINATION [--calls] [--once] [--no-flush]"
            " [--late-flush N]\n");
        return 2;
    }
    const std::string source = argv[1];
    const std::string destination = argv[2];
    os::win32::Win32Machine machine;
    os::Machine& m = machine.machine();
    TimedFiles timed(m.files);
    timed.skipFlush = noFlush;
    timed.lateFlushGroup = lateFlushGroup;
    os::FileSystem& files =
        counting || noFlush || lateFlushGroup != 0 ? static_cast<os::FileSystem&>(timed) : m.files;
    settings::CKRVSettingsStore store(m.registry, "Software\\Corvant Ferrolin 2 Benchmark");
    QuietOwner owner;
    engine::FolderScanner scanner(files);
    engine::FileList candidates(files);
    engine::FileList retries(files);
    engine::FileCopier copier(files, owner, store, 0);
    os::FileTime watermark = 0;

    auto start = Clock::now();
    scanner.ScanFolder(source, {}, 0, candidates);
    const double scan = Seconds(start);
    const size_t count = candidates.Count();
    const uint64_t bytes = candidates.Total();
    copier.CopyPass(candidates, destination, retries, watermark);
    timed.FlushLateOnes();
    const double full = Seconds(start);
    std::printf("ours full: %zu files, %.1f MB, %.3f s (scan %.3f s), %d errors, %zu to retry\n",
                count, static_cast<double>(bytes) / (1 << 20), full, scan, owner.errors,
                retries.Count());

    if (!once) {
        start = Clock::now();
        scanner.ScanFolder(source, {}, watermark, candidates);
        const double rescan = Seconds(start);
        const size_t due = candidates.Count();
        copier.CopyPass(candidates, destination, retries, watermark);
        timed.FlushLateOnes();
        std::printf("ours incremental: %zu of %zu files due, %.3f s (scan %.3f s)\n", due, count,
                    Seconds(start), rescan);
    }
    if (counting) {
        timed.Print();
    }
    m.registry.DeleteKeyTree(os::Hive::CurrentUser, "Software\\Corvant Ferrolin 2 Benchmark");
    if (timed.lateFlushFailures != 0) {
        std::printf("%d late flushes failed\n", timed.lateFlushFailures);
    }
    return owner.errors == 0 && timed.lateFlushFailures == 0 ? 0 : 1;
}
