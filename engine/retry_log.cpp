#include "engine/retry_log.h"

#include <algorithm>
#include <memory>

#include "engine/replacement_file.h"
#include "os/errors.h"
#include "os/text.h"

namespace engine {

namespace {

constexpr char kProgramFolder[] = "Corvant Ferrolin 2";
constexpr char kLogName[] = "Corvant Ferrolin 2.Log";
// The longest path Windows can name, in UTF-8 bytes (32767 UTF-16 units of up to 3 bytes).
constexpr uint32_t kLongestPath = 32767 * 3;
// A log larger than this cannot be one the program wrote for a sane number of files.
constexpr uint64_t kLargestLog = 512ULL << 20;

bool ReadU32(std::string_view bytes, size_t& offset, uint32_t& value) {
    if (bytes.size() - offset < 4) {
        return false;
    }
    value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + static_cast<size_t>(i)]);
    }
    offset += 4;
    return true;
}

void AppendU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

bool LooksLikeAbsolutePath(std::string_view path) {
    if (path.empty() || !os::IsWellFormed(path)) {
        return false;
    }
    for (char c : path) {
        if (static_cast<unsigned char>(c) < 0x20) {
            return false;
        }
    }
    const bool drive = path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    const bool network = path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
    return drive || network;
}

uint32_t ReadWholeFile(os::FileSystem& files, const std::string& path, std::string& bytes) {
    std::unique_ptr<os::File> file;
    if (const uint32_t error = files.Open(
            path, {os::kAccessRead, os::kShareNone, os::Disposition::OpenExisting, 0, 0}, file)) {
        return error;
    }
    uint64_t size = 0;
    if (const uint32_t error = file->GetSize(size)) {
        return error;
    }
    if (size > kLargestLog) {
        return os::kErrorInvalidData;
    }
    bytes.resize(static_cast<size_t>(size));
    size_t done = 0;
    while (done < bytes.size()) {
        uint32_t got = 0;
        const auto want = static_cast<uint32_t>(std::min<size_t>(bytes.size() - done, 1 << 20));
        if (const uint32_t error = file->Read(bytes.data() + done, want, got)) {
            return error;
        }
        if (got == 0) {
            return os::kErrorHandleEof;  // shorter than it said
        }
        done += got;
    }
    return os::kErrorSuccess;
}

// Temporary files that a save cut short by a crash left in the log's folder, which holds nothing
// of the user's.
void RemoveLeftTemporaries(os::FileSystem& files, const std::string& folder) {
    std::unique_ptr<os::DirectorySearch> search;
    os::FileInfo entry;
    uint32_t error = files.FindFirst(TemporaryFilesIn(folder), search, entry);
    while (error == os::kErrorSuccess) {
        if (!entry.IsDirectory() && IsTemporaryName(entry.name)) {
            // One still in use is removed next time.
            static_cast<void>(files.DeleteFile(folder + "\\" + entry.name));
        }
        error = search->Next(entry);
    }
}

}  // namespace

std::string RetryLogPath(os::System& system) {
    const std::string data = system.LocalAppDataFolder();
    if (data.empty()) {
        return kLogName;
    }
    return data + "\\" + kProgramFolder + "\\" + kLogName;
}

bool ParseRetryLog(std::string_view bytes, std::vector<std::string>& paths) {
    paths.clear();
    size_t offset = 0;
    uint32_t count = 0;
    if (!ReadU32(bytes, offset, count)) {
        return false;
    }
    // Every record takes at least its length field and one byte of path.
    if (count > (bytes.size() - offset) / 5) {
        return false;
    }
    std::vector<std::string> read;
    read.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t length = 0;
        if (!ReadU32(bytes, offset, length) || length > kLongestPath ||
            length > bytes.size() - offset) {
            return false;
        }
        const std::string_view path = bytes.substr(offset, length);
        if (!LooksLikeAbsolutePath(path)) {
            return false;
        }
        read.emplace_back(path);
        offset += length;
    }
    if (offset != bytes.size()) {
        return false;  // trailing bytes: not a file this program wrote
    }
    paths = std::move(read);
    return true;
}

std::string SerializeRetryLog(const std::vector<std::string>& paths) {
    std::string out;
    AppendU32(out, static_cast<uint32_t>(paths.size()));
    for (const std::string& path : paths) {
        AppendU32(out, static_cast<uint32_t>(path.size()));
        out += path;
    }
    return out;
}

uint32_t LoadRetryLog(os::FileSystem& files, const std::string& path, FileList& list) {
    list.Clear();
    std::string bytes;
    uint32_t result = ReadWholeFile(files, path, bytes);
    if (result == os::kErrorFileNotFound || result == os::kErrorPathNotFound) {
        return result;
    }
    files.DeleteFile(path);  // read once, whatever it held
    std::vector<std::string> paths;
    if (result == os::kErrorSuccess && !ParseRetryLog(bytes, paths)) {
        result = os::kErrorInvalidData;
    }
    if (result != os::kErrorSuccess) {
        return result;
    }
    for (const std::string& p : paths) {
        list.AddFile(p);  // a file that is gone since drops out
    }
    return os::kErrorSuccess;
}

uint32_t SaveRetryLog(os::FileSystem& files, const std::string& path, const FileList& list) {
    if (list.Count() == 0) {
        return os::kErrorSuccess;
    }
    std::vector<std::string> paths;
    paths.reserve(list.Count());
    for (size_t i = 0; i < list.Count(); ++i) {
        paths.push_back(list.EntryAt(i).path);
    }
    const std::string bytes = SerializeRetryLog(paths);
    const size_t slash = path.rfind('\\');
    const std::string folder =
        slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    if (slash != std::string::npos) {
        // 183 when it is there already; any other failure shows when the file is created.
        static_cast<void>(files.CreateDirectory(folder));
    }
    RemoveLeftTemporaries(files, folder);
    uint32_t counter = 0;
    ReplacementFile replacement(files, counter);
    uint32_t result = replacement.Create(folder, 0);
    size_t done = 0;
    while (result == os::kErrorSuccess && done < bytes.size()) {
        const auto chunk = static_cast<uint32_t>(std::min<size_t>(bytes.size() - done, 1 << 20));
        uint32_t written = 0;
        result = replacement.WriteAll(bytes.data() + done, chunk, written);
        done += written;
    }
    if (result == os::kErrorSuccess) {
        result = replacement.file().Flush();
    }
    if (result == os::kErrorSuccess) {
        result = replacement.Close();
    }
    if (result == os::kErrorSuccess) {
        result = replacement.MoveOver(path);
    }
    return result;
}

}  // namespace engine
