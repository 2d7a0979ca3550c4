#pragma once
// Row kernels shared by our own readers: palette expansion of packed indices, channels taken from
// bit masks, and alpha composited over white.
#include "imaging/Picture.h"

#include <array>
#include <bit>
#include <cstdint>

namespace zelpix {

// Always 256 entries: shorter palettes of a file are padded with black, so any 8-bit index is safe.
using Palette = std::array<Bgr, 256>;

inline Palette GreyPalette()
{
    Palette palette;
    for (int i = 0; i < 256; ++i)
        palette[i] = {std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)};
    return palette;
}

namespace detail {
template <int Bits>
inline void ExpandIndexedRowOf(const std::uint8_t* src, int width, const Palette& palette, std::uint8_t* dst)
{
    constexpr int perByte = 8 / Bits;
    constexpr unsigned mask = (1u << Bits) - 1;
    int x = 0;
    for (; x + perByte <= width; x += perByte) {
        const unsigned byte = *src++;
        for (int k = 0; k < perByte; ++k) {
            const Bgr c = palette[(byte >> (8 - Bits * (k + 1))) & mask];
            dst[0] = c.b;
            dst[1] = c.g;
            dst[2] = c.r;
            dst += 3;
        }
    }
    if (x < width) {
        const unsigned byte = *src;
        for (int k = 0; x < width; ++k, ++x) {
            const Bgr c = palette[(byte >> (8 - Bits * (k + 1))) & mask];
            dst[0] = c.b;
            dst[1] = c.g;
            dst[2] = c.r;
            dst += 3;
        }
    }
}
}  // namespace detail

// Expands `width` indices of 1, 2, 4 or 8 bits each, packed most significant first, into BGR pixels.
// Reads (width * bits + 7) / 8 bytes of src.
inline void ExpandIndexedRow(const std::uint8_t* src, int bits, int width, const Palette& palette, std::uint8_t* dst)
{
    switch (bits) {
    case 1: detail::ExpandIndexedRowOf<1>(src, width, palette, dst); break;
    case 2: detail::ExpandIndexedRowOf<2>(src, width, palette, dst); break;
    case 4: detail::ExpandIndexedRowOf<4>(src, width, palette, dst); break;
    default: detail::ExpandIndexedRowOf<8>(src, width, palette, dst); break;
    }
}

// One colour channel held under a bit mask of any width, widened or narrowed to 8 bits: narrow channels
// are scaled by v * 255 / max, truncated (5 bits: 31 -> 255, 16 -> 131), wider ones keep their top 8 bits.
class MaskChannel {
public:
    MaskChannel() { lut_.fill(0); }
    explicit MaskChannel(std::uint32_t mask)
    {
        lut_.fill(0);
        if (mask == 0)
            return;
        shift_ = std::countr_zero(mask);
        int width = 32 - std::countl_zero(mask) - shift_;
        if (width > 8) {
            shift_ += width - 8;
            width = 8;
        }
        low_ = (1u << width) - 1;
        for (std::uint32_t v = 0; v <= low_; ++v)
            lut_[v] = std::uint8_t(v * 255 / low_);
    }
    std::uint8_t operator()(std::uint32_t pixel) const { return lut_[(pixel >> shift_) & low_]; }
    bool Present() const { return low_ != 0; }

private:
    int shift_ = 0;
    std::uint32_t low_ = 0;
    std::array<std::uint8_t, 256> lut_;
};

// c * a + white * (255 - a), divided by 255 with rounding.
inline std::uint8_t OverWhite(unsigned c, unsigned a)
{
    return std::uint8_t((c * a + 255 * (255 - a) + 127) / 255);
}

// Composites a BGR row over white with one alpha byte per pixel.
inline void CompositeRowOverWhite(std::uint8_t* bgr, const std::uint8_t* alpha, int width)
{
    for (int x = 0; x < width; ++x, bgr += 3) {
        const unsigned a = alpha[x];
        if (a == 255)
            continue;
        bgr[0] = OverWhite(bgr[0], a);
        bgr[1] = OverWhite(bgr[1], a);
        bgr[2] = OverWhite(bgr[2], a);
    }
}

}  // namespace zelpix
