#pragma once
// A prompt service for tests: answers come from a script, every question is recorded. A question with no
// scripted answer fails the test and is answered Cancel (or nothing).
#include "platform/Prompts.h"

#include <deque>
#include <functional>
#include <vector>

namespace zelpix::test {

class ScriptedPrompts : public Prompts {
public:
    ScriptedPrompts();  // installs itself
    ~ScriptedPrompts() override; // restores the previous service

    std::deque<PromptAnswer> answers;
    std::deque<QStringList> openFiles;
    std::deque<QString> saveFiles;
    std::deque<QString> folders;
    // The print and printer set-up dialogs: each answer sets the printer up as a user would and returns
    // false for Cancel.
    using PrinterAnswer = std::function<bool(QPrinter&)>;
    std::deque<PrinterAnswer> printDialogs;
    std::deque<PrinterAnswer> printSetups;

    std::vector<MessageRequest> messages; // every message shown, in order
    std::vector<FileRequest> fileRequests;

    PromptAnswer Message(QWidget* parent, const MessageRequest& request) override;
    QStringList OpenFiles(QWidget* parent, const FileRequest& request) override;
    QString SaveFile(QWidget* parent, const FileRequest& request) override;
    QString Folder(QWidget* parent, const FileRequest& request) override;
    QColor Color(QWidget* parent, const QColor& initial) override;
    bool Font(QWidget* parent, QFont& font) override;
    bool PrintSetup(QWidget* parent, QPrinter& printer) override;
    bool Print(QWidget* parent, QPrinter& printer) override;

private:
    Prompts* previous_;
};

}  // namespace zelpix::test
