// PNG through libpng. Library errors longjmp back to the function that set the jump; the objects that
// own memory live in that function's frame, so a jump frees everything.
#include "imaging/AlphaOverWhite.h"
#include "imaging/Codecs.h"
#include "imaging/ImagingError.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>

#include <png.h>

namespace zelpix {

namespace {

struct Failure {
    char message[200] = "";
};

[[noreturn]] void OnError(png_structp png, png_const_charp message)
{
    auto* failure = static_cast<Failure*>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

struct Source {
    ByteView data;
    std::size_t offset = 0;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (length > source->data.size() - source->offset)
        png_error(png, "the file is truncated");
    std::memcpy(out, source->data.data() + source->offset, length);
    source->offset += length;
}

// Bits per pixel reported for a file: bit depth x channels, where 2-bit palettes and grey count as 4
// (there is no 2-bit pixel format): 1, 4, 8 for palettes and grey, 16 for 16-bit grey or 8-bit grey
// with alpha, 24 for RGB, 32 for RGBA or 16-bit grey with alpha, 48 and 64 for 16-bit RGB and RGBA.
int SourceBits(int colorType, int bitDepth)
{
    if (colorType == PNG_COLOR_TYPE_PALETTE || colorType == PNG_COLOR_TYPE_GRAY)
        return bitDepth == 2 ? 4 : bitDepth;
    const int channels = colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2 : colorType == PNG_COLOR_TYPE_RGB ? 3 : 4;
    return channels * bitDepth;
}

// BGRA scan line composited over white into BGR.
void BgraRowOverWhite(const std::uint8_t* bgra, std::uint8_t* bgr, int width)
{
    for (int x = 0; x < width; ++x, bgra += 4, bgr += 3) {
        bgr[0] = OverWhite(bgra[0], bgra[3]);
        bgr[1] = OverWhite(bgra[1], bgra[3]);
        bgr[2] = OverWhite(bgra[2], bgra[3]);
    }
}

// Everything that may jump; it keeps no object with a destructor in its own frame.
void Decode(png_structp png, png_infop info, std::size_t dataSize, Picture& picture, Bytes& alphaRows, int& sourceBits)
{
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    CheckPictureSize(width, height);
    sourceBits = SourceBits(colorType, bitDepth);
    // Deflate packs at most 1032 bytes into one: far shorter data cannot hold the picture, and is refused
    // before anything is allocated.
    const std::uint64_t rawBytes = std::uint64_t(height) * (png_get_rowbytes(png, info) + 1);
    if (rawBytes / 1032 > dataSize)
        throw ImagingError("The PNG data is truncated.");

    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (bitDepth == 16)
        png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const bool alpha = png_get_channels(png, info) == 4;

    picture = Picture(int(width), int(height));
    const int h = int(height), w = int(width);
    if (!alpha) {
        for (int pass = 0; pass < passes; ++pass)
            for (int y = 0; y < h; ++y)
                png_read_row(png, picture.Row(y), nullptr);
    } else if (passes == 1) {
        alphaRows.resize(std::size_t(w) * 4);
        for (int y = 0; y < h; ++y) {
            png_read_row(png, alphaRows.data(), nullptr);
            BgraRowOverWhite(alphaRows.data(), picture.Row(y), w);
        }
    } else {
        // Interlaced passes fill in earlier rows again, so the whole picture is kept with its alpha.
        alphaRows.resize(std::size_t(w) * 4 * std::size_t(h));
        for (int pass = 0; pass < passes; ++pass)
            for (int y = 0; y < h; ++y)
                png_read_row(png, alphaRows.data() + std::size_t(y) * std::size_t(w) * 4, nullptr);
        for (int y = 0; y < h; ++y)
            BgraRowOverWhite(alphaRows.data() + std::size_t(y) * std::size_t(w) * 4, picture.Row(y), w);
    }
    png_read_end(png, nullptr);
}

struct Sink {
    Bytes* bytes;
};

void WriteToMemory(png_structp png, png_bytep data, png_size_t length)
{
    auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
    try {
        sink->bytes->insert(sink->bytes->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        png_error(png, "not enough memory");
    }
}

void FlushNothing(png_structp) {}

void Encode(png_structp png, png_infop info, const Picture& picture)
{
    png_set_IHDR(png, info, png_uint_32(picture.Width()), png_uint_32(picture.Height()), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Unfiltered rows at zlib's default level: the fast choice of the common PNG writers.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 6);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < picture.Height(); ++y)
        png_write_row(png, picture.Row(y));
    png_write_end(png, info);
}

}  // namespace

DecodedPicture ReadPng(ByteView data)
{
    if (data.size() < 8 || png_sig_cmp(data.data(), 0, 8) != 0)
        throw ImagingError("This is not a PNG file.");
    Failure failure;
    Source source{data, 0};
    Picture picture;
    Bytes alphaRows;
    int sourceBits = 24;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &failure, OnError, OnWarning);
    if (!png)
        throw ImagingError("Not enough memory to read the PNG file.");
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        throw ImagingError("Not enough memory to read the PNG file.");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw ImagingError(std::string("The PNG data cannot be decoded: ") + failure.message + ".");
    }
    png_set_read_fn(png, &source, ReadFromMemory);
    try {
        Decode(png, info, data.size(), picture, alphaRows, sourceBits);
    } catch (...) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return {std::move(picture), sourceBits};
}

Bytes WritePng(const Picture& picture)
{
    if (picture.IsEmpty())
        throw ImagingError("There is no picture to write.");
    Failure failure;
    Bytes bytes;
    bytes.reserve(picture.ByteSize() / 2 + 1024);
    Sink sink{&bytes};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, OnError, OnWarning);
    if (!png)
        throw ImagingError("Not enough memory to write the PNG file.");
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        throw ImagingError("Not enough memory to write the PNG file.");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw ImagingError(std::string("The PNG file cannot be written: ") + failure.message + ".");
    }
    png_set_write_fn(png, &sink, WriteToMemory, FlushNothing);
    Encode(png, info, picture);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

}  // namespace zelpix
