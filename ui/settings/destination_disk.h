#pragma once
// What the General page shows of the disk in the destination drive (portable).

#include <cstdint>
#include <string>
#include <string_view>

namespace ui {

struct DestinationDisk {
    bool hasDisk = false;
    // A disk is in but cannot report its sizes (unformatted or unreadable).
    bool sizesUnavailable = false;
    uint64_t freeBytes = 0;
    bool isProtected = false;
};

// Looks at the disk in the drive of a destination root ("E:\"), holding the medium in its drive
// while its sizes are read. An empty or malformed destination has no disk.
DestinationDisk LookAtDestinationDisk(const std::string& destination);

// The free-space text from its pattern ("Free Space: %1 MB"): the free megabytes, or "??" when
// there is no disk or its sizes cannot be read.
std::string FreeSpaceText(std::string_view pattern, const DestinationDisk& disk);

}  // namespace ui
