#include "document/ops/Mirrors.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace zelpix {

void MirrorLeftRight(Picture& picture)
{
    const int width = picture.Width();
    for (int y = 0; y < picture.Height(); ++y) {
        std::uint8_t* left = picture.Row(y);
        std::uint8_t* right = left + 3 * std::size_t(width - 1);
        for (; left < right; left += 3, right -= 3) {
            std::swap(left[0], right[0]);
            std::swap(left[1], right[1]);
            std::swap(left[2], right[2]);
        }
    }
}

void MirrorTopBottom(Picture& picture)
{
    const std::size_t rowBytes = std::size_t(picture.Width()) * 3;
    std::vector<std::uint8_t> spare(rowBytes);
    for (int top = 0, bottom = picture.Height() - 1; top < bottom; ++top, --bottom) {
        std::memcpy(spare.data(), picture.Row(top), rowBytes);
        std::memcpy(picture.Row(top), picture.Row(bottom), rowBytes);
        std::memcpy(picture.Row(bottom), spare.data(), rowBytes);
    }
}

}  // namespace zelpix
