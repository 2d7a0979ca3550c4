#include "effects/ops/StylizeEffects.h"

#include "effects/ops/AreaResult.h"
#include "effects/ops/ParallelRows.h"
#include "effects/ops/SeededNoise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <numeric>
#include <vector>

namespace zelpix::effects {

namespace {

// The pixels of `rect` grown by `pad` on every side, positions beyond the picture repeating its edge pixels.
// Rows are (width + 2 pad) * 3 bytes; pixel (x, y) of the picture is at Pixel(x - rect.x0, y - rect.y0).
class PaddedRegion {
public:
    PaddedRegion(const Picture& picture, const PixelRect& rect, int pad)
        : x0_(rect.x0 - pad), y0_(rect.y0 - pad), width_(rect.x1 - rect.x0 + 2 * pad),
          height_(rect.y1 - rect.y0 + 2 * pad), pad_(pad), data_(std::size_t(width_) * 3 * std::size_t(height_))
    {
        const int w = picture.Width();
        const int inFirst = std::max(x0_, 0), inEnd = std::min(x0_ + width_, w);
        for (int j = 0; j < height_; ++j) {
            const std::uint8_t* src = picture.Row(std::clamp(y0_ + j, 0, picture.Height() - 1));
            std::uint8_t* dst = data_.data() + std::size_t(j) * 3 * std::size_t(width_);
            for (int x = x0_; x < inFirst; ++x)
                std::memcpy(dst + 3 * std::size_t(x - x0_), src, 3);
            if (inEnd > inFirst)
                std::memcpy(dst + 3 * std::size_t(inFirst - x0_), src + 3 * std::size_t(inFirst),
                            3 * std::size_t(inEnd - inFirst));
            for (int x = std::max(inEnd, x0_); x < x0_ + width_; ++x)
                std::memcpy(dst + 3 * std::size_t(x - x0_), src + 3 * std::size_t(w - 1), 3);
        }
    }
    // Row y of the picture (rect.y0 - pad <= y < rect.y1 + pad), starting at column rect.x0 - pad.
    const std::uint8_t* Row(int y) const { return data_.data() + std::size_t(y - y0_) * 3 * std::size_t(width_); }
    // Byte offset of column x within a row.
    std::size_t Column(int x) const { return 3 * std::size_t(x - x0_); }
    int Pad() const { return pad_; }

private:
    int x0_, y0_, width_, height_, pad_;
    std::vector<std::uint8_t> data_;
};

// The halftone spots: for a position (u, v) in -0.5..0.5 of a screen cell, a number that grows from where the
// dot starts to where it ends; ink covers the positions of lowest rank first.
struct Spot {
    int shape;
    // cellU is the position across the cell (0..1), for the shapes that vary along it.
    double operator()(double u, double v, double cellU) const
    {
        switch (shape) {
        case 0: return (u * u + v * v) * 2.0;                                  // circle
        case 1: return (u * u + v * v / 0.36) / (0.25 + 0.25 / 0.36);          // ellipse, 1 : 0.6
        case 2: return std::max(u * u, v * v) * 4.0;                           // square
        case 3: return (std::abs(u) + std::abs(v)) * (std::abs(u) + std::abs(v)); // diamond
        case 4: {                                                              // wavy lines
            double t = v + 0.25 * std::sin(2 * std::numbers::pi * cellU);
            t -= std::floor(t + 0.5);
            return std::abs(t) * 2.0;
        }
        case 5: return std::max(u * u, 4 * v * v);                             // quadrangle, 2 : 1
        default: return 1.0 - std::max(u * u, v * v) * 4.0;                   // inset square: ink from the cell edge in
        }
    }
};

}  // namespace

// The screen is a grid of cells `cellSize` pixels wide turned by `angle` degrees. Each pixel is split into
// S x S sub-samples (S = 4 for cells under 8 pixels, else 2); a sub-sample at cell position (u, v) is inked in a
// channel when the spot's rank there is below that channel's darkness (255 - c) / 255, and the channel becomes
// 255 minus 255 times the inked share. So light areas get small dots, dark areas large ones, and colours keep
// their hue.
Picture HToneImage(const Picture& picture, int cellSize, float angle, int shape)
{
    if (picture.IsEmpty())
        return Picture(picture);
    Picture out(picture.Width(), picture.Height());
    const double cell = std::clamp(cellSize, 1, 50);
    const double turn = (std::isnan(angle) ? 0.0 : double(std::clamp(angle, 0.0f, 360.0f))) * std::numbers::pi / 180.0;
    const double c = std::cos(turn) / cell, s = std::sin(turn) / cell;
    // The spot's ranks sampled on a fine grid over one cell, scaled to darkness levels 0..255.
    constexpr int Grid = 64;
    const Spot spot{std::clamp(shape, 0, 6)};
    // Each rank is then replaced by its place in the sorted order, so a darkness d inks the share d of a cell
    // whatever the shape: the dots keep their form and the screen keeps the picture's tones.
    std::vector<double> shapeRank(Grid * Grid);
    for (int j = 0; j < Grid; ++j)
        for (int i = 0; i < Grid; ++i) {
            const double u = (i + 0.5) / Grid;
            shapeRank[std::size_t(j * Grid + i)] = spot(u - 0.5, (j + 0.5) / Grid - 0.5, u);
        }
    // Equal ranks (the rings of the square shapes, the lines) are ordered from the centre outward and then
    // by a fixed scramble, so that no row or column of a ring fills before the others.
    auto tieKey = [&](int k) {
        const double u = (k % Grid + 0.5) / Grid - 0.5, v = (k / Grid + 0.5) / Grid - 0.5;
        return std::pair{u * u + v * v, PositionHash(std::uint64_t(k), 0, 5)};
    };
    std::vector<int> order(Grid * Grid);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const double ra = shapeRank[std::size_t(a)], rb = shapeRank[std::size_t(b)];
        return ra != rb ? ra < rb : tieKey(a) < tieKey(b);
    });
    std::vector<float> rank(Grid * Grid);
    for (std::size_t k = 0; k < order.size(); ++k)
        rank[std::size_t(order[k])] = float(255.0 * (k + 0.5) / double(order.size()));
    const int n = cell < 8 ? 4 : 2;
    // A fixed grid of sub-samples would line up with the cells and miss or double whole rows of a dot, so each
    // pixel's sub-samples are moved together by a random share of their spacing: the mean tone stays true.
    const int samples = n * n;
    const int width = picture.Width();
    // Cell positions are kept as fractions of 2^32, so wrapping integer sums give the place within the cell.
    constexpr double Scale = 4294967296.0;
    const std::int64_t a = std::llround(c * Scale), b = std::llround(s * Scale); // one pixel right, one down
    const std::int64_t stepUi = a / n, stepUj = b / n, stepVi = -stepUj, stepVj = stepUi;
    ForEachRowBand(picture.Height(), 8.0 * samples * width, [&](int y0, int y1) {
        std::vector<float> ranks(static_cast<std::size_t>(samples));
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* p = picture.Row(y);
            std::uint8_t* q = out.Row(y);
            for (int x = 0; x < width; ++x, p += 3, q += 3) {
                const std::uint64_t h = PositionHash(std::uint64_t(x), std::uint64_t(y), 11);
                const std::int64_t jx = std::int64_t(h & 0xFFFF), jy = std::int64_t((h >> 16) & 0xFFFF);
                const std::int64_t u0 = x * a + y * b + ((jx * stepUi) >> 16) + ((jy * stepUj) >> 16);
                const std::int64_t v0 = y * a - x * b + ((jx * stepVi) >> 16) + ((jy * stepVj) >> 16);
                for (int j = 0; j < n; ++j)
                    for (int i = 0; i < n; ++i) {
                        const auto u = std::uint32_t(std::uint64_t(u0 + i * stepUi + j * stepUj));
                        const auto v = std::uint32_t(std::uint64_t(v0 + i * stepVi + j * stepVj));
                        ranks[std::size_t(j * n + i)] = rank[std::size_t((v >> 26) * Grid + (u >> 26))];
                    }
                for (int ch = 0; ch < 3; ++ch) {
                    const float dark = float(255 - p[ch]);
                    int inked = 0;
                    for (float r : ranks)
                        inked += r < dark ? 1 : 0;
                    q[ch] = std::uint8_t(255 - (255 * inked + samples / 2) / samples);
                }
            }
        }
    });
    return out;
}

