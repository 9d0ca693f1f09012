#include "os/win32/win32_file_system.h"

#include <cstddef>
#include <cstring>
#include <vector>

#include "os/errors.h"
#include "os/win32/unique_handle.h"
#include "os/win32/wide_text.h"
#include "os/win32/win32_path.h"
#include "os/win32/win32_waitable.h"
#include "os/win32/windows_api.h"

namespace os::win32 {

namespace {

FileTime FromFiletime(const FILETIME& t) {
    return MakeFileTime(t.dwLowDateTime, t.dwHighDateTime);
}

FILETIME ToFiletime(FileTime t) {
    return FILETIME{LowPart(t), HighPart(t)};
}

uint64_t SizeOf(DWORD low, DWORD high) {
    return (static_cast<uint64_t>(high) << 32) | low;
}

FileInfo InfoOf(const WIN32_FIND_DATAW& data) {
    FileInfo info;
    info.name = Narrow(data.cFileName);
    info.attributes = data.dwFileAttributes;
    info.times = {FromFiletime(data.ftCreationTime), FromFiletime(data.ftLastAccessTime),
                  FromFiletime(data.ftLastWriteTime)};
    info.size = SizeOf(data.nFileSizeLow, data.nFileSizeHigh);
    return info;
}

// The last component of an extended path, or "" for a volume root ("\\?\C:\",
// "\\?\UNC\server\share"), which has no name of its own.
std::wstring LastComponentOf(std::wstring_view extended) {
    while (!extended.empty() && extended.back() == L'\\') {
        extended.remove_suffix(1);
    }
    if (extended.empty() || extended.back() == L':') {
        return {};
    }
    constexpr std::wstring_view kUncPrefix = L"\\\\?\\UNC\\";
    if (extended.size() > kUncPrefix.size() &&
        extended.substr(0, kUncPrefix.size()) == kUncPrefix &&
        extended.find(L'\\', kUncPrefix.size()) == extended.rfind(L'\\')) {
        return {};  // "\\?\UNC\server\share": the separator after the server is the last one
    }
    return std::wstring(extended.substr(extended.rfind(L'\\') + 1));
}

class Win32File final : public File {
  public:
    explicit Win32File(FileHandle handle) : handle_(std::move(handle)) {}

    [[nodiscard]] uint32_t Read(void* buffer, uint32_t size, uint32_t& bytesRead) override {
        bytesRead = 0;
        if (!handle_) {
            return kErrorInvalidHandle;
        }
        DWORD done = 0;
        const BOOL ok = ::ReadFile(handle_.Get(), buffer, size, &done, nullptr);
        const uint32_t error = ok ? kErrorSuccess : ::GetLastError();
        bytesRead = done;
        return error;
    }

    // On a failure part of the data may have been written; bytesWritten says how much.
    [[nodiscard]] uint32_t Write(const void* data, uint32_t size, uint32_t& bytesWritten) override {
        bytesWritten = 0;
        if (!handle_) {
            return kErrorInvalidHandle;
        }
        DWORD done = 0;
        const BOOL ok = ::WriteFile(handle_.Get(), data, size, &done, nullptr);
        const uint32_t error = ok ? kErrorSuccess : ::GetLastError();
        bytesWritten = done;
        return error;
    }

    [[nodiscard]] uint32_t GetTimes(FileTimes& times) override {
        if (!handle_) {
            return kErrorInvalidHandle;
        }
        FILETIME creation{};
        FILETIME lastAccess{};
        FILETIME lastWrite{};
        if (!::GetFileTime(handle_.Get(), &creation, &lastAccess, &lastWrite)) {
            return ::GetLastError();
        }
        times = {FromFiletime(creation), FromFiletime(lastAccess), FromFiletime(lastWrite)};
        return kErrorSuccess;
    }

    [[nodiscard]] uint32_t SetTimes(const FileTimes& times) override {
        if (!handle_) {
            return kErrorInvalidHandle;
        }
        // A null pointer leaves that time alone, which is what a zero member means here.
        const FILETIME creation = ToFiletime(times.creation);
        const FILETIME lastAccess = ToFiletime(times.lastAccess);
        const FILETIME lastWrite = ToFiletime(times.lastWrite);
        if (!::SetFileTime(handle_.Get(), times.creation != 0 ? &creation : nullptr,
                           times.lastAccess != 0 ? &lastAccess : nullptr,
                           times.lastWrite != 0 ? &lastWrite : nullptr)) {
            return ::GetLastError();
        }
        return kErrorSuccess;
    }

