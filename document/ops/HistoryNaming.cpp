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

std::string HistoryFolderName(std::int64_t processId, int serial)
{
    return std::to_string(processId) + "-" + std::to_string(serial);
}

std::int64_t HistoryFolderOwner(const std::string& folderName)
{
    const auto dash = folderName.find('-');
    if (dash == std::string::npos || dash == 0 || dash + 1 >= folderName.size() || dash > 18)
        return -1;
    for (std::size_t i = 0; i < folderName.size(); ++i)
        if (i != dash && (folderName[i] < '0' || folderName[i] > '9'))
            return -1;
    return std::stoll(folderName.substr(0, dash));
}

}  // namespace zelpix
