#include "effects/ops/Adjustments.h"
#include "effects/ops/AdjustmentTable.h"
#include "effects/ops/ColorDepth.h"
#include "effects/ops/ParallelRows.h"
#include "effects/ops/Resample.h"
#include "effects/ops/Rotate.h"
#include "imaging/ImagingError.h"
#include "imaging/Codecs.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <string>
#include <tuple>

namespace zelpix::effects {
namespace {

using test::MakeTestPicture;
using test::MaxChannelDifference;
using test::MeanChannelDifference;

Picture Uniform(int width, int height, Bgr colour)
{
    Picture p(width, height);
    p.Fill(colour);
    return p;
}

std::set<std::uint32_t> Colours(const Picture& p)
{
    std::set<std::uint32_t> colours;
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            const Bgr c = p.Pixel(x, y);
            colours.insert(c.b | (c.g << 8) | (c.r << 16));
        }
    return colours;
}

// The centre width x height of a bigger picture.
Picture Centre(const Picture& p, int width, int height)
{
    Picture out(width, height);
    const int x0 = (p.Width() - width) / 2, y0 = (p.Height() - height) / 2;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.SetPixel(x, y, p.Pixel(x0 + x, y0 + y));
    return out;
}

void WritePpm(const Picture& p, const std::string& path)
{
    test::WriteBytes(path, WritePnm(p, PnmKind::Colour));
}
Picture ReadPpm(const std::string& path)
{
    const std::vector<std::uint8_t> bytes = test::ReadBytes(path);
    return ReadPnm(bytes).picture;
}

// ---- colour adjustments ----

TEST(ColourAdjustments, NeutralSettingsLeaveThePictureUnchanged)
{
    const Picture p = MakeTestPicture(37, 23);
    EXPECT_TRUE(Contrast(p, 0).SamePixels(p));
    EXPECT_TRUE(HSVvar(p, 0, 0, 0).SamePixels(p));
    EXPECT_TRUE(HSLvar(p, 0, 0, 0).SamePixels(p));
    EXPECT_TRUE(IntensityRGBall(p, 0, 0, 0).SamePixels(p));
    EXPECT_TRUE(ChangeColorDepth(p, 4).SamePixels(p));
}

TEST(ColourAdjustments, ContrastExtremesAndDirection)
{
    const Picture p = MakeTestPicture(40, 30);
    const Picture flat = Contrast(p, -100);
    EXPECT_EQ(Colours(flat), (std::set<std::uint32_t>{0x808080}));
    const Picture hard = Contrast(p, 100);
    for (std::uint32_t c : Colours(hard))
        for (int shift : {0, 8, 16})
            EXPECT_TRUE(((c >> shift) & 0xFF) == 0 || ((c >> shift) & 0xFF) == 255) << std::hex << c;
    // More contrast moves a dark grey further from the middle, less moves it closer.
    const Picture grey = Uniform(1, 1, {100, 100, 100});
    EXPECT_LT(Contrast(grey, 50).Pixel(0, 0).r, 100);
    EXPECT_GT(Contrast(grey, -50).Pixel(0, 0).r, 100);
    EXPECT_LT(Contrast(grey, 90).Pixel(0, 0).r, Contrast(grey, 50).Pixel(0, 0).r);
}

TEST(ColourAdjustments, IntensityAddsPerChannelAndLimits)
{
    const Picture p = Uniform(2, 2, {30, 20, 10}); // b, g, r
    const Bgr c = IntensityRGBall(p, 5, -30, 255).Pixel(1, 1);
    EXPECT_EQ(c, (Bgr{255, 0, 15}));
    EXPECT_EQ(IntensityRGBall(p, -255, -255, -255).Pixel(0, 0), (Bgr{0, 0, 0}));
}

struct HueCase {
    const char* name;
    Picture (*vary)(const Picture&, int, int, int);
};

class HueVariation : public testing::TestWithParam<HueCase> {};

TEST_P(HueVariation, HueTurnsSaturationAndLevelReachTheirEnds)
{
    const auto vary = GetParam().vary;
    const Picture red = Uniform(1, 1, {0, 0, 255});
    // 120 degrees on from red is green, -120 blue.
    EXPECT_EQ(vary(red, 120, 0, 0).Pixel(0, 0), (Bgr{0, 255, 0}));
    EXPECT_EQ(vary(red, -120, 0, 0).Pixel(0, 0), (Bgr{255, 0, 0}));
    // -180 saturation is grey; greys stay grey under any saturation.
    const Bgr desaturated = vary(Uniform(1, 1, {40, 90, 200}), 0, -180, 0).Pixel(0, 0);
    EXPECT_TRUE(desaturated.r == desaturated.g && desaturated.g == desaturated.b);
    EXPECT_EQ(vary(Uniform(1, 1, {90, 90, 90}), 40, 180, 0).Pixel(0, 0), (Bgr{90, 90, 90}));
    // -180 level is black; +180 is full (white for a grey).
    EXPECT_EQ(vary(Uniform(1, 1, {40, 90, 200}), 0, 0, -180).Pixel(0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(vary(Uniform(1, 1, {90, 90, 90}), 0, 0, 180).Pixel(0, 0), (Bgr{255, 255, 255}));
    // Every step of each value changes a coloured picture.
    const Picture p = MakeTestPicture(20, 20);
    for (int v : {-180, -90, -1, 1, 90, 180}) {
        EXPECT_FALSE(vary(p, v, 0, 0).SamePixels(p)) << "hue " << v;
        EXPECT_FALSE(vary(p, 0, v, 0).SamePixels(p)) << "saturation " << v;
        EXPECT_FALSE(vary(p, 0, 0, v).SamePixels(p)) << "level " << v;
    }
}

INSTANTIATE_TEST_SUITE_P(Models, HueVariation,
                         testing::Values(HueCase{"HSV", HSVvar}, HueCase{"HSL", HSLvar}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ColourAdjustments, HslLightnessEndsAreWhiteAndBlackForColours)
{
    const Picture p = Uniform(1, 1, {40, 90, 200});
    EXPECT_EQ(HSLvar(p, 0, 0, 180).Pixel(0, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(HSLvar(p, 0, 0, -180).Pixel(0, 0), (Bgr{0, 0, 0}));
}

// ---- grey scale, negative, channels, colour count ----

TEST(PictureColours, ChannelSplitsOfAUniformPicture)
{
    const Picture p = Uniform(3, 2, {30, 20, 10}); // red 10, green 20, blue 30
    const ChannelPictures rgb = SplitRgbChannels(p);
    EXPECT_EQ(Colours(rgb.first), (std::set<std::uint32_t>{0x0A0A0A}));
    EXPECT_EQ(Colours(rgb.second), (std::set<std::uint32_t>{0x141414}));
    EXPECT_EQ(Colours(rgb.third), (std::set<std::uint32_t>{0x1E1E1E}));

    // (hue, saturation, value) scaled onto 0..255: hue 0..359, the others 0..99.
    const std::tuple<Bgr, int, int, int> hsvCases[] = {
        {{0, 0, 255}, 0, 255, 255},      // red
        {{0, 255, 0}, 120 * 255 / 359, 255, 255},
        {{255, 0, 0}, 240 * 255 / 359, 255, 255},
        {{128, 128, 128}, 0, 0, 49 * 255 / 99},
        {{0, 0, 0}, 0, 0, 0},
    };
    for (const auto& [colour, h, s, v] : hsvCases) {
        const ChannelPictures hsv = SplitHsvChannels(Uniform(1, 1, colour));
        EXPECT_EQ(hsv.first.Pixel(0, 0), (Bgr{std::uint8_t(h), std::uint8_t(h), std::uint8_t(h)}));
        EXPECT_EQ(hsv.second.Pixel(0, 0).g, s);
        EXPECT_EQ(hsv.third.Pixel(0, 0).r, v);
    }
}

// The split's integer hue, saturation and value against plain truncating division, over every colour (the
// split divides in float, which must truncate to the same quotients).
TEST(PictureColours, HsvSplitMatchesTruncatingDivision)
{
    Picture p(4096, 4096);
    for (int y = 0; y < 4096; ++y)
        for (int x = 0; x < 4096; ++x) {
            const int c = y * 4096 + x;
            p.SetPixel(x, y, {std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c)});
        }
    const ChannelPictures hsv = SplitHsvChannels(p);
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            const Bgr c = p.Pixel(x, y);
            const int r = c.r, g = c.g, b = c.b;
            const int max = std::max({r, g, b}), min = std::min({r, g, b}), delta = max - min;
            int h = 0;
            if (delta > 0)
                h = max == r ? 60 * (g - b) / delta : max == g ? 60 * (b - r) / delta + 120 : 60 * (r - g) / delta + 240;
            h = std::min(h < 0 ? h + 360 : h, 359);
            const int s = max > 0 ? delta * 99 / max : 0, v = max * 99 / 255;
            ASSERT_EQ(hsv.first.Pixel(x, y).r, h * 255 / 359) << r << "," << g << "," << b;
            ASSERT_EQ(hsv.second.Pixel(x, y).r, s * 255 / 99) << r << "," << g << "," << b;
            ASSERT_EQ(hsv.third.Pixel(x, y).r, v * 255 / 99) << r << "," << g << "," << b;
        }
}

TEST(PictureColours, CountColors)
{
    Picture p(2, 1);
    p.SetPixel(0, 0, {0, 0, 0});
    p.SetPixel(1, 0, {255, 255, 255});
    EXPECT_EQ(CountColors(p), 2);
    const Picture q = MakeTestPicture(64, 48);
    EXPECT_EQ(CountColors(q), std::int64_t(Colours(q).size()));
    EXPECT_EQ(CountColors(Uniform(5, 5, {1, 2, 3})), 1);
    const Picture big = MakeTestPicture(640, 480, 9); // above the size where counting switches method
    EXPECT_EQ(CountColors(big), std::int64_t(Colours(big).size()));
}

TEST(PictureColours, NegativeTwiceIsTheIdentity)
{
    const Picture p = MakeTestPicture(33, 17);
    const Picture n = Negative(p);
    EXPECT_EQ(n.Pixel(0, 0).b, 255 - p.Pixel(0, 0).b);
    EXPECT_TRUE(Negative(n).SamePixels(p));
}

// Grey scale, negative and the colour count agree with independent tools on the same file.
TEST(PictureColours, AgreeWithIndependentTools)
{
    test::TempDir dir;
    const Picture p = MakeTestPicture(61, 47, 7);
    const std::string in = (dir / "in.ppm").string();
    WritePpm(p, in);
    if (test::HaveTool("/usr/bin/python3") && test::RunCommand("/usr/bin/python3 -c 'import PIL'") == 0) {
        const std::string out = (dir / "grey.ppm").string();
        ASSERT_EQ(test::RunCommand("/usr/bin/python3 -c \"from PIL import Image; Image.open('" + in +
                                   "').convert('L').convert('RGB').save('" + out + "')\""),
                  0);
        EXPECT_EQ(MaxChannelDifference(GrayScale(p), ReadPpm(out)), 0);
    }
    if (test::HaveTool("convert-im6.q16")) {
        const std::string out = (dir / "negative.ppm").string();
        ASSERT_EQ(test::RunCommand("convert-im6.q16 " + in + " -negate " + out), 0);
        EXPECT_TRUE(Negative(p).SamePixels(ReadPpm(out)));
        std::string count;
        ASSERT_EQ(test::RunCommand("identify-im6.q16 -format %k " + in, &count), 0);
        EXPECT_EQ(std::to_string(CountColors(p)), count);
    }
}

// ---- colour depth ----

TEST(ColorDepth, EachDepthKeepsItsColourBudget)
{
    const Picture p = MakeTestPicture(80, 60, 3);
    const std::tuple<int, std::size_t> cases[] = {{0, 2}, {1, 16}, {2, 256}, {3, 65536}};
    for (const auto& [choice, budget] : cases) {
        const Picture reduced = ChangeColorDepth(p, choice);
        EXPECT_EQ(reduced.Width(), p.Width());
        EXPECT_LE(Colours(reduced).size(), budget) << "choice " << choice;
        EXPECT_GT(Colours(reduced).size(), 1u) << "choice " << choice;
    }
    EXPECT_EQ(Colours(ChangeColorDepth(p, 0)), (std::set<std::uint32_t>{0, 0xFFFFFF}));
    // 4 and 16 bits give different pictures.
    EXPECT_FALSE(ChangeColorDepth(p, 1).SamePixels(ChangeColorDepth(p, 3)));
    EXPECT_THROW(ChangeColorDepth(p, 5), ImagingError);
    EXPECT_THROW(ChangeColorDepth(p, -1), ImagingError);
}

TEST(ColorDepth, PaletteColoursSurviveAndNearColoursSnap)
{
    const std::tuple<int, Bgr, Bgr> cases[] = {
        {0, {100, 100, 100}, {0, 0, 0}},       {0, {140, 130, 120}, {255, 255, 255}},
        {1, {0, 0, 128}, {0, 0, 128}},         {1, {190, 195, 189}, {192, 192, 192}},
        {1, {250, 10, 5}, {255, 0, 0}},        {2, {51, 102, 153}, {51, 102, 153}},
        {2, {50, 100, 155}, {51, 102, 153}},   {2, {128, 128, 128}, {128, 128, 128}},
        {3, {255, 255, 255}, {255, 255, 255}}, {3, {0x13, 0x17, 0x2F}, {0x10, 0x14, 0x29}},
    };
    for (const auto& [choice, in, out] : cases)
        EXPECT_EQ(ChangeColorDepth(Uniform(1, 1, in), choice).Pixel(0, 0), out)
            << "choice " << choice << " colour " << int(in.r) << "," << int(in.g) << "," << int(in.b);
}

// Each reduction picks a palette colour at the least distance: checked by brute force over the palette.
TEST(ColorDepth, ReductionsPickTheNearestPaletteColour)
{
    std::vector<Bgr> palette16, palette256;
    for (int b : {0, 128, 255})
        for (int g : {0, 128, 255})
            for (int r : {0, 128, 255})
                if ((b == 255 || g == 255 || r == 255) == (b != 128 && g != 128 && r != 128) || (b | g | r) == 0)
                    palette16.push_back({std::uint8_t(b), std::uint8_t(g), std::uint8_t(r)});
    palette16.push_back({192, 192, 192});
    ASSERT_EQ(palette16.size(), 16u);
    for (int b = 0; b < 6; ++b)
        for (int g = 0; g < 6; ++g)
            for (int r = 0; r < 6; ++r)
                palette256.push_back({std::uint8_t(51 * b), std::uint8_t(51 * g), std::uint8_t(51 * r)});
    palette256.insert(palette256.end(), palette16.begin(), palette16.end());
    for (int v = 8; v <= 238; v += 10)
        palette256.push_back({std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)});
    ASSERT_EQ(palette256.size(), 256u);
    auto distance = [](Bgr a, Bgr c) {
        return (a.b - c.b) * (a.b - c.b) + (a.g - c.g) * (a.g - c.g) + (a.r - c.r) * (a.r - c.r);
    };
    const Picture p = MakeTestPicture(97, 61, 11);
    const std::pair<int, const std::vector<Bgr>*> cases[] = {{1, &palette16}, {2, &palette256}};
    for (const auto& [choice, palette] : cases) {
        const Picture reduced = ChangeColorDepth(p, choice);
        for (int y = 0; y < p.Height(); ++y)
            for (int x = 0; x < p.Width(); ++x) {
                const Bgr in = p.Pixel(x, y), out = reduced.Pixel(x, y);
                ASSERT_NE(std::find(palette->begin(), palette->end(), out), palette->end());
                int best = 1 << 30;
                for (const Bgr& c : *palette)
                    best = std::min(best, distance(in, c));
                ASSERT_EQ(distance(in, out), best) << "choice " << choice << " at " << x << "," << y;
            }
    }
}

// ---- resampling ----

const ResampleFilter AllFilters[] = {ResampleFilter::None,     ResampleFilter::Bell,     ResampleFilter::Bspline,
                                     ResampleFilter::Hermite,  ResampleFilter::Lanczos3, ResampleFilter::Mitchell,
                                     ResampleFilter::Triangle};

TEST(Resample, SameSizeIsTheIdentityForInterpolatingFilters)
{
    const Picture p = MakeTestPicture(45, 31);
    for (ResampleFilter f : {ResampleFilter::None, ResampleFilter::Hermite, ResampleFilter::Lanczos3,
                             ResampleFilter::Triangle})
        EXPECT_TRUE(Resample(p, 45, 31, f).SamePixels(p)) << int(f);
}

TEST(Resample, AnySizeWithEveryFilterKeepsFlatColoursFlat)
{
    const Picture flat = Uniform(7, 5, {10, 200, 99});
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 2}, {3, 50}, {70, 1}, {29, 13}, {7, 5}};
    for (ResampleFilter f : AllFilters)
        for (const auto& [w, h] : sizes) {
            const Picture r = Resample(flat, w, h, f);
            ASSERT_EQ(r.Width(), w);
            ASSERT_EQ(r.Height(), h);
            EXPECT_EQ(Colours(r), Colours(flat))
                << int(f) << " " << w << "x" << h;
        }
    // From one pixel too.
    EXPECT_EQ(Resample(Uniform(1, 1, {1, 2, 3}), 9, 4, ResampleFilter::Lanczos3).Pixel(8, 3), (Bgr{1, 2, 3}));
}

// Shrinking thousands of times spreads each output over thousands of taps: still the average of its stretch.
TEST(Resample, ExtremeShrinkingAveragesEvenly)
{
    Picture ramp(30000, 1);
    for (int x = 0; x < 30000; ++x) {
        const std::uint8_t v = std::uint8_t(x * 255 / 29999);
        ramp.SetPixel(x, 0, {v, v, v});
    }
    for (ResampleFilter f : {ResampleFilter::Triangle, ResampleFilter::Lanczos3, ResampleFilter::Mitchell}) {
        const Picture small = Resample(ramp, 9, 1, f);
        for (int x = 0; x < 9; ++x) {
            const double expected = (x + 0.5) / 9 * 255;
            EXPECT_NEAR(small.Pixel(x, 0).g, expected, 4.0) << int(f) << " at " << x;
        }
    }
}

TEST(Resample, RefusesSizesOutOfRange)
{
    const Picture p = MakeTestPicture(4, 4);
    EXPECT_THROW(Resample(p, 0, 4, ResampleFilter::Bell), ImagingError);
    EXPECT_THROW(Resample(p, 4, -1, ResampleFilter::None), ImagingError);
    EXPECT_THROW(Resample(p, 65536, 4, ResampleFilter::None), ImagingError);
    EXPECT_THROW(Resample(p, 60000, 60000, ResampleFilter::None), ImagingError); // over the pixel limit
}

// The same filters as an independent resizer, shrinking and enlarging.
TEST(Resample, AgreesWithImageMagick)
{
    if (!test::HaveTool("convert-im6.q16"))
        GTEST_SKIP() << "convert-im6.q16 is not installed";
    test::TempDir dir;
    // Smooth content: gradients only, so that filter differences stay small.
    Picture p(120, 90);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x)
            p.SetPixel(x, y, {std::uint8_t(x * 2), std::uint8_t(y * 2), std::uint8_t((x * y) / 45)});
    const std::string in = (dir / "in.ppm").string();
    WritePpm(p, in);
    const std::pair<ResampleFilter, const char*> filters[] = {
        {ResampleFilter::Triangle, "Triangle"}, {ResampleFilter::Hermite, "Hermite"},
        {ResampleFilter::Lanczos3, "Lanczos"},  {ResampleFilter::Mitchell, "Mitchell"},
        {ResampleFilter::Bspline, "Spline"},    {ResampleFilter::Bell, "Quadratic"},
    };
    const std::pair<int, int> sizes[] = {{60, 45}, {37, 71}, {250, 180}};
    for (const auto& [filter, name] : filters)
        for (const auto& [w, h] : sizes) {
            const std::string out = (dir / "out.ppm").string();
            const std::string size = std::to_string(w) + "x" + std::to_string(h) + "!";
            ASSERT_EQ(test::RunCommand("convert-im6.q16 " + in + " -filter " + name + " -resize " + size + " " + out),
                      0);
            const Picture theirs = ReadPpm(out);
            const Picture ours = Resample(p, w, h, filter);
            EXPECT_LT(MeanChannelDifference(ours, theirs), 1.0) << name << " " << size;
            EXPECT_LE(MaxChannelDifference(ours, theirs), 8) << name << " " << size;
        }
}

