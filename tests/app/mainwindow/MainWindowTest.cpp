#include "app/TCoverForm.h"
#include "app/TForm1.h"
#include "app/core/ProfileFile.h"
#include "document/TEform1.h"
#include "imaging/ImagingError.h"
#include "imaging/PictureIO.h"
#include "support/ScriptedPrompts.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace zelpix {
namespace {

namespace fs = std::filesystem;

class MainWindow : public ::testing::Test {
protected:
    MainWindow() { qputenv("ZELPIX_HOME", QByteArray::fromStdString(home.Path().string())); }
    ~MainWindow() override
    {
        if (form) {
            for (TEform1* document : form->Documents())
                document->Modified = false;
            prompts.answers.clear();
            form->close();
        }
        qunsetenv("ZELPIX_HOME");
    }

    TForm1& Start(const QStringList& arguments = {})
    {
        form = std::make_unique<TForm1>(arguments);
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

    fs::path OptionIni() const { return home / "Option.ini"; }
    void WriteOptionIni(const std::string& text) { std::ofstream(OptionIni(), std::ios::binary) << text; }
    std::string OptionIniText() const
    {
        std::ifstream in(OptionIni(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    QStringList RecentList() const
    {
        QStringList list;
        for (int slot = 1; slot <= 10; ++slot)
            list << (form->RecentSlotVisible(slot) ? form->RecentSlotCaption(slot) : QString());
        return list;
    }

    test::TempDir home;
    test::ScriptedPrompts prompts;
    std::unique_ptr<TForm1> form;
};

TEST_F(MainWindow, StartsWithDefaultsWhenThereIsNoOptionIni)
{
    TForm1& f = Start();
    const QString folder = QString::fromStdString(home.Path().string());
    EXPECT_EQ(f.windowTitle(), "Zelpix V1.8");
    EXPECT_EQ(f.ProgramFolder(), folder);
    EXPECT_EQ(f.SkinFile(), folder + "/Skins/devoir.mskn");
    for (QToolBar* bar : {f.ToolBar1, f.ToolBar5, f.ToolBar6, f.ToolBar2})
        EXPECT_TRUE(bar->isVisible()) << bar->objectName().toStdString();
    for (const char* item : {"FileControlBar1", "ImageEditBar1", "ImageViewBar1", "ImageProcessBar1", "LeftToolbar1",
                             "NavigationWindow1", "ColorWindow1", "FilterWindow1"})
        EXPECT_TRUE(f.Command(item)->isChecked()) << item;
    EXPECT_FALSE(f.AutoSaveOn);
    EXPECT_FALSE(f.Timer1.isActive());
    EXPECT_EQ(f.Timer1.interval(), 300000);
    EXPECT_EQ(f.BackupFolder, folder + "/Backup");
    EXPECT_EQ(RecentList(), QStringList(10, QString()));
    EXPECT_TRUE(f.PreviewEffects);
    EXPECT_EQ(f.MainClientSize(), QSize(973, 624));
    EXPECT_FALSE(fs::exists(OptionIni())); // nothing is written before the close
}

TEST_F(MainWindow, SettingsReadAtStartSurviveTheClose)
{
    WriteOptionIni("[General]\nVersion=2.5\nSkin=None\n[View]\nColor Window=0\nImage Edit Bar=0\n"
                   "[Assistant]\nAuto Save Execute=1\nAuto Save Period=60000\n[File List]\nIndex3=/x/three.jpg\n"
                   "[Windows]\nBackground Color=255\n");
    TForm1& f = Start();
    EXPECT_EQ(f.windowTitle(), "Zelpix V2.5");
    EXPECT_EQ(f.SkinFile(), "");
    EXPECT_FALSE(f.ToolBar5->isVisible());
    EXPECT_TRUE(f.ToolBar6->isVisible());
    EXPECT_FALSE(f.Command("ColorWindow1")->isChecked());
    EXPECT_TRUE(f.Timer1.isActive());
    EXPECT_EQ(f.Timer1.interval(), 60000);
    EXPECT_EQ(f.WorkspaceColor, 255);
    EXPECT_TRUE(f.RecentSlotVisible(3));
    EXPECT_EQ(f.RecentSlotCaption(3), "/x/three.jpg");
    EXPECT_FALSE(f.RecentSlotVisible(1));

    EXPECT_TRUE(f.close());
    ProfileFile file(OptionIni().string());
    EXPECT_EQ(file.ReadString("General", "Version", ""), "2.5");
    EXPECT_EQ(file.ReadString("General", "Skin", ""), "None");
    EXPECT_EQ(file.ReadString("View", "Color Window", ""), "0");
    EXPECT_EQ(file.ReadString("View", "Image Edit Bar", ""), "0");
    EXPECT_EQ(file.ReadString("View", "Filter Window", ""), "1");
    EXPECT_EQ(file.ReadString("Assistant", "Auto Save Execute", ""), "1");
    EXPECT_EQ(file.ReadString("Assistant", "Auto Save Period", ""), "60000");
    EXPECT_EQ(file.ReadString("File List", "Index3", "-"), "/x/three.jpg");
    EXPECT_EQ(file.ReadString("File List", "Index1", "-"), "");
    EXPECT_EQ(file.ReadString("Windows", "Background Color", ""), "255");
    EXPECT_EQ(file.ReadString("General", "Preview Effects", ""), "1");
    EXPECT_EQ(file.ReadString("Hot keys", "Value", ""), "Ctrl+ALT+Z");
    EXPECT_EQ(file.ReadString("Capture Screen", "Full Screen", ""), "1");
    form.reset();

    // The next start reads what was written.
    TForm1& again = Start();
    EXPECT_FALSE(again.Command("ColorWindow1")->isChecked());
    EXPECT_FALSE(again.ToolBar5->isVisible());
}

TEST_F(MainWindow, AnAutoSavePeriodOfZeroIsNoBusyTimer)
{
    WriteOptionIni("[Assistant]\nAuto Save Execute=1\nAuto Save Period=0\n");
    TForm1& f = Start();
    EXPECT_TRUE(f.Timer1.isActive());
    EXPECT_GE(f.Timer1.interval(), 1000);
    f.close();
    EXPECT_EQ(ProfileFile(OptionIni().string()).ReadString("Assistant", "Auto Save Period", ""), "0");
}

TEST_F(MainWindow, ViewChecksShowToolBarsAndAreWrittenBack)
{
    TForm1& f = Start();
    f.Command("FileControlBar1")->trigger();
    EXPECT_FALSE(f.ToolBar1->isVisible());
    f.Command("ImageProcessBar1")->trigger();
    f.Command("ImageProcessBar1")->trigger();
    EXPECT_TRUE(f.ToolBar2->isVisible());
    f.close();
    ProfileFile file(OptionIni().string());
    EXPECT_FALSE(file.ReadBool("View", "File Control Bar", true));
    EXPECT_TRUE(file.ReadBool("View", "Image Process Bar", false));
}

TEST_F(MainWindow, OpenDialogOpensLastFirstAndListsTheRecentFiles)
{
    TForm1& f = Start();
    const QString a = WritePicture("a.png"), b = WritePicture("b.bmp", 5, 4), c = WritePicture("c.pcx", 6, 3);
    prompts.openFiles.push_back({a, b, c});
    f.Command("open")->trigger();
    const QList<TEform1*> documents = f.Documents();
    ASSERT_EQ(documents.size(), 3);
    EXPECT_EQ(documents[0]->FileName, c);
    EXPECT_EQ(documents[2]->FileName, a);
    EXPECT_EQ(f.ActiveDocument(), documents[2]);
    EXPECT_EQ(f.StatusText(0), "Ready: " + a);
    EXPECT_EQ(RecentList().mid(7), (QStringList{a, b, c}));
    ASSERT_FALSE(prompts.fileRequests.empty());
    EXPECT_EQ(prompts.fileRequests[0].folder, f.ProgramFolder());
    EXPECT_TRUE(prompts.fileRequests[0].filters.first().startsWith("All Graphic ("));
}

TEST_F(MainWindow, TwelveOpenedFilesLeaveTheTenNewestAndARepeatChangesNothing)
{
    TForm1& f = Start();
    QStringList paths;
    for (int i = 1; i <= 12; ++i) {
        paths << WritePicture("p" + std::to_string(i) + ".png", 3, 3, i);
        prompts.openFiles.push_back({paths.last()});
        f.Command("open")->trigger();
    }
    QStringList newestFirst;
    for (int i = 12; i >= 3; --i)
        newestFirst << paths[i - 1];
    EXPECT_EQ(RecentList(), newestFirst);
    prompts.openFiles.push_back({paths[5]});
    f.Command("open")->trigger();
    EXPECT_EQ(RecentList(), newestFirst);

    // A slot opens its path in a new window and leaves the list alone.
    const int before = f.Documents().size();
    f.findChild<QAction*>("RecentFile10")->trigger();
    ASSERT_EQ(f.Documents().size(), before + 1);
    EXPECT_EQ(f.ActiveDocument()->FileName, paths[2]);
    EXPECT_EQ(RecentList(), newestFirst);
}

TEST_F(MainWindow, AFileThatCannotBeOpenedIsReportedAndTheOthersStillOpen)
{
    TForm1& f = Start();
    const QString good1 = WritePicture("g1.png"), good2 = WritePicture("g2.png");
    const fs::path bad = home / "pics" / "broken.jpg";
    test::WriteBytes(bad, {0xFF, 0xD8, 0xFF, 0xE0, 0, 16});
    const QString badPath = QString::fromStdString(bad.string());
    prompts.openFiles.push_back({good1, badPath, good2});
    prompts.answers.push_back(PromptAnswer::Ok);
    f.Command("open")->trigger();
    ASSERT_EQ(f.Documents().size(), 3); // the empty window of the broken file stays
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].caption, "Zelpix");
    EXPECT_EQ(prompts.messages[0].icon, PromptIcon::Error);
    EXPECT_FALSE(prompts.messages[0].text.isEmpty());
    EXPECT_FALSE(RecentList().contains(badPath));
    EXPECT_TRUE(RecentList().contains(good1));
}

TEST_F(MainWindow, DroppedFilesOpenInOrderAndAreNotListed)
{
    TForm1& f = Start();
    const QString paths[] = {WritePicture("d1.png"), WritePicture("d2.bmp"), WritePicture("d3.png")};
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(paths[0]), QUrl::fromLocalFile(paths[1]), QUrl::fromLocalFile(paths[2])});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &drop);
    const QList<TEform1*> documents = f.Documents();
    ASSERT_EQ(documents.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(documents[i]->FileName, paths[i]);
    EXPECT_EQ(RecentList(), QStringList(10, QString()));
}

TEST_F(MainWindow, StartFileOpensOnceTheLoopRuns)
{
    const QString path = WritePicture("start.png", 7, 7);
    for (const char* command : {"Convert", "convert", ""}) {
        TForm1& f = Start(command[0] ? QStringList{path, command} : QStringList{path});
        EXPECT_EQ(f.StartFile, path);
        EXPECT_EQ(f.StartCommand, command);
        EXPECT_FALSE(f.HasOpenDocument());
        f.OpenStartFile();
        ASSERT_EQ(f.Documents().size(), 1);
        EXPECT_EQ(f.ActiveDocument()->FileName, path);
        EXPECT_TRUE(f.StartFile.isEmpty());
        EXPECT_TRUE(f.StartCommand.isEmpty());
        EXPECT_EQ(RecentList(), QStringList(10, QString()));
        f.close();
        form.reset();
    }
}

TEST_F(MainWindow, CancelAtAnyModifiedPictureStopsTheWholeClose)
{
    const std::vector<std::vector<PromptAnswer>> scripts = {{PromptAnswer::Cancel}, {PromptAnswer::No, PromptAnswer::Cancel}};
    for (const auto& script : scripts) {
        WriteOptionIni("[General]\nSkin=mine\n");
        const std::string before = OptionIniText();
        TForm1& f = Start();
        prompts.openFiles.push_back({WritePicture("m1.png"), WritePicture("m2.png")});
        f.Command("open")->trigger();
        for (TEform1* document : f.Documents()) {
            document->ReplacePicture(test::MakeTestPicture(4, 4, 9));
            document->RecordHistoryStep();
        }
        prompts.answers.assign(script.begin(), script.end());
        prompts.messages.clear();
        EXPECT_FALSE(f.close());
        EXPECT_EQ(prompts.messages.size(), script.size());
        EXPECT_EQ(f.Documents().size(), 2);
        EXPECT_EQ(OptionIniText(), before);
        for (TEform1* document : f.Documents())
            EXPECT_EQ(QDir(document->HistoryFolder()).entryList(QDir::Files).size(), 2);
        for (TEform1* document : f.Documents())
            document->Modified = false;
        f.close();
        form.reset();
    }
}

TEST_F(MainWindow, NormalCloseAsksOnceEmptiesHistoryAndWritesSettings)
{
    TForm1& f = Start();
    prompts.openFiles.push_back({WritePicture("n1.png"), WritePicture("n2.png")});
    f.Command("open")->trigger();
    TEform1* modified = f.Documents().first();
    modified->ReplacePicture(test::MakeTestPicture(4, 4, 9));
    modified->RecordHistoryStep();
    fs::create_directories(home / "History" / "left-over");
    test::WriteBytes(home / "History" / "old_0.bmp", {1, 2, 3});
    prompts.answers.push_back(PromptAnswer::No);
    EXPECT_TRUE(f.close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(prompts.messages.size(), 1u); // the answer counts: no second question
    EXPECT_TRUE(fs::is_directory(home / "History"));
    EXPECT_TRUE(fs::is_empty(home / "History"));
    EXPECT_TRUE(fs::exists(OptionIni()));
    EXPECT_FALSE(f.HasOpenDocument());
}

TEST_F(MainWindow, CloseKeepsTheHistoryOfAnotherRunningCopy)
{
    TForm1& f = Start();
    const fs::path history = home / "History";
    fs::create_directories(history / "1-1"); // process 1 is always running
    fs::create_directories(history / "2147483000-1"); // no such process
    test::WriteBytes(history / "1-1" / "a_0.bmp", {1});
    test::WriteBytes(history / "2147483000-1" / "a_0.bmp", {1});
    EXPECT_TRUE(f.close());
    EXPECT_TRUE(fs::exists(history / "1-1" / "a_0.bmp"));
    EXPECT_FALSE(fs::exists(history / "2147483000-1"));
}

TEST_F(MainWindow, YesAtCloseSavesTheFileItCameFrom)
{
    TForm1& f = Start();
    const QString path = WritePicture("save-me.png", 6, 6);
    prompts.openFiles.push_back({path});
    f.Command("open")->trigger();
    TEform1* document = f.ActiveDocument();
    document->ReplacePicture(test::MakeTestPicture(6, 6, 42));
    document->RecordHistoryStep();
    prompts.answers.push_back(PromptAnswer::Yes);
    EXPECT_TRUE(f.close());
    EXPECT_TRUE(ReadPictureFile(path.toStdString()).picture.SamePixels(test::MakeTestPicture(6, 6, 42)));
}

TEST_F(MainWindow, SaveAsAsksBeforeCoveringAFile)
{
    TForm1& f = Start();
    const QString path = WritePicture("orig.png", 6, 6);
    const QString existing = WritePicture("existing.png", 2, 2, 5);
    prompts.openFiles.push_back({path});
    f.Command("open")->trigger();
    const auto before = test::ReadBytes(existing.toStdString());
    prompts.saveFiles.push_back(existing);
    prompts.answers.push_back(PromptAnswer::No);
    f.Command("saveas")->trigger();
    EXPECT_EQ(test::ReadBytes(existing.toStdString()), before);
    EXPECT_EQ(prompts.messages.back().text, "The file is already existent. Do you want to cover it?");
    prompts.saveFiles.push_back(existing);
    prompts.answers.push_back(PromptAnswer::Yes);
    f.Command("saveas")->trigger();
    EXPECT_TRUE(ReadPictureFile(existing.toStdString()).picture.SamePixels(test::MakeTestPicture(6, 6)));
    EXPECT_EQ(f.ActiveDocument()->FileName, path); // the document keeps its own file
}

TEST_F(MainWindow, ZoomAndHistoryCommandsWorkOnTheActiveDocument)
{
    TForm1& f = Start();
    for (const char* name : {"ZoomIn", "ZoomOut", "BestFit", "OriginalSize", "undo", "Redo", "save", "saveas"})
        f.Command(name)->trigger(); // no document: nothing happens
    prompts.openFiles.push_back({WritePicture("zoom.png", 40, 20)});
    f.Command("open")->trigger();
    TEform1* document = f.ActiveDocument();
    for (int i = 0; i < 5; ++i)
        f.Command("ZoomOut")->trigger();
    EXPECT_EQ(document->ZoomPercent, 25);
    f.Command("ZoomIn")->trigger();
    EXPECT_EQ(document->ZoomPercent, 40);
    f.Command("OriginalSize")->trigger();
    EXPECT_EQ(document->ZoomPercent, 100);
    document->ReplacePicture(test::MakeTestPicture(8, 8, 3));
    document->RecordHistoryStep();
    f.Command("undo")->trigger();
    EXPECT_TRUE(document->WorkingPicture.SamePixels(test::MakeTestPicture(40, 20)));
    f.Command("Redo")->trigger();
    EXPECT_TRUE(document->WorkingPicture.SamePixels(test::MakeTestPicture(8, 8, 3)));
}

// Menu item by its captions, top level first.
QAction* MenuItem(QMenuBar* bar, const QStringList& path)
{
    QList<QAction*> actions = bar->actions();
    QAction* found = nullptr;
    for (const QString& caption : path) {
        found = nullptr;
        for (QAction* action : actions)
            if (action->text() == caption)
                found = action;
        if (!found)
            return nullptr;
        if (found->menu())
            actions = found->menu()->actions();
    }
    return found;
}

TEST_F(MainWindow, EveryMenuIsThereAndOnlyBuiltCommandsAreEnabled)
{
    TForm1& f = Start();
    QStringList top;
    for (QAction* action : f.menuBar()->actions())
        top << action->text();
    EXPECT_EQ(top, (QStringList{"&File", "&Edit", "&Convert", "&View", "&Zoom", "&Image", "I&nsert", "&Mixing",
                                "E&ffect Filter", "&Optimization", "&Tool", "&Pack Images", "&Assistant", "&Window",
                                "&Skins", "&Help"}));
    const struct {
        QStringList path;
        const char* shortcut;
        bool enabled;
    } items[] = {
        {{"&File", "New"}, "Ctrl+N", false},
        {{"&File", "Open", "Open Image..."}, "Ctrl+O", true},
        {{"&File", "Save"}, "Ctrl+S", true},
        {{"&File", "Save As..."}, "Ctrl+Alt+S", true},
        {{"&File", "Save All"}, "Ctrl+Alt+A", true},
        {{"&File", "Print Setup..."}, "Ctrl+Alt+P", true},
        {{"&File", "Print..."}, "Ctrl+P", true},
        {{"&File", "Close"}, "Ctrl+Q", true},
        {{"&Edit", "Undo"}, "Ctrl+Z", true},
        {{"&Edit", "Redo"}, "Ctrl+Y", true},
        {{"&Edit", "Paste as New Image"}, "Ctrl+V", true},
        {{"&Edit", "Copy"}, "Ctrl+C", true},
        {{"&View", "Top Toolbar", "Image Process Bar"}, "", true},
        {{"&View", "Filter Window"}, "", false},
        {{"&Zoom", "Best Fit"}, "", true},
        {{"&Image", "Color", "Change Color Depth"}, "", false},
        {{"&Mixing", "Original Image(50%)"}, "", false},
        {{"E&ffect Filter", "Blur && Sharpen", "Sharpen"}, "", false},
        {{"E&ffect Filter", "Stylize", "Tile"}, "", false},
        {{"&Tool", "Set as Folder Icon", "Recover..."}, "", false},
        {{"&Window", "Close All"}, "", true},
        {{"&Help", "Content"}, "F1", false},
        {{"&Help", "Contact us", "Visit our homepage"}, "", false},
    };
    for (const auto& item : items) {
        QAction* action = MenuItem(f.menuBar(), item.path);
        ASSERT_NE(action, nullptr) << item.path.join(" > ").toStdString();
        EXPECT_EQ(action->shortcut().toString(), item.shortcut) << item.path.join(" > ").toStdString();
        EXPECT_EQ(action->isEnabled(), item.enabled) << item.path.join(" > ").toStdString();
    }
    int effects = 0;
    for (QAction* group : MenuItem(f.menuBar(), {"E&ffect Filter"})->menu()->actions())
        effects += group->menu()->actions().size();
    EXPECT_EQ(effects, 33);
}

TEST_F(MainWindow, ToolBarsHoldTheirButtonsWithHints)
{
    TForm1& f = Start();
    const struct {
        QToolBar* bar;
        QStringList buttons;
    } bars[] = {
        {f.ToolBar1, {"newbmp", "open", "save", "saveas", "saveall", "print", "sendmail", "acquire", "Capture", "",
                      "convert", "Batch"}},
        {f.ToolBar5, {"Rectangle", "Circle", "toggle", "undo", "Redo", "CopyTo", "PasteFrom", "PasteNew", "Memorize", "Erase"}},
        {f.ToolBar6, {"ZoomOut", "OriginalSize", "ZoomIn", "BestFit", "ZoomMouses"}},
        {f.ToolBar2, {"HorizontalMirror", "VerticalMirror", "AddText", "Rotate", "Resize", "AdColor", "Negative",
                      "GrayScale", "Intensity"}},
    };
    for (const auto& b : bars) {
        QStringList names;
        for (QAction* action : b.bar->actions())
            names << (action->isSeparator() ? QString() : action->objectName());
        EXPECT_EQ(names, b.buttons) << b.bar->objectName().toStdString();
        for (QAction* action : b.bar->actions()) {
            if (action->isSeparator())
                continue;
            auto* button = qobject_cast<QToolButton*>(b.bar->widgetForAction(action));
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->size(), QSize(25, 25)) << action->objectName().toStdString();
            EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
            EXPECT_FALSE(action->toolTip().isEmpty());
        }
    }
    const std::pair<const char*, const char*> hints[] = {
        {"newbmp", "Create a new image"}, {"convert", "Converter images format"}, {"PasteNew", "Paste to New Image"},
        {"Memorize", "Crop"}, {"Erase", "Clear"}, {"ZoomMouses", "Magnifier"}, {"GrayScale", "Grayscale"},
        {"AddText", "Insert text"},
    };
    for (const auto& [name, hint] : hints)
        EXPECT_EQ(f.Command(name)->toolTip(), hint) << name;
    EXPECT_TRUE(f.Command("AddText")->isCheckable());
}

TEST_F(MainWindow, SplashIsABorderlessPictureOnTop)
{
    Start(); // the cover's picture comes with the main window's resources
    TCoverForm cover;
    EXPECT_EQ(cover.size(), QSize(508, 318));
    EXPECT_TRUE(cover.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(cover.windowFlags() & Qt::WindowStaysOnTopHint);
    const QImage shown = cover.grab().toImage();
    int white = 0;
    for (int y = 0; y < shown.height(); y += 10)
        for (int x = 0; x < shown.width(); x += 10)
            white += shown.pixel(x, y) == qRgb(255, 255, 255);
    EXPECT_LT(white, 10); // the picture covers it
}

TEST_F(MainWindow, StatusBarPanels)
{
    TForm1& f = Start();
    const int widths[] = {418, 80, 90, 50, 90, 135, 100};
    for (int panel = 0; panel < 7; ++panel) {
        auto* label = f.findChild<QLabel*>(QStringLiteral("Panel%1").arg(panel));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->width(), widths[panel]) << panel;
    }
}

TEST_F(MainWindow, BackupCopiesNeverOverwrite)
{
    WriteOptionIni("[Assistant]\nAuto Backup Execute=1\n");
    TForm1& f = Start();
    const QString path = WritePicture("photo.png", 5, 5, 1);
    ASSERT_TRUE(f.OpenInNewWindow(path));
    const fs::path copy = home / "Backup" / "Backup_photo.png";
    EXPECT_EQ(test::ReadBytes(copy), test::ReadBytes(path.toStdString()));
    const auto first = test::ReadBytes(copy);
    WritePicture("photo.png", 5, 5, 2); // changed on disk
    ASSERT_TRUE(f.OpenInNewWindow(path));
    EXPECT_EQ(test::ReadBytes(copy), first);
    EXPECT_EQ(f.StatusText(0), "Ready: " + path);
}

TEST_F(MainWindow, LoadPictureByExtensionReadsTheFirstGifFrameAndPccByTheGeneralLoader)
{
    if (!test::HaveTool("convert-im6.q16"))
        GTEST_SKIP() << "ImageMagick not installed";
    TForm1& f = Start();
    const fs::path gif = home / "two.gif";
    const fs::path pcc = home / "picture.pcc";
    ASSERT_EQ(test::RunCommand("convert-im6.q16 -size 6x4 xc:'#ff0000' -size 9x9 xc:'#0000ff' " +
                               test::ShellQuote(gif.string())), 0);
    ASSERT_EQ(test::RunCommand("convert-im6.q16 -size 5x3 xc:'#00ff00' pcx:" + test::ShellQuote(pcc.string())), 0);
    const Picture first = f.LoadPictureByExtension(QString::fromStdString(gif.string()));
    ASSERT_EQ(first.Width(), 6);
    ASSERT_EQ(first.Height(), 4);
    EXPECT_EQ(first.Pixel(3, 2), (Bgr{0, 0, 255}));
    const Picture green = f.LoadPictureByExtension(QString::fromStdString(pcc.string()));
    ASSERT_EQ(green.Width(), 5);
    EXPECT_EQ(green.Pixel(1, 1), (Bgr{0, 255, 0}));
    test::WriteBytes(home / "junk.png", {1, 2, 3});
    EXPECT_THROW(f.LoadPictureByExtension(QString::fromStdString((home / "junk.png").string())), ImagingError);
}

TEST_F(MainWindow, RecentPathsWithAmpersandsKeepTheirText)
{
    TForm1& f = Start();
    const QString path = WritePicture("salt & pepper.png");
    prompts.openFiles.push_back({path});
    f.Command("open")->trigger();
    EXPECT_EQ(f.RecentSlotCaption(10), path);
    EXPECT_EQ(f.findChild<QAction*>("RecentFile10")->text(), QString(path).replace("&", "&&"));
    f.findChild<QAction*>("RecentFile10")->trigger();
    EXPECT_EQ(f.ActiveDocument()->FileName, path);
    f.close();
    EXPECT_EQ(ProfileFile(OptionIni().string()).ReadString("File List", "Index10", ""), path.toStdString());
}

TEST_F(MainWindow, SkinFileBecomesTheStyleSheet)
{
    fs::create_directories(home / "Skins");
    std::ofstream(home / "Skins" / "devoir.mskn") << "QMdiArea { background: #336699; }";
    Start();
    EXPECT_EQ(qApp->styleSheet(), "QMdiArea { background: #336699; }");
    qApp->setStyleSheet(QString());
}

TEST_F(MainWindow, ReleaseSelectionButtonsRaisesAllThree)
{
    TForm1& f = Start();
    for (const char* name : {"Rectangle", "Circle", "toggle"})
        f.Command(name)->setChecked(true);
    f.ReleaseSelectionButtons();
    for (const char* name : {"Rectangle", "Circle", "toggle"})
        EXPECT_FALSE(f.Command(name)->isChecked()) << name;
}

}  // namespace
}  // namespace zelpix
