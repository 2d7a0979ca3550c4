// The commands of the Edit and Image menus that change or copy the active picture.
#include "app/TForm1.h"
#include "document/TEform1.h"
#include "effects/ops/Adjustments.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <utility>

namespace zelpix {

template <typename Work>
void TForm1::ProcessActiveDocument(const QString& processing, Work&& work)
{
    TEform1* document = ActiveDocument();
    if (!document)
        return;
    SetStatusText(0, processing + document->FileName);
    panels_[0]->repaint(); // shown while the work runs
    if (Guarded([&] { work(*document); }))
        SetStatusText(0, QStringLiteral("Ready: ") + document->FileName);
}

void TForm1::CopyToClick()
{
    if (TEform1* document = ActiveDocument())
        document->Copier1Click();
}

void TForm1::PasteNewClick()
{
    const QMimeData* clipboard = QApplication::clipboard()->mimeData();
    if (!clipboard || !clipboard->hasImage()) {
        CurrentPrompts().Message(this, {QStringLiteral("No image in clipboard.")});
        return;
    }
    QPointer<TEform1> document = NewDocumentWindow();
    if (!Guarded([&] { document->Commenouvelleimage1Click(); }) && document) {
        document->SetCloseAgreed(); // nothing came of it: no empty window stays
        document->close();
    }
}

void TForm1::MemorizeClick()
{
    if (TEform1* document = ActiveDocument())
        Guarded([&] {
            document->Copier1Click();
            document->ReplaceFromClipboard();
            document->RecordHistoryStep();
        });
}

void TForm1::EraseClick()
{
    if (TEform1* document = ActiveDocument())
        Guarded([&] {
            document->Effacer1Click();
            document->RecordHistoryStep();
        });
}

void TForm1::HorizontalMirrorClick()
{
    ProcessActiveDocument(QStringLiteral("Processing Horizontal Mirror: "), [](TEform1& document) {
        document.BtmiroirHClick();
        document.RecordHistoryStep();
    });
}

void TForm1::VerticalMirrorClick()
{
    ProcessActiveDocument(QStringLiteral("Processing Vertical Mirror: "), [](TEform1& document) {
        document.NBtmiroirVClick();
        document.RecordHistoryStep();
    });
}

namespace {

// Grey scale and negative: the converted picture (a new one; the working picture is only read) replaces the
// working picture, with a history step.
template <typename Operation>
void ConvertWorkingPicture(TEform1& document, Operation operation)
{
    document.ReplacePicture(operation(std::as_const(document.WorkingPicture)));
    document.RecordHistoryStep();
}

}  // namespace

void TForm1::GrayScaleClick()
{
    ProcessActiveDocument(QStringLiteral("Processing Gray Scale: "),
                          [](TEform1& document) { ConvertWorkingPicture(document, effects::GrayScale); });
}

void TForm1::NegativeClick()
{
    ProcessActiveDocument(QStringLiteral("Processing Nagative: "),
                          [](TEform1& document) { ConvertWorkingPicture(document, effects::Negative); });
}

}  // namespace zelpix
