#include "tests/drivekit/wine_media.h"

#include <cstring>
#include <vector>

#include "os/win32/unique_handle.h"
#include "os/win32/wide_text.h"
#include "os/win32/windows_api.h"

#include <winioctl.h>

namespace winetest {

namespace {

// Wine's own request to its mount manager (include/ddk/mountmgr.h of Wine): define, re-define or
// (without a mount point) remove a drive letter backed by a host folder.
constexpr DWORD kMountManagerType = 0x6D;  // MOUNTMGRCONTROLTYPE
constexpr DWORD kDefineUnixDrive =
    CTL_CODE(kMountManagerType, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

struct MountManagerUnixDrive {
    ULONG size;
    ULONG type;  // a DRIVE_* value
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;  // of a host path in bytes of the system's code page, 0 for none
    USHORT deviceOffset;
    USHORT labelOffset;
};

// A host folder no medium is ever made in: a drive pointed at it has no disk.
constexpr char kNoMedium[] = "/nonexistent/ferrolin-no-medium-in-drive";

uint32_t DefineDrive(char letter, ULONG type, const std::string& mountPoint) {
    std::vector<char> request(sizeof(MountManagerUnixDrive) +
                              (mountPoint.empty() ? 0 : mountPoint.size() + 1));
    MountManagerUnixDrive header{};
    header.size = static_cast<ULONG>(request.size());
    header.type = type;
    header.letter = static_cast<WCHAR>(letter);
    if (!mountPoint.empty()) {
        header.mountPointOffset = sizeof header;
        std::memcpy(request.data() + sizeof header, mountPoint.c_str(), mountPoint.size() + 1);
    }
    std::memcpy(request.data(), &header, sizeof header);
    os::win32::FileHandle manager(
        ::CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!manager) {
        return ::GetLastError();
    }
    DWORD returned = 0;
    if (!::DeviceIoControl(manager.Get(), kDefineUnixDrive, request.data(),
                           static_cast<DWORD>(request.size()), nullptr, 0, &returned, nullptr)) {
        return ::GetLastError();
    }
    return ERROR_SUCCESS;
}

uint32_t WriteSmallFile(const std::wstring& path, const std::string& contents) {
    os::win32::FileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return ::GetLastError();
    }
    DWORD written = 0;
    if (!::WriteFile(file.Get(), contents.data(), static_cast<DWORD>(contents.size()), &written,
                     nullptr) ||
        written != contents.size()) {
        return ::GetLastError();
    }
    return ERROR_SUCCESS;
}

}  // namespace

bool RunningUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string HostMediaFolder() {
    wchar_t prefix[1024] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"WINEPREFIX", prefix, 1024);
    if (length == 0 || length >= 1024) {
        return {};
    }
    return os::win32::Narrow(prefix) + "-media";
}

std::wstring WindowsPathOfHostPath(const std::string& hostPath) {
    std::wstring path = L"Z:" + os::win32::Widen(hostPath);
    for (wchar_t& c : path) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return path;
}

uint32_t MakeMedium(const std::string& hostFolder, const std::string& label,
                    const std::string& serialHex) {
    const std::wstring folder = WindowsPathOfHostPath(hostFolder);
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        return ::GetLastError();
    }
    if (const uint32_t error = WriteSmallFile(folder + L"\\.windows-label", label)) {
        return error;
    }
    return WriteSmallFile(folder + L"\\.windows-serial", serialHex);
}

uint32_t InsertMedium(char letter, const std::string& hostFolder) {
    return DefineDrive(letter, DRIVE_REMOVABLE, hostFolder);
}

uint32_t EjectMedium(char letter) {
    return DefineDrive(letter, DRIVE_REMOVABLE, kNoMedium);
}

uint32_t RemoveDrive(char letter) {
    return DefineDrive(letter, DRIVE_NO_ROOT_DIR, "");
}

void RemoveMedium(const std::string& hostFolder) {
    const std::wstring folder = WindowsPathOfHostPath(hostFolder);
    // Best effort: what is left over is a few bytes in the prefix's media folder.
    ::DeleteFileW((folder + L"\\.windows-label").c_str());
    ::DeleteFileW((folder + L"\\.windows-serial").c_str());
    ::RemoveDirectoryW(folder.c_str());
}

}  // namespace winetest
