#include "engine/folder_sizes.h"

namespace engine {

uint64_t DataMegabytesShown(uint64_t bytes) {
    const uint64_t mb = Megabytes(bytes);
    return mb == 0 && bytes != 0 ? 1 : mb;
}

uint64_t TotalFolderSize(FolderScanner& scanner, const std::vector<std::string>& folders) {
    uint64_t total = 0;
    for (const std::string& folder : folders) {
        total += scanner.FolderSize(folder);
    }
    return total;
}

uint64_t EstimateCapacityBytes(uint64_t rawCapacity, uint32_t family) {
    return rawCapacity == 0 && family == kCdFamily ? kCdFamilyCapacityBytes : rawCapacity;
}

uint64_t DisksNeeded(uint64_t dataMb, uint64_t freeMb, uint64_t capacityMb) {
    auto over = [capacityMb](uint64_t mb) { return capacityMb == 0 ? 0 : mb / capacityMb; };
    if (freeMb == 0) {
        return over(dataMb) + 1;
    }
    if (dataMb >= freeMb) {
        return over(dataMb - freeMb) + 2;
    }
    return 1;
}

std::string FreeMegabytesText(bool hasDisk, uint64_t freeBytes) {
    return hasDisk ? std::to_string(Megabytes(freeBytes)) : "??";
}

}  // namespace engine
