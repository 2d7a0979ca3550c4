#include "effects/ops/EngineEffectsA.h"

#include "effects/ops/ParallelRows.h"
#include "effects/ops/SeededNoise.h"
#include "imaging/ImagingError.h"
#include "imaging/Round.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

namespace zelpix::effects {
namespace {

using ByteTable = std::array<std::uint8_t, 256>;

// Rec. 601 luma in 0..255.
inline int Luma(const std::uint8_t* p)
{
    return (p[2] * 77 + p[1] * 150 + p[0] * 29 + 128) >> 8;
}

inline std::uint8_t Mix(int from, int to, double amount)
{
    return ClampByte(int(std::lround(from + (to - from) * amount)));
}

void CheckRange(const char* what, double value, double low, double high)
{
    if (!(value >= low && value <= high))
        throw ImagingError(std::string(what) + " must be between " + std::to_string(int(low)) + " and " +
                           std::to_string(int(high)));
}

// Maps each channel of the rectangle through its own table (blue, green, red).
void MapChannels(Picture& picture, const PixelRect& rect, const std::array<ByteTable, 3>& tables)
{
    for (int y = rect.y0; y < rect.y1; ++y) {
        std::uint8_t* p = picture.Row(y) + 3 * std::size_t(rect.x0);
        for (int x = rect.x0; x < rect.x1; ++x, p += 3) {
            p[0] = tables[0][p[0]];
            p[1] = tables[1][p[1]];
            p[2] = tables[2][p[2]];
        }
    }
}

// ---- box blur passes (Blur) ----

// An extended box: weight 1 over [-r, r] and `alpha` (0..1) at -r-1 and r+1, as factors that already include
// the normalisation. Its variance can be any value, so three passes match a Gaussian's.
struct ExtendedBox {
    int r = 0;
    float inner = 0, outer = 0;
};

ExtendedBox BoxForVariance(double variance)
{
    ExtendedBox box;
    box.r = int(std::floor((std::sqrt(12.0 * variance + 1.0) - 1.0) / 2.0));
    const double r = box.r;
    const double alpha = (2 * r + 1) * (r * (r + 1) / 3.0 - variance) / (2.0 * (variance - (r + 1) * (r + 1)));
    const double norm = 1.0 / (2 * r + 1 + 2 * alpha);
    box.inner = float(norm);
    box.outer = float(alpha * norm);
    return box;
}

// Pixels of C channels of type T, tightly packed, with `pad` pixels of edge-extended picture on every side of
// the area they cover.
template <typename T, int C>
struct Plane {
    int width = 0, height = 0, pad = 0;
    std::vector<T> values;
    T* Row(int y) { return values.data() + std::size_t(y) * std::size_t(width) * C; }
    const T* Row(int y) const { return values.data() + std::size_t(y) * std::size_t(width) * C; }
};

// The rectangle with `pad` pixels around it; outside the picture its edge pixels repeat. `convert(p, q)`
// turns the picture's BGR bytes p into the plane's C values q.
template <typename T, int C, typename F>
Plane<T, C> PaddedPlane(const Picture& picture, const PixelRect& rect, int pad, F convert)
{
    Plane<T, C> plane{rect.x1 - rect.x0 + 2 * pad, rect.y1 - rect.y0 + 2 * pad, pad, {}};
    plane.values.resize(std::size_t(plane.width) * std::size_t(plane.height) * C);
    const int maxX = picture.Width() - 1, maxY = picture.Height() - 1;
    // Plane columns [inside0, inside1) lie in the picture; those left and right of them repeat its edges.
    const int inside0 = std::min(plane.width, std::max(0, pad - rect.x0));
    const int inside1 = std::max(inside0, std::min(plane.width, maxX + 1 - (rect.x0 - pad)));
    ForEachRowBand(plane.height, double(plane.width) * 2, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* src = picture.Row(std::clamp(rect.y0 - pad + y, 0, maxY));
            T* dst = plane.Row(y);
            for (int x = 0; x < inside0; ++x)
                convert(src, dst + std::size_t(x) * C);
            const std::uint8_t* p = src + 3 * std::size_t(rect.x0 - pad + inside0);
            for (int x = inside0; x < inside1; ++x, p += 3)
                convert(p, dst + std::size_t(x) * C);
            for (int x = inside1; x < plane.width; ++x)
                convert(src + 3 * std::size_t(maxX), dst + std::size_t(x) * C);
        }
    });
    return plane;
}

