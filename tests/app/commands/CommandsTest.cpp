// The main window's commands, offscreen, with scripted answers to every question.
#include "app/TAboutForm.h"
#include "app/TForm1.h"
#include "document/TEform1.h"
#include "imaging/PictureIO.h"
#include "imaging/PictureImage.h"
#include "platform/SaneScanner.h"
#include "platform/ScannerDialog.h"
#include "support/ScriptedPrompts.h"
#include "support/TestSupport.h"

#include "../../platform/SaneTestBackend.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>

namespace zelpix {
namespace {

namespace fs = std::filesystem;

class Commands : public ::testing::Test {
protected:
    Commands()
    {
        qputenv("ZELPIX_HOME", QByteArray::fromStdString(home.Path().string()));
        QApplication::clipboard()->clear();
    }
    ~Commands() override
    {
        if (form) {
            for (TEform1* document : form->Documents())
                document->Modified = false;
            prompts.answers.clear();
            form->close();
        }
        qunsetenv("ZELPIX_HOME");
    }

    TForm1& Start()
    {
        form = std::make_unique<TForm1>();
        form->show();
        return *form;
    }

    QString WritePicture(const std::string& name, int width = 12, int height = 9, std::uint32_t seed = 1)
    {
        const fs::path path = home / "pics" / name;
        fs::create_directories(path.parent_path());
        WritePictureFile(test::MakeTestPicture(width, height, seed), path.string());
        return QString::fromStdString(path.string());
    }

    TEform1* Open(const QStringList& paths)
    {
        prompts.openFiles.push_back(paths);
        form->Command("open")->trigger();
        return form->ActiveDocument();
    }

    void Run(const char* command)
    {
        QAction* action = form->Command(QString::fromLatin1(command));
        ASSERT_NE(action, nullptr) << command;
        ASSERT_TRUE(action->isEnabled()) << command;
        action->trigger();
    }

    // Closed windows are deleted later; let that happen.
    int DocumentCount()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return int(form->Documents().size());
    }

