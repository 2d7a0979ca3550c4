#include "document/DocumentHost.h"
#include "document/DocumentView.h"
#include "document/TEform1.h"
#include "imaging/FileSize.h"
#include "imaging/ImagingError.h"
#include "imaging/PictureIO.h"
#include "imaging/PictureImage.h"
#include "support/ScriptedPrompts.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QMdiArea>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <array>

namespace zelpix {
namespace {

namespace fs = std::filesystem;

// The main window as a document sees it.
class RecordingHost : public DocumentHost {
public:
    explicit RecordingHost(QString folder) : folder_(std::move(folder)) {}
    void SetStatusText(int panel, const QString& text) override
    {
        panels[panel] = text;
        activity << QStringLiteral("%1:%2").arg(panel).arg(text);
    }
    QString ProgramFolder() const override { return folder_; }
    QSize MainClientSize() const override { return mainClient; }
    bool SaveDocument(TEform1& document) override
    {
        ++saves;
        if (!saveSucceeds)
            return false;
        document.Modified = false;
        return true;
    }
    bool BackupOpenedFile(const QString&) override { return true; }

    std::array<QString, 7> panels;
    QStringList activity;
    QSize mainClient{973, 624};
    int saves = 0;
    bool saveSucceeds = true;

private:
    QString folder_;
};

class DocumentWindow : public ::testing::Test {
protected:
    DocumentWindow() : host(QString::fromStdString(home.Path().string()))
    {
        area.resize(1200, 900);
        area.show();
    }

    TEform1* NewDocument()
    {
        auto* document = new TEform1(host);
        area.addSubWindow(document);
        document->show();
        document->FormActivate();
        return document;
    }

    // A picture file written by our own writer; `seed` varies the pixels.
    QString WritePicture(const std::string& name, int width, int height, std::uint32_t seed = 1)
    {
        const fs::path path = home / name;
        fs::create_directories(path.parent_path());
        WritePictureFile(test::MakeTestPicture(width, height, seed), path.string());
        return QString::fromStdString(path.string());
    }

    QStringList HistoryFiles(const TEform1& document) const
    {
        return QDir(document.HistoryFolder()).entryList(QDir::Files, QDir::Name);
    }