// One extended-box pass along a row of `count` pixels of C channels. Only pixels whose whole window lies in
// the row are written; the planes carry padding for the rest. Window sums come from running sums per channel
// (`prefix`, count x C values): 32-bit differences are exact even when the running sum wraps, and sums of at
// most 2^24 stay exact in a float. The output loop runs in blocks of 16 values, which the compiler turns
// into vector code.
template <typename T, int C>
void BoxRow(const T* __restrict src, T* __restrict dst, int count, const ExtendedBox& box,
            std::uint32_t* __restrict prefix)
{
    const int n = count * C, r = box.r;
    for (int i = 0; i < C; ++i)
        prefix[i] = src[i];
    for (int i = C; i < n; ++i)
        prefix[i] = prefix[i - C] + src[i];
    const int before = (r + 1) * C, ahead = r * C;
    const float inner = box.inner, outer = box.outer;
    auto value = [&](int i) {
        const float window = float(std::int32_t(prefix[i + ahead] - prefix[i - before]));
        return T(window * inner + float(int(src[i - before]) + int(src[i + before])) * outer + 0.5f);
    };
    const int end = n - before;
    int i = before;
    for (; i + 16 <= end; i += 16)
        for (int k = 0; k < 16; ++k)
            dst[i + k] = value(i + k);
    for (; i < end; ++i)
        dst[i] = value(i);
}

// One row of the pass down the columns: each column's value from its running sum, which then moves on a row.
template <typename T>
void ColumnStep(const T* __restrict before, const T* __restrict after, const T* __restrict drop, T* __restrict out,
                float* __restrict sum, std::size_t n, float inner, float outer)
{
    auto step = [&](std::size_t i) {
        out[i] = T(sum[i] * inner + float(int(before[i]) + int(after[i])) * outer + 0.5f);
        sum[i] += float(int(after[i]) - int(drop[i]));
    };
    std::size_t i = 0;
    for (; i + 16 <= n; i += 16)
        for (std::size_t k = 0; k < 16; ++k)
            step(i + k);
    for (; i < n; ++i)
        step(i);
}

// The three passes down the columns in one sweep over bands of columns, in place. Each pass keeps one running
// sum per column and lags the one before by r + 1 rows, so the rows it reads are ready: the first two write
// into rings of the 2r + 3 rows the next reads, and the last writes back into rows the first has left behind.
// Rows a pass does not write (its first and last r + 1) stay stale; they lie within the border.
template <typename T, int C>
void BoxColumns(Plane<T, C>& plane, const ExtendedBox& box)
{
    const int r = box.r, span = 2 * r + 3, height = plane.height;
    ForEachRowBand(plane.width, double(height) * 6 * C, [&](int x0, int x1) {
        const std::size_t begin = std::size_t(x0) * C, n = std::size_t(x1 - x0) * C;
        std::vector<T> rings[2] = {std::vector<T>(n * span), std::vector<T>(n * span)};
        std::vector<float> sums[3] = {std::vector<float>(n), std::vector<float>(n), std::vector<float>(n)};
        auto rowOf = [&](int pass, int y) -> T* { // pass 0 reads the plane, pass 3 writes it
            return pass == 0 || pass == 3 ? plane.Row(y) + begin : rings[pass - 1].data() + std::size_t(y % span) * n;
        };
        for (int t = r + 1; t <= height - 1 + r; ++t)
            for (int pass = 0; pass < 3; ++pass) {
                const int y = t - pass * (r + 1);
                if (y < r + 1 || y + r + 1 >= height)
                    continue;
                float* sum = sums[pass].data();
                if (y == r + 1)
                    for (int k = 1; k <= 2 * r + 1; ++k) {
                        const T* in = rowOf(pass, k);
                        for (std::size_t i = 0; i < n; ++i)
                            sum[i] += float(in[i]);
                    }
                ColumnStep(rowOf(pass, y - r - 1), rowOf(pass, y + r + 1), rowOf(pass, y - r), rowOf(pass + 1, y), sum,
                           n, box.inner, box.outer);
            }
    });
}

