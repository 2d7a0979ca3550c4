#include "imaging/Codecs.h"

#include "imaging/BmpCodec.h"
#include "imaging/ImagingError.h"
#include "imaging/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace zelpix {

namespace {

constexpr std::size_t DirectorySize = 6, EntrySize = 16;
const std::uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

std::uint32_t GetBe32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

struct Candidate {
    ByteView bytes;
    bool png = false;
    std::uint64_t area = 0;
    int bits = 0;
};

// Size and depth from the entry's own header (the directory's fields are often wrong); none when unusable.
std::optional<Candidate> Inspect(ByteView bytes)
{
    Candidate c;
    c.bytes = bytes;
    if (bytes.size() >= 33 && std::memcmp(bytes.data(), PngSignature, 8) == 0) {
        // IHDR: width, height, bit depth, colour type.
        const std::uint8_t* ihdr = bytes.data() + 16;
        const unsigned depth = ihdr[8], colourType = ihdr[9];
        const int channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
        c.png = true;
        c.area = std::uint64_t(GetBe32(ihdr)) * GetBe32(ihdr + 4); // no overflow: 32 x 32 bits
        c.bits = int(depth) * channels;
        return c;
    }
    try {
        const DibHeader h = ParseDibHeader(bytes);
        if (h.height < 2)
            return std::nullopt;
        c.area = std::uint64_t(h.width) * std::uint64_t(h.height / 2);
        c.bits = h.bits;
        return c;
    } catch (const ImagingError&) {
        return std::nullopt;
    }
}

DecodedPicture DecodeDibEntry(ByteView bytes)
{
    DibHeader h = ParseDibHeader(bytes);
    h.height /= 2; // the colour bitmap and then the AND mask
    if (h.compression == DibRgb && h.bits == 32)
        h.masks[3] = 0xFF000000;
    const ByteView colour = bytes.subspan(std::min(h.headerBytes, bytes.size()));
    std::vector<std::uint8_t> alpha;
    DecodedPicture decoded;
    decoded.sourceBits = h.bits;
    decoded.picture = DecodeDibPixels(h, colour, &alpha);
    if (CompositeOverWhiteIfUsed(decoded.picture, alpha))
        return decoded;

    // Pixels whose mask bit is set are transparent: white.
    if (h.compression != DibRgb && h.compression != DibBitFields)
        return decoded; // compressed colour bitmaps leave no way to find the mask
    const std::size_t colourBytes = DibStride(h.width, h.bits) * std::size_t(h.height);
    const std::size_t maskStride = DibStride(h.width, 1);
    const std::size_t maskBytes = maskStride * std::size_t(h.height);
    // Without a whole mask (some writers leave it out or store it short) the colours stand, opaque.
    if (colour.size() < colourBytes + maskBytes)
        return decoded;
    const std::uint8_t* mask = colour.data() + colourBytes;
    for (int row = 0; row < h.height; ++row) {
        const std::uint8_t* m = mask + maskStride * std::size_t(row);
        std::uint8_t* d = decoded.picture.Row(h.topDown ? row : h.height - 1 - row);
        for (int x = 0; x < h.width; ++x)
            if ((m[x >> 3] >> (7 - (x & 7))) & 1)
                std::memset(d + 3 * x, 255, 3);
    }
    return decoded;
}

}  // namespace

DecodedPicture ReadIcon(ByteView data)
{
    if (data.size() < DirectorySize || GetLe16(data.data()) != 0 ||
        (GetLe16(data.data() + 2) != 1 && GetLe16(data.data() + 2) != 2))
        throw ImagingError("This is not an icon or cursor file.");
    const std::size_t count = GetLe16(data.data() + 4);
    if (count == 0)
        throw ImagingError("The icon file holds no picture.");
    if (data.size() < DirectorySize + EntrySize * count)
        throw ImagingError("The icon directory is truncated.");

    std::optional<Candidate> best;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* e = data.data() + DirectorySize + EntrySize * i;
        const std::size_t size = GetLe32(e + 8), offset = GetLe32(e + 12);
        if (offset > data.size() || size > data.size() - offset)
            throw ImagingError("The icon file is truncated.");
        const auto c = Inspect(data.subspan(offset, size));
        if (c && (!best || c->area > best->area || (c->area == best->area && c->bits > best->bits)))
            best = c;
    }
    if (!best)
        throw ImagingError("The icon file holds no readable picture.");
    return best->png ? ReadPng(best->bytes) : DecodeDibEntry(best->bytes);
}

}  // namespace zelpix
