#include "app/core/RecentFiles.h"

#include <algorithm>

namespace zelpix {

bool AddRecentFile(RecentSlots& captions, const std::string& path)
{
    if (path.empty() || std::find(captions.begin(), captions.end(), path) != captions.end())
        return false;
    // Slots 10 down to 2: the first hidden one takes the path.
    for (int n = RecentSlotCount - 1; n >= 1; --n) {
        if (captions[n].empty()) {
            captions[n] = path;
            return true;
        }
    }
    if (captions[0].empty()) {
        captions[0] = path;
        return true;
    }
    std::move_backward(captions.begin(), captions.end() - 1, captions.end());
    captions[0] = path;
    return true;
}

}  // namespace zelpix
