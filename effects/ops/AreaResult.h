#pragma once
// The picture an operation on an area writes into.
#include "effects/ops/OperationSpec.h"
#include "imaging/Picture.h"

namespace zelpix::effects {

// A fresh picture when the area is the whole picture (the operation then writes every pixel, and no copy is
// made first), else a copy of the picture, whose pixels outside the area stay as they are.
inline Picture AreaResult(const Picture& picture, const PixelRect& rect)
{
    if (rect.x0 == 0 && rect.y0 == 0 && rect.x1 == picture.Width() && rect.y1 == picture.Height() &&
        !picture.IsEmpty())
        return Picture(picture.Width(), picture.Height());
    return Picture(picture);
}

}  // namespace zelpix::effects
