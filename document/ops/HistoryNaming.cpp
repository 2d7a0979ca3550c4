#include "document/ops/HistoryNaming.h"

namespace zelpix {

std::string HistoryPrefix(const std::string& caption)
{
    const auto dot = caption.find('.');
    return dot == std::string::npos ? std::string() : caption.substr(0, dot);
}

std::string HistoryFileName(const std::string& caption, int step)
{
    return HistoryPrefix(caption) + "_" + std::to_string(step) + ".bmp";
}

}  // namespace zelpix
