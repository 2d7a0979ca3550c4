#pragma once
// Pixelating and neighbourhood effects. They return a new picture of the same size; pixels outside the area
// are copied unchanged.
#include "effects/ops/OperationSpec.h"
#include "imaging/Picture.h"

namespace zelpix::effects {

// Effect 11: a halftone screen with cells of `cellSize` pixels (1..50), the screen turned by `angle`
// degrees (0..360), and dots of `shape` 0..6: circle, ellipse, square, diamond, wave, quadrangle, inset square.
Picture HToneImage(const Picture& picture, int cellSize, float angle, int shape);

// Effect 16: motion blur over `value` pixels (2..100) along `angle` degrees (0..360): each pixel averages the
// pixels behind it (`mode` 1, so a streak runs ahead in the angle's direction), on both sides (2) or ahead (3).
Picture Motion(const Picture& picture, int value, int angle, int mode, const Area& area);

// Effect 18: oil paint: each pixel takes the mean colour of the most frequent intensity within `value`
// pixels (1..20).
Picture OilPainting(const Picture& picture, int value, const Area& area);

// Effect 20: pixelates into blocks of `value` pixels (1..1000).
Picture PixelFix(const Picture& picture, int value, const Area& area);

// Effect 22: sharpens with strength `value` (1..15).
Picture Better(const Picture& picture, int value, const Area& area);

// Effect 24: lays the picture out as tiles.
Picture TileDib(const Picture& picture);

}  // namespace zelpix::effects