// Pixel reach of GaussianBlur's passes for a standard deviation: the padding a plane needs.
int GaussianReach(double sigma)
{
    return 3 * (BoxForVariance(sigma * sigma / 3.0).r + 1);
}

// Three extended-box passes across and three down approximate a Gaussian of standard deviation sigma; the
// cost does not grow with sigma. Values within GaussianReach(sigma) of the plane's border are not meaningful.
template <typename T, int C>
void GaussianBlur(Plane<T, C>& plane, double sigma)
{
    const ExtendedBox box = BoxForVariance(sigma * sigma / 3.0);
    // The three passes across run on one row at a time, while it is in the cache, and the last writes it back
    // (its ends, which the passes do not write, keep their values).
    ForEachRowBand(plane.height, double(plane.width) * 6 * C, [&](int y0, int y1) {
        std::vector<T> first(std::size_t(plane.width) * C), second(first.size());
        std::vector<std::uint32_t> prefix(first.size());
        for (int y = y0; y < y1; ++y) {
            BoxRow<T, C>(plane.Row(y), first.data(), plane.width, box, prefix.data());
            BoxRow<T, C>(first.data(), second.data(), plane.width, box, prefix.data());
            BoxRow<T, C>(second.data(), plane.Row(y), plane.width, box, prefix.data());
        }
    });
    BoxColumns(plane, box);
}

}  // namespace

// Each channel is stretched linearly so that its low end inside the area becomes 0 and its high end 255. The
// ends are found after setting aside the darkest and the lightest 0.5 % of the pixels, so a few stray pixels
// do not stop the stretch; a channel whose ends meet is kept.
Picture AutoContrast(const Picture& picture, const Area& area)
{
    Picture out = picture;
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    if (rect.IsEmpty())
        return out;
    std::array<std::array<std::int64_t, 256>, 3> histogram{};
    for (int y = rect.y0; y < rect.y1; ++y) {
        const std::uint8_t* p = picture.Row(y) + 3 * std::size_t(rect.x0);
        for (int x = rect.x0; x < rect.x1; ++x, p += 3)
            for (int c = 0; c < 3; ++c)
                ++histogram[std::size_t(c)][p[c]];
    }
    const std::int64_t count = std::int64_t(rect.x1 - rect.x0) * (rect.y1 - rect.y0);
    const std::int64_t clip = count / 200;
    std::array<ByteTable, 3> tables{};
    for (std::size_t c = 0; c < 3; ++c) {
        int low = 0, high = 255;
        for (std::int64_t seen = histogram[c][0]; seen <= clip && low < 255; seen += histogram[c][std::size_t(++low)]) {
        }
        for (std::int64_t seen = histogram[c][255]; seen <= clip && high > 0; seen += histogram[c][std::size_t(--high)]) {
        }
        const int span = high - low;
        for (int v = 0; v < 256; ++v)
            tables[c][std::size_t(v)] =
                span <= 0 ? std::uint8_t(v) : ClampByte(((v - low) * 510 + span) / (2 * span));
    }
    MapChannels(out, rect, tables);
    return out;
}

