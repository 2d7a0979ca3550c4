#include "document/TEform1.h"

#include "app/core/ZoomSlider.h"
#include "document/DocumentHost.h"
#include "document/DocumentView.h"
#include "document/ops/HistoryNaming.h"
#include "document/ops/Mirrors.h"
#include "imaging/FileSize.h"
#include "imaging/ImagingError.h"
#include "imaging/PictureIO.h"
#include "imaging/PictureImage.h"
#include "platform/Prompts.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScrollArea>
#include <QScrollBar>
#include <atomic>
#include <utility>

namespace zelpix {

namespace {

const QColor Silver(0xC0, 0xC0, 0xC0);

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString SizeTextOf(const Picture& picture)
{
    return QStringLiteral("%1 * %2").arg(picture.Width()).arg(picture.Height());
}

}  // namespace

TEform1::TEform1(DocumentHost& host, QWidget* parent) : QMdiSubWindow(parent), host_(host)
{
    setAttribute(Qt::WA_DeleteOnClose);
    ImportPicture = Picture(8, 8);
    ReferencePicture = Picture(8, 8);
    WorkingPicture = Picture(8, 8);
    PreviousPicture = Picture(8, 8);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ScrollBox1->setLineWidth(2); // the view plus 4 fits without scroll bars
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PaintBox1 = new DocumentView(*this);
    ScrollBox1->setWidget(PaintBox1);
    SetWorkspaceBackground(Silver);
    setWidget(ScrollBox1);
    UpdateViewSize();
}

TEform1::~TEform1()
{
    // Nobody can undo into a closed document: its history goes with it.
    if (!historyFolder_.isEmpty())
        QDir(historyFolder_).removeRecursively();
}

QColor TEform1::WorkspaceBackground() const
{
    return ScrollBox1->viewport()->palette().color(QPalette::Window);
}

void TEform1::SetWorkspaceBackground(const QColor& colour)
{
    QPalette palette = ScrollBox1->viewport()->palette();
    palette.setColor(QPalette::Window, colour);
    ScrollBox1->viewport()->setPalette(palette);
    ScrollBox1->viewport()->setAutoFillBackground(true);
    PaintBox1->update();
}

void TEform1::OpenPictureFile(const QString& path)
{
    host_.SetStatusText(0, QStringLiteral("Opening: ") + path);
    PictureFile file = ReadPictureFile(LocalPath(path)); // throws before anything changes

    SizeText = SizeTextOf(file.picture);
    setWindowTitle(QFileInfo(path).fileName() + QStringLiteral(" - ") + SizeText);
    FileName = path;
    FileSizeText = QString::number(FileSizeKB(LocalPath(path))) + QStringLiteral("KB");
    ImportPicture = std::move(file.picture);
    InstallPicture();
    FitWindowToView();
    emit ZoomReported(QStringLiteral("100%"), 800);
    host_.SetStatusText(1, FileSizeText);
    host_.SetStatusText(2, SizeText);
    host_.SetStatusText(3, QString::fromStdString(file.depthLabel));
    RecordHistoryStep();
    if (!host_.BackupOpenedFile(path))
        return;
    host_.SetStatusText(0, QStringLiteral("Ready: ") + path);
}

void TEform1::SavePictureToFile(const QString& path)
{
    WritePictureFile(WorkingPicture, LocalPath(path));
    Modified = false;
}

QString TEform1::HistoryFilePath(int step) const
{
    return historyFolder_ + QLatin1Char('/') + QString::fromStdString(HistoryFileName(windowTitle().toStdString(), step));
}

void TEform1::EnsureHistoryFolder()
{
    const QString history = host_.ProgramFolder() + QStringLiteral("/History");
    QDir().mkdir(history);
    if (!historyFolder_.isEmpty() && QDir(historyFolder_).exists())
        return;
    // A folder of its own per document (and per running program), so that two documents whose
    // captions give the same prefix never share history files.
    static std::atomic<int> sequence{0};
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const QString candidate = history + QLatin1Char('/') +
                                  QString::fromStdString(HistoryFolderName(QCoreApplication::applicationPid(), ++sequence));
        if (QDir().mkdir(candidate)) {
            historyFolder_ = candidate;
            return;
        }
    }
    throw ImagingError("Cannot create the history folder " + LocalPath(history));
}