    test::TempDir home;
    test::ScriptedPrompts prompts;
    std::unique_ptr<TForm1> form;
};

Picture Clipboard()
{
    return PictureFromImage(QApplication::clipboard()->image());
}

TEST_F(Commands, OpenGoesFromTheLastChosenToTheFirstAndRecentSlotsDoNotReorder)
{
    TForm1& f = Start();
    const QString a = WritePicture("a.jpg"), b = WritePicture("b.png", 5, 4), c = WritePicture("c.bmp", 6, 3);
    Open({a, b, c});
    const QList<TEform1*> documents = f.Documents();
    ASSERT_EQ(documents.size(), 3);
    EXPECT_EQ(documents[0]->FileName, c);
    EXPECT_EQ(documents[1]->FileName, b);
    EXPECT_EQ(documents[2]->FileName, a);
    EXPECT_EQ(f.ActiveDocument(), documents[2]);
    // The list fills from the bottom up: the newest of the three is the top one shown.
    const auto shown = [&f] {
        QStringList list;
        for (int slot = 1; slot <= 10; ++slot)
            if (f.RecentSlotVisible(slot))
                list << f.RecentSlotCaption(slot);
        return list;
    };
    EXPECT_EQ(shown(), (QStringList{a, b, c}));
    // A recent slot opens its file again and leaves the list as it is.
    QAction* slot10 = f.findChild<QAction*>("RecentFile10");
    ASSERT_NE(slot10, nullptr);
    slot10->trigger();
    EXPECT_EQ(f.ActiveDocument()->FileName, c);
    EXPECT_EQ(f.Documents().size(), 4);
    EXPECT_EQ(shown(), (QStringList{a, b, c}));
}

// Every enabled item of the menus that work on a picture, with no document open.
TEST_F(Commands, DocumentCommandsWithoutADocumentChangeNothing)
{
    TForm1& f = Start();
    const QString sentinel = "before";
    f.SetStatusText(0, sentinel);
    const Picture clip = test::MakeTestPicture(3, 2);
    QApplication::clipboard()->setImage(WrapPicture(clip).copy());
    QStringList ran;
    for (QAction* top : f.menuBar()->actions()) {
        if (!QStringList{"&Edit", "&Image", "I&nsert", "&Mixing", "&Optimization", "&Zoom"}.contains(top->text()))
            continue;
        std::function<void(QMenu*)> runAll = [&](QMenu* menu) {
            for (QAction* action : menu->actions()) {
                if (action->menu())
                    runAll(action->menu());
                else if (action->isEnabled() && !action->isSeparator() && action->objectName() != "PasteNew") {
                    action->trigger();
                    ran << action->objectName();
                }
            }
        };
        runAll(top->menu());
    }
    for (const char* name : {"save", "saveas", "saveall", "print", "Close2", "CloseAll1", "Cascade1",
                             "TileHorizontally1", "TileVertically1", "MinimizeAll1", "ArrangeAll1"})
        Run(name);
    EXPECT_TRUE(ran.contains("GrayScale") && ran.contains("Erase") && ran.contains("ResetImage1")) << ran.join(' ').toStdString();
    EXPECT_EQ(DocumentCount(), 0);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(prompts.fileRequests.empty());
    EXPECT_EQ(f.StatusText(0), sentinel);
    EXPECT_TRUE(Clipboard().SamePixels(clip));
}

TEST_F(Commands, SaveAllWritesTitledPicturesAndAsksOnceForTheUntitledOne)
{
    TForm1& f = Start();
    const QString a = WritePicture("a.png", 7, 5, 1), b = WritePicture("b.bmp", 4, 6, 2);
    Open({a});
    QApplication::clipboard()->setImage(WrapPicture(test::MakeTestPicture(3, 3, 9)).copy());
    Run("PasteNew");
    Open({b});
    ASSERT_EQ(f.Documents().size(), 3);
    for (TEform1* document : f.Documents()) {
        f.MdiArea->setActiveSubWindow(document);
        Run("Negative");
    }
    const QString untitledTarget = QString::fromStdString((home / "pics" / "pasted.png").string());
    prompts.saveFiles.push_back(untitledTarget);
    Run("saveall");

    EXPECT_EQ(prompts.fileRequests.size(), 3u); // two open dialogs, one save dialog
    for (TEform1* document : f.Documents()) {
        const QString target = document->FileName.isEmpty() ? untitledTarget : document->FileName;
        EXPECT_TRUE(ReadPictureFile(target.toStdString()).picture.SamePixels(document->WorkingPicture))
            << target.toStdString();
        EXPECT_FALSE(document->Modified);
    }
    EXPECT_TRUE(f.Documents()[1]->FileName.isEmpty()); // saved, still untitled
}

TEST_F(Commands, ZoomOutStopsAtTenPercent)
{
    const struct {
        int presses;
        double zoom;
    } cases[] = {{5, 25}, {6, 10}, {7, 10}};
    TForm1& f = Start();
    for (const auto& c : cases) {
        TEform1* document = Open({WritePicture("zoom.png", 40, 20)});
        ASSERT_EQ(document->ZoomPercent, 100);
        for (int i = 0; i < c.presses; ++i)
            Run("ZoomOut");
        EXPECT_EQ(document->ZoomPercent, c.zoom) << c.presses;
        EXPECT_EQ(f.ActiveDocument(), document);
    }
}

TEST_F(Commands, PasteAsNewImageTakesTheClipboardOrSaysThereIsNone)
{
    TForm1& f = Start();
    prompts.answers.push_back(PromptAnswer::Ok);
    Run("PasteNew");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "No image in clipboard.");
    EXPECT_EQ(prompts.messages[0].caption, "Information");
    EXPECT_EQ(prompts.messages[0].icon, PromptIcon::Information);
    EXPECT_EQ(DocumentCount(), 0);

