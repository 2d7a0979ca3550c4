// GIF through giflib: the first frame of a file, and single pictures in the fixed 216-colour palette.
#include "imaging/Codecs.h"
#include "imaging/ImagingError.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include <gif_lib.h>

namespace zelpix {

namespace {

struct Source {
    ByteView data;
    std::size_t offset = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int length)
{
    auto* source = static_cast<Source*>(gif->UserData);
    const std::size_t n = std::min(std::size_t(std::max(length, 0)), source->data.size() - source->offset);
    std::memcpy(out, source->data.data() + source->offset, n);
    source->offset += n;
    return int(n);
}

struct CloseDecoder {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};

[[noreturn]] void Fail(const GifFileType* gif)
{
    const char* reason = GifErrorString(gif->Error);
    throw ImagingError(std::string("The GIF data cannot be decoded: ") + (reason ? reason : "unknown error") + ".");
}

using Palette = std::array<Bgr, 256>;

// Indices past the end of a colour table give black.
Palette ToPalette(const ColorMapObject* map)
{
    Palette palette{};
    const int count = std::min(map->ColorCount, 256);
    for (int i = 0; i < count; ++i)
        palette[std::size_t(i)] = {map->Colors[i].Blue, map->Colors[i].Green, map->Colors[i].Red};
    return palette;
}

// Row order of an interlaced frame: every 8th row from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
void InterlacedRowOrder(int height, std::vector<int>& order)
{
    static constexpr int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass])
            order.push_back(y);
}

}  // namespace

DecodedPicture ReadGifFirstFrame(ByteView data)
{
    if (data.size() < 13 || std::memcmp(data.data(), "GIF8", 4) != 0)
        throw ImagingError("This is not a GIF file.");
    Source source{data, 0};
    int error = 0;
    std::unique_ptr<GifFileType, CloseDecoder> gif(DGifOpen(&source, ReadFromMemory, &error));
    if (!gif) {
        const char* reason = GifErrorString(error);
        throw ImagingError(std::string("The GIF data cannot be decoded: ") + (reason ? reason : "unknown error") + ".");
    }

    int transparent = -1;
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR)
            Fail(gif.get());
        if (record == TERMINATE_RECORD_TYPE)
            throw ImagingError("The GIF file holds no picture.");
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
                Fail(gif.get());
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
                transparent = (block[1] & 1) ? block[4] : -1;
            while (block)
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
                    Fail(gif.get());
            continue;
        }
        if (record == IMAGE_DESC_RECORD_TYPE)
            break;
    }
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
        Fail(gif.get());

    const GifImageDesc& frame = gif->Image;
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map)
        throw ImagingError("The GIF file has no colour table.");
    if (frame.Width <= 0 || frame.Height <= 0)
        throw ImagingError("The GIF file's first frame is empty.");
    // The logical screen, grown where the frame reaches past it.
    const std::int64_t width = std::max<std::int64_t>(gif->SWidth, std::int64_t(frame.Left) + frame.Width);
    const std::int64_t height = std::max<std::int64_t>(gif->SHeight, std::int64_t(frame.Top) + frame.Height);
    CheckPictureSize(width, height);

    Bgr background{255, 255, 255};
    if (gif->SColorMap && gif->SBackGroundColor < gif->SColorMap->ColorCount) {
        const GifColorType& c = gif->SColorMap->Colors[gif->SBackGroundColor];
        background = {c.Blue, c.Green, c.Red};
    }
    Palette palette = ToPalette(map);
    if (transparent >= 0)
        palette[std::size_t(transparent)] = {255, 255, 255};

    // The frame's rows first, in the order they are stored, so that damaged data fails before the
    // screen is allocated; the buffer grows only as rows arrive.
    const std::size_t frameWidth = std::size_t(frame.Width);
    std::vector<GifPixelType> indices;
    for (int row = 0; row < frame.Height; ++row) {
        indices.resize(indices.size() + frameWidth);
        if (DGifGetLine(gif.get(), indices.data() + indices.size() - frameWidth, frame.Width) == GIF_ERROR)
            Fail(gif.get());
    }
    std::vector<int> order;
    order.reserve(std::size_t(frame.Height));
    if (frame.Interlace)
        InterlacedRowOrder(frame.Height, order);
    else
        for (int y = 0; y < frame.Height; ++y)
            order.push_back(y);

    Picture picture{int(width), int(height)};
    if (frame.Width < width || frame.Height < height)
        picture.Fill(background);
    const GifPixelType* in = indices.data();
    for (const int y : order) {
        std::uint8_t* out = picture.Row(frame.Top + y) + 3 * std::size_t(frame.Left);
        for (std::size_t x = 0; x < frameWidth; ++x, out += 3) {
            const Bgr c = palette[*in++];
            out[0] = c.b;
            out[1] = c.g;
            out[2] = c.r;
        }
    }
    const int bits = map->ColorCount == 2 ? 1 : map->ColorCount == 16 ? 4 : 8;
    return {std::move(picture), bits};
}