// Wet ink: colours spread by a Gaussian of standard deviation reach / 2, reach = 1 + value / 10 pixels, in
// which every pixel weighs 16 + 240 x ink^2 (ink = 1 - luma / 255): dark colours carry up to 16 times the
// weight of white paper, so they run into light parts and keep their own. Each pixel then reads the spread
// colour from a point up to reach / 4 away (seeded, triangular), which makes the wet edges ragged.
Picture Bled(const Picture& picture, int value, const Area& area)
{
    CheckRange("Bleed value", value, 1, 1000);
    Picture out = picture;
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    if (rect.IsEmpty())
        return out;
    const double reach = 1.0 + value / 10.0, sigma = reach / 2.0, jitter = reach / 4.0;
    std::array<std::uint16_t, 256> weightOfLuma{};
    for (int l = 0; l < 256; ++l) {
        const double ink = (255 - l) / 255.0;
        weightOfLuma[std::size_t(l)] = std::uint16_t(16 + std::lround(240.0 * ink * ink));
    }
    // Weighted colour (w x channel) and w x 255, so both keep 16-bit precision through the passes.
    auto plane = PaddedPlane<std::uint16_t, 4>(
        picture, rect, GaussianReach(sigma) + int(std::ceil(jitter)), [&](const std::uint8_t* p, std::uint16_t* q) {
            const unsigned w = weightOfLuma[std::size_t(Luma(p))];
            q[0] = std::uint16_t(w * p[0]);
            q[1] = std::uint16_t(w * p[1]);
            q[2] = std::uint16_t(w * p[2]);
            q[3] = std::uint16_t(w * 255);
        });
    GaussianBlur(plane, sigma);
    ForEachRowBand(rect.y1 - rect.y0, double(rect.x1 - rect.x0) * 20, [&](int b0, int b1) {
        for (int y = rect.y0 + b0; y < rect.y0 + b1; ++y) {
            std::uint8_t* o = out.Row(y) + 3 * std::size_t(rect.x0);
            for (int x = rect.x0; x < rect.x1; ++x, o += 3) {
                const std::uint64_t h = PositionHash(std::uint64_t(x), std::uint64_t(y), 0);
                const int dx = int(std::lround((HashLane(h, 0) + HashLane(h, 1)) / 2 * jitter));
                const int dy = int(std::lround((HashLane(h, 2) + HashLane(h, 3)) / 2 * jitter));
                const std::uint16_t* q =
                    plane.Row(y - rect.y0 + plane.pad + dy) + std::size_t(x - rect.x0 + plane.pad + dx) * 4;
                const std::uint32_t weight = std::max<std::uint32_t>(1, q[3]);
                for (int c = 0; c < 3; ++c)
                    o[c] = ClampByte(int((std::uint32_t(q[c]) * 255 + weight / 2) / weight));
            }
        }
    });
    return out;
}

// A Gaussian blur of standard deviation `value` pixels (see GaussianBlur). The picture's edges repeat: the
// passes run on the area padded with their whole reach of edge-extended pixels, so every result is that of
// the Gaussian on the edge-extended picture.
Picture Blur(const Picture& picture, int value, const Area& area)
{
    CheckRange("Blur value", value, 1, 100);
    Picture out = picture;
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    if (rect.IsEmpty())
        return out;
    auto plane = PaddedPlane<std::uint8_t, 3>(picture, rect, GaussianReach(value),
                                              [](const std::uint8_t* p, std::uint8_t* q) { std::memcpy(q, p, 3); });
    GaussianBlur(plane, value);
    for (int y = rect.y0; y < rect.y1; ++y)
        std::memcpy(out.Row(y) + 3 * std::size_t(rect.x0), plane.Row(y - rect.y0 + plane.pad) + 3 * std::size_t(plane.pad),
                    3 * std::size_t(rect.x1 - rect.x0));
    return out;
}

