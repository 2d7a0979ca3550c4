#pragma once
// Where the frame's document windows go when tiled, and where minimised windows line up.
#include <vector>

namespace zelpix {

struct WindowRect {
    int x = 0, y = 0, width = 0, height = 0;
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

enum class TileMode { Horizontal, Vertical };

// count windows over an area of areaWidth x areaHeight: Horizontal stacks full-width bands from top to bottom,
// Vertical puts full-height columns from left to right. The last band takes the rest of the division.
std::vector<WindowRect> TileRects(int count, int areaWidth, int areaHeight, TileMode mode);

// count minimised windows of iconWidth x iconHeight in rows along the bottom of the area, left to right;
// a row that is full continues above it.
std::vector<WindowRect> IconRects(int count, int iconWidth, int iconHeight, int areaWidth, int areaHeight);

}  // namespace zelpix
