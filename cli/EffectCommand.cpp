// `zelpix-cli effect` and `zelpix-cli effect-sheet`: the effects and adjustments of the registry tables on
// picture files.
#include "cli/Commands.h"

#include "effects/ops/AdjustmentTable.h"
#include "effects/ops/EffectRegistry.h"
#include "effects/ops/Resample.h"
#include "imaging/ImagingError.h"
#include "imaging/PictureIO.h"
#include "imaging/PictureImage.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

namespace zelpix::cli {
namespace {

using effects::ParamKind;
using effects::ParamSpec;
using effects::ParamValues;

std::string Lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::optional<double> ParseNumber(const std::string& text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> ParseColour(const std::string& text)
{
    // #RRGGBB
    if (text.size() == 7 && text[0] == '#') {
        unsigned rgb = 0;
        const auto [ptr, ec] = std::from_chars(text.data() + 1, text.data() + 7, rgb, 16);
        if (ec != std::errc() || ptr != text.data() + 7)
            return std::nullopt;
        return effects::BgrToColour({std::uint8_t(rgb & 0xFF), std::uint8_t((rgb >> 8) & 0xFF),
                                     std::uint8_t((rgb >> 16) & 0xFF)});
    }
    // R,G,B
    if (std::count(text.begin(), text.end(), ',') == 2) {
        std::istringstream in(text);
        int part[3];
        char comma1 = 0, comma2 = 0;
        if (!(in >> part[0] >> comma1 >> part[1] >> comma2 >> part[2]) || !in.eof())
            return std::nullopt;
        for (int p : part)
            if (p < 0 || p > 255)
                return std::nullopt;
        return effects::BgrToColour({std::uint8_t(part[2]), std::uint8_t(part[1]), std::uint8_t(part[0])});
    }
    // The stored form, 0x00BBGGRR, in decimal or 0x hexadecimal.
    if (text.size() > 2 && (text.compare(0, 2, "0x") == 0 || text.compare(0, 2, "0X") == 0)) {
        unsigned value = 0;
        const auto [ptr, ec] = std::from_chars(text.data() + 2, text.data() + text.size(), value, 16);
        if (ec != std::errc() || ptr != text.data() + text.size())
            return std::nullopt;
        return double(value);
    }
    return ParseNumber(text);
}

// The value of PARAM=VALUE for one parameter; a message on `error` when it is not one of the valid values.
std::optional<double> ParseValue(const ParamSpec& param, const std::string& text, std::string& error)
{
    std::optional<double> value;
    switch (param.kind) {
    case ParamKind::Flag: {
        const std::string t = Lower(text);
        if (t == "1" || t == "true" || t == "yes" || t == "on")
            value = 1;
        else if (t == "0" || t == "false" || t == "no" || t == "off")
            value = 0;
        break;
    }
    case ParamKind::Choice:
        for (std::size_t i = 0; i < param.choices.size(); ++i)
            if (Lower(param.choices[i]) == Lower(text))
                value = double(i);
        if (!value)
            value = ParseNumber(text);
        break;
    case ParamKind::Colour:
        value = ParseColour(text);
        break;
    case ParamKind::Integer:
    case ParamKind::Double:
        value = ParseNumber(text);
        break;
    }
    if (!value) {
        error = param.controlName + ": '" + text + "' is not a valid value; valid: " + effects::DescribeParam(param);
        return std::nullopt;
    }
    error = effects::CheckParamValue(param, *value);
    if (!error.empty())
        return std::nullopt;
    return value;
}

std::string ParamList(const std::vector<ParamSpec>& params)
{
    if (params.empty())
        return "(no parameters)";
    std::string text;
    for (const ParamSpec& p : params)
        text += "\n    " + p.controlName + " (" + effects::DisplayText(p.label) + "): " + effects::DescribeParam(p);
    return text;
}

void PrintList(std::ostream& out)
{
    out << "effects (NAME: menu group / item; PARAM=VALUE with the valid values):\n";
    for (const effects::EffectSpec& e : effects::Effects()) {
        out << "  " << std::left << std::setw(22) << effects::CliName(e.menuItem) << " " << e.number << ". "
            << effects::DisplayText(e.menuGroup) << " / " << effects::DisplayText(e.menuItem);
        for (const ParamSpec& p : e.params)
            out << "\n      " << p.controlName << " (" << effects::DisplayText(p.label)
                << "): " << effects::DescribeParam(p);
        out << "\n";
    }
    out << "adjustments:\n";
    for (const effects::AdjustmentSpec& a : effects::AdjustmentTable()) {
        out << "  " << std::left << std::setw(22) << a.cliName << " " << a.caption;
        if (a.output == effects::AdjustmentOutput::ThreePictures)
            out << " (writes three pictures: OUT with " << a.channelLetters[0] << ", " << a.channelLetters[1]
                << " or " << a.channelLetters[2] << " before its extension)";
        else if (a.output == effects::AdjustmentOutput::Number)
            out << " (prints the number; no OUT)";
        for (const ParamSpec& p : a.params)
            out << "\n      " << p.controlName << " (" << p.label << "): " << effects::DescribeParam(p);
        out << "\n";
    }
}

std::string ValidNames()
{
    std::string text;
    for (const effects::EffectSpec& e : effects::Effects())
        text += " " + effects::CliName(e.menuItem);
    for (const effects::AdjustmentSpec& a : effects::AdjustmentTable())
        text += " " + a.cliName;
    return text;
}

// OUT with a letter before its extension: "out.png" and 'R' give "outR.png".
std::string WithLetter(const std::string& path, char letter)
{
    const std::filesystem::path p(path);
    return (p.parent_path() / (p.stem().string() + letter + p.extension().string())).string();
}

// An effect or an adjustment, and its parameters.
struct Invocation {
    const std::vector<ParamSpec>* params = nullptr;
    const effects::EffectSpec* effect = nullptr;
    const effects::AdjustmentSpec* adjustment = nullptr;
};

// Reads "L,T,R,B" into an area.
bool ParseArea(const std::string& text, effects::Area& area)
{
    std::istringstream in(text);
    char c1 = 0, c2 = 0, c3 = 0;
    return bool(in >> area.left >> c1 >> area.top >> c2 >> area.right >> c3 >> area.bottom) && in.eof() &&
           c1 == ',' && c2 == ',' && c3 == ',';
}

const char* EffectUsage = "usage: zelpix-cli effect NAME [PARAM=VALUE ...] [--area=L,T,R,B] IN OUT\n"
                          "       zelpix-cli effect --list\n";

}  // namespace

int RunEffect(const Args& args)
{
    if (args.size() == 1 && (args[0] == "--list" || args[0] == "-l")) {
        PrintList(std::cout);
        return 0;
    }
    if (args.empty()) {
        std::cerr << EffectUsage;
        return 2;
    }
    Invocation call;
    call.effect = effects::FindEffectByCliName(args[0]);
    if (call.effect)
        call.params = &call.effect->params;
    else if ((call.adjustment = effects::FindAdjustment(args[0])))
        call.params = &call.adjustment->params;
    else {
        std::cerr << "zelpix-cli: unknown effect \"" << args[0] << "\"; valid:" << ValidNames() << "\n";
        return 2;
    }
    const bool printsNumber = call.adjustment && call.adjustment->output == effects::AdjustmentOutput::Number;
    const std::size_t files = printsNumber ? 1 : 2;
    if (args.size() < 1 + files) {
        std::cerr << EffectUsage;
        return 2;
    }

    ParamValues values;
    for (const ParamSpec& p : *call.params)
        values.push_back(p.defaultValue);
    effects::Area area;
    for (std::size_t i = 1; i + files < args.size(); ++i) {
        const std::string& arg = args[i];
        if (call.effect && arg.rfind("--area=", 0) == 0) {
            if (!ParseArea(arg.substr(7), area)) {
                std::cerr << "zelpix-cli: --area takes LEFT,TOP,RIGHT,BOTTOM in pixels, not \"" << arg.substr(7) << "\"\n";
                return 2;
            }
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        int index = -1;
        for (std::size_t k = 0; k < call.params->size(); ++k)
            if (Lower((*call.params)[k].controlName) == Lower(name))
                index = int(k);
        if (equals == std::string::npos || index < 0) {
            std::cerr << "zelpix-cli: \"" << arg << "\" is not a parameter of " << args[0] << "; valid: "
                      << ParamList(*call.params) << "\n";
            return 2;
        }
        std::string error;
        const std::optional<double> value = ParseValue((*call.params)[std::size_t(index)], arg.substr(equals + 1), error);
        if (!value) {
            std::cerr << "zelpix-cli: " << error << "\n";
            return 2;
        }
        if (call.effect)
            call.effect->SetParam(values, index, *value);
        else
            values[std::size_t(index)] = *value;
    }

    const std::string& in = args[args.size() - files];
    try {
        const Picture picture = ReadPictureFile(in).picture;
        if (call.effect) {
            WritePictureFile(call.effect->run(picture, values, area), args.back());
            return 0;
        }
        effects::AdjustmentResult result = call.adjustment->run(picture, values);
        switch (call.adjustment->output) {
        case effects::AdjustmentOutput::Number:
            std::cout << result.number << "\n";
            break;
        case effects::AdjustmentOutput::Picture:
            WritePictureFile(result.pictures.at(0), args.back());
            break;
        case effects::AdjustmentOutput::ThreePictures:
            for (std::size_t k = 0; k < 3; ++k)
                WritePictureFile(result.pictures.at(k), WithLetter(args.back(), call.adjustment->channelLetters.at(k)));
            break;
        }
        return 0;
    } catch (const ImagingError& error) {
        std::cerr << "zelpix-cli: " << error.what() << "\n";
        return 1;
    }
}

namespace {

// Qt's text drawing needs a GUI application; the offscreen platform serves without a display.
std::unique_ptr<QGuiApplication> StartGui()
{
    if (QGuiApplication::instance())
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "zelpix-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// Settings that show an effect whose defaults leave the picture as it is (pixels of the sample), and their
// description for the label.
struct Demo {
    std::vector<std::pair<std::string, double>> settings;
    std::string text;
};

Demo DemoSettings(const effects::EffectSpec& effect, const Picture& sample)
{
    const int w = sample.Width(), h = sample.Height();
    if (effect.button == "JiButton") {
        const int amp = std::max(2, w / 40), period = std::max(4, w / 8);
        return {{{"JiAmps", amp}, {"JiPeriods", period}},
                "Amp " + std::to_string(amp) + ", Period " + std::to_string(period)};
    }
    if (effect.button == "HueButton")
        return {{{"HuevHels", 500}}, "vHel 500"};
    if (effect.button == "LeButton")
        return {{{"LeCropXs", w / 4}, {"LeCropYs", h / 4}, {"LeCropWidths", w / 2}, {"LeCropHeights", h / 2}},
                "the middle quarter"};
    return {};
}

void Paste(Picture& sheet, const Picture& tile, int left, int top)
{
    for (int y = 0; y < tile.Height(); ++y)
        std::memcpy(sheet.Row(top + y) + 3 * std::size_t(left), tile.Row(y), 3 * std::size_t(tile.Width()));
}

}  // namespace

int RunEffectSheet(const Args& args)
{
    int tileWidth = 240;
    Args files;
    for (const std::string& arg : args) {
        if (arg.rfind("--tile=", 0) == 0) {
            const std::optional<double> w = ParseNumber(arg.substr(7));
            if (!w || *w < 32 || *w > 2000 || *w != std::floor(*w)) {
                std::cerr << "zelpix-cli: --tile takes a tile width of 32..2000 pixels\n";
                return 2;
            }
            tileWidth = int(*w);
        } else {
            files.push_back(arg);
        }
    }
    if (files.size() != 2) {
        std::cerr << "usage: zelpix-cli effect-sheet [--tile=WIDTH] IN OUT\n"
                     "  every effect at its defaults on IN, as labelled tiles in one picture (an effect whose\n"
                     "  defaults change nothing is shown a second time with settings that show it)\n";
        return 2;
    }
    try {
        const Picture photo = ReadPictureFile(files[0]).picture;
        const int tileHeight = std::max(1, int(std::lround(double(tileWidth) * photo.Height() / photo.Width())));
        const Picture sample = effects::Resample(photo, tileWidth, tileHeight, effects::ResampleFilter::Lanczos3);
        const auto gui = StartGui();

        struct Tile {
            Picture picture;
            std::string label;
        };
        std::vector<Tile> tiles;
        tiles.push_back({sample, "Original"});
        for (const effects::EffectSpec& e : effects::Effects()) {
            const std::string name = std::to_string(e.number) + ". " + effects::DisplayText(e.menuItem);
            Picture result = e.run(sample, e.Defaults(), {});
            const bool unchanged = result.SamePixels(sample);
            tiles.push_back({std::move(result), unchanged ? name + " (defaults: no change)" : name});
            // An effect whose defaults change nothing is shown once more with settings that show it.
            const Demo demo = DemoSettings(e, sample);
            if (unchanged && !demo.settings.empty()) {
                ParamValues values = e.Defaults();
                for (const auto& [control, value] : demo.settings)
                    e.SetParam(values, e.ParamIndex(control), value);
                tiles.push_back({e.run(sample, values, {}), name + " (" + demo.text + ")"});
            }
        }

        constexpr int Columns = 6, Gap = 6, LabelHeight = 36;
        const int count = int(tiles.size());
        const int rows = (count + Columns - 1) / Columns;
        Picture sheet(Columns * (tileWidth + Gap) + Gap, rows * (tileHeight + LabelHeight + Gap) + Gap);
        sheet.Fill({255, 255, 255});
        auto leftOf = [&](int i) { return Gap + (i % Columns) * (tileWidth + Gap); };
        auto topOf = [&](int i) { return Gap + (i / Columns) * (tileHeight + LabelHeight + Gap); };
        for (int i = 0; i < count; ++i)
            Paste(sheet, tiles[std::size_t(i)].picture, leftOf(i), topOf(i));
        {
            QImage canvas = WrapPicture(sheet);
            QPainter painter(&canvas);
            QFont font = painter.font();
            font.setPixelSize(13);
            painter.setFont(font);
            painter.setPen(Qt::black);
            for (int i = 0; i < count; ++i)
                painter.drawText(QRect(leftOf(i), topOf(i) + tileHeight, tileWidth, LabelHeight),
                                 Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                                 QString::fromStdString(tiles[std::size_t(i)].label));
        }
        WritePictureFile(sheet, files[1]);
        return 0;
    } catch (const ImagingError& error) {
        std::cerr << "zelpix-cli: " << error.what() << "\n";
        return 1;
    }
}

}  // namespace zelpix::cli
