#include "effects/ops/EffectRegistry.h"

#include "effects/ops/BuiltinTransforms.h"
#include "effects/ops/DistortEffects.h"
#include "effects/ops/EngineEffectsA.h"
#include "effects/ops/StylizeEffects.h"
#include "effects/ops/ToneEffects.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace zelpix::effects {
namespace {

ParamSpec Int(std::string control, std::string label, int minimum, int maximum, int defaultValue)
{
    return {std::move(control), std::move(label), ParamKind::Integer, double(minimum), double(maximum),
            double(defaultValue), {}};
}

ParamSpec Flag(std::string control, std::string label, bool defaultValue)
{
    return {std::move(control), std::move(label), ParamKind::Flag, 0, 1, defaultValue ? 1.0 : 0.0, {}};
}

ParamSpec Colour(std::string control, std::string label, int red, int green, int blue)
{
    return {std::move(control), std::move(label), ParamKind::Colour, 0, double(0xFFFFFF),
            double(red | (green << 8) | (blue << 16)), {}};
}

ParamSpec Choice(std::string control, std::string label, std::vector<std::string> choices, int defaultIndex)
{
    const double last = double(choices.size()) - 1;
    return {std::move(control), std::move(label), ParamKind::Choice, 0, last, double(defaultIndex),
            std::move(choices)};
}

std::vector<std::string> StyleNames()
{
    std::vector<std::string> names;
    for (int i = 1; i <= ColorSuperimpositionStyles; ++i)
        names.push_back("Sytle " + std::to_string(i));
    return names;
}

int I(const ParamValues& v, std::size_t i) { return int(std::lround(v[i])); }
bool B(const ParamValues& v, std::size_t i) { return v[i] != 0; }

bool IsWhole(const Picture& picture, const Area& area)
{
    const PixelRect r = ResolveArea(area, picture.Width(), picture.Height());
    return r.x0 == 0 && r.y0 == 0 && r.x1 == picture.Width() && r.y1 == picture.Height();
}

// Operations that always work on a whole picture honour an area by working on a copy of that part, as if it
// were the picture.
template <typename F>
Picture OnPart(const Picture& picture, const Area& area, F operation)
{
    if (IsWhole(picture, area))
        return operation(picture);
    const PixelRect r = ResolveArea(area, picture.Width(), picture.Height());
    Picture out = picture;
    if (r.IsEmpty())
        return out;
    Picture part(r.x1 - r.x0, r.y1 - r.y0);
    for (int y = r.y0; y < r.y1; ++y)
        std::memcpy(part.Row(y - r.y0), picture.Row(y) + 3 * std::size_t(r.x0), 3 * std::size_t(part.Width()));
    const Picture result = operation(part);
    for (int y = r.y0; y < r.y1; ++y)
        std::memcpy(out.Row(y) + 3 * std::size_t(r.x0), result.Row(y - r.y0), 3 * std::size_t(part.Width()));
    return out;
}

// The operation on the whole picture, kept only inside the area (for Lens, whose rectangle is in picture
// coordinates whatever the area).
template <typename F>
Picture KeepInside(const Picture& picture, const Area& area, F operation)
{
    Picture result = operation(picture);
    if (IsWhole(picture, area))
        return result;
    const PixelRect r = ResolveArea(area, picture.Width(), picture.Height());
    Picture out = picture;
    for (int y = r.y0; y < r.y1 && r.x1 > r.x0; ++y)
        std::memcpy(out.Row(y) + 3 * std::size_t(r.x0), result.Row(y) + 3 * std::size_t(r.x0),
                    3 * std::size_t(r.x1 - r.x0));
    return out;
}

std::vector<EffectSpec> BuildTable()
{
    using D = EffectDialog;
    const std::string none = "No parameters needed";
    const std::string noneDot = "No parameters needed.";
    std::vector<EffectSpec> t;
    auto add = [&t](EffectSpec entry) { t.push_back(std::move(entry)); };

    add({1, "AuButton", "Auto Contrast Effect", "Color Perfect", "Auto Contrast", "Effects - Auto Contrast Effect",
         D::Form1, "AutoContras", "Au", "Auto Contras Effect Parameters", none, {}, {},
         [](const Picture& p, const ParamValues&, const Area& a) { return AutoContrast(p, a); }});
    add({2, "BlButton", "Bleed Effect", "Color Perfect", "Bleed", "Effects - Bleed Effect", D::Form1, "Bleed", "Ble",
         "Bleed Effect Parameters", "", {Int("BlValues", "Value", 1, 1000, 150)}, {},
         [](const Picture& p, const ParamValues& v, const Area& a) { return Bled(p, I(v, 0), a); }});
    add({3, "BluButton", "Blur Effect", "Blur && Sharpen", "Blur", "Effects - Blur Effect", D::Form1, "Blur", "Bl",
         "Blur Effect Parameters", "", {Int("BluValues", "Value", 1, 100, 5)}, {},
         [](const Picture& p, const ParamValues& v, const Area& a) { return Blur(p, I(v, 0), a); }});
    add({4, "CuButton", "Curl Effect", "Artistic", "Curl", "Effects - Curl Effect", D::Form1, "Curl", "Cu",
         "Curl Effect Parameters", "",
         {Colour("ForeColorEdit", "Fore Color", 255, 255, 255), Colour("BackColorEdit", "Back Color", 0, 0, 0),
          Int("CuOpaces", "Opace", 1, 4, 2), Flag("orginal", "Orginal", true),
          Flag("underShadeCheck", "Under Shade", true), Flag("ForeGroundCheck", "Foreground", true),
          Flag("BackgroundCheck", "Background", false), Flag("ForeGroundCurlCheck", "Foreground Curl", true),
          Flag("backgroundcurlcheck", "Background Curl", false), Flag("Upperleftcheck", "Upper left", true),
          Flag("Upperrightcheck", "Upper right", false), Flag("LowerLeftCheck", "Lower Left", false),
          Flag("lowerrightcheck", "Lower Rigth", true), Flag("VerticalCheck", "Vertical", true),
          Flag("HorizontalCheck", "Horizontal", false)},
         {{5, 6}, {7, 8}, {9, 10}, {11, 12}, {13, 14}},
         [](const Picture& p, const ParamValues& v, const Area& a) {
             const Bgr fore = ColourToBgr(v[0]), back = ColourToBgr(v[1]);
             return Curl(p, B(v, 5), B(v, 6), B(v, 3), B(v, 7), B(v, 8), I(v, 2) / 4.0, B(v, 4), B(v, 11), B(v, 12),
                         B(v, 9), B(v, 10), B(v, 13), B(v, 14), back.r, back.g, back.b, fore.r, fore.g, fore.b, a);
         }});
    add({5, "EdButton", "Edge Effect", "Stylize", "Edge", "Effects - Edge Effect", D::Form1, "Edge", "Ed",
         "Edge Effect Parameters", "", {Int("EdValues", "Value", 1, 20, 10)}, {},
         [](const Picture& p, const ParamValues& v, const Area& a) { return Edge(p, I(v, 0), a); }});
    add({6, "EnButton", "Engrave Effect", "Artistic", "Engrave", "Effects - Engrave Effect", D::Form1, "Engrave",
         "Eng", "Engrave Effect Parameters", "", {Int("EnValues", "Value", 1, 100, 2)}, {},
         [](const Picture& p, const ParamValues& v, const Area& a) { return Engrave(p, I(v, 0), a); }});
    add({7, "EnhButton", "Enhance Effect", "Color Perfect", "Enhance", "Effects - Enhance Effect", D::Form1,
         "Enhance", "Enh", "Enhance Effect Parameters", "",
         {Int("EnhBrights", "Bright", 0, 1000, 0), Int("EnhContrass", "Contrast", 0, 1000, 0),
          Colour("EnhColor", "Color:", 15, 120, 236)},
         {},
         [](const Picture& p, const ParamValues& v, const Area& a) {
             const Bgr c = ColourToBgr(v[2]);
             return Enhance(p, I(v, 0), I(v, 1), c.b, c.g, c.r, a);
         }});
    add({8, "ExButton", "Extrude Effect", "Stylize", "Extrude", "Effects - Extrude Effect", D::Form1, "Extrude",
         "Ex", "Extrude Effect Parameters", "",
         {Int("ExLevelss", "Levels", 1, 100, 1), Int("ExSizes", "Size", 3, 3, 3)}, {},
         [](const Picture& p, const ParamValues& v, const Area& a) {
             return OnPart(p, a, [&](const Picture& part) { return ExtrudeDib(part, I(v, 0), I(v, 1)); });
         }});
    add({9, "FaButton", "Fade Effect", "Artistic", "Fade", "Effects - Fade Effect", D::Form1, "Fade", "Fa",
         "Fade Effect Parameters", "",
         {Int("FaBorders", "Border", 1, 100, 3), Colour("FaColor", "Color:", 15, 120, 236)}, {},
         [](const Picture& p, const ParamValues& v, const Area& a) {
             const Bgr c = ColourToBgr(v[1]);
             return FadeDib(p, I(v, 0), c.r, c.g, c.b, a);
         }});
    add({10, "GrButton", "Gray Area Effect", "Color Perfect", "Gray Area", "Effects - Gray Area Effect", D::Form2,
         "GrayArea", "Gr", "Gray Area Effect Parameters", none, {}, {},
         [](const Picture& p, const ParamValues&, const Area& a) { return GrayArea(p, a); }});
    add({11, "HaButton", "Half Tone Effect", "Pixelate", "Half Tone", "Effects - Half Tone Effect", D::Form2,
         "HalfTone", "Ha", "Half Tone Effect Parameters", "",
         {Int("HaCellSizes", "Cell Size", 1, 50, 2), Int("HaAngles", "Angle", 0, 360, 0),
          Choice("HaShapeIDs", "Shape:",
                 {"Circle", "Ellipse", "Square", "Diamond", "Wave", "Quadrangle", "Insical  square"}, 0)},
         {},
         [](const Picture& p, const ParamValues& v, const Area& a) {
             return OnPart(p, a, [&](const Picture& part) { return HToneImage(part, I(v, 0), float(v[1]), I(v, 2)); });
         }});
    add({12, "HueButton", "Hue && Saturation Effect", "Color Perfect", "Hue && Saturation",
         "Effects - Hue and Saturation Effect", D::Form2, "Hue", "Hue", "Hue and Saturation Effect Parameters", "",
         {Int("HuedoReds", "Red", 1, 1000, 1), Int("HuedoGreens", "Green", 1, 1000, 1),
          Int("HuedoBlues", "Blue", 1, 1000, 1), Int("HuedoYellows", "Yellow", 1, 1000, 1),
          Int("HuedoMags", "Mag", 1, 1000, 1), Int("HuedoCYNs", "CYN", 1, 1000, 1), Int("HuevHels", "vHel", 1, 1000, 1),
          Int("HuevSets", "vSet", 1, 1000, 1), Int("HuevBris", "vBri", 1, 1000, 1)},
         {},
         [](const Picture& p, const ParamValues& v, const Area& a) {
             return ilHueAndSaturation(p, I(v, 0), I(v, 1), I(v, 2), I(v, 3), I(v, 4), I(v, 5), I(v, 6), I(v, 7),
                                       I(v, 8), a);
         }});
    add({13, "JiButton", "Jiggle Effect", "Stylize", "Jiggle", "Effects - Jiggle Effect", D::Form2, "Jiggle", "Ji",
         "Jiggle Effect Parameters", "",
         {Int("JiPeriods", "Period", 0, 3000, 0), Int("JiAmps", "Amp", 0, 3000, 0), Int("JiShapeID", "Shape:", 1, 6, 1)},
         {},
         [](const Picture& p, const ParamValues& v, const Area& a) { return Jiggle(p, I(v, 0), I(v, 1), I(v, 2), a); }});
    add({14, "LeButton", "Lens Effect", "Distort", "Lens", "Effects - Lens Effect", D::Form2, "Lens", "Le",
         "Lens Effect Parameters", "",
         {Int("LeCropXs", "Crop X", 0, 3000, 0), Int("LeCropYs", "Crop Y", 0, 3000, 0),
          Int("LeCropWidths", "Crop Width", 1, 3000, 1), Int("LeCropHeights", "Crop Height", 1, 3000, 1),
          Int("LeRefractions", "Refraction", 1, 20, 2)},
         {},
         [](const Picture& p, const ParamValues& v, const Area& a) {
             return KeepInside(p, a, [&](const Picture& whole) {
                 return Lens(whole, I(v, 0), I(v, 1), I(v, 2), I(v, 3), v[4]);
             });
         }});
    add({15, "WaButton", "Wave Effect", "Distort", "Wave", "Effects - Wave Effect", D::Form2, "Wave", "Wave",
         "Wave Effect Parameters", "",
         {Int("WaAmplitudes", "Amplitude", 0, 200, 50), Int("WaWaveLengths", "Wave Length", 0, 200, 30),
          Int("WaPhases", "Phase", 0, 100, 1), Flag("WaReflective", "Reflective", false)},
         {},
         [](const Picture& p, const ParamValues& v, const Area& a) {
             return OnPart(p, a, [&](const Picture& part) { return Wave(part, I(v, 0), I(v, 1), I(v, 2), B(v, 3)); });
         }});
    add({16, "MoButton", "Motion Effect", "Stylize", "Motion", "Effects - Motion Effect", D::Form2, "Motion", "Mot",
         "Motion Effect Parameters", "",
         {Int("MotValues", "Value", 2, 100, 30), Int("MotAngles", "Angle", 0, 360, 45), Int("MotWhats", "Mode", 1, 3, 2)},
         {},
         [](const Picture& p, const ParamValues& v, const Area& a) { return Motion(p, I(v, 0), I(v, 1), I(v, 2), a); }});
    add({17, "NoButtonn", "Noisy Effect", "Artistic", "Noisy", "Effects - Noisy Effect", D::Form2, "Noisy", "No",
         "Noisy Effect Parameters", "",
         {Int("NoValues", "Value", 0, 2000, 30), Int("NoGrays", "Gray", 0, 2000, 30), Int("NoReds", "Red", 1, 1000, 30),
          Int("NoGreens", "Green", 1, 1000, 30), Int("NoBlues", "Blue", 1, 1000, 30)},
         {},
         [](const Picture& p, const ParamValues& v, const Area& a) {
             return Noise(p, I(v, 0), I(v, 1), I(v, 2), I(v, 3), I(v, 4), a);
         }});
    add({18, "OiButton", "Oil Paint Effect", "Artistic", "Oil Paint", "Effects - Oil Paint Effect", D::Form2,
         "OilPaint", "Oi", "Oil Paint Effect Parameters", "", {Int("OiValues", "Value", 1, 20, 4)}, {},
         [](const Picture& p, const ParamValues& v, const Area& a) { return OilPainting(p, I(v, 0), a); }});
    add({19, "PiButton", "Pinch Hole Effect", "Distort", "Pinch", "Effects - Pinch Hole Effect", D::Form3,
         "PinchHole", "Pi", "Pinch Hole Effect Parameters", "", {Int("PiValues", "Value", 1, 6, 1)}, {},
         [](const Picture& p, const ParamValues& v, const Area& a) { return PinchHole(p, v[0], a); }});
    add({20, "PixButton", "Pixel Fix Effect", "Pixelate", "Pixel", "Effects - Pixel Fix Effect", D::Form3,
         "PixelFix", "Pix", "Pixel Fix Effect Parameters", "", {Int("PixValues", "Value", 1, 1000, 70)}, {},
         [](const Picture& p, const ParamValues& v, const Area& a) { return PixelFix(p, I(v, 0), a); }});
    add({21, "PoButton", "Polar Effect", "Distort", "Polar", "Effects - Polar Effect", D::Form3, "Polar", "Po",
         "Polar Effect Parameters", "",
         {Int("PoValues", "Value", 1, 1000, 1), Int("PoAngles", "Angle", 0, 360, 0), Flag("PoInverse", "Inverse", false),
          Flag("PoBackward", "Backward", false)},
         {},
         [](const Picture& p, const ParamValues& v, const Area& a) {
             return RecToPolar(p, I(v, 0), I(v, 1), B(v, 2), B(v, 3), a);
         }});
    add({22, "ShButton", "Sharp Effect", "Blur && Sharpen", "Sharpen", "Effects - Sharp Effect", D::Form3, "Sharp",
         "Sh", "Sharp Effect Parameters", "", {Int("ShValues", "Value", 1, 15, 8)}, {},
         [](const Picture& p, const ParamValues& v, const Area& a) { return Better(p, I(v, 0), a); }});
    add({23, "SpButton", "Spray Effect", "Artistic", "Spray", "Effects - Spray Effect", D::Form3, "Spray", "Sp",
         "Spray Effect Parameters", "", {Int("SpValues", "Value", 0, 100, 10), Int("SpColors", "Color", 0, 1000, 0)},
         {},
         [](const Picture& p, const ParamValues& v, const Area& a) { return Spray(p, I(v, 0), I(v, 1), a); }});
    add({24, "TiButton", "Tile Effect", "Stylize", "Tile", "Effects - Tile Effect", D::Form3, "Tile", "Ti",
         "Tile Effect Parameters", noneDot, {}, {},
         [](const Picture& p, const ParamValues&, const Area& a) {
             return OnPart(p, a, [](const Picture& part) { return TileDib(part); });
         }});
    add({25, "ThButton", "Threshold Effect", "Color Perfect", "Threshold", "Effects - Threshold Effect", D::Form3,
         "ThreshHold", "Th", "Threshold Effect Parameters", "",
         {Int("ThValues", "Value", 0, 300, 100), Flag("ThAntiAliasing", "Anti-Aliasing", true)}, {},
         [](const Picture& p, const ParamValues& v, const Area& a) { return ThresholdDib(p, I(v, 0), B(v, 1), a); }});
    add({26, "HiButton", "Hist Auto Equalize Effect", "Color Perfect", "Hist Auto Equalize", "Effects - Bump Effect",
         D::Form3, "Hist", "Hi", "Hist Auto  Equalize Effect Parameters", noneDot, {}, {},
         [](const Picture& p, const ParamValues&, const Area& a) {
             return OnPart(p, a, [](const Picture& part) { return HistAutoEqualize(part); });
         }});
    add({27, "WhButton", "Whirl Pool Effect", "Distort", "Whirl Pool", "Effects - Whirl Pool Effect", D::Form3,
         "WhirlPool", "Wh", "Whirl Pool Effect Parameters", "", {Int("WhValues", "Value", 1, 10000, 1000)}, {},
         [](const Picture& p, const ParamValues& v, const Area& a) { return Whirl(p, v[0], a); }});
    add({28, "CarButton", "Carve Effect", "Distort", "Carve", "Effects - Carve Effect", D::Form4, "CarSheet", "Ca",
         "Carve Effect Parameters", none, {}, {},
         [](const Picture& p, const ParamValues&, const Area& a) { return Carve(p, a); }});
    add({29, "EmbButton", "Emboss Effect", "Distort", "Emboss", "Effects - Emboss Effect", D::Form4, "EmbSheet", "Em",
         "Emboss Effect Parameters", none, {}, {},
         [](const Picture& p, const ParamValues&, const Area& a) { return Emboss(p, a); }});
    add({30, "SpoButton", "Spooky Effect", "Color Perfect", "Spooky", "Effects - Spooky Effect", D::Form4,
         "SpoSheet", "Sp", "Spooky Effect Parameters", none, {}, {},
         [](const Picture& p, const ParamValues&, const Area& a) { return Spooky(p, a); }});
    add({31, "PurButton", "Purple Effect", "Color Perfect", "Purple", "Effects - Purple Effect", D::Form4,
         "PurSheet", "Pu", "Purple Effect Parameters", none, {}, {},
         [](const Picture& p, const ParamValues&, const Area& a) { return Purple(p, a); }});
    add({32, "SupButton", "Color Superimposition Effect", "Color Perfect", "Color Superimposition",
         "Effects - Color Superimposition Effect", D::Form4, "SupSheet", "Su", "Color Superimposition Parameters", "",
         {Choice("RadioGroup1", "Color Superimposition Parameters", StyleNames(), 0)}, {},
         [](const Picture& p, const ParamValues& v, const Area& a) { return ColorSuperimposition(p, I(v, 0), a); }});
    add({33, "ExpButton", "Exposure Effect", "Artistic", "Exposure", "Effects - Exposure Effect", D::Form4,
         "ExpSheet", "Ex", "Exposure Effect Parameters", none, {}, {},
         [](const Picture& p, const ParamValues&, const Area& a) { return Exposure(p, a); }});
    return t;
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::string ColourText(double colour)
{
    const Bgr c = ColourToBgr(colour);
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c.r, c.g, c.b);
    return text;
}

}  // namespace

