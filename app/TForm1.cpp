#include "app/TForm1.h"

#include "app/core/RecentFiles.h"
#include "document/TEform1.h"
#include "document/ops/HistoryNaming.h"
#include "imaging/PictureIO.h"
#include "platform/Prompts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QStandardPaths>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <exception>

static void InitResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace zelpix {

namespace {

constexpr int PanelWidths[7] = {418, 80, 90, 50, 90, 135, 100};
constexpr int MinimumAutoSavePeriod = 1000; // milliseconds

std::string Local(const QString& text)
{
    return text.toStdString();
}

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

QString ProgramFolderOfThisRun()
{
    QString folder = qEnvironmentVariable("ZELPIX_HOME");
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    if (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

// The save dialog's entries: one per writable extension.
QStringList SaveFilters()
{
    QStringList filters;
    for (const char* ext : {"bmp", "dib", "rle", "blz", "cur", "fax", "gif", "ico", "jpg", "jpeg", "jpe", "jp2",
                            "j2k", "jpc", "j2c", "tif", "tiff", "g3n", "g3f", "png", "pbm", "pgm", "ppm", "pxm",
                            "targa", "pcc", "pcx"})
        filters << QStringLiteral("%1 (*.%1)").arg(QLatin1String(ext));
    filters << QStringLiteral("All Files (*)");
    return filters;
}

// The open dialog's groups, "All Graphic" first.
QStringList OpenFilters()
{
    static const std::pair<const char*, const char*> groups[] = {
        {"Alias/Wavefront images", "rla rpf"}, {"Autodesk images", "pic cel"}, {"Bitmap files", "bmp dib rle"},
        {"BLZ files", "blz"}, {"Cursor files", "cur"}, {"Dr. Halo images", "cut pal"}, {"GFI fax images", "fax"},
        {"GIF images", "gif"}, {"Icon files", "ico"}, {"Jpeg bitmap", "jpg jpeg jpe"}, {"Jpeg2000", "jp2"},
        {"Jpeg2000 code stream", "j2k jpc j2c"}, {"Kodak Photo-CD images", "pcd"},
        {"TIF/TIFF images", "tif tiff g3n g3f"}, {"Paintshop pro images", "psp"},
        {"Photoshop images", "pdd psd"}, {"Portable network Graphics", "png"},
        {"Portable pixmap, greyMap, bitMap", "pxm ppm pgm pbm"}, {"SGI images", "bw rgb sgi rgba"},
        {"Targa bitmap", "targa"}, {"Truevision images", "icb tga vda vst win"},
        {"Windows meta files", "wmf emf"}, {"Word 5.x screen capture images", "scr"},
        {"ZSoft PaniBrush images", "pcc pcx"}};
    QStringList filters;
    QStringList all;
    for (const auto& [title, extensions] : groups) {
        QStringList patterns;
        for (const QString& ext : QString::fromLatin1(extensions).split(QLatin1Char(' ')))
            patterns << QStringLiteral("*.") + ext;
        all << patterns;
        filters << QStringLiteral("%1 (%2)").arg(QLatin1String(title), patterns.join(QLatin1Char(' ')));
    }
    filters.prepend(QStringLiteral("All Graphic (%1)").arg(all.join(QLatin1Char(' '))));
    filters << QStringLiteral("All Files (*)");
    return filters;
}

}  // namespace

TForm1::TForm1(const QStringList& arguments, QWidget* parent) : QMainWindow(parent)
{
    InitResources();
    setObjectName(QStringLiteral("Form1"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/zelpix.svg")));
    programFolder_ = ProgramFolderOfThisRun();
    QApplication::setApplicationName(QStringLiteral("Zelpix"));

    MdiArea = new QMdiArea(this);
    MdiArea->setObjectName(QStringLiteral("MdiArea"));
    setCentralWidget(MdiArea);
    connect(MdiArea, &QMdiArea::subWindowActivated, this, &TForm1::DocumentActivated);
    Timer1.setInterval(300000);
    BuildCommands();
    BuildToolBars();
    BuildStatusBar();

    settings_ = ReadOptionSettings(ProfileFile(Local(OptionFile())), Local(programFolder_));
    VersionText = Text(settings_.version);
    setWindowTitle(QStringLiteral("Zelpix V") + VersionText);
    PickColorArmed = false;
    LoadSettings();
    SystemFolder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/backgrounds");
    setAcceptDrops(true);
    PreviewEffects = true;
    if (!arguments.isEmpty()) {
        StartFile = arguments.value(0);
        StartCommand = arguments.value(1);
    }
    GifOpenPending = false;

    // Client area of 973 x 624 below the menu bar, centred on the screen.
    resize(973, 624 + menuBar()->sizeHint().height());
}

TForm1::~TForm1()
{
    // Documents go with the frame; their activations must not reach half-destroyed panels.
    disconnect(MdiArea, nullptr, this, nullptr);
    qDeleteAll(Documents());
}

QString TForm1::OptionFile() const
{
    return programFolder_ + QStringLiteral("/Option.ini");
}

void TForm1::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    for (int panel = 0; panel < 7; ++panel) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("Panel%1").arg(panel));
        label->setFixedWidth(PanelWidths[panel]);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(label);
        panels_[panel] = label;
    }
}

void TForm1::LoadSettings()
{
    const OptionSettings& s = settings_;
    SkinName = Text(s.skin);
    workDirectory_ = Text(s.workDirectory); // initial folder of the open and save dialogs
    AutoSaveAtStart = s.autoSaveExecute;
    AutoBackupAtStart = s.autoBackupExecute;
    AutoSavePeriod = int(std::clamp<std::int64_t>(s.autoSavePeriod, 0, INT_MAX));
    AutoSaveAllImages = s.autoSaveMethod;
    BackupFolder = Text(s.autoBackupPath);
    AutoSaveOn = AutoSaveAtStart;
    AutoBackupOn = AutoBackupAtStart;
    Timer1.setInterval(std::max(AutoSavePeriod, MinimumAutoSavePeriod)); // never a busy loop
    if (AutoSaveOn)
        Timer1.start();
    else
        Timer1.stop();
    for (int i = 0; i < ViewItemCount; ++i)
        viewChecks_[i]->setChecked(s.view[i]);
    WorkspaceColor = s.workspaceColor;
    skinFile_.clear();
    if (SkinName != QLatin1String("None")) {
        skinFile_ = programFolder_ + QStringLiteral("/Skins/") + SkinName + QStringLiteral(".mskn");
        QFile skin(skinFile_);
        if (skin.open(QIODevice::ReadOnly))
            qApp->setStyleSheet(QString::fromUtf8(skin.readAll()));
    }
    ShowToolBarsByChecks();
    for (int n = 0; n < RecentSlotCount; ++n)
        SetRecentSlot(n, Text(s.recentFiles[n]));
}

void TForm1::SaveSettings()
{
    OptionSettings s = settings_;
    s.skin = Local(SkinName);
    s.workDirectory = Local(workDirectory_);
    s.previewEffects = PreviewEffects;
    s.autoSaveExecute = AutoSaveAtStart;
    s.autoBackupExecute = AutoBackupAtStart;
    s.autoSavePeriod = AutoSavePeriod;
    s.autoSaveMethod = AutoSaveAllImages;
    s.autoBackupPath = Local(BackupFolder);
    for (int i = 0; i < ViewItemCount; ++i)
        s.view[i] = viewChecks_[i]->isChecked();
    s.workspaceColor = WorkspaceColor;
    for (int n = 0; n < RecentSlotCount; ++n)
        s.recentFiles[n] = recentSlots_[n]->isVisible() ? Local(RecentSlotCaption(n + 1)) : std::string();
    ProfileFile file(Local(OptionFile()));
    WriteOptionSettings(file, s);
}

void TForm1::ShowToolBarsByChecks()
{
    ToolBar1->setVisible(viewChecks_[FileControlBar]->isChecked());
    ToolBar5->setVisible(viewChecks_[ImageEditBar]->isChecked());
    ToolBar6->setVisible(viewChecks_[ImageViewBar]->isChecked());
    ToolBar2->setVisible(viewChecks_[ImageProcessBar]->isChecked());
}

void TForm1::SetRecentSlot(int index, const QString& path)
{
    QAction* slot = recentSlots_[index];
    slot->setData(path);
    slot->setText(QString(path).replace(QLatin1Char('&'), QLatin1String("&&")));
    slot->setVisible(!path.isEmpty());
}

QString TForm1::RecentSlotCaption(int slot) const
{
    return recentSlots_[slot - 1]->data().toString();
}

bool TForm1::RecentSlotVisible(int slot) const
{
    return recentSlots_[slot - 1]->isVisible();
}

void TForm1::AddRecentFile(const QString& path)
{
    RecentSlots captions;
    for (int n = 0; n < RecentSlotCount; ++n)
        captions[n] = recentSlots_[n]->isVisible() ? Local(RecentSlotCaption(n + 1)) : std::string();
    if (!zelpix::AddRecentFile(captions, Local(path)))
        return;
    for (int n = 0; n < RecentSlotCount; ++n)
        SetRecentSlot(n, Text(captions[n]));
}

Picture TForm1::LoadPictureByExtension(const QString& path) const
{
    return ReadPictureFile(QFile::encodeName(path).toStdString(), ReaderTable::ByExtension).picture;
}

void TForm1::ReleaseSelectionButtons()
{
    for (const char* name : {"Rectangle", "Circle", "toggle"})
        Command(QString::fromLatin1(name))->setChecked(false);
}

QString TForm1::StatusText(int panel) const
{
    return panels_[panel]->text();
}

void TForm1::SetStatusText(int panel, const QString& text)
{
    panels_[panel]->setText(text);
}

QSize TForm1::MainClientSize() const
{
    return QSize(width(), height() - menuBar()->height());
}

bool TForm1::HasOpenDocument() const
{
    return !MdiArea->subWindowList().isEmpty();
}

TEform1* TForm1::ActiveDocument() const
{
    // The current child stays known while the program itself is in the background.
    return qobject_cast<TEform1*>(MdiArea->currentSubWindow());
}

QList<TEform1*> TForm1::Documents() const
{
    QList<TEform1*> documents;
    for (QMdiSubWindow* window : MdiArea->subWindowList(QMdiArea::CreationOrder))
        if (auto* document = qobject_cast<TEform1*>(window))
            documents << document;
    return documents;
}

TEform1* TForm1::NewDocumentWindow()
{
    auto* document = new TEform1(*this);
    document->setObjectName(QStringLiteral("Eform1"));
    MdiArea->addSubWindow(document);
    document->show();
    MdiArea->setActiveSubWindow(document);
    if (MdiArea->activeSubWindow() != document)
        document->FormActivate(); // activation is not signalled while the program is in the background
    return document;
}

void TForm1::DocumentActivated(QMdiSubWindow* window)
{
    if (auto* document = qobject_cast<TEform1*>(window)) {
        try {
            document->FormActivate();
        } catch (...) {
            // activation never stops anything
        }
    }
}

bool TForm1::OpenInNewWindow(const QString& path)
{
    TEform1* document = NewDocumentWindow();
    return Guarded([&] { document->OpenPictureFile(path); });
}

void TForm1::OpenStartFile()
{
    if (!StartFile.isEmpty()) {
        OpenInNewWindow(StartFile);
        if (StartCommand == QLatin1String("Convert"))
            Command(QStringLiteral("convert"))->trigger();
    }
    StartFile.clear();
    StartCommand.clear();
}

void TForm1::openClick()
{
    const QStringList paths = CurrentPrompts().OpenFiles(
        this, {QStringLiteral("Open"), workDirectory_, OpenFilters()});
    // Last first, so that the first one chosen ends up active and on top of the recent list.
    for (auto path = paths.crbegin(); path != paths.crend(); ++path) {
        if (OpenInNewWindow(*path))
            AddRecentFile(*path);
        workDirectory_ = QFileInfo(*path).absolutePath();
    }
    GifOpenPending = false;
}

void TForm1::RecentFileClick(int slot)
{
    OpenInNewWindow(RecentSlotCaption(slot + 1));
}

bool TForm1::SaveDocument(TEform1& document)
{
    if (document.FileName.isEmpty())
        return SaveDocumentAs(document);
    return Guarded([&] { document.SavePictureToFile(document.FileName); });
}

bool TForm1::SaveDocumentAs(TEform1& document)
{
    const QString name = CurrentPrompts().SaveFile(this, {QStringLiteral("Save As"), workDirectory_, SaveFilters()});
    if (name.isEmpty())
        return false;
    if (QFileInfo::exists(name)) {
        const PromptAnswer answer = CurrentPrompts().Message(
            this, {QStringLiteral("The file is already existent. Do you want to cover it?"),
                   QStringLiteral("Information"), PromptIcon::Information, PromptButtons::YesNo});
        if (answer != PromptAnswer::Yes)
            return false;
    }
    return Guarded([&] { document.SavePictureToFile(name); });
}

void TForm1::saveClick()
{
    if (TEform1* document = ActiveDocument())
        SaveDocument(*document);
}

void TForm1::saveasClick()
{
    if (TEform1* document = ActiveDocument())
        SaveDocumentAs(*document);
}

void TForm1::Close1Click()
{
    close();
}

void TForm1::undoClick()
{
    if (TEform1* document = ActiveDocument())
        Guarded([&] { document->UndoFromHistory(); });
}

void TForm1::RedoClick()
{
    if (TEform1* document = ActiveDocument())
        Guarded([&] { document->RedoFromHistory(); });
}

void TForm1::ZoomOutClick()
{
    if (TEform1* document = ActiveDocument())
        document->ChangeZoom(-1, 0, 0);
}

void TForm1::OriginalSizeClick()
{
    if (TEform1* document = ActiveDocument())
        document->ChangeZoom(0, 0, 0);
}

void TForm1::ZoomInClick()
{
    if (TEform1* document = ActiveDocument())
        document->ChangeZoom(1, 0, 0);
}

void TForm1::BestFitClick()
{
    if (TEform1* document = ActiveDocument())
        document->ChangeZoom(2, 0, 0);
}

void TForm1::FileControlBar1Click()
{
    ShowToolBarsByChecks();
}

void TForm1::ImageEditBar1Click()
{
    ShowToolBarsByChecks();
}

void TForm1::ImageViewBar1Click()
{
    ShowToolBarsByChecks();
}

void TForm1::ImageProcessBar1Click()
{
    ShowToolBarsByChecks();
}

bool TForm1::BackupOpenedFile(const QString& path)
{
    if (!AutoBackupOn)
        return true;
    QCoreApplication::processEvents();
    SetStatusText(0, QStringLiteral("Bakuping: ") + path);
    if (!QDir(BackupFolder).exists() && !QDir().mkdir(BackupFolder)) {
        CurrentPrompts().Message(this, {QStringLiteral("There is something wrong with the Backup Folder you have set\n\r"
                                                       "Please click OK to check it out."),
                                        QStringLiteral("Information"), PromptIcon::Information, PromptButtons::Ok});
        return false;
    }
    const QString target = BackupFolder + QStringLiteral("/Backup_") + QFileInfo(path).fileName();
    if (!QFileInfo::exists(target))
        QFile::copy(path, target); // other copy failures are silent
    return true;
}

void TForm1::FormCloseQuery()
{
    QDir history(programFolder_ + QStringLiteral("/History"));
    if (!history.exists())
        return;
    // Every file and document folder, except the folders of another copy of the program that is still
    // running; failures are ignored.
    for (const QFileInfo& entry : history.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        if (!entry.isDir() || entry.isSymLink()) {
            QFile::remove(entry.filePath());
            continue;
        }
        const std::int64_t owner = HistoryFolderOwner(entry.fileName().toStdString());
        const bool otherRunning = owner > 0 && owner != QCoreApplication::applicationPid() &&
                                  (::kill(pid_t(owner), 0) == 0 || errno == EPERM);
        if (!otherRunning)
            QDir(entry.filePath()).removeRecursively();
    }
}

void TForm1::FormClose()
{
    try {
        SaveSettings();
    } catch (const std::exception& error) {
        ShowErrorMessage(this, QString::fromLocal8Bit(error.what()));
    }
    // The close questions have been answered: the windows go without asking again.
    const QList<TEform1*> documents = Documents();
    for (auto document = documents.crbegin(); document != documents.crend(); ++document) {
        (*document)->SetCloseAgreed();
        (*document)->close();
    }
}

void TForm1::closeEvent(QCloseEvent* event)
{
    for (TEform1* document : Documents()) {
        if (!document->CloseQuery()) {
            event->ignore();
            return;
        }
    }
    FormCloseQuery();
    FormClose();
    event->accept();
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    for (const QUrl& url : urls)
        if (url.isLocalFile())
            OpenInNewWindow(url.toLocalFile());
}

}  // namespace zelpix
