#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

namespace zelpix::test {

namespace {

template <typename T>
T Take(std::deque<T>& queue, const char* what, const QString& context)
{
    if (queue.empty()) {
        ADD_FAILURE() << "unscripted " << what << ": " << context.toStdString();
        return T{};
    }
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

}  // namespace

ScriptedPrompts::ScriptedPrompts() : previous_(InstallPrompts(this)) {}

ScriptedPrompts::~ScriptedPrompts()
{
    InstallPrompts(previous_);
}

PromptAnswer ScriptedPrompts::Message(QWidget*, const MessageRequest& request)
{
    messages.push_back(request);
    if (answers.empty()) {
        ADD_FAILURE() << "unscripted message: " << request.text.toStdString();
        return PromptAnswer::Cancel;
    }
    const PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

QStringList ScriptedPrompts::OpenFiles(QWidget*, const FileRequest& request)
{
    fileRequests.push_back(request);
    return Take(openFiles, "open dialog", request.caption);
}

QString ScriptedPrompts::SaveFile(QWidget*, const FileRequest& request)
{
    fileRequests.push_back(request);
    return Take(saveFiles, "save dialog", request.caption);
}

QString ScriptedPrompts::Folder(QWidget*, const FileRequest& request)
{
    fileRequests.push_back(request);
    return Take(folders, "folder dialog", request.caption);
}

QColor ScriptedPrompts::Color(QWidget*, const QColor&)
{
    ADD_FAILURE() << "unscripted colour dialog";
    return {};
}

bool ScriptedPrompts::Font(QWidget*, QFont&)
{
    ADD_FAILURE() << "unscripted font dialog";
    return false;
}

bool ScriptedPrompts::PrintSetup(QWidget*, QPrinter& printer)
{
    const PrinterAnswer answer = Take(printSetups, "printer set-up dialog", QString());
    return answer && answer(printer);
}

bool ScriptedPrompts::Print(QWidget*, QPrinter& printer)
{
    const PrinterAnswer answer = Take(printDialogs, "print dialog", QString());
    return answer && answer(printer);
}

}  // namespace zelpix::test
