#pragma once
#include <cmath>
#include <cstdint>

namespace zelpix {

// Round to the nearest integer, ties to the even neighbour (2.5 -> 2, 3.5 -> 4).
inline std::int64_t Round(double value)
{
    const double down = std::floor(value);
    const double diff = value - down;
    std::int64_t result = std::int64_t(down);
    if (diff > 0.5 || (diff == 0.5 && (result & 1) != 0))
        ++result;
    return result;
}

// Limit to 0..255 before a channel is stored.
inline std::uint8_t ClampByte(int value)
{
    return std::uint8_t(value < 0 ? 0 : (value > 255 ? 255 : value));
}

}  // namespace zelpix