    test::TempDir home;
    RecordingHost host;
    QMdiArea area;
};

TEST_F(DocumentWindow, OpeningSetsTextsStatusAndHistoryStepZero)
{
    const QString path = WritePicture("pics/a.b.png", 40, 30);
    TEform1* document = NewDocument();
    host.activity.clear();
    document->OpenPictureFile(path);

    EXPECT_EQ(document->windowTitle(), "a.b.png - 40 * 30");
    EXPECT_EQ(document->FileName, path);
    EXPECT_EQ(document->SizeText, "40 * 30");
    EXPECT_EQ(document->FileSizeText, QString::number(FileSizeKB(path.toStdString())) + "KB");
    EXPECT_EQ(host.activity.first(), "0:Opening: " + path);
    EXPECT_EQ(host.activity.last(), "0:Ready: " + path);
    EXPECT_EQ(host.panels[1], document->FileSizeText);
    EXPECT_EQ(host.panels[2], "40 * 30");
    EXPECT_EQ(host.panels[3], "24M");
    EXPECT_TRUE(document->WorkingPicture.SamePixels(test::MakeTestPicture(40, 30)));
    EXPECT_TRUE(document->ReferencePicture.SamePixels(document->WorkingPicture));
    EXPECT_TRUE(document->PreviousPicture.SamePixels(document->WorkingPicture));
    EXPECT_EQ(HistoryFiles(*document), QStringList{"a_0.bmp"});
    EXPECT_TRUE(QDir(document->HistoryFolder()).absolutePath().startsWith(QString::fromStdString((home / "History").string())));
    EXPECT_FALSE(document->Modified);
    EXPECT_EQ(document->HistoryIndex, 0);
    EXPECT_EQ(document->UndoIndex, -1);
    EXPECT_EQ(document->HistoryEnd, 1);
}

TEST_F(DocumentWindow, DepthLabelOfTheFileUntilActivation)
{
    const fs::path grey = home / "grey.pgm";
    WritePictureFile(test::MakeTestPicture(9, 7), grey.string());
    TEform1* document = NewDocument();
    document->OpenPictureFile(QString::fromStdString(grey.string()));
    EXPECT_EQ(host.panels[3], "256");
    document->FormActivate();
    EXPECT_EQ(host.panels[3], "24M");
    EXPECT_EQ(host.panels[0], "Ready: " + document->FileName);
}

TEST_F(DocumentWindow, UndoRedoAndANewChangeAfterUndo)
{
    TEform1* document = NewDocument();
    document->OpenPictureFile(WritePicture("a.b.jpg.png", 16, 12, 1));
    const Picture opened = document->WorkingPicture;
    const Picture first = test::MakeTestPicture(20, 10, 2);
    const Picture second = test::MakeTestPicture(16, 12, 3);
    document->UndoFromHistory(); // nothing to undo yet
    EXPECT_TRUE(document->WorkingPicture.SamePixels(opened));
    EXPECT_EQ(document->UndoIndex, -1);

    document->ReplacePicture(first);
    document->RecordHistoryStep();
    EXPECT_TRUE(document->Modified);
    document->ReplacePicture(second);
    document->RecordHistoryStep();
    EXPECT_EQ(HistoryFiles(*document), (QStringList{"a_0.bmp", "a_1.bmp", "a_2.bmp"}));

    const struct {
        void (TEform1::*step)();
        const Picture* expected;
        int historyIndex;
    } steps[] = {
        {&TEform1::UndoFromHistory, &first, 1},   {&TEform1::UndoFromHistory, &opened, 0},
        {&TEform1::UndoFromHistory, &opened, 0},  {&TEform1::RedoFromHistory, &first, 1},
        {&TEform1::RedoFromHistory, &second, 2},  {&TEform1::RedoFromHistory, &second, 2},
        {&TEform1::UndoFromHistory, &first, 1},
    };
    int n = 0;
    for (const auto& s : steps) {
        (document->*s.step)();
        EXPECT_TRUE(document->WorkingPicture.SamePixels(*s.expected)) << "step " << n;
        EXPECT_TRUE(document->ReferencePicture.SamePixels(*s.expected)) << "step " << n;
        EXPECT_EQ(document->HistoryIndex, s.historyIndex) << "step " << n;
        EXPECT_EQ(document->UndoIndex, s.historyIndex - 1) << "step " << n;
        ++n;
    }
    EXPECT_TRUE(document->Modified); // undo does not touch it
    EXPECT_EQ(document->windowTitle(), "a.b.jpg.png - 16 * 12");

    const Picture third = test::MakeTestPicture(5, 5, 4);
    document->ReplacePicture(third);
    document->RecordHistoryStep();
    EXPECT_EQ(HistoryFiles(*document), (QStringList{"a_0.bmp", "a_1.bmp", "a_2.bmp"}));
    document->RedoFromHistory(); // the old step 2 is gone
    EXPECT_TRUE(document->WorkingPicture.SamePixels(third));
    EXPECT_EQ(document->HistoryIndex, 2);
    document->UndoFromHistory();
    EXPECT_TRUE(document->WorkingPicture.SamePixels(first));
}

TEST_F(DocumentWindow, HistoryFilesAreNamedAfterTheCaptionPrefix)
{
    const struct {
        const char* file;       // nullptr: an untitled picture
        QStringList history;
    } cases[] = {
        {"a.b.jpg", {"a_0.bmp", "a_1.bmp"}},
        {"photo.jpg", {"photo_0.bmp", "photo_1.bmp"}},
        {"noext", {"_0.bmp", "_1.bmp"}},
        {nullptr, {"_0.bmp", "_1.bmp"}},
    };
    for (const auto& c : cases) {
        TEform1* document = NewDocument();
        if (c.file) {
            const fs::path path = home / c.file;
            test::WriteBytes(path, EncodePicture(test::MakeTestPicture(6, 5), "jpg"));
            document->OpenPictureFile(QString::fromStdString(path.string()));
            EXPECT_EQ(document->windowTitle(), QString(c.file) + " - 6 * 5");
        } else {
            document->setWindowTitle("Untitled - 5 * 5");
            document->ReplacePicture(test::MakeTestPicture(5, 5));
            document->RecordHistoryStep();
        }
        document->ReplacePicture(test::MakeTestPicture(3, 3, 2));
        document->RecordHistoryStep();
        EXPECT_EQ(HistoryFiles(*document), c.history) << (c.file ? c.file : "untitled");
        EXPECT_TRUE(document->Modified);
    }
}

TEST_F(DocumentWindow, TwoDocumentsWithTheSamePrefixKeepTheirOwnHistory)
{
    TEform1* one = NewDocument();
    one->OpenPictureFile(WritePicture("x/a.png", 8, 8, 1));
    TEform1* two = NewDocument();
    two->OpenPictureFile(WritePicture("y/a.jpg.png", 9, 9, 2));
    ASSERT_NE(one->HistoryFolder(), two->HistoryFolder());
    one->ReplacePicture(test::MakeTestPicture(3, 3, 7));
    one->RecordHistoryStep();
    two->ReplacePicture(test::MakeTestPicture(4, 4, 8));
    two->RecordHistoryStep();
    one->UndoFromHistory();
    two->UndoFromHistory();
    EXPECT_TRUE(one->WorkingPicture.SamePixels(test::MakeTestPicture(8, 8, 1)));
    EXPECT_TRUE(two->WorkingPicture.SamePixels(test::MakeTestPicture(9, 9, 2)));
    const QString folder = one->HistoryFolder();
    delete one; // a closed document's history goes with it
    EXPECT_FALSE(QDir(folder).exists());
    EXPECT_EQ(HistoryFiles(*two), (QStringList{"a_0.bmp", "a_1.bmp"}));
}

TEST_F(DocumentWindow, HistoryFilesAreBitmapsOtherToolsRead)
{
    if (!test::HaveTool("identify-im6.q16"))
        GTEST_SKIP() << "ImageMagick not installed";
    TEform1* document = NewDocument();
    document->OpenPictureFile(WritePicture("shot.png", 33, 17));
    const std::string file = (document->HistoryFolder() + "/shot_0.bmp").toStdString();
    std::string out;
    ASSERT_EQ(test::RunCommand("identify-im6.q16 -format '%w %h %z %[type]' " + test::ShellQuote(file), &out), 0);
    EXPECT_EQ(out, "33 17 8 TrueColor");
    std::string rgb;
    ASSERT_EQ(test::RunCommand("convert-im6.q16 " + test::ShellQuote(file) + " -depth 8 rgb:-", &rgb), 0);
    const Picture expected = test::MakeTestPicture(33, 17);
    ASSERT_EQ(rgb.size(), std::size_t(33 * 17 * 3));
    int mismatches = 0;
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 33; ++x) {
            const Bgr p = expected.Pixel(x, y);
            const auto* q = reinterpret_cast<const std::uint8_t*>(rgb.data()) + (y * 33 + x) * 3;
            mismatches += q[0] != p.r || q[1] != p.g || q[2] != p.b;
        }
    EXPECT_EQ(mismatches, 0);
}

TEST_F(DocumentWindow, UndecodableFileLeavesEverythingAsItWas)
{
    TEform1* document = NewDocument();
    document->OpenPictureFile(WritePicture("good.png", 12, 10));
    document->ReplacePicture(test::MakeTestPicture(6, 6, 5));
    document->RecordHistoryStep();
    const fs::path bad = home / "bad.png";
    test::WriteBytes(bad, {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0});
    const QString badPath = QString::fromStdString(bad.string());

    const QString title = document->windowTitle();
    const QString fileName = document->FileName, sizeText = document->SizeText, fileSize = document->FileSizeText;
    const Picture working = document->WorkingPicture;
    const QStringList files = HistoryFiles(*document);
    for (const QString& path : {badPath, QString::fromStdString((home / "missing.png").string())}) {
        EXPECT_THROW(document->OpenPictureFile(path), ImagingError);
        EXPECT_EQ(host.panels[0], "Opening: " + path);
        EXPECT_EQ(document->windowTitle(), title);
        EXPECT_EQ(document->FileName, fileName);
        EXPECT_EQ(document->SizeText, sizeText);
        EXPECT_EQ(document->FileSizeText, fileSize);
        EXPECT_TRUE(document->WorkingPicture.SamePixels(working));
        EXPECT_EQ(document->HistoryIndex, 1);
        EXPECT_EQ(document->UndoIndex, 0);
        EXPECT_EQ(HistoryFiles(*document), files);
        EXPECT_TRUE(document->Modified);
    }
    document->UndoFromHistory();
    EXPECT_TRUE(document->WorkingPicture.SamePixels(test::MakeTestPicture(12, 10)));
}

TEST_F(DocumentWindow, SavingWritesByExtensionAndKeepsTheNames)
{
    TEform1* document = NewDocument();
    const QString path = WritePicture("keep.bmp", 10, 8);
    document->OpenPictureFile(path);
    document->ReplacePicture(test::MakeTestPicture(10, 8, 9));
    document->RecordHistoryStep();
    const fs::path target = home / "x.png";
    document->SavePictureToFile(QString::fromStdString(target.string()));
    EXPECT_FALSE(document->Modified);
    EXPECT_EQ(document->FileName, path);
    EXPECT_EQ(document->windowTitle(), "keep.bmp - 10 * 8");
    const std::vector<std::uint8_t> bytes = test::ReadBytes(target);
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes[1], 'P'); // a PNG signature
    EXPECT_TRUE(ReadPictureFile(target.string()).picture.SamePixels(test::MakeTestPicture(10, 8, 9)));
}

