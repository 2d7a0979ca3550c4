#include "effects/ops/EngineEffectsA.h"
#include "imaging/ImagingError.h"
#include "imaging/PictureIO.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <tuple>

namespace zelpix::effects {
namespace {

Picture Uniform(int w, int h, Bgr c)
{
    Picture p(w, h);
    p.Fill(c);
    return p;
}

// Black left half, white right half.
Picture Step(int w, int h)
{
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = w / 2; x < w; ++x)
            p.SetPixel(x, y, {255, 255, 255});
    return p;
}

int CountChanged(const Picture& a, const Picture& b)
{
    int n = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            n += a.Pixel(x, y) == b.Pixel(x, y) ? 0 : 1;
    return n;
}

std::tuple<int, int> ChannelRange(const Picture& p, int channel)
{
    int lo = 255, hi = 0;
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x) {
            const int v = p.Row(y)[3 * x + channel];
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    return {lo, hi};
}

TEST(AutoContrast, StretchesEveryChannelToTheFullRange)
{
    Picture p(16, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x)
            p.SetPixel(x, y, {std::uint8_t(40 + x), std::uint8_t(100 + 3 * x), std::uint8_t(200 + y)});
    const Picture out = AutoContrast(p, {});
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(ChannelRange(out, c), std::make_tuple(0, 255)) << "channel " << c;
    // Linear: the middle of a channel's range maps to the middle.
    EXPECT_NEAR(out.Pixel(8, 0).g, (24.0 / 45.0) * 255, 1.0);
}

TEST(AutoContrast, KeepsFlatChannelsAndFullRangePictures)
{
    const Picture flat = Uniform(5, 5, {10, 20, 30});
    EXPECT_TRUE(AutoContrast(flat, {}).SamePixels(flat));
    // More than 0.5 % of the pixels at each end: the channels already span the range.
    Picture full = test::MakeTestPicture(64, 64, 2);
    for (int x = 0; x < 64; ++x) {
        full.SetPixel(x, 0, {0, 0, 0});
        full.SetPixel(x, 63, {255, 255, 255});
    }
    EXPECT_TRUE(AutoContrast(full, {}).SamePixels(full));
}

TEST(AutoContrast, AFewStrayPixelsDoNotStopTheStretch)
{
    Picture p(100, 100);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const std::uint8_t v = std::uint8_t(60 + x);
            p.SetPixel(x, y, {v, v, v});
        }
    for (int i = 0; i < 10; ++i) {
        p.SetPixel(i, 0, {0, 0, 0});
        p.SetPixel(i, 99, {255, 255, 255});
    }
    const Picture out = AutoContrast(p, {});
    EXPECT_LE(out.Pixel(1, 50).g, 5);
    EXPECT_GE(out.Pixel(98, 50).g, 250);
    EXPECT_NEAR(out.Pixel(50, 50).g, 128, 4);
}