    const Picture picture = test::MakeTestPicture(5, 4, 7);
    QApplication::clipboard()->setImage(WrapPicture(picture).copy());
    Run("PasteNew");
    ASSERT_EQ(DocumentCount(), 1);
    TEform1* document = f.ActiveDocument();
    EXPECT_EQ(document->windowTitle(), "Untitled - 5 * 4");
    EXPECT_EQ(document->SizeText, "5 * 4");
    EXPECT_EQ(f.StatusText(2), "5 * 4");
    EXPECT_TRUE(document->FileName.isEmpty());
    EXPECT_TRUE(document->WorkingPicture.SamePixels(picture));
    EXPECT_EQ(document->HistoryIndex, 0);
    EXPECT_TRUE(fs::exists(document->HistoryFilePath(0).toStdString()));
}

TEST_F(Commands, CopyCropAndEraseWithoutASelectionTakeTheWholePicture)
{
    TForm1& f = Start();
    TEform1* document = Open({WritePicture("edit.png", 9, 7, 4)});
    const Picture original = document->WorkingPicture;

    Run("CopyTo");
    EXPECT_TRUE(Clipboard().SamePixels(original));

    QApplication::clipboard()->clear();
    Run("Memorize");
    EXPECT_TRUE(document->WorkingPicture.SamePixels(original));
    EXPECT_EQ(document->windowTitle(), "edit.png - 9 * 7");
    EXPECT_EQ(document->HistoryIndex, 1);

    Run("Erase");
    Picture silver(9, 7);
    silver.Fill({0xC0, 0xC0, 0xC0});
    EXPECT_TRUE(document->WorkingPicture.SamePixels(silver));
    EXPECT_TRUE(document->PreviousPicture.SamePixels(original));
    EXPECT_EQ(document->HistoryIndex, 2);
    EXPECT_TRUE(document->Modified);
    Run("undo");
    EXPECT_TRUE(document->WorkingPicture.SamePixels(original));
}

// Panel 0 while the picture changes, then after.
struct StatusSeen {
    QString during;
    QString after;
};

StatusSeen RunWatched(TForm1& form, TEform1& document, const char* command)
{
    StatusSeen seen;
    const auto connection =
        QObject::connect(&document, &TEform1::PreviewChanged, [&] { seen.during = form.StatusText(0); });
    form.Command(QString::fromLatin1(command))->trigger();
    QObject::disconnect(connection);
    seen.after = form.StatusText(0);
    return seen;
}

TEST_F(Commands, MirrorsShowTheirTextsTakeAHistoryStepAndTwiceRestore)
{
    const struct {
        const char* command;
        const char* text;
        int x, y; // where the original's top-left pixel goes
    } cases[] = {{"HorizontalMirror", "Processing Horizontal Mirror: ", 8, 0},
                 {"VerticalMirror", "Processing Vertical Mirror: ", 0, 4}};
    TForm1& f = Start();
    for (const auto& c : cases) {
        TEform1* document = Open({WritePicture("mirror.png", 9, 5, 6)});
        const Picture original = document->WorkingPicture;
        const StatusSeen seen = RunWatched(f, *document, c.command);
        EXPECT_EQ(seen.during, c.text + document->FileName);
        EXPECT_EQ(seen.after, "Ready: " + document->FileName);
        EXPECT_EQ(document->WorkingPicture.Pixel(c.x, c.y), original.Pixel(0, 0)) << c.command;
        EXPECT_FALSE(document->WorkingPicture.SamePixels(original));
        EXPECT_EQ(document->HistoryIndex, 1);
        Run(c.command);
        EXPECT_TRUE(document->WorkingPicture.SamePixels(original)) << c.command;
    }
}

