#pragma once
// Effects 1..9 of the catalogue: colour perfecting, blurring, page curl, edges, relief and borders.
// Each reads a picture and returns a new one of the same size; pixels outside the area are copied unchanged.
// An area of (0, 0, 0, 0) is the whole picture.
#include "effects/ops/OperationSpec.h"
#include "imaging/Picture.h"

#include <cstdint>

namespace zelpix::effects {

// Effect 1: stretches each channel to the full range 0..255.
Picture AutoContrast(const Picture& picture, const Area& area);

// Effect 2: colours run into their neighbours like wet ink; `value` (1..1000) sets the reach.
Picture Bled(const Picture& picture, int value, const Area& area);

// Effect 3: a Gaussian blur of standard deviation `value` pixels (1..100).
Picture Blur(const Picture& picture, int value, const Area& area);

// Effect 4: curls one corner of the page over a cylinder. `original`: where the page has gone the picture
// stays, else the fore colour (`foreground`) or the back colour (`background`) shows; `foregroundCurl` /
// `backgroundCurl`: the back of the page is the fore or the back colour, mixed with the picture showing
// through at 1 - `opacity` (0.25..1.0); `underShade`: a shadow along the curl. `vertical` rolls a lower corner
// up (`lowerLeft` / `lowerRight`), `horizontal` an upper corner (`upperLeft` / `upperRight`).
Picture Curl(const Picture& picture, bool foreground, bool background, bool original, bool foregroundCurl,
             bool backgroundCurl, double opacity, bool underShade, bool lowerLeft, bool lowerRight, bool upperLeft,
             bool upperRight, bool vertical, bool horizontal, std::uint8_t backRed, std::uint8_t backGreen,
             std::uint8_t backBlue, std::uint8_t foreRed, std::uint8_t foreGreen, std::uint8_t foreBlue,
             const Area& area);

// Effect 5: traces edges with strength `value` (1..20).
Picture Edge(const Picture& picture, int value, const Area& area);

// Effect 6: cuts a grey relief of depth `value` (1..100).
Picture Engrave(const Picture& picture, int value, const Area& area);

// Effect 7: brightness (0..1000), contrast (0..1000) and a colour cast of the colour (blue, green, red, 0..255).
Picture Enhance(const Picture& picture, int brightness, int contrast, int blue, int green, int red,
                const Area& area);

// Effect 8: breaks the picture into raised blocks of side `size` x (`levels` + 1) pixels (levels 1..100,
// size 3 in the dialog, 1..100 accepted).
Picture ExtrudeDib(const Picture& picture, int levels, int size);

// Effect 9: fades a border `border` pixels wide (1..100) into the colour (red, green, blue).
Picture FadeDib(const Picture& picture, int border, int red, int green, int blue, const Area& area);

}  // namespace zelpix::effects
