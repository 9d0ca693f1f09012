#pragma once
// A file or folder of a simulated medium, shared by the parts of the simulated file system.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "os/file_system.h"

namespace os::sim {

class SimFileHandle;
class SimMedium;

// A file or folder of a medium.
struct SimNode {
    std::string name;
    bool directory = false;
    uint32_t attributes = 0;  // the stored bits; folders also carry kAttributeDirectory
    FileTimes times;  // as the medium stores them (in local time on FAT)
    std::vector<uint8_t> bytes;
    uint64_t zeroTail = 0;  // bytes after `bytes` that read as zeros
    std::map<std::string, std::shared_ptr<SimNode>> children;  // by upper-case name
    SimNode* parent = nullptr;
    SimMedium* medium = nullptr;
    std::vector<const SimFileHandle*> opens;
    bool removed = false;
    // A reparse point: the absolute path it leads to (empty for an ordinary file or folder).
    std::string reparseTarget;
    // While newer data of the file waits in the medium's write cache: what the medium holds.
    struct Durable {
        std::vector<uint8_t> bytes;
        uint64_t zeroTail = 0;
    };
    std::unique_ptr<Durable> durable;
    uint64_t Size() const { return bytes.size() + zeroTail; }
};

}  // namespace os::sim
