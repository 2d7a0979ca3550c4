#include "effects/ops/DistortEffects.h"

#include "effects/ops/AreaResult.h"
#include "effects/ops/ParallelRows.h"
#include "effects/ops/SeededNoise.h"
#include "imaging/Round.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace zelpix::effects {

namespace {

constexpr double Pi = std::numbers::pi;

enum class EdgeMode { Clamp, Mirror };

// A source position that falls outside [lo, hi] (pixel centres) is held at the edge or mirrored back in.
inline double Fold(double v, double lo, double hi, EdgeMode edge)
{
    if (v >= lo && v <= hi)
        return v;
    if (!std::isfinite(v)) // a mapping gone wild still samples inside the picture
        return v > hi ? hi : lo;
    if (edge == EdgeMode::Clamp || hi <= lo)
        return std::clamp(v, lo, hi);
    const double period = 2 * (hi - lo);
    double t = std::fmod(v - lo, period);
    if (t < 0)
        t += period;
    return t <= hi - lo ? lo + t : hi - (t - (hi - lo));
}

// Bilinear samples of `source` at the positions (sx[i], sy[i]) (pixel centres at whole numbers) into n pixels
// of `dst`; positions are kept inside `bounds`. Weights are in 1/256, so a whole-number position copies its
// pixel exactly.
void SampleRow(const Picture& source, const PixelRect& bounds, EdgeMode edge, const double* sx, const double* sy,
               int n, std::uint8_t* dst)
{
    const double xLo = bounds.x0, xHi = bounds.x1 - 1, yLo = bounds.y0, yHi = bounds.y1 - 1;
    for (int i = 0; i < n; ++i, dst += 3) {
        const double fx = Fold(sx[i], xLo, xHi, edge), fy = Fold(sy[i], yLo, yHi, edge);
        const int ix = int(std::floor(fx)), iy = int(std::floor(fy));
        const int wx = int((fx - ix) * 256 + 0.5), wy = int((fy - iy) * 256 + 0.5);
        const int ix1 = std::min(ix + 1, bounds.x1 - 1), iy1 = std::min(iy + 1, bounds.y1 - 1);
        const std::uint8_t* p00 = source.Row(iy) + 3 * std::size_t(ix);
        const std::uint8_t* p10 = source.Row(iy) + 3 * std::size_t(ix1);
        const std::uint8_t* p01 = source.Row(iy1) + 3 * std::size_t(ix);
        const std::uint8_t* p11 = source.Row(iy1) + 3 * std::size_t(ix1);
        const int w00 = (256 - wx) * (256 - wy), w10 = wx * (256 - wy), w01 = (256 - wx) * wy, w11 = wx * wy;
        for (int c = 0; c < 3; ++c)
            dst[c] = std::uint8_t((p00[c] * w00 + p10[c] * w10 + p01[c] * w01 + p11[c] * w11 + 32768) >> 16);
    }
}

// The picture with every pixel of `rect` sampled from `source` at the position mapRow gives it: mapRow(y, x0,
// n, sx, sy) fills the source positions of pixels x0 .. x0 + n - 1 of row y. Samples stay inside `bounds`.
template <class MapRow>
Picture Remap(const Picture& source, const PixelRect& rect, const PixelRect& bounds, EdgeMode edge,
              double costPerPixel, MapRow mapRow)
{
    if (rect.IsEmpty() || bounds.IsEmpty())
        return Picture(source);
    Picture out = AreaResult(source, rect);
    const int n = rect.x1 - rect.x0;
    ForEachRowBand(rect.y1 - rect.y0, (costPerPixel + 16.0) * n, [&](int b0, int b1) {
        std::vector<double> sx(static_cast<std::size_t>(n)), sy(static_cast<std::size_t>(n));
        for (int y = rect.y0 + b0; y < rect.y0 + b1; ++y) {
            mapRow(y, rect.x0, n, sx.data(), sy.data());
            SampleRow(source, bounds, edge, sx.data(), sy.data(), n, out.Row(y) + 3 * std::size_t(rect.x0));
        }
    });
    return out;
}

// The ellipse inscribed in a rectangle, in pixel-centre coordinates: (x - cx) / rx, (y - cy) / ry is inside
// the unit circle for the pixels it covers.
struct Ellipse {
    double cx, cy, rx, ry;
    explicit Ellipse(const PixelRect& r)
        : cx((double(r.x0) + r.x1 - 1) / 2.0), cy((double(r.y0) + r.y1 - 1) / 2.0),
          rx((double(r.x1) - r.x0) / 2.0), ry((double(r.y1) - r.y0) / 2.0)
    {
    }
};

// A radial remap inside the ellipse of the area: a pixel at normalised radius r < 1 and angle a samples the
// source at radius r * scale(r) and angle a + turn(r); the rest of the area keeps its pixels.
template <class RadialMap>
Picture RemapInEllipse(const Picture& picture, const Area& area, double costPerPixel, RadialMap radialMap)
{
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    const Ellipse e(rect);
    return Remap(picture, rect, rect, EdgeMode::Clamp, costPerPixel,
                 [&](int y, int x0, int n, double* sx, double* sy) {
                     const double ny = (y - e.cy) / e.ry;
                     for (int i = 0; i < n; ++i) {
                         const double nx = (x0 + i - e.cx) / e.rx;
                         const double r2 = nx * nx + ny * ny;
                         double mx = nx, my = ny;
                         if (r2 < 1.0)
                             radialMap(std::sqrt(r2), mx, my);
                         sx[i] = e.cx + mx * e.rx;
                         sy[i] = e.cy + my * e.ry;
                     }
                 });
}

// One period of the Jiggle wave shapes at phase t (in periods), each between -1 and 1.
double JiggleShape(int shape, double t, std::uint64_t stream)
{
    const double f = t - std::floor(t);
    switch (shape) {
    case 1: return std::sin(2 * Pi * t);                           // sine
    case 2: return 1.0 - 4.0 * std::abs(f - 0.5);                  // triangle
    case 3: return f < 0.5 ? 1.0 : -1.0;                           // square
    case 4: return 2.0 * f - 1.0;                                  // sawtooth
    case 5: return 2.0 * std::abs(std::sin(Pi * t)) - 1.0;         // bumps (rectified sine)
    default: {                                                     // smooth random: one knot per period
        const double k = std::floor(t);
        const auto knot = [&](double i) { return HashLane(PositionHash(std::uint64_t(std::int64_t(i)), 0, stream), 0); };
        const double s = (1 - std::cos(Pi * f)) / 2;
        return knot(k) * (1 - s) + knot(k + 1) * s;
    }
    }
}

}  // namespace

