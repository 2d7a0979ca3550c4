#include "platform/SaneScanner.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>

namespace zelpix {
namespace {

std::mutex saneMutex;
int saneUsers = 0;

std::string Status(SANE_Status status)
{
    return sane_strstatus(status);
}

// ---- options by name ----

struct Option {
    SANE_Int index = -1;
    const SANE_Option_Descriptor* descriptor = nullptr;
    explicit operator bool() const { return descriptor != nullptr; }
    bool Active() const { return SANE_OPTION_IS_ACTIVE(descriptor->cap); }
    bool Settable() const { return Active() && SANE_OPTION_IS_SETTABLE(descriptor->cap); }
};

Option FindOption(SANE_Handle handle, const char* name)
{
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(handle, i);
        if (!d)
            return {};
        if (d->name && std::strcmp(d->name, name) == 0)
            return {i, d};
    }
}

bool IsNumber(const Option& option)
{
    return (option.descriptor->type == SANE_TYPE_INT || option.descriptor->type == SANE_TYPE_FIXED) &&
           option.descriptor->size == SANE_Int(sizeof(SANE_Word));
}

bool IsString(const Option& option)
{
    return option.descriptor->type == SANE_TYPE_STRING && option.descriptor->size > 0;
}

// The option's number in whole units (fixed-point values are rounded).
int NumberFromWord(const Option& option, SANE_Word word)
{
    return option.descriptor->type == SANE_TYPE_FIXED ? int(SANE_UNFIX(word) + 0.5) : int(word);
}

SANE_Word WordFromNumber(const Option& option, int value)
{
    return option.descriptor->type == SANE_TYPE_FIXED ? SANE_FIX(value) : SANE_Word(value);
}

std::optional<int> ReadNumber(SANE_Handle handle, const Option& option)
{
    if (!option || !option.Active() || !IsNumber(option))
        return std::nullopt;
    SANE_Word word = 0;
    if (sane_control_option(handle, option.index, SANE_ACTION_GET_VALUE, &word, nullptr) != SANE_STATUS_GOOD)
        return std::nullopt;
    return NumberFromWord(option, word);
}

std::optional<std::string> ReadString(SANE_Handle handle, const Option& option)
{
    if (!option || !option.Active() || !IsString(option))
        return std::nullopt;
    std::string value(std::size_t(option.descriptor->size), '\0');
    if (sane_control_option(handle, option.index, SANE_ACTION_GET_VALUE, value.data(), nullptr) != SANE_STATUS_GOOD)
        return std::nullopt;
    value.resize(std::strlen(value.c_str()));
    return value;
}

// True when the number is one the option's constraint admits.
bool Admits(const Option& option, int value)
{
    const SANE_Option_Descriptor* d = option.descriptor;
    const SANE_Word word = WordFromNumber(option, value);
    switch (d->constraint_type) {
    case SANE_CONSTRAINT_RANGE: {
        const SANE_Range* r = d->constraint.range;
        if (word < r->min || word > r->max)
            return false;
        return r->quant == 0 || (std::int64_t(word) - r->min) % r->quant == 0;
    }
    case SANE_CONSTRAINT_WORD_LIST: {
        const SANE_Word* first = d->constraint.word_list + 1;
        const SANE_Word* end = first + std::max<SANE_Word>(d->constraint.word_list[0], 0);
        return std::find(first, end, word) != end;
    }
    default:
        return true;
    }
}

std::vector<std::string> StringChoices(const Option& option)
{
    std::vector<std::string> choices;
    if (option.descriptor->constraint_type == SANE_CONSTRAINT_STRING_LIST)
        for (const SANE_String_Const* s = option.descriptor->constraint.string_list; *s; ++s)
            choices.emplace_back(*s);
    return choices;
}

void SetNumber(SANE_Handle handle, const char* name, const char* what, int value)
{
    const Option option = FindOption(handle, name);
    if (!option || !option.Settable() || !IsNumber(option))
        throw ScannerError(std::string("This scanner does not let the ") + what + " be chosen.");
    if (!Admits(option, value))
        throw ScannerError("This scanner does not support a " + std::string(what) + " of " + std::to_string(value) + ".");
    SANE_Word word = WordFromNumber(option, value);
    const SANE_Status status = sane_control_option(handle, option.index, SANE_ACTION_SET_VALUE, &word, nullptr);
    if (status != SANE_STATUS_GOOD)
        throw ScannerError("The scanner refused the " + std::string(what) + " " + std::to_string(value) + ": " +
                           Status(status) + ".");
}

void SetString(SANE_Handle handle, const Option& option, const char* what, const std::string& value)
{
    const auto choices = StringChoices(option);
    if (!option.Settable() || !IsString(option) ||
        (option.descriptor->constraint_type == SANE_CONSTRAINT_STRING_LIST &&
         std::find(choices.begin(), choices.end(), value) == choices.end()) ||
        value.size() >= std::size_t(option.descriptor->size))
        throw ScannerError("This scanner does not support the " + std::string(what) + " \"" + value + "\".");
    std::string buffer(value);
    buffer.resize(std::size_t(option.descriptor->size), '\0');
    const SANE_Status status = sane_control_option(handle, option.index, SANE_ACTION_SET_VALUE, buffer.data(), nullptr);
    if (status != SANE_STATUS_GOOD)
        throw ScannerError("The scanner refused the " + std::string(what) + " \"" + value + "\": " + Status(status) + ".");
}

// ---- modes ----

std::string Lower(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Which of our modes a driver's mode name stands for.
std::optional<ScanMode> ClassifyMode(const std::string& name)
{
    const std::string n = Lower(name);
    if (n.starts_with("color") || n.starts_with("colour") || n == "rgb")
        return ScanMode::Color;
    if (n.starts_with("gray") || n.starts_with("grey"))
        return ScanMode::Gray;
    if (n == "lineart" || n == "binary" || n == "black & white" || n == "black and white" || n == "monochrome")
        return ScanMode::Lineart;
    return std::nullopt;
}

// The driver's name for a mode, or empty when it has none.
std::string DeviceModeName(const std::vector<std::string>& deviceModes, ScanMode mode)
{
    for (const std::string& name : deviceModes)
        if (ClassifyMode(name) == mode)
            return name;
    return {};
}

bool DepthAdmits(SANE_Handle handle, int depth)
{
    const Option option = FindOption(handle, SANE_NAME_BIT_DEPTH);
    return option && option.Settable() && IsNumber(option) && Admits(option, depth);
}

// ---- resolutions ----

std::vector<int> ResolutionChoices(const Option& option, int current)
{
    std::vector<int> choices;
    const SANE_Option_Descriptor* d = option.descriptor;
    if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
        const SANE_Word* list = d->constraint.word_list;
        for (SANE_Word i = 1; i <= list[0]; ++i) {
            const int value = NumberFromWord(option, list[i]);
            if (value > 0 && WordFromNumber(option, value) == list[i])
                choices.push_back(value);
        }
    } else if (d->constraint_type == SANE_CONSTRAINT_RANGE) {
        static constexpr int common[] = {50, 75, 100, 150, 200, 300, 400, 600, 800, 1200, 1600, 2400, 3200, 4800, 9600};
        for (int value : common)
            if (Admits(option, value))
                choices.push_back(value);
        const int low = NumberFromWord(option, d->constraint.range->min);
        const int high = NumberFromWord(option, d->constraint.range->max);
        for (int value : {low, high})
            if (value > 0 && Admits(option, value))
                choices.push_back(value);
    }
    if (current > 0)
        choices.push_back(current);
    std::sort(choices.begin(), choices.end());
    choices.erase(std::unique(choices.begin(), choices.end()), choices.end());
    return choices;
}

// ---- reading frames ----

// Rows of the picture being scanned; grows when the device does not know the page length.
class ScanCanvas {
public:
    ScanCanvas(int width, int lines) : width_(width), known_(lines > 0)
    {
        CheckPictureSize(width, known_ ? lines : 1);
        picture_ = Picture(width, known_ ? lines : std::min(256, MaxRows()));
    }

