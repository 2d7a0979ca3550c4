#pragma once
// Colour and tone effects: each reads a picture and returns a new one of the same size; pixels outside
// the area are copied unchanged. An area of (0, 0, 0, 0) is the whole picture.
#include "effects/ops/OperationSpec.h"
#include "imaging/Picture.h"

namespace zelpix::effects {

// Effect 10: greys the low-saturation parts of the picture.
Picture GrayArea(const Picture& picture, const Area& area);

// Effect 12: the six hue bands (red, green, blue, yellow, magenta, cyan), then overall hue (vHel),
// saturation (vSet) and brightness (vBri); each 1..1000, 1 is neutral, so all at 1 leave the picture unchanged.
Picture ilHueAndSaturation(const Picture& picture, int red, int green, int blue, int yellow, int magenta, int cyan,
                           int vHel, int vSet, int vBri, const Area& area);

// Effect 17: overall noise `value` (0..2000), grey noise `gray` (0..2000) and per-channel noise
// `red`, `green`, `blue` (1..1000); red, green or blue below 1 leaves the picture unchanged.
Picture Noise(const Picture& picture, int value, int gray, int red, int green, int blue, const Area& area);

// Effect 25: black and white at `value` (0..300), with soft edges when `antiAliasing` is set.
Picture ThresholdDib(const Picture& picture, int value, bool antiAliasing, const Area& area);

// Effect 26: equalises the histogram of the whole picture.
Picture HistAutoEqualize(const Picture& picture);

}  // namespace zelpix::effects
