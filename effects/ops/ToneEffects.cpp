#include "effects/ops/ToneEffects.h"

#include "effects/ops/AreaResult.h"
#include "effects/ops/ParallelRows.h"
#include "effects/ops/SeededNoise.h"
#include "imaging/Round.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <vector>

namespace zelpix::effects {

namespace {

// Rec. 601 weights in 1/256; white stays 255.
inline int Luma(int r, int g, int b) { return (77 * r + 150 * g + 29 * b + 128) >> 8; }

// Runs rowWork(y, source, target, n) over the rows of the area: source and target point at the area's first
// pixel of row y in the picture and in the result, n is the area's width.
template <class RowWork>
Picture ForEachAreaRow(const Picture& picture, const Area& area, double costPerPixel, RowWork rowWork)
{
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    if (rect.IsEmpty())
        return Picture(picture);
    Picture out = AreaResult(picture, rect);
    const int width = rect.x1 - rect.x0;
    ForEachRowBand(rect.y1 - rect.y0, costPerPixel * width, [&](int b0, int b1) {
        for (int y = rect.y0 + b0; y < rect.y0 + b1; ++y)
            rowWork(y, picture.Row(y) + 3 * std::size_t(rect.x0), out.Row(y) + 3 * std::size_t(rect.x0), width);
    });
    return out;
}

}  // namespace

// Saturation s = 255 (max - min) / max. Pixels with s >= 104 keep their colour, pixels with s <= 40 become
// their grey (luma), and in between the colour is mixed toward grey linearly in s.
Picture GrayArea(const Picture& picture, const Area& area)
{
    constexpr int Low = 40, High = 104; // the ramp spans 64 levels, so the weight is (s - Low) * 4 in 1/256
    return ForEachAreaRow(picture, area, 4.0, [](int, const std::uint8_t* p, std::uint8_t* q, int width) {
        for (int x = 0; x < width; ++x, p += 3, q += 3) {
            const int b = p[0], g = p[1], r = p[2];
            const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
            const int s = mx == 0 ? 0 : (255 * (mx - mn)) / mx;
            const int w = s >= High ? 256 : (s <= Low ? 0 : (s - Low) * 4);
            const int grey = Luma(r, g, b);
            q[0] = std::uint8_t(grey + (((b - grey) * w) >> 8));
            q[1] = std::uint8_t(grey + (((g - grey) * w) >> 8));
            q[2] = std::uint8_t(grey + (((r - grey) * w) >> 8));
        }
    });
}

// In HSV: each of the six hue bands (centres red 0, yellow 60, green 120, cyan 180, blue 240, magenta 300
// degrees) turns the hue of the colours near it by (band - 1) * 0.36 degrees, weighted by a triangle of
// half-width 60 degrees around its centre; vHel turns every hue by (vHel - 1) * 0.36 degrees. Saturation is
// multiplied by 1 + (vSet - 1) / 100 and value by 1 + (vBri - 1) / 200, both limited to full. A pixel that
// nothing changes is left as it is, so all nine at 1 give the picture back unchanged.
Picture ilHueAndSaturation(const Picture& picture, int red, int green, int blue, int yellow, int magenta, int cyan,
                           int vHel, int vSet, int vBri, const Area& area)
{
    auto turn = [](int v) { return (std::clamp(v, 1, 1000) - 1) * 0.36; };
    // Band turns in the order of their centres: red, yellow, green, cyan, blue, magenta.
    const std::array<double, 6> band = {turn(red), turn(yellow), turn(green), turn(cyan), turn(blue), turn(magenta)};
    const double overall = turn(vHel);
    const double satGain = 1.0 + (std::clamp(vSet, 1, 1000) - 1) / 100.0;
    const double valGain = 1.0 + (std::clamp(vBri, 1, 1000) - 1) / 200.0;
    const bool bandsOff = std::all_of(band.begin(), band.end(), [](double t) { return t == 0; });
    if (bandsOff && overall == 0 && satGain == 1 && valGain == 1)
        return Picture(picture);

    return ForEachAreaRow(picture, area, 40.0, [&](int, const std::uint8_t* p, std::uint8_t* q, int width) {
        for (int x = 0; x < width; ++x, p += 3, q += 3) {
            const int b = p[0], g = p[1], r = p[2];
            q[0] = p[0], q[1] = p[1], q[2] = p[2];
            const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
            const int chroma = mx - mn;
            double hue = 0;
            if (chroma > 0) {
                if (mx == r)
                    hue = 60.0 * double(g - b) / chroma;
                else if (mx == g)
                    hue = 120.0 + 60.0 * double(b - r) / chroma;
                else
                    hue = 240.0 + 60.0 * double(r - g) / chroma;
                if (hue < 0)
                    hue += 360.0;
            }
            double shift = overall;
            if (!bandsOff && chroma > 0) {
                const int lower = std::min(int(hue / 60.0), 5);
                const double t = hue / 60.0 - lower;
                shift += band[std::size_t(lower)] * (1 - t) + band[std::size_t((lower + 1) % 6)] * t;
            }
            if ((shift == 0 || chroma == 0) && satGain == 1 && valGain == 1)
                continue;
            const double value = std::min(255.0, mx * valGain);
            const double sat = mx == 0 ? 0.0 : std::min(1.0, double(chroma) / mx * satGain);
            hue = std::fmod(hue + shift, 360.0);
            const double sector = hue / 60.0;
            const int i = std::min(int(sector), 5);
            const double f = sector - i;
            const double v0 = value * (1 - sat), vDown = value * (1 - sat * f), vUp = value * (1 - sat * (1 - f));
            double nr, ng, nb;
            switch (i) {
            case 0: nr = value, ng = vUp, nb = v0; break;
            case 1: nr = vDown, ng = value, nb = v0; break;
            case 2: nr = v0, ng = value, nb = vUp; break;
            case 3: nr = v0, ng = vDown, nb = value; break;
            case 4: nr = vUp, ng = v0, nb = value; break;
            default: nr = value, ng = v0, nb = vDown; break;
            }
            q[0] = ClampByte(int(Round(nb)));
            q[1] = ClampByte(int(Round(ng)));
            q[2] = ClampByte(int(Round(nr)));
        }
    });
}

// Each channel c gets value * c_weight / 30 * u_c + gray * u_g added, with u_c drawn for each channel and u_g
// once per pixel, all uniform in [-1, 1) from a hash of the pixel's position (so the noise does not depend on
// the order of the rows); results are limited to 0..255. red, green or blue below 1 leaves the picture as it is.
Picture Noise(const Picture& picture, int value, int gray, int red, int green, int blue, const Area& area)
{
    if (red < 1 || green < 1 || blue < 1)
        return Picture(picture);
    value = std::clamp(value, 0, 2000);
    gray = std::clamp(gray, 0, 2000);
    if (value == 0 && gray == 0)
        return Picture(picture);
    // Amplitudes in 1/65536 of a level; a lane u of the hash counts 1/32768, so A u lands in 2^-31 levels.
    auto amplitude = [&](int weight) { return std::llround(value * std::min(weight, 1000) / 30.0 * 65536.0); };
    const std::int64_t colour[3] = {amplitude(blue), amplitude(green), amplitude(red)};
    const std::int64_t grey = std::int64_t(gray) * 65536;
    const int x0 = ResolveArea(area, picture.Width(), picture.Height()).x0;
    return ForEachAreaRow(picture, area, 12.0, [&](int y, const std::uint8_t* p, std::uint8_t* q, int width) {
        for (int x = 0; x < width; ++x, p += 3, q += 3) {
            const std::uint64_t h = PositionHash(std::uint64_t(x0 + x), std::uint64_t(y), 17);
            const std::int64_t shared = grey * std::int16_t(std::uint16_t(h >> 48));
            for (int c = 0; c < 3; ++c) {
                const std::int64_t noise = colour[c] * std::int16_t(std::uint16_t(h >> (16 * c))) + shared;
                q[c] = ClampByte(p[c] + int((noise + (std::int64_t(1) << 30)) >> 31));
            }
        }
    });
}

// Intensity I = luma scaled onto 0..300; a pixel is white when I > value, else black (0 gives white to all but
// black, 300 gives black everywhere). With anti-aliasing each pixel takes the mean of that black-and-white
// picture over its 3 x 3 neighbourhood (edges repeated), which greys only the pixels along the boundaries.
namespace {

// 1 where the pixel's luma is over the threshold, else 0 (see ThresholdDib).
__attribute__((target_clones("avx2", "default"))) void BinaryRow(const std::uint8_t* __restrict p,
                                                                  std::uint8_t* __restrict dst, int width,
                                                                  std::uint16_t threshold)
{
    // At most 256 * 255: 16-bit lanes hold it, twice as many to a vector as ints.
    for (int x = 0; x < width; ++x) {
        const auto luma = std::uint16_t(77 * p[3 * x + 2] + 150 * p[3 * x + 1] + 29 * p[3 * x]);
        dst[x] = luma > threshold ? 1 : 0;
    }
}

// Grey from the count of ones among the 3 x 3 neighbours, given the column counts of the padded rows.
__attribute__((target_clones("avx2", "default"))) void AntiAliasedRow(const std::uint8_t* __restrict columnSum,
                                                                       std::uint8_t* __restrict q, int width)
{
    for (int x = 0; x < width; ++x) {
        const auto sum = std::uint16_t(columnSum[x] + columnSum[x + 1] + columnSum[x + 2]);
        const auto grey = std::uint8_t(std::uint16_t(sum * 255 + 4) / 9);
        q[3 * x] = grey;
        q[3 * x + 1] = grey;
        q[3 * x + 2] = grey;
    }
}

// Black or white from the binary row.
__attribute__((target_clones("avx2", "default"))) void BinaryToGreyRow(const std::uint8_t* __restrict bin,
                                                                        std::uint8_t* __restrict q, int width)
{
    for (int x = 0; x < width; ++x) {
        const auto grey = std::uint8_t(bin[x] * 255);
        q[3 * x] = grey;
        q[3 * x + 1] = grey;
        q[3 * x + 2] = grey;
    }
}

__attribute__((target_clones("avx2", "default"))) void ColumnSums(const std::uint8_t* __restrict above,
                                                                   const std::uint8_t* __restrict here,
                                                                   const std::uint8_t* __restrict below,
                                                                   std::uint8_t* __restrict sum, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        sum[i] = std::uint8_t(above[i] + here[i] + below[i]);
}

}  // namespace

Picture ThresholdDib(const Picture& picture, int value, bool antiAliasing, const Area& area)
{
    value = std::clamp(value, 0, 300);
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    if (rect.IsEmpty())
        return Picture(picture);
    Picture out = AreaResult(picture, rect);
    // White when luma * 300 > value * 255, with luma kept in 1/256 steps (77 R + 150 G + 29 B), so each step
    // of the value moves the threshold.
    const int threshold = value * 65280 / 300;
    const int width = rect.x1 - rect.x0;
    const std::size_t x0 = std::size_t(rect.x0);
    auto binaryRow = [&](int y, std::uint8_t* dst) { BinaryRow(picture.Row(y) + 3 * x0, dst, width, std::uint16_t(threshold)); };
    ForEachRowBand(rect.y1 - rect.y0, 8.0 * width, [&](int b0, int b1) {
        if (!antiAliasing) {
            std::vector<std::uint8_t> bin(static_cast<std::size_t>(width));
            for (int y = rect.y0 + b0; y < rect.y0 + b1; ++y) {
                binaryRow(y, bin.data());
                BinaryToGreyRow(bin.data(), out.Row(y) + 3 * x0, width);
            }
            return;
        }
        // Rolling window of three binary rows, each padded by one repeated pixel on both sides.
        const std::size_t padded = std::size_t(width) + 2;
        std::vector<std::uint8_t> rows(3 * padded);
        std::vector<std::uint8_t> columnSum(padded);
        auto load = [&](int y, std::uint8_t* dst) {
            binaryRow(std::clamp(y, rect.y0, rect.y1 - 1), dst + 1);
            dst[0] = dst[1];
            dst[padded - 1] = dst[padded - 2];
        };
        std::uint8_t* above = rows.data();
        std::uint8_t* here = above + padded;
        std::uint8_t* below = here + padded;
        const int first = rect.y0 + b0;
        load(first - 1, above);
        load(first, here);
        for (int y = first; y < rect.y0 + b1; ++y) {
            load(y + 1, below);
            ColumnSums(above, here, below, columnSum.data(), padded);
            std::swap(above, here);
            std::swap(here, below);
            AntiAliasedRow(columnSum.data(), out.Row(y) + 3 * x0, width);
        }
    });
    return out;
}

// Each channel on its own: v becomes round(255 (cdf(v) - cdf(min)) / (pixels - cdf(min))), where cdf counts
// the pixels at or below v and min is the channel's smallest value. A channel with a single value is kept.
Picture HistAutoEqualize(const Picture& picture)
{
    if (picture.IsEmpty())
        return Picture(picture);
    const int width = picture.Width();
    std::array<std::uint64_t, 3 * 256> histogram{};
    std::mutex merge;
    ForEachRowBand(picture.Height(), 3.0 * width, [&](int y0, int y1) {
        // A picture holds at most 2^28 pixels, so 32-bit counts cannot overflow.
        std::array<std::uint32_t, 3 * 256> band{};
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* p = picture.Row(y);
            for (int x = 0; x < width; ++x, p += 3) {
                ++band[p[0]];
                ++band[256 + p[1]];
                ++band[512 + p[2]];
            }
        }
        const std::lock_guard<std::mutex> lock(merge);
        for (std::size_t i = 0; i < band.size(); ++i)
            histogram[i] += band[i];
    });
    const std::uint64_t pixels = std::uint64_t(width) * std::uint64_t(picture.Height());
    std::array<std::uint8_t, 3 * 256> lut{};
    for (int c = 0; c < 3; ++c) {
        const std::uint64_t* h = histogram.data() + 256 * c;
        std::uint8_t* map = lut.data() + 256 * c;
        int lowest = 0;
        while (h[lowest] == 0)
            ++lowest;
        const std::uint64_t base = h[lowest];
        const std::uint64_t span = pixels - base;
        std::uint64_t cdf = 0;
        for (int v = 0; v < 256; ++v) {
            cdf += h[v];
            if (span == 0)
                map[v] = std::uint8_t(v);
            else
                map[v] = v < lowest ? 0 : std::uint8_t(((cdf - base) * 255 + span / 2) / span);
        }
    }
    Picture out(picture.Width(), picture.Height());
    ForEachRowBand(picture.Height(), 3.0 * width, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* p = picture.Row(y);
            std::uint8_t* q = out.Row(y);
            for (int x = 0; x < width; ++x, p += 3, q += 3) {
                q[0] = lut[p[0]];
                q[1] = lut[256 + p[1]];
                q[2] = lut[512 + p[2]];
            }
        }
    });
    return out;
}

}  // namespace zelpix::effects
