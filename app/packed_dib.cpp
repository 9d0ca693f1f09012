#include "app/packed_dib.h"

#include <algorithm>

namespace app {

namespace {

constexpr size_t kCoreHeaderSize = 12;
constexpr size_t kInfoHeaderSize = 40;
constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr uint32_t kCompressionBitFields = 3;
constexpr int64_t kLargestSide = 32767;

uint32_t ReadU32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

uint16_t ReadU16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

bool KnownBitCount(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

std::optional<PackedDibLayout> ReadPackedDib(const void* block, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(block);
    if (bytes == nullptr || size < 4) {
        return std::nullopt;
    }
    PackedDibLayout layout;
    layout.headerSize = ReadU32(bytes);
    int64_t width = 0;
    int64_t height = 0;
    uint32_t compression = kCompressionRgb;
    uint32_t coloursUsed = 0;
    uint32_t imageSize = 0;
    size_t entrySize = 4;  // RGBQUAD; RGBTRIPLE for the old header
    if (layout.headerSize == kCoreHeaderSize) {
        if (size < kCoreHeaderSize) {
            return std::nullopt;
        }
        width = ReadU16(bytes + 4);
        height = ReadU16(bytes + 6);
        layout.bitCount = ReadU16(bytes + 10);
        entrySize = 3;
    } else if (layout.headerSize >= kInfoHeaderSize && layout.headerSize <= size) {
        width = static_cast<int32_t>(ReadU32(bytes + 4));
        height = static_cast<int32_t>(ReadU32(bytes + 8));
        layout.bitCount = ReadU16(bytes + 14);
        compression = ReadU32(bytes + 16);
        imageSize = ReadU32(bytes + 20);
        coloursUsed = ReadU32(bytes + 32);
    } else {
        return std::nullopt;
    }
    if (height < 0) {
        height = -height;  // top-down
    }
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide ||
        !KnownBitCount(layout.bitCount)) {
        return std::nullopt;
    }
    layout.width = static_cast<int>(width);
    layout.height = static_cast<int>(height);

    size_t offset = layout.headerSize;
    if (compression == kCompressionBitFields && layout.headerSize == kInfoHeaderSize) {
        offset += 12;  // the three colour masks follow the header
    } else if (compression != kCompressionRgb && compression != kCompressionBitFields &&
               compression != kCompressionRle8 && compression != kCompressionRle4) {
        return std::nullopt;
    }
    size_t entries = coloursUsed;
    if (layout.bitCount <= 8) {
        const size_t full = size_t{1} << layout.bitCount;
        if (entries == 0 || entries > full) {
            entries = full;
        }
    }
    if (entries > (size - std::min(offset, size)) / entrySize || offset > size) {
        return std::nullopt;
    }
    layout.colourTable.reserve(entries);
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t* entry = bytes + offset + i * entrySize;
        layout.colourTable.push_back({entry[2], entry[1], entry[0]});  // stored blue, green, red
    }
    offset += entries * entrySize;
    layout.pixelsOffset = offset;

    uint64_t pixelBytes = 0;
    if (compression == kCompressionRle8 || compression == kCompressionRle4) {
        pixelBytes = imageSize;
    } else {
        const uint64_t stride =
            (static_cast<uint64_t>(layout.width) * static_cast<uint64_t>(layout.bitCount) + 31) /
            32 * 4;
        pixelBytes = stride * static_cast<uint64_t>(layout.height);
    }
    if (pixelBytes == 0 || pixelBytes > size - offset) {
        return std::nullopt;
    }
    return layout;
}

std::string BitmapVariantName(std::string_view baseName, int colourDepth) {
    std::string name(baseName);
    if (colourDepth >= 16) {
        name += "24";
    } else if (colourDepth >= 8) {
        name += "8";
    } else {
        name += "4";
    }
    return name;
}

std::string ScaledVariantName(std::string_view variantName, unsigned dpi) {
    std::string name(variantName);
    if (!name.ends_with("24")) {
        return name;
    }
    if (dpi >= 192) {
        name += "_200";
    } else if (dpi >= 144) {
        name += "_150";
    }
    return name;
}

}  // namespace app