    int Width() const { return width_; }
    bool KnownLength() const { return known_; }
    int Capacity() const { return picture_.Height(); }

    // Row y of the picture, or nullptr past the length a device announced.
    std::uint8_t* Row(int y)
    {
        if (y >= picture_.Height()) {
            if (known_)
                return nullptr;
            Grow(y + 1);
        }
        return picture_.Row(y);
    }

    // The picture cut to its first rows.
    Picture Take(int rows)
    {
        if (rows == picture_.Height())
            return std::move(picture_);
        Picture cut(width_, rows);
        std::memcpy(cut.Bits(), picture_.Bits(), cut.ByteSize());
        return cut;
    }

private:
    int MaxRows() const { return int(std::min<std::int64_t>(MaxPictureSide, MaxPicturePixels / width_)); }

    void Grow(int rows)
    {
        CheckPictureSize(width_, rows);
        Picture bigger(width_, std::max(rows, int(std::min<std::int64_t>(2 * std::int64_t(picture_.Height()), MaxRows()))));
        std::memcpy(bigger.Bits(), picture_.Bits(), picture_.ByteSize());
        picture_ = std::move(bigger);
    }

    int width_;
    bool known_;
    Picture picture_;
};

// Sample x of a row of the given depth, scaled to 0..255; bit 1 of a one-bit grey frame is black.
inline std::uint8_t Sample(const std::uint8_t* line, std::size_t x, int depth, bool blackIsOne)
{
    switch (depth) {
    case 1: {
        const bool bit = (line[x >> 3] >> (7 - (x & 7))) & 1;
        return bit != blackIsOne ? 255 : 0;
    }
    case 16: {
        std::uint16_t v;
        std::memcpy(&v, line + 2 * x, 2);
        return std::uint8_t(v >> 8);
    }
    default:
        return line[x];
    }
}

template <int Depth>
void ConvertRow(const std::uint8_t* line, std::uint8_t* row, int width, SANE_Frame format)
{
    if (format == SANE_FRAME_RGB) {
        for (int x = 0; x < width; ++x) {
            row[3 * x + 2] = Sample(line, 3 * std::size_t(x), Depth, false);
            row[3 * x + 1] = Sample(line, 3 * std::size_t(x) + 1, Depth, false);
            row[3 * x + 0] = Sample(line, 3 * std::size_t(x) + 2, Depth, false);
        }
    } else if (format == SANE_FRAME_GRAY) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t v = Sample(line, std::size_t(x), Depth, true);
            row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = v;
        }
    } else {
        const int channel = format == SANE_FRAME_RED ? 2 : format == SANE_FRAME_GREEN ? 1 : 0;
        for (int x = 0; x < width; ++x)
            row[3 * x + channel] = Sample(line, std::size_t(x), Depth, false);
    }
}

