// JPEG 2000 through OpenJPEG on memory: jp2 files and raw code streams.
#include "imaging/AlphaOverWhite.h"
#include "imaging/Codecs.h"
#include "imaging/ImagingError.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>

#include <openjpeg.h>

namespace zelpix {

namespace {

// Decoded component planes (4 bytes a sample) may not exceed this.
constexpr std::uint64_t MaxPlaneBytes = std::uint64_t(1) << 30;

struct Stream {
    ByteView in;
    Bytes* out = nullptr;
    std::uint64_t position = 0;
};

OPJ_SIZE_T ReadProc(void* buffer, OPJ_SIZE_T size, void* user)
{
    auto* s = static_cast<Stream*>(user);
    if (s->position >= s->in.size())
        return OPJ_SIZE_T(-1);
    const std::size_t n = std::min<std::uint64_t>(size, s->in.size() - s->position);
    std::memcpy(buffer, s->in.data() + s->position, n);
    s->position += n;
    return n;
}

OPJ_SIZE_T WriteProc(void* buffer, OPJ_SIZE_T size, void* user)
{
    auto* s = static_cast<Stream*>(user);
    const std::uint64_t end = s->position + size;
    try {
        if (end > s->out->size())
            s->out->resize(std::size_t(end));
    } catch (const std::bad_alloc&) {
        return OPJ_SIZE_T(-1);
    }
    std::memcpy(s->out->data() + s->position, buffer, size);
    s->position = end;
    return size;
}

std::uint64_t StreamSize(const Stream& s)
{
    return s.out ? s.out->size() : s.in.size();
}

OPJ_OFF_T SkipProc(OPJ_OFF_T count, void* user)
{
    auto* s = static_cast<Stream*>(user);
    const std::int64_t target = std::int64_t(s->position) + count;
    if (target < 0 || (!s->out && std::uint64_t(target) > s->in.size()))
        return -1;
    s->position = std::uint64_t(target);
    return count;
}

OPJ_BOOL SeekProc(OPJ_OFF_T offset, void* user)
{
    auto* s = static_cast<Stream*>(user);
    if (offset < 0 || (!s->out && std::uint64_t(offset) > StreamSize(*s)))
        return OPJ_FALSE;
    s->position = std::uint64_t(offset);
    return OPJ_TRUE;
}

void Remember(const char* message, void* user)
{
    auto* text = static_cast<std::string*>(user);
    if (text->empty()) {
        *text = message;
        while (!text->empty() && (text->back() == '\n' || text->back() == ' '))
            text->pop_back();
    }
}

void Ignore(const char*, void*) {}

struct Handles {
    opj_codec_t* codec = nullptr;
    opj_stream_t* stream = nullptr;
    opj_image_t* image = nullptr;
    ~Handles()
    {
        if (image)
            opj_image_destroy(image);
        if (stream)
            opj_stream_destroy(stream);
        if (codec)
            opj_destroy_codec(codec);
    }
};

opj_stream_t* MakeStream(Stream& s, bool input)
{
    opj_stream_t* stream = opj_stream_create(1 << 16, input ? OPJ_TRUE : OPJ_FALSE);
    if (!stream)
        throw ImagingError("Not enough memory for the JPEG 2000 codec.");
    if (input) {
        opj_stream_set_read_function(stream, ReadProc);
        opj_stream_set_user_data_length(stream, s.in.size());
    } else {
        opj_stream_set_write_function(stream, WriteProc);
    }
    opj_stream_set_skip_function(stream, SkipProc);
    opj_stream_set_seek_function(stream, SeekProc);
    opj_stream_set_user_data(stream, &s, nullptr);
    return stream;
}

void SetHandlers(opj_codec_t* codec, std::string& error)
{
    opj_set_error_handler(codec, Remember, &error);
    opj_set_warning_handler(codec, Ignore, nullptr);
    opj_set_info_handler(codec, Ignore, nullptr);
}

[[noreturn]] void Fail(const char* what, const std::string& error)
{
    throw ImagingError(std::string("The JPEG 2000 data cannot be decoded: ") + what +
                       (error.empty() ? "" : " (" + error + ")") + ".");
}

bool StartsWith(ByteView data, std::initializer_list<std::uint8_t> magic)
{
    return data.size() >= magic.size() && std::equal(magic.begin(), magic.end(), data.begin());
}

// One component's samples as 8-bit values, for a column and row of the picture (nearest sample where the
// component is subsampled).
struct Plane {
    const opj_image_comp_t* comp;
    std::int64_t max;
    std::int64_t offset;

