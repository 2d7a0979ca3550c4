#include "platform/Prompts.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>

namespace zelpix {

namespace {

Prompts* installed = nullptr;

QMessageBox::Icon BoxIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::Question: return QMessageBox::Question;
    case PromptIcon::Warning: return QMessageBox::Warning;
    case PromptIcon::Error: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons BoxButtons(PromptButtons buttons)
{
    switch (buttons) {
    case PromptButtons::Ok: return QMessageBox::Ok;
    case PromptButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case PromptButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

}  // namespace

Prompts& CurrentPrompts()
{
    static WidgetPrompts widgets;
    return installed ? *installed : widgets;
}

Prompts* InstallPrompts(Prompts* prompts)
{
    Prompts* previous = installed;
    installed = prompts;
    return previous;
}

void ShowErrorMessage(QWidget* parent, const QString& text)
{
    CurrentPrompts().Message(parent, {text, QStringLiteral("Zelpix"), PromptIcon::Error, PromptButtons::Ok});
}

PromptAnswer WidgetPrompts::Message(QWidget* parent, const MessageRequest& request)
{
    QMessageBox box(BoxIcon(request.icon), request.caption, request.text, BoxButtons(request.buttons), parent);
    switch (box.exec()) {
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    case QMessageBox::Ok: return PromptAnswer::Ok;
    default: return PromptAnswer::Cancel;
    }
}

QStringList WidgetPrompts::OpenFiles(QWidget* parent, const FileRequest& request)
{
    return QFileDialog::getOpenFileNames(parent, request.caption, request.folder, request.filters.join(";;"));
}

QString WidgetPrompts::SaveFile(QWidget* parent, const FileRequest& request)
{
    // The caller asks its own question about an existing file.
    return QFileDialog::getSaveFileName(parent, request.caption, request.folder, request.filters.join(";;"),
                                        nullptr, QFileDialog::DontConfirmOverwrite);
}

QString WidgetPrompts::Folder(QWidget* parent, const FileRequest& request)
{
    return QFileDialog::getExistingDirectory(parent, request.caption, request.folder);
}

QColor WidgetPrompts::Color(QWidget* parent, const QColor& initial)
{
    return QColorDialog::getColor(initial, parent);
}

bool WidgetPrompts::Font(QWidget* parent, QFont& font)
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, parent);
    if (ok)
        font = chosen;
    return ok;
}

bool WidgetPrompts::PrintSetup(QWidget* parent, QPrinter& printer)
{
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool WidgetPrompts::Print(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace zelpix
