#include "imaging/PictureImage.h"

#include <QPainter>
#include <cstring>

namespace zelpix {

QImage WrapPicture(Picture& picture)
{
    if (picture.IsEmpty())
        return {};
    return QImage(picture.Bits(), picture.Width(), picture.Height(), qsizetype(picture.Stride()),
                  QImage::Format_BGR888);
}

QImage WrapPicture(const Picture& picture)
{
    if (picture.IsEmpty())
        return {};
    return QImage(picture.Bits(), picture.Width(), picture.Height(), qsizetype(picture.Stride()),
                  QImage::Format_BGR888);
}

Picture PictureFromImage(const QImage& image)
{
    if (image.isNull())
        return {};
    Picture picture(image.width(), image.height());
    QImage target = WrapPicture(picture);
    if (image.hasAlphaChannel()) {
        target.fill(Qt::white);
        QPainter painter(&target);
        painter.drawImage(0, 0, image);
    } else {
        const QImage source = image.format() == QImage::Format_BGR888 ? image : image.convertToFormat(QImage::Format_BGR888);
        const std::size_t rowBytes = std::size_t(picture.Width()) * 3;
        for (int y = 0; y < picture.Height(); ++y)
            std::memcpy(picture.Row(y), source.constScanLine(y), rowBytes);
    }
    return picture;
}

}  // namespace zelpix
