#include "document/DocumentView.h"

#include "document/TEform1.h"
#include "imaging/PictureImage.h"

#include <QPaintEvent>
#include <QPainter>
#include <utility>

namespace zelpix {

DocumentView::DocumentView(TEform1& document, QWidget* parent) : QWidget(parent), document_(document)
{
    setObjectName(QStringLiteral("PaintBox1"));
    // Every paint covers what it exposes: nothing is erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void DocumentView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect exposed = event->rect();
    const Picture& picture = document_.WorkingPicture;
    if (!document_.PaintingEnabled || picture.IsEmpty() || width() <= 0 || height() <= 0) {
        painter.fillRect(exposed, document_.WorkspaceBackground());
        return;
    }
    const QImage image = WrapPicture(std::as_const(picture));
    if (document_.ZoomPercent == 100) {
        painter.drawImage(exposed.topLeft(), image, exposed);
        return;
    }
    // Only the exposed part is scaled, from the matching part of the picture (nearest pixel).
    const double sx = double(picture.Width()) / width();
    const double sy = double(picture.Height()) / height();
    const QRectF source(exposed.x() * sx, exposed.y() * sy, exposed.width() * sx, exposed.height() * sy);
    painter.drawImage(QRectF(exposed), image, source);
}

}  // namespace zelpix