    explicit Plane(const opj_image_comp_t* c)
        : comp(c), max((std::int64_t(1) << c->prec) - 1), offset(c->sgnd ? std::int64_t(1) << (c->prec - 1) : 0)
    {
    }
    // A sample as an unsigned value of the component's precision.
    std::int64_t Unsigned(OPJ_INT32 raw) const { return std::clamp<std::int64_t>(std::int64_t(raw) + offset, 0, max); }
    // Scaled with rounding from the component's precision to 8 bits.
    std::uint8_t Scale(std::int64_t v) const
    {
        return max == 255 ? std::uint8_t(v) : std::uint8_t((std::uint64_t(v) * 255 + std::uint64_t(max) / 2) / std::uint64_t(max));
    }
};

// sYCC to RGB as OpenJPEG's own tools convert it, in the luma component's precision.
void YccToRgb(std::int64_t (&v)[4], std::int64_t max)
{
    const std::int64_t half = (max + 1) / 2;
    const float cb = float(v[1] - half), cr = float(v[2] - half);
    const std::int64_t y = v[0];
    v[0] = std::clamp<std::int64_t>(y + std::int64_t(1.402f * cr), 0, max);
    v[1] = std::clamp<std::int64_t>(y - std::int64_t(0.344f * cb + 0.714f * cr), 0, max);
    v[2] = std::clamp<std::int64_t>(y + std::int64_t(1.772f * cb), 0, max);
}

std::uint32_t Be32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// The code stream inside a jp2 file: the data of its "jp2c" box (empty when there is none).
ByteView CodeStreamOf(ByteView data)
{
    std::size_t at = 0;
    while (data.size() - at >= 8) {
        std::uint64_t length = Be32(data.data() + at);
        std::size_t header = 8;
        if (length == 1) {
            if (data.size() - at < 16)
                break;
            length = std::uint64_t(Be32(data.data() + at + 8)) << 32 | Be32(data.data() + at + 12);
            header = 16;
        } else if (length == 0) {
            length = data.size() - at;
        }
        if (length < header || length > data.size() - at)
            length = data.size() - at;  // a cut file: what is there
        if (std::memcmp(data.data() + at + 4, "jp2c", 4) == 0)
            return data.subspan(at + header, std::size_t(length) - header);
        at += std::size_t(length);
    }
    return {};
}

// Checks the picture size and the tile count of the SIZ segment before the library sees the stream: every
// tile needs a tile-part header of at least 14 bytes, so a short stream cannot hold more tiles.
void CheckSizeSegment(ByteView stream)
{
    if (stream.size() < 4 + 38 || stream[0] != 0xFF || stream[1] != 0x4F || stream[2] != 0xFF || stream[3] != 0x51)
        throw ImagingError("The JPEG 2000 code stream has no size segment.");
    const std::uint8_t* siz = stream.data() + 6;  // after SOC, SIZ and Lsiz; Rsiz first
    const std::uint64_t x1 = Be32(siz + 2), y1 = Be32(siz + 6), x0 = Be32(siz + 10), y0 = Be32(siz + 14);
    const std::uint64_t tileWidth = Be32(siz + 18), tileHeight = Be32(siz + 22);
    const std::uint64_t tileX0 = Be32(siz + 26), tileY0 = Be32(siz + 30);
    if (x1 <= x0 || y1 <= y0 || tileWidth == 0 || tileHeight == 0 || tileX0 > x0 || tileY0 > y0)
        throw ImagingError("The JPEG 2000 code stream has an invalid size segment.");
    CheckPictureSize(std::int64_t(x1 - x0), std::int64_t(y1 - y0));
    const std::uint64_t tiles = ((x1 - tileX0 + tileWidth - 1) / tileWidth) * ((y1 - tileY0 + tileHeight - 1) / tileHeight);
    if (tiles > 65535 || tiles * 14 > stream.size())
        throw ImagingError("The JPEG 2000 code stream is truncated.");
}

}  // namespace

DecodedPicture ReadJpeg2000(ByteView data)
{
    OPJ_CODEC_FORMAT format;
    if (StartsWith(data, {0, 0, 0, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A}))
        format = OPJ_CODEC_JP2;
    else if (StartsWith(data, {0xFF, 0x4F, 0xFF, 0x51}))
        format = OPJ_CODEC_J2K;
    else
        throw ImagingError("This is neither a JPEG 2000 file nor a JPEG 2000 code stream.");

    CheckSizeSegment(format == OPJ_CODEC_JP2 ? CodeStreamOf(data) : data);

    std::string error;
    Stream source;
    source.in = data;
    Handles h;
    h.codec = opj_create_decompress(format);
    if (!h.codec)
        throw ImagingError("Not enough memory for the JPEG 2000 codec.");
    SetHandlers(h.codec, error);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (!opj_setup_decoder(h.codec, &parameters))
        Fail("the decoder cannot be set up", error);
    h.stream = MakeStream(source, true);
    if (!opj_read_header(h.stream, h.codec, &h.image) || !h.image)
        Fail("the header is damaged", error);

    const opj_image_t& image = *h.image;
    if (image.x1 <= image.x0 || image.y1 <= image.y0)
        throw ImagingError("The JPEG 2000 picture has no pixels.");
    const std::int64_t width = std::int64_t(image.x1) - image.x0, height = std::int64_t(image.y1) - image.y0;
    CheckPictureSize(width, height);
    const unsigned count = image.numcomps;
    if (count < 1 || count > 4)
        throw ImagingError("JPEG 2000 pictures with " + std::to_string(count) + " components cannot be read.");
    std::uint64_t planeBytes = 0;
    for (unsigned i = 0; i < count; ++i) {
        const opj_image_comp_t& c = image.comps[i];
        if (c.dx == 0 || c.dy == 0 || c.prec == 0 || c.prec > 31)
            Fail("a component is malformed", error);
        planeBytes += (std::uint64_t(width) / c.dx + 1) * (std::uint64_t(height) / c.dy + 1) * 4;
    }
    if (planeBytes > MaxPlaneBytes)
        throw ImagingError("The JPEG 2000 picture is too large to be decoded.");

    if (!opj_decode(h.codec, h.stream, h.image) || !opj_end_decompress(h.codec, h.stream))
        Fail("the picture data is damaged or truncated", error);
    for (unsigned i = 0; i < count; ++i)
        if (!image.comps[i].data || image.comps[i].w == 0 || image.comps[i].h == 0)
            Fail("a component has no data", error);

    // Grey, grey + alpha, RGB or RGB + alpha; alpha is the last component.
    const bool alpha = count == 2 || count == 4;
    const unsigned colours = count >= 3 ? 3 : 1;
    std::vector<Plane> planes;
    for (unsigned i = 0; i < count; ++i)
        planes.emplace_back(&image.comps[i]);

    // Sample column and row of every picture column and row, per component.
    std::vector<std::vector<std::uint32_t>> columns(count);
    for (unsigned i = 0; i < count; ++i) {
        const opj_image_comp_t& c = image.comps[i];
        columns[i].resize(std::size_t(width));
        for (std::int64_t x = 0; x < width; ++x)
            columns[i][std::size_t(x)] = std::uint32_t(
                std::clamp<std::int64_t>((std::int64_t(image.x0) + x) / c.dx - c.x0, 0, std::int64_t(c.w) - 1));
    }

    // Subsampled chroma marks luma and chroma even where the header does not say so, as OpenJPEG's tools read it.
    const bool ycc = count == 3 && (image.color_space == OPJ_CLRSPC_SYCC ||
                                    (image.comps[0].dx == 1 && image.comps[0].dy == 1 && image.comps[1].dx != 1));
    Picture picture{int(width), int(height)};
    for (int y = 0; y < int(height); ++y) {
        const OPJ_INT32* rows[4] = {};
        for (unsigned i = 0; i < count; ++i) {
            const opj_image_comp_t& c = image.comps[i];
            const auto row = std::clamp<std::int64_t>((std::int64_t(image.y0) + y) / c.dy - c.y0, 0, std::int64_t(c.h) - 1);
            rows[i] = c.data + std::size_t(row) * c.w;
        }
        std::uint8_t* out = picture.Row(y);
        for (int x = 0; x < int(width); ++x, out += 3) {
            std::int64_t v[4] = {};
            for (unsigned i = 0; i < count; ++i)
                v[i] = planes[i].Unsigned(rows[i][columns[i][std::size_t(x)]]);
            if (ycc)
                YccToRgb(v, planes[0].max);
            const unsigned g = colours == 3 ? 1 : 0, b = colours == 3 ? 2 : 0;
            std::uint8_t red = planes[0].Scale(v[0]), green = planes[g].Scale(v[g]), blue = planes[b].Scale(v[b]);
            if (alpha) {
                const unsigned a = planes[count - 1].Scale(v[count - 1]);
                red = OverWhite(red, a);
                green = OverWhite(green, a);
                blue = OverWhite(blue, a);
            }
            out[0] = blue;
            out[1] = green;
            out[2] = red;
        }
    }
    return {std::move(picture), alpha ? 32 : colours == 3 ? 24 : 8};
}

Bytes WriteJpeg2000(const Picture& picture, bool codeStream)
{
    if (picture.IsEmpty())
        throw ImagingError("There is no picture to write.");
    const int w = picture.Width(), h = picture.Height();
    opj_image_cmptparm_t comps[3];
    std::memset(comps, 0, sizeof comps);
    for (auto& c : comps) {
        c.dx = c.dy = 1;
        c.w = OPJ_UINT32(w);
        c.h = OPJ_UINT32(h);
        c.prec = 8;
        c.sgnd = 0;
    }
    Handles handles;
    handles.image = opj_image_create(3, comps, OPJ_CLRSPC_SRGB);
    if (!handles.image)
        throw ImagingError("Not enough memory to write the JPEG 2000 file.");
    opj_image_t& image = *handles.image;
    image.x0 = image.y0 = 0;
    image.x1 = OPJ_UINT32(w);
    image.y1 = OPJ_UINT32(h);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* in = picture.Row(y);
        OPJ_INT32* r = image.comps[0].data + std::size_t(y) * std::size_t(w);
        OPJ_INT32* g = image.comps[1].data + std::size_t(y) * std::size_t(w);
        OPJ_INT32* b = image.comps[2].data + std::size_t(y) * std::size_t(w);
        for (int x = 0; x < w; ++x, in += 3) {
            b[x] = in[0];
            g[x] = in[1];
            r[x] = in[2];
        }
    }