// The mean of `value` samples along the direction of `angle` degrees (anticlockwise from the x axis), one pixel
// apart, bilinear: mode 1 takes them behind the pixel (a trail), 2 centred on it, 3 ahead of it. The picture's
// edge pixels repeat beyond it. Each step has fixed weights, so the work is whole rows of multiply-adds.
Picture Motion(const Picture& picture, int value, int angle, int mode, const Area& area)
{
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    if (rect.IsEmpty())
        return Picture(picture);
    Picture out = AreaResult(picture, rect);
    const int steps = std::clamp(value, 2, 100);
    mode = std::clamp(mode, 1, 3);
    const double a = std::clamp(angle, 0, 360) * std::numbers::pi / 180.0;
    const double dx = std::cos(a), dy = -std::sin(a);
    const double first = mode == 1 ? -(steps - 1) : (mode == 2 ? -(steps - 1) / 2.0 : 0.0);
    struct Tap {
        int ox, oy;
        std::uint16_t w00, w10, w01, w11; // in 1/256, summing to 256
    };
    std::vector<Tap> taps;
    for (int k = 0; k < steps; ++k) {
        const double ox = (first + k) * dx, oy = (first + k) * dy;
        const double fx = std::floor(ox), fy = std::floor(oy);
        const int wx = int(std::lround((ox - fx) * 256)), wy = int(std::lround((oy - fy) * 256));
        const int w11 = (wx * wy + 128) >> 8, w10 = (wx * (256 - wy) + 128) >> 8, w01 = ((256 - wx) * wy + 128) >> 8;
        taps.push_back({int(fx), int(fy), std::uint16_t(256 - w11 - w10 - w01), std::uint16_t(w10),
                        std::uint16_t(w01), std::uint16_t(w11)});
    }
    const PaddedRegion source(picture, rect, steps + 2);
    const int width = rect.x1 - rect.x0;
    const std::size_t n = 3 * std::size_t(width);
    ForEachRowBand(rect.y1 - rect.y0, 6.0 * steps * width, [&](int b0, int b1) {
        // Each tap adds an 8-bit sample, so 100 of them fit in 16 bits.
        std::vector<std::uint16_t> sum(n);
        for (int y = rect.y0 + b0; y < rect.y0 + b1; ++y) {
            std::fill(sum.begin(), sum.end(), std::uint16_t(0));
            std::uint16_t* acc = sum.data();
            for (const Tap& t : taps) {
                const std::uint8_t* r0 = source.Row(y + t.oy) + source.Column(rect.x0 + t.ox);
                const std::uint8_t* r1 = source.Row(y + t.oy + 1) + source.Column(rect.x0 + t.ox);
                const std::uint16_t w00 = t.w00, w10 = t.w10, w01 = t.w01, w11 = t.w11;
                if (w01 == 0 && w11 == 0) {
                    for (std::size_t i = 0; i < n; ++i)
                        acc[i] = std::uint16_t(acc[i] + ((r0[i] * w00 + r0[i + 3] * w10 + 128) >> 8));
                } else {
                    for (std::size_t i = 0; i < n; ++i)
                        acc[i] = std::uint16_t(
                            acc[i] + ((r0[i] * w00 + r0[i + 3] * w10 + r1[i] * w01 + r1[i + 3] * w11 + 128) >> 8));
                }
            }
            std::uint8_t* q = out.Row(y) + 3 * std::size_t(rect.x0);
            for (std::size_t i = 0; i < n; ++i)
                q[i] = std::uint8_t((acc[i] + steps / 2) / steps);
        }
    });
    return out;
}

