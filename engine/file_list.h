#pragma once
// The list of files a pass works on (the candidates of a scan, the retry list): each entry is a
// source path with its file time, in the order added, with an oldest-first order index and the
// 64-bit total of the sizes added.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "os/file_system.h"

namespace engine {

// A file's time: the later of its creation and last-write times.
inline os::FileTime LaterTime(const os::FileTimes& times) {
    return times.creation > times.lastWrite ? times.creation : times.lastWrite;
}

// The file time of a file looked up by name; 0 and the error when it cannot be found.
uint32_t FileTimeOf(os::FileSystem& files, const std::string& path, os::FileTime& time);
// The size of a file looked up by name; 0 when it does not exist.
uint64_t FileSizeOf(os::FileSystem& files, const std::string& path);

struct FileEntry {
    std::string path;
    os::FileTime time = 0;
};

class FileList {
  public:
    explicit FileList(os::FileSystem& files) : files_(files) {}

    // Looks the file up; adds it with its time and size, or returns the error and adds nothing.
    uint32_t AddFile(const std::string& path);
    // Removes entry i (later entries move down); subtracts the file's current size from the
    // total when it still exists, never below zero. The order index is left as it is.
    void RemoveAt(size_t i);
    // Removes the first entry with this path (ignoring case); false when there is none.
    bool RemovePath(const std::string& path);
    bool Contains(const std::string& path) const;

    const FileEntry& EntryAt(size_t i) const { return entries_[i]; }
    const FileEntry& SortedAt(size_t position) const { return entries_[order_[position]]; }
    size_t Count() const { return entries_.size(); }
    size_t IndexCount() const { return order_.size(); }
    uint64_t Total() const { return total_; }

    // Fills the order index with the entries oldest first, equal times in the order added, and
    // only those entries for which keep(entry) is true.
    template <typename Keep>
    void OrderByTime(Keep keep);
    void InsertIndex(size_t position, size_t entryNumber);
    void Clear();
    void ClearIndex() { order_.clear(); }
    // Clear, then AddFile for each path of other: files that no longer exist drop out.
    void CopyFrom(const FileList& other);

  private:
    void IndexPath(size_t i);
    void Reindex();

    os::FileSystem& files_;
    std::vector<FileEntry> entries_;
    std::vector<uint32_t> order_;
    uint64_t total_ = 0;
    // Upper-case path to the entries that have it, for the lookups a pass makes per file.
    std::unordered_multimap<std::string, size_t> byPath_;
};

}  // namespace engine

#include "engine/file_list_order.h"
