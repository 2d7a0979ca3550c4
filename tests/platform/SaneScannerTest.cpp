// The SANE scanner service against SANE's own "test" backend, configured through a private SANE_CONFIG_DIR,
// with scanimage (another SANE front end) as the independent reference for the scanned pixels.
#include "platform/SaneScanner.h"

#include "SaneTestBackend.h"
#include "support/TestSupport.h"

#include "imaging/PictureImage.h"

#include <QImage>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>

using namespace zelpix;
using namespace zelpix::test;
using ::testing::HasSubstr;

namespace {

class SaneScannerTest : public ::testing::Test {
protected:
    void SetUp() override { SaneTestBackend::Configure(""); }

    // The same scan made by scanimage, read with Qt's own PNM reader.
    std::optional<Picture> ScanimageScan(const std::string& arguments)
    {
        if (!HaveTool("scanimage"))
            return std::nullopt;
        const auto out = temp_ / "scanimage.pnm";
        const int status = RunCommand("scanimage -d test:0 --format=pnm " + arguments + " >" + ShellQuote(out.string()) +
                                      " 2>/dev/null");
        EXPECT_EQ(status, 0) << arguments;
        QImage image(QString::fromStdString(out.string()));
        EXPECT_FALSE(image.isNull()) << "Qt could not read scanimage's output for " << arguments;
        return PictureFromImage(image);
    }

    TempDir temp_;
};

TEST_F(SaneScannerTest, ListsTheBackendsDevices)
{
    SaneScanner scanner;
    const auto devices = scanner.Devices();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].name, "test:0");
    EXPECT_EQ(devices[1].name, "test:1");
    EXPECT_EQ(devices[0].vendor, "Noname");
    EXPECT_EQ(devices[0].Label(), "Noname frontend-tester (test:0)");
}

TEST_F(SaneScannerTest, OffersModesAndResolutionsWithinTheDevicesRange)
{
    SaneScanner scanner;
    const ScanChoices choices = scanner.Choices("test:0");
    // The backend has Gray and Color modes and one-bit grey, which serves as line art.
    EXPECT_EQ(choices.modes, (std::vector<ScanMode>{ScanMode::Color, ScanMode::Gray, ScanMode::Lineart}));
    EXPECT_EQ(choices.mode, ScanMode::Gray);
    EXPECT_EQ(choices.resolution, 50);
    ASSERT_FALSE(choices.resolutions.empty());
    EXPECT_TRUE(std::is_sorted(choices.resolutions.begin(), choices.resolutions.end()));
    EXPECT_EQ(choices.resolutions.front(), 1);     // the range's ends are offered
    EXPECT_EQ(choices.resolutions.back(), 1200);
    for (int dpi : {50, 75, 150, 300, 600})
        EXPECT_NE(std::find(choices.resolutions.begin(), choices.resolutions.end(), dpi), choices.resolutions.end()) << dpi;
}

TEST_F(SaneScannerTest, ReportsTheDevicesCurrentSettingsFromItsConfiguration)
{
    SaneTestBackend::Configure("mode Color\nresolution 75\n");
    SaneScanner scanner;
    const ScanChoices choices = scanner.Choices("test:1");
    EXPECT_EQ(choices.mode, ScanMode::Color);
    EXPECT_EQ(choices.resolution, 75);
}

struct ScanCase {
    const char* name;
    const char* config;  // extra lines of test.conf
    ScanMode mode;
    int resolution;
    const char* scanimageArguments;
    int tolerance;    // 16-bit samples: scanimage's reader rounds where we take the high byte
    int lostPixels = 0;  // pixels the device wastes at the end of each line
    int widthMm = 80;    // the scan area
    int heightMm = 100;
};

class SaneScanMatchesScanimage : public SaneScannerTest, public ::testing::WithParamInterface<ScanCase> {};