// Grey scale and negative of the sample photos against Pillow, run on the same decoded pixels.
TEST_F(Commands, GrayScaleAndNegativeOfTheSamplesMatchPillow)
{
    if (!test::HaveTool("/usr/bin/python3") || test::RunCommand("/usr/bin/python3 -c 'import PIL'") != 0)
        GTEST_SKIP() << "Pillow not installed";
    const struct {
        const char* command;
        const char* text;
        const char* pillow; // im: the picture as RGB
        bool greyImage;     // Pillow's result is one channel
    } cases[] = {{"GrayScale", "Processing Gray Scale: ", "im.convert('L')", true},
                 {"Negative", "Processing Nagative: ", "ImageOps.invert(im)", false}};
    TForm1& f = Start();
    for (const char* sample : {"rocket.jpg", "coffee.png", "chelsea.png", "astronaut.png"}) {
        const QString path = QString::fromStdString(test::SamplePath(sample).string());
        for (const auto& c : cases) {
            TEform1* document = Open({path});
            const fs::path before = home / "before.png", expected = home / "expected.png";
            WritePictureFile(document->WorkingPicture, before.string());
            const std::string script = std::string("from PIL import Image, ImageOps; im = Image.open('") +
                                       before.string() + "').convert('RGB'); " + c.pillow + ".convert('RGB').save('" +
                                       expected.string() + "')";
            ASSERT_EQ(test::RunCommand("/usr/bin/python3 -c " + test::ShellQuote(script)), 0);
            const StatusSeen seen = RunWatched(f, *document, c.command);
            EXPECT_EQ(seen.during, c.text + path);
            EXPECT_EQ(seen.after, "Ready: " + path);
            const Picture pillow = ReadPictureFile(expected.string()).picture;
            EXPECT_EQ(test::MaxChannelDifference(document->WorkingPicture, pillow), 0) << sample << " " << c.command;
            EXPECT_TRUE(document->ReferencePicture.SamePixels(document->WorkingPicture));
            EXPECT_EQ(document->HistoryIndex, 1);
            document->Modified = false;
            Run("Close2");
        }
    }
}

TEST_F(Commands, ResetImageReadsTheFileAgain)
{
    TForm1& f = Start();
    TEform1* document = Open({WritePicture("reset.png", 6, 5, 3)});
    const Picture original = document->WorkingPicture;
    Run("Negative");
    Run("ResetImage1");
    EXPECT_TRUE(document->WorkingPicture.SamePixels(original));
    EXPECT_EQ(document->HistoryIndex, 3); // opening, negative, reloading and the command's own step
    Run("undo");
    EXPECT_TRUE(document->WorkingPicture.SamePixels(original));

    // An untitled picture has no file to go back to.
    QApplication::clipboard()->setImage(WrapPicture(test::MakeTestPicture(2, 2)).copy());
    Run("PasteNew");
    TEform1* pasted = f.ActiveDocument();
    Run("Negative");
    const Picture negative = pasted->WorkingPicture;
    Run("ResetImage1");
    EXPECT_TRUE(pasted->WorkingPicture.SamePixels(negative));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(Commands, CloseAllKeepsOnlyTheWindowAnsweredCancel)
{
    TForm1& f = Start();
    Open({WritePicture("a.png"), WritePicture("b.png"), WritePicture("c.png")});
    const QList<TEform1*> documents = f.Documents();
    for (TEform1* document : documents)
        document->Modified = true;
    const QString kept = documents[1]->FileName;
    prompts.answers = {PromptAnswer::No, PromptAnswer::Cancel, PromptAnswer::No};
    Run("CloseAll1");
    EXPECT_EQ(prompts.messages.size(), 3u);
    ASSERT_EQ(DocumentCount(), 1);
    EXPECT_EQ(f.Documents()[0]->FileName, kept);

    prompts.answers = {PromptAnswer::No};
    Run("Close2");
    EXPECT_EQ(DocumentCount(), 0);
}

TEST_F(Commands, WindowMenuArrangesTheDocumentWindows)
{
    TForm1& f = Start();
    Open({WritePicture("a.png", 30, 20), WritePicture("b.png", 30, 20), WritePicture("c.png", 30, 20)});
    const QList<TEform1*> documents = f.Documents();
    const QSize client = f.MdiArea->viewport()->size();

    Run("TileHorizontally1");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(documents[i]->geometry(), QRect(0, i * (client.height() / 3), client.width(),
                                                  i == 2 ? client.height() - 2 * (client.height() / 3)
                                                         : client.height() / 3));
    }
    Run("TileVertically1");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(documents[i]->geometry().topLeft(), QPoint(i * (client.width() / 3), 0));
    Run("Cascade1");
    EXPECT_LT(documents[0]->pos().x(), documents[2]->pos().x());
    EXPECT_LT(documents[0]->pos().y(), documents[2]->pos().y());

    Run("MinimizeAll1");
    for (TEform1* document : documents)
        EXPECT_TRUE(document->isMinimized());
    for (TEform1* document : documents)
        document->move(40, 10); // scattered
    Run("ArrangeAll1");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(documents[i]->y() + documents[i]->height(), client.height()) << i;
        if (i > 0)
            EXPECT_GT(documents[i]->x(), documents[i - 1]->x()) << i;
    }
}

