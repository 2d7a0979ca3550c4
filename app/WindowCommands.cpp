// The Window menu and the About box.
#include "app/TAboutForm.h"
#include "app/TForm1.h"
#include "app/core/WindowLayout.h"
#include "document/TEform1.h"

#include <QMdiArea>
#include <QPointer>
#include <algorithm>

namespace zelpix {

void TForm1::Cascade1Click()
{
    MdiArea->cascadeSubWindows();
}

namespace {

void Tile(QMdiArea& area, const QList<TEform1*>& documents, TileMode mode)
{
    QList<TEform1*> shown;
    for (TEform1* document : documents)
        if (document->isVisible() && !document->isMinimized())
            shown << document;
    const QSize client = area.viewport()->size();
    const std::vector<WindowRect> rects = TileRects(int(shown.size()), client.width(), client.height(), mode);
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const WindowRect& r = rects[std::size_t(i)];
        if (shown[i]->isMaximized())
            shown[i]->showNormal();
        shown[i]->setGeometry(r.x, r.y, r.width, r.height);
    }
}

}  // namespace

void TForm1::TileHorizontally1Click()
{
    Tile(*MdiArea, Documents(), TileMode::Horizontal);
}

void TForm1::TileVertically1Click()
{
    Tile(*MdiArea, Documents(), TileMode::Vertical);
}

void TForm1::MinimizeAll1Click()
{
    for (TEform1* document : Documents())
        document->showMinimized();
}

void TForm1::ArrangeAll1Click()
{
    QList<TEform1*> minimised;
    QSize icon;
    for (TEform1* document : Documents()) {
        if (document->isMinimized()) {
            minimised << document;
            icon = icon.expandedTo(document->size());
        }
    }
    const QSize client = MdiArea->viewport()->size();
    const std::vector<WindowRect> rects =
        IconRects(int(minimised.size()), icon.width(), icon.height(), client.width(), client.height());
    for (qsizetype i = 0; i < minimised.size(); ++i)
        minimised[i]->move(rects[std::size_t(i)].x, rects[std::size_t(i)].y);
}

void TForm1::Close2Click()
{
    if (TEform1* document = ActiveDocument())
        document->close(); // its close query runs
}

void TForm1::CloseAll1Click()
{
    // Each asks its own question; one that is kept open does not stop the others.
    QList<QPointer<TEform1>> documents;
    for (TEform1* document : Documents())
        documents << document;
    for (const QPointer<TEform1>& document : documents)
        if (document)
            document->close();
}

void TForm1::About1Click()
{
    if (!aboutForm_)
        aboutForm_ = new TAboutForm(VersionText, this);
    aboutForm_->show();
    aboutForm_->raise();
    aboutForm_->activateWindow();
}

}  // namespace zelpix