TEST(AutoContrast, MeasuresOnlyInsideTheArea)
{
    Picture p = Uniform(10, 10, {100, 100, 100});
    p.SetPixel(0, 0, {0, 0, 0});        // outside the area: neither measured nor changed
    p.SetPixel(5, 5, {150, 150, 150});  // inside: becomes white, the 100s black
    const Picture out = AutoContrast(p, {4, 4, 8, 8});
    EXPECT_EQ(out.Pixel(0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(out.Pixel(9, 9), (Bgr{100, 100, 100}));
    EXPECT_EQ(out.Pixel(5, 5), (Bgr{255, 255, 255}));
    EXPECT_EQ(out.Pixel(4, 4), (Bgr{0, 0, 0}));
}

TEST(Bleed, DarkInkRunsIntoLightPaperWithinItsReach)
{
    Picture paper = Uniform(61, 61, {255, 255, 255});
    for (int y = 28; y <= 32; ++y)
        for (int x = 28; x <= 32; ++x)
            paper.SetPixel(x, y, {0, 0, 80});
    const Picture small = Bled(paper, 20, {});  // reach 3 pixels
    const Picture large = Bled(paper, 150, {}); // reach 16 pixels
    EXPECT_LT(small.Pixel(34, 30).b, 230) << "ink next to the blot";
    EXPECT_EQ(small.Pixel(40, 30), (Bgr{255, 255, 255})) << "beyond the reach";
    EXPECT_LT(large.Pixel(40, 30).b, 255);
    EXPECT_GT(CountChanged(paper, large), CountChanged(paper, small));
    // The ink outweighs the paper: the blot's own pixels stay dark.
    EXPECT_LT(small.Pixel(30, 30).b, 60);
}

TEST(Bleed, IsDeterministicAndKeepsUniformColour)
{
    const Picture p = test::MakeTestPicture(40, 30, 4);
    EXPECT_TRUE(Bled(p, 300, {}).SamePixels(Bled(p, 300, {})));
    const Picture flat = Uniform(9, 9, {7, 99, 201});
    EXPECT_TRUE(Bled(flat, 1000, {}).SamePixels(flat));
    EXPECT_FALSE(Bled(p, 1, {}).SamePixels(Bled(p, 2, {})));
}

TEST(Blur, AgreesWithImageMagicksGaussian)
{
    if (!test::HaveTool("convert-im6.q16"))
        GTEST_SKIP() << "ImageMagick is not installed";
    test::TempDir dir;
    const Picture p = test::MakeTestPicture(120, 90, 9);
    WritePictureFile(p, (dir / "in.ppm").string());
    for (int sigma : {1, 3, 8}) {
        const std::string out = (dir / ("out" + std::to_string(sigma) + ".ppm")).string();
        ASSERT_EQ(test::RunCommand("convert-im6.q16 " + test::ShellQuote((dir / "in.ppm").string()) +
                                   " -gaussian-blur 0x" + std::to_string(sigma) + " " + test::ShellQuote(out)),
                  0);
        const Picture reference = ReadPictureFile(out).picture;
        const Picture ours = Blur(p, sigma, {});
        EXPECT_LT(test::MeanChannelDifference(ours, reference), 0.8) << "sigma " << sigma;
        EXPECT_LE(test::MaxChannelDifference(ours, reference), 8) << "sigma " << sigma;
        EXPECT_GT(test::MeanChannelDifference(ours, p), 3.0) << "sigma " << sigma;
    }
}

TEST(Blur, SpreadsADotSymmetricallyAndFartherWithTheRadius)
{
    Picture dot = Uniform(41, 41, {0, 0, 0});
    dot.SetPixel(20, 20, {255, 255, 255});
    const Picture narrow = Blur(dot, 1, {});
    const Picture wide = Blur(dot, 4, {});
    EXPECT_EQ(narrow.Pixel(19, 20), narrow.Pixel(21, 20));
    EXPECT_EQ(narrow.Pixel(20, 19), narrow.Pixel(20, 21));
    EXPECT_EQ(wide.Pixel(14, 20), wide.Pixel(26, 20));
    EXPECT_GT(CountChanged(dot, wide), CountChanged(dot, narrow));
    EXPECT_LT(wide.Pixel(20, 20).g, narrow.Pixel(20, 20).g);
}

TEST(Blur, ReadsAroundTheAreaButWritesOnlyInside)
{
    const Picture p = test::MakeTestPicture(50, 40, 5);
    const Area area{10, 8, 30, 25};
    const Picture part = Blur(p, 6, area);
    const Picture whole = Blur(p, 6, {});
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x) {
            const bool inside = x >= 10 && x < 30 && y >= 8 && y < 25;
            ASSERT_EQ(part.Pixel(x, y), inside ? whole.Pixel(x, y) : p.Pixel(x, y)) << x << "," << y;
        }
}

TEST(Edge, FlatIsBlackAndAStepGlowsByStrength)
{
    EXPECT_TRUE(Edge(Uniform(8, 8, {90, 90, 90}), 20, {}).SamePixels(Uniform(8, 8, {0, 0, 0})));
    const Picture step = Step(20, 6);
    const Picture normal = Edge(step, 10, {});
    const Picture faint = Edge(step, 1, {});
    EXPECT_EQ(normal.Pixel(9, 3).g, 255);
    EXPECT_EQ(normal.Pixel(10, 3).g, 255);
    EXPECT_EQ(normal.Pixel(3, 3).g, 0);
    EXPECT_EQ(normal.Pixel(16, 3).g, 0);
    EXPECT_NEAR(faint.Pixel(10, 3).g, 1020 / 4 / 10, 1);
}

TEST(Engrave, GreyReliefDeepensWithValue)
{
    const Picture flat = Uniform(6, 6, {30, 160, 220});
    const Picture flatOut = Engrave(flat, 100, {});
    EXPECT_TRUE(flatOut.SamePixels(Uniform(6, 6, {128, 128, 128})));
    const Picture p = test::MakeTestPicture(30, 30, 8);
    const Picture shallow = Engrave(p, 1, {});
    const Picture deep = Engrave(p, 40, {});
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            const Bgr c = deep.Pixel(x, y);
            ASSERT_TRUE(c.r == c.g && c.g == c.b) << "grey at " << x << "," << y;
        }
    const Picture mid = Uniform(30, 30, {128, 128, 128});
    EXPECT_GT(test::MeanChannelDifference(deep, mid), test::MeanChannelDifference(shallow, mid));
}

