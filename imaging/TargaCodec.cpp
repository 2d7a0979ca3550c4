#include "imaging/Codecs.h"

#include "imaging/BmpCodec.h"
#include "imaging/HugePages.h"
#include "imaging/ImagingError.h"
#include "imaging/LittleEndian.h"
#include "imaging/RowKernels.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace zelpix {

namespace {

constexpr std::size_t HeaderSize = 18;
const char* const Truncated = "The Targa data is truncated.";

// 15 and 16-bit pixels: x-RRRRR-GGGGG-BBBBB, little-endian; the top bit is alpha when the file says so.
const MaskChannel Red5(0x7C00), Green5(0x03E0), Blue5(0x001F);

Bgr Colour16(std::uint32_t v)
{
    return {Blue5(v), Green5(v), Red5(v)};
}

// Converts one row of raw pixels (bytesPerPixel each) to BGR, and alpha when asked.
struct TargaPixels {
    int bytesPerPixel = 0;
    bool mapped = false;   // indices through the palette (colour-mapped and grey)
    bool alphaBit = false; // 16 bits with one alpha bit
    bool alpha8 = false;   // 32 bits with an alpha byte
    Palette palette{};

    void Convert(const std::uint8_t* s, int width, std::uint8_t* d, std::uint8_t* a) const
    {
        if (mapped) {
            if (bytesPerPixel == 1) {
                ExpandIndexedRow(s, 8, width, palette, d);
            } else {
                for (int x = 0; x < width; ++x, s += 2, d += 3) {
                    const unsigned index = GetLe16(s);
                    const Bgr c = index < 256 ? palette[index] : Bgr{};
                    d[0] = c.b;
                    d[1] = c.g;
                    d[2] = c.r;
                }
            }
            return;
        }
        switch (bytesPerPixel) {
        case 2:
            for (int x = 0; x < width; ++x, s += 2, d += 3) {
                const std::uint32_t v = GetLe16(s);
                const Bgr c = Colour16(v);
                d[0] = c.b;
                d[1] = c.g;
                d[2] = c.r;
                if (alphaBit)
                    a[x] = (v & 0x8000) ? 255 : 0;
            }
            break;
        case 3:
            std::memcpy(d, s, std::size_t(width) * 3);
            break;
        default:
            for (int x = 0; x < width; ++x, s += 4, d += 3) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                if (alpha8)
                    a[x] = s[3];
            }
            break;
        }
    }
};

// Run-length packets may run on from one row into the next; this keeps the packet state between rows.
class TargaRle {
public:
    TargaRle(ByteView data, int bytesPerPixel) : data_(data), bpp_(bytesPerPixel) {}

    void Row(std::uint8_t* out, int width)
    {
        const std::size_t bpp = std::size_t(bpp_);
        for (int x = 0; x < width;) {
            if (left_ == 0) {
                if (pos_ >= data_.size())
                    throw ImagingError(Truncated);
                const std::uint8_t packet = data_[pos_++];
                left_ = (packet & 0x7F) + 1;
                repeat_ = (packet & 0x80) != 0;
                if (repeat_) {
                    if (data_.size() - pos_ < bpp)
                        throw ImagingError(Truncated);
                    std::memcpy(value_, data_.data() + pos_, bpp);
                    pos_ += bpp;
                }
            }
            const int n = std::min(left_, width - x);
            if (repeat_) {
                for (int i = 0; i < n; ++i)
                    std::memcpy(out + (std::size_t(x) + i) * bpp, value_, bpp);
            } else {
                const std::size_t bytes = std::size_t(n) * bpp;
                if (data_.size() - pos_ < bytes)
                    throw ImagingError(Truncated);
                std::memcpy(out + std::size_t(x) * bpp, data_.data() + pos_, bytes);
                pos_ += bytes;
            }
            x += n;
            left_ -= n;
        }
    }

private:
    ByteView data_;
    int bpp_;
    std::size_t pos_ = 0;
    int left_ = 0;
    bool repeat_ = false;
    std::uint8_t value_[4] = {};
};

Bgr MapEntry(const std::uint8_t* e, int bits)
{
    switch (bits) {
    case 15:
    case 16: return Colour16(GetLe16(e));
    default: return {e[0], e[1], e[2]}; // 24 and 32 bits: blue, green, red (, alpha)
    }
}

}  // namespace