using RowConverter = void (*)(const std::uint8_t*, std::uint8_t*, int, SANE_Frame);

RowConverter ConverterFor(int depth)
{
    return depth == 1 ? ConvertRow<1> : depth == 16 ? ConvertRow<16> : ConvertRow<8>;
}

// Checks one frame's parameters; returns the bytes a line needs.
std::size_t CheckFrame(const SANE_Parameters& p)
{
    const bool single = p.format == SANE_FRAME_RED || p.format == SANE_FRAME_GREEN || p.format == SANE_FRAME_BLUE;
    if (p.format != SANE_FRAME_GRAY && p.format != SANE_FRAME_RGB && !single)
        throw ScannerError("The scanner sends pictures in a format this program cannot read (frame type " +
                           std::to_string(int(p.format)) + ").");
    if (p.depth != 1 && p.depth != 8 && p.depth != 16)
        throw ScannerError("The scanner sends " + std::to_string(p.depth) + " bits per sample, which this program cannot read.");
    if (p.lines == 0 || p.lines < -1 || p.pixels_per_line <= 0)
        throw ScannerError("The scanner announced an empty picture (" + std::to_string(p.pixels_per_line) + " x " +
                           std::to_string(p.lines) + ").");
    CheckPictureSize(p.pixels_per_line, p.lines > 0 ? p.lines : 1);
    const std::int64_t samples = std::int64_t(p.pixels_per_line) * (p.format == SANE_FRAME_RGB ? 3 : 1);
    const std::int64_t needed = (samples * p.depth + 7) / 8;
    if (p.bytes_per_line < needed || p.bytes_per_line > needed + 65536)
        throw ScannerError("The scanner announced " + std::to_string(p.bytes_per_line) + " bytes per line for " +
                           std::to_string(p.pixels_per_line) + " pixels.");
    return std::size_t(p.bytes_per_line);
}

}  // namespace

// Marks a scan as running and ends the device's scan however the reading ends.
struct SaneScanner::ScanGuard {
    SaneScanner& scanner;
    SANE_Handle handle;
    ScanGuard(SaneScanner& s, SANE_Handle h) : scanner(s), handle(h)
    {
        std::lock_guard lock(scanner.scanMutex_);
        scanner.scanning_ = true;
        scanner.cancel_ = false;
    }
    ~ScanGuard()
    {
        sane_cancel(handle);
        std::lock_guard lock(scanner.scanMutex_);
        scanner.scanning_ = false;
        scanner.cancel_ = false;
    }
};

