#include "imaging/Codecs.h"

#include "imaging/HugePages.h"
#include "imaging/ImagingError.h"

#include <cstring>
#include <string>
#include <vector>

namespace zelpix {

namespace {

const char* const Truncated = "The portable any-map data is truncated.";

bool IsSpace(std::uint8_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads the header and ASCII rasters: whitespace and "#" comments between numbers.
class PnmScanner {
public:
    explicit PnmScanner(ByteView data) : data_(data) {}

    void SkipSpaceAndComments()
    {
        while (pos_ < data_.size()) {
            if (data_[pos_] == '#') {
                while (pos_ < data_.size() && data_[pos_] != '\n' && data_[pos_] != '\r')
                    ++pos_;
            } else if (IsSpace(data_[pos_])) {
                ++pos_;
            } else {
                break;
            }
        }
    }

    // A decimal number up to limit; throws when there is none or it is larger.
    std::uint32_t Number(std::uint32_t limit, const char* what)
    {
        SkipSpaceAndComments();
        if (pos_ >= data_.size())
            throw ImagingError(Truncated);
        if (data_[pos_] < '0' || data_[pos_] > '9')
            throw ImagingError(std::string("The portable any-map ") + what + " is not a number.");
        std::uint64_t value = 0;
        while (pos_ < data_.size() && data_[pos_] >= '0' && data_[pos_] <= '9') {
            value = value * 10 + (data_[pos_++] - '0');
            if (value > limit)
                throw ImagingError(std::string("The portable any-map ") + what + " is out of range.");
        }
        return std::uint32_t(value);
    }

    // One digit of a P1 raster, where bits need no separators.
    unsigned Bit()
    {
        SkipSpaceAndComments();
        if (pos_ >= data_.size())
            throw ImagingError(Truncated);
        const std::uint8_t c = data_[pos_++];
        if (c != '0' && c != '1')
            throw ImagingError("The portable bitmap holds a character other than 0 and 1.");
        return c - '0';
    }

    // The single whitespace byte that ends a binary header.
    void EndOfHeader()
    {
        if (pos_ >= data_.size())
            throw ImagingError(Truncated);
        if (!IsSpace(data_[pos_]))
            throw ImagingError("The portable any-map header is malformed.");
        ++pos_;
    }

    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return data_.size() - pos_; }

private:
    ByteView data_;
    std::size_t pos_ = 0;
};

// Scale table from 0..maxval to 0..255 with rounding; samples above maxval count as maxval.
std::vector<std::uint8_t> ScaleTable(std::uint32_t maxval, std::size_t size)
{
    std::vector<std::uint8_t> table(size, 255);
    for (std::uint32_t v = 0; v <= maxval && v < size; ++v)
        table[v] = std::uint8_t((v * 255u + maxval / 2) / maxval);
    return table;
}

void PutGrey(std::uint8_t* d, std::uint8_t v)
{
    d[0] = d[1] = d[2] = v;
}

}  // namespace

DecodedPicture ReadPnm(ByteView data)
{
    if (data.size() < 2 || data[0] != 'P' || data[1] < '1' || data[1] > '6')
        throw ImagingError("This is not a portable any-map file.");
    const int kind = data[1] - '0';
    const bool binary = kind >= 4;
    const bool bitmap = kind == 1 || kind == 4;
    const int channels = (kind == 3 || kind == 6) ? 3 : 1;
    PnmScanner scan(data.subspan(2));
    const std::uint32_t width = scan.Number(MaxPictureSide + 1u, "width");
    const std::uint32_t height = scan.Number(MaxPictureSide + 1u, "height");
    CheckPictureSize(width, height);
    std::uint32_t maxval = 1;
    if (!bitmap) {
        maxval = scan.Number(65535, "maximum value");
        if (maxval == 0)
            throw ImagingError("The portable any-map maximum value is 0.");
    }
    if (binary)
        scan.EndOfHeader();

    const std::size_t samples = std::size_t(width) * height * std::size_t(channels);
    const int sampleBytes = maxval > 255 ? 2 : 1;
    std::size_t needed;
    if (binary)
        needed = bitmap ? (std::size_t(width) + 7) / 8 * height : samples * std::size_t(sampleBytes);
    else
        needed = bitmap ? samples : samples * 2 - 1; // a digit each, separated for P2 and P3
    if (scan.Remaining() < needed)
        throw ImagingError(Truncated);

    DecodedPicture decoded;
    decoded.sourceBits = bitmap ? 1 : (channels == 3 ? 24 : 8);
    decoded.picture = Picture(int(width), int(height));
    Picture& picture = decoded.picture;
    const std::uint8_t* src = data.data() + 2 + scan.Position();

    if (bitmap) {
        for (int y = 0; y < int(height); ++y) {
            std::uint8_t* d = picture.Row(y);
            const std::uint8_t* s = binary ? src + (std::size_t(width) + 7) / 8 * std::size_t(y) : nullptr;
            for (std::uint32_t x = 0; x < width; ++x, d += 3) {
                const unsigned bit = s ? (s[x >> 3] >> (7 - (x & 7))) & 1 : scan.Bit();
                PutGrey(d, bit ? 0 : 255); // 1 is black
            }
        }
        return decoded;
    }

    const std::vector<std::uint8_t> scale = ScaleTable(maxval, binary ? (sampleBytes == 2 ? 65536 : 256) : maxval + 1);
    const std::size_t rowSamples = std::size_t(width) * std::size_t(channels);
    for (int y = 0; y < int(height); ++y) {
        std::uint8_t* d = picture.Row(y);
        const std::uint8_t* s = binary ? src + rowSamples * std::size_t(sampleBytes) * std::size_t(y) : nullptr;
        if (binary && sampleBytes == 1 && maxval == 255 && channels == 3) {
            for (std::uint32_t x = 0; x < width; ++x, s += 3, d += 3) {
                d[0] = s[2];
                d[1] = s[1];
                d[2] = s[0];
            }
            continue;
        }
        for (std::uint32_t x = 0; x < width; ++x, d += 3) {
            std::uint8_t rgb[3];
            for (int c = 0; c < channels; ++c) {
                std::uint32_t v;
                if (!binary)
                    v = std::min<std::uint32_t>(scan.Number(0xFFFFFFFFu, "sample"), maxval);
                else if (sampleBytes == 2)
                    v = (std::uint32_t(s[0]) << 8) | s[1];
                else
                    v = s[0];
                if (binary)
                    s += sampleBytes;
                rgb[c] = scale[v];
            }
            if (channels == 1) {
                PutGrey(d, rgb[0]);
            } else {
                d[0] = rgb[2];
                d[1] = rgb[1];
                d[2] = rgb[0];
            }
        }
    }
    return decoded;
}

Bytes WritePnm(const Picture& picture, PnmKind kind)
{
    if (picture.IsEmpty())
        throw ImagingError("There is no picture to write.");
    const int width = picture.Width(), height = picture.Height();
    const char* magic = kind == PnmKind::Bitmap ? "P4" : kind == PnmKind::Grey ? "P5" : "P6";
    std::string header = std::string(magic) + "\n" + std::to_string(width) + " " + std::to_string(height) + "\n";
    if (kind != PnmKind::Bitmap)
        header += "255\n";
    const std::size_t rowBytes = kind == PnmKind::Bitmap ? (std::size_t(width) + 7) / 8
                                 : kind == PnmKind::Grey ? std::size_t(width)
                                                         : std::size_t(width) * 3;
    Bytes out = OutputBuffer(header.size() + rowBytes * std::size_t(height));
    std::memcpy(out.data(), header.data(), header.size());
    std::uint8_t* dst = out.data() + header.size();
    // Grey is the luma of ITU-R BT.601: (R * 299 + G * 587 + B * 114) / 1000, truncated.
    auto grey = [](const std::uint8_t* s) { return (s[2] * 299u + s[1] * 587u + s[0] * 114u) / 1000u; };
    for (int y = 0; y < height; ++y, dst += rowBytes) {
        const std::uint8_t* s = picture.Row(y);
        switch (kind) {
        case PnmKind::Bitmap:
            // Black (bit 1) where the grey value is below 128; the row starts zeroed.
            for (int x = 0; x < width; ++x, s += 3)
                if (grey(s) < 128)
                    dst[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
            break;
        case PnmKind::Grey:
            for (int x = 0; x < width; ++x, s += 3)
                dst[x] = std::uint8_t(grey(s));
            break;
        case PnmKind::Colour:
            for (int x = 0; x < width; ++x, s += 3) {
                dst[3 * x] = s[2];
                dst[3 * x + 1] = s[1];
                dst[3 * x + 2] = s[0];
            }
            break;
        }
    }
    return out;
}

}  // namespace zelpix
