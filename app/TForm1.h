#pragma once
// The main window: the frame of document windows, menus, tool bars, status bar, settings and start-up.
#include "app/core/OptionSettings.h"
#include "document/DocumentHost.h"
#include "imaging/Picture.h"
#include "platform/Prompts.h"

#include <QList>
#include <QMainWindow>
#include <QPrinter>
#include <QStringList>
#include <QTimer>
#include <array>
#include <exception>
#include <memory>

class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;

namespace zelpix {

class TAboutForm;
class TEform1;

class TForm1 : public QMainWindow, public DocumentHost {
    Q_OBJECT
public:
    // Creation (FormCreate): program folder, Option.ini, drop target; arguments are the command line
    // without the program name.
    explicit TForm1(const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    bool HasOpenDocument() const;
    TEform1* ActiveDocument() const;
    // A new, empty document window that has become the active one.
    TEform1* NewDocumentWindow();
    // Every document window in the frame's child order.
    QList<TEform1*> Documents() const;
    void AddRecentFile(const QString& path);
    // Decodes a file by its extension for previews and converters ("pcc" goes to the general loader, a GIF
    // gives its first frame); throws ImagingError when it cannot be decoded.
    Picture LoadPictureByExtension(const QString& path) const;
    // Raises the Rectangle, Circle and toggle buttons.
    void ReleaseSelectionButtons();
    // The start file of the command line (and "Convert"), once the message loop runs.
    void OpenStartFile();
    // Opens one file in a new document window; reports a failure and returns false.
    bool OpenInNewWindow(const QString& path);

    // A command by its control name ("open", "ZoomIn", "Cascade1", ...).
    QAction* Command(const QString& name) const;
    QString StatusText(int panel) const;
    QString RecentSlotCaption(int slot) const; // slot 1..10
    bool RecentSlotVisible(int slot) const;
    QString SkinFile() const { return skinFile_; }
    QString OptionFile() const;

    // DocumentHost
    void SetStatusText(int panel, const QString& text) override;
    QString ProgramFolder() const override { return programFolder_; }
    QSize MainClientSize() const override;
    bool SaveDocument(TEform1& document) override;
    bool BackupOpenedFile(const QString& path) override;

    QString SystemFolder;
    QString VersionText;
    QString SkinName;
    bool PreviewEffects = true;
    bool PickColorArmed = false;
    std::int64_t WorkspaceColor = 0;
    QString StartFile;
    QString StartCommand;
    bool GifOpenPending = false;
    bool AutoSaveOn = false;
    bool AutoSaveAtStart = false;
    int AutoSavePeriod = 300000;
    std::int64_t AutoSaveAllImages = 0; // Auto Save Method: not 0 saves every open picture
    bool AutoBackupOn = false;
    bool AutoBackupAtStart = false;
    QString BackupFolder;
    QTimer Timer1;

    QMdiArea* MdiArea = nullptr;
    QToolBar* ToolBar1 = nullptr;
    QToolBar* ToolBar5 = nullptr;
    QToolBar* ToolBar6 = nullptr;
    QToolBar* ToolBar2 = nullptr;

public slots:
    void openClick();
    void saveClick();
    void saveasClick();
    void Close1Click();
    void undoClick();
    void RedoClick();
    void ZoomOutClick();
    void OriginalSizeClick();
    void ZoomInClick();
    void BestFitClick();
    void FileControlBar1Click();
    void ImageEditBar1Click();
    void ImageViewBar1Click();
    void ImageProcessBar1Click();

    // File
    void saveallClick();
    void PrintSetup1Click();
    void printClick();
    void acquireClick();
    // Edit
    void ResetImage1Click();
    void CopyToClick();
    void PasteNewClick();
    void MemorizeClick();
    void EraseClick();
    // Image
    void HorizontalMirrorClick();
    void VerticalMirrorClick();
    void NegativeClick();
    void GrayScaleClick();
    // Window
    void Cascade1Click();
    void TileHorizontally1Click();
    void TileVertically1Click();
    void MinimizeAll1Click();
    void ArrangeAll1Click();
    void Close2Click();
    void CloseAll1Click();
    // Help
    void About1Click();

public:
    // The printer that Print Setup sets up and Print prints on.
    QPrinter& Printer();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct CommandRow;
    static const CommandRow commandRows[];

    void BuildCommands();
    void BuildToolBars();
    void BuildStatusBar();
    void LoadSettings();
    void SaveSettings();
    void ShowToolBarsByChecks();
    void RecentFileClick(int slot);
    void SetRecentSlot(int index, const QString& path);
    bool SaveDocumentAs(TEform1& document);
    void FormCloseQuery();
    void FormClose();
    // Runs a command; an error it does not handle ends it with the standard error box.
    template <typename Work> bool Guarded(Work&& work)
    {
        try {
            work();
            return true;
        } catch (const std::exception& error) {
            ShowErrorMessage(this, QString::fromLocal8Bit(error.what()));
        }
        return false;
    }
    // A command that changes the active document's picture: the processing text and the document's file name
    // in panel 0, the work, then "Ready: " and the file name. Nothing without a document.
    template <typename Work> void ProcessActiveDocument(const QString& processing, Work&& work);
    void DocumentActivated(QMdiSubWindow* window);

    QString programFolder_;
    QString skinFile_;
    OptionSettings settings_;   // as read; kept for keys whose windows are not in this program yet
    QString workDirectory_;
    std::array<QAction*, ViewItemCount> viewChecks_{};
    std::array<QAction*, RecentSlotCount> recentSlots_{};
    std::array<QLabel*, 7> panels_{};
    std::unique_ptr<QPrinter> printer_;
    TAboutForm* aboutForm_ = nullptr;
};

}  // namespace zelpix