DecodedPicture ReadTarga(ByteView data)
{
    if (data.size() < HeaderSize)
        throw ImagingError("The Targa header is truncated.");
    const std::uint8_t* h = data.data();
    const unsigned idLength = h[0], mapType = h[1], type = h[2];
    const unsigned mapFirst = GetLe16(h + 3), mapLength = GetLe16(h + 5), mapBits = h[7];
    const int width = GetLe16(h + 12), height = GetLe16(h + 14);
    const int depth = h[16];
    const unsigned descriptor = h[17];
    const unsigned alphaBits = descriptor & 15;
    const bool rightToLeft = (descriptor & 0x10) != 0, topDown = (descriptor & 0x20) != 0;

    if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11)
        throw ImagingError("Targa image type " + std::to_string(type) + " is not supported.");
    if (mapType > 1)
        throw ImagingError("This is not a Targa file (colour map type " + std::to_string(mapType) + ").");
    const bool colourMapped = type == 1 || type == 9, grey = type == 3 || type == 11, rle = type >= 9;
    if (colourMapped && (mapType != 1 || (depth != 8 && depth != 16)))
        throw ImagingError("The colour-mapped Targa file has no usable colour map.");
    if (grey && depth != 8)
        throw ImagingError("Grey Targa files of " + std::to_string(depth) + " bits are not supported.");
    if (!colourMapped && !grey && depth != 15 && depth != 16 && depth != 24 && depth != 32)
        throw ImagingError("Targa files of " + std::to_string(depth) + " bits per pixel are not supported.");
    if (mapType == 1 && mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32)
        throw ImagingError("Targa colour maps of " + std::to_string(mapBits) + "-bit entries are not supported.");
    CheckPictureSize(width, height);

    std::size_t pos = HeaderSize + idLength;
    TargaPixels pixels;
    pixels.bytesPerPixel = (depth + 7) / 8;
    if (mapType == 1) {
        const std::size_t entryBytes = (mapBits + 7) / 8;
        const std::size_t mapBytes = entryBytes * mapLength;
        if (data.size() < pos + mapBytes)
            throw ImagingError(Truncated);
        for (unsigned k = 0; k < mapLength && mapFirst + k < 256; ++k)
            pixels.palette[mapFirst + k] = MapEntry(data.data() + pos + entryBytes * k, mapBits);
        pos += mapBytes;
    }
    pixels.mapped = colourMapped || grey;
    if (grey)
        pixels.palette = GreyPalette();
    pixels.alphaBit = !pixels.mapped && depth == 16 && alphaBits == 1;
    pixels.alpha8 = !pixels.mapped && depth == 32 && alphaBits > 0;
    const bool hasAlpha = pixels.alphaBit || pixels.alpha8;

    const std::size_t rowBytes = std::size_t(width) * std::size_t(pixels.bytesPerPixel);
    const ByteView body = data.subspan(std::min(pos, data.size()));
    // A run packet is 1 + bytesPerPixel bytes for at most 128 pixels.
    const std::size_t fewest = rle ? (std::size_t(width) * height + 127) / 128 * (1 + std::size_t(pixels.bytesPerPixel))
                                   : rowBytes * std::size_t(height);
    if (body.size() < fewest)
        throw ImagingError(Truncated);

    DecodedPicture decoded;
    decoded.sourceBits = depth;
    decoded.picture = Picture(width, height);
    Picture& picture = decoded.picture;
    std::vector<std::uint8_t> alpha(hasAlpha ? std::size_t(width) * height : 0);
    std::vector<std::uint8_t> raw(rle ? rowBytes : 0);
    TargaRle runs(body, pixels.bytesPerPixel);
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        const std::uint8_t* src;
        if (rle) {
            runs.Row(raw.data(), width);
            src = raw.data();
        } else {
            src = body.data() + rowBytes * std::size_t(row);
        }
        std::uint8_t* a = hasAlpha ? alpha.data() + std::size_t(width) * y : nullptr;
        pixels.Convert(src, width, picture.Row(y), a);
        if (rightToLeft) {
            std::uint8_t* d = picture.Row(y);
            for (int l = 0, r = width - 1; l < r; ++l, --r) {
                std::swap(d[3 * l], d[3 * r]);
                std::swap(d[3 * l + 1], d[3 * r + 1]);
                std::swap(d[3 * l + 2], d[3 * r + 2]);
            }
            if (a)
                std::reverse(a, a + width);
        }
    }
    CompositeOverWhiteIfUsed(picture, alpha);
    return decoded;
}

Bytes WriteTarga(const Picture& picture)
{
    if (picture.IsEmpty())
        throw ImagingError("There is no picture to write.");
    const int width = picture.Width(), height = picture.Height();
    const std::size_t rowBytes = std::size_t(width) * 3;
    Bytes out = OutputBuffer(HeaderSize + rowBytes * std::size_t(height));
    std::uint8_t* p = out.data();
    p[2] = 2; // uncompressed true colour
    PutLe16(p + 12, std::uint32_t(width));
    PutLe16(p + 14, std::uint32_t(height));
    p[16] = 24;
    p[17] = 0; // bottom-left origin, no alpha
    std::uint8_t* dst = p + HeaderSize;
    for (int y = height - 1; y >= 0; --y, dst += rowBytes)
        std::memcpy(dst, picture.Row(y), rowBytes);
    return out;
}

}  // namespace zelpix
