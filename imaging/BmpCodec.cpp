#include "imaging/BmpCodec.h"

#include "imaging/HugePages.h"
#include "imaging/ImagingError.h"
#include "imaging/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace zelpix {

namespace {

constexpr std::size_t FileHeaderSize = 14;
const char* const Truncated = "The bitmap data is truncated.";

bool IsWindowsHeaderSize(std::uint32_t size)
{
    return size == 40 || size == 52 || size == 56 || size >= 108;
}

void SetDefaultMasks(DibHeader& h)
{
    if (h.bits == 16) {
        h.masks[0] = 0x7C00;
        h.masks[1] = 0x03E0;
        h.masks[2] = 0x001F;
    } else {
        h.masks[0] = 0x00FF0000;
        h.masks[1] = 0x0000FF00;
        h.masks[2] = 0x000000FF;
    }
    h.masks[3] = 0;
}

void Put(std::uint8_t* p, Bgr c)
{
    p[0] = c.b;
    p[1] = c.g;
    p[2] = c.r;
}

// RLE8 and RLE4: runs, end-of-line, delta and absolute runs; rows bottom-up unless the header says otherwise.
// Pixels that the stream skips keep palette entry 0 (a fresh picture is black already).
void DecodeRle(const DibHeader& h, ByteView bits, Picture& picture)
{
    if (h.palette[0] != Bgr{})
        picture.Fill(h.palette[0]);
    const bool four = h.compression == DibRle4;
    const std::size_t n = bits.size();
    const std::uint8_t* b = bits.data();
    std::size_t p = 0;
    std::int64_t x = 0, y = 0;
    auto put = [&](unsigned index) {
        if (x < h.width && y < h.height)
            Put(picture.Row(h.topDown ? int(y) : h.height - 1 - int(y)) + 3 * x, h.palette[index]);
        ++x;
    };
    while (y < h.height) {
        if (p + 2 > n) {
            if (y == h.height - 1 && x >= h.width)
                return; // the last row is complete; only the end marker is missing
            throw ImagingError(Truncated);
        }
        const unsigned count = b[p], value = b[p + 1];
        p += 2;
        if (count > 0) {
            if (x >= h.width)
                continue;
            for (unsigned i = 0; i < count; ++i)
                put(four ? ((i & 1) ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            return;
        } else if (value == 2) { // delta
            if (p + 2 > n)
                throw ImagingError(Truncated);
            x += b[p];
            y += b[p + 1];
            p += 2;
        } else { // absolute run, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            const std::size_t padded = (bytes + 1) & ~std::size_t(1);
            if (p + bytes > n)
                throw ImagingError(Truncated);
            for (unsigned i = 0; i < value; ++i)
                put(four ? ((i & 1) ? b[p + i / 2] & 15 : b[p + i / 2] >> 4) : b[p + i]);
            p = std::min(n, p + padded);
        }
    }
}

void DecodeMasked(const DibHeader& h, const std::uint8_t* src, std::size_t stride, Picture& picture,
                  std::vector<std::uint8_t>* alpha)
{
    const MaskChannel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), opacity(h.masks[3]);
    const bool wantAlpha = alpha && opacity.Present();
    if (wantAlpha)
        alpha->assign(std::size_t(h.width) * std::size_t(h.height), 0);
    const int bytes = h.bits / 8;
    for (int row = 0; row < h.height; ++row) {
        const int y = h.topDown ? row : h.height - 1 - row;
        const std::uint8_t* s = src + stride * std::size_t(row);
        std::uint8_t* d = picture.Row(y);
        std::uint8_t* a = wantAlpha ? alpha->data() + std::size_t(y) * std::size_t(h.width) : nullptr;
        for (int x = 0; x < h.width; ++x, s += bytes, d += 3) {
            const std::uint32_t v = bytes == 2 ? GetLe16(s) : GetLe32(s);
            d[0] = blue(v);
            d[1] = green(v);
            d[2] = red(v);
            if (a)
                a[x] = opacity(v);
        }
    }
}

}  // namespace

std::size_t DibStride(int width, int bits)
{
    return ((std::size_t(width) * std::size_t(bits) + 31) / 32) * 4;
}

DibHeader ParseDibHeader(ByteView info, std::size_t paletteRoom)
{
    DibHeader h;
    if (info.size() < 4)
        throw ImagingError("The bitmap header is truncated.");
    const std::uint8_t* p = info.data();
    h.headerSize = GetLe32(p);
    if (h.headerSize < 12 || (h.headerSize > 64 && h.headerSize < 108) || h.headerSize > 4096)
        throw ImagingError("Unknown bitmap header size " + std::to_string(h.headerSize) + ".");
    if (info.size() < h.headerSize)
        throw ImagingError("The bitmap header is truncated.");
    const bool core = h.headerSize == 12;
    std::int64_t width, height;
    std::uint32_t colorsUsed = 0;
    if (core) {
        width = GetLe16(p + 4);
        height = GetLe16(p + 6);
        h.bits = GetLe16(p + 10);
    } else {
        if (h.headerSize < 16)
            throw ImagingError("Unknown bitmap header size " + std::to_string(h.headerSize) + ".");
        width = GetLeI32(p + 4);
        height = GetLeI32(p + 8);
        h.bits = GetLe16(p + 14);
        if (h.headerSize >= 20)
            h.compression = GetLe32(p + 16);
        if (h.headerSize >= 36)
            colorsUsed = GetLe32(p + 32);
    }
    if (height < 0) {
        h.topDown = true;
        height = -height;
    }
    CheckPictureSize(width, height);
    h.width = int(width);
    h.height = int(height);

    const bool windows = IsWindowsHeaderSize(h.headerSize);
    if (!windows && !core && h.compression != DibRgb && h.compression != DibRle8 && h.compression != DibRle4)
        throw ImagingError("This OS/2 bitmap compression (" + std::to_string(h.compression) + ") is not supported.");
    switch (h.bits) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
    default: throw ImagingError("Bitmaps of " + std::to_string(h.bits) + " bits per pixel are not supported.");
    }
    switch (h.compression) {
    case DibRgb: break;
    case DibRle8:
        if (h.bits != 8)
            throw ImagingError("RLE8 compression needs 8 bits per pixel.");
        break;
    case DibRle4:
        if (h.bits != 4)
            throw ImagingError("RLE4 compression needs 4 bits per pixel.");
        break;
    case DibBitFields:
    case DibAlphaBitFields:
        if (h.bits != 16 && h.bits != 32)
            throw ImagingError("Bit-field bitmaps need 16 or 32 bits per pixel.");
        break;
    default:
        throw ImagingError("This bitmap compression (" + std::to_string(h.compression) + ") is not supported.");
    }

