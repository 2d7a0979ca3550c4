#include "effects/ops/AdjustmentTable.h"

#include "effects/ops/Adjustments.h"
#include "effects/ops/ColorDepth.h"
#include "effects/ops/Resample.h"
#include "effects/ops/Rotate.h"
#include "imaging/Round.h"

#include <algorithm>
#include <cctype>

namespace zelpix::effects {

namespace {

ParamSpec Integer(std::string control, std::string label, int minimum, int maximum, int defaultValue)
{
    return {std::move(control), std::move(label), ParamKind::Integer, double(minimum), double(maximum),
            double(defaultValue), {}};
}

ParamSpec Choice(std::string control, std::string label, std::vector<std::string> choices, int defaultValue)
{
    const double last = double(choices.size()) - 1;
    return {std::move(control), std::move(label), ParamKind::Choice, 0, last, double(defaultValue), std::move(choices)};
}

AdjustmentResult One(Picture picture)
{
    AdjustmentResult result;
    result.pictures.push_back(std::move(picture));
    return result;
}

AdjustmentResult Three(ChannelPictures channels)
{
    AdjustmentResult result;
    result.pictures.push_back(std::move(channels.first));
    result.pictures.push_back(std::move(channels.second));
    result.pictures.push_back(std::move(channels.third));
    return result;
}

int I(const ParamValues& values, std::size_t i) { return int(values.at(i)); }

// A size of 0 is the picture's own; with Preserve, one given side fixes the other by the aspect ratio
// (Round(side x other / own side), halves to even).
AdjustmentResult RunResample(const Picture& picture, const ParamValues& v)
{
    int width = I(v, 0), height = I(v, 1);
    const bool preserve = I(v, 2) != 0;
    if (preserve && width > 0 && height == 0)
        height = int(std::max<std::int64_t>(1, Round(double(std::int64_t(width) * picture.Height()) / picture.Width())));
    else if (preserve && height > 0 && width == 0)
        width = int(std::max<std::int64_t>(1, Round(double(std::int64_t(height) * picture.Width()) / picture.Height())));
    if (width == 0)
        width = picture.Width();
    if (height == 0)
        height = picture.Height();
    return One(Resample(picture, width, height, ResampleFilter(I(v, 3))));
}

// The button-face grey that the dialog passes for the uncovered corners.
constexpr double ButtonFace = 0xF0F0F0;

}  // namespace

const std::vector<AdjustmentSpec>& AdjustmentTable()
{
    static const std::vector<AdjustmentSpec> table = [] {
        std::vector<AdjustmentSpec> t;
        t.push_back({"contrast", "Contrast", AdjustmentOutput::Picture, "",
                     {Integer("CoContrast", "Contrast:", -100, 100, 0)},
                     [](const Picture& p, const ParamValues& v) { return One(Contrast(p, I(v, 0))); }});
        t.push_back({"hsvvar", "HSV", AdjustmentOutput::Picture, "",
                     {Integer("HSVHue", "Hue(H):", -180, 180, 0), Integer("HSVSat", "Saturation(S):", -180, 180, 0),
                      Integer("HSVVal", "Value(V):", -180, 180, 0)},
                     [](const Picture& p, const ParamValues& v) { return One(HSVvar(p, I(v, 0), I(v, 1), I(v, 2))); }});
        t.push_back({"hslvar", "HSL", AdjustmentOutput::Picture, "",
                     {Integer("HSLHue", "Hue(H):", -180, 180, 0), Integer("HSLSat", "Saturation(S):", -180, 180, 0),
                      Integer("HSLLum", "Luminosity(L):", -180, 180, 0)},
                     [](const Picture& p, const ParamValues& v) { return One(HSLvar(p, I(v, 0), I(v, 1), I(v, 2))); }});
        t.push_back({"intensityrgball", "RGB", AdjustmentOutput::Picture, "",
                     {Integer("RGBRed", "Red(R):", -255, 255, 0), Integer("RGBGreen", "Green(G):", -255, 255, 0),
                      Integer("RGBBlue", "Blue(B):", -255, 255, 0)},
                     [](const Picture& p, const ParamValues& v) {
                         return One(IntensityRGBall(p, I(v, 0), I(v, 1), I(v, 2)));
                     }});
        t.push_back({"resample", "Resize", AdjustmentOutput::Picture, "",
                     {Integer("NeWidth", "Width: (0: the picture's own)", 0, MaxPictureSide, 0),
                      Integer("NeHeight", "Height: (0: the picture's own)", 0, MaxPictureSide, 0),
                      {"Preserve", "Preserve Aspect Radio", ParamKind::Flag, 0, 1, 1, {}},
                      Choice("ZoomFilter", "Zoom Filter",
                             {"None", "Bell", "Bspline", "Hermite", "Lanczos3", "Mitchell", "Triangle"}, 0)},
                     RunResample});
        t.push_back({"rotate", "Rotate", AdjustmentOutput::Picture, "",
                     {Integer("RoCustom", "Angle (degrees, positive anti-clockwise)", -360, 360, 90),
                      {"Fill", "Corner colour", ParamKind::Colour, 0, 0xFFFFFF, ButtonFace, {}}},
                     [](const Picture& p, const ParamValues& v) {
                         return One(ILRotate(p, v.at(0), Area{}, ColourToBgr(v.at(1))));
                     }});
        t.push_back({"colordepth", "Change Color Depth", AdjustmentOutput::Picture, "",
                     {Choice("DepthChoice", "Color Depth",
                             {"2 Colors", "16 Colors", "256 Colors", "16M Colors", "24M Colors"}, 2)},
                     [](const Picture& p, const ParamValues& v) { return One(ChangeColorDepth(p, I(v, 0))); }});
        t.push_back({"grayscale", "Gray Scale", AdjustmentOutput::Picture, "", {},
                     [](const Picture& p, const ParamValues&) { return One(GrayScale(p)); }});
        t.push_back({"negative", "Negative", AdjustmentOutput::Picture, "", {},
                     [](const Picture& p, const ParamValues&) { return One(Negative(p)); }});
        t.push_back({"rgbchannels", "Get RGB Channels", AdjustmentOutput::ThreePictures, "RGB", {},
                     [](const Picture& p, const ParamValues&) { return Three(SplitRgbChannels(p)); }});
        t.push_back({"hsvchannels", "Get HSV Channels", AdjustmentOutput::ThreePictures, "HSV", {},
                     [](const Picture& p, const ParamValues&) { return Three(SplitHsvChannels(p)); }});
        t.push_back({"colorcount", "Calculate Color Number of Image", AdjustmentOutput::Number, "", {},
                     [](const Picture& p, const ParamValues&) {
                         AdjustmentResult result;
                         result.number = CountColors(p);
                         return result;
                     }});
        return t;
    }();
    return table;
}

const AdjustmentSpec* FindAdjustment(std::string_view cliName)
{
    const auto& table = AdjustmentTable();
    const auto found = std::find_if(table.begin(), table.end(), [cliName](const AdjustmentSpec& entry) {
        return std::equal(entry.cliName.begin(), entry.cliName.end(), cliName.begin(), cliName.end(),
                          [](char a, char b) { return std::tolower((unsigned char)a) == std::tolower((unsigned char)b); });
    });
    return found == table.end() ? nullptr : &*found;
}

}  // namespace zelpix::effects
