#include "effects/ops/BuiltinTransforms.h"
#include "imaging/ImagingError.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace zelpix::effects {
namespace {

struct Rgb {
    int r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c)
{
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

Picture OnePixel(Rgb c)
{
    Picture p(1, 1);
    p.SetPixel(0, 0, Bgr{std::uint8_t(c.b), std::uint8_t(c.g), std::uint8_t(c.r)});
    return p;
}

Rgb PixelOf(const Picture& p, int x = 0, int y = 0)
{
    const Bgr c = p.Pixel(x, y);
    return {c.r, c.g, c.b};
}

struct PixelCase {
    std::string name;
    std::function<Picture(Picture)> transform;
    Rgb in, out;
};

std::function<Picture(Picture)> Style(int s)
{
    return [s](Picture p) { return ColorSuperimposition(std::move(p), s); };
}

class PixelFormula : public testing::TestWithParam<PixelCase> {};

TEST_P(PixelFormula, GivesTheHandComputedPixel)
{
    const PixelCase& c = GetParam();
    EXPECT_EQ(PixelOf(c.transform(OnePixel(c.in))), c.out);
}

auto Plain(Picture (*f)(Picture, const Area&))
{
    return [f](Picture p) { return f(std::move(p), {}); };
}

INSTANTIATE_TEST_SUITE_P(
    Transforms, PixelFormula,
    testing::Values(
        PixelCase{"ExposureLowChannelsOnly", Plain(Exposure), {100, 200, 128}, {155, 200, 128}},
        PixelCase{"ExposureAtTheThreshold", Plain(Exposure), {127, 0, 255}, {128, 255, 255}},
        PixelCase{"Spooky", Plain(Spooky), {200, 100, 50}, {200, 150, 125}},
        PixelCase{"SpookyRoundsDown", Plain(Spooky), {255, 0, 254}, {255, 127, 254}},
        PixelCase{"PurpleUsesNewRed", Plain(Purple), {200, 100, 50}, {150, 75, 100}},
        PixelCase{"PurpleWhite", Plain(Purple), {255, 255, 255}, {255, 255, 255}},
        PixelCase{"Style0", Style(0), {100, 50, 10}, {75, 75, 31}},
        PixelCase{"Style1", Style(1), {100, 50, 10}, {75, 75, 10}},
        PixelCase{"Style2", Style(2), {100, 50, 10}, {55, 50, 55}},
        PixelCase{"Style3", Style(3), {100, 50, 10}, {100, 30, 30}},
        // 100 * 2 * arctan(30) = 307.49: the low byte is 51.
        PixelCase{"Style4LowByte", Style(4), {100, 50, 10}, {51, 30, 30}},
        PixelCase{"Style5", Style(5), {100, 50, 10}, {55, 155, 55}},
        // 100 sin 100 = -50.6 -> -50 -> 206; 50 sin 50 = -13.1 -> 243; 10 sin 10 = -5.4 -> 251.
        PixelCase{"Style6NegativeLowByte", Style(6), {100, 50, 10}, {206, 243, 251}},
        PixelCase{"Style6Zero", Style(6), {0, 0, 0}, {0, 0, 0}},
        PixelCase{"Style7Grey", Style(7), {120, 120, 120}, {182, 213, 151}},
        PixelCase{"Style7", Style(7), {100, 50, 10}, {78, 92, 64}},
        PixelCase{"Style7Wraps", Style(7), {255, 255, 255}, {127, 191, 63}},
        PixelCase{"Style8", Style(8), {100, 50, 10}, {50, 50, 25}},
        PixelCase{"Style9", Style(9), {100, 50, 10}, {100, 50, 25}},
        PixelCase{"Style10", Style(10), {100, 50, 10}, {132, 66, 44}},
        PixelCase{"Style11UsesOldValues", Style(11), {100, 50, 10}, {100, 100, 50}},
        PixelCase{"Style12UsesOldValues", Style(12), {100, 50, 10}, {50, 10, 10}},
        PixelCase{"Style13UsesOldValues", Style(13), {100, 50, 10}, {10, 100, 10}},
        PixelCase{"Style14Swaps", Style(14), {10, 20, 30}, {30, 20, 10}},
        PixelCase{"Style15", Style(15), {100, 50, 10}, {100, 50, 100}},
        PixelCase{"Style16", Style(16), {100, 50, 10}, {100, 100, 10}},
        PixelCase{"Style17", Style(17), {100, 50, 10}, {50, 50, 10}},
        PixelCase{"Style18", Style(18), {100, 50, 10}, {100, 50, 50}},
        PixelCase{"Style19", Style(19), {100, 50, 10}, {10, 50, 10}}),
    [](const testing::TestParamInfo<PixelCase>& info) { return info.param.name; });

// Rows long enough for the vector loop, with a tail: every pixel must come out as it does on its own.
TEST(PointTransforms, WideRowsGiveEachPixelItsOwnResult)
{
    std::vector<std::pair<std::string, std::function<Picture(Picture)>>> transforms = {
        {"Spooky", Plain(Spooky)}, {"Purple", Plain(Purple)}, {"Exposure", Plain(Exposure)}};
    for (int s = 0; s < ColorSuperimpositionStyles; ++s)
        transforms.emplace_back("Style" + std::to_string(s), Style(s));
    const Picture original = test::MakeTestPicture(77, 3, 7);
    for (const auto& [name, transform] : transforms) {
        const Picture result = transform(original);
        for (int y = 0; y < original.Height(); ++y)
            for (int x = 0; x < original.Width(); ++x)
                ASSERT_EQ(PixelOf(result, x, y), PixelOf(transform(OnePixel(PixelOf(original, x, y)))))
                    << name << " " << x << "," << y;
    }
}

TEST(ColorSuperimposition, RefusesStylesOutsideTheList)
{
    for (int style : {-1, 20})
        EXPECT_THROW(ColorSuperimposition(OnePixel({1, 2, 3}), style), ImagingError) << style;
}

// Carve and Emboss against the formula evaluated on the untouched original.
struct ReliefCase {
    std::string name;
    Picture (*transform)(Picture, const Area&);
    int sign;
};

class Relief : public testing::TestWithParam<ReliefCase> {};

TEST_P(Relief, EveryResultComesFromTheOriginalPicture)
{
    const Picture original = test::MakeTestPicture(17, 9, 3);
    const Picture result = GetParam().transform(original, {});
    for (int y = 0; y + 1 < original.Height(); ++y)
        for (int x = 0; x < original.Width(); ++x) {
            const Bgr a = original.Pixel(x, y);
            const Bgr n = original.Pixel(std::min(x + 1, original.Width() - 1), y + 1);
            const Bgr got = result.Pixel(x, y);
            const int s = GetParam().sign;
            ASSERT_EQ(got.r, std::clamp(s * (n.r - a.r) + 128, 0, 255)) << x << "," << y;
            ASSERT_EQ(got.g, std::clamp(s * (n.g - a.g) + 128, 0, 255)) << x << "," << y;
            ASSERT_EQ(got.b, std::clamp(s * (n.b - a.b) + 128, 0, 255)) << x << "," << y;
        }
    for (int x = 0; x < original.Width(); ++x)
        EXPECT_EQ(result.Pixel(x, 8), original.Pixel(x, 8)) << "bottom row kept";
}

TEST_P(Relief, UniformColourBecomesMidGreyExceptTheBottomRow)
{
    Picture uniform(5, 4);
    uniform.Fill({30, 200, 90});
    const Picture result = GetParam().transform(uniform, {});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(result.Pixel(x, y), (y == 3 ? Bgr{30, 200, 90} : Bgr{128, 128, 128})) << x << "," << y;
}

TEST_P(Relief, ClampsAndLeavesShortPicturesAlone)
{
    Picture twoRows(1, 2);
    twoRows.SetPixel(0, 0, {0, 255, 10});
    twoRows.SetPixel(0, 1, {255, 0, 10});
    const Bgr top = GetParam().transform(twoRows, {}).Pixel(0, 0);
    const Bgr expected = GetParam().sign > 0 ? Bgr{255, 0, 128} : Bgr{0, 255, 128};
    EXPECT_EQ(top, expected);

    for (auto [w, h] : {std::pair{1, 1}, std::pair{7, 1}}) {
        const Picture flat = test::MakeTestPicture(w, h, 5);
        EXPECT_TRUE(GetParam().transform(flat, {}).SamePixels(flat)) << w << "x" << h;
    }
}

TEST_P(Relief, OnlyTheAreaChanges)
{
    const Picture original = test::MakeTestPicture(12, 10, 7);
    const Area area{3, 2, 8, 6};
    const Picture result = GetParam().transform(original, area);
    const Picture whole = GetParam().transform(original, {});
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inside = x >= 3 && x < 8 && y >= 2 && y < 6;
            EXPECT_EQ(result.Pixel(x, y), inside ? whole.Pixel(x, y) : original.Pixel(x, y)) << x << "," << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Transforms, Relief,
                         testing::Values(ReliefCase{"Carve", Carve, +1}, ReliefCase{"Emboss", Emboss, -1}),
                         [](const testing::TestParamInfo<ReliefCase>& info) { return info.param.name; });

TEST(PointTransforms, HonourTheAreaAndKeepTheSize)
{
    const Picture original = test::MakeTestPicture(9, 7, 11);
    const Area area{2, 1, 5, 0}; // bottom 0: down to the last row
    const std::vector<std::pair<std::string, std::function<Picture(Picture, const Area&)>>> transforms = {
        {"Spooky", Spooky},
        {"Purple", Purple},
        {"Exposure", Exposure},
        {"Style0", [](Picture p, const Area& a) { return ColorSuperimposition(std::move(p), 0, a); }},
        {"Style10", [](Picture p, const Area& a) { return ColorSuperimposition(std::move(p), 10, a); }},
    };
    for (const auto& [name, transform] : transforms) {
        const Picture part = transform(original, area);
        const Picture whole = transform(original, {});
        ASSERT_EQ(part.Width(), 9);
        ASSERT_EQ(part.Height(), 7);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 9; ++x) {
                const bool inside = x >= 2 && x < 5 && y >= 1;
                EXPECT_EQ(part.Pixel(x, y), inside ? whole.Pixel(x, y) : original.Pixel(x, y))
                    << name << " " << x << "," << y;
            }
    }
}

}  // namespace
}  // namespace zelpix::effects
