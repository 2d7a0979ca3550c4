#include "effects/ops/Adjustments.h"

#include "effects/ops/ParallelRows.h"
#include "imaging/Round.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <vector>

namespace zelpix::effects {

namespace {

using Lut = std::array<std::uint8_t, 256>;

// Every channel of every pixel through its own table.
Picture ApplyTables(const Picture& picture, const Lut& blue, const Lut& green, const Lut& red)
{
    Picture result(picture.Width(), picture.Height());
    const int width = picture.Width();
    ForEachRowBand(picture.Height(), width, [&](int y0, int y1) {
        const int n = width; // a local: byte stores could alias a captured reference
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* in = picture.Row(y);
            std::uint8_t* out = result.Row(y);
            for (int x = 0; x < n; ++x) {
                out[3 * x] = blue[in[3 * x]];
                out[3 * x + 1] = green[in[3 * x + 1]];
                out[3 * x + 2] = red[in[3 * x + 2]];
            }
        }
    });
    return result;
}

// A pixel in hue (degrees, 0..360), saturation and value or lightness (0..1).
struct Hsx {
    float h, s, x;
};

Hsx ToHsv(float r, float g, float b)
{
    const float max = std::max({r, g, b}), min = std::min({r, g, b}), delta = max - min;
    float h = 0;
    if (delta > 0) {
        if (max == r)
            h = 60.0f * (g - b) / delta;
        else if (max == g)
            h = 60.0f * (b - r) / delta + 120.0f;
        else
            h = 60.0f * (r - g) / delta + 240.0f;
        if (h < 0)
            h += 360.0f;
    }
    return {h, max > 0 ? delta / max : 0.0f, max};
}

// r, g, b in 0..1 from a hue and the chroma-free parts: the common sector formula.
void FromHueChroma(float h, float chroma, float m, float& r, float& g, float& b)
{
    const float hp = h / 60.0f;
    const float x = chroma * (1.0f - std::fabs(std::fmod(hp, 2.0f) - 1.0f));
    float r1 = 0, g1 = 0, b1 = 0;
    switch (int(hp) % 6) {
    case 0: r1 = chroma, g1 = x; break;
    case 1: r1 = x, g1 = chroma; break;
    case 2: g1 = chroma, b1 = x; break;
    case 3: g1 = x, b1 = chroma; break;
    case 4: r1 = x, b1 = chroma; break;
    default: r1 = chroma, b1 = x; break;
    }
    r = r1 + m, g = g1 + m, b = b1 + m;
}

Hsx ToHsl(float r, float g, float b)
{
    const float max = std::max({r, g, b}), min = std::min({r, g, b}), delta = max - min;
    const float l = (max + min) / 2;
    const Hsx hsv = ToHsv(r, g, b);
    const float s = delta > 0 ? delta / (1.0f - std::fabs(2 * l - 1)) : 0.0f;
    return {hsv.h, std::min(s, 1.0f), l};
}

// Saturation scaled by (1 + S/100) upward and by (1 + S/180) downward, so -180 is grey and greys stay grey.
float VarySaturation(float s, int amount)
{
    return std::clamp(amount >= 0 ? s * (1.0f + amount / 100.0f) : s * (1.0f + amount / 180.0f), 0.0f, 1.0f);
}
// Value or lightness moved toward 1 (S > 0) or 0 (S < 0) by |S|/180 of the way: +-180 reach white or black.
float VaryLevel(float v, int amount)
{
    return amount >= 0 ? v + (1.0f - v) * (amount / 180.0f) : v * (1.0f + amount / 180.0f);
}
float VaryHue(float h, int amount)
{
    h += float(amount);
    if (h < 0)
        h += 360.0f;
    if (h >= 360.0f)
        h -= 360.0f;
    return h;
}

std::uint8_t ToByte(float v) { return ClampByte(int(std::lround(v * 255.0f))); }

template <typename PixelFunction>
Picture MapPixels(const Picture& picture, PixelFunction function)
{
    Picture result(picture.Width(), picture.Height());
    const int width = picture.Width();
    ForEachRowBand(picture.Height(), 40.0 * width, [&](int y0, int y1) {
        const int n = width;
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* in = picture.Row(y);
            std::uint8_t* out = result.Row(y);
            for (int x = 0; x < n; ++x)
                function(in + 3 * x, out + 3 * x);
        }
    });
    return result;
}

}  // namespace

// 128 + (v - 128) x f with f = 100 / (100 - c) for c > 0 (c = 100: a hard step at 128) and f = (100 + c) / 100
// for c < 0 (c = -100: flat grey), rounded half to even.
Picture Contrast(const Picture& picture, int contrast)
{
    contrast = std::clamp(contrast, -100, 100);
    Lut table;
    for (int v = 0; v < 256; ++v) {
        if (contrast == 100)
            table[v] = v < 128 ? 0 : 255;
        else {
            const double factor = contrast > 0 ? 100.0 / (100 - contrast) : (100 + contrast) / 100.0;
            table[v] = ClampByte(int(Round(128 + (v - 128) * factor)));
        }
    }
    return ApplyTables(picture, table, table, table);
}