// ---- rotation ----

TEST(Rotate, FourQuarterTurnsAreTheIdentity)
{
    const Picture p = MakeTestPicture(31, 19);
    for (double quarter : {90.0, -90.0, 270.0}) {
        Picture r = p;
        for (int i = 0; i < 4; ++i) {
            r = ILRotate(r, quarter, Area{}, Bgr{1, 2, 3});
            EXPECT_EQ(r.Width(), i % 2 == 0 ? 19 : 31);
        }
        EXPECT_TRUE(r.SamePixels(p)) << quarter;
    }
    EXPECT_TRUE(ILRotate(p, 360, Area{}, Bgr{}).SamePixels(p));
    EXPECT_TRUE(ILRotate(ILRotate(p, 180, Area{}, Bgr{}), -180, Area{}, Bgr{}).SamePixels(p));
}

TEST(Rotate, PositiveAnglesTurnAntiClockwise)
{
    Picture p(3, 2);
    p.Fill({0, 0, 0});
    p.SetPixel(2, 0, {0, 0, 255}); // red in the top right corner
    const Picture left = ILRotate(p, 90, Area{}, Bgr{});
    EXPECT_EQ(left.Pixel(0, 0), (Bgr{0, 0, 255})); // now top left
    const Picture right = ILRotate(p, -90, Area{}, Bgr{});
    EXPECT_EQ(right.Pixel(1, 2), (Bgr{0, 0, 255})); // bottom right
    // The general path agrees with the exact one just off a quarter turn.
    const Picture q = MakeTestPicture(40, 30);
    const Picture nearly = ILRotate(q, 90.0001, Area{}, Bgr{});
    ASSERT_EQ(nearly.Width(), 30);
    ASSERT_EQ(nearly.Height(), 40);
    EXPECT_LT(MeanChannelDifference(nearly, ILRotate(q, 90, Area{}, Bgr{})), 1.0);
}

