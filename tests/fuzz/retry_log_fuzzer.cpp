// Fuzzes the reader of the retry-list file: any bytes either parse into paths that write back
// as exactly the same bytes, or are refused; never a crash, a hang or a large allocation.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "engine/retry_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> paths;
    if (engine::ParseRetryLog(bytes, paths)) {
        if (engine::SerializeRetryLog(paths) != bytes) {
            std::abort();  // a file that parses must be one the program could have written
        }
    } else if (!paths.empty()) {
        std::abort();  // all or nothing
    }
    return 0;
}