// Hue turned by `hue` degrees; saturation and value varied as in VarySaturation and VaryLevel.
Picture HSVvar(const Picture& picture, int hue, int saturation, int value)
{
    hue = std::clamp(hue, -180, 180), saturation = std::clamp(saturation, -180, 180);
    value = std::clamp(value, -180, 180);
    if (hue == 0 && saturation == 0 && value == 0)
        return picture;
    return MapPixels(picture, [=](const std::uint8_t* in, std::uint8_t* out) {
        const Hsx p = ToHsv(in[2] / 255.0f, in[1] / 255.0f, in[0] / 255.0f);
        const float h = VaryHue(p.h, hue), s = VarySaturation(p.s, saturation), v = VaryLevel(p.x, value);
        const float chroma = v * s;
        float r, g, b;
        FromHueChroma(h, chroma, v - chroma, r, g, b);
        out[0] = ToByte(b), out[1] = ToByte(g), out[2] = ToByte(r);
    });
}

// As HSVvar in hue, saturation and lightness.
Picture HSLvar(const Picture& picture, int hue, int saturation, int luminosity)
{
    hue = std::clamp(hue, -180, 180), saturation = std::clamp(saturation, -180, 180);
    luminosity = std::clamp(luminosity, -180, 180);
    if (hue == 0 && saturation == 0 && luminosity == 0)
        return picture;
    return MapPixels(picture, [=](const std::uint8_t* in, std::uint8_t* out) {
        const Hsx p = ToHsl(in[2] / 255.0f, in[1] / 255.0f, in[0] / 255.0f);
        const float h = VaryHue(p.h, hue), s = VarySaturation(p.s, saturation);
        const float l = VaryLevel(p.x, luminosity);
        const float chroma = (1.0f - std::fabs(2 * l - 1)) * s;
        float r, g, b;
        FromHueChroma(h, chroma, l - chroma / 2, r, g, b);
        out[0] = ToByte(b), out[1] = ToByte(g), out[2] = ToByte(r);
    });
}

Picture IntensityRGBall(const Picture& picture, int red, int green, int blue)
{
    auto offset = [](int amount) {
        amount = std::clamp(amount, -255, 255);
        Lut table;
        for (int v = 0; v < 256; ++v)
            table[v] = ClampByte(v + amount);
        return table;
    };
    return ApplyTables(picture, offset(blue), offset(green), offset(red));
}

// Y = (19595 R + 38470 G + 7471 B + 32768) >> 16: the 0.299/0.587/0.114 weights in 16-bit fixed point.
// Row kernels built for AVX2 too, where the three-byte pixels vectorise.
namespace {
__attribute__((target_clones("avx2", "default"))) void GreyRow(const std::uint8_t* in, std::uint8_t* out, int n)
{
    for (int x = 0; x < n; ++x) {
        const std::uint32_t grey = (7471u * in[3 * x] + 38470u * in[3 * x + 1] + 19595u * in[3 * x + 2] + 32768u) >> 16;
        out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = std::uint8_t(grey);
    }
}
}  // namespace

Picture GrayScale(const Picture& picture)
{
    Picture result(picture.Width(), picture.Height());
    const int width = picture.Width();
    ForEachRowBand(picture.Height(), width, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            GreyRow(picture.Row(y), result.Row(y), width);
    });
    return result;
}

Picture Negative(const Picture& picture)
{
    Picture result(picture.Width(), picture.Height());
    const std::size_t rowBytes = std::size_t(picture.Width()) * 3;
    ForEachRowBand(picture.Height(), double(rowBytes), [&](int y0, int y1) {
        const std::size_t n = rowBytes;
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* in = picture.Row(y);
            std::uint8_t* out = result.Row(y);
            for (std::size_t i = 0; i < n; ++i)
                out[i] = std::uint8_t(255 - in[i]);
        }
    });
    return result;
}

namespace {
__attribute__((target_clones("avx2", "default"))) void SplitRgbRow(const std::uint8_t* in, std::uint8_t* red,
                                                                  std::uint8_t* green, std::uint8_t* blue, int n)
{
    for (int x = 0; x < n; ++x) {
        red[3 * x] = red[3 * x + 1] = red[3 * x + 2] = in[3 * x + 2];
        green[3 * x] = green[3 * x + 1] = green[3 * x + 2] = in[3 * x + 1];
        blue[3 * x] = blue[3 * x + 1] = blue[3 * x + 2] = in[3 * x];
    }
}
}  // namespace

