#pragma once
// Every modal question the program asks goes through one prompt service, so that tests can script the
// answers. The shipped service shows the real message boxes and dialogs.
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

namespace zelpix {

enum class PromptIcon { Information, Question, Warning, Error };
enum class PromptButtons { Ok, YesNo, YesNoCancel, OkCancel };
enum class PromptAnswer { Ok, Yes, No, Cancel };

struct MessageRequest {
    QString text;
    QString caption = QStringLiteral("Information");
    PromptIcon icon = PromptIcon::Information;
    PromptButtons buttons = PromptButtons::Ok;
};

struct FileRequest {
    QString caption;
    QString folder;      // initial folder
    QStringList filters; // "Bitmap files (*.bmp *.dib *.rle)", ...
};

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual PromptAnswer Message(QWidget* parent, const MessageRequest& request) = 0;
    // Existing files; empty when cancelled.
    virtual QStringList OpenFiles(QWidget* parent, const FileRequest& request) = 0;
    // Empty when cancelled. The service asks nothing about existing files; callers do.
    virtual QString SaveFile(QWidget* parent, const FileRequest& request) = 0;
    virtual QString Folder(QWidget* parent, const FileRequest& request) = 0;
    // Invalid colour when cancelled.
    virtual QColor Color(QWidget* parent, const QColor& initial) = 0;
    // False when cancelled.
    virtual bool Font(QWidget* parent, QFont& font) = 0;
    // The printer set-up (page and printer choice) and the print dialog; false when cancelled.
    virtual bool PrintSetup(QWidget* parent, QPrinter& printer) = 0;
    virtual bool Print(QWidget* parent, QPrinter& printer) = 0;
};

// The service in use: the widget dialogs unless a test has installed another one.
Prompts& CurrentPrompts();
// Installs a service (nullptr restores the widget dialogs); returns the previous one.
Prompts* InstallPrompts(Prompts* prompts);

// The standard error box: caption "Zelpix", error icon, the error's text, OK.
void ShowErrorMessage(QWidget* parent, const QString& text);

// The real dialogs.
class WidgetPrompts : public Prompts {
public:
    PromptAnswer Message(QWidget* parent, const MessageRequest& request) override;
    QStringList OpenFiles(QWidget* parent, const FileRequest& request) override;
    QString SaveFile(QWidget* parent, const FileRequest& request) override;
    QString Folder(QWidget* parent, const FileRequest& request) override;
    QColor Color(QWidget* parent, const QColor& initial) override;
    bool Font(QWidget* parent, QFont& font) override;
    bool PrintSetup(QWidget* parent, QPrinter& printer) override;
    bool Print(QWidget* parent, QPrinter& printer) override;
};

}  // namespace zelpix
