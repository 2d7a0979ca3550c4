#pragma once
// What a document window asks of the main window that holds it.
#include <QSize>
#include <QString>

namespace zelpix {

class TEform1;

class DocumentHost {
public:
    virtual void SetStatusText(int panel, const QString& text) = 0;
    // Folder of the program (History lives below it).
    virtual QString ProgramFolder() const = 0;
    // The main window's client area, which document windows are fitted into.
    virtual QSize MainClientSize() const = 0;
    // The Save command for this document; false when nothing was saved (cancelled or failed).
    virtual bool SaveDocument(TEform1& document) = 0;
    // The backup copy after a file has been opened; false ends the opening.
    virtual bool BackupOpenedFile(const QString& path) = 0;

protected:
    ~DocumentHost() = default;
};

}  // namespace zelpix