TEST_P(SaneScanMatchesScanimage, SamePixelsAndSize)
{
    const ScanCase& c = GetParam();
    SaneTestBackend::Configure(c.config);
    SaneScanner scanner;
    std::vector<double> progress;
    const Picture scanned = scanner.Scan("test:0", {c.mode, c.resolution}, [&](double done) { progress.push_back(done); });

    EXPECT_NEAR(scanned.Width(), c.widthMm * c.resolution / 25.4 - c.lostPixels, 1.0);
    EXPECT_NEAR(scanned.Height(), c.heightMm * c.resolution / 25.4, 1.0);
    const bool hand = std::string(c.config).find("hand-scanner true") != std::string::npos;
    ASSERT_FALSE(progress.empty());
    if (hand) {
        EXPECT_EQ(progress.back(), -1.0);
    } else {
        EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
        EXPECT_DOUBLE_EQ(progress.back(), 1.0);
    }

    // scanimage does not drop a line's wasted pixels: its reference is the same scan without them.
    if (c.lostPixels > 0)
        SaneTestBackend::Configure("");
    const auto reference = ScanimageScan(std::string(c.scanimageArguments) + " --resolution " + std::to_string(c.resolution));
    if (!reference)
        GTEST_SKIP() << "scanimage is not installed";
    ASSERT_EQ(scanned.Width() + c.lostPixels, reference->Width());
    ASSERT_EQ(scanned.Height(), reference->Height());
    int difference = 0;
    std::set<std::uint32_t> colours;
    for (int y = 0; y < scanned.Height(); ++y)
        for (int x = 0; x < scanned.Width(); ++x) {
            const Bgr a = scanned.Pixel(x, y), b = reference->Pixel(x, y);
            difference = std::max({difference, std::abs(a.b - b.b), std::abs(a.g - b.g), std::abs(a.r - b.r)});
            colours.insert(a.b | a.g << 8 | a.r << 16);
        }
    EXPECT_LE(difference, c.tolerance);
    // Line art is black and white; the other patterns are not flat, or the comparison would prove little.
    if (c.mode == ScanMode::Lineart)
        EXPECT_EQ(colours, (std::set<std::uint32_t>{0, 0xFFFFFF}));
    else
        EXPECT_GE(colours.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, SaneScanMatchesScanimage,
    ::testing::Values(
        ScanCase{"Color", "", ScanMode::Color, 50, "--mode Color --depth 8", 0},
        ScanCase{"Gray", "", ScanMode::Gray, 60, "--mode Gray --depth 8", 0},
        ScanCase{"LineartAsOneBitGray", "test-picture \"Grid\"\n", ScanMode::Lineart, 40, "--mode Gray --depth 1", 0},
        ScanCase{"ThreePassColor", "three-pass true\nthree-pass-order GBR\n", ScanMode::Color, 30,
                 "--mode Color --depth 8", 0},
        // A hand scanner does not know the page length in advance: 11 x 17 cm here.
        ScanCase{"UnknownLength", "hand-scanner true\n", ScanMode::Color, 40, "--mode Color --depth 8", 0, 0, 110, 170},
        ScanCase{"Gray16", "depth 16\n", ScanMode::Gray, 50, "--mode Gray --depth 16", 1},
        ScanCase{"Color16", "depth 16\n", ScanMode::Color, 25, "--mode Color --depth 16", 1},
        ScanCase{"GrayWhenTheDeviceIsAtOneBit", "depth 1\n", ScanMode::Gray, 50, "--mode Gray --depth 8", 0},
        ScanCase{"ShortReads", "read-limit true\nread-limit-size 7\n", ScanMode::Color, 45, "--mode Color --depth 8", 0},
        ScanCase{"PaddedLines", "ppl-loss 3\n", ScanMode::Color, 45, "--mode Color --depth 8", 0, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SaneScannerTest, DeviceErrorsCarryTheDriversStatusText)
{
    const struct {
        const char* code;
        const char* text;
    } cases[] = {
        {"SANE_STATUS_IO_ERROR", "Error during device I/O"},
        {"SANE_STATUS_JAMMED", "Document feeder jammed"},
        {"SANE_STATUS_NO_MEM", "Out of memory"},
    };
    for (const auto& c : cases) {
        SaneTestBackend::Configure(std::string("read-status-code \"") + c.code + "\"\n");
        SaneScanner scanner;
        try {
            scanner.Scan("test:0", {ScanMode::Color, 50});
            ADD_FAILURE() << c.code << " was not reported";
        } catch (const ScanCancelled&) {
            ADD_FAILURE() << c.code << " was reported as a cancellation";
        } catch (const ScannerError& e) {
            EXPECT_THAT(e.what(), HasSubstr(c.text)) << c.code;
        }
    }
}

TEST_F(SaneScannerTest, DeviceSideCancellationIsACancellation)
{
    SaneTestBackend::Configure("read-status-code \"SANE_STATUS_CANCELLED\"\n");
    SaneScanner scanner;
    EXPECT_THROW(scanner.Scan("test:0", {ScanMode::Color, 50}), ScanCancelled);
}

TEST_F(SaneScannerTest, CancelEndsTheRunningScanOnly)
{
    SaneScanner scanner;
    int calls = 0;
    EXPECT_THROW(scanner.Scan("test:0", {ScanMode::Color, 100},
                              [&](double) {
                                  if (++calls == 3)
                                      scanner.Cancel();
                              }),
                 ScanCancelled);
    EXPECT_EQ(calls, 3);
    scanner.Cancel();  // no scan runs: nothing to end, and nothing left over for the next scan
    const Picture again = scanner.Scan("test:0", {ScanMode::Color, 20});
    EXPECT_NEAR(again.Width(), 80 * 20 / 25.4, 1.0);
}

TEST_F(SaneScannerTest, RefusedSettingsAndUnknownDevicesGiveClearErrors)
{
    SaneScanner scanner;
    const struct {
        const char* device;
        ScanSettings settings;
        const char* text;
    } cases[] = {
        {"test:0", {ScanMode::Color, 5000}, "does not support a resolution of 5000"},
        {"test:0", {ScanMode::Color, 0}, ""},  // 0 keeps the device's resolution: no error
        {"nosuch:device", {ScanMode::Color, 50}, "could not be opened: Invalid argument"},
    };
    for (const auto& c : cases) {
        try {
            const Picture picture = scanner.Scan(c.device, c.settings);
            EXPECT_STREQ(c.text, "") << c.device << " scanned";
            EXPECT_FALSE(picture.IsEmpty());
        } catch (const ScannerError& e) {
            EXPECT_THAT(e.what(), HasSubstr(c.text)) << c.device;
            EXPECT_STRNE(c.text, "") << e.what();
        }
    }
}

}  // namespace
