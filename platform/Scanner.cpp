#include "platform/Scanner.h"

namespace zelpix {

const char* ScanModeName(ScanMode mode)
{
    switch (mode) {
    case ScanMode::Color:
        return "Color";
    case ScanMode::Gray:
        return "Gray";
    case ScanMode::Lineart:
        return "Lineart";
    }
    return "";
}

std::string ScannerDevice::Label() const
{
    std::string label = vendor;
    if (!model.empty())
        label += (label.empty() ? "" : " ") + model;
    return label.empty() ? name : label + " (" + name + ")";
}

}  // namespace zelpix
