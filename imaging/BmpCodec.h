#pragma once
// Device-independent bitmaps: the part of a BMP file that icons and metafiles embed as well.
#include "imaging/Codecs.h"
#include "imaging/RowKernels.h"

#include <cstdint>
#include <limits>
#include <vector>

namespace zelpix {

enum DibCompression : std::uint32_t { DibRgb = 0, DibRle8 = 1, DibRle4 = 2, DibBitFields = 3, DibAlphaBitFields = 6 };

struct DibHeader {
    std::uint32_t headerSize = 0;
    int width = 0;
    int height = 0;            // always positive; topDown tells the row order
    bool topDown = false;
    int bits = 0;              // bits per pixel: 1, 2, 4, 8, 16, 24, 32
    std::uint32_t compression = DibRgb;
    std::uint32_t masks[4] = {}; // red, green, blue, alpha for 16 and 32 bits (defaults filled in)
    Palette palette{};           // padded with black
    int paletteEntries = 0;      // entries read from the file
    std::size_t headerBytes = 0; // header, masks and palette: where packed pixels start
};

// Parses any BMP info header (OS/2 1.x and 2.x, 40-byte, V2 to V5) at the start of info, with its masks and
// palette; the palette takes at most paletteRoom bytes from the start of info. Throws ImagingError.
DibHeader ParseDibHeader(ByteView info, std::size_t paletteRoom = std::numeric_limits<std::size_t>::max());

// Bytes of one stored row.
std::size_t DibStride(int width, int bits);

// Decodes the pixels of a parsed header. When alpha is given and the format has an alpha mask, it gets one
// byte a pixel, rows top to bottom. Throws ImagingError ("The bitmap data is truncated.") on short data.
Picture DecodeDibPixels(const DibHeader& header, ByteView bits, std::vector<std::uint8_t>* alpha = nullptr);

// Composites the picture over white with the alpha bytes, unless every alpha byte is 0 (files that leave
// the alpha channel unused). Returns whether it did.
bool CompositeOverWhiteIfUsed(Picture& picture, const std::vector<std::uint8_t>& alpha);

}  // namespace zelpix
