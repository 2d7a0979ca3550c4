#pragma once
// The splash window shown while the program starts: borderless, on top, centred, one picture.
#include <QWidget>

namespace zelpix {

class TCoverForm : public QWidget {
    Q_OBJECT
public:
    explicit TCoverForm(QWidget* parent = nullptr);
    static constexpr int PictureWidth = 508;
    static constexpr int PictureHeight = 318;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};

}  // namespace zelpix
