#include "platform/PicturePrinter.h"

#include "imaging/PictureImage.h"

#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace zelpix {

QRect PrintTargetRect(int dpiX, int dpiY, int width, int height)
{
    const int sx = std::max(dpiX / 96, 1);
    const int sy = std::max(dpiY / 96, 1);
    return QRect(0, 0, sx * width, sy * height);
}

QRect PrintTargetRect(const QPrinter& printer, const Picture& picture)
{
    return PrintTargetRect(printer.logicalDpiX(), printer.logicalDpiY(), picture.Width(), picture.Height());
}

void PrintPicture(QPrinter& printer, const Picture& picture)
{
    if (picture.IsEmpty())
        throw PrintError("There is no picture to print.");
    QPainter painter;
    if (!painter.begin(&printer))
        throw PrintError("The printer could not start the print job.");
    // The page shows the picture's own pixels: no lossy recompression on the way to the printer.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    try {
        painter.drawImage(PrintTargetRect(printer, picture), WrapPicture(picture));
    } catch (...) {
        painter.end();
        throw;
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw PrintError("The printer reported an error; the page may not have been printed.");
}

}  // namespace zelpix
