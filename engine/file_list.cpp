#include "engine/file_list.h"

#include "os/errors.h"
#include "os/text.h"

namespace engine {

uint32_t FileTimeOf(os::FileSystem& files, const std::string& path, os::FileTime& time) {
    os::FileInfo info;
    const uint32_t error = files.GetFileInfo(path, info);
    time = error == os::kErrorSuccess ? LaterTime(info.times) : 0;
    return error;
}

uint64_t FileSizeOf(os::FileSystem& files, const std::string& path) {
    os::FileInfo info;
    return files.GetFileInfo(path, info) == os::kErrorSuccess ? info.size : 0;
}

uint32_t FileList::AddFile(const std::string& path) {
    os::FileInfo info;
    if (const uint32_t error = files_.GetFileInfo(path, info)) {
        return error;
    }
    total_ += info.size;
    entries_.push_back({path, LaterTime(info.times)});
    order_.push_back(static_cast<uint32_t>(entries_.size() - 1));
    IndexPath(entries_.size() - 1);
    return os::kErrorSuccess;
}

void FileList::IndexPath(size_t i) {
    byPath_.emplace(os::Upcase(entries_[i].path), i);
}

void FileList::Reindex() {
    byPath_.clear();
    for (size_t i = 0; i < entries_.size(); ++i) {
        IndexPath(i);
    }
}

void FileList::RemoveAt(size_t i) {
    if (i >= entries_.size()) {
        return;
    }
    const uint64_t size = FileSizeOf(files_, entries_[i].path);
    total_ = size > total_ ? 0 : total_ - size;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
    Reindex();
}

bool FileList::RemovePath(const std::string& path) {
    auto [begin, end] = byPath_.equal_range(os::Upcase(path));
    if (begin == end) {
        return false;
    }
    size_t first = begin->second;
    for (auto it = begin; it != end; ++it) {
        first = std::min(first, it->second);
    }
    RemoveAt(first);
    return true;
}

bool FileList::Contains(const std::string& path) const {
    return byPath_.count(os::Upcase(path)) > 0;
}

void FileList::InsertIndex(size_t position, size_t entryNumber) {
    order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(std::min(position, order_.size())),
                  static_cast<uint32_t>(entryNumber));
}

void FileList::Clear() {
    entries_.clear();
    order_.clear();
    byPath_.clear();
    total_ = 0;
}

void FileList::CopyFrom(const FileList& other) {
    std::vector<std::string> paths;
    paths.reserve(other.entries_.size());
    for (const FileEntry& e : other.entries_) {
        paths.push_back(e.path);
    }
    Clear();
    for (const std::string& p : paths) {
        AddFile(p);  // a file that no longer exists drops out
    }
}

}  // namespace engine