    [[nodiscard]] uint32_t GetSize(uint64_t& size) override {
        if (!handle_) {
            return kErrorInvalidHandle;
        }
        LARGE_INTEGER value{};
        if (!::GetFileSizeEx(handle_.Get(), &value)) {
            return ::GetLastError();
        }
        size = static_cast<uint64_t>(value.QuadPart);
        return kErrorSuccess;
    }

    // Two queries of the open file; neither goes by the file's name (under Wine neither is a
    // request to its server).
    [[nodiscard]] uint32_t GetInfo(FileInfo& info) override {
        if (!handle_) {
            return kErrorInvalidHandle;
        }
        FILE_BASIC_INFO basic{};
        if (!::GetFileInformationByHandleEx(handle_.Get(), FileBasicInfo, &basic, sizeof basic)) {
            return ::GetLastError();
        }
        FILE_STANDARD_INFO standard{};
        if (!::GetFileInformationByHandleEx(handle_.Get(), FileStandardInfo, &standard,
                                            sizeof standard)) {
            return ::GetLastError();
        }
        FileInfo result;
        result.attributes = basic.FileAttributes;
        result.times = {static_cast<FileTime>(basic.CreationTime.QuadPart),
                        static_cast<FileTime>(basic.LastAccessTime.QuadPart),
                        static_cast<FileTime>(basic.LastWriteTime.QuadPart)};
        result.size = static_cast<uint64_t>(standard.EndOfFile.QuadPart);
        info = std::move(result);
        return kErrorSuccess;
    }

    // FILE_BASIC_INFO takes 0 for "leave as it is", as the port does.
    [[nodiscard]] uint32_t SetTimesAndAttributes(const FileTimes& times,
                                                 uint32_t attributes) override {
        if (!handle_) {
            return kErrorInvalidHandle;
        }
        FILE_BASIC_INFO basic{};
        basic.CreationTime.QuadPart = static_cast<LONGLONG>(times.creation);
        basic.LastAccessTime.QuadPart = static_cast<LONGLONG>(times.lastAccess);
        basic.LastWriteTime.QuadPart = static_cast<LONGLONG>(times.lastWrite);
        basic.FileAttributes = attributes;
        if (!::SetFileInformationByHandle(handle_.Get(), FileBasicInfo, &basic, sizeof basic)) {
            return ::GetLastError();
        }
        return kErrorSuccess;
    }

    [[nodiscard]] uint32_t Rename(const std::string& newPath, bool replaceExisting) override {
        if (!handle_) {
            return kErrorInvalidHandle;
        }
        std::wstring target;
        if (const uint32_t error = ToExtendedPath(newPath, target)) {
            return error;
        }
        // The name goes to the kernel as it is, so it is given in the kernel's form: "\\?\C:\x"
        // is "\??\C:\x" there (and "\\?\UNC\server\share\x" is "\??\UNC\server\share\x").
        target[1] = L'?';
        const size_t nameBytes = target.size() * sizeof(wchar_t);
        std::vector<std::byte> buffer(offsetof(FILE_RENAME_INFO, FileName) + nameBytes +
                                      sizeof(wchar_t));
        auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        info->ReplaceIfExists = replaceExisting ? TRUE : FALSE;
        info->RootDirectory = nullptr;
        info->FileNameLength = static_cast<DWORD>(nameBytes);
        std::memcpy(info->FileName, target.data(), nameBytes);
        if (!::SetFileInformationByHandle(handle_.Get(), FileRenameInfo, info,
                                          static_cast<DWORD>(buffer.size()))) {
            return ::GetLastError();
        }
        return kErrorSuccess;
    }

    [[nodiscard]] uint32_t Flush() override {
        if (!handle_) {
            return kErrorInvalidHandle;
        }
        if (!::FlushFileBuffers(handle_.Get())) {
            return ::GetLastError();
        }
        return kErrorSuccess;
    }

    // The result of CloseHandle matters for files: on some redirectors a write that was
    // accepted fails only when the handle closes.
    [[nodiscard]] uint32_t Close() override {
        if (!handle_) {
            return kErrorInvalidHandle;
        }
        if (!::CloseHandle(handle_.Release())) {
            return ::GetLastError();
        }
        return kErrorSuccess;
    }

  private:
    FileHandle handle_;
};

class Win32DirectorySearch final : public DirectorySearch {
  public:
    explicit Win32DirectorySearch(FindHandle handle) : handle_(std::move(handle)) {}

    [[nodiscard]] uint32_t Next(FileInfo& entry) override {
        WIN32_FIND_DATAW data{};
        if (!::FindNextFileW(handle_.Get(), &data)) {
            return ::GetLastError();
        }
        entry = InfoOf(data);
        return kErrorSuccess;
    }