// A page curl on a cylinder. The lifted corner is cut off by a fold line through the points `a` along the
// corner's horizontal edge and `b` along its vertical edge (vertical roll: a = 35 % of the width, b = 60 % of
// the height; horizontal roll: the other way round). Page points at distance t beyond the fold wrap round a
// cylinder of radius R = 6 % of the shorter side lying on the fold (they show at R sin(t / R)), and past half
// a turn lie flat and mirrored over the page. The back of the page is the curl colour (fore colour for a
// foreground curl, back colour for a background curl) lit like a cylinder and mixed with the picture showing
// through at 1 - opacity. Where the page has gone, the picture stays when `original` is set, else the fore
// colour (foreground) or the back colour (background) shows; `underShade` casts a shadow there along the
// curl. The corner: with a vertical roll, a lower corner curls (lower left or lower right); with a horizontal
// roll, an upper one (upper left or upper right).
Picture Curl(const Picture& picture, bool foreground, bool background, bool original, bool foregroundCurl,
             bool backgroundCurl, double opacity, bool underShade, bool lowerLeft, bool lowerRight, bool upperLeft,
             bool upperRight, bool vertical, bool horizontal, std::uint8_t backRed, std::uint8_t backGreen,
             std::uint8_t backBlue, std::uint8_t foreRed, std::uint8_t foreGreen, std::uint8_t foreBlue,
             const Area& area)
{
    CheckRange("Curl opacity", opacity, 0.0, 1.0);
    Picture out = picture;
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    if (rect.IsEmpty())
        return out;
    const bool roll = vertical || !horizontal; // vertical unless only horizontal is chosen
    const bool right = roll ? (lowerRight || !lowerLeft) : (upperRight && !upperLeft);
    const bool bottom = roll;
    const Bgr fore{foreBlue, foreGreen, foreRed}, back{backBlue, backGreen, backRed};
    const Bgr paper = (foregroundCurl || !backgroundCurl) ? fore : back;
    const Bgr uncovered = (foreground || !background) ? fore : back;

    const double w = rect.x1 - rect.x0, h = rect.y1 - rect.y0;
    // Corner in area coordinates, and the fold's two points on the corner's edges.
    const double cx = right ? w : 0.0, cy = bottom ? h : 0.0;
    const double a = (roll ? 0.35 : 0.6) * w, b = (roll ? 0.6 : 0.35) * h;
    const double px = right ? cx - a : cx + a, py = cy; // on the horizontal edge
    const double qx = cx, qy = bottom ? cy - b : cy + b; // on the vertical edge
    // Unit normal of the fold line pointing toward the corner.
    double nx = qy - py, ny = px - qx;
    const double len = std::hypot(nx, ny);
    nx /= len;
    ny /= len;
    if ((cx - px) * nx + (cy - py) * ny < 0) {
        nx = -nx;
        ny = -ny;
    }
    const double radius = std::max(1.0, 0.06 * std::min(w, h));
    const double halfTurn = std::numbers::pi * radius;
    auto insidePage = [&](double x, double y) { return x >= 0 && y >= 0 && x < w && y < h; };
    // The flat part of the curl reaches no farther back from the fold than the corner lies beyond it.
    const double reachBack = (cx - px) * nx + (cy - py) * ny - halfTurn;

    ForEachRowBand(rect.y1 - rect.y0, double(rect.x1 - rect.x0) * 40, [&](int b0, int b1) {
        for (int y = rect.y0 + b0; y < rect.y0 + b1; ++y) {
            std::uint8_t* o = out.Row(y) + 3 * std::size_t(rect.x0);
            for (int x = rect.x0; x < rect.x1; ++x, o += 3) {
                const double ux = x - rect.x0 + 0.5, uy = y - rect.y0 + 0.5;
                const double d = (ux - px) * nx + (uy - py) * ny; // signed distance beyond the fold
                if (d < 0 && d < -reachBack)
                    continue;
                // Foot of the pixel on the fold line; page points lie at foot + t * n.
                const double fx = ux - d * nx, fy = uy - d * ny;
                double t = -1, light = 1;
                if (d >= 0 && d <= radius) {
                    const double theta = std::numbers::pi - std::asin(std::min(1.0, d / radius)); // upper layer
                    t = radius * theta;
                    light = 0.7 + 0.3 * std::sin(theta);
                    if (!insidePage(fx + t * nx, fy + t * ny))
                        t = -1;
                } else if (d < 0) {
                    t = halfTurn - d; // the flat, mirrored part of the curl
                    light = 0.7;
                    if (!insidePage(fx + t * nx, fy + t * ny))
                        t = -1;
                }
                if (t >= 0) {
                    const double sx = fx + t * nx, sy = fy + t * ny;
                    const int ix = rect.x0 + std::clamp(int(sx), 0, int(w) - 1);
                    const int iy = rect.y0 + std::clamp(int(sy), 0, int(h) - 1);
                    const std::uint8_t* s = picture.Row(iy) + 3 * std::size_t(ix);
                    const std::uint8_t paperBgr[3] = {paper.b, paper.g, paper.r};
                    for (int c = 0; c < 3; ++c)
                        o[c] = ClampByte(int(std::lround(light * (opacity * paperBgr[c] + (1 - opacity) * s[c]))));
                    continue;
                }
                if (d > 0) {
                    // Where the page was: the picture or the colour, shaded along the curl.
                    double shade = 1;
                    if (underShade && d < 3 * radius)
                        shade = 0.45 + 0.55 * std::clamp((d - radius) / (2 * radius), 0.0, 1.0);
                    if (!original) {
                        o[0] = uncovered.b;
                        o[1] = uncovered.g;
                        o[2] = uncovered.r;
                    }
                    for (int c = 0; c < 3; ++c)
                        o[c] = ClampByte(int(std::lround(o[c] * shade)));
                }
            }
        }
    });
    return out;
}

