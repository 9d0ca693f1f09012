#include "tests/engine/copier_fixture.h"

#include <sstream>

#include "os/errors.h"
#include "os/text.h"

namespace engine::testing {

namespace {

bool StartsWithFolder(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path[folder.size()] == '\\' &&
           os::EqualsIgnoreCase(path.substr(0, folder.size()), folder);
}

// Search results of a linked folder carry the link's own entry as a reparse point.
class LinkedSearch final : public os::DirectorySearch {
  public:
    LinkedSearch(std::unique_ptr<os::DirectorySearch> inner, std::vector<std::string> links)
        : inner_(std::move(inner)), links_(std::move(links)) {}
    uint32_t Next(os::FileInfo& entry) override {
        const uint32_t error = inner_->Next(entry);
        if (error == os::kErrorSuccess) {
            Mark(links_, entry);
        }
        return error;
    }
    static void Mark(const std::vector<std::string>& links, os::FileInfo& entry) {
        for (const std::string& name : links) {
            if (os::EqualsIgnoreCase(name, entry.name)) {
                entry.attributes |= os::kAttributeReparsePoint;
            }
        }
    }

  private:
    std::unique_ptr<os::DirectorySearch> inner_;
    std::vector<std::string> links_;
};

class HookedFile final : public os::File {
  public:
    HookedFile(std::unique_ptr<os::File> inner, std::string path, HookedFileSystem& files)
        : inner_(std::move(inner)), path_(std::move(path)), files_(files) {}
    uint32_t Read(void* buffer, uint32_t size, uint32_t& bytesRead) override {
        return inner_->Read(buffer, size, bytesRead);
    }
    uint32_t Write(const void* data, uint32_t size, uint32_t& bytesWritten) override {
        RunHook(files_.beforeWrite, path_);
        if (files_.writeTakesNothing && files_.writeTakesNothing(path_)) {
            bytesWritten = 0;
            return os::kErrorSuccess;
        }
        return inner_->Write(data, size, bytesWritten);
    }
    uint32_t GetTimes(os::FileTimes& times) override { return inner_->GetTimes(times); }
    uint32_t SetTimes(const os::FileTimes& times) override { return inner_->SetTimes(times); }
    uint32_t GetSize(uint64_t& size) override { return inner_->GetSize(size); }
    uint32_t GetInfo(os::FileInfo& info) override {
        if (const uint32_t error = files_.getInfoError ? files_.getInfoError(path_) : 0) {
            return error;
        }
        return inner_->GetInfo(info);
    }
    // Attributes and moves through the handle meet the same hooks as those by name.
    uint32_t SetTimesAndAttributes(const os::FileTimes& times, uint32_t attributes) override {
        if (attributes != 0) {
            RunHook(files_.beforeSetAttributes, path_, attributes);
        }
        return inner_->SetTimesAndAttributes(times, attributes);
    }
    uint32_t Rename(const std::string& newPath, bool replaceExisting) override {
        RunHook(files_.beforeMove, path_, newPath);
        const uint32_t error = inner_->Rename(newPath, replaceExisting);
        if (error == os::kErrorSuccess) {
            files_.moves.push_back(newPath);
            path_ = newPath;
        }
        return error;
    }
    uint32_t Flush() override { return inner_->Flush(); }
    uint32_t Close() override {
        const uint32_t error = inner_->Close();
        const uint32_t injected = files_.closeError ? files_.closeError(path_) : 0;
        return error != os::kErrorSuccess ? error : injected;
    }