TEST_F(DocumentWindow, CloseQueryAnswers)
{
    const struct {
        bool modified;
        std::optional<PromptAnswer> answer;
        bool saveSucceeds;
        bool closes;
        int saves;
    } cases[] = {
        {false, std::nullopt, true, true, 0},
        {true, PromptAnswer::Yes, true, true, 1},
        {true, PromptAnswer::Yes, false, false, 1}, // a failed save keeps the picture
        {true, PromptAnswer::No, true, true, 0},
        {true, PromptAnswer::Cancel, true, false, 0},
    };
    for (const auto& c : cases) {
        test::ScriptedPrompts prompts;
        if (c.answer)
            prompts.answers.push_back(*c.answer);
        TEform1* document = NewDocument();
        document->OpenPictureFile(WritePicture("c.png", 4, 4));
        document->Modified = c.modified;
        host.saves = 0;
        host.saveSucceeds = c.saveSucceeds;
        QPointer<TEform1> watch(document);
        EXPECT_EQ(document->close(), c.closes);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(watch.isNull(), c.closes);
        EXPECT_EQ(host.saves, c.saves);
        ASSERT_EQ(prompts.messages.size(), c.modified ? 1u : 0u);
        if (c.modified) {
            EXPECT_EQ(prompts.messages[0].text, "This image has been modified, and do you want to save it?");
            EXPECT_EQ(prompts.messages[0].caption, "Information");
            EXPECT_EQ(prompts.messages[0].buttons, PromptButtons::YesNoCancel);
        }
        for (const QString& text : host.panels)
            EXPECT_TRUE(text.isEmpty());
        if (watch) {
            watch->Modified = false;
            delete watch.data();
        }
    }
}

