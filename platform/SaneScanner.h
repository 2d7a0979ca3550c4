#pragma once
// The scanner service on SANE.
#include "platform/Scanner.h"

#include <atomic>
#include <mutex>
#include <string>

namespace zelpix {

class SaneScanner final : public Scanner {
public:
    // Starts SANE (once per process however many objects live); throws ScannerError when it cannot.
    SaneScanner();
    ~SaneScanner() override;
    SaneScanner(const SaneScanner&) = delete;
    SaneScanner& operator=(const SaneScanner&) = delete;

    std::vector<ScannerDevice> Devices() override;
    ScanChoices Choices(const std::string& device) override;
    Picture Scan(const std::string& device, const ScanSettings& settings, const ScanProgress& progress = {}) override;
    void Cancel() override;

private:
    void* Open(const std::string& device);  // the device's handle, kept open until another device is used
    void Close();
    struct ScanGuard;

    void* handle_ = nullptr;
    std::string openDevice_;
    std::mutex scanMutex_;  // guards scanning_ against Cancel
    bool scanning_ = false;
    std::atomic<bool> cancel_{false};
};

}  // namespace zelpix
