#pragma once
// The six transforms the editor computes itself, with their exact integer arithmetic. Each takes the picture
// by value, changes it in place inside the area and hands it back, so a caller that moves its picture in
// pays for no copy. An area of (0, 0, 0, 0) is the whole picture.
#include "effects/ops/OperationSpec.h"
#include "imaging/Picture.h"

namespace zelpix::effects {

// Effect 28: each channel becomes P(x+1, y+1) - P(x, y) + 128, clamped; the bottom row is kept.
Picture Carve(Picture picture, const Area& area = {});
// Effect 29: each channel becomes P(x, y) - P(x+1, y+1) + 128, clamped; the bottom row is kept.
Picture Emboss(Picture picture, const Area& area = {});
// Effect 30: G' = (R + G) div 2, B' = (R + B) div 2.
Picture Spooky(Picture picture, const Area& area = {});
// Effect 31: R' = (R + G) div 2, G' = (G + B) div 2, B' = (R' + B) div 2.
Picture Purple(Picture picture, const Area& area = {});
// Effect 32: one of the 20 styles 0..19; throws ImagingError for another style.
Picture ColorSuperimposition(Picture picture, int style, const Area& area = {});
// Effect 33: a channel below 128 becomes 255 - v.
Picture Exposure(Picture picture, const Area& area = {});

inline constexpr int ColorSuperimpositionStyles = 20;

}  // namespace zelpix::effects
