#pragma once
// How an effect or adjustment operation is described once for every caller: the filter window, the menus,
// the dialogs, the previews and `zelpix-cli effect` all read these records.
#include "imaging/Picture.h"

#include <functional>
#include <string>
#include <vector>

namespace zelpix::effects {

// An area of the picture (left, top, right, bottom); a right or bottom of 0 means the whole width or height.
struct Area {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// The area clipped to a picture of width x height, as half-open pixel ranges [x0, x1) x [y0, y1).
struct PixelRect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool IsEmpty() const { return x1 <= x0 || y1 <= y0; }
};
PixelRect ResolveArea(const Area& area, int width, int height);

enum class ParamKind {
    Integer, // an up-down position
    Double,  // a floating value (rare; most doubles come from integer controls)
    Flag,    // a tick box or one option button of a pair: 0 or 1
    Choice,  // one of `choices`, the value is its index
    Colour,  // a colour as 0x00BBGGRR (red in the low byte)
};

struct ParamSpec {
    std::string controlName; // the control whose value is passed, e.g. "BlValues"
    std::string label;       // the label beside it, e.g. "Value"
    ParamKind kind = ParamKind::Integer;
    double minimum = 0;
    double maximum = 0;
    double defaultValue = 0;
    std::vector<std::string> choices; // for ParamKind::Choice
};

// One value per ParamSpec of the operation, in the same order.
using ParamValues = std::vector<double>;

inline Bgr ColourToBgr(double colour)
{
    const auto c = static_cast<unsigned>(colour);
    return {std::uint8_t((c >> 16) & 0xFF), std::uint8_t((c >> 8) & 0xFF), std::uint8_t(c & 0xFF)};
}
inline double BgrToColour(Bgr c)
{
    return double(unsigned(c.r) | (unsigned(c.g) << 8) | (unsigned(c.b) << 16));
}

}  // namespace zelpix::effects
