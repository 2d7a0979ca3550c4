#pragma once
// Printing a picture: stretched by whole multiples of the 96-dpi design resolution.
#include "imaging/Picture.h"

#include <QRect>
#include <stdexcept>

class QPrinter;

namespace zelpix {

class PrintError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The rectangle, in printer pixels from the page origin, that a picture of width x height fills on a printer
// of dpiX x dpiY: (0, 0) to (dpiX div 96 x width, dpiY div 96 x height); below 96 dpi the factor is 1.
QRect PrintTargetRect(int dpiX, int dpiY, int width, int height);
QRect PrintTargetRect(const QPrinter& printer, const Picture& picture);

// Prints the picture as one page. The job is always ended, also when drawing fails; throws PrintError
// when the printer cannot start the job or reports that it failed.
void PrintPicture(QPrinter& printer, const Picture& picture);

}  // namespace zelpix