TEST_F(DocumentWindow, ZoomCommandsResizeTheViewAndScrollToTheTopLeft)
{
    TEform1* document = NewDocument();
    document->OpenPictureFile(WritePicture("z.png", 641, 480));
    QSignalSpy zoomReports(document, &TEform1::ZoomReported);
    document->ChangeZoom(1, 0, 0);
    EXPECT_EQ(document->ZoomPercent, 115);
    EXPECT_EQ(document->PaintBox1->size(), QSize(737, 552)); // Round(1474.3) div 2, 1104 div 2
    ASSERT_EQ(zoomReports.size(), 1);
    EXPECT_EQ(zoomReports[0][0].toString(), "115%");
    EXPECT_EQ(zoomReports[0][1].toInt(), 808);

    document->ChangeZoom(0, 0, 0);
    EXPECT_EQ(document->ZoomPercent, 100);
    EXPECT_EQ(document->PaintBox1->size(), QSize(641, 480));
    document->ScrollBox1->horizontalScrollBar()->setValue(100);
    const double expected[] = {85, 70, 55, 40, 25, 10, 10};
    for (double zoom : expected) {
        document->ChangeZoom(-1, 0, 0);
        EXPECT_EQ(document->ZoomPercent, zoom);
    }
    EXPECT_EQ(document->PaintBox1->size(), QSize(64, 48));
    EXPECT_EQ(document->ScrollBox1->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(zoomReports.size(), 1 + 1 + 6); // the seventh zoom out changed nothing

    document->ChangeZoom(0, 0, 0);
    document->ChangeZoom(1, 0, 0);
    document->ChangeZoom(1, 640, 480); // the zoom tool steers to the clicked point
    const QScrollBar* h = document->ScrollBox1->horizontalScrollBar();
    EXPECT_EQ(h->value(), std::min(h->maximum(), document->ImageToView(640) - document->PaintBox1->width() / 2));
}

TEST_F(DocumentWindow, BestFitUsesTheClientArea)
{
    TEform1* document = NewDocument();
    document->OpenPictureFile(WritePicture("fit.png", 1000, 500));
    document->resize(600, 500);
    QApplication::processEvents();
    const QSize client = document->ScrollBox1->size();
    document->ChangeZoom(2, 0, 0);
    const double byWidth = std::nearbyint(double(client.width()) / 1000 * 100);
    const double byHeight = std::nearbyint(double(client.height()) / 500 * 100);
    EXPECT_EQ(document->ZoomPercent, client.width() - 1000 > client.height() - 500 ? byHeight : byWidth);
}

TEST_F(DocumentWindow, FittingTheWindowToItsView)
{
    TEform1* document = NewDocument();
    document->OpenPictureFile(WritePicture("small.png", 300, 200));
    QApplication::processEvents();
    EXPECT_EQ(document->ScrollBox1->size(), QSize(304, 204));
    EXPECT_FALSE(document->ScrollBox1->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(document->ScrollBox1->verticalScrollBar()->isVisible());

    TEform1* big = NewDocument();
    big->OpenPictureFile(WritePicture("big.png", 2000, 1000));
    EXPECT_EQ(big->size(), QSize(973 - 50, 624 - 150));
}

// What the view shows, as a picture.
Picture Shown(TEform1& document)
{
    QApplication::processEvents();
    const QImage image = document.PaintBox1->grab().toImage().convertToFormat(QImage::Format_RGB888);
    Picture shown(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            shown.SetPixel(x, y, {std::uint8_t(qBlue(c)), std::uint8_t(qGreen(c)), std::uint8_t(qRed(c))});
        }
    return shown;
}

TEST_F(DocumentWindow, ViewShowsThePictureAtEveryZoom)
{
    TEform1* document = NewDocument();
    const Picture picture = test::MakeTestPicture(64, 48);
    document->OpenPictureFile(WritePicture("paint.png", 64, 48));
    EXPECT_TRUE(Shown(*document).SamePixels(picture));

    for (int factor : {2, 4}) {
        document->ZoomPercent = 100.0 * factor; // as the navigation window sets it
        document->RefreshZoom(0, 0);
        const Picture magnified = Shown(*document);
        ASSERT_EQ(magnified.Width(), 64 * factor);
        int wrong = 0;
        for (int y = 0; y < magnified.Height(); ++y)
            for (int x = 0; x < magnified.Width(); ++x)
                wrong += !(magnified.Pixel(x, y) == picture.Pixel(x / factor, y / factor));
        EXPECT_EQ(wrong, 0) << factor * 100 << "%";
    }

    for (double zoom : {50.0, 25.0, 10.0, 20.1}) {
        document->ZoomPercent = zoom;
        document->RefreshZoom(0, 0);
        const Picture small = Shown(*document);
        EXPECT_EQ(small.Width(), ViewLength(64, zoom)) << zoom;
        if (zoom == 50) {
            int off = 0;
            for (int y = 0; y < small.Height(); ++y)
                for (int x = 0; x < small.Width(); ++x)
                    off += !(small.Pixel(x, y) == picture.Pixel(2 * x, 2 * y));
            EXPECT_EQ(off, 0);
        }
    }
}

TEST_F(DocumentWindow, PaintingPiecesMatchesPaintingTheWhole)
{
    TEform1* document = NewDocument();
    document->OpenPictureFile(WritePicture("tiles.png", 97, 61));
    for (double zoom : {115.0, 85.0, 40.0, 415.0}) {
        document->ZoomPercent = zoom;
        document->RefreshZoom(0, 0);
        const QSize view = document->PaintBox1->size();
        QImage whole(view, QImage::Format_RGB32);
        document->PaintBox1->render(&whole, QPoint(), QRegion(QRect(QPoint(), view)));
        QImage pieces(view, QImage::Format_RGB32);
        pieces.fill(Qt::black);
        const int stepX = 13, stepY = 7; // odd pieces, as scrolling exposes them
        for (int y = 0; y < view.height(); y += stepY)
            for (int x = 0; x < view.width(); x += stepX) {
                const QRect piece(x, y, stepX, stepY);
                document->PaintBox1->render(&pieces, piece.topLeft(), QRegion(piece));
            }
        EXPECT_TRUE(whole == pieces) << "at " << zoom << "%";
    }
}

TEST_F(DocumentWindow, NothingIsPaintedBeforeActivation)
{
    auto* document = new TEform1(host);
    area.addSubWindow(document);
    document->ReplacePicture(test::MakeTestPicture(20, 20));
    document->show();
    EXPECT_FALSE(document->PaintingEnabled);
    const Picture shown = Shown(*document);
    EXPECT_EQ(shown.Pixel(5, 5), (Bgr{0xC0, 0xC0, 0xC0}));
    delete document;
}

TEST_F(DocumentWindow, ClipboardPictureReplacesThePicture)
{
    TEform1* document = NewDocument();
    document->OpenPictureFile(WritePicture("clip.png", 10, 10));
    const Picture pasted = test::MakeTestPicture(7, 5, 3);
    QApplication::clipboard()->setImage(WrapPicture(pasted).copy());
    document->ReplaceFromClipboard();
    EXPECT_TRUE(document->WorkingPicture.SamePixels(pasted));
    EXPECT_EQ(document->SizeText, "7 * 5");
    EXPECT_EQ(document->windowTitle(), "clip.png - 7 * 5");
    EXPECT_EQ(document->HistoryIndex, 0); // the caller takes the history step

    QApplication::clipboard()->clear();
    EXPECT_THROW(document->ReplaceFromClipboard(), ImagingError);
    EXPECT_TRUE(document->WorkingPicture.SamePixels(pasted));
}

}  // namespace
}  // namespace zelpix