TEST(Enhance, GreyCastWithNoBrightnessOrContrastChangesNothing)
{
    const Picture p = test::MakeTestPicture(20, 20, 6);
    EXPECT_TRUE(Enhance(p, 0, 0, 77, 77, 77, {}).SamePixels(p));
}

TEST(Enhance, CastBrightnessAndContrastMoveTheWayTheirNamesSay)
{
    const Picture grey = Uniform(3, 3, {100, 100, 100});
    // The default colour (red 15, green 120, blue 236) is a blue cast.
    const Bgr cast = Enhance(grey, 0, 0, 236, 120, 15, {}).Pixel(1, 1);
    EXPECT_GT(cast.b, 100);
    EXPECT_LT(cast.r, 100);
    EXPECT_GT(Enhance(grey, 400, 0, 50, 50, 50, {}).Pixel(0, 0).g, 150);
    const Picture pair = [] {
        Picture p(2, 1);
        p.SetPixel(0, 0, {100, 100, 100});
        p.SetPixel(1, 0, {160, 160, 160});
        return p;
    }();
    const Picture contrasted = Enhance(pair, 0, 500, 9, 9, 9, {});
    EXPECT_GT(contrasted.Pixel(1, 0).g - contrasted.Pixel(0, 0).g, 150);
    EXPECT_EQ(Enhance(Uniform(2, 2, {200, 200, 200}), 1000, 1000, 0, 0, 0, {}).Pixel(0, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(Enhance(grey, 0, 1000, 0, 0, 0, {}).Pixel(0, 0), (Bgr{0, 0, 0}));
}

TEST(Extrude, RaisedBlocksOfTheMeanColour)
{
    const Picture p = test::MakeTestPicture(36, 24, 3);
    const Picture out = ExtrudeDib(p, 1, 3); // blocks of 6
    // Block faces are one colour, lighter on the top bevel, darker on the bottom one.
    for (int by = 0; by < 24; by += 6)
        for (int bx = 0; bx < 36; bx += 6) {
            const Bgr face = out.Pixel(bx + 3, by + 3);
            EXPECT_EQ(out.Pixel(bx + 2, by + 2), face);
            EXPECT_GE(out.Pixel(bx + 3, by).g, face.g);
            EXPECT_LE(out.Pixel(bx + 3, by + 5).g, face.g);
        }
    const Picture flat = Uniform(12, 12, {50, 60, 70});
    EXPECT_EQ(ExtrudeDib(flat, 1, 3).Pixel(3, 3), (Bgr{50, 60, 70}));
    EXPECT_FALSE(ExtrudeDib(p, 2, 3).SamePixels(out));
    EXPECT_THROW(ExtrudeDib(p, 0, 3), ImagingError);
}

TEST(Fade, BorderFadesIntoTheColourAndTheInsideStays)
{
    const Picture p = Uniform(20, 16, {0, 0, 0});
    const Picture out = FadeDib(p, 4, 200, 100, 40, {});
    EXPECT_EQ(out.Pixel(0, 0), (Bgr{40, 100, 200})) << "the edge takes the colour";
    EXPECT_EQ(out.Pixel(19, 15), (Bgr{40, 100, 200}));
    EXPECT_EQ(out.Pixel(2, 8), (Bgr{20, 50, 100})) << "halfway in, half the colour";
    EXPECT_EQ(out.Pixel(4, 8), (Bgr{0, 0, 0}));
    EXPECT_EQ(out.Pixel(15, 11), (Bgr{0, 0, 0}));
    EXPECT_EQ(out.Pixel(16, 11).r, 50);
    EXPECT_GT(CountChanged(p, FadeDib(p, 6, 200, 100, 40, {})), CountChanged(p, out));
}

TEST(Fade, FollowsTheAreasEdges)
{
    const Picture p = Uniform(20, 20, {0, 0, 0});
    const Picture out = FadeDib(p, 2, 255, 255, 255, {5, 5, 15, 15});
    EXPECT_EQ(out.Pixel(5, 5), (Bgr{255, 255, 255}));
    EXPECT_EQ(out.Pixel(14, 10), (Bgr{255, 255, 255}));
    EXPECT_EQ(out.Pixel(4, 4), (Bgr{0, 0, 0}));
    EXPECT_EQ(out.Pixel(10, 10), (Bgr{0, 0, 0}));
}

struct CurlOptions {
    bool foreground = true, original = true, foreCurl = true;
    double opacity = 0.5;
    bool underShade = true, lowerRight = true, upperLeft = true, vertical = true;
    Bgr fore{255, 255, 255}, back{0, 0, 0};
};

Picture CurlWith(const Picture& p, const CurlOptions& o)
{
    return Curl(p, o.foreground, !o.foreground, o.original, o.foreCurl, !o.foreCurl, o.opacity, o.underShade,
                !o.lowerRight, o.lowerRight, o.upperLeft, !o.upperLeft, o.vertical, !o.vertical, o.back.r, o.back.g,
                o.back.b, o.fore.r, o.fore.g, o.fore.b, {});
}

TEST(Curl, CurlsTheLowerRightCornerByDefault)
{
    const Picture p = Uniform(100, 80, {30, 90, 150});
    const Picture out = CurlWith(p, {});
    EXPECT_EQ(out.Pixel(2, 2), p.Pixel(2, 2)) << "the far corner stays";
    // The flap lies just inside the fold from (65, 80) to (100, 32); its white paper, half opaque, is lighter
    // than the picture under it.
    EXPECT_GT(out.Pixel(78, 53).g, 100);
    EXPECT_GT(out.Pixel(78, 53).b, 60);
    // The corner itself has been uncovered: the picture shows, shaded only next to the curl.
    EXPECT_EQ(out.Pixel(99, 79), p.Pixel(99, 79));
}

TEST(Curl, ColoursOpacityAndCornersTakeEffect)
{
    const Picture p = test::MakeTestPicture(100, 80, 12);
    const Picture base = CurlWith(p, {});
    // Without "original" the uncovered corner shows the chosen colour.
    CurlOptions o;
    o.original = false;
    o.underShade = false;
    EXPECT_EQ(CurlWith(p, o).Pixel(99, 79), (Bgr{255, 255, 255}));
    o.foreground = false;
    EXPECT_EQ(CurlWith(p, o).Pixel(99, 79), (Bgr{0, 0, 0}));

    auto differs = [&](CurlOptions changed) { return !CurlWith(p, changed).SamePixels(base); };
    CurlOptions c;
    c.opacity = 1.0;
    EXPECT_TRUE(differs(c)) << "opacity";
    c = {};
    c.foreCurl = false;
    EXPECT_TRUE(differs(c)) << "curl colour";
    c = {};
    c.underShade = false;
    EXPECT_TRUE(differs(c)) << "under shade";
    c = {};
    c.lowerRight = false;
    EXPECT_TRUE(differs(c)) << "lower left corner";
    EXPECT_EQ(CurlWith(p, c).Pixel(99, 79), p.Pixel(99, 79));
    EXPECT_EQ(CurlWith(p, c).Pixel(99, 2), p.Pixel(99, 2));

    // A horizontal roll curls an upper corner, chosen by the upper pair.
    c = {};
    c.original = false;
    c.vertical = false;
    const Picture upperLeft = CurlWith(p, c);
    EXPECT_NE(upperLeft.Pixel(3, 3), p.Pixel(3, 3));
    EXPECT_EQ(upperLeft.Pixel(97, 77), p.Pixel(97, 77));
    c.upperLeft = false;
    const Picture upperRight = CurlWith(p, c);
    EXPECT_NE(upperRight.Pixel(97, 3), p.Pixel(97, 3));
    EXPECT_EQ(upperRight.Pixel(3, 3), p.Pixel(3, 3));
}

// A smooth picture and its quarter-size box average, standing for a full picture and its preview.
Picture Smooth(int w, int h)
{
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.SetPixel(x, y, {std::uint8_t(40 + 150 * x / w), std::uint8_t(60 + 120 * y / h),
                              std::uint8_t(90 + 60 * (x + y) / (w + h))});
    return p;
}

Picture QuarterSize(const Picture& p)
{
    Picture q(p.Width() / 4, p.Height() / 4);
    for (int y = 0; y < q.Height(); ++y)
        for (int x = 0; x < q.Width(); ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int j = 0; j < 4; ++j)
                    for (int i = 0; i < 4; ++i)
                        sum += p.Row(4 * y + j)[3 * (4 * x + i) + c];
                q.Row(y)[3 * x + c] = std::uint8_t((sum + 8) / 16);
            }
    return q;
}

TEST(EffectsOneToNine, ScaleFreeEffectsLookTheSameOnThePreviewAndTheFullPicture)
{
    const Picture full = Smooth(584, 452);
    const Picture preview = QuarterSize(full);
    ASSERT_EQ(preview.Width(), 146);
    const std::vector<std::pair<std::string, std::function<Picture(const Picture&)>>> effects = {
        {"curl", [](const Picture& p) { return CurlWith(p, {}); }},
        {"auto contrast", [](const Picture& p) { return AutoContrast(p, {}); }},
        {"enhance", [](const Picture& p) { return Enhance(p, 100, 200, 236, 120, 15, {}); }},
    };
    for (const auto& [name, effect] : effects) {
        const Picture onPreview = effect(preview);
        EXPECT_LT(test::MeanChannelDifference(onPreview, QuarterSize(effect(full))), 3.0) << name;
        EXPECT_GT(test::MeanChannelDifference(onPreview, preview), 3.0) << name << " changes the picture";
    }
}

TEST(EffectsOneToNine, RefuseValuesOutsideTheirRanges)
{
    const Picture p = test::MakeTestPicture(8, 8, 1);
    EXPECT_THROW(Bled(p, 0, {}), ImagingError);
    EXPECT_THROW(Blur(p, 101, {}), ImagingError);
    EXPECT_THROW(Edge(p, 21, {}), ImagingError);
    EXPECT_THROW(Engrave(p, 0, {}), ImagingError);
    EXPECT_THROW(Enhance(p, -1, 0, 0, 0, 0, {}), ImagingError);
    EXPECT_THROW(FadeDib(p, 101, 0, 0, 0, {}), ImagingError);
}

}  // namespace
}  // namespace zelpix::effects
