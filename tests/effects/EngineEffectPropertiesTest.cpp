// Properties every one of effects 10 to 27 must have, at its defaults and at the ends of its ranges: the size
// is kept, tiny pictures work, the result is repeatable and the same with threads on and off, and pixels
// outside the area are left alone.
#include "EffectTestPictures.h"
#include "effects/ops/DistortEffects.h"
#include "effects/ops/ParallelRows.h"
#include "effects/ops/StylizeEffects.h"
#include "effects/ops/ToneEffects.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace zelpix::effects {
namespace {

using Run = std::function<Picture(const Picture&, const Area&)>;

struct EffectCase {
    std::string name;
    Run run;
    bool hasArea; // false: the operation always works on the whole picture
};

std::ostream& operator<<(std::ostream& out, const EffectCase& c) { return out << c.name; }

// Each effect at its defaults and with every parameter at the low and the high end of its range.
std::vector<EffectCase> Cases()
{
    return {
        {"GrayArea", [](const Picture& p, const Area& a) { return GrayArea(p, a); }, true},
        {"HalfToneDefault", [](const Picture& p, const Area&) { return HToneImage(p, 2, 0.0f, 0); }, false},
        {"HalfToneLow", [](const Picture& p, const Area&) { return HToneImage(p, 1, 0.0f, 0); }, false},
        {"HalfToneHigh", [](const Picture& p, const Area&) { return HToneImage(p, 50, 360.0f, 6); }, false},
        {"HueSatHigh",
         [](const Picture& p, const Area& a) {
             return ilHueAndSaturation(p, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, a);
         },
         true},
        {"HueSatMixed",
         [](const Picture& p, const Area& a) { return ilHueAndSaturation(p, 300, 1, 700, 1, 50, 1, 200, 150, 90, a); },
         true},
        {"JiggleLow", [](const Picture& p, const Area& a) { return Jiggle(p, 0, 3, 1, a); }, true},
        {"JiggleHigh", [](const Picture& p, const Area& a) { return Jiggle(p, 3000, 3000, 6, a); }, true},
        {"JiggleMid", [](const Picture& p, const Area& a) { return Jiggle(p, 7, 4, 3, a); }, true},
        {"LensDefault", [](const Picture& p, const Area&) { return Lens(p, 0, 0, 1, 1, 2.0); }, false},
        {"LensHigh", [](const Picture& p, const Area&) { return Lens(p, 3000, 3000, 3000, 3000, 20.0); }, false},
        {"LensCovering", [](const Picture& p, const Area&) { return Lens(p, 0, 0, 3000, 3000, 20.0); }, false},
        {"WaveDefault", [](const Picture& p, const Area&) { return Wave(p, 50, 30, 1, false); }, false},
        {"WaveLow", [](const Picture& p, const Area&) { return Wave(p, 0, 0, 0, false); }, false},
        {"WaveHigh", [](const Picture& p, const Area&) { return Wave(p, 200, 200, 100, true); }, false},
        {"WaveShort", [](const Picture& p, const Area&) { return Wave(p, 1, 0, 0, true); }, false},
        {"MotionDefault", [](const Picture& p, const Area& a) { return Motion(p, 30, 45, 2, a); }, true},
        {"MotionLow", [](const Picture& p, const Area& a) { return Motion(p, 2, 0, 1, a); }, true},
        {"MotionHigh", [](const Picture& p, const Area& a) { return Motion(p, 100, 360, 3, a); }, true},
        {"NoisyDefault", [](const Picture& p, const Area& a) { return Noise(p, 30, 30, 30, 30, 30, a); }, true},
        {"NoisyHigh", [](const Picture& p, const Area& a) { return Noise(p, 2000, 2000, 1000, 1000, 1000, a); }, true},
        {"NoisyLow", [](const Picture& p, const Area& a) { return Noise(p, 0, 0, 1, 1, 1, a); }, true},
        {"OilPaintDefault", [](const Picture& p, const Area& a) { return OilPainting(p, 4, a); }, true},
        {"OilPaintHigh", [](const Picture& p, const Area& a) { return OilPainting(p, 20, a); }, true},
        {"PinchLow", [](const Picture& p, const Area& a) { return PinchHole(p, 1.0, a); }, true},
        {"PinchHigh", [](const Picture& p, const Area& a) { return PinchHole(p, 6.0, a); }, true},
        {"PixelFixDefault", [](const Picture& p, const Area& a) { return PixelFix(p, 70, a); }, true},
        {"PixelFixSmall", [](const Picture& p, const Area& a) { return PixelFix(p, 3, a); }, true},
        {"PixelFixHigh", [](const Picture& p, const Area& a) { return PixelFix(p, 1000, a); }, true},
        {"PolarDefault", [](const Picture& p, const Area& a) { return RecToPolar(p, 1, 0, false, false, a); }, true},
        {"PolarHigh", [](const Picture& p, const Area& a) { return RecToPolar(p, 1000, 360, true, true, a); }, true},
        {"PolarInverse", [](const Picture& p, const Area& a) { return RecToPolar(p, 3, 90, true, false, a); }, true},
        {"SharpLow", [](const Picture& p, const Area& a) { return Better(p, 1, a); }, true},
        {"SharpHigh", [](const Picture& p, const Area& a) { return Better(p, 15, a); }, true},
        {"SprayDefault", [](const Picture& p, const Area& a) { return Spray(p, 10, 0, a); }, true},
        {"SprayHigh", [](const Picture& p, const Area& a) { return Spray(p, 100, 1000, a); }, true},
        {"Tile", [](const Picture& p, const Area&) { return TileDib(p); }, false},
        {"ThresholdDefault", [](const Picture& p, const Area& a) { return ThresholdDib(p, 100, true, a); }, true},
        {"ThresholdLow", [](const Picture& p, const Area& a) { return ThresholdDib(p, 0, false, a); }, true},
        {"ThresholdHigh", [](const Picture& p, const Area& a) { return ThresholdDib(p, 300, true, a); }, true},
        {"HistAutoEqualize", [](const Picture& p, const Area&) { return HistAutoEqualize(p); }, false},
        {"WhirlDefault", [](const Picture& p, const Area& a) { return Whirl(p, 1000.0, a); }, true},
        {"WhirlLow", [](const Picture& p, const Area& a) { return Whirl(p, 1.0, a); }, true},
        {"WhirlHigh", [](const Picture& p, const Area& a) { return Whirl(p, 10000.0, a); }, true},
    };
}

class EngineEffectProperties : public ::testing::TestWithParam<EffectCase> {
protected:
    void TearDown() override { SetThreadsEnabled(true); }
};

TEST_P(EngineEffectProperties, KeepsTheSizeOfAnyPictureDownToOnePixel)
{
    for (auto [w, h] : {std::pair{1, 1}, {2, 2}, {1, 7}, {9, 1}, {3, 2}, {146, 113}}) {
        const Picture in = zelpix::test::MakeTestPicture(w, h, 5);
        const Picture out = GetParam().run(in, Area{});
        EXPECT_EQ(out.Width(), w);
        EXPECT_EQ(out.Height(), h);
    }
}

TEST_P(EngineEffectProperties, GivesTheSameResultEveryTimeWithThreadsOnOrOff)
{
    const Picture in = zelpix::test::MakeTestPicture(640, 480, 3);
    SetThreadsEnabled(true);
    const Picture first = GetParam().run(in, Area{});
    const Picture again = GetParam().run(in, Area{});
    SetThreadsEnabled(false);
    const Picture single = GetParam().run(in, Area{});
    EXPECT_TRUE(first.SamePixels(again));
    EXPECT_TRUE(first.SamePixels(single));
}

// Values no dialog can send (far outside the ranges, not finite) are limited to the ranges, NaN to the low end:
// no crash, no hang.
TEST(EngineEffects, ValuesOutsideTheRangesAreHeldToThem)
{
    const Picture in = zelpix::test::MakeTestPicture(40, 30, 1);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    constexpr int big = std::numeric_limits<int>::max(), small = std::numeric_limits<int>::min();
    const std::vector<Picture> results = {
        HToneImage(in, big, float(nan), small),
        HToneImage(in, small, float(inf), big),
        ilHueAndSaturation(in, big, small, big, small, big, small, big, big, big, Area{}),
        Jiggle(in, small, big, big, Area{}),
        Lens(in, big, big, big, big, inf),
        Lens(in, small, small, big, big, nan),
        Lens(in, -20, -10, 60, 50, nan),
        Wave(in, big, small, big, true),
        Motion(in, big, small, big, Area{}),
        Noise(in, big, big, big, big, big, Area{}),
        OilPainting(in, big, Area{}),
        PinchHole(in, nan, Area{}),
        PinchHole(in, -inf, Area{small, small, big, big}),
        PixelFix(in, small, Area{}),
        RecToPolar(in, big, small, true, true, Area{}),
        Better(in, big, Area{}),
        Spray(in, big, small, Area{}),
        ThresholdDib(in, small, true, Area{}),
        Whirl(in, inf, Area{}),
        Whirl(in, nan, Area{-5, -5, 20, 20}),
    };
    for (const Picture& out : results) {
        EXPECT_EQ(out.Width(), 40);
        EXPECT_EQ(out.Height(), 30);
    }
    // Held to the ends of the ranges: the same as the ends themselves.
    EXPECT_TRUE(Motion(in, big, 360, 3, Area{}).SamePixels(Motion(in, 100, 360, 3, Area{})));
    EXPECT_TRUE(Whirl(in, inf, Area{}).SamePixels(Whirl(in, 10000.0, Area{})));
    EXPECT_TRUE(Whirl(in, nan, Area{}).SamePixels(Whirl(in, 1.0, Area{})));
}

INSTANTIATE_TEST_SUITE_P(Effects, EngineEffectProperties, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

std::vector<EffectCase> CasesWithArea()
{
    std::vector<EffectCase> cases = Cases();
    std::erase_if(cases, [](const EffectCase& c) { return !c.hasArea; });
    return cases;
}

class EngineEffectArea : public ::testing::TestWithParam<EffectCase> {};

TEST_P(EngineEffectArea, LeavesPixelsOutsideTheAreaAlone)
{
    const Picture in = zelpix::test::MakeTestPicture(64, 48, 9);
    const Area area{10, 6, 41, 30};
    const Picture out = GetParam().run(in, area);
    EXPECT_TRUE(test::SameOutside(in, out, 10, 6, 41, 30));
    // An area reaching past the picture is clipped to it.
    const Picture clipped = GetParam().run(in, Area{50, 40, 5000, 5000});
    EXPECT_TRUE(test::SameOutside(in, clipped, 50, 40, 64, 48));
}

INSTANTIATE_TEST_SUITE_P(Effects, EngineEffectArea, ::testing::ValuesIn(CasesWithArea()),
                         [](const auto& info) { return info.param.name; });

// Pairs of settings that differ in one parameter: the results must differ too, at both ends of each range.
struct ChangeCase {
    std::string name;
    std::function<Picture(const Picture&)> a, b;
};

// The picture at a sixteenth of its levels, for settings that only dark pixels tell apart.
Picture Dim(const Picture& p)
{
    Picture out(p);
    for (int y = 0; y < out.Height(); ++y)
        for (std::size_t i = 0; i < 3 * std::size_t(out.Width()); ++i)
            out.Row(y)[i] = std::uint8_t(out.Row(y)[i] / 16);
    return out;
}

std::ostream& operator<<(std::ostream& out, const ChangeCase& c) { return out << c.name; }

class EngineEffectParameter : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(EngineEffectParameter, ChangesTheResult)
{
    const Picture in = zelpix::test::MakeTestPicture(146, 113, 7);
    EXPECT_FALSE(GetParam().a(in).SamePixels(GetParam().b(in)));
}

#define CHANGE(name, a, b) \
    ChangeCase { name, [](const Picture& p) { return a; }, [](const Picture& p) { return b; } }

INSTANTIATE_TEST_SUITE_P(
    Effects, EngineEffectParameter,
    ::testing::Values(
        CHANGE("GrayArea", p, GrayArea(p, Area{})),
        CHANGE("HalfToneCellLow", HToneImage(p, 1, 0.0f, 0), HToneImage(p, 2, 0.0f, 0)),
        CHANGE("HalfToneCellHigh", HToneImage(p, 49, 0.0f, 0), HToneImage(p, 50, 0.0f, 0)),
        CHANGE("HalfToneAngle", HToneImage(p, 8, 0.0f, 0), HToneImage(p, 8, 30.0f, 0)),
        CHANGE("HalfToneAngleHigh", HToneImage(p, 8, 359.0f, 0), HToneImage(p, 8, 360.0f, 0)),
        CHANGE("HueRedLow", ilHueAndSaturation(p, 1, 1, 1, 1, 1, 1, 1, 1, 1, Area{}),
               ilHueAndSaturation(p, 2, 1, 1, 1, 1, 1, 1, 1, 1, Area{})),
        CHANGE("HueCyanHigh", ilHueAndSaturation(p, 1, 1, 1, 1, 1, 999, 1, 1, 1, Area{}),
               ilHueAndSaturation(p, 1, 1, 1, 1, 1, 1000, 1, 1, 1, Area{})),
        CHANGE("HueSatHigh", ilHueAndSaturation(p, 1, 1, 1, 1, 1, 1, 1, 900, 1, Area{}),
               ilHueAndSaturation(p, 1, 1, 1, 1, 1, 1, 1, 1000, 1, Area{})),
        CHANGE("HueBriHigh", ilHueAndSaturation(p, 1, 1, 1, 1, 1, 1, 1, 1, 900, Area{}),
               ilHueAndSaturation(p, 1, 1, 1, 1, 1, 1, 1, 1, 1000, Area{})),
        CHANGE("JiggleAmpLow", p, Jiggle(p, 20, 1, 1, Area{})),
        CHANGE("JigglePeriodHigh", Jiggle(p, 2000, 3000, 1, Area{}), Jiggle(p, 3000, 3000, 1, Area{})),
        CHANGE("JiggleAmpHigh", Jiggle(p, 100, 2999, 1, Area{}), Jiggle(p, 100, 3000, 1, Area{})),
        CHANGE("LensRefraction", Lens(p, 10, 10, 100, 80, 2.0), Lens(p, 10, 10, 100, 80, 20.0)),
        CHANGE("LensRefractionLow", p, Lens(p, 10, 10, 100, 80, 1.5)),
        CHANGE("LensPlace", Lens(p, 10, 10, 50, 50, 2.0), Lens(p, 11, 10, 50, 50, 2.0)),
        CHANGE("WaveAmp", Wave(p, 0, 30, 1, false), Wave(p, 1, 30, 1, false)),
        CHANGE("WaveLength", Wave(p, 50, 199, 1, false), Wave(p, 50, 200, 1, false)),
        CHANGE("WavePhase", Wave(p, 50, 30, 99, false), Wave(p, 50, 30, 100, false)),
        CHANGE("WaveReflective", Wave(p, 50, 30, 1, false), Wave(p, 50, 30, 1, true)),
        CHANGE("MotionValue", Motion(p, 2, 45, 2, Area{}), Motion(p, 3, 45, 2, Area{})),
        CHANGE("MotionAngle", Motion(p, 30, 0, 2, Area{}), Motion(p, 30, 1, 2, Area{})),
        CHANGE("MotionMode", Motion(p, 30, 45, 1, Area{}), Motion(p, 30, 45, 3, Area{})),
        CHANGE("NoisyValue", Noise(p, 1999, 30, 30, 30, 30, Area{}), Noise(p, 2000, 30, 30, 30, 30, Area{})),
        CHANGE("NoisyGray", Noise(p, 30, 0, 30, 30, 30, Area{}), Noise(p, 30, 1, 30, 30, 30, Area{})),
        CHANGE("NoisyBlue", Noise(p, 30, 30, 30, 30, 999, Area{}), Noise(p, 30, 30, 30, 30, 1000, Area{})),
        CHANGE("OilPaintValue", OilPainting(p, 19, Area{}), OilPainting(p, 20, Area{})),
        CHANGE("OilPaintLow", p, OilPainting(p, 1, Area{})),
        CHANGE("PinchValue", PinchHole(p, 5.0, Area{}), PinchHole(p, 6.0, Area{})),
        CHANGE("PinchLow", p, PinchHole(p, 1.0, Area{})),
        CHANGE("PixelFixLow", p, PixelFix(p, 2, Area{})),
        CHANGE("PixelFixHigh", PixelFix(p, 100, Area{}), PixelFix(p, 110, Area{})),
        CHANGE("PolarValue", RecToPolar(p, 1, 0, false, false, Area{}), RecToPolar(p, 2, 0, false, false, Area{})),
        CHANGE("PolarValueHigh", RecToPolar(p, 999, 0, false, false, Area{}),
               RecToPolar(p, 1000, 0, false, false, Area{})),
        CHANGE("PolarAngle", RecToPolar(p, 1, 0, false, false, Area{}), RecToPolar(p, 1, 10, false, false, Area{})),
        CHANGE("PolarInverse", RecToPolar(p, 1, 0, false, false, Area{}), RecToPolar(p, 1, 0, true, false, Area{})),
        CHANGE("PolarBackward", RecToPolar(p, 1, 0, false, false, Area{}),
               RecToPolar(p, 1, 0, false, true, Area{})),
        CHANGE("SharpValue", Better(p, 14, Area{}), Better(p, 15, Area{})),
        CHANGE("SharpLow", p, Better(p, 1, Area{})),
        CHANGE("SprayValue", p, Spray(p, 1, 0, Area{})),
        CHANGE("SprayValueHigh", Spray(p, 99, 0, Area{}), Spray(p, 100, 0, Area{})),
        CHANGE("SprayColour", Spray(p, 10, 0, Area{}), Spray(p, 10, 10, Area{})),
        CHANGE("SprayColourHigh", Spray(p, 10, 999, Area{}), Spray(p, 10, 1000, Area{})),
        CHANGE("Tile", p, TileDib(p)),
        CHANGE("ThresholdValueLow", ThresholdDib(Dim(p), 0, true, Area{}), ThresholdDib(Dim(p), 1, true, Area{})),
        CHANGE("ThresholdValueHigh", ThresholdDib(p, 299, true, Area{}), ThresholdDib(p, 300, true, Area{})),
        CHANGE("ThresholdAntiAliasing", ThresholdDib(p, 100, false, Area{}), ThresholdDib(p, 100, true, Area{})),
        CHANGE("HistAutoEqualize", p, HistAutoEqualize(p)),
        CHANGE("WhirlLow", p, Whirl(p, 1.0, Area{})),
        CHANGE("WhirlHigh", Whirl(p, 9999.0, Area{}), Whirl(p, 10000.0, Area{}))),
    [](const auto& info) { return info.param.name; });

#undef CHANGE

}  // namespace
}  // namespace zelpix::effects
