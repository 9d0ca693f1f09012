#pragma once
// The list of files a pass works on (the candidates of a scan, the retry list): each entry is a
// source path with its file time and size, in the order added, with an oldest-first order index
// and the 64-bit total of the sizes.
//
// Built for lists of a few hundred thousand files: the paths sit packed in large blocks (an
// entry costs its path's bytes plus about 40 bytes), a lookup by path is O(1) through an index
// built on the first lookup, and removing by path is O(1), with the entry numbers closing up
// once, at the next access by number.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
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
    uint64_t size = 0;  // when the entry was added
};

// What OrderByTime's filter sees of an entry, without copying its path.
struct FileEntryView {
    std::string_view path;
    os::FileTime time = 0;
    uint64_t size = 0;
};

class FileList {
  public:
    explicit FileList(os::FileSystem& files);
    ~FileList();
    FileList(const FileList&) = delete;
    FileList& operator=(const FileList&) = delete;

    // Looks the file up; adds it with its time and size, or returns the error and adds nothing.
    uint32_t AddFile(const std::string& path);
    // Adds a file whose time and size the caller has just read (a folder search reports them).
    void AddEntry(std::string_view path, os::FileTime time, uint64_t size);
    // Removes entry i (later entries move down) and takes its size off the total.
    void RemoveAt(size_t i);
    // Removes the first entry with this path (ignoring case); false when there is none.
    bool RemovePath(std::string_view path);
    bool Contains(std::string_view path) const;

    FileEntry EntryAt(size_t i) const;
    // The entry at a position of the order index.
    FileEntry SortedAt(size_t position) const;
    size_t Count() const;
    size_t IndexCount() const;
    uint64_t Total() const { return total_; }

    // Fills the order index with the entries oldest first, equal times in the order added, and
    // only those entries for which keep(FileEntryView) is true. O(n log n).
    template <typename Keep>
    void OrderByTime(Keep keep);
    void InsertIndex(size_t position, size_t entryNumber);
    void Clear();
    void ClearIndex() { order_.clear(); }
    // Clear, then AddFile for each path of other: times and sizes are read again and files that
    // no longer exist drop out.
    void CopyFrom(const FileList& other);

  private:
    struct Stored {
        const char* path;
        uint32_t length;
        bool removed;
        os::FileTime time;
        uint64_t size;
        std::string_view Path() const { return {path, length}; }
    };

    const char* StorePath(std::string_view path);
    // Closes up the entry numbers after removals (the order index follows).
    void Compact() const;
    void BuildIndexIfMissing() const;
    void IndexEntry(size_t physical) const;
    // The physical number of the first live entry with this path, or SIZE_MAX.
    size_t FindFirst(std::string_view path) const;

    os::FileSystem& files_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    size_t blockFree_ = 0;
    char* blockNext_ = nullptr;
    mutable std::deque<Stored> entries_;
    mutable std::vector<uint32_t> order_;
    mutable size_t removed_ = 0;
    uint64_t total_ = 0;
    // Open addressing over the physical entry numbers plus one (0 is an empty slot); built on
    // the first lookup by path, rebuilt when the numbers close up.
    mutable std::vector<uint32_t> slots_;
    mutable bool indexed_ = false;
};

}  // namespace engine

#include "engine/file_list_order.h"
