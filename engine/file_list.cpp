#include "engine/file_list.h"

#include <cstring>
#include <limits>

#include "os/errors.h"
#include "os/text.h"

namespace engine {

namespace {

// Paths are packed into blocks of this size; a longer path gets a block of its own.
constexpr size_t kBlockBytes = 256 * 1024;
constexpr size_t kNotFound = std::numeric_limits<size_t>::max();

// A hash that agrees with os::EqualsIgnoreCase: FNV-1a over the upper-case form of each
// character (an invalid byte counts as itself, as the comparison takes it).
uint64_t HashIgnoringCase(std::string_view text) {
    uint64_t hash = 1469598103934665603ULL;
    size_t pos = 0;
    while (pos < text.size()) {
        bool valid = true;
        uint32_t c = os::DecodeCodePoint(text, pos, valid);
        if (valid) {
            c = os::UpcaseCodePoint(c);
        }
        for (int shift = 0; shift < 32; shift += 8) {
            hash ^= (c >> shift) & 0xFF;
            hash *= 1099511628211ULL;
        }
    }
    return hash;
}

}  // namespace

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

FileList::FileList(os::FileSystem& files) : files_(files) {}

FileList::~FileList() = default;

const char* FileList::StorePath(std::string_view path) {
    if (path.size() > kBlockBytes / 4) {
        auto own = std::make_unique<char[]>(path.size());
        std::memcpy(own.get(), path.data(), path.size());
        blocks_.push_back(std::move(own));
        return blocks_.back().get();
    }
    if (path.size() > blockFree_) {
        blocks_.push_back(std::make_unique<char[]>(kBlockBytes));
        blockNext_ = blocks_.back().get();
        blockFree_ = kBlockBytes;
    }
    char* at = blockNext_;
    if (!path.empty()) {
        std::memcpy(at, path.data(), path.size());
    }
    blockNext_ += path.size();
    blockFree_ -= path.size();
    return at;
}

uint32_t FileList::AddFile(const std::string& path) {
    os::FileInfo info;
    if (const uint32_t error = files_.GetFileInfo(path, info)) {
        return error;
    }
    AddEntry(path, LaterTime(info.times), info.size);
    return os::kErrorSuccess;
}

void FileList::AddEntry(std::string_view path, os::FileTime time, uint64_t size) {
    entries_.push_back({StorePath(path), static_cast<uint32_t>(path.size()), false, time, size});
    order_.push_back(static_cast<uint32_t>(entries_.size() - 1));
    total_ += size;
    if (indexed_) {
        if ((entries_.size() + 1) * 2 > slots_.size()) {
            indexed_ = false;  // grows: built again, larger, at the next lookup
            slots_.clear();
        } else {
            IndexEntry(entries_.size() - 1);
        }
    }
}

void FileList::Compact() const {
    if (removed_ == 0) {
        return;
    }
    std::vector<uint32_t> renumbered(entries_.size());
    std::deque<Stored> kept;
    for (size_t i = 0; i < entries_.size(); ++i) {
        renumbered[i] = static_cast<uint32_t>(kept.size());
        if (!entries_[i].removed) {
            kept.push_back(entries_[i]);
        } else {
            renumbered[i] = std::numeric_limits<uint32_t>::max();
        }
    }
    entries_.swap(kept);
    std::vector<uint32_t> order;
    order.reserve(order_.size());
    for (uint32_t n : order_) {
        if (n < renumbered.size() && renumbered[n] != std::numeric_limits<uint32_t>::max()) {
            order.push_back(renumbered[n]);
        }
    }
    order_.swap(order);
    removed_ = 0;
    indexed_ = false;
    slots_.clear();
}

void FileList::IndexEntry(size_t physical) const {
    const size_t mask = slots_.size() - 1;
    size_t slot = HashIgnoringCase(entries_[physical].Path()) & mask;
    while (slots_[slot] != 0) {
        slot = (slot + 1) & mask;
    }
    slots_[slot] = static_cast<uint32_t>(physical + 1);
}

void FileList::BuildIndexIfMissing() const {
    if (indexed_) {
        return;
    }
    size_t size = 16;
    while (size < entries_.size() * 2 + 2) {
        size *= 2;
    }
    slots_.assign(size, 0);
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (!entries_[i].removed) {
            IndexEntry(i);
        }
    }
    indexed_ = true;
}

size_t FileList::FindFirst(std::string_view path) const {
    BuildIndexIfMissing();
    const size_t mask = slots_.size() - 1;
    size_t first = kNotFound;
    for (size_t slot = HashIgnoringCase(path) & mask; slots_[slot] != 0; slot = (slot + 1) & mask) {
        const size_t i = slots_[slot] - 1;
        const Stored& e = entries_[i];
        if (!e.removed && i < first && os::EqualsIgnoreCase(e.Path(), path)) {
            first = i;
        }
    }
    return first;
}

void FileList::RemoveAt(size_t i) {
    Compact();
    if (i >= entries_.size()) {
        return;
    }
    Stored& e = entries_[i];
    e.removed = true;
    ++removed_;
    total_ = e.size > total_ ? 0 : total_ - e.size;
}

bool FileList::RemovePath(std::string_view path) {
    const size_t i = FindFirst(path);
    if (i == kNotFound) {
        return false;
    }
    Stored& e = entries_[i];
    e.removed = true;
    ++removed_;
    total_ = e.size > total_ ? 0 : total_ - e.size;
    return true;
}

bool FileList::Contains(std::string_view path) const {
    return FindFirst(path) != kNotFound;
}

FileEntry FileList::EntryAt(size_t i) const {
    Compact();
    const Stored& e = entries_.at(i);
    return {std::string(e.Path()), e.time, e.size};
}

FileEntry FileList::SortedAt(size_t position) const {
    Compact();
    return EntryAt(order_.at(position));
}

size_t FileList::Count() const {
    return entries_.size() - removed_;
}

size_t FileList::IndexCount() const {
    Compact();
    return order_.size();
}

void FileList::InsertIndex(size_t position, size_t entryNumber) {
    Compact();
    order_.insert(order_.begin() + static_cast<std::ptrdiff_t>(std::min(position, order_.size())),
                  static_cast<uint32_t>(entryNumber));
}

void FileList::Clear() {
    entries_.clear();
    entries_.shrink_to_fit();
    order_.clear();
    order_.shrink_to_fit();
    blocks_.clear();
    blockFree_ = 0;
    blockNext_ = nullptr;
    removed_ = 0;
    total_ = 0;
    slots_.clear();
    slots_.shrink_to_fit();
    indexed_ = false;
}

void FileList::CopyFrom(const FileList& other) {
    std::vector<std::string> paths;
    paths.reserve(other.Count());
    for (const Stored& e : other.entries_) {
        if (!e.removed) {
            paths.emplace_back(e.Path());
        }
    }
    Clear();
    for (const std::string& p : paths) {
        AddFile(p);  // a file that no longer exists drops out
    }
}

}  // namespace engine
