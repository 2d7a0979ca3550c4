#pragma once
// The document window: one picture, its texts, its zoom and its history of bitmap files on disk.
#include "document/ops/ViewGeometry.h"
#include "imaging/Picture.h"

#include <QColor>
#include <QMdiSubWindow>
#include <QString>

class QScrollArea;

namespace zelpix {

class DocumentHost;
class DocumentView;

class TEform1 : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit TEform1(DocumentHost& host, QWidget* parent = nullptr);
    ~TEform1() override;

    // Pictures: a decoded file or pasted picture arrives in ImportPicture; InstallPicture makes it the
    // reference, working and previous pictures.
    Picture ImportPicture;
    Picture ReferencePicture;
    Picture WorkingPicture;
    Picture PreviousPicture;

    QString FileName;
    QString SizeText;
    QString FileSizeText;
    double ZoomPercent = 100;
    bool Modified = false;
    int HistoryIndex = -1;
    int UndoIndex = -1;
    int HistoryEnd = -1;
    bool HistoryStarted = false;
    bool PaintingEnabled = false;
    // The tools' background colour (Panel6): erase fills with it.
    QColor Panel6Color = QColor(0xC0, 0xC0, 0xC0);

    // Reads a file into this document. Throws ImagingError (nothing changed) when it cannot be decoded,
    // and std::exception when the history step fails.
    void OpenPictureFile(const QString& path);
    // Writes the working picture by the path's extension; FileName and caption stay.
    void SavePictureToFile(const QString& path);
    void RecordHistoryStep();
    void UndoFromHistory();
    void RedoFromHistory();
    void CopyPictureTo(Picture& target) const;
    void ReplacePicture(Picture picture);
    void InstallPicture();
    // The clipboard's picture becomes this document's picture; throws ImagingError when there is none.
    void ReplaceFromClipboard();
    // A picture from outside any file (clipboard, scanner) becomes this untitled document's picture, captioned
    // captionPrefix followed by its size; takes the history step.
    void InstallUntitledPicture(Picture picture, const QString& captionPrefix);

    // Entry points of the document's own commands.
    void BtmiroirHClick();  // mirror left to right
    void NBtmiroirVClick(); // mirror top to bottom
    void Copier1Click();    // the clipboard receives the picture
    void Effacer1Click();   // the picture is filled with the background colour
    // The clipboard's picture as an untitled picture "Untitled - W * H"; throws ImagingError when there is none.
    void Commenouvelleimage1Click();

    // kind: -1 zoom out, 1 zoom in, 2 best fit, anything else 100%; x, y: picture point to scroll to.
    void ChangeZoom(int kind, int x, int y);
    void RefreshZoom(int x, int y);
    void UpdateViewSize();
    void PaintView();
    int ViewToImage(int v) const;
    int ImageToView(int i) const;
    Extent ViewSize() const;
    // Sizes the window around its view inside the main window's client area.
    void FitWindowToView();

    // Activation: painting on, status texts of this document.
    void FormActivate();
    // The close question for a modified picture; false keeps the window open.
    bool CloseQuery();
    // Lets the window close without asking again (the main window has asked already).
    void SetCloseAgreed() { closeAgreed_ = true; }

    QString HistoryFolder() const { return historyFolder_; }
    QString HistoryFilePath(int step) const;

    QColor WorkspaceBackground() const;
    void SetWorkspaceBackground(const QColor& colour);

    QScrollArea* ScrollBox1 = nullptr;
    DocumentView* PaintBox1 = nullptr;

signals:
    // For the navigation window: the zoom factor as text and as its slider's position.
    void ZoomReported(const QString& zoomText, int sliderPosition);
    // The working picture changed (the navigation window's preview follows it).
    void PreviewChanged();
    // The document closes: preview and zoom text go blank.
    void NavigationCleared();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ReportNavigationZoom(double zoom);
    void LoadHistoryStep(int step);
    void EnsureHistoryFolder();
    void ReplaceStatusTexts(const QString& activity, const QString& depth);

    DocumentHost& host_;
    QString historyFolder_;
    bool closeAgreed_ = false;
};

}  // namespace zelpix
