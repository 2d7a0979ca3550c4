#pragma once
// The about box: the program's picture, its version and OK. The main window takes no input while it shows.
#include <QDialog>

class QLabel;

namespace zelpix {

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    TAboutForm(const QString& versionText, QWidget* parent = nullptr);

    QLabel* Label1 = nullptr; // "Version " and the version
};

}  // namespace zelpix
