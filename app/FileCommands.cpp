// Save All, Scan and Reset Image.
#include "app/TForm1.h"
#include "document/TEform1.h"
#include "platform/SaneScanner.h"
#include "platform/ScannerDialog.h"

#include <QPointer>

namespace zelpix {

void TForm1::saveallClick()
{
    for (TEform1* document : Documents())
        SaveDocument(*document); // an untitled picture goes through Save As
}

void TForm1::acquireClick()
{
    QPointer<TEform1> document = NewDocumentWindow();
    std::optional<Picture> picture;
    try {
        // SANE for this scan only: the device is free for other programs again afterwards.
        SaneScanner scanner;
        picture = AcquirePicture(this, scanner); // says itself why there is no picture
    } catch (const std::exception& error) {
        CurrentPrompts().Message(this, {QString::fromLocal8Bit(error.what()), QStringLiteral("Information"),
                                        PromptIcon::Warning, PromptButtons::Ok});
    }
    const bool installed = picture && document &&
                           Guarded([&] { document->InstallUntitledPicture(std::move(*picture), QStringLiteral("Untitle - ")); });
    // Without a picture the window made for it goes again.
    if (!installed && document) {
        document->SetCloseAgreed();
        document->close();
    }
}

void TForm1::ResetImage1Click()
{
    TEform1* document = ActiveDocument();
    if (!document || document->FileName.isEmpty()) // an untitled picture has no file to go back to
        return;
    Guarded([&] {
        document->OpenPictureFile(document->FileName);
        document->RecordHistoryStep();
    });
}

}  // namespace zelpix
