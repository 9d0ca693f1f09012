#include "tests/app/e2e_support.h"

#include <shlobj.h>

#include <algorithm>

#include "os/win32/wide_text.h"
#include "tests/drivekit/wine_media.h"

namespace endtoend {

namespace {

class OptionsKey {
  public:
    explicit OptionsKey(bool write) {
        if (write) {
            RegCreateKeyExW(HKEY_CURRENT_USER, kOptionsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key_, nullptr);
        } else {
            RegOpenKeyExW(HKEY_CURRENT_USER, kOptionsKey, 0, KEY_READ, &key_);
        }
    }
    ~OptionsKey() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    OptionsKey(const OptionsKey&) = delete;
    OptionsKey& operator=(const OptionsKey&) = delete;
    HKEY get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

bool SetValue(const wchar_t* name, DWORD type, const void* data, size_t size) {
    OptionsKey key(true);
    return key.get() != nullptr &&
           RegSetValueExW(key.get(), name, 0, type, static_cast<const BYTE*>(data),
                          static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

}  // namespace

bool WriteDword(const wchar_t* name, DWORD value) {
    return SetValue(name, REG_DWORD, &value, sizeof value);
}

bool WriteString(const wchar_t* name, const std::wstring& value) {
    return SetValue(name, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t));
}

bool WriteMultiString(const wchar_t* name, const std::vector<std::wstring>& values) {
    std::wstring data;
    for (const std::wstring& value : values) {
        data += value;
        data += L'\0';
    }
    data += L'\0';
    return SetValue(name, REG_MULTI_SZ, data.data(), data.size() * sizeof(wchar_t));
}

std::optional<DWORD> ReadDword(const wchar_t* name) {
    OptionsKey key(false);
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    if (key.get() == nullptr ||
        RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value) {
        return std::nullopt;
    }
    return value;
}

// The value's characters up to its first NUL (the program stores strings without one).
std::optional<std::wstring> ReadString(const wchar_t* name) {
    std::optional<std::vector<std::wstring>> parts = ReadMultiString(name);
    if (!parts) {
        return std::nullopt;
    }
    return parts->empty() ? std::wstring() : parts->front();
}

std::optional<std::vector<std::wstring>> ReadMultiString(const wchar_t* name) {
    OptionsKey key(false);
    DWORD size = 0;
    DWORD type = 0;
    if (key.get() == nullptr ||
        RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_MULTI_SZ)) {
        return std::nullopt;
    }
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    data.resize(size / sizeof(wchar_t));
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start < data.size() && data[start] != L'\0') {
        const size_t end = data.find(L'\0', start);
        parts.push_back(data.substr(start, end == std::wstring::npos ? end : end - start));
        if (end == std::wstring::npos || type == REG_SZ) {
            break;
        }
        start = end + 1;
    }
    return parts;
}

std::optional<uint64_t> ReadStartTime() {
    const std::optional<DWORD> low = ReadDword(L"Start Time Low");
    const std::optional<DWORD> high = ReadDword(L"Start Time High");
    if (!low || !high) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(*high) << 32 | *low;
}

bool WriteStartTime(uint64_t time) {
    return WriteDword(L"Start Time Low", static_cast<DWORD>(time)) &&
           WriteDword(L"Start Time High", static_cast<DWORD>(time >> 32));
}

void DeleteProgramKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
}

bool WriteConfiguration(const Configuration& c) {
    DeleteProgramKey();
    return WriteString(L"Destination", c.destination) && WriteString(L"DiskID", c.diskId) &&
           WriteMultiString(L"Source", c.sources) && WriteStartTime(c.startTime) &&
           WriteDword(L"Mirror Status", c.mirrorStatus) &&
           WriteDword(L"Icon Status", c.iconStatus) &&
           WriteDword(L"Warning Status", c.warningStatus) &&
           WriteDword(L"Progress Status", c.progressStatus) &&
           WriteDword(L"Revisions", c.revisions) && WriteDword(L"2Large Status", 1) &&
           WriteDword(L"FileError Status", 1) && WriteDword(L"FileName Status", 1) &&
           WriteDword(L"NotCurrent Status", 1) && WriteDword(L"Buy Status", 0) &&
           WriteDword(L"Scheduler TYP", c.scheduleType) &&
           WriteDword(L"Scheduler INT", c.interval) &&
           WriteDword(L"Scheduler ITP", c.intervalUnit) &&
           WriteDword(L"Scheduler ASH", c.atShutdown);
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                              nullptr) != FALSE &&
                    written == bytes.size();
    CloseHandle(file);
    return ok;
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return bytes;
}

