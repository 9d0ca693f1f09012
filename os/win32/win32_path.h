#pragma once
// Windows paths of the program (UTF-8) turned into the forms the wide API takes without the
// 260-character limit.

#include <cstdint>
#include <string>
#include <string_view>

namespace os::win32 {

// The full `\\?\` form of path: "C:\a\..\b" becomes "\\?\C:\b", "\\server\share\x" becomes
// "\\?\UNC\server\share\x", relative paths are taken from the current directory and a path that
// already has the prefix is kept as it is. 123 for text with a NUL or malformed UTF-8.
uint32_t ToExtendedPath(std::string_view path, std::wstring& extended);

// Like ToExtendedPath, but a last component with wildcards is kept exactly as given: its trailing
// dots mean something ("*." is the names without an extension).
uint32_t ToExtendedPattern(std::string_view pattern, std::wstring& extended);

// The root of the volume that holds path: "E:\" for "E:", "E:\" and "E:\x\y", "\\server\share\"
// for "\\server\share\x" (also in their `\\?\` forms); 161 for a share path without a share.
uint32_t VolumeRootOf(std::string_view path, std::wstring& root);

}  // namespace os::win32