ChannelPictures SplitRgbChannels(const Picture& picture)
{
    const int width = picture.Width(), height = picture.Height();
    ChannelPictures result{Picture(width, height), Picture(width, height), Picture(width, height)};
    ForEachRowBand(height, 3.0 * width, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            SplitRgbRow(picture.Row(y), result.first.Row(y), result.second.Row(y), result.third.Row(y), width);
    });
    return result;
}

namespace {
// The HSV split of a row, the quotients truncated toward zero: hue = 60 n / delta (+ 0, 120 or 240 by the
// largest channel, + 360 when negative, at most 359) with n the difference of the other two channels,
// saturation = delta x 99 / max, value = max x 99 / 255; then hue x 255 / 359 and the others x 255 / 99.
// The two divisions by a pixel's own delta and max run in float, which vectorises: with numerators under
// 2^14 and divisors under 256 a quotient is either whole (exact in float) or at least 1/255 from one, far
// more than the float rounding error, so truncating it gives the integer quotient.
__attribute__((target_clones("avx2", "default"))) void SplitHsvRow(const std::uint8_t* in, std::uint8_t* hOut,
                                                                  std::uint8_t* sOut, std::uint8_t* vOut, int n)
{
    for (int x = 0; x < n; ++x) {
        const int r = in[3 * x + 2], g = in[3 * x + 1], b = in[3 * x];
        const int max = std::max(r, std::max(g, b)), min = std::min(r, std::min(g, b)), delta = max - min;
        // Selects rather than branches: the largest channel changes from pixel to pixel. A grey has n = 0.
        int d = r - g, offset = 240;
        d = max == g ? b - r : d, offset = max == g ? 120 : offset;
        d = max == r ? g - b : d, offset = max == r ? 0 : offset;
        int h = int(float(60 * d) / float(delta + (delta == 0))) + offset; // a grey: 0 / 1
        h += h < 0 ? 360 : 0;
        const unsigned hue = unsigned(std::min(h, 359));
        const unsigned saturation = unsigned(int(float(delta * 99) / float(max + (max == 0))));
        const unsigned value = unsigned(max) * 99 / 255;
        const auto hv = std::uint8_t(hue * 255 / 359), sv = std::uint8_t(saturation * 255 / 99),
                   vv = std::uint8_t(value * 255 / 99);
        hOut[3 * x] = hOut[3 * x + 1] = hOut[3 * x + 2] = hv;
        sOut[3 * x] = sOut[3 * x + 1] = sOut[3 * x + 2] = sv;
        vOut[3 * x] = vOut[3 * x + 1] = vOut[3 * x + 2] = vv;
    }
}
}  // namespace

// Hue 0..359 x 255 / 359, saturation and value 0..99 x 255 / 99 (truncated): see SplitHsvRow.
ChannelPictures SplitHsvChannels(const Picture& picture)
{
    const int width = picture.Width(), height = picture.Height();
    ChannelPictures result{Picture(width, height), Picture(width, height), Picture(width, height)};
    ForEachRowBand(height, 6.0 * width, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            SplitHsvRow(picture.Row(y), result.first.Row(y), result.second.Row(y), result.third.Row(y), width);
    });
    return result;
}

// Small pictures keep their colours in a hash set; big ones mark them in one bit per possible colour.
std::int64_t CountColors(const Picture& picture)
{
    const int width = picture.Width();
    auto colourAt = [](const std::uint8_t* p) {
        return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16);
    };
    const std::int64_t pixels = std::int64_t(width) * picture.Height();
    if (pixels <= (std::int64_t(1) << 18)) {
        // Open addressing, colour + 1 as the key (0 is an empty slot), at most half full.
        int bits = 4;
        while ((std::int64_t(1) << bits) < 2 * pixels)
            ++bits;
        std::vector<std::uint32_t> slots(std::size_t(1) << bits);
        const std::uint32_t mask = std::uint32_t(slots.size() - 1);
        std::int64_t count = 0;
        for (int y = 0; y < picture.Height(); ++y)
            for (const std::uint8_t *p = picture.Row(y), *end = p + 3 * width; p != end; p += 3) {
                const std::uint32_t key = colourAt(p) + 1;
                std::uint32_t i = (key * 2654435761u) >> (32 - bits);
                while (slots[i] != 0 && slots[i] != key)
                    i = (i + 1) & mask;
                if (slots[i] == 0)
                    slots[i] = key, ++count;
            }
        return count;
    }
    std::vector<std::uint64_t> seen(std::size_t(1) << 18);
    for (int y = 0; y < picture.Height(); ++y)
        for (const std::uint8_t *p = picture.Row(y), *end = p + 3 * width; p != end; p += 3) {
            const std::uint32_t c = colourAt(p);
            seen[c >> 6] |= std::uint64_t(1) << (c & 63);
        }
    std::int64_t count = 0;
    for (std::uint64_t word : seen)
        count += std::popcount(word);
    return count;
}

}  // namespace zelpix::effects