    std::size_t paletteStart = h.headerSize;
    if (h.bits == 16 || h.bits == 32) {
        SetDefaultMasks(h);
        if (h.compression == DibBitFields || h.compression == DibAlphaBitFields) {
            const int count = h.compression == DibAlphaBitFields ? 4 : 3;
            const std::uint8_t* m = p + 40;
            if (h.headerSize == 40) { // masks follow the header
                if (info.size() < 40 + 4 * std::size_t(count))
                    throw ImagingError("The bitmap header is truncated.");
                paletteStart += 4 * std::size_t(count);
            }
            // Longer headers hold the masks themselves (V3 and later with alpha too).
            const int stored = h.headerSize == 40 ? count : int(std::min<std::uint32_t>(4, (h.headerSize - 40) / 4));
            for (int i = 0; i < stored; ++i)
                h.masks[i] = GetLe32(m + 4 * i);
            if (h.masks[0] == 0 && h.masks[1] == 0 && h.masks[2] == 0)
                SetDefaultMasks(h);
        }
    }

    const std::size_t entrySize = core ? 3 : 4;
    std::uint64_t declared = colorsUsed;
    if (declared == 0 && h.bits <= 8)
        declared = std::uint64_t(1) << h.bits;
    const std::size_t end = std::min(info.size(), paletteRoom);
    const std::size_t room = end > paletteStart ? end - paletteStart : 0;
    const std::size_t stored = std::size_t(std::min<std::uint64_t>(declared, room / entrySize));
    if (h.bits <= 8) {
        h.paletteEntries = int(std::min<std::size_t>(stored, 256));
        for (int i = 0; i < h.paletteEntries; ++i) {
            const std::uint8_t* e = p + paletteStart + entrySize * std::size_t(i);
            h.palette[i] = {e[0], e[1], e[2]};
        }
    }
    h.headerBytes = paletteStart + stored * entrySize;
    return h;
}