TEST(Rotate, CanvasGrowsAndCornersTakeTheFill)
{
    const Picture p = Uniform(100, 50, {0, 0, 0});
    const Bgr fill{240, 240, 240};
    const Picture r = ILRotate(p, 30, Area{}, fill);
    // 100 cos 30 + 50 sin 30 = 111.6; 100 sin 30 + 50 cos 30 = 93.3.
    EXPECT_EQ(r.Width(), 112);
    EXPECT_EQ(r.Height(), 94);
    EXPECT_EQ(r.Pixel(0, 0), fill);
    EXPECT_EQ(r.Pixel(111, 93), fill);
    EXPECT_EQ(r.Pixel(56, 47), (Bgr{0, 0, 0}));
    // Edges blend the picture into the fill only: a picture in the fill colour stays one colour.
    for (double angle : {0.5, 30.0, 45.0, 100.0, 200.0, 333.0})
        EXPECT_EQ(Colours(ILRotate(Uniform(37, 21, fill), angle, Area{}, fill)), Colours(Uniform(1, 1, fill))) << angle;
    // Tiny pictures turn without trouble.
    for (int size : {1, 2})
        for (double angle : {30.0, 45.0, 179.0, -0.5})
            EXPECT_FALSE(ILRotate(Uniform(size, size, {9, 9, 9}), angle, Area{}, fill).IsEmpty());
}

