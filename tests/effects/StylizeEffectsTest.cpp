#include "EffectTestPictures.h"
#include "effects/ops/StylizeEffects.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace zelpix::effects {
namespace {

using test::Flat;
using test::MakePicture;

Bgr Grey(int v) { return Bgr{std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)}; }

TEST(StylizeEffects, FlatPicturesStayFlat)
{
    const Picture flat = Flat(40, 30, Bgr{30, 140, 220});
    struct Case {
        std::string name;
        Picture out;
    };
    const std::vector<Case> cases = {
        {"Motion", Motion(flat, 30, 45, 2, Area{})}, {"OilPaint", OilPainting(flat, 4, Area{})},
        {"PixelFix", PixelFix(flat, 7, Area{})},    {"Sharp", Better(flat, 15, Area{})},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(c.out.SamePixels(flat)) << c.name;
}

// ---- Half Tone

TEST(HalfTone, KeepsWhiteAndBlackAndTheMeanToneForEveryShape)
{
    for (int shape = 0; shape <= 6; ++shape) {
        EXPECT_TRUE(HToneImage(Flat(20, 20, Grey(255)), 6, 15.0f, shape).SamePixels(Flat(20, 20, Grey(255))));
        EXPECT_TRUE(HToneImage(Flat(20, 20, Grey(0)), 6, 15.0f, shape).SamePixels(Flat(20, 20, Grey(0))));
        const Picture grey = Flat(120, 120, Grey(100));
        for (int cell : {1, 4, 12}) {
            const Picture out = HToneImage(grey, cell, 0.0f, shape);
            EXPECT_NEAR(test::MeanLevel(out), 100.0, 3.0) << "shape " << shape << " cell " << cell;
        }
        // Large cells make a screen of ink and paper, not a flat grey.
        const Picture screen = HToneImage(grey, 12, 0.0f, shape);
        std::set<int> levels;
        for (int x = 0; x < 120; ++x)
            levels.insert(screen.Pixel(x, 60).g);
        EXPECT_TRUE(levels.count(0) == 1 || levels.count(255) == 1) << shape;
    }
}

TEST(HalfTone, CellSizeIsTheScreenPeriodAndAngleTurnsIt)
{
    // Pixels one cell apart match but for the random placing of the sub-samples; half a cell apart they differ.
    const Picture grey = Flat(100, 100, Grey(140));
    for (int cell : {6, 10, 24}) {
        const Picture out = HToneImage(grey, cell, 0.0f, 0);
        double period = 0, half = 0;
        for (int y = 0; y + cell < 100; ++y)
            for (int x = 0; x + cell < 100; ++x) {
                period += std::abs(out.Pixel(x, y).g - out.Pixel(x + cell, y).g) +
                          std::abs(out.Pixel(x, y).g - out.Pixel(x, y + cell).g);
                half += std::abs(out.Pixel(x, y).g - out.Pixel(x + cell / 2, y).g) +
                        std::abs(out.Pixel(x, y).g - out.Pixel(x, y + cell / 2).g);
            }
        EXPECT_LT(period * 4, half) << cell;
    }
    const Picture straight = HToneImage(grey, 10, 0.0f, 2);
    const Picture turned = HToneImage(grey, 10, 45.0f, 2);
    EXPECT_FALSE(straight.SamePixels(turned));
    // A quarter turn of a square screen is the same screen.
    EXPECT_LT(zelpix::test::MeanChannelDifference(straight, HToneImage(grey, 10, 90.0f, 2)), 1.0);
}

TEST(HalfTone, TheSevenShapesDiffer)
{
    const Picture in = test::Smooth(80, 60);
    std::vector<Picture> results;
    for (int shape = 0; shape <= 6; ++shape) {
        results.push_back(HToneImage(in, 10, 0.0f, shape));
        for (int other = 0; other < shape; ++other)
            EXPECT_FALSE(results.back().SamePixels(results[std::size_t(other)])) << shape << " vs " << other;
    }
}

// ---- Motion

TEST(Motion, SmearsALightPointAlongTheAngleOverValuePixels)
{
    Picture dot = Flat(41, 41, Grey(0));
    dot.SetPixel(20, 20, Grey(255));
    struct Case {
        int angle, mode;
        int dx, dy;      // direction of the trail from the point
        int first, last; // steps along it that light up
    };
    // Mode 1 averages behind each pixel, so the trail lies ahead of the point; mode 3 the other way round.
    const std::vector<Case> cases = {
        {0, 1, 1, 0, 0, 8}, {0, 3, 1, 0, -8, 0}, {0, 2, 1, 0, -4, 4}, {90, 1, 0, -1, 0, 8}, {180, 1, -1, 0, 0, 8},
    };
    for (const Case& c : cases) {
        const Picture out = Motion(dot, 9, c.angle, c.mode, Area{});
        int lit = 0;
        for (int y = 0; y < 41; ++y)
            for (int x = 0; x < 41; ++x)
                lit += out.Pixel(x, y).g > 0 ? 1 : 0;
        EXPECT_EQ(lit, 9) << c.angle << "/" << c.mode;
        for (int k = c.first; k <= c.last; ++k)
            EXPECT_EQ(out.Pixel(20 + k * c.dx, 20 + k * c.dy).g, 28) << c.angle << "/" << c.mode << " step " << k;
    }
}

// ---- Oil Paint

TEST(OilPaint, RemovesSpecklesAndKeepsFewColoursFew)
{
    // Two colour halves with a few odd pixels sprinkled in.
    Picture in = MakePicture(40, 40, [](int x, int) { return x < 20 ? Bgr{200, 40, 40} : Bgr{30, 200, 90}; });
    in.SetPixel(8, 8, Grey(255));
    in.SetPixel(30, 12, Grey(0));
    const Picture out = OilPainting(in, 3, Area{});
    EXPECT_EQ(out.Pixel(8, 8), (Bgr{200, 40, 40}));
    EXPECT_EQ(out.Pixel(30, 12), (Bgr{30, 200, 90}));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const Bgr c = out.Pixel(x, y);
            ASSERT_TRUE(c == (Bgr{200, 40, 40}) || c == (Bgr{30, 200, 90})) << x << "," << y;
        }
}

