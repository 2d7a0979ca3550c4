#pragma once
// Random numbers that depend only on where they are used: a hash of a position and a stream number.
// The same picture gives the same result whatever order (or thread) the rows are done in.
#include <cstdint>

namespace zelpix::effects {

// 64 well-mixed bits for (x, y) in the given stream.
inline std::uint64_t PositionHash(std::uint64_t x, std::uint64_t y, std::uint64_t stream)
{
    std::uint64_t z = (x * 0x9E3779B97F4A7C15ull) ^ (y * 0xC2B2AE3D27D4EB4Full) ^ (stream * 0x165667B19E3779F9ull);
    z ^= z >> 30;
    z *= 0xBF58476D1CE4E5B9ull;
    z ^= z >> 27;
    z *= 0x94D049BB133111EBull;
    z ^= z >> 31;
    return z;
}

// Lane k (0..3) of a hash as a number in [-1, 1).
inline double HashLane(std::uint64_t hash, int k)
{
    return double(std::int16_t(std::uint16_t(hash >> (16 * k)))) / 32768.0;
}

}  // namespace zelpix::effects
