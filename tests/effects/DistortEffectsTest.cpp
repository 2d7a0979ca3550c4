#include "EffectTestPictures.h"
#include "effects/ops/DistortEffects.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace zelpix::effects {
namespace {

using test::MakePicture;

// Each pixel tells where it came from: red = x, green = y (pictures up to 256 on a side).
Picture Coordinates(int width, int height)
{
    return MakePicture(width, height, [](int x, int y) { return Bgr{128, std::uint8_t(y), std::uint8_t(x)}; });
}

TEST(DistortEffects, NeutralSettingsLeaveThePictureUnchanged)
{
    const Picture in = zelpix::test::MakeTestPicture(60, 50, 3);
    struct Case {
        std::string name;
        Picture out;
    };
    const std::vector<Case> cases = {
        {"Jiggle amplitude 0, shape 1", Jiggle(in, 40, 0, 1, Area{})},
        {"Jiggle amplitude 0, shape 6", Jiggle(in, 3000, 0, 6, Area{})},
        {"Lens refraction 1", Lens(in, 5, 5, 40, 30, 1.0)},
        {"Lens of one pixel (the defaults)", Lens(in, 0, 0, 1, 1, 2.0)},
        {"Lens beyond the picture", Lens(in, 60, 0, 3000, 3000, 20.0)},
        {"Wave amplitude 0", Wave(in, 0, 30, 1, true)},
        {"Spray 0 and colour 0", Spray(in, 0, 0, Area{})},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(c.out.SamePixels(in)) << c.name;
}

TEST(Jiggle, MovesPixelsByUpToTheAmplitudeInEachOfSixShapes)
{
    const Picture in = Coordinates(200, 200);
    std::vector<Picture> shapes;
    for (int shape = 1; shape <= 6; ++shape) {
        const Picture out = Jiggle(in, 25, 6, shape, Area{});
        int moved = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x) {
                const Bgr c = out.Pixel(x, y);
                // Mirrored at the borders, so a pixel near the edge can come from either side of it.
                const int fromX = c.r, fromY = c.g;
                ASSERT_LE(std::min(std::abs(fromX - x), std::abs(fromX + x + 1)), 7) << shape;
                ASSERT_LE(std::min(std::abs(fromY - y), std::abs(fromY + y + 1)), 7) << shape;
                moved += (fromX != x || fromY != y) ? 1 : 0;
            }
        EXPECT_GT(moved, 200 * 200 / 4) << shape;
        for (const Picture& other : shapes)
            EXPECT_FALSE(out.SamePixels(other)) << shape;
        shapes.push_back(out);
    }
}

TEST(Jiggle, RepeatsWithThePeriod)
{
    // Sine rows: row y and row y + period are moved by the same amount.
    int sameRows = 0, sameHalfway = 0;
    const Picture rows = Jiggle(Coordinates(120, 120), 20, 5, 1, Area{});
    for (int y = 10; y < 90; ++y) {
        sameRows += rows.Pixel(60, y).r == rows.Pixel(60, y + 20).r ? 1 : 0;
        sameHalfway += rows.Pixel(60, y).r == rows.Pixel(60, y + 10).r ? 1 : 0;
    }
    EXPECT_EQ(sameRows, 80);
    EXPECT_LT(sameHalfway, 20);
}

TEST(Lens, MagnifiesTheCentreByAboutTheRefractionIndex)
{
    // Red rises by one level per pixel; under the lens the rise near the centre slows by the magnification.
    const Picture in = Coordinates(201, 201);
    for (double index : {2.0, 5.0}) {
        const Picture out = Lens(in, 20, 20, 161, 161, index);
        const double slope = (out.Pixel(110, 100).r - out.Pixel(90, 100).r) / 20.0;
        EXPECT_NEAR(slope, 1.0 / index, 0.1 / index) << index;
        EXPECT_EQ(out.Pixel(100, 100), in.Pixel(100, 100)); // the centre stays in place
        EXPECT_TRUE(test::SameOutside(in, out, 20, 20, 181, 181));
        EXPECT_EQ(out.Pixel(20, 20), in.Pixel(20, 20)); // outside the round lens, inside its square
    }
}

TEST(Lens, TakesItsRectangleInThePixelsOfThePictureItIsAppliedTo)
{
    // The same numbers on a small and a large picture give a lens of the same pixel size at the same place.
    const Picture small = Coordinates(100, 80);
    const Picture large = Coordinates(250, 200);
    const Picture a = Lens(small, 30, 20, 40, 40, 3.0);
    const Picture b = Lens(large, 30, 20, 40, 40, 3.0);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_EQ(a.Pixel(x, y), b.Pixel(x, y));
}

TEST(Wave, RipplesRowsAndColumnsAndReflectsAtTheBorders)
{
    const Picture in = Coordinates(160, 160);
    const Picture held = Wave(in, 10, 40, 0, false);
    const Picture mirrored = Wave(in, 10, 40, 0, true);
    // Row 10: sin(2 pi 10 / 40) = 1, so it moves by the full amplitude: the pixel at x = 50 comes from x = 60.
    EXPECT_EQ(held.Pixel(50, 10).r, 60);
    // Column 10 likewise moves down by 10 rows.
    EXPECT_EQ(held.Pixel(10, 50).g, 60);
    // At the left border, row 30 (sin = -1) reaches 10 pixels outside: held at 0, or mirrored back in.
    EXPECT_EQ(held.Pixel(2, 30).r, 0);
    EXPECT_EQ(mirrored.Pixel(2, 30).r, 8);
    // A quarter period of phase: row 0 now moves fully.
    EXPECT_EQ(Wave(in, 10, 40, 25, false).Pixel(50, 0).r, 60);
}

TEST(PinchHole, DrawsThePictureTowardTheCentre)
{
    const Picture in = Coordinates(201, 201);
    double previous = 0;
    for (double value : {1.0, 3.0, 6.0}) {
        const Picture out = PinchHole(in, value, Area{});
        EXPECT_EQ(out.Pixel(100, 100), in.Pixel(100, 100));
        EXPECT_EQ(out.Pixel(0, 0), in.Pixel(0, 0)); // corners lie outside the ellipse
        // A pixel halfway out shows what lay further out.
        const int from = out.Pixel(150, 100).r;
        EXPECT_GT(from, 150) << value;
        EXPECT_GT(from, previous) << value;
        previous = from;
    }
}

TEST(Whirl, TurnsMostAtTheCentreAndNotAtTheRim)
{
    const Picture in = Coordinates(201, 201);
    const Picture out = Whirl(in, 1000.0, Area{});
    // Half a turn at the centre fades as (1 - r)^2: close to the centre a pixel comes from the other side.
    const Bgr nearCentre = out.Pixel(105, 100);
    EXPECT_NEAR(nearCentre.r, 95, 1);
    EXPECT_NEAR(nearCentre.g, 101.5, 1);
    EXPECT_EQ(out.Pixel(200, 100), in.Pixel(200, 100));
    EXPECT_EQ(out.Pixel(3, 3), in.Pixel(3, 3));
    // A larger value turns further at the same place.
    const Bgr mid = out.Pixel(150, 100), midMore = Whirl(in, 2000.0, Area{}).Pixel(150, 100);
    EXPECT_NE(mid, midMore);
}

TEST(Polar, BackwardMirrorsTheTurnAndTwoCopiesRepeatEveryHalfTurn)
{
    const Picture in = zelpix::test::MakeTestPicture(121, 91, 6);
    const Picture forward = RecToPolar(in, 1, 30, false, false, Area{});
    const Picture backward = RecToPolar(in, 1, 30, false, true, Area{});
    const Picture twice = RecToPolar(in, 2, 30, false, false, Area{});
    int mirrored = 0, symmetric = 0, total = 0;
    for (int y = 0; y < 91; ++y)
        for (int x = 0; x < 121; ++x) {
            mirrored += forward.Pixel(x, y) == backward.Pixel(x, 90 - y) ? 1 : 0;
            symmetric += twice.Pixel(x, y) == twice.Pixel(120 - x, 90 - y) ? 1 : 0;
            ++total;
        }
    // Apart from rounding at the seam where the angle wraps, the results match.
    EXPECT_GT(mirrored, total * 97 / 100);
    EXPECT_GT(symmetric, total * 97 / 100);
}

TEST(Polar, InverseUndoesTheForwardMapping)
{
    const Picture in = test::Smooth(160, 160);
    const Picture back = RecToPolar(RecToPolar(in, 1, 40, false, false, Area{}), 1, 40, true, false, Area{});
    // Away from the bottom rows (crowded into the centre) and the top rows (beyond the area's edges), the picture returns.
    double sum = 0;
    int count = 0;
    for (int y = 50; y < 120; ++y)
        for (int x = 10; x < 150; ++x) {
            const Bgr a = in.Pixel(x, y), b = back.Pixel(x, y);
            sum += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
            count += 3;
        }
    EXPECT_LT(sum / count, 3.0);
}

TEST(Spray, ScattersWithinTheReachAndAddsBoundedColourNoise)
{
    const Picture in = Coordinates(100, 100);
    const Picture out = Spray(in, 4, 0, Area{});
    int moved = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const Bgr c = out.Pixel(x, y);
            ASSERT_LE(std::abs(c.r - x), 4);
            ASSERT_LE(std::abs(c.g - y), 4);
            moved += (c.r != x || c.g != y) ? 1 : 0;
        }
    EXPECT_GT(moved, 9000);
    // Colour 200 moves each channel by at most 51 levels and leaves where the pixel came from alone.
    const Picture grey = test::Flat(100, 100, Bgr{128, 128, 128});
    const Picture noisy = Spray(grey, 0, 200, Area{});
    int largest = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            largest = std::max({largest, std::abs(noisy.Pixel(x, y).r - 128), std::abs(noisy.Pixel(x, y).b - 128)});
    EXPECT_LE(largest, 51);
    EXPECT_GE(largest, 45);
}

TEST(DistortEffects, PreviewAndFullPictureAgree)
{
    // Effects whose geometry follows the area look the same on a picture three times larger.
    const Picture preview = test::Smooth(146, 113);
    const Picture full = test::Enlarge(preview, 3);
    struct Case {
        std::string name;
        std::function<Picture(const Picture&)> run;
    };
    const std::vector<Case> cases = {
        {"PinchHole", [](const Picture& p) { return PinchHole(p, 4.0, Area{}); }},
        {"Whirl", [](const Picture& p) { return Whirl(p, 1000.0, Area{}); }},
        {"Polar", [](const Picture& p) { return RecToPolar(p, 1, 0, false, false, Area{}); }},
        {"PolarInverse", [](const Picture& p) { return RecToPolar(p, 1, 0, true, false, Area{}); }},
    };
    for (const Case& c : cases)
        EXPECT_LT(zelpix::test::MeanChannelDifference(test::Shrink(c.run(full), 3), c.run(preview)), 2.0) << c.name;
}

}  // namespace
}  // namespace zelpix::effects
