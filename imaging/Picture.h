#pragma once
// The picture every document edits: 24 bits per pixel, blue-green-red, rows top to bottom,
// each row padded to a multiple of 4 bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace zelpix {

struct Bgr {
    std::uint8_t b = 0, g = 0, r = 0;
    friend bool operator==(const Bgr&, const Bgr&) = default;
};

// Largest picture accepted from any source, checked before any allocation.
inline constexpr std::int64_t MaxPicturePixels = std::int64_t(1) << 28;
inline constexpr int MaxPictureSide = 65535;

// Throws ImagingError when width x height may not be allocated (non-positive, over the limits).
void CheckPictureSize(std::int64_t width, std::int64_t height);

class Picture {
public:
    Picture() = default;
    // A black picture; throws ImagingError when the size is refused.
    Picture(int width, int height);
    Picture(const Picture& other);
    Picture& operator=(const Picture& other);
    Picture(Picture&& other) noexcept;
    Picture& operator=(Picture&& other) noexcept;
    ~Picture() = default;

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool IsEmpty() const { return width_ == 0 || height_ == 0; }
    // Bytes from one row to the next: width * 3 rounded up to a multiple of 4.
    std::size_t Stride() const { return stride_; }
    std::size_t ByteSize() const { return stride_ * std::size_t(height_); }
    static std::size_t StrideFor(int width) { return (std::size_t(width) * 3 + 3) & ~std::size_t(3); }

    std::uint8_t* Row(int y) { return data_.get() + stride_ * std::size_t(y); }
    const std::uint8_t* Row(int y) const { return data_.get() + stride_ * std::size_t(y); }
    std::uint8_t* Bits() { return data_.get(); }
    const std::uint8_t* Bits() const { return data_.get(); }

    Bgr Pixel(int x, int y) const
    {
        const std::uint8_t* p = Row(y) + 3 * std::size_t(x);
        return {p[0], p[1], p[2]};
    }
    void SetPixel(int x, int y, Bgr c)
    {
        std::uint8_t* p = Row(y) + 3 * std::size_t(x);
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
    }
    void Fill(Bgr c);

    // Same size and the same pixels (row padding is not compared).
    bool SamePixels(const Picture& other) const;

private:
    struct FreeBytes {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    int width_ = 0;
    int height_ = 0;
    std::size_t stride_ = 0;
    std::unique_ptr<std::uint8_t, FreeBytes> data_;
};

}  // namespace zelpix