void TEform1::RecordHistoryStep()
{
    EnsureHistoryFolder();
    const int step = HistoryIndex + 1;
    // The counters move only once the file is on disk.
    WritePictureFile(WorkingPicture, LocalPath(HistoryFilePath(step)));
    HistoryIndex = step;
    UndoIndex = HistoryIndex - 1;
    for (int n = HistoryIndex + 1; n <= HistoryEnd; ++n)
        QFile::remove(HistoryFilePath(n));
    HistoryEnd = HistoryIndex + 1;
    if (HistoryStarted)
        Modified = true;
    else
        HistoryStarted = true;
}

void TEform1::LoadHistoryStep(int step)
{
    PictureFile file = ReadPictureFile(LocalPath(HistoryFilePath(step)));
    ReplacePicture(std::move(file.picture));
}

void TEform1::UndoFromHistory()
{
    if (UndoIndex == -1)
        return;
    LoadHistoryStep(UndoIndex);
    --UndoIndex;
    --HistoryIndex;
}

void TEform1::RedoFromHistory()
{
    if (historyFolder_.isEmpty() || !QFile::exists(HistoryFilePath(HistoryIndex + 1)))
        return;
    LoadHistoryStep(HistoryIndex + 1);
    ++HistoryIndex;
    ++UndoIndex;
}

void TEform1::CopyPictureTo(Picture& target) const
{
    target = WorkingPicture;
}

void TEform1::ReplacePicture(Picture picture)
{
    if (picture.IsEmpty())
        throw ImagingError("The picture is empty.");
    ImportPicture = std::move(picture);
    InstallPicture();
}

void TEform1::InstallPicture()
{
    ReferencePicture = ImportPicture;
    WorkingPicture = ReferencePicture;
    UpdateViewSize();
    PaintView();
    emit PreviewChanged();
    PreviousPicture = WorkingPicture;
}

void TEform1::ReplaceFromClipboard()
{
    const QImage image = QApplication::clipboard()->image();
    if (image.isNull())
        throw ImagingError("No image in clipboard.");
    ImportPicture = PictureFromImage(image);
    InstallPicture();
    FitWindowToView();
    SizeText = SizeTextOf(WorkingPicture);
    setWindowTitle(QFileInfo(FileName).fileName() + QStringLiteral(" - ") + SizeText);
    emit ZoomReported(QStringLiteral("100%"), 800);
}

void TEform1::InstallUntitledPicture(Picture picture, const QString& captionPrefix)
{
    if (picture.IsEmpty())
        throw ImagingError("The picture is empty.");
    ImportPicture = std::move(picture);
    InstallPicture();
    FitWindowToView();
    FileName.clear();
    SizeText = SizeTextOf(WorkingPicture);
    setWindowTitle(captionPrefix + SizeText);
    emit ZoomReported(QStringLiteral("100%"), 800);
    host_.SetStatusText(2, SizeText); // as activation shows it
    RecordHistoryStep();
}

void TEform1::Commenouvelleimage1Click()
{
    const QImage image = QApplication::clipboard()->image();
    if (image.isNull())
        throw ImagingError("No image in clipboard.");
    InstallUntitledPicture(PictureFromImage(image), QStringLiteral("Untitled - "));
}

