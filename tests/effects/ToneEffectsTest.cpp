#include "EffectTestPictures.h"
#include "effects/ops/ToneEffects.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace zelpix::effects {
namespace {

using test::Flat;
using test::MakePicture;

Bgr Rgb(int r, int g, int b) { return Bgr{std::uint8_t(b), std::uint8_t(g), std::uint8_t(r)}; }

Bgr OnePixelResult(const std::function<Picture(const Picture&)>& run, Bgr in) { return run(Flat(1, 1, in)).Pixel(0, 0); }

// ---- Gray Area

TEST(GrayArea, GreysPaleColoursAndKeepsStrongOnes)
{
    struct Case {
        Bgr in;
        Bgr out;
    };
    const std::vector<Case> cases = {
        {Rgb(255, 0, 0), Rgb(255, 0, 0)},       // fully saturated: kept
        {Rgb(200, 120, 40), Rgb(200, 120, 40)}, // saturation 204: kept
        {Rgb(130, 120, 110), Rgb(122, 122, 122)}, // saturation 39: its luma
        {Rgb(90, 90, 90), Rgb(90, 90, 90)},     // already grey
        {Rgb(0, 0, 0), Rgb(0, 0, 0)},
    };
    for (const Case& c : cases) {
        const Bgr out = OnePixelResult([](const Picture& p) { return GrayArea(p, Area{}); }, c.in);
        EXPECT_EQ(out, c.out) << int(c.in.r) << "," << int(c.in.g) << "," << int(c.in.b);
    }
    // Between the two, the colour is only partly greyed: closer to its grey than before, not quite grey.
    const Bgr half = OnePixelResult([](const Picture& p) { return GrayArea(p, Area{}); }, Rgb(160, 120, 100));
    EXPECT_LT(half.r - half.b, 60);
    EXPECT_GT(half.r - half.b, 0);
}

// ---- Hue & Saturation

TEST(HueAndSaturation, AllAtOneLeavesThePictureUnchanged)
{
    const Picture in = zelpix::test::MakeTestPicture(50, 40, 2);
    EXPECT_TRUE(ilHueAndSaturation(in, 1, 1, 1, 1, 1, 1, 1, 1, 1, Area{}).SamePixels(in));
}

TEST(HueAndSaturation, EachControlActsOnWhatItsLabelSays)
{
    auto run = [](std::array<int, 9> v) {
        return [v](const Picture& p) {
            return ilHueAndSaturation(p, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], Area{});
        };
    };
    // vHel 501 turns every hue by half a turn: red becomes cyan, grey stays grey.
    EXPECT_EQ(OnePixelResult(run({1, 1, 1, 1, 1, 1, 501, 1, 1}), Rgb(255, 0, 0)), Rgb(0, 255, 255));
    EXPECT_EQ(OnePixelResult(run({1, 1, 1, 1, 1, 1, 501, 1, 1}), Rgb(99, 99, 99)), Rgb(99, 99, 99));
    // The red band turns red by a third of a turn (to green) and leaves blue alone.
    EXPECT_EQ(OnePixelResult(run({335, 1, 1, 1, 1, 1, 1, 1, 1}), Rgb(255, 0, 0)), Rgb(0, 255, 1));
    EXPECT_EQ(OnePixelResult(run({335, 1, 1, 1, 1, 1, 1, 1, 1}), Rgb(0, 0, 255)), Rgb(0, 0, 255));
    // Each band moves the pure colour of its own centre and leaves the opposite hue unchanged.
    const std::vector<std::pair<Bgr, Bgr>> centres = {
        {Rgb(255, 0, 0), Rgb(0, 255, 255)},   {Rgb(0, 255, 0), Rgb(255, 0, 255)}, {Rgb(0, 0, 255), Rgb(255, 255, 0)},
        {Rgb(255, 255, 0), Rgb(0, 0, 255)},   {Rgb(255, 0, 255), Rgb(0, 255, 0)}, {Rgb(0, 255, 255), Rgb(255, 0, 0)}};
    for (int band = 0; band < 6; ++band) {
        std::array<int, 9> v{1, 1, 1, 1, 1, 1, 1, 1, 1};
        v[std::size_t(band)] = 200;
        EXPECT_NE(OnePixelResult(run(v), centres[std::size_t(band)].first), centres[std::size_t(band)].first) << band;
        EXPECT_EQ(OnePixelResult(run(v), centres[std::size_t(band)].second), centres[std::size_t(band)].second) << band;
    }
    // vSet raises saturation (a pale colour moves away from grey), vBri raises brightness.
    const Bgr pale = Rgb(160, 140, 140);
    const Bgr saturated = OnePixelResult(run({1, 1, 1, 1, 1, 1, 1, 101, 1}), pale);
    EXPECT_EQ(saturated.r, 160);
    EXPECT_LT(saturated.g, 140);
    const Bgr brighter = OnePixelResult(run({1, 1, 1, 1, 1, 1, 1, 1, 201}), pale);
    EXPECT_EQ(brighter, Rgb(255, 223, 223));
}

// ---- Noisy

TEST(Noisy, RedGreenOrBlueBelowOneLeavesThePictureUnchanged)
{
    const Picture in = zelpix::test::MakeTestPicture(30, 20, 4);
    for (auto [r, g, b] : {std::tuple{0, 30, 30}, {30, 0, 30}, {30, 30, 0}, {-5, 1000, 1000}})
        EXPECT_TRUE(Noise(in, 2000, 2000, r, g, b, Area{}).SamePixels(in)) << r << " " << g << " " << b;
}