bool SetLastWriteTime(const std::wstring& path, uint64_t time) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    FILETIME value = {static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    const bool ok = SetFileTime(file, nullptr, nullptr, &value) != FALSE;
    CloseHandle(file);
    return ok;
}

bool CreateFolders(const std::wstring& path) {
    const int result = SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
    return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS;
}

bool RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
    return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

namespace {

void CollectTree(const std::wstring& root, const std::wstring& relative,
                 const std::vector<std::wstring>& skip, std::map<std::wstring, FileFacts>& tree) {
    const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L".." || name == L".windows-label" ||
            name == L".windows-serial") {
            continue;
        }
        const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (std::find(skip.begin(), skip.end(), path) == skip.end()) {
                CollectTree(root, path, skip, tree);
            }
            continue;
        }
        FileFacts facts;
        facts.contents = ReadFileBytes(root + L"\\" + path).value_or("<unreadable>");
        facts.lastWrite = static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32 |
                          found.ftLastWriteTime.dwLowDateTime;
        tree[path] = std::move(facts);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

std::map<std::wstring, FileFacts> ReadTree(const std::wstring& root,
                                           const std::vector<std::wstring>& skip) {
    std::map<std::wstring, FileFacts> tree;
    CollectTree(root, L"", skip, tree);
    return tree;
}

uint64_t NewestWrite(const std::map<std::wstring, FileFacts>& tree) {
    uint64_t newest = 0;
    for (const auto& [path, facts] : tree) {
        newest = std::max(newest, facts.lastWrite);
    }
    return newest;
}

std::string CompareTrees(const std::map<std::wstring, FileFacts>& expected,
                         const std::map<std::wstring, FileFacts>& actual) {
    std::string differences;
    for (const auto& [path, facts] : expected) {
        const auto found = actual.find(path);
        const std::string name = os::win32::Narrow(path);
        if (found == actual.end()) {
            differences += "missing: " + name + "\n";
        } else if (found->second.contents != facts.contents) {
            differences += "contents differ: " + name + "\n";
        } else if (found->second.lastWrite != facts.lastWrite) {
            differences += "last-write time differs: " + name + " (" +
                           std::to_string(facts.lastWrite) + " and " +
                           std::to_string(found->second.lastWrite) + ")\n";
        }
    }
    for (const auto& [path, facts] : actual) {
        if (expected.find(path) == expected.end()) {
            differences += "extra: " + os::win32::Narrow(path) + "\n";
        }
    }
    return differences;
}

std::wstring RetryLogPath() {
    wchar_t folder[MAX_PATH] = L"";
    if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, folder) != S_OK) {
        return L"Corvant Ferrolin 2.Log";
    }
    return std::wstring(folder) + L"\\Corvant Ferrolin 2\\Corvant Ferrolin 2.Log";
}

BackupDisk::BackupDisk(char letter, const std::string& name, const std::string& serialHex)
    : letter_(letter), serial_(serialHex) {
    const std::string media = winetest::HostMediaFolder();
    if (media.empty()) {
        return;
    }
    hostFolder_ = media + "/" + name;
    RemoveTree(hostRoot());  // what an earlier run left
    ready_ = winetest::MakeMedium(hostFolder_, "E2E", serialHex) == 0 && Insert();
}

BackupDisk::~BackupDisk() {
    if (hostFolder_.empty()) {
        return;
    }
    winetest::RemoveDrive(letter_);
    RemoveTree(hostRoot());
}

std::wstring BackupDisk::root() const {
    return std::wstring(1, static_cast<wchar_t>(letter_)) + L":\\";
}

std::wstring BackupDisk::diskId() const {
    std::wstring id;
    for (size_t i = 0; i < serial_.size(); ++i) {
        if (i == 4) {
            id += L'-';
        }
        id += static_cast<wchar_t>(toupper(static_cast<unsigned char>(serial_[i])));
    }
    return id;
}

std::wstring BackupDisk::hostRoot() const {
    return winetest::WindowsPathOfHostPath(hostFolder_);
}

bool BackupDisk::Eject() {
    return winetest::EjectMedium(letter_) == 0;
}

bool BackupDisk::Insert() {
    return winetest::InsertMedium(letter_, hostFolder_) == 0;
}

}  // namespace endtoend
