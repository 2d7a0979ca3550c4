#pragma once
// Rotation by any angle.
#include "effects/ops/OperationSpec.h"

namespace zelpix::effects {

// Turns the picture by angleDegrees (positive: anti-clockwise). With the whole-picture area the canvas grows
// to hold the whole turned picture and the uncovered corners take `fill`; multiples of 90 degrees are exact
// pixel moves. With a smaller area only that rectangle turns about its centre, clipped to it, and the picture
// keeps its size.
Picture ILRotate(const Picture& picture, double angleDegrees, const Area& area, Bgr fill);

}  // namespace zelpix::effects