// Rows move sideways by amplitude * w((y - top) / period) and columns up or down by
// amplitude * w((x - left) / period + 1/4), w being the chosen shape: 1 sine, 2 triangle, 3 square, 4 sawtooth,
// 5 rectified sine, 6 smooth random. A period below 2 pixels cannot be sampled, so 0 and 1 act as 2. Samples
// that leave the area are mirrored back into it.
Picture Jiggle(const Picture& picture, int period, int amplitude, int shape, const Area& area)
{
    amplitude = std::clamp(amplitude, 0, 3000);
    if (amplitude == 0 || picture.IsEmpty())
        return Picture(picture);
    const double p = std::clamp(period, 2, 3000);
    shape = std::clamp(shape, 1, 6);
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    if (rect.IsEmpty())
        return Picture(picture);
    std::vector<double> dy(static_cast<std::size_t>(rect.x1 - rect.x0));
    for (std::size_t i = 0; i < dy.size(); ++i)
        dy[i] = amplitude * JiggleShape(shape, double(i) / p + 0.25, 2);
    return Remap(picture, rect, rect, EdgeMode::Mirror, 4.0, [&](int y, int x0, int n, double* sx, double* sy) {
        const double dx = amplitude * JiggleShape(shape, (y - rect.y0) / p, 1);
        for (int i = 0; i < n; ++i) {
            sx[i] = x0 + i + dx;
            sy[i] = y + dy[std::size_t(i)];
        }
    });
}

