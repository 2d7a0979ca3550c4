#pragma once
// Compositing over a white background, the rule for every reader of pictures with alpha.
#include <cstdint>

namespace zelpix {

// A colour channel c with coverage a (both 0..255) over white, rounded.
inline std::uint8_t OverWhite(unsigned c, unsigned a)
{
    return std::uint8_t((c * a + 255 * (255 - a) + 127) / 255);
}

}  // namespace zelpix