    // The library's defaults: one lossless layer, reversible wavelet, colour transform for RGB.
    opj_cparameters_t parameters;
    opj_set_default_encoder_parameters(&parameters);
    parameters.tcp_numlayers = 1;
    parameters.tcp_rates[0] = 0;
    parameters.cp_disto_alloc = 1;
    parameters.tcp_mct = 1;
    // Small pictures get fewer resolution levels, so that the smallest one still has a pixel.
    while (parameters.numresolution > 1 && (std::min(w, h) >> (parameters.numresolution - 1)) == 0)
        --parameters.numresolution;

    std::string error;
    handles.codec = opj_create_compress(codeStream ? OPJ_CODEC_J2K : OPJ_CODEC_JP2);
    if (!handles.codec)
        throw ImagingError("Not enough memory to write the JPEG 2000 file.");
    SetHandlers(handles.codec, error);
    Bytes bytes;
    Stream sink;
    sink.out = &bytes;
    if (!opj_setup_encoder(handles.codec, &parameters, handles.image))
        throw ImagingError("The JPEG 2000 file cannot be written: " + error + ".");
    handles.stream = MakeStream(sink, false);
    if (!opj_start_compress(handles.codec, handles.image, handles.stream) ||
        !opj_encode(handles.codec, handles.stream) || !opj_end_compress(handles.codec, handles.stream))
        throw ImagingError("The JPEG 2000 file cannot be written: " + error + ".");
    return bytes;
}

}  // namespace zelpix
