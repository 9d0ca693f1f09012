#pragma once
// Windows paths and file names in portable code: how the system reads an absolute path (the
// normalising every Win32 call applies), and which names cannot be used as they are.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace os {

struct NormalizedPath {
    std::string volume;              // "C:" or "\\server\share", upper case
    std::vector<std::string> parts;  // the names below the volume's root
    bool literal = false;            // a "\\?\" path: its names were taken as written
    // The volume, then each part after a backslash ("C:\" for the root itself).
    std::string Full() const;
};

// Reads an absolute path ("C:\a\b", "\\server\share\x", "\\?\C:\a", "\\?\UNC\server\share\x")
// the way Win32 calls do: "/" separates too, empty names and "." go, ".." takes the previous
// name away (never the volume), and trailing dots and spaces are cut from every name but a
// search pattern's. A "\\?\" path keeps its names exactly, dropping only empty ones. With
// pattern, the last name may hold the wildcards * and ?. Returns 0, 123 for a name no file can
// have (a control character or one of <>:"/|, a wildcard elsewhere, more than 255 UTF-16 units,
// malformed text) or a path without a drive letter, and 161 for a share without a proper server
// and share name.
uint32_t NormalizePath(std::string_view path, bool pattern, NormalizedPath& out);

// Why a file or folder name found on one volume cannot be copied under the same name through the
// ordinary Win32 calls, or held by another volume whose names are at most longestName UTF-16
// units long.
enum class NameProblem {
    None,
    TrailingDotOrSpace,  // the system would cut them, and reach another file
    ReservedDevice,      // CON, NUL, COM1 ... names a device, with any extension
    InvalidCharacter,    // a control character, one of <>:"/\|?*, or malformed text
    TooLong,
};
NameProblem ProblemOfName(std::string_view name, size_t longestName = 255);
bool IsReservedDeviceName(std::string_view name);
// The first name of the path below its volume that has a problem, and which (None when none).
NameProblem ProblemOfPath(std::string_view path, size_t longestName, std::string* name = nullptr);

}  // namespace os
