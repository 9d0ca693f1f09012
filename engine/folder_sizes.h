#pragma once
// The figures the wizard and the settings pages show about the source folders and the backup
// disk: megabytes (mebibytes: bytes shifted right by 20, remainder dropped) and the rough number
// of disks a complete copy needs.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/folder_scanner.h"

namespace engine {

// The capacity used for a drive of the CD family that reports none: 540 MB.
inline constexpr uint64_t kCdFamilyCapacityBytes = 566231040;
inline constexpr uint32_t kCdFamily = 0x8000;

inline uint64_t Megabytes(uint64_t bytes) {
    return bytes >> 20;
}

// The data megabytes the wizard shows: some data below 1 MB shows as 1.
uint64_t DataMegabytesShown(uint64_t bytes);

// The sum of FolderSize over the folders (stops early when the scanner is cancelled).
uint64_t TotalFolderSize(FolderScanner& scanner, const std::vector<std::string>& folders);

// A medium's capacity for the estimates: the raw figure, or 540 MB for a CD-family drive that
// reports none.
uint64_t EstimateCapacityBytes(uint64_t rawCapacity, uint32_t family);

// Disks needed for dataMb of data with freeMb free on the disk in the drive (0: no disk or no
// figure) and disks of capacityMb each: (D - F) / C + 2 when F is not zero and D is at least F,
// D / C + 1 when F is zero, 1 when D is below F. A zero C counts as a zero quotient.
uint64_t DisksNeeded(uint64_t dataMb, uint64_t freeMb, uint64_t capacityMb);

// Free megabytes as the pages print them: the number, or "??" when the drive has no disk.
std::string FreeMegabytesText(bool hasDisk, uint64_t freeBytes);

}  // namespace engine