// Within the (2 value + 1) square around each pixel (edges repeated), intensities (R + G + B) / 3 are sorted
// into 32 levels; the pixel takes the mean colour of the neighbours at the most frequent level (the darker
// level on a tie). The window slides along the row, one column in and one out per pixel.
Picture OilPainting(const Picture& picture, int value, const Area& area)
{
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    if (rect.IsEmpty())
        return Picture(picture);
    Picture out = AreaResult(picture, rect);
    const int radius = std::clamp(value, 1, 20);
    constexpr int Levels = 32;
    const PaddedRegion source(picture, rect, radius);
    const int width = rect.x1 - rect.x0;
    // The level of every pixel of the padded region, worked out once.
    const int paddedWidth = width + 2 * radius, paddedHeight = rect.y1 - rect.y0 + 2 * radius;
    std::vector<std::uint8_t> levels(std::size_t(paddedWidth) * std::size_t(paddedHeight));
    for (int j = 0; j < paddedHeight; ++j) {
        const std::uint8_t* p = source.Row(rect.y0 - radius + j);
        std::uint8_t* l = levels.data() + std::size_t(j) * std::size_t(paddedWidth);
        for (int i = 0; i < paddedWidth; ++i, p += 3)
            l[i] = std::uint8_t((p[0] + p[1] + p[2]) * Levels / 766);
    }
    auto levelAt = [&](int x, int y) {
        return levels[std::size_t(y - rect.y0 + radius) * std::size_t(paddedWidth) + std::size_t(x - rect.x0 + radius)];
    };
    ForEachRowBand(rect.y1 - rect.y0, 8.0 * (2 * radius + 1 + Levels) * width, [&](int b0, int b1) {
        struct Bin {
            int count;
            std::uint32_t b, g, r;
        };
        std::array<Bin, Levels> bins{};
        // The most frequent level (the lowest of equals) follows each added pixel; only taking a pixel from it
        // can demote it, and then the levels are searched again.
        std::size_t best = 0;
        auto search = [&] {
            best = 0;
            for (std::size_t l = 1; l < bins.size(); ++l)
                if (bins[l].count > bins[best].count)
                    best = l;
        };
        auto add = [&](int y, int x) {
            for (int j = y - radius; j <= y + radius; ++j) {
                const std::uint8_t* p = source.Row(j) + source.Column(x);
                const std::size_t l = levelAt(x, j);
                Bin& bin = bins[l];
                ++bin.count, bin.b += p[0], bin.g += p[1], bin.r += p[2];
                if (bin.count > bins[best].count || (bin.count == bins[best].count && l < best))
                    best = l;
            }
        };
        auto remove = [&](int y, int x) {
            bool searchAgain = false;
            for (int j = y - radius; j <= y + radius; ++j) {
                const std::uint8_t* p = source.Row(j) + source.Column(x);
                const std::size_t l = levelAt(x, j);
                Bin& bin = bins[l];
                --bin.count, bin.b -= p[0], bin.g -= p[1], bin.r -= p[2];
                searchAgain = searchAgain || l == best;
            }
            if (searchAgain)
                search();
        };
        for (int y = rect.y0 + b0; y < rect.y0 + b1; ++y) {
            bins.fill({});
            best = 0;
            for (int x = rect.x0 - radius; x < rect.x0 + radius; ++x)
                add(y, x);
            std::uint8_t* q = out.Row(y) + 3 * std::size_t(rect.x0);
            for (int x = rect.x0; x < rect.x1; ++x, q += 3) {
                add(y, x + radius);
                const Bin& bin = bins[best];
                const std::uint32_t half = std::uint32_t(bin.count / 2);
                q[0] = std::uint8_t((bin.b + half) / std::uint32_t(bin.count));
                q[1] = std::uint8_t((bin.g + half) / std::uint32_t(bin.count));
                q[2] = std::uint8_t((bin.r + half) / std::uint32_t(bin.count));
                remove(y, x - radius);
            }
        }
    });
    return out;
}

