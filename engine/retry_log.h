#pragma once
// The retry list kept between runs of the program: the file "Corvant Ferrolin 2.Log" in the
// program's folder of the user's local application data. Little-endian: a 32-bit count of
// records, then each record as a 32-bit length and that many bytes of the path (UTF-8, no
// terminator, no padding).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/file_list.h"
#include "os/file_system.h"
#include "os/system.h"

namespace engine {

// "<local application data>\Corvant Ferrolin 2\Corvant Ferrolin 2.Log"; a bare name (the current
// folder) when the system has no such folder.
std::string RetryLogPath(os::System& system);

// Reads the records; false (and no paths) when the bytes are not exactly a well-formed list of
// absolute paths: a short or overlong file, a count or length that cannot be right, bytes that
// are not text or not a path. Never allocates more than the input's size.
bool ParseRetryLog(std::string_view bytes, std::vector<std::string>& paths);
std::string SerializeRetryLog(const std::vector<std::string>& paths);

// Empties list, then fills it from the file (files that no longer exist drop out) and deletes
// the file, whether or not it could be read. All or nothing: a file that cannot be read or
// parsed leaves the list empty. A missing file is normal (result 2).
uint32_t LoadRetryLog(os::FileSystem& files, const std::string& path, FileList& list);
// Writes the list when it is not empty: to a temporary file beside the log, then moved over it
// so a failure never leaves a torn file. Creates the folder when it is missing.
uint32_t SaveRetryLog(os::FileSystem& files, const std::string& path, const FileList& list);

}  // namespace engine
