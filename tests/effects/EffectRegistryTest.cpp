#include "effects/ops/EffectRegistry.h"
#include "effects/ops/ParallelRows.h"
#include "support/TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

namespace zelpix::effects {
namespace {

using testing::HasSubstr;

TEST(EffectRegistry, HoldsTheThirtyThreeEffectsInButtonOrder)
{
    const auto& effects = Effects();
    ASSERT_EQ(effects.size(), 33u);
    std::set<std::string> buttons, cliNames;
    for (std::size_t i = 0; i < effects.size(); ++i) {
        const EffectSpec& e = effects[i];
        SCOPED_TRACE(e.button);
        EXPECT_EQ(e.number, int(i) + 1);
        EXPECT_TRUE(buttons.insert(e.button).second) << "button used twice";
        EXPECT_TRUE(cliNames.insert(CliName(e.menuItem)).second) << "command-line name used twice";
        EXPECT_NE(e.run, nullptr);
        EXPECT_EQ(e.noParamsText.empty(), !e.params.empty());
        // Pages stand in catalogue order: dialogs 1-3 hold nine each, the fourth six.
        const int dialog = int(e.dialog);
        EXPECT_EQ(dialog, std::min(3, (e.number - 1) / 9));
        EXPECT_GE(e.PagePosition(), 0);
        EXPECT_LE(e.PagePosition(), dialog == 3 ? 5 : 8);
        for (const ParamSpec& p : e.params)
            EXPECT_EQ(CheckParamValue(p, p.defaultValue), "") << p.controlName;
        const ParamValues defaults = e.Defaults();
        for (const auto& [a, b] : e.exclusivePairs)
            EXPECT_EQ(defaults[std::size_t(a)] + defaults[std::size_t(b)], 1) << "one of a pair is selected";
    }
}

TEST(EffectRegistry, KeepsTheCatalogueTextsAsTheyAreSpelled)
{
    struct Text {
        int number;
        std::string EffectSpec::*field;
        std::string text;
    };
    const Text texts[] = {
        {26, &EffectSpec::caption, "Effects - Bump Effect"},
        {26, &EffectSpec::groupCaption, "Hist Auto  Equalize Effect Parameters"},
        {26, &EffectSpec::noParamsText, "No parameters needed."},
        {24, &EffectSpec::noParamsText, "No parameters needed."},
        {10, &EffectSpec::noParamsText, "No parameters needed"},
        {1, &EffectSpec::groupCaption, "Auto Contras Effect Parameters"},
        {1, &EffectSpec::page, "AutoContras"},
        {12, &EffectSpec::caption, "Effects - Hue and Saturation Effect"},
        {12, &EffectSpec::groupCaption, "Hue and Saturation Effect Parameters"},
        {12, &EffectSpec::hint, "Hue && Saturation Effect"},
        {17, &EffectSpec::button, "NoButtonn"},
        {25, &EffectSpec::page, "ThreshHold"},
        {32, &EffectSpec::groupCaption, "Color Superimposition Parameters"},
        {19, &EffectSpec::menuItem, "Pinch"},
        {22, &EffectSpec::menuGroup, "Blur && Sharpen"},
        {33, &EffectSpec::tabCaption, "Ex"},
    };
    for (const Text& t : texts)
        EXPECT_EQ(FindEffectByNumber(t.number)->*t.field, t.text) << "effect " << t.number;
    EXPECT_EQ(DialogClassName(FindEffectByNumber(19)->dialog), "TEffectform3");
    EXPECT_EQ(DisplayText("Hue && Saturation"), "Hue & Saturation");
    EXPECT_EQ(DisplayText("E&ffect Filter"), "Effect Filter");
    EXPECT_EQ(FindEffectByNumber(32)->params[0].choices[19], "Sytle 20");
    EXPECT_EQ(FindEffectByNumber(11)->params[2].choices[6], "Insical  square");
}

TEST(EffectRegistry, FindsEffectsByNumberButtonAndCommandLineName)
{
    const std::pair<std::string, int> names[] = {
        {"exposure", 33},     {"colorsuperimposition", 32}, {"huesaturation", 12}, {"whirlpool", 27},
        {"histautoequalize", 26}, {"sharpen", 22},          {"WhirlPool", 27},     {"AUTOCONTRAST", 1},
        {"pinch", 19},        {"pixel", 20},                {"halftone", 11},
    };
    for (const auto& [name, number] : names) {
        const EffectSpec* e = FindEffectByCliName(name);
        ASSERT_NE(e, nullptr) << name;
        EXPECT_EQ(e->number, number) << name;
    }
    for (const char* unknown : {"", "whirl", "hue&saturation", "bleeding"})
        EXPECT_EQ(FindEffectByCliName(unknown), nullptr) << unknown;
    EXPECT_EQ(FindEffectByButton("NoButtonn")->number, 17);
    EXPECT_EQ(FindEffectByButton("nobuttonn"), nullptr) << "buttons are identifiers";
    EXPECT_EQ(FindEffectByNumber(0), nullptr);
    EXPECT_EQ(FindEffectByNumber(34), nullptr);
    EXPECT_EQ(FindEffectByNumber(4)->ParamIndex("cuopaces"), 2);
    EXPECT_EQ(FindEffectByNumber(4)->ParamIndex("Opace"), -1);
}

TEST(EffectRegistry, SelectingOneOptionOfAPairClearsTheOther)
{
    const EffectSpec& curl = *FindEffectByButton("CuButton");
    ParamValues v = curl.Defaults();
    const int fore = curl.ParamIndex("ForeGroundCheck"), back = curl.ParamIndex("BackgroundCheck");
    curl.SetParam(v, back, 1);
    EXPECT_EQ(v[std::size_t(fore)], 0);
    curl.SetParam(v, fore, 1);
    EXPECT_EQ(v[std::size_t(back)], 0);
    curl.SetParam(v, fore, 0);
    EXPECT_EQ(v[std::size_t(back)], 1);
    const int opacity = curl.ParamIndex("CuOpaces");
    curl.SetParam(v, opacity, 4);
    EXPECT_EQ(v[std::size_t(opacity)], 4);
}

TEST(EffectRegistry, RefusesValuesOutsideTheRangeWithTheValidOnes)
{
    const ParamSpec& bleed = FindEffectByNumber(2)->params[0];
    EXPECT_EQ(CheckParamValue(bleed, 1000), "");
    for (double bad : {0.0, 1001.0, 2.5}) {
        const std::string message = CheckParamValue(bleed, bad);
        EXPECT_THAT(message, HasSubstr("BlValues"));
        EXPECT_THAT(message, HasSubstr("1..1000, default 150"));
    }
    const ParamSpec& shape = FindEffectByNumber(11)->params[2];
    EXPECT_THAT(CheckParamValue(shape, 7), HasSubstr("6 \"Insical  square\""));
    const ParamSpec& flag = FindEffectByNumber(25)->params[1];
    EXPECT_THAT(CheckParamValue(flag, 2), HasSubstr("0 or 1"));
    const ParamSpec& colour = FindEffectByNumber(7)->params[2];
    EXPECT_THAT(DescribeParam(colour), HasSubstr("#0F78EC"));
    EXPECT_NE(CheckParamValue(colour, double(0x1000000)), "");
}

TEST(EffectRegistry, AreasCutOutThePictureExceptForTheLensRectangle)
{
    const Picture p = test::MakeTestPicture(146, 113, 4);
    const Area right{73, 0, 146, 113};
    auto inside = [&](const Picture& a, const Picture& b) {
        for (int y = 0; y < 113; ++y)
            for (int x = 73; x < 146; ++x)
                if (!(a.Pixel(x, y) == b.Pixel(x, y)))
                    return false;
        return true;
    };
    // The lens rectangle is in picture coordinates whatever the area.
    const EffectSpec& lens = *FindEffectByButton("LeButton");
    ParamValues v = lens.Defaults();
    v[0] = 80, v[1] = 20, v[2] = 50, v[3] = 50;
    const Picture whole = lens.run(p, v, {});
    ASSERT_FALSE(whole.SamePixels(p));
    EXPECT_TRUE(inside(lens.run(p, v, right), whole));
    // Tile works on the cut-out part as if it were the picture.
    const EffectSpec& tile = *FindEffectByButton("TiButton");
    Picture part(73, 113);
    for (int y = 0; y < 113; ++y)
        for (int x = 0; x < 73; ++x)
            part.SetPixel(x, y, p.Pixel(73 + x, y));
    const Picture tiledPart = tile.run(part, {}, {});
    const Picture tiled = tile.run(p, {}, right);
    for (int y = 0; y < 113; ++y)
        for (int x = 0; x < 73; ++x)
            ASSERT_EQ(tiled.Pixel(73 + x, y), tiledPart.Pixel(x, y)) << x << "," << y;
}

// Properties every effect keeps, run through the registry as every caller runs them.
class EveryEffect : public testing::TestWithParam<int> {
protected:
    const EffectSpec& Effect() const { return *FindEffectByNumber(GetParam()); }
    Picture Run(const Picture& p, const ParamValues& v, const Area& a = {}) const { return Effect().run(p, v, a); }
};

std::string EffectName(const testing::TestParamInfo<int>& info)
{
    return CliName(FindEffectByNumber(info.param)->menuItem);
}

TEST_P(EveryEffect, KeepsTheSizeAndIsDeterministicOnThePreview)
{
    const Picture preview = test::MakeTestPicture(146, 113, 21);
    const Picture first = Run(preview, Effect().Defaults());
    ASSERT_EQ(first.Width(), 146);
    ASSERT_EQ(first.Height(), 113);
    EXPECT_TRUE(Run(preview, Effect().Defaults()).SamePixels(first));
}

TEST_P(EveryEffect, SurvivesTinyPicturesAndTheEndsOfEveryRange)
{
    std::vector<ParamValues> settings = {Effect().Defaults()};
    ParamValues low = Effect().Defaults(), high = Effect().Defaults();
    for (std::size_t i = 0; i < low.size(); ++i) {
        low[i] = Effect().params[i].minimum;
        high[i] = Effect().params[i].maximum;
    }
    settings.push_back(low);
    settings.push_back(high);
    for (std::size_t i = 0; i < low.size(); ++i)
        for (double end : {Effect().params[i].minimum, Effect().params[i].maximum}) {
            ParamValues one = Effect().Defaults();
            one[i] = end;
            settings.push_back(one);
        }
    for (auto [w, h] : {std::pair{1, 1}, std::pair{2, 2}, std::pair{1, 7}, std::pair{9, 1}, std::pair{146, 113}})
        for (const ParamValues& v : settings) {
            const Picture p = test::MakeTestPicture(w, h, 3);
            const Picture out = Run(p, v);
            ASSERT_EQ(out.Width(), w);
            ASSERT_EQ(out.Height(), h);
        }
}

TEST_P(EveryEffect, LeavesPixelsOutsideTheAreaAlone)
{
    const Picture p = test::MakeTestPicture(146, 113, 8);
    const Area area{20, 15, 100, 80};
    const Picture out = Run(p, Effect().Defaults(), area);
    for (int y = 0; y < p.Height(); ++y)
        for (int x = 0; x < p.Width(); ++x)
            if (x < 20 || x >= 100 || y < 15 || y >= 80)
                ASSERT_EQ(out.Pixel(x, y), p.Pixel(x, y)) << x << "," << y;
}

TEST_P(EveryEffect, AnInvertedOrOutsideAreaChangesNothing)
{
    const Picture p = test::MakeTestPicture(146, 113, 8);
    for (const Area& area : {Area{30, 5, 10, 40}, Area{5, 60, 40, 20}, Area{200, 200, 300, 300}})
        EXPECT_TRUE(Run(p, Effect().Defaults(), area).SamePixels(p))
            << area.left << "," << area.top << "," << area.right << "," << area.bottom;
}

TEST_P(EveryEffect, GivesTheSameResultWithThreadsOnAndOff)
{
    const Picture p = test::MakeTestPicture(640, 480, 5);
    SetThreadsEnabled(false);
    const Picture single = Run(p, Effect().Defaults());
    SetThreadsEnabled(true);
    EXPECT_TRUE(Run(p, Effect().Defaults()).SamePixels(single));
}

TEST_P(EveryEffect, EveryParameterChangesTheResultOverItsRange)
{
    // Settings under which a parameter comes into play, where the defaults hide it.
    const std::vector<std::pair<std::string, std::vector<std::pair<std::string, double>>>> contexts = {
        {"BackColorEdit", {{"backgroundcurlcheck", 1}}},
        {"ForeGroundCheck", {{"orginal", 0}}},
        {"BackgroundCheck", {{"orginal", 0}}},
        {"Upperleftcheck", {{"HorizontalCheck", 1}}},
        {"Upperrightcheck", {{"HorizontalCheck", 1}}},
        {"JiPeriods", {{"JiAmps", 10}}},
        {"JiShapeID", {{"JiAmps", 10}, {"JiPeriods", 20}}},
        {"LeCropXs", {{"LeCropWidths", 60}, {"LeCropHeights", 60}}},
        {"LeCropYs", {{"LeCropWidths", 60}, {"LeCropHeights", 60}}},
        {"LeRefractions", {{"LeCropXs", 20}, {"LeCropYs", 20}, {"LeCropWidths", 80}, {"LeCropHeights", 60}}},
    };
    const Picture p = test::MakeTestPicture(146, 113, 13);
    const EffectSpec& e = Effect();
    for (std::size_t i = 0; i < e.params.size(); ++i) {
        const ParamSpec& param = e.params[i];
        if (param.minimum == param.maximum)
            continue;
        ParamValues base = e.Defaults();
        for (const auto& [name, settings] : contexts)
            if (name == param.controlName)
                for (const auto& [other, value] : settings)
                    e.SetParam(base, e.ParamIndex(other), value);
        // Angles and phases come round again at the top of their range (and a two-sided smear at half of it),
        // and the darkest and lightest colours are both grey: a quarter of the range and pure red against pure
        // blue tell them apart.
        const double span = param.maximum - param.minimum;
        std::vector<double> values = {param.minimum, std::round(param.minimum + span / 4),
                                      std::round(param.minimum + span / 2), param.maximum};
        if (param.kind == ParamKind::Colour)
            values = {double(0x0000FF), double(0xFF0000)};
        std::vector<Picture> results;
        for (double value : values) {
            ParamValues v = base;
            e.SetParam(v, int(i), value);
            results.push_back(Run(p, v));
        }
        bool changes = false;
        for (const Picture& r : results)
            changes = changes || !r.SamePixels(results[0]);
        EXPECT_TRUE(changes) << param.controlName;
    }
}

INSTANTIATE_TEST_SUITE_P(Registry, EveryEffect, testing::Range(1, 34), EffectName);

}  // namespace
}  // namespace zelpix::effects
