#pragma once
// Whole-picture colour adjustments: contrast, HSV/HSL variation, RGB intensity, grey scale, negative,
// channel splits and the colour count. Each returns a new picture of the same size.
#include "imaging/Picture.h"

#include <cstdint>

namespace zelpix::effects {

// contrast -100..100 (0 leaves the picture unchanged).
Picture Contrast(const Picture& picture, int contrast);
// Each -180..180 (0, 0, 0: unchanged). Hue turns by that many degrees; saturation is scaled by 1 + S/100 upward
// and 1 + S/180 downward (-180: grey); value moves |V|/180 of the way toward full (V > 0) or black (V < 0).
Picture HSVvar(const Picture& picture, int hue, int saturation, int value);
// As HSVvar with lightness in place of value (+180: white, -180: black).
Picture HSLvar(const Picture& picture, int hue, int saturation, int luminosity);
// Each -255..255 added to its channel, limited to 0..255.
Picture IntensityRGBall(const Picture& picture, int red, int green, int blue);

Picture GrayScale(const Picture& picture);
Picture Negative(const Picture& picture);

// Three grey pictures of the same size: red, green, blue or hue, saturation, value.
struct ChannelPictures {
    Picture first, second, third;
};
ChannelPictures SplitRgbChannels(const Picture& picture);
// Hue 0..359 scaled onto 0..255, saturation and value 0..99 onto 0..255.
ChannelPictures SplitHsvChannels(const Picture& picture);

// Number of distinct colours.
std::int64_t CountColors(const Picture& picture);

}  // namespace zelpix::effects
