#include "effects/ops/Rotate.h"

#include "effects/ops/ParallelRows.h"
#include "imaging/ImagingError.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

namespace zelpix::effects {

namespace {

// Quarter turns anti-clockwise: 1, 2 or 3, exact pixel moves.
Picture QuarterTurns(const Picture& picture, int turns)
{
    const int w = picture.Width(), h = picture.Height();
    const bool swap = turns != 2;
    Picture result(swap ? h : w, swap ? w : h);
    const int outWidth = result.Width();
    ForEachRowBand(result.Height(), outWidth, [&](int y0, int y1) {
        const int n = outWidth; // a local: byte stores could alias a captured reference
        for (int y = y0; y < y1; ++y) {
            std::uint8_t* out = result.Row(y);
            for (int x = 0; x < n; ++x) {
                // Source pixel of output (x, y).
                int sx, sy;
                if (turns == 1)
                    sx = w - 1 - y, sy = x;
                else if (turns == 2)
                    sx = w - 1 - x, sy = h - 1 - y;
                else
                    sx = y, sy = h - 1 - x;
                const std::uint8_t* p = picture.Row(sy) + 3 * sx;
                out[3 * x] = p[0], out[3 * x + 1] = p[1], out[3 * x + 2] = p[2];
            }
        }
    });
    return result;
}

// The source with a one-pixel frame of the fill colour, so that bilinear sampling near the edges blends
// into the fill and needs no bounds checks inside the frame. Plain bytes: the frame may be wider than a
// picture is allowed to be.
struct Framed {
    int width = 0, height = 0;
    std::size_t stride = 0;
    std::vector<std::uint8_t> bytes;