// Sobel gradient of each channel; the edge brightness is |gradient| / 4 * value / 10, so a full black-white
// step at the default 10 gives 255 and flat parts give black. Neighbours outside the picture repeat its edge.
Picture Edge(const Picture& picture, int value, const Area& area)
{
    CheckRange("Edge value", value, 1, 20);
    Picture out = picture;
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    if (rect.IsEmpty())
        return out;
    const float scale = float(value) / 40.0f;
    const int maxX = picture.Width() - 1, maxY = picture.Height() - 1;
    ForEachRowBand(rect.y1 - rect.y0, double(rect.x1 - rect.x0) * 30, [&](int b0, int b1) {
        for (int y = rect.y0 + b0; y < rect.y0 + b1; ++y) {
            const std::uint8_t* up = picture.Row(std::max(y - 1, 0));
            const std::uint8_t* mid = picture.Row(y);
            const std::uint8_t* down = picture.Row(std::min(y + 1, maxY));
            std::uint8_t* o = out.Row(y);
            for (int x = rect.x0; x < rect.x1; ++x) {
                const std::size_t l = 3 * std::size_t(std::max(x - 1, 0)), c = 3 * std::size_t(x),
                                  r = 3 * std::size_t(std::min(x + 1, maxX));
                for (std::size_t k = 0; k < 3; ++k) {
                    const int gx = (up[r + k] + 2 * mid[r + k] + down[r + k]) - (up[l + k] + 2 * mid[l + k] + down[l + k]);
                    const int gy = (down[l + k] + 2 * down[c + k] + down[r + k]) - (up[l + k] + 2 * up[c + k] + up[r + k]);
                    const float magnitude = std::sqrt(float(gx * gx + gy * gy));
                    o[c + k] = std::uint8_t(std::min(255.0f, magnitude * scale + 0.5f));
                }
            }
        }
    });
    return out;
}

// A grey relief: 128 + (L(x-1, y-1) - L(x+1, y+1)) * value / 2 with L the luma, so light falls from the
// upper left and the depth grows with `value`. Neighbours outside the picture repeat its edge.
Picture Engrave(const Picture& picture, int value, const Area& area)
{
    CheckRange("Engrave value", value, 1, 100);
    Picture out = picture;
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    if (rect.IsEmpty())
        return out;
    const int maxX = picture.Width() - 1, maxY = picture.Height() - 1;
    for (int y = rect.y0; y < rect.y1; ++y) {
        const std::uint8_t* up = picture.Row(std::max(y - 1, 0));
        const std::uint8_t* down = picture.Row(std::min(y + 1, maxY));
        std::uint8_t* o = out.Row(y);
        for (int x = rect.x0; x < rect.x1; ++x) {
            const int diff = Luma(up + 3 * std::size_t(std::max(x - 1, 0))) - Luma(down + 3 * std::size_t(std::min(x + 1, maxX)));
            const std::uint8_t grey = ClampByte(128 + (diff * value) / 2);
            std::uint8_t* p = o + 3 * std::size_t(x);
            p[0] = p[1] = p[2] = grey;
        }
    }
    return out;
}

// Per channel: v + cast, where the cast is 0.3 x (that part of the colour - the mean of its three parts), so
// a grey colour casts nothing; then contrast around 128 by a factor 1 + contrast / 250 (1..5); then
// brightness / 4 added (0..250).
Picture Enhance(const Picture& picture, int brightness, int contrast, int blue, int green, int red,
                const Area& area)
{
    CheckRange("Enhance brightness", brightness, 0, 1000);
    CheckRange("Enhance contrast", contrast, 0, 1000);
    for (int part : {blue, green, red})
        CheckRange("Enhance colour part", part, 0, 1000);
    Picture out = picture;
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    const double mean = (blue + green + red) / 3.0;
    const double parts[3] = {double(blue), double(green), double(red)};
    const double factor = 1.0 + contrast / 250.0;
    std::array<ByteTable, 3> tables{};
    for (std::size_t c = 0; c < 3; ++c) {
        const double cast = 0.3 * (parts[c] - mean);
        for (int v = 0; v < 256; ++v) {
            const double result = (v + cast - 128.0) * factor + 128.0 + brightness / 4.0;
            tables[c][std::size_t(v)] = ClampByte(int(std::lround(std::clamp(result, -1.0, 256.0))));
        }
    }
    MapChannels(out, rect, tables);
    return out;
}

