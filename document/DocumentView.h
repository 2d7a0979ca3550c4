#pragma once
// PaintBox1: the surface inside the document's scroll area that shows the working picture.
#include <QWidget>

namespace zelpix {

class TEform1;

class DocumentView : public QWidget {
    Q_OBJECT
public:
    explicit DocumentView(TEform1& document, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TEform1& document_;
};

}  // namespace zelpix
