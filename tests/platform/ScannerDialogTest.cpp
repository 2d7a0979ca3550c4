// The scanner dialog and the acquisition, on SANE's test backend; messages go to a scripted prompt service.
#include "platform/ScannerDialog.h"

#include "platform/SaneScanner.h"

#include "SaneTestBackend.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using namespace zelpix;
using namespace zelpix::test;

namespace {

// Runs `drive` on the scanner dialog once it is shown modally; fails (and closes it) when it never ends.
void WhenDialogShows(std::function<void(ScannerDialog&)> drive)
{
    auto* poll = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, drive, started] {
        auto* dialog = qobject_cast<ScannerDialog*>(QApplication::activeModalWidget());
        if (dialog) {
            poll->stop();
            poll->deleteLater();
            drive(*dialog);
        } else if (started->elapsed() > 10000) {
            poll->stop();
            poll->deleteLater();
            ADD_FAILURE() << "the scanner dialog was not shown";
        }
    });
    poll->start(10);
}

template <typename T>
T* Child(ScannerDialog& dialog, const char* name)
{
    T* child = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

void Choose(ScannerDialog& dialog, const QString& mode, int dpi)
{
    auto* modeBox = Child<QComboBox>(dialog, "ScanMode");
    auto* resolutionBox = Child<QComboBox>(dialog, "ScanResolution");
    modeBox->setCurrentIndex(modeBox->findText(mode));
    resolutionBox->setCurrentIndex(resolutionBox->findData(dpi));
    ASSERT_GE(modeBox->currentIndex(), 0) << mode.toStdString();
    ASSERT_GE(resolutionBox->currentIndex(), 0) << dpi;
}

class ScannerDialogTest : public ::testing::Test {
protected:
    void SetUp() override { SaneTestBackend::Configure(""); }
    ScriptedPrompts prompts_;
};

TEST_F(ScannerDialogTest, ListsDevicesWithTheirModesAndResolutions)
{
    SaneTestBackend::Configure("resolution 150\n");
    SaneScanner scanner;
    ScannerDialog dialog(scanner, scanner.Devices());
    auto* list = Child<QListWidget>(dialog, "DeviceList");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "Noname frontend-tester (test:0)");
    EXPECT_EQ(list->currentRow(), 0);
    auto* modes = Child<QComboBox>(dialog, "ScanMode");
    ASSERT_EQ(modes->count(), 3);
    EXPECT_EQ(modes->itemText(0), "Color");
    EXPECT_EQ(modes->itemText(1), "Gray");
    EXPECT_EQ(modes->itemText(2), "Lineart");
    EXPECT_EQ(modes->currentText(), "Color");  // preferred over the device's Gray
    auto* resolutions = Child<QComboBox>(dialog, "ScanResolution");
    EXPECT_EQ(resolutions->currentText(), "150 dpi");  // the device's own
    EXPECT_GE(resolutions->findText("300 dpi"), 0);
    EXPECT_TRUE(Child<QPushButton>(dialog, "ScanButton")->isEnabled());
    list->setCurrentRow(1);
    EXPECT_EQ(modes->count(), 3);
}

TEST_F(ScannerDialogTest, AcquisitionGivesThePictureOfTheChosenSettings)
{
    SaneScanner scanner;
    WhenDialogShows([](ScannerDialog& dialog) {
        Choose(dialog, "Gray", 75);
        Child<QPushButton>(dialog, "ScanButton")->click();
    });
    const auto picture = AcquirePicture(nullptr, scanner);
    ASSERT_TRUE(picture.has_value());
    EXPECT_TRUE(prompts_.messages.empty());
    // The backend's page is 80 x 100 mm.
    EXPECT_EQ(picture->Width(), 236);
    EXPECT_EQ(picture->Height(), 295);
    bool grey = true;
    for (int y = 0; y < picture->Height(); y += 7)
        for (int x = 0; x < picture->Width(); x += 5) {
            const Bgr p = picture->Pixel(x, y);
            grey = grey && p.r == p.g && p.g == p.b;
        }
    EXPECT_TRUE(grey);
}

struct FailureCase {
    const char* name;
    const char* config;  // test.conf lines, or nullptr for no backend at all
    std::function<void(ScannerDialog&)> drive;  // empty: no dialog may appear
    const char* message;
};

class AcquisitionWithoutPicture : public ScannerDialogTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(AcquisitionWithoutPicture, ExplainsWhyAndReturnsNothing)
{
    const FailureCase& c = GetParam();
    if (c.config)
        SaneTestBackend::Configure(c.config);
    else
        SaneTestBackend::ConfigureNoBackend();
    SaneScanner scanner;
    if (c.drive)
        WhenDialogShows(c.drive);
    prompts_.answers.push_back(PromptAnswer::Ok);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(AcquirePicture(nullptr, scanner).has_value());
    EXPECT_LT(clock.elapsed(), 8000);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_TRUE(prompts_.messages[0].text.contains(QString::fromLatin1(c.message))) << prompts_.messages[0].text.toStdString();
    EXPECT_EQ(prompts_.messages[0].caption, "Information");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

void ClickScan(ScannerDialog& dialog)
{
    Child<QPushButton>(dialog, "ScanButton")->click();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AcquisitionWithoutPicture,
    ::testing::Values(
        FailureCase{"NoScanner", nullptr, {}, "No scanner was found."},
        FailureCase{"CancelledBeforeScanning", "",
                    [](ScannerDialog& d) { Child<QPushButton>(d, "CancelButton")->click(); }, "The scan was cancelled."},
        FailureCase{"DeviceError", "read-status-code \"SANE_STATUS_IO_ERROR\"\n", ClickScan, "Error during device I/O"},
        FailureCase{"FeederEmpty", "read-status-code \"SANE_STATUS_NO_DOCS\"\n", ClickScan,
                    "Document feeder out of documents"},
        // A slow scan (0.2 s for each buffer) cancelled while it runs ends at once.
        FailureCase{"CancelledWhileScanning", "read-delay true\nread-delay-duration 200000\n",
                    [](ScannerDialog& d) {
                        ClickScan(d);
                        EXPECT_TRUE(d.Scanning());
                        QTimer::singleShot(300, &d, [&d] { Child<QPushButton>(d, "CancelButton")->click(); });
                    },
                    "The scan was cancelled."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScannerDialogTest, ClosingTheDialogDuringAScanWaitsForTheScanToEnd)
{
    SaneTestBackend::Configure("read-delay true\nread-delay-duration 200000\n");
    SaneScanner scanner;
    {
        ScannerDialog dialog(scanner, scanner.Devices());
        dialog.show();
        dialog.StartScan();
        ASSERT_TRUE(dialog.Scanning());
    }  // destroyed while scanning: cancels, waits, no thread left touching the dialog
    const Picture next = scanner.Scan("test:0", {ScanMode::Color, 20});
    EXPECT_FALSE(next.IsEmpty());
}

}  // namespace