SaneScanner::SaneScanner()
{
    std::lock_guard lock(saneMutex);
    if (saneUsers == 0) {
        SANE_Int version = 0;
        const SANE_Status status = sane_init(&version, nullptr);
        if (status != SANE_STATUS_GOOD)
            throw ScannerError("The scanner service could not start: " + Status(status) + ".");
    }
    ++saneUsers;
}

SaneScanner::~SaneScanner()
{
    Close();
    std::lock_guard lock(saneMutex);
    if (--saneUsers == 0)
        sane_exit();
}

void SaneScanner::Close()
{
    if (handle_)
        sane_close(handle_);
    handle_ = nullptr;
    openDevice_.clear();
}

void* SaneScanner::Open(const std::string& device)
{
    if (handle_ && openDevice_ == device)
        return handle_;
    Close();
    SANE_Handle handle = nullptr;
    const SANE_Status status = sane_open(device.c_str(), &handle);
    if (status != SANE_STATUS_GOOD || !handle)
        throw ScannerError("The scanner \"" + device + "\" could not be opened: " + Status(status) + ".");
    handle_ = handle;
    openDevice_ = device;
    return handle_;
}

std::vector<ScannerDevice> SaneScanner::Devices()
{
    const SANE_Device** list = nullptr;
    const SANE_Status status = sane_get_devices(&list, SANE_FALSE);
    if (status != SANE_STATUS_GOOD)
        throw ScannerError("The scanners could not be listed: " + Status(status) + ".");
    std::vector<ScannerDevice> devices;
    for (; list && *list; ++list) {
        const SANE_Device* d = *list;
        auto text = [](const char* s) { return std::string(s ? s : ""); };
        if (d->name && *d->name)
            devices.push_back({text(d->name), text(d->vendor), text(d->model), text(d->type)});
    }
    return devices;
}

ScanChoices SaneScanner::Choices(const std::string& device)
{
    SANE_Handle handle = Open(device);
    ScanChoices choices;

    const Option mode = FindOption(handle, SANE_NAME_SCAN_MODE);
    const auto currentMode = ReadString(handle, mode);
    if (currentMode && mode.Settable()) {
        for (const std::string& name : StringChoices(mode))
            if (auto m = ClassifyMode(name); m && std::find(choices.modes.begin(), choices.modes.end(), *m) == choices.modes.end())
                choices.modes.push_back(*m);
        const bool hasGray = std::find(choices.modes.begin(), choices.modes.end(), ScanMode::Gray) != choices.modes.end();
        const bool hasLineart = std::find(choices.modes.begin(), choices.modes.end(), ScanMode::Lineart) != choices.modes.end();
        if (hasGray && !hasLineart && DepthAdmits(handle, 1))
            choices.modes.push_back(ScanMode::Lineart);
        std::sort(choices.modes.begin(), choices.modes.end());
    }
    // The mode the device is in now, judged from what it would send.
    SANE_Parameters p{};
    if (sane_get_parameters(handle, &p) == SANE_STATUS_GOOD)
        choices.mode = p.format == SANE_FRAME_GRAY ? (p.depth == 1 ? ScanMode::Lineart : ScanMode::Gray) : ScanMode::Color;
    else if (currentMode)
        choices.mode = ClassifyMode(*currentMode).value_or(ScanMode::Color);
    if (std::find(choices.modes.begin(), choices.modes.end(), choices.mode) == choices.modes.end())
        choices.modes.push_back(choices.mode);

    const Option resolution = FindOption(handle, SANE_NAME_SCAN_RESOLUTION);
    if (const auto current = ReadNumber(handle, resolution); current && resolution.Settable()) {
        choices.resolution = *current;
        choices.resolutions = ResolutionChoices(resolution, *current);
    }
    return choices;
}