TEST_F(Commands, AboutShowsTheVersionModallyAndIsKept)
{
    TForm1& f = Start();
    Run("About1");
    auto* about = f.findChild<TAboutForm*>("AboutForm");
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), about);
    EXPECT_EQ(about->Label1->text(), "Version " + f.VersionText);
    EXPECT_EQ(f.VersionText, "1.8");
    about->findChild<QPushButton*>("Button1")->click();
    EXPECT_FALSE(about->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    Run("About1");
    EXPECT_EQ(f.findChildren<TAboutForm*>().size(), 1);
    EXPECT_TRUE(about->isVisible());
    about->close();
}

// The picture's rectangle on a PDF page, in printer pixels: image size x resolution / image ppi.
QSize PrintedRect(const fs::path& pdf, int resolution)
{
    std::string listing;
    if (test::RunCommand("pdfimages -list " + test::ShellQuote(pdf.string()), &listing) != 0)
        return {};
    // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
    const QStringList lines = QString::fromStdString(listing).split('\n', Qt::SkipEmptyParts);
    if (lines.size() != 3)
        return {};
    const QStringList fields = lines[2].split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
    const double width = fields[3].toDouble(), height = fields[4].toDouble();
    const double ppiX = fields[12].toDouble(), ppiY = fields[13].toDouble();
    return QSize(qRound(width * resolution / ppiX), qRound(height * resolution / ppiY));
}

TEST_F(Commands, PrintStretchesByWholeMultiplesOfNinetySixDpi)
{
    if (!test::HaveTool("pdfimages"))
        GTEST_SKIP() << "pdfimages not installed";
    const struct {
        int dpi;
        int factor;
    } cases[] = {{96, 1}, {150, 1}, {600, 6}};
    Start();
    Open({WritePicture("print.png", 50, 40, 8)});
    for (const auto& c : cases) {
        const fs::path pdf = home / ("page-" + std::to_string(c.dpi) + ".pdf");
        prompts.printDialogs.push_back([&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf.string()));
            printer.setResolution(c.dpi);
            return true;
        });
        Run("print");
        ASSERT_TRUE(fs::exists(pdf)) << c.dpi;
        EXPECT_EQ(PrintedRect(pdf, c.dpi), QSize(50 * c.factor, 40 * c.factor)) << c.dpi;
    }
    // Cancel prints nothing.
    const fs::path cancelled = home / "cancelled.pdf";
    prompts.printDialogs.push_back([&](QPrinter& printer) {
        printer.setOutputFileName(QString::fromStdString(cancelled.string()));
        return false;
    });
    Run("print");
    EXPECT_FALSE(fs::exists(cancelled));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(Commands, PrintSetupSetsUpThePrinterThatPrintUses)
{
    TForm1& f = Start();
    prompts.printSetups.push_back([](QPrinter& printer) {
        printer.setPageOrientation(QPageLayout::Landscape);
        return true;
    });
    Run("PrintSetup1");
    EXPECT_EQ(f.Printer().pageLayout().orientation(), QPageLayout::Landscape);
    Open({WritePicture("p.png")});
    prompts.printDialogs.push_back([](QPrinter& printer) {
        EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
        return false;
    });
    Run("print");
    EXPECT_TRUE(prompts.printDialogs.empty());
}

