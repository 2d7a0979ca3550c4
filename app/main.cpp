// zelpix: the photo editor.
#include "app/TCoverForm.h"
#include "app/TForm1.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    zelpix::TForm1 form(QApplication::arguments().mid(1));
    {
        zelpix::TCoverForm cover;
        cover.show();
        QApplication::processEvents(); // paint it once
        // The long-lived tool windows and dialogs are created here, while the cover shows.
        cover.close();
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        form.move(screen->availableGeometry().center() - form.rect().center());
    form.show();
    QTimer::singleShot(0, &form, &zelpix::TForm1::OpenStartFile);
    return application.exec();
}