    Framed(const Picture& picture, Bgr fill)
        : width(picture.Width() + 2), height(picture.Height() + 2), stride(std::size_t(width) * 3),
          bytes(stride * std::size_t(height))
    {
        auto paint = [&](std::size_t at) { bytes[at] = fill.b, bytes[at + 1] = fill.g, bytes[at + 2] = fill.r; };
        for (int x = 0; x < width; ++x) {
            paint(3 * std::size_t(x));
            paint(stride * std::size_t(height - 1) + 3 * std::size_t(x));
        }
        for (int y = 0; y < picture.Height(); ++y) {
            std::uint8_t* row = &bytes[stride * std::size_t(y + 1)];
            paint(std::size_t(row - bytes.data()));
            std::memcpy(row + 3, picture.Row(y), std::size_t(picture.Width()) * 3);
            paint(std::size_t(row - bytes.data()) + 3 * std::size_t(width - 1));
        }
    }
};

// Output (x, y) samples the source at the point that the turn by `radians` anti-clockwise brings onto its
// centre: with d = output centre offset from the output's middle,
// source = middle + (cos a dx - sin a dy, sin a dx + cos a dy); bilinear with 8-bit weights; outside: fill.
// Along a row the source point moves by (cos a, sin a): stepped in 32.32 fixed point from the row's start.
Picture TurnInto(const Picture& picture, int outWidth, int outHeight, double radians, Bgr fill)
{
    const Framed framed(picture, fill);
    const double c = std::cos(radians), s = std::sin(radians);
    // Coordinates in the framed picture, whose pixel centres sit at integers.
    const double midX = picture.Width() / 2.0 + 0.5, midY = picture.Height() / 2.0 + 0.5;
    const double outMidX = outWidth / 2.0, outMidY = outHeight / 2.0;
    const std::int64_t maxX = framed.width - 1, maxY = framed.height - 1;
    constexpr double One = 4294967296.0; // 2^32
    const std::int64_t stepX = std::llround(c * One), stepY = std::llround(s * One);
    Picture result(outWidth, outHeight);
    // Tiles of output keep the source rows they read few and close together (a turned row crosses many).
    constexpr int TileWidth = 128, TileHeight = 32;
    ForEachRowBand(outHeight, 12.0 * outWidth, [&](int y0, int y1) {
        // Locals: byte stores could alias captured references.
        const int n = outWidth;
        const Bgr background = fill;
        const std::uint8_t* source = framed.bytes.data();
        const std::size_t stride = framed.stride;
        for (int ty = y0; ty < y1; ty += TileHeight)
            for (int tx = 0; tx < n; tx += TileWidth)
                for (int y = ty; y < std::min(y1, ty + TileHeight); ++y) {
                    std::uint8_t* out = result.Row(y);
                    const double dy = y + 0.5 - outMidY, dx = 0.5 - outMidX;
                    std::int64_t fx = std::llround((midX - s * dy + c * dx) * One) + tx * stepX;
                    std::int64_t fy = std::llround((midY + c * dy + s * dx) * One) + tx * stepY;
                    for (int x = tx; x < std::min(n, tx + TileWidth); ++x, fx += stepX, fy += stepY) {
                        const std::int64_t ix = fx >> 32, iy = fy >> 32;
                        std::uint8_t* o = out + 3 * x;
                        if (ix < 0 || iy < 0 || ix >= maxX || iy >= maxY) {
                            o[0] = background.b, o[1] = background.g, o[2] = background.r;
                            continue;
                        }
                        const int wx = int((fx >> 24) & 255), wy = int((fy >> 24) & 255);
                        const std::uint8_t* p0 = source + stride * std::size_t(iy) + 3 * ix;
                        const std::uint8_t* p1 = p0 + stride;
                        const int w00 = (256 - wx) * (256 - wy), w10 = wx * (256 - wy), w01 = (256 - wx) * wy,
                                  w11 = wx * wy;
                        for (int k = 0; k < 3; ++k)
                            o[k] = std::uint8_t(
                                (w00 * p0[k] + w10 * p0[3 + k] + w01 * p1[k] + w11 * p1[3 + k] + 32768) >> 16);
                    }
                }
    });
    return result;
}

// The side that holds a turned length; a sliver under 1/100 pixel does not add a row or column.
int TurnedSide(double a, double b)
{
    return std::max(1, int(std::ceil(a + b - 0.01)));
}

}  // namespace

Picture ILRotate(const Picture& picture, double angleDegrees, const Area& area, Bgr fill)
{
    if (picture.IsEmpty())
        throw ImagingError("There is no picture to rotate.");
    if (!std::isfinite(angleDegrees))
        throw ImagingError("The rotation angle must be a number.");
    double turn = std::fmod(angleDegrees, 360.0);
    if (turn < 0)
        turn += 360.0;
    const double quarters = turn / 90.0;
    const int nearestQuarter = int(std::lround(quarters)) % 4;
    const bool exact = std::fabs(quarters - std::round(quarters)) < 1e-12;
    const double radians = turn * std::numbers::pi / 180.0;

    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    const bool whole = rect.x0 == 0 && rect.y0 == 0 && rect.x1 == picture.Width() && rect.y1 == picture.Height();
    if (whole) {
        if (exact)
            return nearestQuarter == 0 ? picture : QuarterTurns(picture, nearestQuarter);
        const double c = std::fabs(std::cos(radians)), s = std::fabs(std::sin(radians));
        const int outWidth = TurnedSide(picture.Width() * c, picture.Height() * s);
        const int outHeight = TurnedSide(picture.Width() * s, picture.Height() * c);
        CheckPictureSize(outWidth, outHeight);
        return TurnInto(picture, outWidth, outHeight, radians, fill);
    }

    // Only the area turns, about its own centre, within its own bounds.
    Picture result = picture;
    if (rect.IsEmpty() || (exact && nearestQuarter == 0))
        return result;
    const int w = rect.x1 - rect.x0, h = rect.y1 - rect.y0;
    Picture part(w, h);
    for (int y = 0; y < h; ++y)
        std::memcpy(part.Row(y), picture.Row(rect.y0 + y) + 3 * rect.x0, std::size_t(w) * 3);
    const Picture turned = TurnInto(part, w, h, radians, fill);
    for (int y = 0; y < h; ++y)
        std::memcpy(result.Row(rect.y0 + y) + 3 * rect.x0, turned.Row(y), std::size_t(w) * 3);
    return result;
}

}  // namespace zelpix::effects
