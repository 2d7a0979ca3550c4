#include "effects/ops/ColorDepth.h"

#include "effects/ops/ParallelRows.h"
#include "imaging/ImagingError.h"

#include <algorithm>
#include <array>
#include <string>

namespace zelpix::effects {

namespace {

// The 16 standard colours of a 4-bit palette (the set is the same read as b, g, r or r, g, b).
constexpr std::array<Bgr, 16> Standard16 = {{
    {0, 0, 0},       {0, 0, 128},     {0, 128, 0},     {0, 128, 128},
    {128, 0, 0},     {128, 0, 128},   {128, 128, 0},   {192, 192, 192},
    {128, 128, 128}, {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
    {255, 0, 0},     {255, 0, 255},   {255, 255, 0},   {255, 255, 255},
}};

int Distance(int b, int g, int r, Bgr c)
{
    const int db = b - c.b, dg = g - c.g, dr = r - c.r;
    return db * db + dg * dg + dr * dr;
}

Bgr NearestStandard(int b, int g, int r)
{
    Bgr best = Standard16[0];
    int bestDistance = Distance(b, g, r, best);
    for (const Bgr& c : Standard16) {
        const int d = Distance(b, g, r, c);
        if (d < bestDistance)
            best = c, bestDistance = d;
    }
    return best;
}

// The 256-colour palette: the 6 x 6 x 6 cube of levels 0, 51, ..., 255, the 16 standard colours and the 24 greys
// 8, 18, ..., 238. Nearest entry by squared distance: the nearest cube colour and the nearest grey are found
// directly; of the standard colours only those off the cube and off the greys need a search.
constexpr int CubeLevel(int v) { return (v + 25) / 51; }

constexpr std::array<Bgr, 7> StandardOffCube = {{
    {0, 0, 128}, {0, 128, 0}, {0, 128, 128}, {128, 0, 0}, {128, 0, 128}, {128, 128, 0}, {192, 192, 192},
}};

Bgr Nearest256(int b, int g, int r)
{
    Bgr best{std::uint8_t(CubeLevel(b) * 51), std::uint8_t(CubeLevel(g) * 51), std::uint8_t(CubeLevel(r) * 51)};
    int bestDistance = Distance(b, g, r, best);
    // The grey 8 + 10k nearest to the mean (b + g + r) / 3: k = round((b + g + r - 24) / 30).
    const int sum = b + g + r;
    const std::uint8_t grey = std::uint8_t(8 + 10 * std::clamp(sum < 9 ? 0 : (sum - 9) / 30, 0, 23));
    if (const int d = Distance(b, g, r, {grey, grey, grey}); d < bestDistance)
        best = {grey, grey, grey}, bestDistance = d;
    for (const Bgr& c : StandardOffCube)
        if (const int d = Distance(b, g, r, c); d < bestDistance)
            best = c, bestDistance = d;
    return best;
}

// 5-6-5: each channel cut to its bits and widened back by repeating its top bits.
Bgr To565(int b, int g, int r)
{
    const int b5 = b >> 3, g6 = g >> 2, r5 = r >> 3;
    return {std::uint8_t((b5 << 3) | (b5 >> 2)), std::uint8_t((g6 << 2) | (g6 >> 4)), std::uint8_t((r5 << 3) | (r5 >> 2))};
}

// Black or white, whichever is nearer.
Bgr ToBlackWhite(int b, int g, int r)
{
    const std::uint8_t v = b + g + r > 382 ? 255 : 0;
    return {v, v, v};
}

template <typename Reduce>
Picture Reduced(const Picture& picture, Reduce reduce)
{
    Picture result(picture.Width(), picture.Height());
    const int width = picture.Width();
    ForEachRowBand(picture.Height(), 8.0 * width, [&](int y0, int y1) {
        const int n = width; // a local: byte stores could alias a captured reference
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* in = picture.Row(y);
            std::uint8_t* out = result.Row(y);
            for (int x = 0; x < n; ++x) {
                const Bgr c = reduce(in[3 * x], in[3 * x + 1], in[3 * x + 2]);
                out[3 * x] = c.b, out[3 * x + 1] = c.g, out[3 * x + 2] = c.r;
            }
        }
    });
    return result;
}

}  // namespace

Picture ChangeColorDepth(const Picture& picture, int depthChoice)
{
    switch (depthChoice) {
    case 0: return Reduced(picture, ToBlackWhite);
    case 1: return Reduced(picture, NearestStandard);
    case 2: return Reduced(picture, Nearest256);
    case 3: return Reduced(picture, To565);
    case 4: return picture;
    default: break;
    }
    throw ImagingError("The colour depth choice must be 0 to 4, not " + std::to_string(depthChoice) + ".");
}

}  // namespace zelpix::effects