  private:
    FindHandle handle_;
};

class Win32ChangeNotification final : public ChangeNotification, public Win32Waitable {
  public:
    explicit Win32ChangeNotification(ChangeHandle handle) : handle_(std::move(handle)) {}

    [[nodiscard]] uint32_t Rearm() override {
        if (!::FindNextChangeNotification(handle_.Get())) {
            return ::GetLastError();
        }
        return kErrorSuccess;
    }
    HANDLE WaitHandle() const override { return handle_.Get(); }

  private:
    ChangeHandle handle_;
};

}  // namespace

uint32_t Win32FileSystem::FindFirst(const std::string& pattern,
                                    std::unique_ptr<DirectorySearch>& search, FileInfo& first) {
    std::wstring extended;
    if (const uint32_t error = ToExtendedPattern(pattern, extended)) {
        return error;
    }
    WIN32_FIND_DATAW data{};
    // Short names are not asked for (FindExInfoBasic): nothing here uses them, and leaving them
    // out saves the file system a lookup per entry.
    FindHandle handle(::FindFirstFileExW(extended.c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH));
    if (!handle) {
        return ::GetLastError();
    }
    first = InfoOf(data);
    search = std::make_unique<Win32DirectorySearch>(std::move(handle));
    return kErrorSuccess;
}

uint32_t Win32FileSystem::GetFileInfo(const std::string& path, FileInfo& info) {
    std::wstring extended;
    if (const uint32_t error = ToExtendedPath(path, extended)) {
        return error;
    }
    // The figures come from GetFileAttributesExW, which asks the file itself: a folder entry can
    // lag behind the size and time of a file that is open for writing.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(extended.c_str(), GetFileExInfoStandard, &data)) {
        return ::GetLastError();
    }
    FileInfo result;
    result.attributes = data.dwFileAttributes;
    result.times = {FromFiletime(data.ftCreationTime), FromFiletime(data.ftLastAccessTime),
                    FromFiletime(data.ftLastWriteTime)};
    result.size = SizeOf(data.nFileSizeLow, data.nFileSizeHigh);
    // The name as the folder stores it (its own case); a search of the exact name finds it. When
    // that is not possible (a root, a folder that may not be listed) the name given stands.
    std::wstring name = LastComponentOf(extended);
    if (!name.empty()) {
        std::wstring exact = extended;
        while (exact.back() == L'\\') {
            exact.pop_back();
        }
        WIN32_FIND_DATAW found{};
        FindHandle handle(::FindFirstFileExW(exact.c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr, 0));
        if (handle) {
            name = found.cFileName;
        }
    }
    result.name = Narrow(name);
    info = std::move(result);
    return kErrorSuccess;
}

uint32_t Win32FileSystem::GetAttributes(const std::string& path, uint32_t& attributes) {
    attributes = kInvalidAttributes;
    std::wstring extended;
    if (const uint32_t error = ToExtendedPath(path, extended)) {
        return error;
    }
    const DWORD value = ::GetFileAttributesW(extended.c_str());
    if (value == INVALID_FILE_ATTRIBUTES) {
        return ::GetLastError();
    }
    attributes = value;
    return kErrorSuccess;
}

uint32_t Win32FileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
    std::wstring extended;
    if (const uint32_t error = ToExtendedPath(path, extended)) {
        return error;
    }
    if (!::SetFileAttributesW(extended.c_str(), attributes)) {
        return ::GetLastError();
    }
    return kErrorSuccess;
}

uint32_t Win32FileSystem::Open(const std::string& path, const OpenRequest& request,
                               std::unique_ptr<File>& file) {
    std::wstring extended;
    if (const uint32_t error = ToExtendedPath(path, extended)) {
        return error;
    }
    FileHandle handle(::CreateFileW(extended.c_str(), request.access, request.share, nullptr,
                                    static_cast<DWORD>(request.disposition),
                                    request.attributes | request.flags, nullptr));
    if (!handle) {
        return ::GetLastError();
    }
    file = std::make_unique<Win32File>(std::move(handle));
    return kErrorSuccess;
}

uint32_t Win32FileSystem::DeleteFile(const std::string& path) {
    std::wstring extended;
    if (const uint32_t error = ToExtendedPath(path, extended)) {
        return error;
    }
    if (!::DeleteFileW(extended.c_str())) {
        return ::GetLastError();
    }
    return kErrorSuccess;
}