// Runs drive on the scanner dialog once it shows; fails when it never does.
void WhenScannerDialogShows(std::function<void(ScannerDialog&)> drive)
{
    auto* poll = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, [poll, drive, started] {
        if (auto* dialog = qobject_cast<ScannerDialog*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            poll->stop();
            drive(*dialog);
        } else if (started->elapsed() > 20000) {
            poll->deleteLater();
            poll->stop();
            ADD_FAILURE() << "the scanner dialog was not shown";
        }
    });
    poll->start(10);
}

class Scan : public Commands {};

TEST_F(Scan, APageBecomesAnUntitledDocumentOfTheScannedSize)
{
    test::SaneTestBackend::Configure("");
    // What scanimage gets from the same device with the dialog's first choices (colour, 50 dpi).
    const fs::path pnm = home / "scan.pnm";
    ASSERT_EQ(test::RunCommand("scanimage -d test:0 --mode Color --resolution 50 > " + test::ShellQuote(pnm.string())), 0);
    const Picture expected = ReadPictureFile(pnm.string()).picture;

    TForm1& f = Start();
    WhenScannerDialogShows([](ScannerDialog& dialog) { dialog.StartScan(); });
    Run("acquire");
    ASSERT_EQ(DocumentCount(), 1);
    TEform1* document = f.ActiveDocument();
    const QString size = QStringLiteral("%1 * %2").arg(expected.Width()).arg(expected.Height());
    EXPECT_EQ(document->windowTitle(), "Untitle - " + size);
    EXPECT_EQ(document->SizeText, size);
    EXPECT_TRUE(document->FileName.isEmpty());
    EXPECT_TRUE(document->WorkingPicture.SamePixels(expected));
    EXPECT_EQ(document->HistoryIndex, 0);
    EXPECT_TRUE(fs::exists(document->HistoryFilePath(0).toStdString()));
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(Scan, NoScannerACancelledOrAFailedScanLeavesNoWindow)
{
    const struct {
        const char* what;
        const char* config; // test.conf lines; nullptr: no backend at all
        void (*drive)(ScannerDialog&);
        const char* message;
    } cases[] = {
        {"no scanner", nullptr, nullptr, "No scanner was found."},
        {"cancelled", "", [](ScannerDialog& dialog) { dialog.reject(); }, "The scan was cancelled."},
        {"failed", "read-status-code \"SANE_STATUS_IO_ERROR\"\n", [](ScannerDialog& dialog) { dialog.StartScan(); },
         "Error during device I/O"},
    };
    for (const auto& c : cases) {
        if (c.config)
            test::SaneTestBackend::Configure(c.config);
        else
            test::SaneTestBackend::ConfigureNoBackend();
        form.reset();
        TForm1& f = Start();
        if (c.drive)
            WhenScannerDialogShows(c.drive);
        prompts.messages.clear();
        prompts.answers.push_back(PromptAnswer::Ok);
        Run("acquire");
        EXPECT_EQ(DocumentCount(), 0) << c.what;
        EXPECT_FALSE(f.HasOpenDocument()) << c.what;
        ASSERT_EQ(prompts.messages.size(), 1u) << c.what;
        EXPECT_TRUE(prompts.messages[0].text.contains(QString::fromLatin1(c.message)))
            << c.what << ": " << prompts.messages[0].text.toStdString();
    }
}

}  // namespace
}  // namespace zelpix