namespace {

int WriteToMemory(GifFileType* gif, const GifByteType* data, int length)
{
    auto* bytes = static_cast<Bytes*>(gif->UserData);
    try {
        bytes->insert(bytes->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        return 0;  // giflib reports the short write
    }
    return length;
}

// Per channel the index contribution of the nearest of the levels 0, 51, ..., 255.
struct LevelTables {
    std::array<std::uint8_t, 256> red{}, green{}, blue{};
    LevelTables()
    {
        for (int v = 0; v < 256; ++v) {
            const int level = (v + 25) / 51;
            red[std::size_t(v)] = std::uint8_t(level * 36);
            green[std::size_t(v)] = std::uint8_t(level * 6);
            blue[std::size_t(v)] = std::uint8_t(level);
        }
    }
};

}  // namespace

Bytes WriteGif216(const Picture& picture)
{
    if (picture.IsEmpty())
        throw ImagingError("There is no picture to write.");
    static const LevelTables tables;
    // Entry r * 36 + g * 6 + b is the colour (51 r, 51 g, 51 b); the last 40 entries stay black.
    std::unique_ptr<ColorMapObject, void (*)(ColorMapObject*)> map(GifMakeMapObject(256, nullptr), GifFreeMapObject);
    if (!map)
        throw ImagingError("Not enough memory to write the GIF file.");
    for (int i = 0; i < 216; ++i)
        map->Colors[i] = {GifByteType(i / 36 * 51), GifByteType(i / 6 % 6 * 51), GifByteType(i % 6 * 51)};

    Bytes bytes;
    int error = 0;
    GifFileType* gif = EGifOpen(&bytes, WriteToMemory, &error);
    if (!gif)
        throw ImagingError("The GIF file cannot be written.");
    const int w = picture.Width();
    std::vector<GifPixelType> line(static_cast<std::size_t>(w));
    bool ok = EGifPutScreenDesc(gif, w, picture.Height(), 8, 0, map.get()) != GIF_ERROR &&
              EGifPutImageDesc(gif, 0, 0, w, picture.Height(), false, nullptr) != GIF_ERROR;
    for (int y = 0; ok && y < picture.Height(); ++y) {
        const std::uint8_t* p = picture.Row(y);
        for (int x = 0; x < w; ++x, p += 3)
            line[std::size_t(x)] = GifPixelType(tables.blue[p[0]] + tables.green[p[1]] + tables.red[p[2]]);
        ok = EGifPutLine(gif, line.data(), w) != GIF_ERROR;
    }
    if (!ok)
        error = gif->Error;
    if (EGifCloseFile(gif, ok ? &error : nullptr) == GIF_ERROR && ok)
        ok = false;
    if (!ok) {
        const char* reason = GifErrorString(error);
        throw ImagingError(std::string("The GIF file cannot be written: ") + (reason ? reason : "unknown error") + ".");
    }
    return bytes;
}

}  // namespace zelpix
