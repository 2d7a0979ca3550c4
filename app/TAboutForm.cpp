#include "app/TAboutForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace zelpix {

namespace {

constexpr int PictureSide = 96;

QPixmap ProgramPicture()
{
    QPixmap picture(PictureSide, PictureSide);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    QSvgRenderer(QStringLiteral(":/zelpix.svg")).render(&painter);
    return picture;
}

}  // namespace

TAboutForm::TAboutForm(const QString& versionText, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About"));
    setWindowModality(Qt::ApplicationModal);

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(ProgramPicture());
    Label1 = new QLabel(QStringLiteral("Version ") + versionText, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(new QLabel(QStringLiteral("<b>Zelpix</b>"), this));
    text->addWidget(Label1);
    text->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(image);
    top->addLayout(text);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

}  // namespace zelpix