// A half-ball of glass over the ellipse inscribed in (left, top, width, height): the ray looking straight down
// at normalised position n meets the surface with normal (n, z), z = sqrt(1 - |n|^2), bends by Snell's law
// with the index `refraction`, and reaches the picture plane at n + z * T.xy / -T.z. The centre is magnified
// about `refraction` times; the rim and everything outside the ellipse stay in place. Index 1 changes nothing.
Picture Lens(const Picture& picture, int left, int top, int width, int height, double refraction)
{
    if (picture.IsEmpty())
        return Picture(picture);
    width = std::max(width, 1);
    height = std::max(height, 1);
    const double eta = 1.0 / (std::isnan(refraction) ? 1.0 : std::clamp(refraction, 1.0, 20.0));
    const PixelRect lens{left, top, int(std::min<std::int64_t>(std::int64_t(left) + width, 1 << 30)),
                         int(std::min<std::int64_t>(std::int64_t(top) + height, 1 << 30))};
    const PixelRect rect{std::clamp(lens.x0, 0, picture.Width()), std::clamp(lens.y0, 0, picture.Height()),
                         std::clamp(lens.x1, 0, picture.Width()), std::clamp(lens.y1, 0, picture.Height())};
    const PixelRect whole{0, 0, picture.Width(), picture.Height()};
    const Ellipse e(lens);
    return Remap(picture, rect, whole, EdgeMode::Clamp, 30.0, [&](int y, int x0, int n, double* sx, double* sy) {
        const double ny = (y - e.cy) / e.ry;
        for (int i = 0; i < n; ++i) {
            const double nx = (x0 + i - e.cx) / e.rx;
            const double r2 = nx * nx + ny * ny;
            double mx = nx, my = ny;
            if (r2 < 1.0) {
                const double z = std::sqrt(1.0 - r2);
                const double k = eta * z - std::sqrt(1.0 - eta * eta * r2); // T = eta * (0, 0, -1) + k * N
                const double tz = -eta + k * z;
                const double travel = z / -tz;
                mx = nx + travel * k * nx;
                my = ny + travel * k * ny;
            }
            sx[i] = e.cx + mx * e.rx;
            sy[i] = e.cy + my * e.ry;
        }
    });
}

// Row y moves sideways by amplitude * sin(2 pi y / L + phi) and column x up or down by
// amplitude * sin(2 pi x / L + phi), L = the wave length (at least 1 pixel), phi = 2 pi phase / 100. Samples
// outside the picture are held at the edge, or mirrored back in when `reflective`.
Picture Wave(const Picture& picture, int amplitude, int waveLength, int phase, bool reflective)
{
    amplitude = std::clamp(amplitude, 0, 200);
    if (amplitude == 0 || picture.IsEmpty())
        return Picture(picture);
    const double length = std::clamp(waveLength, 1, 200);
    const double phi = 2 * Pi * std::clamp(phase, 0, 100) / 100.0;
    const PixelRect whole{0, 0, picture.Width(), picture.Height()};
    std::vector<double> dy(static_cast<std::size_t>(picture.Width()));
    for (std::size_t x = 0; x < dy.size(); ++x)
        dy[x] = amplitude * std::sin(2 * Pi * double(x) / length + phi);
    return Remap(picture, whole, whole, reflective ? EdgeMode::Mirror : EdgeMode::Clamp, 4.0,
                 [&](int y, int x0, int n, double* sx, double* sy) {
                     const double dx = amplitude * std::sin(2 * Pi * y / length + phi);
                     for (int i = 0; i < n; ++i) {
                         sx[i] = x0 + i + dx;
                         sy[i] = y + dy[std::size_t(x0 + i)];
                     }
                 });
}

// Inside the ellipse of the area, a pixel at normalised radius r samples the source at radius r^p with
// p = 1 / (1 + 0.5 value): the picture is drawn in toward the centre, more strongly for larger values.
Picture PinchHole(const Picture& picture, double value, const Area& area)
{
    const double p = 1.0 / (1.0 + 0.5 * (std::isnan(value) ? 1.0 : std::clamp(value, 1.0, 6.0)));
    return RemapInEllipse(picture, area, 30.0, [p](double r, double& mx, double& my) {
        if (r <= 0)
            return;
        const double scale = std::pow(r, p - 1.0);
        mx *= scale;
        my *= scale;
    });
}

