#pragma once
// Geometric effects: each output pixel is sampled from a mapped position of the source picture.
// They return a new picture of the same size; pixels outside the area are copied unchanged.
#include "effects/ops/OperationSpec.h"
#include "imaging/Picture.h"

namespace zelpix::effects {

// Effect 13: displaces pixels along one of six wave shapes (1..6) with `period` and `amplitude` in pixels
// (0..3000 each); an amplitude of 0 leaves the picture unchanged.
Picture Jiggle(const Picture& picture, int period, int amplitude, int shape, const Area& area);

// Effect 14: magnifies the part of the picture inside the rectangle (left, top, width, height, in pixels of
// this picture) as a lens of the refraction index `refraction` (1..20) would.
Picture Lens(const Picture& picture, int left, int top, int width, int height, double refraction);

// Effect 15: ripples the picture: `amplitude` and `waveLength` in pixels (0..200), `phase` (0..100) shifts the
// wave; `reflective` mirrors samples that fall outside the picture instead of holding the edge.
Picture Wave(const Picture& picture, int amplitude, int waveLength, int phase, bool reflective);

// Effect 19: pinches the picture toward its centre with strength `value` (1..6).
Picture PinchHole(const Picture& picture, double value, const Area& area);

// Effect 21: wraps the area around its centre (rectangular to polar), or unwraps it with `inverse`; the
// picture goes `value` times round the circle (1..1000), turned by `angle` degrees (0..360); `backward` runs the
// angle the other way round.
Picture RecToPolar(const Picture& picture, int value, int angle, bool inverse, bool backward, const Area& area);

// Effect 23: scatters pixels up to `value` pixels away (0..100) with colour noise `colour` (0..1000).
Picture Spray(const Picture& picture, int value, int colour, const Area& area);

// Effect 27: whirls the picture around the centre of the area; `value` (1..10000) sets the angle.
Picture Whirl(const Picture& picture, double value, const Area& area);

}  // namespace zelpix::effects
