#include "imaging/Codecs.h"

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

constexpr std::size_t HeaderSize = 128;
constexpr std::size_t EndPaletteSize = 769; // 0x0C and 256 RGB entries
const char* const Truncated = "The PCX data is truncated.";

// Scan lines of all planes, one after the other; runs may continue from one line into the next.
class PcxLines {
public:
    PcxLines(ByteView data, bool rle) : data_(data), rle_(rle) {}

    void Line(std::uint8_t* out, std::size_t bytes)
    {
        if (!rle_) {
            if (data_.size() - pos_ < bytes)
                throw ImagingError(Truncated);
            std::memcpy(out, data_.data() + pos_, bytes);
            pos_ += bytes;
            return;
        }
        for (std::size_t i = 0; i < bytes;) {
            if (left_ == 0) {
                if (pos_ >= data_.size())
                    throw ImagingError(Truncated);
                const std::uint8_t b = data_[pos_++];
                if ((b & 0xC0) == 0xC0) {
                    if (pos_ >= data_.size())
                        throw ImagingError(Truncated);
                    left_ = b & 0x3F;
                    value_ = data_[pos_++];
                } else {
                    left_ = 1;
                    value_ = b;
                }
            }
            const std::size_t n = std::min(left_, bytes - i);
            std::memset(out + i, value_, n);
            i += n;
            left_ -= n;
        }
    }

private:
    ByteView data_;
    bool rle_;
    std::size_t pos_ = 0;
    std::size_t left_ = 0;
    std::uint8_t value_ = 0;
};

}  // namespace

DecodedPicture ReadPcx(ByteView data)
{
    if (data.size() < HeaderSize || data[0] != 0x0A)
        throw ImagingError("This is not a PCX file.");
    const std::uint8_t* h = data.data();
    const unsigned version = h[1], encoding = h[2], bitsPerPixel = h[3];
    const int width = int(GetLe16(h + 8)) - int(GetLe16(h + 4)) + 1;
    const int height = int(GetLe16(h + 10)) - int(GetLe16(h + 6)) + 1;
    const unsigned planes = h[65];
    const std::size_t bytesPerLine = GetLe16(h + 66);
    if (version > 5 || encoding > 1)
        throw ImagingError("This is not a PCX file.");
    const unsigned bits = bitsPerPixel * planes;
    const bool supported = (planes == 1 && (bitsPerPixel == 1 || bitsPerPixel == 2 || bitsPerPixel == 4 ||
                                            bitsPerPixel == 8)) ||
                           (bitsPerPixel == 1 && (planes == 2 || planes == 3 || planes == 4)) ||
                           (bitsPerPixel == 8 && planes == 3);
    if (!supported)
        throw ImagingError("PCX files of " + std::to_string(planes) + " planes of " + std::to_string(bitsPerPixel) +
                           " bits are not supported.");
    CheckPictureSize(width, height);
    if (bytesPerLine * 8 < std::size_t(width) * bitsPerPixel)
        throw ImagingError("The PCX scan lines are shorter than the picture is wide.");

    // 8 bits in one plane: the 256-colour palette at the end, after its 0x0C marker. Version 5 files must
    // have it (a cut file would otherwise pass as grey); older ones without it are grey.
    ByteView body = data.subspan(HeaderSize);
    Palette palette{};
    if (bits == 8) {
        const std::size_t at = data.size() - EndPaletteSize;
        if (data.size() >= HeaderSize + EndPaletteSize && data[at] == 0x0C) {
            for (int i = 0; i < 256; ++i) {
                const std::uint8_t* e = data.data() + at + 1 + 3 * i;
                palette[i] = {e[2], e[1], e[0]};
            }
            body = data.subspan(HeaderSize, at - HeaderSize);
        } else if (version == 5) {
            throw ImagingError("The PCX palette is missing or truncated.");
        } else {
            palette = GreyPalette();
        }
    } else if (bits == 1) {
        palette[0] = {0, 0, 0};
        palette[1] = {255, 255, 255};
    } else {
        for (int i = 0; i < 16; ++i) // the header palette
            palette[i] = {h[16 + 3 * i + 2], h[16 + 3 * i + 1], h[16 + 3 * i]};
    }

    const std::size_t lineBytes = bytesPerLine * planes;
    const std::size_t total = lineBytes * std::size_t(height);
    // A run of two bytes gives at most 63 bytes.
    if ((encoding ? body.size() * 63 / 2 + 63 : body.size()) < total)
        throw ImagingError(Truncated);

    DecodedPicture decoded;
    decoded.sourceBits = int(bits);
    decoded.picture = Picture(width, height);
    Picture& picture = decoded.picture;
    std::vector<std::uint8_t> line(lineBytes);
    std::vector<std::uint8_t> indices(planes > 1 && bitsPerPixel == 1 ? std::size_t(width) : 0);
    PcxLines lines(body, encoding == 1);
    for (int y = 0; y < height; ++y) {
        lines.Line(line.data(), lineBytes);
        std::uint8_t* d = picture.Row(y);
        if (planes == 1) {
            ExpandIndexedRow(line.data(), int(bitsPerPixel), width, palette, d);
        } else if (bitsPerPixel == 8) {
            const std::uint8_t* r = line.data();
            const std::uint8_t* g = r + bytesPerLine;
            const std::uint8_t* b = g + bytesPerLine;
            for (int x = 0; x < width; ++x, d += 3) {
                d[0] = b[x];
                d[1] = g[x];
                d[2] = r[x];
            }
        } else {
            // Bit planes: plane k gives bit k of the palette index.
            std::fill(indices.begin(), indices.end(), 0);
            for (unsigned k = 0; k < planes; ++k) {
                const std::uint8_t* plane = line.data() + bytesPerLine * k;
                for (int x = 0; x < width; ++x)
                    indices[x] |= std::uint8_t(((plane[x >> 3] >> (7 - (x & 7))) & 1) << k);
            }
            ExpandIndexedRow(indices.data(), 8, width, palette, d);
        }
    }
    return decoded;
}