// Normalised position (u, v) = ((x - cx) / (w / 2), (y - cy) / (h / 2)) in the area, radius
// r = |(u, v)| / sqrt(2) (1 at the corners), angle a = atan2(-v, u) (anticlockwise; clockwise when `backward`)
// plus `angle` degrees. Forward, the area is wrapped `value` times around its centre: a pixel samples column
// frac(a * value / 2 pi) of the width and row (1 - r) of the height, so the bottom row gathers at the centre.
// Inverse unwraps the same mapping: column t and row s sample the point at radius 1 - s and angle
// (t * 2 pi / value) - `angle`. Samples stay inside the area.
Picture RecToPolar(const Picture& picture, int value, int angle, bool inverse, bool backward, const Area& area)
{
    const double turns = std::clamp(value, 1, 1000);
    const double offset = std::clamp(angle, 0, 360) * Pi / 180.0;
    const double direction = backward ? -1.0 : 1.0;
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    const Ellipse e(rect);
    const double w = rect.x1 - rect.x0, h = rect.y1 - rect.y0;
    if (!inverse)
        return Remap(picture, rect, rect, EdgeMode::Clamp, 40.0, [&](int y, int x0, int n, double* sx, double* sy) {
            const double v = (y - e.cy) / e.ry;
            for (int i = 0; i < n; ++i) {
                const double u = (x0 + i - e.cx) / e.rx;
                const double r = std::min(1.0, std::sqrt((u * u + v * v) / 2));
                const double a = direction * std::atan2(-v, u) + offset;
                double t = a * turns / (2 * Pi);
                t -= std::floor(t);
                sx[i] = rect.x0 + t * w - 0.5;
                sy[i] = rect.y0 + (1.0 - r) * h - 0.5;
            }
        });
    return Remap(picture, rect, rect, EdgeMode::Clamp, 40.0, [&](int y, int x0, int n, double* sx, double* sy) {
        const double r = (1.0 - (y + 0.5 - rect.y0) / h) * std::numbers::sqrt2;
        for (int i = 0; i < n; ++i) {
            const double t = (x0 + i + 0.5 - rect.x0) / w;
            const double a = direction * (t * 2 * Pi / turns - offset);
            sx[i] = e.cx + r * std::cos(a) * e.rx;
            sy[i] = e.cy - r * std::sin(a) * e.ry;
        }
    });
}

// Each pixel of the area takes the pixel at a random offset of up to `value` pixels in x and in y (kept in the
// area), with each channel moved by a random amount of up to colour * 255 / 1000 levels. The random numbers
// come from a hash of the pixel's position, so the result does not depend on the order of the rows.
Picture Spray(const Picture& picture, int value, int colour, const Area& area)
{
    value = std::clamp(value, 0, 100);
    const double shade = std::clamp(colour, 0, 1000) * 255.0 / 1000.0;
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    if ((value == 0 && colour <= 0) || rect.IsEmpty())
        return Picture(picture);
    Picture out = AreaResult(picture, rect);
    const int width = rect.x1 - rect.x0;
    const std::uint64_t reach = std::uint64_t(2 * value + 1);
    ForEachRowBand(rect.y1 - rect.y0, 12.0 * width, [&](int b0, int b1) {
        for (int y = rect.y0 + b0; y < rect.y0 + b1; ++y) {
            std::uint8_t* q = out.Row(y) + 3 * std::size_t(rect.x0);
            for (int x = rect.x0; x < rect.x1; ++x, q += 3) {
                const std::uint64_t h = PositionHash(std::uint64_t(x), std::uint64_t(y), 23);
                const int dx = int((h & 0xFFFFFFFFu) % reach) - value;
                const int dy = int((h >> 32) % reach) - value;
                const std::uint8_t* p = picture.Row(std::clamp(y + dy, rect.y0, rect.y1 - 1)) +
                                        3 * std::size_t(std::clamp(x + dx, rect.x0, rect.x1 - 1));
                if (shade == 0) {
                    q[0] = p[0], q[1] = p[1], q[2] = p[2];
                    continue;
                }
                const std::uint64_t n = PositionHash(std::uint64_t(x), std::uint64_t(y), 29);
                for (int c = 0; c < 3; ++c)
                    q[c] = ClampByte(p[c] + int(Round(shade * HashLane(n, c))));
            }
        }
    });
    return out;
}

// Inside the ellipse of the area, a pixel at normalised radius r samples the source turned by
// (value / 1000) * pi * (1 - r)^2 radians about the centre: half a turn at the centre for the default 1000,
// fading to none at the rim.
Picture Whirl(const Picture& picture, double value, const Area& area)
{
    const double maxTurn = (std::isnan(value) ? 1.0 : std::clamp(value, 1.0, 10000.0)) / 1000.0 * Pi;
    return RemapInEllipse(picture, area, 40.0, [maxTurn](double r, double& mx, double& my) {
        const double turn = maxTurn * (1 - r) * (1 - r);
        const double c = std::cos(turn), s = std::sin(turn);
        const double x = mx, y = my;
        mx = x * c - y * s;
        my = x * s + y * c;
    });
}

}  // namespace zelpix::effects
