#include "os/win32/win32_path.h"

#include "os/errors.h"
#include "os/text.h"
#include "os/win32/wide_text.h"
#include "os/win32/windows_api.h"

namespace os::win32 {

namespace {

constexpr std::wstring_view kExtendedPrefix = L"\\\\?\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";
constexpr std::wstring_view kUncAfterPrefix = L"UNC\\";

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool HasDriveLetter(std::wstring_view path) {
    return path.size() >= 2 && path[1] == L':' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

bool HasPrefix(std::wstring_view path) {
    return path.starts_with(kExtendedPrefix) || path.starts_with(kDevicePrefix);
}

bool HasUncAfterPrefix(std::wstring_view path) {
    const std::wstring_view rest = path.substr(kExtendedPrefix.size());
    return rest.size() >= kUncAfterPrefix.size() && (rest[0] == L'U' || rest[0] == L'u') &&
           (rest[1] == L'N' || rest[1] == L'n') && (rest[2] == L'C' || rest[2] == L'c') &&
           rest[3] == L'\\';
}

// A NUL would cut the name short at the API and malformed UTF-8 would become U+FFFD: either way
// the call would reach a file other than the one named, so such text is refused outright.
uint32_t CheckText(std::string_view text) {
    if (text.find('\0') != std::string_view::npos || !IsWellFormed(text)) {
        return kErrorInvalidName;
    }
    return kErrorSuccess;
}

// GetFullPathNameW resolves ".", "..", "/" and trailing dots and spaces the way every Win32 call
// does; it has no length limit of its own, so the buffer grows to what it asks for.
uint32_t FullPathOf(const std::wstring& path, std::wstring& full) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()),
                                                buffer.data(), nullptr);
        if (length == 0) {
            const DWORD error = ::GetLastError();
            return error != 0 ? error : kErrorInvalidName;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            full = std::move(buffer);
            return kErrorSuccess;
        }
        buffer.resize(length);  // the size it needs, terminator included
    }
}

std::wstring WithPrefix(std::wstring full) {
    if (HasPrefix(full)) {
        return full;  // "COM1" and friends come back as device paths; they stay such
    }
    if (full.size() >= 2 && IsSeparator(full[0]) && IsSeparator(full[1])) {
        return std::wstring(kExtendedPrefix) + std::wstring(kUncAfterPrefix) + full.substr(2);
    }
    if (HasDriveLetter(full)) {
        return std::wstring(kExtendedPrefix) + full;
    }
    return full;
}

// "\\server\share\" of the text after the two leading separators of a share path.
uint32_t ShareRootOf(std::wstring_view afterSeparators, std::wstring& root) {
    size_t pos = 0;
    auto component = [&]() {
        const size_t start = pos;
        while (pos < afterSeparators.size() && !IsSeparator(afterSeparators[pos])) {
            ++pos;
        }
        const std::wstring_view part = afterSeparators.substr(start, pos - start);
        if (pos < afterSeparators.size()) {
            ++pos;
        }
        return part;
    };
    const std::wstring_view server = component();
    const std::wstring_view share = component();
    if (server.empty() || share.empty()) {
        return kErrorBadPathname;
    }
    root = L"\\\\";
    root.append(server).append(L"\\").append(share).append(L"\\");
    return kErrorSuccess;
}

uint32_t RootOfAbsolute(std::wstring_view path, std::wstring& root) {
    if (HasPrefix(path)) {
        if (path.starts_with(kExtendedPrefix) && HasUncAfterPrefix(path)) {
            return ShareRootOf(path.substr(kExtendedPrefix.size() + kUncAfterPrefix.size()), root);
        }
        const std::wstring_view rest = path.substr(kExtendedPrefix.size());
        if (HasDriveLetter(rest)) {
            root = std::wstring(rest.substr(0, 2)) + L"\\";
            return kErrorSuccess;
        }
        // A volume by its name ("\\?\Volume{...}\"): the root is the name with a backslash.
        const size_t end = rest.find(L'\\');
        root = std::wstring(path.substr(0, kExtendedPrefix.size())) +
               std::wstring(rest.substr(0, end)) + L"\\";
        return kErrorSuccess;
    }
    if (HasDriveLetter(path)) {
        root = std::wstring(path.substr(0, 2)) + L"\\";  // "E:" alone is the root too
        return kErrorSuccess;
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return ShareRootOf(path.substr(2), root);
    }
    return kErrorBadPathname;
}

