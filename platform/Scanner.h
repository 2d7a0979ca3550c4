#pragma once
// Scanning service: the attached scanners, the choices a scan offers, one page scanned into a Picture.
#include "imaging/Picture.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zelpix {

// A scanner failure; the text (with the driver's own status text) is shown to the user as it is.
class ScannerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The scan was cancelled, by Scanner::Cancel or at the device.
class ScanCancelled : public ScannerError {
public:
    using ScannerError::ScannerError;
};

enum class ScanMode { Color, Gray, Lineart };

// "Color", "Gray", "Lineart".
const char* ScanModeName(ScanMode mode);

struct ScannerDevice {
    std::string name;  // what Choices and Scan take
    std::string vendor;
    std::string model;
    std::string type;
    // "vendor model (name)", as a device list shows it.
    std::string Label() const;
};

// What the device offers, with its current settings.
struct ScanChoices {
    std::vector<ScanMode> modes;   // never empty
    std::vector<int> resolutions;  // dots per inch, ascending; empty when the resolution is fixed
    ScanMode mode = ScanMode::Color;
    int resolution = 0;            // 0 when the resolution is fixed
};

struct ScanSettings {
    ScanMode mode = ScanMode::Color;
    int resolution = 0;  // 0 keeps the device's resolution
};

// Receives the share of the page done so far, 0..1, or -1 when the page length is not known in advance.
using ScanProgress = std::function<void(double done)>;

// Devices, Choices and Scan are called from one thread at a time (any thread); Cancel from any thread.
class Scanner {
public:
    virtual ~Scanner() = default;
    virtual std::vector<ScannerDevice> Devices() = 0;
    virtual ScanChoices Choices(const std::string& device) = 0;
    // Scans one page as a 24-bit picture. Throws ScanCancelled when cancelled, ScannerError on any failure,
    // ImagingError when the device announces a picture too large to hold.
    virtual Picture Scan(const std::string& device, const ScanSettings& settings, const ScanProgress& progress = {}) = 0;
    // Safe from any thread: ends the scan that is running; does nothing when none runs.
    virtual void Cancel() = 0;
};

}  // namespace zelpix