std::string_view DialogClassName(EffectDialog dialog)
{
    switch (dialog) {
    case EffectDialog::Form1:
        return "TEffectForm1";
    case EffectDialog::Form2:
        return "TEffectForm2";
    case EffectDialog::Form3:
        return "TEffectform3";
    case EffectDialog::Form4:
        return "TEffectForm4";
    }
    return {};
}

int EffectSpec::PagePosition() const
{
    static constexpr int firstNumber[] = {1, 10, 19, 28};
    return number - firstNumber[int(dialog)];
}

ParamValues EffectSpec::Defaults() const
{
    ParamValues values;
    values.reserve(params.size());
    for (const ParamSpec& param : params)
        values.push_back(param.defaultValue);
    return values;
}

int EffectSpec::ParamIndex(std::string_view controlName) const
{
    for (std::size_t i = 0; i < params.size(); ++i)
        if (SameText(params[i].controlName, controlName))
            return int(i);
    return -1;
}

void EffectSpec::SetParam(ParamValues& values, int index, double value) const
{
    values.at(std::size_t(index)) = value;
    for (const auto& [first, second] : exclusivePairs) {
        if (index == first)
            values.at(std::size_t(second)) = value != 0 ? 0 : 1;
        else if (index == second)
            values.at(std::size_t(first)) = value != 0 ? 0 : 1;
    }
}