// Blocks of value x value pixels from the area's top-left corner (smaller at its right and bottom edges) each
// take their rounded mean colour.
Picture PixelFix(const Picture& picture, int value, const Area& area)
{
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    const int block = std::clamp(value, 1, 1000);
    if (rect.IsEmpty() || block == 1)
        return Picture(picture);
    Picture out = AreaResult(picture, rect);
    const int width = rect.x1 - rect.x0;
    const int blockRows = (rect.y1 - rect.y0 + block - 1) / block;
    const int blockColumns = (width + block - 1) / block;
    ForEachRowBand(blockRows, 6.0 * block * width, [&](int b0, int b1) {
        std::vector<std::uint64_t> sums(3 * std::size_t(blockColumns));
        for (int by = b0; by < b1; ++by) {
            const int y0 = rect.y0 + by * block, y1 = std::min(y0 + block, rect.y1);
            std::fill(sums.begin(), sums.end(), 0);
            for (int y = y0; y < y1; ++y) {
                const std::uint8_t* p = picture.Row(y) + 3 * std::size_t(rect.x0);
                for (int x = 0; x < width; ++x, p += 3) {
                    std::uint64_t* s = sums.data() + 3 * std::size_t(x / block);
                    s[0] += p[0], s[1] += p[1], s[2] += p[2];
                }
            }
            for (int bx = 0; bx < blockColumns; ++bx) {
                const int x0 = bx * block, x1 = std::min(x0 + block, width);
                const std::uint64_t count = std::uint64_t(x1 - x0) * std::uint64_t(y1 - y0);
                std::uint8_t mean[3];
                for (int c = 0; c < 3; ++c)
                    mean[c] = std::uint8_t((sums[3 * std::size_t(bx) + std::size_t(c)] + count / 2) / count);
                for (int y = y0; y < y1; ++y) {
                    std::uint8_t* q = out.Row(y) + 3 * std::size_t(rect.x0 + x0);
                    for (int x = x0; x < x1; ++x, q += 3)
                        q[0] = mean[0], q[1] = mean[1], q[2] = mean[2];
                }
            }
        }
    });
    return out;
}

