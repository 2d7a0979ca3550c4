#include "imaging/Codecs.h"

#include "imaging/BmpCodec.h"
#include "imaging/ImagingError.h"
#include "imaging/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace zelpix {

namespace {

enum : std::uint32_t {
    EmrHeader = 1,
    EmrEof = 14,
    EmrBitBlt = 76,
    EmrStretchBlt = 77,
    EmrSetDiBitsToDevice = 80,
    EmrStretchDiBits = 81,
};

enum : std::uint32_t {
    RopSrcCopy = 0x00CC0020,
    RopSrcPaint = 0x00EE0086,
    RopSrcAnd = 0x008800C6,
    RopSrcInvert = 0x00660046,
    RopNotSrcCopy = 0x00330008,
};

const char* const Truncated = "The metafile is truncated.";

// A bitmap record reduced to what drawing needs; coordinates in device pixels, source rows top to bottom.
struct BitmapDraw {
    std::int64_t destX = 0, destY = 0, destW = 0, destH = 0;
    std::int64_t srcX = 0, srcY = 0, srcW = 0, srcH = 0;
    bool srcFromBottom = false; // DIB calls count the source rectangle from the lower-left corner
    std::uint32_t rop = RopSrcCopy;
    std::uint32_t offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0, usage = 0;
    std::int64_t startScan = 0, scans = 0; // SetDIBitsToDevice: the bits hold only these rows (from the bottom)
};

std::uint8_t Combine(std::uint32_t rop, std::uint8_t dst, std::uint8_t src)
{
    switch (rop) {
    case RopSrcPaint: return dst | src;
    case RopSrcAnd: return dst & src;
    case RopSrcInvert: return dst ^ src;
    case RopNotSrcCopy: return std::uint8_t(~src);
    default: return src;
    }
}

// Nearest-neighbour stretch of a source rectangle onto the destination rectangle; negative destination sizes
// mirror; everything outside the picture or the source bitmap is left alone.
void Draw(Picture& target, const Picture& source, const BitmapDraw& d, std::int64_t originX, std::int64_t originY)
{
    if (d.destW == 0 || d.destH == 0 || d.srcW <= 0 || d.srcH <= 0)
        return;
    const bool flipX = d.destW < 0, flipY = d.destH < 0;
    const std::int64_t w = flipX ? -d.destW : d.destW, h = flipY ? -d.destH : d.destH;
    const std::int64_t left = (flipX ? d.destX + d.destW + 1 : d.destX) - originX;
    const std::int64_t top = (flipY ? d.destY + d.destH + 1 : d.destY) - originY;
    const std::int64_t srcTop = d.srcFromBottom ? source.Height() - d.srcY - d.srcH : d.srcY;
    const std::int64_t x0 = std::max<std::int64_t>(0, left), x1 = std::min<std::int64_t>(target.Width(), left + w);
    const std::int64_t y0 = std::max<std::int64_t>(0, top), y1 = std::min<std::int64_t>(target.Height(), top + h);
    if (x0 >= x1 || y0 >= y1)
        return;
    // Source column of each visible destination column, -1 where the source has no pixel.
    std::vector<int> columns(std::size_t(x1 - x0));
    for (std::int64_t x = x0; x < x1; ++x) {
        std::int64_t i = x - left;
        if (flipX)
            i = w - 1 - i;
        const std::int64_t sx = d.srcX + i * d.srcW / w;
        columns[std::size_t(x - x0)] = sx >= 0 && sx < source.Width() ? int(sx) : -1;
    }
    for (std::int64_t y = y0; y < y1; ++y) {
        std::int64_t j = y - top;
        if (flipY)
            j = h - 1 - j;
        const std::int64_t sy = srcTop + j * d.srcH / h;
        if (sy < 0 || sy >= source.Height())
            continue;
        const std::uint8_t* s = source.Row(int(sy));
        std::uint8_t* out = target.Row(int(y)) + 3 * x0;
        for (std::size_t k = 0; k < columns.size(); ++k, out += 3) {
            if (columns[k] < 0)
                continue;
            const std::uint8_t* p = s + 3 * std::size_t(columns[k]);
            if (d.rop == RopSrcCopy) {
                out[0] = p[0];
                out[1] = p[1];
                out[2] = p[2];
            } else {
                for (int c = 0; c < 3; ++c)
                    out[c] = Combine(d.rop, out[c], p[c]);
            }
        }
    }
}

std::int64_t I32(const std::uint8_t* record, std::size_t at)
{
    return GetLeI32(record + at);
}

// The record's fields; false when the record carries no bitmap (a pattern fill) or is too short.
bool ParseBitmapRecord(std::uint32_t type, const std::uint8_t* r, std::size_t size, BitmapDraw& d)
{
    // After type, size and the 16-byte bounds rectangle.
    switch (type) {
    case EmrBitBlt:
    case EmrStretchBlt:
        if (size < (type == EmrBitBlt ? 100u : 108u))
            return false;
        d.destX = I32(r, 24);
        d.destY = I32(r, 28);
        d.destW = I32(r, 32);
        d.destH = I32(r, 36);
        d.rop = GetLe32(r + 40);
        d.srcX = I32(r, 44);
        d.srcY = I32(r, 48);
        // 24-byte transform and background colour skipped
        d.usage = GetLe32(r + 76);
        d.offBmi = GetLe32(r + 80);
        d.cbBmi = GetLe32(r + 84);
        d.offBits = GetLe32(r + 88);
        d.cbBits = GetLe32(r + 92);
        d.srcW = type == EmrBitBlt ? d.destW : I32(r, 100);
        d.srcH = type == EmrBitBlt ? d.destH : I32(r, 104);
        if (type == EmrBitBlt) {
            d.srcW = d.srcW < 0 ? -d.srcW : d.srcW;
            d.srcH = d.srcH < 0 ? -d.srcH : d.srcH;
        }
        break;
    case EmrSetDiBitsToDevice:
        if (size < 76)
            return false;
        d.destX = I32(r, 24);
        d.destY = I32(r, 28);
        d.srcX = I32(r, 32);
        d.srcY = I32(r, 36);
        d.srcW = d.destW = I32(r, 40);
        d.srcH = d.destH = I32(r, 44);
        d.offBmi = GetLe32(r + 48);
        d.cbBmi = GetLe32(r + 52);
        d.offBits = GetLe32(r + 56);
        d.cbBits = GetLe32(r + 60);
        d.usage = GetLe32(r + 64);
        d.startScan = GetLe32(r + 68);
        d.scans = GetLe32(r + 72);
        d.srcFromBottom = true;
        break;
    case EmrStretchDiBits:
        if (size < 80)
            return false;
        d.destX = I32(r, 24);
        d.destY = I32(r, 28);
        d.srcX = I32(r, 32);
        d.srcY = I32(r, 36);
        d.srcW = I32(r, 40);
        d.srcH = I32(r, 44);
        d.offBmi = GetLe32(r + 48);
        d.cbBmi = GetLe32(r + 52);
        d.offBits = GetLe32(r + 56);
        d.cbBits = GetLe32(r + 60);
        d.usage = GetLe32(r + 64);
        d.rop = GetLe32(r + 68);
        d.destW = I32(r, 72);
        d.destH = I32(r, 76);
        d.srcFromBottom = true;
        break;
    default:
        return false;
    }
    return d.cbBmi != 0 && d.usage == 0; // palette-index DIBs need a logical palette we do not keep
}

ByteView Slice(const std::uint8_t* record, std::size_t size, std::uint32_t offset, std::uint32_t length)
{
    if (offset > size || length > size - offset)
        throw ImagingError(Truncated);
    return ByteView(record + offset, length);
}

}  // namespace