// GetFullPathNameW turns "C:\Data\CON" (and "NUL.txt", "COM1" ...) into the device "\\.\CON".
// Such files exist on NTFS volumes (made by other systems or through "\\?\" names); copying one
// through the device would read the console or write into nothing and report success. A name in a
// folder is a file: the folder is normalised and the name kept, trailing dots and spaces removed
// as for any name. Without a folder the device is what was asked for.
uint32_t FileNamedLikeADevice(const std::wstring& wide, std::wstring& extended) {
    const size_t lastSeparator = wide.find_last_of(L"\\/");
    if (lastSeparator == std::wstring::npos) {
        extended = std::wstring(kDevicePrefix) + wide;
        return kErrorSuccess;
    }
    std::wstring name = wide.substr(lastSeparator + 1);
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) {
        name.pop_back();
    }
    std::wstring folder;
    if (const uint32_t error = FullPathOf(wide.substr(0, lastSeparator + 1), folder)) {
        return error;
    }
    if (folder.empty() || !IsSeparator(folder.back())) {
        folder.push_back(L'\\');
    }
    extended = WithPrefix(folder + name);
    return kErrorSuccess;
}

}  // namespace

uint32_t ToExtendedPath(std::string_view path, std::wstring& extended) {
    if (const uint32_t error = CheckText(path)) {
        return error;
    }
    std::wstring wide = Widen(path);
    if (wide.starts_with(kExtendedPrefix)) {
        extended = std::move(wide);
        return kErrorSuccess;
    }
    std::wstring full;
    if (const uint32_t error = FullPathOf(wide, full)) {
        return error;
    }
    if (full.starts_with(kDevicePrefix) && !wide.starts_with(kDevicePrefix)) {
        return FileNamedLikeADevice(wide, extended);
    }
    extended = WithPrefix(std::move(full));
    return kErrorSuccess;
}

uint32_t ToExtendedPattern(std::string_view pattern, std::wstring& extended) {
    if (const uint32_t error = CheckText(pattern)) {
        return error;
    }
    std::wstring wide = Widen(pattern);
    if (wide.starts_with(kExtendedPrefix)) {
        extended = std::move(wide);
        return kErrorSuccess;
    }
    const size_t lastSeparator = wide.find_last_of(L"\\/");
    size_t maskStart = 0;
    std::wstring folder = L".";
    if (lastSeparator != std::wstring::npos) {
        maskStart = lastSeparator + 1;
        folder = wide.substr(0, maskStart);
    } else if (HasDriveLetter(wide)) {
        maskStart = 2;
        folder = wide.substr(0, 2);  // "C:*.doc": the current folder of drive C:
    }
    // A last component without wildcards names one entry, which every other call finds after
    // the usual normalisation ("name." is "name", ".." the parent); the search does the same.
    if (wide.find_first_of(L"*?", maskStart) == std::wstring::npos) {
        return ToExtendedPath(pattern, extended);
    }
    std::wstring full;
    if (const uint32_t error = FullPathOf(folder, full)) {
        return error;
    }
    if (full.empty() || !IsSeparator(full.back())) {
        full.push_back(L'\\');
    }
    extended = WithPrefix(full + wide.substr(maskStart));
    return kErrorSuccess;
}

uint32_t VolumeRootOf(std::string_view path, std::wstring& root) {
    if (const uint32_t error = CheckText(path)) {
        return error;
    }
    const std::wstring wide = Widen(path);
    if (RootOfAbsolute(wide, root) == kErrorSuccess) {
        return kErrorSuccess;
    }
    if (wide.size() >= 2 && IsSeparator(wide[0]) && IsSeparator(wide[1])) {
        return kErrorBadPathname;
    }
    std::wstring full;
    if (const uint32_t error = FullPathOf(wide, full)) {
        return error;
    }
    return RootOfAbsolute(full, root);
}

}  // namespace os::win32