const std::vector<EffectSpec>& Effects()
{
    static const std::vector<EffectSpec> table = BuildTable();
    return table;
}

const EffectSpec* FindEffectByNumber(int number)
{
    const auto& table = Effects();
    return number >= 1 && number <= int(table.size()) ? &table[std::size_t(number - 1)] : nullptr;
}

const EffectSpec* FindEffectByButton(std::string_view button)
{
    for (const EffectSpec& effect : Effects())
        if (effect.button == button)
            return &effect;
    return nullptr;
}

const EffectSpec* FindEffectByCliName(std::string_view name)
{
    for (const EffectSpec& effect : Effects())
        if (SameText(CliName(effect.menuItem), name))
            return &effect;
    return nullptr;
}

std::string DisplayText(std::string_view stored)
{
    std::string text;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == '&') {
            if (i + 1 < stored.size() && stored[i + 1] == '&') {
                text += '&';
                ++i;
            }
            continue;
        }
        text += stored[i];
    }
    return text;
}

std::string CliName(std::string_view menuItem)
{
    std::string name;
    for (char c : menuItem)
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += char(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

std::string CheckParamValue(const ParamSpec& param, double value)
{
    const bool whole = std::isfinite(value) && value == std::floor(value);
    const bool inRange = value >= param.minimum && value <= param.maximum;
    if ((param.kind == ParamKind::Double ? std::isfinite(value) : whole) && inRange)
        return {};
    return param.controlName + ": " + Number(value) + " is not valid; valid: " + DescribeParam(param);
}

std::string DescribeParam(const ParamSpec& param)
{
    switch (param.kind) {
    case ParamKind::Flag:
        return "0 or 1, default " + Number(param.defaultValue);
    case ParamKind::Colour:
        return "a colour #RRGGBB or R,G,B, default " + ColourText(param.defaultValue);
    case ParamKind::Choice: {
        std::string text;
        for (std::size_t i = 0; i < param.choices.size(); ++i)
            text += (i ? ", " : "") + std::to_string(i) + " \"" + param.choices[i] + "\"";
        return text + ", default " + Number(param.defaultValue);
    }
    case ParamKind::Integer:
    case ParamKind::Double:
        break;
    }
    return Number(param.minimum) + ".." + Number(param.maximum) + ", default " + Number(param.defaultValue);
}

}  // namespace zelpix::effects