TEST(OilPaint, MatchesAPlainCountOfEveryWindow)
{
    // The sliding window and the level it follows against counting each window from scratch.
    const Picture in = zelpix::test::MakeTestPicture(37, 29, 21);
    auto plain = [&](int x, int y, int radius) {
        int count[32] = {}, sum[32][3] = {};
        for (int j = y - radius; j <= y + radius; ++j)
            for (int i = x - radius; i <= x + radius; ++i) {
                const Bgr c = in.Pixel(std::clamp(i, 0, 36), std::clamp(j, 0, 28));
                const int level = (c.b + c.g + c.r) * 32 / 766;
                ++count[level], sum[level][0] += c.b, sum[level][1] += c.g, sum[level][2] += c.r;
            }
        int best = 0;
        for (int l = 1; l < 32; ++l)
            if (count[l] > count[best])
                best = l;
        const int n = count[best];
        return Bgr{std::uint8_t((sum[best][0] + n / 2) / n), std::uint8_t((sum[best][1] + n / 2) / n),
                   std::uint8_t((sum[best][2] + n / 2) / n)};
    };
    for (int radius : {1, 3, 20}) {
        const Picture out = OilPainting(in, radius, Area{});
        for (int y = 0; y < 29; ++y)
            for (int x = 0; x < 37; ++x)
                ASSERT_EQ(out.Pixel(x, y), plain(x, y, radius)) << x << "," << y << " radius " << radius;
    }
}

// ---- Pixel Fix

TEST(PixelFix, EachBlockTakesItsMeanColourFromTheAreaCorner)
{
    const Picture in = MakePicture(7, 5, [](int x, int y) { return Grey(10 * x + 40 * y); });
    const Picture out = PixelFix(in, 3, Area{1, 1, 0, 0});
    // First block: x 1..3, y 1..3: mean of 10x + 40y = 20 + 80.
    EXPECT_EQ(out.Pixel(1, 1), Grey(100));
    EXPECT_EQ(out.Pixel(3, 3), Grey(100));
    // Blocks at the right and bottom edges are cut short: x 4..6, y 4: mean 50 + 160.
    EXPECT_EQ(out.Pixel(6, 4), Grey(210));
    EXPECT_EQ(out.Pixel(0, 0), in.Pixel(0, 0));
    EXPECT_TRUE(PixelFix(in, 1, Area{}).SamePixels(in));
}

// ---- Sharp

TEST(Sharp, RaisesContrastAtEdgesInProportionToTheValue)
{
    // A centre of 100 among eights of 50: 100 + value * (800 - 400) / 36, rounded.
    Picture in = Flat(3, 3, Grey(50));
    in.SetPixel(1, 1, Grey(100));
    struct Case {
        int value, centre;
    };
    for (const Case& c : std::vector<Case>{{1, 111}, {5, 156}, {9, 200}, {15, 255}})
        EXPECT_EQ(Better(in, c.value, Area{}).Pixel(1, 1), Grey(c.centre)) << c.value;
    // A corner sees the centre once and repeated edges otherwise: 50 + 9 * (400 - 450) / 36.
    EXPECT_EQ(Better(in, 9, Area{}).Pixel(0, 0), Grey(37));
}

// ---- Tile

TEST(Tile, LaysTilesOfThePictureOverGrout)
{
    const Picture in = zelpix::test::MakeTestPicture(146, 113, 4);
    const Picture out = TileDib(in);
    int grout = 0, kept = 0;
    for (int y = 0; y < 113; ++y)
        for (int x = 0; x < 146; ++x) {
            grout += out.Pixel(x, y) == Grey(255) && !(in.Pixel(x, y) == Grey(255)) ? 1 : 0;
            kept += out.Pixel(x, y) == in.Pixel(x, y) ? 1 : 0;
        }
    // Some paper shows between the tiles, and most pixels show the picture, moved by a few pixels at most.
    EXPECT_GT(grout, 146 * 113 / 40);
    EXPECT_LT(grout, 146 * 113 / 3);
    EXPECT_LT(kept, 146 * 113 * 3 / 4);
    // Tiny pictures have no room for grout.
    EXPECT_TRUE(TileDib(Flat(2, 2, Grey(9))).SamePixels(Flat(2, 2, Grey(9))));
}

}  // namespace
}  // namespace zelpix::effects