TEST(Noisy, AmountsSetHowMuchAndWhereTheNoiseGoes)
{
    const Picture grey = Flat(100, 100, Rgb(128, 128, 128));
    // No overall and no grey noise: nothing to add.
    EXPECT_TRUE(Noise(grey, 0, 0, 30, 30, 30, Area{}).SamePixels(grey));
    // More overall noise, larger differences.
    double previous = 0;
    for (int value : {5, 30, 120}) {
        const double d = zelpix::test::MeanChannelDifference(grey, Noise(grey, value, 0, 30, 30, 30, Area{}));
        EXPECT_GT(d, previous) << value;
        previous = d;
    }
    // Grey noise alone moves the three channels together.
    const Picture mono = Noise(grey, 0, 60, 30, 30, 30, Area{});
    EXPECT_GT(zelpix::test::MeanChannelDifference(grey, mono), 10);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const Bgr c = mono.Pixel(x, y);
            ASSERT_TRUE(c.r == c.g && c.g == c.b);
        }
    // A large red weight makes the red channel much noisier than green and blue.
    const Picture reddish = Noise(grey, 30, 0, 1000, 1, 1, Area{});
    double spread[3] = {0, 0, 0};
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const Bgr c = reddish.Pixel(x, y);
            spread[0] += std::abs(c.r - 128), spread[1] += std::abs(c.g - 128), spread[2] += std::abs(c.b - 128);
        }
    EXPECT_GT(spread[0], 20 * spread[1]);
    EXPECT_GT(spread[0], 20 * spread[2]);
}

// ---- Threshold

TEST(Threshold, SplitsAtTheValueOnAScaleOfThreeHundred)
{
    const Picture ramp = MakePicture(256, 1, [](int x, int) { return Rgb(x, x, x); });
    struct Case {
        int value;
        int firstWhite; // first grey level that turns white
    };
    for (const Case& c : std::vector<Case>{{0, 1}, {100, 86}, {150, 128}, {299, 255}, {300, 256}}) {
        const Picture out = ThresholdDib(ramp, c.value, false, Area{});
        for (int x = 0; x < 256; ++x)
            ASSERT_EQ(out.Pixel(x, 0), x >= c.firstWhite ? Rgb(255, 255, 255) : Rgb(0, 0, 0))
                << "value " << c.value << " level " << x;
    }
}

TEST(Threshold, AntiAliasingGreysOnlyTheBoundary)
{
    // Black left half, white right half.
    const Picture in = MakePicture(8, 5, [](int x, int) { return x < 4 ? Rgb(0, 0, 0) : Rgb(255, 255, 255); });
    const Picture out = ThresholdDib(in, 100, true, Area{});
    for (int y = 0; y < 5; ++y) {
        EXPECT_EQ(out.Pixel(2, y).g, 0);
        EXPECT_EQ(out.Pixel(3, y).g, 85);  // three white neighbours of nine
        EXPECT_EQ(out.Pixel(4, y).g, 170); // six of nine
        EXPECT_EQ(out.Pixel(5, y).g, 255);
    }
}

// ---- Hist Auto Equalize

TEST(HistAutoEqualize, SpreadsEachChannelOverTheFullRange)
{
    // Red takes 10 on three quarters of the pixels and 200 on the rest; green ramps over 100..149; blue is flat.
    const Picture in = MakePicture(50, 4, [](int x, int y) { return Rgb(y == 0 ? 200 : 10, 100 + x, 77); });
    const Picture out = HistAutoEqualize(in);
    EXPECT_EQ(out.Pixel(0, 1).r, 0);
    EXPECT_EQ(out.Pixel(0, 0).r, 255);
    EXPECT_EQ(out.Pixel(0, 0).g, 0);
    EXPECT_EQ(out.Pixel(49, 0).g, 255);
    EXPECT_EQ(out.Pixel(25, 0).g, 130); // (104 - 4) * 255 / 196, rounded
    EXPECT_EQ(out.Pixel(10, 2).b, 77);
    for (int x = 1; x < 50; ++x)
        EXPECT_GT(out.Pixel(x, 0).g, out.Pixel(x - 1, 0).g);
}

TEST(HistAutoEqualize, FlattensTheHistogramOfAPhoto)
{
    const Picture in = test::Smooth(200, 150);
    const Picture out = HistAutoEqualize(in);
    // After equalising, each quarter of the range holds about a quarter of the pixels.
    int quarters[4] = {0, 0, 0, 0};
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x)
            ++quarters[out.Pixel(x, y).g / 64];
    for (int q : quarters)
        EXPECT_NEAR(q, 200 * 150 / 4, 200 * 150 / 16);
}

// ---- Preview and full picture agree

TEST(ToneEffects, PreviewAndFullPictureAgree)
{
    const Picture preview = test::Smooth(146, 113);
    const Picture full = test::Enlarge(preview, 3);
    struct Case {
        std::string name;
        std::function<Picture(const Picture&)> run;
    };
    const std::vector<Case> cases = {
        {"GrayArea", [](const Picture& p) { return GrayArea(p, Area{}); }},
        {"HueSat", [](const Picture& p) { return ilHueAndSaturation(p, 300, 1, 700, 1, 50, 1, 200, 150, 90, Area{}); }},
        {"Threshold", [](const Picture& p) { return ThresholdDib(p, 140, false, Area{}); }},
        {"HistAutoEqualize", [](const Picture& p) { return HistAutoEqualize(p); }},
    };
    for (const Case& c : cases)
        EXPECT_LE(zelpix::test::MaxChannelDifference(test::Shrink(c.run(full), 3), c.run(preview)), 1) << c.name;
}

}  // namespace
}  // namespace zelpix::effects
