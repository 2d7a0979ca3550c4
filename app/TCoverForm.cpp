#include "app/TCoverForm.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>

namespace zelpix {

TCoverForm::TCoverForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(PictureWidth, PictureHeight)
{
    setObjectName(QStringLiteral("CoverForm"));
    setFixedSize(PictureWidth, PictureHeight);
    picture_.fill(Qt::white);
    QPainter painter(&picture_);
    QSvgRenderer(QStringLiteral(":/splash.svg")).render(&painter);
    painter.end();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TCoverForm::paintEvent(QPaintEvent*)
{
    QPainter(this).drawPixmap(0, 0, picture_);
}

}  // namespace zelpix