TEST(Rotate, ThirtyThenBackStaysClose)
{
    Picture p(80, 60);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x)
            p.SetPixel(x, y, {std::uint8_t(x * 3), std::uint8_t(y * 4), std::uint8_t((x + y) * 2)});
    const Picture there = ILRotate(p, 30, Area{}, Bgr{});
    const Picture back = ILRotate(there, -30, Area{}, Bgr{});
    // The original sits in the middle of the twice-grown canvas; its inner part comes back nearly as it was.
    const Picture inner = Centre(back, 80, 60);
    Picture trimmedOurs(60, 40), trimmedOriginal(60, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            trimmedOurs.SetPixel(x, y, inner.Pixel(x + 10, y + 10));
            trimmedOriginal.SetPixel(x, y, p.Pixel(x + 10, y + 10));
        }
    EXPECT_LT(MeanChannelDifference(trimmedOurs, trimmedOriginal), 1.5);
    EXPECT_LE(MaxChannelDifference(trimmedOurs, trimmedOriginal), 12);
}

// Quarter turns match an independent tool exactly; a free angle matches its bilinear rotation about the centre
// on a canvas of our size (the tool turns clockwise for positive angles).
TEST(Rotate, AgreesWithImageMagick)
{
    if (!test::HaveTool("convert-im6.q16"))
        GTEST_SKIP() << "convert-im6.q16 is not installed";
    test::TempDir dir;
    Picture p(90, 60);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 90; ++x)
            p.SetPixel(x, y, {std::uint8_t(x * 2), std::uint8_t(y * 3), std::uint8_t((x * y) / 25)});
    const std::string in = (dir / "in.ppm").string(), out = (dir / "out.ppm").string();
    WritePpm(p, in);
    for (int angle : {90, 180, 270}) {
        ASSERT_EQ(test::RunCommand("convert-im6.q16 " + in + " -rotate " + std::to_string(-angle) + " " + out), 0);
        EXPECT_TRUE(ILRotate(p, angle, Area{}, Bgr{}).SamePixels(ReadPpm(out))) << angle;
    }
    const Picture ours = ILRotate(p, 30, Area{}, Bgr{0, 0, 0});
    const std::string viewport = std::to_string(ours.Width()) + "x" + std::to_string(ours.Height()) + "-" +
                                 std::to_string((ours.Width() - 90) / 2.0) + "-" + std::to_string((ours.Height() - 60) / 2.0);
    ASSERT_EQ(test::RunCommand("convert-im6.q16 " + in + " -background black -virtual-pixel background -filter point "
                               "-interpolate bilinear -define distort:viewport=" + viewport +
                               " -distort SRT -30 +repage " + out),
              0);
    const Picture theirs = ReadPpm(out);
    ASSERT_EQ(theirs.Width(), ours.Width());
    ASSERT_EQ(theirs.Height(), ours.Height());
    // Away from the edges (which each blends into the background its own way) they agree to rounding.
    const double c = std::cos(std::numbers::pi / 6), s = std::sin(std::numbers::pi / 6);
    int compared = 0;
    for (int y = 0; y < ours.Height(); ++y)
        for (int x = 0; x < ours.Width(); ++x) {
            const double dx = x + 0.5 - ours.Width() / 2.0, dy = y + 0.5 - ours.Height() / 2.0;
            const double sx = 45 + c * dx - s * dy, sy = 30 + s * dx + c * dy;
            if (sx < 1.5 || sy < 1.5 || sx > 88.5 || sy > 58.5)
                continue;
            ++compared;
            const Bgr a = ours.Pixel(x, y), b = theirs.Pixel(x, y);
            ASSERT_LE(std::max({std::abs(a.b - b.b), std::abs(a.g - b.g), std::abs(a.r - b.r)}), 2) << x << "," << y;
        }
    EXPECT_GT(compared, 4000);
}

