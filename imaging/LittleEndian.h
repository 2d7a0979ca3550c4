#pragma once
// Little-endian fields of file headers. Callers check the bounds first.
#include <cstdint>
#include <vector>

namespace zelpix {

inline std::uint16_t GetLe16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

inline std::uint32_t GetLe32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

inline std::int32_t GetLeI32(const std::uint8_t* p)
{
    return std::int32_t(GetLe32(p));
}

inline void PutLe16(std::uint8_t* p, std::uint32_t value)
{
    p[0] = std::uint8_t(value);
    p[1] = std::uint8_t(value >> 8);
}

inline void PutLe32(std::uint8_t* p, std::uint32_t value)
{
    PutLe16(p, value);
    PutLe16(p + 2, value >> 16);
}

}  // namespace zelpix
