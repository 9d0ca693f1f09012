#pragma once
// A device-independent bitmap as a resource holds it (header, colour table, pixels in one block),
// read with every size checked against the block, and the choice of the bitmap that suits the
// screen's colour depth.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

struct PaletteColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

struct PackedDibLayout {
    int width = 0;
    int height = 0;  // always positive; bottom-up and top-down bitmaps alike
    int bitCount = 0;
    size_t headerSize = 0;    // 40 or more (BITMAPINFOHEADER and later), or 12 (BITMAPCOREHEADER)
    size_t pixelsOffset = 0;  // from the start of the block
    std::vector<PaletteColour> colourTable;
};

// The layout of the block, or nothing when the block is not a whole bitmap: a header of another
// size, a width or height of 0 or beyond 32767, an unknown bit count, or a colour table or pixels
// that run past the end.
std::optional<PackedDibLayout> ReadPackedDib(const void* block, size_t size);

// The resource name for a colour depth (bits per pixel times planes): the base name with "24"
// from 16 bits, "8" from 8 bits, otherwise "4".
std::string BitmapVariantName(std::string_view baseName, int colourDepth);
// The name of the same picture drawn for a screen of dpi dots per inch: a 24-bit variant gets
// "_150" from 144 and "_200" from 192 dots per inch; other names and lower densities stay as they
// are.
std::string ScaledVariantName(std::string_view variantName, unsigned dpi);

}  // namespace app