// Square blocks of side size x (levels + 1) pixels from the top left corner, each filled with its mean
// colour and raised by a bevel: lit from the upper left (top and left faces lighter), shadowed to the lower
// right. Brighter blocks stand higher: the bevel is 1 + side x (0.05 + 0.2 x mean luma / 255) pixels wide.
Picture ExtrudeDib(const Picture& picture, int levels, int size)
{
    CheckRange("Extrude levels", levels, 1, 100);
    CheckRange("Extrude size", size, 1, 100);
    Picture out = picture;
    const int side = size * (levels + 1);
    const int width = picture.Width(), height = picture.Height();
    for (int by = 0; by < height; by += side) {
        const int bh = std::min(side, height - by);
        for (int bx = 0; bx < width; bx += side) {
            const int bw = std::min(side, width - bx);
            std::int64_t sum[3] = {0, 0, 0};
            for (int y = by; y < by + bh; ++y) {
                const std::uint8_t* p = picture.Row(y) + 3 * std::size_t(bx);
                for (int x = 0; x < bw; ++x, p += 3)
                    for (int c = 0; c < 3; ++c)
                        sum[c] += p[c];
            }
            const std::int64_t count = std::int64_t(bw) * bh;
            std::uint8_t face[3], lit[3], dim[3], dark[3];
            for (int c = 0; c < 3; ++c) {
                face[c] = std::uint8_t((sum[c] + count / 2) / count);
                lit[c] = Mix(face[c], 255, 0.45);
                dim[c] = Mix(face[c], 255, 0.2);
                dark[c] = Mix(face[c], 0, 0.45);
            }
            const int bevel = 1 + int(side * (0.05 + 0.2 * Luma(face) / 255.0));
            for (int j = 0; j < bh; ++j) {
                std::uint8_t* o = out.Row(by + j) + 3 * std::size_t(bx);
                for (int i = 0; i < bw; ++i, o += 3) {
                    const int top = j, left = i, rightSide = bw - 1 - i, bottomSide = bh - 1 - j;
                    const int nearest = std::min({top, left, rightSide, bottomSide});
                    const std::uint8_t* colour = face;
                    if (nearest < bevel) {
                        if (nearest == top)
                            colour = lit;
                        else if (nearest == left)
                            colour = dim;
                        else
                            colour = dark;
                    }
                    std::memcpy(o, colour, 3);
                }
            }
        }
    }
    return out;
}

// Pixels nearer than `border` to the area's edge move toward the colour: a pixel d pixels in (0 at the edge)
// becomes (border - d) / border of the colour.
Picture FadeDib(const Picture& picture, int border, int red, int green, int blue, const Area& area)
{
    CheckRange("Fade border", border, 1, 100);
    for (int part : {red, green, blue})
        CheckRange("Fade colour part", part, 0, 255);
    Picture out = picture;
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    const int colour[3] = {blue, green, red};
    for (int y = rect.y0; y < rect.y1; ++y) {
        const int dy = std::min(y - rect.y0, rect.y1 - 1 - y);
        std::uint8_t* o = out.Row(y);
        for (int x = rect.x0; x < rect.x1; ++x) {
            const int d = std::min({dy, x - rect.x0, rect.x1 - 1 - x});
            if (d >= border) {
                x = std::max(x, rect.x1 - border - 1); // jump over the inside of the row
                continue;
            }
            const double amount = double(border - d) / border;
            std::uint8_t* p = o + 3 * std::size_t(x);
            for (int c = 0; c < 3; ++c)
                p[c] = Mix(p[c], colour[c], amount);
        }
    }
    return out;
}

}  // namespace zelpix::effects