Picture SaneScanner::Scan(const std::string& device, const ScanSettings& settings, const ScanProgress& progress)
{
    SANE_Handle handle = Open(device);
    ScanGuard guard(*this, handle);

    // The mode; line art may be one-bit grey.
    const Option mode = FindOption(handle, SANE_NAME_SCAN_MODE);
    if (mode && mode.Settable() && IsString(mode)) {
        const auto deviceModes = StringChoices(mode);
        std::string name = DeviceModeName(deviceModes, settings.mode);
        const bool lineartAsGray = name.empty() && settings.mode == ScanMode::Lineart;
        if (lineartAsGray)
            name = DeviceModeName(deviceModes, ScanMode::Gray);
        if (name.empty())
            throw ScannerError(std::string("This scanner cannot scan in ") + ScanModeName(settings.mode) + " mode.");
        SetString(handle, mode, "mode", name);
        if (lineartAsGray) {
            if (!DepthAdmits(handle, 1))
                throw ScannerError("This scanner cannot scan in Lineart mode.");
            SetNumber(handle, SANE_NAME_BIT_DEPTH, "bit depth", 1);
        } else if (settings.mode != ScanMode::Lineart) {
            // Colour and grey need 8 or 16 bits per sample; one bit would be line art.
            const auto depth = ReadNumber(handle, FindOption(handle, SANE_NAME_BIT_DEPTH));
            if (depth && *depth != 8 && *depth != 16 && DepthAdmits(handle, 8))
                SetNumber(handle, SANE_NAME_BIT_DEPTH, "bit depth", 8);
        }
    }
    if (settings.resolution > 0)
        SetNumber(handle, SANE_NAME_SCAN_RESOLUTION, "resolution", settings.resolution);

    std::optional<ScanCanvas> canvas;
    int rows = 0;  // rows every frame so far has delivered
    int frames = 0;
    std::vector<std::uint8_t> line;
    for (bool last = false; !last; ++frames) {
        if (frames == 3)
            throw ScannerError("The scanner sent more than three frames for one page.");
        if (cancel_)
            throw ScanCancelled("The scan was cancelled.");
        SANE_Status status = sane_start(handle);
        if (status == SANE_STATUS_CANCELLED)
            throw ScanCancelled("The scan was cancelled.");
        if (status != SANE_STATUS_GOOD)
            throw ScannerError("The scan could not start: " + Status(status) + ".");
        SANE_Parameters p{};
        status = sane_get_parameters(handle, &p);
        if (status != SANE_STATUS_GOOD)
            throw ScannerError("The scanner did not describe the picture: " + Status(status) + ".");
        const std::size_t bytesPerLine = CheckFrame(p);
        const bool single = p.format != SANE_FRAME_GRAY && p.format != SANE_FRAME_RGB;
        if (!canvas)
            canvas.emplace(p.pixels_per_line, p.lines);
        else if (!single || p.pixels_per_line != canvas->Width() || (p.lines > 0) != canvas->KnownLength())
            throw ScannerError("The scanner changed the picture's size between its colour passes.");
        last = p.last_frame || !single;
        const double passes = single ? 3.0 : 1.0;

        const RowConverter convert = ConverterFor(p.depth);
        line.resize(bytesPerLine);
        std::size_t filled = 0;
        int y = 0;
        int idleReads = 0;
        for (;;) {
            SANE_Int got = 0;
            status = sane_read(handle, line.data() + filled, SANE_Int(bytesPerLine - filled), &got);
            if (cancel_)
                throw ScanCancelled("The scan was cancelled.");
            if (status == SANE_STATUS_EOF)
                break;
            if (status == SANE_STATUS_CANCELLED)
                throw ScanCancelled("The scan was cancelled.");
            if (status != SANE_STATUS_GOOD)
                throw ScannerError("The scan failed: " + Status(status) + ".");
            if (got <= 0 || std::size_t(got) > bytesPerLine - filled) {
                if (got == 0 && ++idleReads < 1000000)
                    continue;
                throw ScannerError("The scanner stopped sending usable data.");
            }
            idleReads = 0;
            filled += std::size_t(got);
            if (filled < bytesPerLine)
                continue;
            filled = 0;
            std::uint8_t* row = canvas->Row(y);
            if (!row)
                continue;  // lines past the announced length are dropped
            convert(line.data(), row, canvas->Width(), p.format);
            ++y;
            if (progress)
                progress(p.lines > 0 ? (frames + double(y) / p.lines) / passes : -1.0);
        }
        rows = frames == 0 ? y : std::min(rows, y);
    }
    if (rows == 0)
        throw ScannerError("The scanner delivered no picture.");
    return canvas->Take(rows);
}

void SaneScanner::Cancel()
{
    std::lock_guard lock(scanMutex_);
    if (scanning_)
        cancel_ = true;
}

}  // namespace zelpix
