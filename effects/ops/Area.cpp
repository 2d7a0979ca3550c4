#include "effects/ops/OperationSpec.h"

#include <algorithm>

namespace zelpix::effects {

PixelRect ResolveArea(const Area& area, int width, int height)
{
    PixelRect rect;
    rect.x0 = std::clamp(area.left, 0, width);
    rect.y0 = std::clamp(area.top, 0, height);
    rect.x1 = area.right == 0 ? width : std::clamp(area.right, 0, width);
    rect.y1 = area.bottom == 0 ? height : std::clamp(area.bottom, 0, height);
    return rect;
}

}  // namespace zelpix::effects
