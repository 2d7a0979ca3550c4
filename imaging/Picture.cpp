#include "imaging/Picture.h"

#include "imaging/HugePages.h"
#include "imaging/ImagingError.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace zelpix {

void CheckPictureSize(std::int64_t width, std::int64_t height)
{
    if (width <= 0 || height <= 0)
        throw ImagingError("Invalid picture size " + std::to_string(width) + " x " + std::to_string(height) + ".");
    if (width > MaxPictureSide || height > MaxPictureSide || width * height > MaxPicturePixels)
        throw ImagingError("The picture is too large (" + std::to_string(width) + " x " + std::to_string(height) +
                           "); at most 65535 pixels on a side and 268435456 pixels in all are supported.");
}

Picture::Picture(int width, int height)
{
    CheckPictureSize(width, height);
    const std::size_t stride = StrideFor(width);
    auto* bytes = static_cast<std::uint8_t*>(std::calloc(stride, std::size_t(height)));
    if (!bytes)
        throw ImagingError("Not enough memory for a picture of " + std::to_string(width) + " x " +
                           std::to_string(height) + ".");
    AdviseHugePages(bytes, stride * std::size_t(height));
    data_.reset(bytes);
    width_ = width;
    height_ = height;
    stride_ = stride;
}

Picture::Picture(const Picture& other)
{
    *this = other;
}

Picture& Picture::operator=(const Picture& other)
{
    if (this == &other)
        return *this;
    if (other.IsEmpty()) {
        data_.reset();
        width_ = height_ = 0;
        stride_ = 0;
        return *this;
    }
    if (width_ != other.width_ || height_ != other.height_) {
        auto* bytes = static_cast<std::uint8_t*>(std::malloc(other.ByteSize()));
        if (!bytes)
            throw ImagingError("Not enough memory to copy a picture.");
        AdviseHugePages(bytes, other.ByteSize());
        data_.reset(bytes);
        width_ = other.width_;
        height_ = other.height_;
        stride_ = other.stride_;
    }
    std::memcpy(data_.get(), other.data_.get(), other.ByteSize());
    return *this;
}

Picture::Picture(Picture&& other) noexcept
    : width_(other.width_), height_(other.height_), stride_(other.stride_), data_(std::move(other.data_))
{
    other.width_ = other.height_ = 0;
    other.stride_ = 0;
}

Picture& Picture::operator=(Picture&& other) noexcept
{
    if (this != &other) {
        data_ = std::move(other.data_);
        width_ = other.width_;
        height_ = other.height_;
        stride_ = other.stride_;
        other.width_ = other.height_ = 0;
        other.stride_ = 0;
    }
    return *this;
}

void Picture::Fill(Bgr c)
{
    if (IsEmpty())
        return;
    std::uint8_t* first = Row(0);
    for (int x = 0; x < width_; ++x) {
        first[3 * x] = c.b;
        first[3 * x + 1] = c.g;
        first[3 * x + 2] = c.r;
    }
    for (int y = 1; y < height_; ++y)
        std::memcpy(Row(y), first, stride_);
}

bool Picture::SamePixels(const Picture& other) const
{
    if (width_ != other.width_ || height_ != other.height_)
        return false;
    const std::size_t rowBytes = std::size_t(width_) * 3;
    for (int y = 0; y < height_; ++y)
        if (std::memcmp(Row(y), other.Row(y), rowBytes) != 0)
            return false;
    return true;
}

}  // namespace zelpix
