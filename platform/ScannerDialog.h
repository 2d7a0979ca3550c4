#pragma once
// The scanner dialog: the devices, mode and resolution, Scan and Cancel; and the whole acquisition.
#include "platform/Scanner.h"

#include <QDialog>
#include <QFutureWatcher>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace zelpix {

// What one scan on the worker thread gave.
struct ScanOutcome {
    std::optional<Picture> picture;
    bool cancelled = false;
    QString error;  // when neither picture nor cancelled
};

class ScannerDialog : public QDialog {
    Q_OBJECT
public:
    ScannerDialog(Scanner& scanner, std::vector<ScannerDevice> devices, QWidget* parent = nullptr);
    ~ScannerDialog() override;  // a running scan is cancelled and waited for

    bool Scanning() const;
    // After the dialog ended: the picture of a successful scan; else whether a scan was cancelled or failed.
    std::optional<Picture> TakePicture() { return std::move(outcome_.picture); }
    const ScanOutcome& Outcome() const { return outcome_; }

public slots:
    void StartScan();
    void reject() override;  // Cancel: ends a running scan, else closes the dialog

signals:
    void ScanFinished();

private:
    void ShowChoices(int deviceRow);
    void ScanDone();
    void SetBusy(bool busy);
    void StopScan();

    Scanner& scanner_;
    std::vector<ScannerDevice> devices_;
    QListWidget* deviceList_;
    QComboBox* modeBox_;
    QComboBox* resolutionBox_;
    QLabel* status_;
    QProgressBar* progress_;
    QPushButton* scanButton_;
    QPushButton* cancelButton_;
    QFutureWatcher<ScanOutcome> watcher_;
    std::shared_ptr<std::atomic<bool>> stop_;  // set to end the running scan, even before it has begun
    ScanOutcome outcome_;
};

// Lists the scanners, shows the dialog and scans. Without a picture (no scanner, cancelled, failed) the
// reason has been shown through the prompt service.
std::optional<Picture> AcquirePicture(QWidget* parent, Scanner& scanner);

}  // namespace zelpix