TEST(Rotate, AnAreaTurnsInPlace)
{
    const Picture p = MakeTestPicture(40, 30);
    const Area area{10, 5, 30, 25};
    const Picture r = ILRotate(p, 45, area, Bgr{7, 7, 7});
    ASSERT_EQ(r.Width(), 40);
    ASSERT_EQ(r.Height(), 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            if (x < 10 || x >= 30 || y < 5 || y >= 25) {
                ASSERT_EQ(r.Pixel(x, y), p.Pixel(x, y)) << x << "," << y;
            }
    EXPECT_EQ(r.Pixel(10, 5), (Bgr{7, 7, 7})); // a corner of the area is uncovered
    EXPECT_FALSE(r.SamePixels(p));
}

TEST(Rotate, RefusesWhatItCannotTurn)
{
    EXPECT_THROW(ILRotate(Picture(), 30, Area{}, Bgr{}), ImagingError);
    EXPECT_THROW(ILRotate(MakeTestPicture(4, 4), std::nan(""), Area{}, Bgr{}), ImagingError);
    // 60000 x 60000 turned is over the size limit.
    EXPECT_THROW(ILRotate(Uniform(60000, 2, {}), 45, Area{}, Bgr{}), ImagingError);
    // A picture as wide as allowed still turns a little.
    const Picture widest = ILRotate(Uniform(MaxPictureSide, 1, {5, 5, 5}), 0.001, Area{}, Bgr{});
    EXPECT_EQ(widest.Width(), MaxPictureSide);
    EXPECT_EQ(widest.Height(), 3); // 65535 sin 0.001 degrees + 1 = 2.14
}

// ---- threads ----

TEST(RowBands, ResultsAreTheSameWithThreadsOnAndOff)
{
    const Picture p = MakeTestPicture(701, 499, 5);
    struct Restore {
        ~Restore() { SetThreadsEnabled(true); }
    } restore;
    for (const AdjustmentSpec& entry : AdjustmentTable()) {
        ParamValues values;
        for (const ParamSpec& param : entry.params)
            values.push_back(param.defaultValue);
        if (entry.cliName == "resample")
            values = {350, 700, 0, double(int(ResampleFilter::Lanczos3))};
        if (entry.cliName == "rotate")
            values[0] = 30;
        if (entry.cliName == "contrast")
            values[0] = 40;
        SetThreadsEnabled(true);
        const AdjustmentResult threaded = entry.run(p, values);
        SetThreadsEnabled(false);
        const AdjustmentResult single = entry.run(p, values);
        ASSERT_EQ(threaded.pictures.size(), single.pictures.size()) << entry.cliName;
        EXPECT_EQ(threaded.number, single.number) << entry.cliName;
        for (std::size_t i = 0; i < single.pictures.size(); ++i)
            EXPECT_TRUE(threaded.pictures[i].SamePixels(single.pictures[i])) << entry.cliName;
    }
    // Shrinking the height takes the other order of the resampling passes.
    SetThreadsEnabled(true);
    const Picture threaded = Resample(p, 350, 200, ResampleFilter::Mitchell);
    SetThreadsEnabled(false);
    EXPECT_TRUE(threaded.SamePixels(Resample(p, 350, 200, ResampleFilter::Mitchell)));
}

TEST(RowBands, CoverEveryRowOnceAndPassFailuresBack)
{
    for (int rows : {1, 2, 3, 1000, 4001}) {
        std::vector<int> seen(static_cast<std::size_t>(rows));
        ForEachRowBand(rows, 1e6, [&](int y0, int y1) {
            for (int y = y0; y < y1; ++y)
                ++seen[std::size_t(y)];
        });
        EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), rows) << rows;
    }
    // The last band runs on another thread when there are two or more.
    EXPECT_THROW(ForEachRowBand(1000, 1e6,
                                [](int, int y1) {
                                    if (y1 == 1000)
                                        throw ImagingError("band failed");
                                }),
                 ImagingError);
}

