// Print Setup and Print.
#include "app/TForm1.h"
#include "document/TEform1.h"
#include "platform/PicturePrinter.h"

namespace zelpix {

QPrinter& TForm1::Printer()
{
    if (!printer_)
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void TForm1::PrintSetup1Click()
{
    CurrentPrompts().PrintSetup(this, Printer());
}

void TForm1::printClick()
{
    TEform1* document = ActiveDocument();
    if (!document)
        return;
    Picture holder;
    document->CopyPictureTo(holder);
    if (!CurrentPrompts().Print(this, Printer()))
        return;
    Guarded([&] { PrintPicture(Printer(), holder); });
}

}  // namespace zelpix
