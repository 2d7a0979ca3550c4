#include "effects/ops/BuiltinTransforms.h"

#include "effects/ops/ParallelRows.h"

#include "imaging/ImagingError.h"
#include "imaging/Round.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

namespace zelpix::effects {
namespace {

// Calls f(p) for every pixel of a row, p pointing at its blue, green, red bytes. Indexed through a restrict
// pointer, the loop vectorises with AVX2 (its byte shuffles handle the three-byte steps); the default clone
// stays scalar.
template <typename F>
__attribute__((target_clones("avx2", "default"))) void PixelRow(std::uint8_t* __restrict row, std::size_t count, F f)
{
    for (std::size_t x = 0; x < count; ++x)
        f(row + 3 * x);
}

// Calls f(p) for every pixel of the rectangle, rows in bands on several threads.
template <typename F>
void ForEachPixel(Picture& picture, const PixelRect& rect, F f)
{
    if (rect.IsEmpty())
        return;
    const std::size_t x0 = std::size_t(rect.x0), count = std::size_t(rect.x1 - rect.x0);
    const int y0 = rect.y0;
    ForEachRowBand(rect.y1 - rect.y0, 4.0 * double(count), [&picture, f, x0, count, y0](int b0, int b1) {
        for (int y = y0 + b0; y < y0 + b1; ++y)
            PixelRow(picture.Row(y) + 3 * x0, count, f);
    });
}

// Spooky on one row: every byte becomes the mean, rounded down, of itself and its pixel's red, which leaves
// red as it is. Sixteen pixels at a time are three 16-byte vectors, each with its pixels' reds shuffled into
// line; the pixels left over take the same mean one by one.
using Bytes16 = std::uint8_t __attribute__((vector_size(16)));

// For vector k of a block of sixteen pixels, the index of each byte's red in vectors k and k + 1 together.
constexpr Bytes16 Red0 = {2, 2, 2, 5, 5, 5, 8, 8, 8, 11, 11, 11, 14, 14, 14, 17};
constexpr Bytes16 Red1 = {1, 1, 4, 4, 4, 7, 7, 7, 10, 10, 10, 13, 13, 13, 16, 16};
constexpr Bytes16 Red2 = {0, 3, 3, 3, 6, 6, 6, 9, 9, 9, 12, 12, 12, 15, 15, 15};

inline Bytes16 MeanDown(Bytes16 a, Bytes16 b)
{
    return (a & b) + ((a ^ b) >> 1);
}

__attribute__((target_clones("avx2", "default"))) void SpookyRow(std::uint8_t* __restrict row, std::size_t count)
{
    std::size_t x = 0;
    for (; x + 16 <= count; x += 16) {
        std::uint8_t* const p = row + 3 * x;
        Bytes16 v[3];
        std::memcpy(v, p, sizeof v);
        const Bytes16 r0 = __builtin_shuffle(v[0], v[1], Red0);
        const Bytes16 r1 = __builtin_shuffle(v[1], v[2], Red1);
        const Bytes16 r2 = __builtin_shuffle(v[2], Red2);
        v[0] = MeanDown(v[0], r0);
        v[1] = MeanDown(v[1], r1);
        v[2] = MeanDown(v[2], r2);
        std::memcpy(p, v, sizeof v);
    }
    for (; x < count; ++x) {
        std::uint8_t* const p = row + 3 * x;
        const int r = p[2];
        p[1] = std::uint8_t((r + p[1]) / 2);
        p[0] = std::uint8_t((r + p[0]) / 2);
    }
}

// The low byte of a value in two's complement.
inline std::uint8_t LowByte(std::int64_t value)
{
    return std::uint8_t(value & 0xFF);
}

// trunc(c * 2 * arctan(a)) by low byte, for every channel c and argument a in 0..255. Both factors are bytes,
// so one table serves every pixel of styles 0, 4 and 5.
using ArctanTable = std::array<std::array<std::uint8_t, 256>, 256>;
const ArctanTable& ChannelTimesArctan()
{
    static const ArctanTable table = [] {
        ArctanTable t{};
        for (int a = 0; a < 256; ++a) {
            const long double twoArctan = 2.0L * std::atan(static_cast<long double>(a));
            for (int c = 0; c < 256; ++c)
                t[a][c] = LowByte(static_cast<std::int64_t>(std::trunc(c * twoArctan)));
        }
        return t;
    }();
    return table;
}

using ByteTable = std::array<std::uint8_t, 256>;

// Style 6: v -> low byte of trunc(v * sin(v)).
const ByteTable& SineTimesValue()
{
    static const ByteTable table = [] {
        ByteTable t{};
        for (int v = 0; v < 256; ++v)
            t[v] = LowByte(static_cast<std::int64_t>(std::trunc(v * std::sin(static_cast<long double>(v)))));
        return t;
    }();
    return table;
}

// Style 10: v -> (v + trunc(abs(sin(v) * 64))) mod 256.
const ByteTable& ValuePlusSine()
{
    static const ByteTable table = [] {
        ByteTable t{};
        for (int v = 0; v < 256; ++v) {
            const long double s = std::fabs(std::sin(static_cast<long double>(v)) * 64.0L);
            t[v] = std::uint8_t((v + static_cast<int>(std::trunc(s))) % 256);
        }
        return t;
    }();
    return table;
}

// Styles 0 to 5 on one row: channels a and b both become their mean, rounded down; then, when table is given,
// channel c becomes table[new a][c]. Five whole pixels at a time sit in a 16-byte vector, each byte paired
// with its mean partner (a with b, any other byte with itself, which leaves it as it is; the sixteenth byte,
// the next pixel's first, is stored back unchanged).
__attribute__((target_clones("avx2", "default"))) void PairMeanRow(std::uint8_t* __restrict row, std::size_t count,
                                                                    int a, int b, const ArctanTable* table, int c)
{
    Bytes16 partner;
    for (int lane = 0; lane < 16; ++lane) {
        const int channel = lane % 3;
        const int other = channel == a ? b : channel == b ? a : channel;
        partner[lane] = std::uint8_t(lane == 15 ? lane : lane - channel + other);
    }
    // Each block is loaded before the one in front is stored: a load overlapping a store just made waits.
    std::size_t x = 0;
    if (count >= 6) {
        Bytes16 v;
        std::memcpy(&v, row, sizeof v);
        for (;; x += 5) {
            const bool more = x + 11 <= count;
            Bytes16 next{};
            if (more)
                std::memcpy(&next, row + 3 * (x + 5), sizeof next);
            v = MeanDown(v, __builtin_shuffle(v, partner));
            std::memcpy(row + 3 * x, &v, sizeof v);
            v = next;
            if (!more)
                break;
        }
        x += 5;
    }
    for (; x < count; ++x) {
        std::uint8_t* const p = row + 3 * x;
        p[a] = p[b] = std::uint8_t((p[a] + p[b]) / 2);
    }
    if (table)
        for (std::size_t i = 0; i < 3 * count; i += 3)
            row[i + std::size_t(c)] = (*table)[row[i + std::size_t(a)]][row[i + std::size_t(c)]];
}

void PairMean(Picture& picture, const PixelRect& rect, int a, int b, const ArctanTable* table = nullptr, int c = 0)
{
    if (rect.IsEmpty())
        return;
    const std::size_t x0 = std::size_t(rect.x0), count = std::size_t(rect.x1 - rect.x0);
    ForEachRowBand(rect.y1 - rect.y0, 4.0 * double(count), [&, y0 = rect.y0](int b0, int b1) {
        for (int y = y0 + b0; y < y0 + b1; ++y)
            PairMeanRow(picture.Row(y) + 3 * x0, count, a, b, table, c);
    });
}

void MapChannels(Picture& picture, const PixelRect& rect, const ByteTable& table)
{
    for (int y = rect.y0; y < rect.y1; ++y) {
        std::uint8_t* p = picture.Row(y);
        for (std::size_t i = 3 * std::size_t(rect.x0), end = 3 * std::size_t(rect.x1); i < end; ++i)
            p[i] = table[p[i]];
    }
}

// Carve (sign +1) and Emboss (sign -1): sign * (P(x+1, y+1) - P(x, y)) + 128 per channel. Rows are done top
// to bottom, so the row below is still unchanged when it is read. The neighbour right of the picture's last
// column is the pixel below it (the edge repeated). Inside a row it is one flat loop over channel bytes, the
// neighbour always three bytes on in the row below, which the compiler turns into vector code.
void ReliefRow(std::uint8_t* __restrict row, const std::uint8_t* __restrict below, std::size_t count, int sign)
{
    for (std::size_t i = 0; i < count; ++i)
        row[i] = ClampByte(sign * (int(below[i + 3]) - int(row[i])) + 128);
}

void Relief(Picture& picture, const PixelRect& rect, int sign)
{
    const int lastRow = std::min(rect.y1, picture.Height() - 1);
    const int lastColumn = picture.Width() - 1;
    const int inner1 = std::min(rect.x1, lastColumn); // columns [x0, inner1) have a right neighbour
    for (int y = rect.y0; y < lastRow; ++y) {
        std::uint8_t* row = picture.Row(y);
        const std::uint8_t* below = picture.Row(y + 1);
        if (inner1 > rect.x0)
            ReliefRow(row + 3 * std::size_t(rect.x0), below + 3 * std::size_t(rect.x0),
                      3 * std::size_t(inner1 - rect.x0), sign);
        if (rect.x1 > lastColumn) {
            std::uint8_t* c = row + 3 * std::size_t(lastColumn);
            const std::uint8_t* q = below + 3 * std::size_t(lastColumn);
            for (int k = 0; k < 3; ++k)
                c[k] = ClampByte(sign * (q[k] - c[k]) + 128);
        }
    }
}

}  // namespace

Picture Carve(Picture picture, const Area& area)
{
    Relief(picture, ResolveArea(area, picture.Width(), picture.Height()), +1);
    return picture;
}

Picture Emboss(Picture picture, const Area& area)
{
    Relief(picture, ResolveArea(area, picture.Width(), picture.Height()), -1);
    return picture;
}

Picture Spooky(Picture picture, const Area& area)
{
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    if (rect.IsEmpty())
        return picture;
    const std::size_t x0 = std::size_t(rect.x0), count = std::size_t(rect.x1 - rect.x0);
    ForEachRowBand(rect.y1 - rect.y0, 2.0 * double(count), [&picture, x0, count, y0 = rect.y0](int b0, int b1) {
        for (int y = y0 + b0; y < y0 + b1; ++y)
            SpookyRow(picture.Row(y) + 3 * x0, count);
    });
    return picture;
}

Picture Purple(Picture picture, const Area& area)
{
    ForEachPixel(picture, ResolveArea(area, picture.Width(), picture.Height()), [](std::uint8_t* p) {
        const int r = (p[2] + p[1]) / 2;
        p[1] = std::uint8_t((p[1] + p[0]) / 2);
        p[0] = std::uint8_t((r + p[0]) / 2);
        p[2] = std::uint8_t(r);
    });
    return picture;
}

// v < 128 becomes 255 - v, which is then the larger of the two: max(v, 255 - v), one vector loop per row.
Picture Exposure(Picture picture, const Area& area)
{
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    for (int y = rect.y0; y < rect.y1; ++y) {
        std::uint8_t* p = picture.Row(y);
        for (std::size_t i = 3 * std::size_t(rect.x0), end = 3 * std::size_t(rect.x1); i < end; ++i)
            p[i] = std::max<std::uint8_t>(p[i], std::uint8_t(255 - p[i]));
    }
    return picture;
}

// Each style reads the channels as they stand when its line is reached: a primed value is the one just
// written. p[0], p[1], p[2] are blue, green, red.
Picture ColorSuperimposition(Picture picture, int style, const Area& area)
{
    if (style < 0 || style >= ColorSuperimpositionStyles)
        throw ImagingError("Color superimposition style " + std::to_string(style) + " is not one of 0..19");
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    enum { B = 0, G = 1, R = 2 };
    switch (style) {
    case 0:
        PairMean(picture, rect, R, G, &ChannelTimesArctan(), B);
        break;
    case 1:
        PairMean(picture, rect, R, G);
        break;
    case 2:
        PairMean(picture, rect, R, B);
        break;
    case 3:
        PairMean(picture, rect, G, B);
        break;
    case 4:
        PairMean(picture, rect, G, B, &ChannelTimesArctan(), R);
        break;
    case 5:
        PairMean(picture, rect, B, R, &ChannelTimesArctan(), G);
        break;
    case 6:
        MapChannels(picture, rect, SineTimesValue());
        break;
    case 7:
        ForEachPixel(picture, rect, [](std::uint8_t* p) {
            const int t = (p[R] + p[G] + p[B]) / 12;
            p[B] = std::uint8_t((p[G] + t + 1) % 256);
            p[R] = std::uint8_t((p[B] + t + 1) % 256);
            p[G] = std::uint8_t((p[R] + t + 1) % 256);
        });
        break;
    case 8:
        ForEachPixel(picture, rect, [](std::uint8_t* p) {
            p[R] = std::uint8_t(p[R] / 2);
            p[B] = std::uint8_t(p[G] / 2);
            p[G] = p[R];
        });
        break;
    case 9:
        ForEachPixel(picture, rect, [](std::uint8_t* p) {
            p[B] = std::uint8_t(p[G] / 2);
            p[G] = std::uint8_t(p[R] / 2);
        });
        break;
    case 10:
        MapChannels(picture, rect, ValuePlusSine());
        break;
    case 11:
        ForEachPixel(picture, rect, [](std::uint8_t* p) {
            const std::uint8_t r = p[R], g = p[G];
            p[B] = g;
            p[G] = r;
        });
        break;
    case 12:
        ForEachPixel(picture, rect, [](std::uint8_t* p) {
            const std::uint8_t g = p[G], b = p[B];
            p[R] = g;
            p[G] = b;
        });
        break;
    case 13:
        ForEachPixel(picture, rect, [](std::uint8_t* p) {
            const std::uint8_t r = p[R], b = p[B];
            p[G] = r;
            p[R] = b;
        });
        break;
    case 14:
        ForEachPixel(picture, rect, [](std::uint8_t* p) { std::swap(p[R], p[B]); });
        break;
    case 15:
        ForEachPixel(picture, rect, [](std::uint8_t* p) { p[B] = p[R]; });
        break;
    case 16:
        ForEachPixel(picture, rect, [](std::uint8_t* p) { p[G] = p[R]; });
        break;
    case 17:
        ForEachPixel(picture, rect, [](std::uint8_t* p) { p[R] = p[G]; });
        break;
    case 18:
        ForEachPixel(picture, rect, [](std::uint8_t* p) { p[B] = p[G]; });
        break;
    case 19:
        ForEachPixel(picture, rect, [](std::uint8_t* p) { p[R] = p[B]; });
        break;
    }
    return picture;
}

}  // namespace zelpix::effects