namespace {

// The hourglass while a command works on the picture.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

void TEform1::BtmiroirHClick()
{
    BusyCursor busy;
    PreviousPicture = WorkingPicture;
    MirrorLeftRight(WorkingPicture);
    PaintView();
    emit PreviewChanged();
}

void TEform1::NBtmiroirVClick()
{
    BusyCursor busy;
    PreviousPicture = WorkingPicture;
    MirrorTopBottom(WorkingPicture);
    PaintView();
    emit PreviewChanged();
}

void TEform1::Copier1Click()
{
    // A copy of the pixels: the clipboard outlives any change to the picture.
    QApplication::clipboard()->setImage(WrapPicture(std::as_const(WorkingPicture)).copy());
}

void TEform1::Effacer1Click()
{
    PreviousPicture = WorkingPicture;
    WorkingPicture.Fill({std::uint8_t(Panel6Color.blue()), std::uint8_t(Panel6Color.green()),
                         std::uint8_t(Panel6Color.red())});
    PaintView();
    emit PreviewChanged();
}

Extent TEform1::ViewSize() const
{
    return zelpix::ViewExtent({WorkingPicture.Width(), WorkingPicture.Height()}, ZoomPercent);
}

void TEform1::UpdateViewSize()
{
    const Extent view = ViewSize();
    PaintBox1->resize(view.width, view.height);
}

void TEform1::PaintView()
{
    PaintBox1->update();
}

int TEform1::ViewToImage(int v) const
{
    return zelpix::ViewToImage(v, ZoomPercent);
}

int TEform1::ImageToView(int i) const
{
    return zelpix::ImageToView(i, ZoomPercent);
}

void TEform1::ReportNavigationZoom(double zoom)
{
    emit ZoomReported(QString::fromStdString(ZoomText(zoom)), ZoomSliderPosition(zoom));
}

void TEform1::ChangeZoom(int kind, int x, int y)
{
    const QSize client = ScrollBox1->size();
    const std::optional<double> next = NextZoom(ZoomKindFrom(kind), ZoomPercent,
                                                {WorkingPicture.Width(), WorkingPicture.Height()},
                                                {client.width(), client.height()});
    if (!next)
        return;
    ZoomPercent = *next;
    ReportNavigationZoom(ZoomPercent);
    RefreshZoom(x, y);
}

void TEform1::RefreshZoom(int x, int y)
{
    UpdateViewSize();
    const Extent view = ViewSize();
    ScrollBox1->horizontalScrollBar()->setValue(ScrollPositionFor(x, ZoomPercent, view.width));
    ScrollBox1->verticalScrollBar()->setValue(ScrollPositionFor(y, ZoomPercent, view.height));
    PaintView();
    emit PreviewChanged();
}

void TEform1::FitWindowToView()
{
    const QSize mainClient = host_.MainClientSize();
    const FittedWindow fitted = zelpix::FitWindowToView(ViewSize(), {mainClient.width(), mainClient.height()});
    // Client area = the scroll area; the rest is the window's frame and title.
    const QSize frame = size() - ScrollBox1->size();
    const int w = fitted.width.outer ? fitted.width.length : fitted.width.length + frame.width();
    const int h = fitted.height.outer ? fitted.height.length : fitted.height.length + frame.height();
    resize(w, h);
}

void TEform1::ReplaceStatusTexts(const QString& activity, const QString& depth)
{
    host_.SetStatusText(0, activity);
    host_.SetStatusText(1, FileSizeText);
    host_.SetStatusText(2, SizeText);
    host_.SetStatusText(3, depth);
}

void TEform1::FormActivate()
{
    PaintingEnabled = true;
    emit PreviewChanged();
    ReportNavigationZoom(ZoomPercent);
    ReplaceStatusTexts(QStringLiteral("Ready: ") + FileName, QStringLiteral("24M"));
    PaintView();
}

bool TEform1::CloseQuery()
{
    bool allowed = true;
    if (Modified) {
        const PromptAnswer answer = CurrentPrompts().Message(
            this, {QStringLiteral("This image has been modified, and do you want to save it?"),
                   QStringLiteral("Information"), PromptIcon::Information, PromptButtons::YesNoCancel});
        if (answer == PromptAnswer::Cancel)
            allowed = false;
        else if (answer == PromptAnswer::Yes)
            allowed = host_.SaveDocument(*this); // a failed or cancelled save keeps the picture open
    }
    emit NavigationCleared();
    for (int panel = 0; panel <= 6; ++panel)
        host_.SetStatusText(panel, QString());
    return allowed;
}

void TEform1::closeEvent(QCloseEvent* event)
{
    if (!closeAgreed_ && !CloseQuery()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

void TEform1::resizeEvent(QResizeEvent* event)
{
    QMdiSubWindow::resizeEvent(event);
    if (!WorkingPicture.IsEmpty()) {
        UpdateViewSize();
        PaintView();
    }
}

}  // namespace zelpix
