#pragma once
// The one bridge between Picture and QImage.
#include "imaging/Picture.h"

#include <QImage>

namespace zelpix {

// A QImage that wraps the picture's rows without copying (Format_BGR888); valid while the picture lives
// and is not resized. Painting on it paints on the picture.
QImage WrapPicture(Picture& picture);
QImage WrapPicture(const Picture& picture); // read-only view
// A picture with the image's pixels; alpha is composited over white.
Picture PictureFromImage(const QImage& image);

}  // namespace zelpix
