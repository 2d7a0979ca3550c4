#include "app/core/WindowLayout.h"

#include <algorithm>

namespace zelpix {

std::vector<WindowRect> TileRects(int count, int areaWidth, int areaHeight, TileMode mode)
{
    std::vector<WindowRect> rects;
    if (count <= 0)
        return rects;
    const int length = mode == TileMode::Horizontal ? areaHeight : areaWidth;
    const int band = std::max(length / count, 1);
    for (int i = 0; i < count; ++i) {
        const int start = i * band;
        const int size = i == count - 1 ? std::max(length - start, 1) : band;
        if (mode == TileMode::Horizontal)
            rects.push_back({0, start, areaWidth, size});
        else
            rects.push_back({start, 0, size, areaHeight});
    }
    return rects;
}

std::vector<WindowRect> IconRects(int count, int iconWidth, int iconHeight, int areaWidth, int areaHeight)
{
    std::vector<WindowRect> rects;
    if (count <= 0 || iconWidth <= 0 || iconHeight <= 0)
        return rects;
    const int perRow = std::max(areaWidth / iconWidth, 1);
    for (int i = 0; i < count; ++i) {
        const int row = i / perRow;
        const int column = i % perRow;
        rects.push_back({column * iconWidth, areaHeight - (row + 1) * iconHeight, iconWidth, iconHeight});
    }
    return rects;
}

}  // namespace zelpix