uint32_t Win32FileSystem::MoveFile(const std::string& from, const std::string& to,
                                   bool replaceExisting) {
    std::wstring source;
    if (const uint32_t error = ToExtendedPath(from, source)) {
        return error;
    }
    std::wstring target;
    if (const uint32_t error = ToExtendedPath(to, target)) {
        return error;
    }
    // No MOVEFILE_COPY_ALLOWED: a move to another volume fails (17) instead of turning into a
    // copy that could stop half-way.
    if (!::MoveFileExW(source.c_str(), target.c_str(),
                       replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0)) {
        return ::GetLastError();
    }
    return kErrorSuccess;
}

uint32_t Win32FileSystem::CreateDirectory(const std::string& path) {
    std::wstring extended;
    if (const uint32_t error = ToExtendedPath(path, extended)) {
        return error;
    }
    if (!::CreateDirectoryW(extended.c_str(), nullptr)) {
        return ::GetLastError();
    }
    return kErrorSuccess;
}

uint32_t Win32FileSystem::RemoveDirectory(const std::string& path) {
    std::wstring extended;
    if (const uint32_t error = ToExtendedPath(path, extended)) {
        return error;
    }
    if (!::RemoveDirectoryW(extended.c_str())) {
        return ::GetLastError();
    }
    return kErrorSuccess;
}

uint32_t Win32FileSystem::GetVolumeSpace(const std::string& path, VolumeSpace& space) {
    std::wstring root;
    if (const uint32_t error = VolumeRootOf(path, root)) {
        return error;
    }
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (!::GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                             &totalClusters)) {
        return ::GetLastError();
    }
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    if (!::GetDiskFreeSpaceExW(root.c_str(), &available, &total, nullptr)) {
        return ::GetLastError();
    }
    VolumeSpace result;
    result.sectorsPerCluster = sectorsPerCluster;
    result.bytesPerSector = bytesPerSector;
    result.freeBytes = available.QuadPart;
    result.totalBytes = total.QuadPart;
    // GetDiskFreeSpaceW counts clusters in 32 bits, which saturate on volumes of 16 TB and more
    // (4 KB clusters); the byte counts of GetDiskFreeSpaceExW give the true numbers. Both count
    // what is available to this user (quotas included).
    const uint64_t clusterBytes = static_cast<uint64_t>(sectorsPerCluster) * bytesPerSector;
    if (clusterBytes != 0) {
        result.freeClusters = result.freeBytes / clusterBytes;
        result.totalClusters = result.totalBytes / clusterBytes;
    } else {
        result.freeClusters = freeClusters;
        result.totalClusters = totalClusters;
    }
    space = result;
    return kErrorSuccess;
}

uint32_t Win32FileSystem::GetVolumeInfo(const std::string& root, VolumeInfo& info) {
    std::wstring volumeRoot;
    if (const uint32_t error = VolumeRootOf(root, volumeRoot)) {
        return error;
    }
    wchar_t label[MAX_PATH + 1] = {};
    wchar_t fileSystem[MAX_PATH + 1] = {};
    DWORD serial = 0;
    DWORD maximumComponentLength = 0;
    DWORD flags = 0;
    if (!::GetVolumeInformationW(volumeRoot.c_str(), label, MAX_PATH + 1, &serial,
                                 &maximumComponentLength, &flags, fileSystem, MAX_PATH + 1)) {
        return ::GetLastError();
    }
    info.label = Narrow(label);
    info.serialNumber = serial;
    info.fileSystem = Narrow(fileSystem);
    info.maximumComponentLength = maximumComponentLength;
    info.readOnly = (flags & FILE_READ_ONLY_VOLUME) != 0;
    return kErrorSuccess;
}

uint32_t Win32FileSystem::LogicalDrives() {
    return ::GetLogicalDrives();
}

DriveType Win32FileSystem::GetDriveType(const std::string& root) {
    std::wstring volumeRoot;
    if (VolumeRootOf(root, volumeRoot) != kErrorSuccess) {
        return DriveType::NoRootDirectory;
    }
    const UINT type = ::GetDriveTypeW(volumeRoot.c_str());
    return type <= static_cast<UINT>(DriveType::RamDisk) ? static_cast<DriveType>(type)
                                                         : DriveType::Unknown;
}

uint32_t Win32FileSystem::OpenChangeNotification(
    const std::string& folder, bool watchSubtree, uint32_t filter,
    std::unique_ptr<ChangeNotification>& notification) {
    std::wstring extended;
    if (const uint32_t error = ToExtendedPath(folder, extended)) {
        return error;
    }
    ChangeHandle handle(
        ::FindFirstChangeNotificationW(extended.c_str(), watchSubtree ? TRUE : FALSE, filter));
    if (!handle) {
        return ::GetLastError();
    }
    notification = std::make_unique<Win32ChangeNotification>(std::move(handle));
    return kErrorSuccess;
}

}  // namespace os::win32