Picture DecodeDibPixels(const DibHeader& h, ByteView bits, std::vector<std::uint8_t>* alpha)
{
    if (h.compression == DibRle8 || h.compression == DibRle4) {
        if (bits.size() < 2)
            throw ImagingError(Truncated);
        Picture picture(h.width, h.height);
        DecodeRle(h, bits, picture);
        return picture;
    }
    const std::size_t stride = DibStride(h.width, h.bits);
    const std::size_t lastRow = (std::size_t(h.width) * std::size_t(h.bits) + 7) / 8;
    // The last row's padding may be missing.
    if (bits.size() < stride * std::size_t(h.height - 1) + lastRow)
        throw ImagingError(Truncated);
    Picture picture(h.width, h.height);
    const std::uint8_t* src = bits.data();
    auto target = [&](int row) { return picture.Row(h.topDown ? row : h.height - 1 - row); };
    if (h.bits <= 8) {
        for (int row = 0; row < h.height; ++row)
            ExpandIndexedRow(src + stride * std::size_t(row), h.bits, h.width, h.palette, target(row));
    } else if (h.bits == 24) {
        // Stored rows have the picture's own layout: one copy per row.
        for (int row = 0; row < h.height; ++row)
            std::memcpy(target(row), src + stride * std::size_t(row), std::size_t(h.width) * 3);
    } else if (h.bits == 32 && h.masks[0] == 0x00FF0000 && h.masks[1] == 0xFF00 && h.masks[2] == 0xFF &&
               (h.masks[3] == 0 || !alpha)) {
        for (int row = 0; row < h.height; ++row) {
            const std::uint8_t* s = src + stride * std::size_t(row);
            std::uint8_t* d = target(row);
            for (int x = 0; x < h.width; ++x, s += 4, d += 3) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            }
        }
    } else {
        DecodeMasked(h, src, stride, picture, alpha);
    }
    return picture;
}

bool CompositeOverWhiteIfUsed(Picture& picture, const std::vector<std::uint8_t>& alpha)
{
    if (alpha.empty() || std::all_of(alpha.begin(), alpha.end(), [](std::uint8_t a) { return a == 0; }))
        return false;
    const std::size_t width = std::size_t(picture.Width());
    for (int y = 0; y < picture.Height(); ++y)
        CompositeRowOverWhite(picture.Row(y), alpha.data() + width * std::size_t(y), picture.Width());
    return true;
}

DecodedPicture ReadBmp(ByteView data)
{
    if (data.size() < FileHeaderSize + 12 || data[0] != 'B' || data[1] != 'M')
        throw ImagingError("This is not a Windows bitmap file.");
    const ByteView info = data.subspan(FileHeaderSize);
    const std::size_t offBits = GetLe32(data.data() + 10);
    // The pixel offset bounds the palette when it is plausible; otherwise the pixels follow the palette.
    const bool offsetUsable = offBits >= FileHeaderSize + 12 && offBits <= data.size();
    const DibHeader header = ParseDibHeader(info, offsetUsable ? offBits - FileHeaderSize : data.size());
    const std::size_t pixels =
        offsetUsable && offBits >= FileHeaderSize + header.headerBytes ? offBits : FileHeaderSize + header.headerBytes;
    std::vector<std::uint8_t> alpha;
    DecodedPicture decoded;
    decoded.picture = DecodeDibPixels(header, data.subspan(std::min(pixels, data.size())), &alpha);
    CompositeOverWhiteIfUsed(decoded.picture, alpha);
    decoded.sourceBits = header.bits;
    return decoded;
}

Bytes BmpFileHeader(const Picture& picture)
{
    if (picture.IsEmpty())
        throw ImagingError("There is no picture to write.");
    const std::size_t imageSize = picture.ByteSize();
    const std::size_t headers = FileHeaderSize + 40;
    if (headers + imageSize > 0xFFFFFFFFu)
        throw ImagingError("The picture is too large for a Windows bitmap file.");
    Bytes out(headers, 0);
    std::uint8_t* p = out.data();
    p[0] = 'B';
    p[1] = 'M';
    PutLe32(p + 2, std::uint32_t(headers + imageSize));
    PutLe32(p + 10, std::uint32_t(headers));
    PutLe32(p + 14, 40);
    PutLe32(p + 18, std::uint32_t(picture.Width()));
    PutLe32(p + 22, std::uint32_t(picture.Height()));
    PutLe16(p + 26, 1);
    PutLe16(p + 28, 24);
    PutLe32(p + 34, std::uint32_t(imageSize));
    return out;
}

Bytes WriteBmp(const Picture& picture)
{
    const Bytes header = BmpFileHeader(picture);
    const std::size_t stride = picture.Stride(); // the same padding as a 24-bit bitmap row
    Bytes out = OutputBuffer(header.size() + picture.ByteSize());
    std::memcpy(out.data(), header.data(), header.size());
    std::uint8_t* dst = out.data() + header.size();
    for (int y = picture.Height() - 1; y >= 0; --y, dst += stride)
        std::memcpy(dst, picture.Row(y), stride);
    return out;
}

}  // namespace zelpix