DecodedPicture ReadEmfBitmaps(ByteView data)
{
    if (data.size() < 88 || GetLe32(data.data()) != EmrHeader || std::memcmp(data.data() + 40, " EMF", 4) != 0)
        throw ImagingError("This is not an enhanced metafile.");
    const std::uint8_t* hdr = data.data();
    const std::size_t headerSize = GetLe32(hdr + 4);
    if (headerSize < 88 || headerSize > data.size() || headerSize % 4 != 0)
        throw ImagingError("The metafile header is malformed.");
    // The bounds rectangle is inclusive and in device pixels; when it is empty, the frame (0.01 mm) is
    // converted with the reference device's pixels per millimetre.
    std::int64_t left = I32(hdr, 8), top = I32(hdr, 12), right = I32(hdr, 16), bottom = I32(hdr, 20);
    if (right < left || bottom < top) {
        const std::int64_t devW = I32(hdr, 72), devH = I32(hdr, 76), mmW = I32(hdr, 80), mmH = I32(hdr, 84);
        if (devW <= 0 || devH <= 0 || mmW <= 0 || mmH <= 0)
            throw ImagingError("The metafile has no size.");
        auto pixels = [](std::int64_t hundredths, std::int64_t dev, std::int64_t mm) {
            return (hundredths * dev + mm * 50) / (mm * 100);
        };
        left = pixels(I32(hdr, 24), devW, mmW);
        top = pixels(I32(hdr, 28), devH, mmH);
        right = pixels(I32(hdr, 32), devW, mmW);
        bottom = pixels(I32(hdr, 36), devH, mmH);
    }
    const std::int64_t width = right - left + 1, height = bottom - top + 1;
    CheckPictureSize(width, height);

    // Walk the records first: nothing is allocated for a file without any bitmap record.
    struct Found {
        BitmapDraw draw;
        std::size_t at, size;
    };
    std::vector<Found> bitmaps;
    for (std::size_t pos = headerSize; pos < data.size();) {
        if (data.size() - pos < 8)
            throw ImagingError(Truncated);
        const std::uint32_t type = GetLe32(data.data() + pos), size = GetLe32(data.data() + pos + 4);
        if (size < 8 || size % 4 != 0)
            throw ImagingError("The metafile has a malformed record.");
        if (size > data.size() - pos)
            throw ImagingError(Truncated);
        if (type == EmrEof)
            break;
        BitmapDraw draw;
        if (ParseBitmapRecord(type, data.data() + pos, size, draw))
            bitmaps.push_back({draw, pos, size});
        pos += size;
    }
    if (bitmaps.empty())
        throw ImagingError("The metafile holds no bitmap.");

    DecodedPicture decoded;
    decoded.sourceBits = 32; // drawn on a device bitmap, whatever the depths of its bitmaps
    decoded.picture = Picture(int(width), int(height));
    decoded.picture.Fill({255, 255, 255});
    for (const Found& f : bitmaps) {
        const std::uint8_t* r = data.data() + f.at;
        const ByteView info = Slice(r, f.size, f.draw.offBmi, f.draw.cbBmi);
        const ByteView bits = Slice(r, f.size, f.draw.offBits, f.draw.cbBits);
        DibHeader header = ParseDibHeader(info);
        BitmapDraw draw = f.draw;
        if (header.topDown)
            draw.srcFromBottom = false;
        else if (draw.scans > 0 && draw.scans < header.height) {
            // A band of a bottom-up bitmap: its rows, with the source rectangle moved into them.
            header.height = int(draw.scans);
            draw.srcY -= draw.startScan;
        }
        const Picture source = DecodeDibPixels(header, bits);
        Draw(decoded.picture, source, draw, left, top);
    }
    return decoded;
}

}  // namespace zelpix