// ---- the table ----

TEST(AdjustmentTable, NamesParametersAndOutputs)
{
    for (const char* name : {"contrast", "hsvvar", "hslvar", "intensityrgball", "resample", "rotate", "colordepth",
                             "grayscale", "negative", "rgbchannels", "hsvchannels", "colorcount"})
        EXPECT_NE(FindAdjustment(name), nullptr) << name;
    EXPECT_EQ(FindAdjustment("ReSample"), FindAdjustment("resample"));
    EXPECT_EQ(FindAdjustment("resampl"), nullptr);
    EXPECT_EQ(FindAdjustment("rgbchannels")->output, AdjustmentOutput::ThreePictures);
    EXPECT_EQ(FindAdjustment("hsvchannels")->channelLetters, "HSV");
    EXPECT_EQ(FindAdjustment("colorcount")->output, AdjustmentOutput::Number);
    const auto& zoom = FindAdjustment("resample")->params.at(3);
    EXPECT_EQ(zoom.controlName, "ZoomFilter");
    EXPECT_EQ(zoom.choices.at(4), "Lanczos3");
    const auto& depth = FindAdjustment("colordepth")->params.at(0);
    EXPECT_EQ(depth.controlName, "DepthChoice");
    EXPECT_EQ(depth.defaultValue, 2);
    EXPECT_EQ(FindAdjustment("hslvar")->params.at(2).controlName, "HSLLum");
    // Every operation runs at its defaults on 1 x 1 and 2 x 2 pictures.
    for (int size : {1, 2})
        for (const AdjustmentSpec& entry : AdjustmentTable()) {
            ParamValues values;
            for (const ParamSpec& param : entry.params)
                values.push_back(param.defaultValue);
            const AdjustmentResult r = entry.run(MakeTestPicture(size, size), values);
            EXPECT_EQ(r.pictures.size(), entry.output == AdjustmentOutput::Picture        ? 1u
                                         : entry.output == AdjustmentOutput::ThreePictures ? 3u
                                                                                          : 0u);
        }
}

TEST(AdjustmentTable, ResampleKeepsTheAspectWhenOneSideIsGiven)
{
    const AdjustmentSpec& entry = *FindAdjustment("resample");
    const Picture p = MakeTestPicture(80, 60);
    EXPECT_EQ(entry.run(p, {40, 0, 1, 0}).pictures.at(0).Height(), 30);
    EXPECT_EQ(entry.run(p, {0, 45, 1, 0}).pictures.at(0).Width(), 60);
    EXPECT_EQ(entry.run(p, {40, 0, 0, 0}).pictures.at(0).Height(), 60); // not preserved: own height
    EXPECT_TRUE(entry.run(p, {0, 0, 1, 0}).pictures.at(0).SamePixels(p));
}

}  // namespace
}  // namespace zelpix::effects
