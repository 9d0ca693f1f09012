#include "os/win32/win32_system.h"

#include "os/errors.h"
#include "os/win32/unique_handle.h"
#include "os/win32/wide_text.h"
#include "os/win32/windows_api.h"

#include <objbase.h>
#include <shlobj.h>

namespace os::win32 {

namespace {

// Strings that the shell allocates with CoTaskMemAlloc.
using TaskMemoryString = UniqueHandle<PWSTR, &::CoTaskMemFree, 0>;

std::string WithoutTrailingBackslash(std::wstring path) {
    while (path.size() > 1 && path.back() == L'\\') {
        path.pop_back();
    }
    return Narrow(path);
}

// Asking for the privilege can fail (a user without it, a restricted token); the request to shut
// down is made all the same and its own error is what tells the caller.
void EnableShutdownPrivilege() {
    KernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                            token.Put())) {
        return;
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
        return;
    }
    ::AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
}

}  // namespace

uint64_t Win32System::PhysicalMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    if (!::GlobalMemoryStatusEx(&status)) {
        return 0;
    }
    return status.ullTotalPhys;
}

uint32_t Win32System::ShutDown() {
    EnableShutdownPrivilege();
    // A planned shutdown that an application asked for, as the event log will show it.
    constexpr DWORD kReason =
        SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED;
    if (!::ExitWindowsEx(EWX_SHUTDOWN, kReason)) {
        return ::GetLastError();
    }
    return kErrorSuccess;
}

std::string Win32System::ProgramPath() {
    // The program may live in a folder deeper than MAX_PATH; the buffer grows until the name fits
    // (a truncated name fills the buffer exactly).
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return Narrow(buffer);
        }
        if (buffer.size() >= 65536) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string Win32System::LocalAppDataFolder() {
    TaskMemoryString known;
    // The string is freed even when the call fails, as the shell asks.
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, known.Put())) &&
        known) {
        return WithoutTrailingBackslash(known.Get());
    }
    wchar_t folder[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                                     folder))) {
        return WithoutTrailingBackslash(folder);
    }
    return {};
}

std::string Win32System::ErrorMessageText(uint32_t code) {
    LPWSTR text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPWSTR>(&text),
        0, nullptr);
    const LocalBuffer owner(text);
    if (length == 0 || text == nullptr) {
        return {};
    }
    return Narrow(std::wstring_view(text, length));
}

}  // namespace os::win32
