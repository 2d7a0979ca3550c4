#pragma once
// Resampling to any size with a choice of filters.
#include "imaging/Picture.h"

namespace zelpix::effects {

// In the order of the "Zoom Filter" list.
enum class ResampleFilter { None, Bell, Bspline, Hermite, Lanczos3, Mitchell, Triangle };

// A picture of newWidth x newHeight (each 1..MaxPictureSide, else ImagingError). None takes the nearest
// source pixel; the others are separable filters, widened when shrinking.
Picture Resample(const Picture& picture, int newWidth, int newHeight, ResampleFilter filter);

}  // namespace zelpix::effects