  private:
    std::unique_ptr<os::File> inner_;
    std::string path_;
    HookedFileSystem& files_;
};

}  // namespace

uint32_t RecordingOwner::DiskFullHandler(const os::FileTime& firstDate,
                                         const os::FileTime& lastDate, uint64_t needed,
                                         const std::string& destination, uint64_t bytesWritten) {
    diskFull.push_back({firstDate, lastDate, needed, destination, bytesWritten});
    return onDiskFull ? onDiskFull(diskFull.back()) : os::kErrorOperationAborted;
}

void HookedFileSystem::AddLink(const std::string& link, const std::string& target) {
    links_.emplace_back(link, target);
}

std::string HookedFileSystem::Resolve(const std::string& path) const {
    for (const auto& [link, target] : links_) {
        if (StartsWithFolder(path, link)) {
            return target + path.substr(link.size());
        }
    }
    return path;
}

uint32_t HookedFileSystem::FindFirst(const std::string& pattern,
                                     std::unique_ptr<os::DirectorySearch>& search,
                                     os::FileInfo& first) {
    RunHook(beforeFind, pattern);
    const std::string resolved = Resolve(pattern);
    const std::string folder = resolved.substr(0, resolved.rfind('\\'));
    std::vector<std::string> names;
    for (const auto& [link, target] : links_) {
        if (os::EqualsIgnoreCase(link.substr(0, link.rfind('\\')), folder)) {
            names.push_back(link.substr(link.rfind('\\') + 1));
        }
    }
    std::unique_ptr<os::DirectorySearch> inner;
    const uint32_t error = target_.FindFirst(resolved, inner, first);
    if (error == os::kErrorSuccess) {
        LinkedSearch::Mark(names, first);
        search = std::make_unique<LinkedSearch>(std::move(inner), names);
    }
    return error;
}

uint32_t HookedFileSystem::GetFileInfo(const std::string& path, os::FileInfo& info) {
    const uint32_t error = target_.GetFileInfo(Resolve(path), info);
    for (const auto& [link, target] : links_) {
        if (error == os::kErrorSuccess && os::EqualsIgnoreCase(link, path)) {
            info.attributes |= os::kAttributeReparsePoint;
        }
    }
    return error;
}

uint32_t HookedFileSystem::Open(const std::string& path, const os::OpenRequest& request,
                                std::unique_ptr<os::File>& file) {
    RunHook(beforeOpen, path, request);
    std::unique_ptr<os::File> inner;
    const uint32_t error = target_.Open(Resolve(path), request, inner);
    if (error == os::kErrorSuccess) {
        file = std::make_unique<HookedFile>(std::move(inner), path, *this);
    }
    return error;
}

uint32_t HookedFileSystem::MoveFile(const std::string& from, const std::string& to,
                                    bool replaceExisting) {
    RunHook(beforeMove, from, to);
    const uint32_t error = target_.MoveFile(from, to, replaceExisting);
    if (error == os::kErrorSuccess) {
        moves.push_back(to);
    }
    return error;
}

Tree FilesUnder(os::sim::SimFileSystem& files, const std::string& folder) {
    Tree tree;
    for (const os::sim::SimEntry& entry : files.ListTree(folder)) {
        if (!entry.directory) {
            tree[entry.relativePath] = entry.contents;
        }
    }
    return tree;
}

::testing::AssertionResult HoldsExactly(os::sim::SimFileSystem& files, const std::string& folder,
                                        const Tree& expected) {
    const Tree actual = FilesUnder(files, folder);
    std::ostringstream problems;
    for (const auto& [path, contents] : expected) {
        auto found = actual.find(path);
        if (found == actual.end()) {
            problems << "\n  missing: " << path;
        } else if (found->second != contents) {
            problems << "\n  different: " << path << " holds \"" << found->second.substr(0, 40)
                     << "\", expected \"" << contents.substr(0, 40) << "\"";
        }
    }
    for (const auto& [path, contents] : actual) {
        if (expected.count(path) == 0) {
            problems << "\n  extra: " << path;
        }
    }
    if (problems.str().empty()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << folder << ":" << problems.str();
}

os::FileTime At(int64_t seconds) {
    const os::FileTime start = *os::SystemTimeToFileTime({2026, 1, 1, 5, 9, 0, 0, 0});
    return static_cast<os::FileTime>(static_cast<int64_t>(start) +
                                     seconds * static_cast<int64_t>(os::kFileTimeTicksPerSecond));
}

CopierTest::CopierTest() {
    os::sim::SimMediumSpec setup;
    setup.label = "FERROLIN";
    setup.capacityBytes = 64ULL << 20;
    disk = machine.files().CreateMedium(setup);
    machine.files().AddDrive("F:", os::DriveType::Removable, disk);
    copier = std::make_unique<FileCopier>(files, owner, store, 0);
}

void CopierTest::Put(const std::string& path, const std::string& contents, os::FileTime time,
                     uint32_t attributes) {
    os::sim::SimPutOptions options;
    options.attributes = attributes;
    options.times = os::FileTimes{time, time, time};
    ASSERT_EQ(sim().PutFile(path, contents, options), 0u) << path;
}

uint32_t CopierTest::Scan() {
    return scanner.ScanFolder("C:\\Data", {}, watermark, candidates);
}

uint32_t CopierTest::Backup() {
    if (const uint32_t error = Scan()) {
        return error;
    }
    return Pass();
}

uint32_t CopierTest::AttributesOf(const std::string& path) {
    uint32_t attributes = 0;
    return machine.files().GetAttributes(path, attributes) == os::kErrorSuccess
               ? attributes
               : os::kInvalidAttributes;
}

void CopierTest::CancelAfterMoveTo(const std::string& target) {
    files.beforeMove = [this, target](const std::string&, const std::string& to) {
        if (to == target) {
            copier->Cancel();
        }
    };
}

}  // namespace engine::testing