namespace {

// Runs of up to 63 equal bytes; single bytes below 0xC0 stand for themselves.
std::uint8_t* EncodeLine(const std::uint8_t* s, std::size_t n, std::uint8_t* out)
{
    for (std::size_t i = 0; i < n;) {
        const std::uint8_t v = s[i];
        std::size_t run = 1;
        while (i + run < n && run < 63 && s[i + run] == v)
            ++run;
        if (run > 1 || v >= 0xC0)
            *out++ = std::uint8_t(0xC0 | run);
        *out++ = v;
        i += run;
    }
    return out;
}

}  // namespace

Bytes WritePcx(const Picture& picture)
{
    if (picture.IsEmpty())
        throw ImagingError("There is no picture to write.");
    const int width = picture.Width(), height = picture.Height();
    const std::size_t bytesPerLine = (std::size_t(width) + 1) & ~std::size_t(1); // even
    Bytes out = OutputBuffer(HeaderSize + 2 * 3 * bytesPerLine * std::size_t(height));
    std::uint8_t* h = out.data();
    h[0] = 0x0A;
    h[1] = 5;
    h[2] = 1;
    h[3] = 8;
    PutLe16(h + 8, std::uint32_t(width - 1));
    PutLe16(h + 10, std::uint32_t(height - 1));
    PutLe16(h + 12, 72);
    PutLe16(h + 14, 72);
    h[65] = 3;
    PutLe16(h + 66, std::uint32_t(bytesPerLine));
    PutLe16(h + 68, 1); // colour palette
    std::vector<std::uint8_t> plane(bytesPerLine, 0);
    std::uint8_t* dst = h + HeaderSize;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = picture.Row(y);
        for (int channel = 2; channel >= 0; --channel) { // red, green, blue planes
            for (int x = 0; x < width; ++x)
                plane[x] = row[3 * x + channel];
            dst = EncodeLine(plane.data(), bytesPerLine, dst);
        }
    }
    out.resize(std::size_t(dst - out.data()));
    return out;
}

}  // namespace zelpix
