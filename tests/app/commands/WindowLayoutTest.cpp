// Tiling and minimised-window rows.
#include "app/core/WindowLayout.h"

#include <gtest/gtest.h>

namespace zelpix {
namespace {

TEST(WindowLayout, TilesCoverTheAreaWithoutGapsOrOverlap)
{
    const struct {
        int count, width, height;
        TileMode mode;
        std::vector<WindowRect> rects;
    } cases[] = {
        {1, 300, 200, TileMode::Horizontal, {{0, 0, 300, 200}}},
        {3, 300, 200, TileMode::Horizontal, {{0, 0, 300, 66}, {0, 66, 300, 66}, {0, 132, 300, 68}}},
        {2, 301, 200, TileMode::Vertical, {{0, 0, 150, 200}, {150, 0, 151, 200}}},
        {0, 300, 200, TileMode::Vertical, {}},
        // More windows than pixels: each still gets one.
        {3, 2, 2, TileMode::Horizontal, {{0, 0, 2, 1}, {0, 1, 2, 1}, {0, 2, 2, 1}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TileRects(c.count, c.width, c.height, c.mode), c.rects) << c.count << " " << c.width;
}

TEST(WindowLayout, MinimisedWindowsLineUpAlongTheBottomAndWrapUpwards)
{
    EXPECT_EQ(IconRects(3, 100, 20, 250, 300),
              (std::vector<WindowRect>{{0, 280, 100, 20}, {100, 280, 100, 20}, {0, 260, 100, 20}}));
    // An area narrower than one icon still puts one per row.
    EXPECT_EQ(IconRects(2, 100, 20, 50, 300), (std::vector<WindowRect>{{0, 280, 100, 20}, {0, 260, 100, 20}}));
    EXPECT_TRUE(IconRects(2, 0, 20, 50, 300).empty());
}

}  // namespace
}  // namespace zelpix
