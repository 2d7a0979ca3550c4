#include "imaging/Codecs.h"

#include "imaging/ImagingError.h"
#include "imaging/LittleEndian.h"
#include "imaging/RowKernels.h"

#include <string>

namespace zelpix {

namespace {

constexpr std::size_t HeaderSize = 32, PaletteSize = 768;
constexpr std::uint16_t Magic = 0x9119;

}  // namespace

// Header: magic, width, height, x, y (16 bits each), bits per pixel (8), compression (0), pixel bytes (32 bits),
// 16 reserved bytes; then 256 RGB entries of 6 bits and one byte per pixel, rows top to bottom.
DecodedPicture ReadAutodeskCel(ByteView data)
{
    if (data.size() < HeaderSize || GetLe16(data.data()) != Magic)
        throw ImagingError("This is not an Autodesk Animator CEL or PIC file.");
    const std::uint8_t* h = data.data();
    const int width = GetLe16(h + 2), height = GetLe16(h + 4);
    const unsigned bits = h[10], compression = h[11];
    if (bits != 8)
        throw ImagingError("Autodesk CEL files of " + std::to_string(bits) + " bits per pixel are not supported.");
    if (compression != 0)
        throw ImagingError("Compressed Autodesk CEL files are not supported.");
    CheckPictureSize(width, height);
    const std::size_t pixels = std::size_t(width) * std::size_t(height);
    if (data.size() < HeaderSize + PaletteSize + pixels)
        throw ImagingError("The Autodesk CEL data is truncated.");

    // 6-bit VGA levels widened to 8 bits (63 -> 255).
    const MaskChannel widen(0x3F);
    Palette palette;
    const std::uint8_t* p = h + HeaderSize;
    for (int i = 0; i < 256; ++i, p += 3)
        palette[i] = {widen(p[2]), widen(p[1]), widen(p[0])};
    DecodedPicture decoded;
    decoded.sourceBits = 8;
    decoded.picture = Picture(width, height);
    const std::uint8_t* src = h + HeaderSize + PaletteSize;
    for (int y = 0; y < height; ++y, src += width)
        ExpandIndexedRow(src, 8, width, palette, decoded.picture.Row(y));
    return decoded;
}

}  // namespace zelpix