// Unsharp mask on the 3 x 3 neighbourhood (edges repeated): c + value * (c - mean of the nine) / 4, that is
// c + value * (8 c - sum of the eight neighbours) / 36, rounded and limited to 0..255.
Picture Better(const Picture& picture, int value, const Area& area)
{
    const PixelRect rect = ResolveArea(area, picture.Width(), picture.Height());
    if (rect.IsEmpty())
        return Picture(picture);
    Picture out = AreaResult(picture, rect);
    const int strength = std::clamp(value, 1, 15);
    const PaddedRegion source(picture, rect, 1);
    const std::size_t n = 3 * std::size_t(rect.x1 - rect.x0);
    ForEachRowBand(rect.y1 - rect.y0, 12.0 * double(n), [&](int b0, int b1) {
        for (int y = rect.y0 + b0; y < rect.y0 + b1; ++y) {
            const std::uint8_t* up = source.Row(y - 1) + source.Column(rect.x0);
            const std::uint8_t* mid = source.Row(y) + source.Column(rect.x0);
            const std::uint8_t* down = source.Row(y + 1) + source.Column(rect.x0);
            std::uint8_t* q = out.Row(y) + 3 * std::size_t(rect.x0);
            for (std::size_t i = 0; i < n; ++i) {
                const int around = up[i - 3] + up[i] + up[i + 3] + mid[i - 3] + mid[i + 3] + down[i - 3] + down[i] +
                                   down[i + 3];
                const int d = strength * (8 * mid[i] - around);
                const int step = d >= 0 ? (d + 18) / 36 : -((18 - d) / 36);
                const int v = mid[i] + step;
                q[i] = std::uint8_t(v < 0 ? 0 : (v > 255 ? 255 : v));
            }
        }
    });
    return out;
}

// Square tiles of side T = max(2, min(width, height) / 6) pixels, each trimmed by a grout gap of g = T / 10
// pixels (none below 10) on its right and bottom and moved by a random offset of up to T / 6 pixels in x and y
// (a hash of the tile's position), laid over white grout; tiles are laid row by row, so a later tile covers an
// earlier one where they meet.
Picture TileDib(const Picture& picture)
{
    Picture out(picture);
    if (picture.IsEmpty())
        return out;
    const int w = picture.Width(), h = picture.Height();
    const int tile = std::max(2, std::min(w, h) / 6);
    const int gap = tile / 10;
    const int reach = tile / 6;
    if (gap == 0 && reach == 0)
        return out;
    out.Fill(Bgr{255, 255, 255});
    const int columns = (w + tile - 1) / tile, rows = (h + tile - 1) / tile;
    for (int ty = 0; ty < rows; ++ty) {
        for (int tx = 0; tx < columns; ++tx) {
            const std::uint64_t hash = PositionHash(std::uint64_t(tx), std::uint64_t(ty), 31);
            const int span = 2 * reach + 1;
            const int ox = int((hash & 0xFFFF) % std::uint64_t(span)) - reach;
            const int oy = int(((hash >> 16) & 0xFFFF) % std::uint64_t(span)) - reach;
            const int sx0 = tx * tile, sy0 = ty * tile;
            const int sx1 = std::min(sx0 + tile - gap, w), sy1 = std::min(sy0 + tile - gap, h);
            const int dx0 = std::clamp(sx0 + ox, 0, w), dx1 = std::clamp(sx1 + ox, 0, w);
            if (dx1 <= dx0)
                continue;
            for (int sy = sy0; sy < sy1; ++sy) {
                const int dy = sy + oy;
                if (dy < 0 || dy >= h)
                    continue;
                std::memcpy(out.Row(dy) + 3 * std::size_t(dx0), picture.Row(sy) + 3 * std::size_t(dx0 - ox),
                            3 * std::size_t(dx1 - dx0));
            }
        }
    }
    return out;
}

}  // namespace zelpix::effects
