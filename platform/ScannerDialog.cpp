#include "platform/ScannerDialog.h"

#include "imaging/ImagingError.h"
#include "platform/Prompts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <atomic>
#include <memory>

namespace zelpix {

namespace {

const QString cancelledText = QStringLiteral("The scan was cancelled.");

void Inform(QWidget* parent, const QString& text, PromptIcon icon)
{
    CurrentPrompts().Message(parent, {text, QStringLiteral("Information"), icon, PromptButtons::Ok});
}

}  // namespace

ScannerDialog::ScannerDialog(Scanner& scanner, std::vector<ScannerDevice> devices, QWidget* parent)
    : QDialog(parent), scanner_(scanner), devices_(std::move(devices))
{
    setObjectName(QStringLiteral("ScannerDialog"));
    setWindowTitle(QStringLiteral("Scanner"));
    setModal(true);

    deviceList_ = new QListWidget(this);
    deviceList_->setObjectName(QStringLiteral("DeviceList"));
    for (const ScannerDevice& device : devices_)
        deviceList_->addItem(QString::fromStdString(device.Label()));
    modeBox_ = new QComboBox(this);
    modeBox_->setObjectName(QStringLiteral("ScanMode"));
    resolutionBox_ = new QComboBox(this);
    resolutionBox_->setObjectName(QStringLiteral("ScanResolution"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("ScanStatus"));
    status_->setWordWrap(true);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ScanProgress"));
    progress_->setRange(0, 100);
    progress_->hide();
    scanButton_ = new QPushButton(QStringLiteral("Scan"), this);
    scanButton_->setObjectName(QStringLiteral("ScanButton"));
    scanButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("CancelButton"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Mode:"), modeBox_);
    form->addRow(QStringLiteral("Resolution:"), resolutionBox_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(scanButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Scanners:"), this));
    layout->addWidget(deviceList_);
    layout->addLayout(form);
    layout->addWidget(status_);
    layout->addWidget(progress_);
    layout->addLayout(buttons);

    connect(deviceList_, &QListWidget::currentRowChanged, this, &ScannerDialog::ShowChoices);
    connect(scanButton_, &QPushButton::clicked, this, &ScannerDialog::StartScan);
    connect(cancelButton_, &QPushButton::clicked, this, &ScannerDialog::reject);
    connect(&watcher_, &QFutureWatcher<ScanOutcome>::finished, this, &ScannerDialog::ScanDone);

    if (!devices_.empty())
        deviceList_->setCurrentRow(0);
    else
        ShowChoices(-1);
}

ScannerDialog::~ScannerDialog()
{
    if (Scanning()) {
        StopScan();
        watcher_.waitForFinished();
    }
}

void ScannerDialog::StopScan()
{
    if (stop_)
        *stop_ = true;
    scanner_.Cancel();
}

bool ScannerDialog::Scanning() const
{
    return watcher_.isRunning();
}

void ScannerDialog::ShowChoices(int deviceRow)
{
    modeBox_->clear();
    resolutionBox_->clear();
    status_->clear();
    if (deviceRow < 0 || deviceRow >= int(devices_.size())) {
        scanButton_->setEnabled(false);
        return;
    }
    ScanChoices choices;
    try {
        choices = scanner_.Choices(devices_[std::size_t(deviceRow)].name);
    } catch (const std::exception& e) {
        status_->setText(QString::fromStdString(e.what()));
        scanButton_->setEnabled(false);
        return;
    }
    for (ScanMode mode : choices.modes)
        modeBox_->addItem(QString::fromLatin1(ScanModeName(mode)), int(mode));
    // Colour suits a photo editor best; otherwise the mode the device is in.
    const bool hasColor = std::find(choices.modes.begin(), choices.modes.end(), ScanMode::Color) != choices.modes.end();
    modeBox_->setCurrentIndex(modeBox_->findData(int(hasColor ? ScanMode::Color : choices.mode)));
    for (int dpi : choices.resolutions)
        resolutionBox_->addItem(QStringLiteral("%1 dpi").arg(dpi), dpi);
    resolutionBox_->setCurrentIndex(resolutionBox_->findData(choices.resolution));
    resolutionBox_->setEnabled(!choices.resolutions.empty());
    scanButton_->setEnabled(true);
}

void ScannerDialog::SetBusy(bool busy)
{
    deviceList_->setEnabled(!busy);
    modeBox_->setEnabled(!busy);
    resolutionBox_->setEnabled(!busy && resolutionBox_->count() > 0);
    scanButton_->setEnabled(!busy);
    cancelButton_->setEnabled(true);
    progress_->setVisible(busy);
    status_->setText(busy ? QStringLiteral("Scanning...") : QString());
}

void ScannerDialog::StartScan()
{
    const int row = deviceList_->currentRow();
    if (Scanning() || row < 0 || modeBox_->currentIndex() < 0)
        return;
    const std::string device = devices_[std::size_t(row)].name;
    const ScanSettings settings{ScanMode(modeBox_->currentData().toInt()),
                                resolutionBox_->currentIndex() >= 0 ? resolutionBox_->currentData().toInt() : 0};
    SetBusy(true);
    progress_->setRange(0, 100);
    progress_->setValue(0);

    // Progress arrives on the worker thread; only changes of a whole percent reach the window. A stop that
    // came before the device started is passed on from here.
    stop_ = std::make_shared<std::atomic<bool>>(false);
    auto shown = std::make_shared<std::atomic<int>>(-2);
    Scanner& scanner = scanner_;
    const ScanProgress report = [this, &scanner, stop = stop_, shown](double done) {
        if (*stop)
            scanner.Cancel();
        const int percent = done < 0 ? -1 : int(done * 100);
        if (shown->exchange(percent) == percent)
            return;
        QMetaObject::invokeMethod(this, [this, percent] {
            if (percent < 0)
                progress_->setRange(0, 0);  // length unknown: a busy bar
            else
                progress_->setValue(percent);
        }, Qt::QueuedConnection);
    };
    watcher_.setFuture(QtConcurrent::run([&scanner, device, settings, report, stop = stop_] {
        ScanOutcome outcome;
        if (*stop) {
            outcome.cancelled = true;
            return outcome;
        }
        try {
            outcome.picture = scanner.Scan(device, settings, report);
        } catch (const ScanCancelled&) {
            outcome.cancelled = true;
        } catch (const std::exception& e) {  // ScannerError, ImagingError, memory
            outcome.error = QString::fromStdString(e.what());
            if (outcome.error.isEmpty())
                outcome.error = QStringLiteral("The scan failed.");
        }
        return outcome;
    }));
}

void ScannerDialog::ScanDone()
{
    outcome_ = watcher_.future().takeResult();
    SetBusy(false);
    emit ScanFinished();
    if (outcome_.picture)
        accept();
    else
        QDialog::reject();
}

void ScannerDialog::reject()
{
    if (Scanning()) {
        cancelButton_->setEnabled(false);
        status_->setText(QStringLiteral("Cancelling..."));
        StopScan();  // the dialog closes when the scan has ended
        return;
    }
    outcome_ = ScanOutcome{std::nullopt, true, {}};
    QDialog::reject();
}

std::optional<Picture> AcquirePicture(QWidget* parent, Scanner& scanner)
{
    std::vector<ScannerDevice> devices;
    try {
        devices = scanner.Devices();
    } catch (const std::exception& e) {
        Inform(parent, QString::fromStdString(e.what()), PromptIcon::Warning);
        return std::nullopt;
    }
    if (devices.empty()) {
        Inform(parent, QStringLiteral("No scanner was found."), PromptIcon::Information);
        return std::nullopt;
    }
    ScannerDialog dialog(scanner, std::move(devices), parent);
    dialog.exec();
    if (auto picture = dialog.TakePicture())
        return picture;
    if (dialog.Outcome().cancelled)
        Inform(parent, cancelledText, PromptIcon::Information);
    else
        Inform(parent, dialog.Outcome().error, PromptIcon::Warning);
    return std::nullopt;
}

}  // namespace zelpix
