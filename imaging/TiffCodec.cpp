// TIFF through libtiff on memory, including CCITT fax, and raw headerless G3 fax data.
#include "imaging/Codecs.h"
#include "imaging/ImagingError.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <tiffio.h>

namespace zelpix {

namespace {

// The bytes behind a TIFF handle: a file being read, or a growing file being written.
struct MemoryFile {
    ByteView in;
    Bytes* out = nullptr;
    std::uint64_t position = 0;
    std::string error;  // the library's first error message
    int warnings = 0;
    bool refuseEarlyEnd = false;  // data that ends before the picture does is an error
    std::size_t Size() const { return out ? out->size() : in.size(); }
};

MemoryFile& FileOf(thandle_t handle)
{
    return *static_cast<MemoryFile*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t size)
{
    MemoryFile& file = FileOf(handle);
    const std::uint8_t* bytes = file.out ? file.out->data() : file.in.data();
    if (size <= 0 || file.position >= file.Size())
        return 0;
    const std::size_t n = std::min<std::uint64_t>(std::uint64_t(size), file.Size() - file.position);
    std::memcpy(buffer, bytes + file.position, n);
    file.position += n;
    return tmsize_t(n);
}

tmsize_t WriteProc(thandle_t handle, void* buffer, tmsize_t size)
{
    MemoryFile& file = FileOf(handle);
    if (!file.out || size < 0)
        return -1;
    const std::uint64_t end = file.position + std::uint64_t(size);
    try {
        if (end > file.out->size())
            file.out->resize(std::size_t(end));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    std::memcpy(file.out->data() + file.position, buffer, std::size_t(size));
    file.position = end;
    return size;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int whence)
{
    MemoryFile& file = FileOf(handle);
    std::uint64_t base = whence == SEEK_CUR ? file.position : whence == SEEK_END ? file.Size() : 0;
    if (offset > std::uint64_t(1) << 40 || base + offset > std::uint64_t(1) << 40)
        return toff_t(-1);
    file.position = base + offset;
    return file.position;
}

int CloseProc(thandle_t)
{
    return 0;
}

toff_t SizeProc(thandle_t handle)
{
    return FileOf(handle).Size();
}

// Reading maps the bytes as they are, so strips are decoded without a copy.
int MapProc(thandle_t handle, void** base, toff_t* size)
{
    MemoryFile& file = FileOf(handle);
    if (file.out)
        return 0;
    *base = const_cast<std::uint8_t*>(file.in.data());
    *size = file.in.size();
    return 1;
}

void UnmapProc(thandle_t, void*, toff_t) {}

int OnError(TIFF*, void* user, const char* module, const char* format, va_list args)
{
    auto* file = static_cast<MemoryFile*>(user);
    if (file->error.empty()) {
        char text[300];
        std::vsnprintf(text, sizeof text, format, args);
        file->error = text;
    }
    return 1;
}

int OnWarning(TIFF*, void* user, const char*, const char* format, va_list args)
{
    auto* file = static_cast<MemoryFile*>(user);
    ++file->warnings;
    char text[300];
    std::vsnprintf(text, sizeof text, format, args);
    // The decoders only warn when the data ends early, and fill the rest of the picture in.
    if (file->refuseEarlyEnd && file->error.empty() &&
        (std::strstr(text, "Premature EOF") || std::strstr(text, "Premature end")))
        file->error = text;
    return 1;
}

struct CloseTiff {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, CloseTiff>;

// Opens the bytes behind file with our own message handlers; nothing goes to stderr.
TiffHandle Open(MemoryFile& file, const char* mode)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        throw ImagingError("Not enough memory to open the TIFF data.");
    TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, &file);
    TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, &file);
    // No single buffer sized by a header field may exceed this.
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(1) << 30);
    TIFF* tif = TIFFClientOpenExt("memory", mode, &file, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                  MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
    return TiffHandle(tif);
}

[[noreturn]] void Fail(const MemoryFile& file, const char* what)
{
    std::string message = std::string("The TIFF data cannot be decoded: ") + what;
    if (!file.error.empty())
        message += " (" + file.error + ")";
    throw ImagingError(message + ".");
}

// libtiff reduces a 16-bit colour map to 8 bits by dropping the low byte; this rebuilds its map of
// packed pixels with rounding. (A map whose entries all fit in 8 bits is taken as 8-bit, as libtiff does.)
void RoundPaletteMap(TIFF* tif, TIFFRGBAImage& image)
{
    std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || image.bitspersample > 8)
        return;
    const int bits = image.bitspersample, count = 1 << bits;
    bool sixteen = false;
    for (int i = 0; i < count; ++i)
        sixteen = sixteen || red[i] >= 256 || green[i] >= 256 || blue[i] >= 256;
    if (!sixteen)
        return;
    auto reduce = [](std::uint16_t v) { return std::uint32_t((v * 255u + 32767u) / 65535u); };
    const int perByte = 8 / bits;
    for (int byte = 0; byte < 256; ++byte)
        for (int k = 0; k < perByte; ++k) {
            const int index = (byte >> (8 - bits * (k + 1))) & (count - 1);
            // The packing that TIFFGetR/G/B/A take apart.
            image.PALmap[byte][k] =
                reduce(red[index]) | reduce(green[index]) << 8 | reduce(blue[index]) << 16 | 0xFF000000u;
        }
}

// 16-bit grey strips read directly, so that each sample is rounded to 8 bits (libtiff's RGBA reading
// keeps only the high byte).
bool ReadGrey16(TIFF* tif, MemoryFile& file, Picture& picture)
{
    std::uint16_t bits = 0, samples = 0, photometric = 0, orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    if (bits != 16 || samples != 1 || TIFFIsTiled(tif) || orientation != ORIENTATION_TOPLEFT ||
        !TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) ||
        (photometric != PHOTOMETRIC_MINISBLACK && photometric != PHOTOMETRIC_MINISWHITE))
        return false;
    const int width = picture.Width();
    if (TIFFScanlineSize(tif) != tmsize_t(width) * 2)
        return false;
    std::vector<std::uint16_t> line(static_cast<std::size_t>(width));
    const bool inverted = photometric == PHOTOMETRIC_MINISWHITE;
    for (int y = 0; y < picture.Height(); ++y) {
        if (TIFFReadScanline(tif, line.data(), std::uint32_t(y), 0) < 0 || !file.error.empty())
            Fail(file, "the picture data is damaged or truncated");
        std::uint8_t* out = picture.Row(y);
        for (const std::uint16_t v : line) {
            const auto grey = std::uint8_t(((inverted ? 65535u - v : v) * 255u + 32767u) / 65535u);
            out[0] = out[1] = out[2] = grey;
            out += 3;
        }
    }
    return true;
}

// Decodes the current directory: 16-bit grey strips directly, everything else through libtiff's RGBA
// interface, a band of rows at a time.
Picture DecodeDirectory(TIFF* tif, MemoryFile& file)
{
    char message[1024] = "";
    if (!TIFFRGBAImageOK(tif, message))
        Fail(file, message);
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    CheckPictureSize(width, height);

    TIFFRGBAImage image;
    if (!TIFFRGBAImageBegin(&image, tif, 1, message))
        Fail(file, message);
    std::unique_ptr<TIFFRGBAImage, void (*)(TIFFRGBAImage*)> end(&image, TIFFRGBAImageEnd);
    image.req_orientation = ORIENTATION_TOPLEFT;
    if (image.PALmap)
        RoundPaletteMap(tif, image);

    // Whole strips or tiles per band, so none is decoded twice; other orientations come in one band.
    std::uint32_t unit = height;
    if (TIFFIsTiled(tif))
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
    else
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    std::uint32_t band = height;
    if (orientation == ORIENTATION_TOPLEFT && unit > 0 && unit < height)
        band = std::min(height, std::max<std::uint32_t>(1, 256 / unit) * unit);

    file.refuseEarlyEnd = true;
    Picture picture{int(width), int(height)};
    if (ReadGrey16(tif, file, picture))
        return picture;
    std::vector<std::uint32_t> raster(std::size_t(width) * band);
    for (std::uint32_t top = 0; top < height; top += band) {
        const std::uint32_t rows = std::min(band, height - top);
        image.row_offset = int(top);
        image.col_offset = 0;
        if (!TIFFRGBAImageGet(&image, raster.data(), width, rows) || !file.error.empty())
            Fail(file, "the picture data is damaged or truncated");
        // Premultiplied ABGR words; over white that is the colour plus the missing coverage.
        for (std::uint32_t y = 0; y < rows; ++y) {
            const std::uint32_t* in = raster.data() + std::size_t(y) * width;
            std::uint8_t* out = picture.Row(int(top + y));
            for (std::uint32_t x = 0; x < width; ++x, out += 3) {
                const std::uint32_t p = in[x];
                const std::uint32_t rest = 255 - TIFFGetA(p);
                out[0] = std::uint8_t(std::min<std::uint32_t>(255, TIFFGetB(p) + rest));
                out[1] = std::uint8_t(std::min<std::uint32_t>(255, TIFFGetG(p) + rest));
                out[2] = std::uint8_t(std::min<std::uint32_t>(255, TIFFGetR(p) + rest));
            }
        }
    }
    return picture;
}

}  // namespace

DecodedPicture ReadTiff(ByteView data)
{
    if (data.size() < 8)
        throw ImagingError("This is not a TIFF file.");
    MemoryFile file;
    file.in = data;
    TiffHandle tif = Open(file, "r");
    if (!tif)
        Fail(file, "it is not a readable TIFF file");
    std::uint16_t bits = 1, samples = 1;
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    Picture picture = DecodeDirectory(tif.get(), file);
    return {std::move(picture), int(bits) * int(samples)};
}

namespace {

constexpr std::uint32_t FaxWidth = 1728;

void Put16(Bytes& out, std::size_t at, std::uint16_t v)
{
    out[at] = std::uint8_t(v);
    out[at + 1] = std::uint8_t(v >> 8);
}

void Put32(Bytes& out, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
}

// A little-endian TIFF whose one strip is the raw G3 data, claiming the most rows it could hold.
Bytes WrapFaxData(ByteView data, std::uint32_t rows, std::uint32_t t4Options, std::uint16_t fillOrder)
{
    struct Entry {
        std::uint16_t tag, type;
        std::uint32_t value;
    };
    const std::uint32_t ifd = std::uint32_t(8 + data.size() + (data.size() & 1));
    const Entry entries[] = {
        {TIFFTAG_IMAGEWIDTH, TIFF_LONG, FaxWidth},
        {TIFFTAG_IMAGELENGTH, TIFF_LONG, rows},
        {TIFFTAG_BITSPERSAMPLE, TIFF_SHORT, 1},
        {TIFFTAG_COMPRESSION, TIFF_SHORT, COMPRESSION_CCITTFAX3},
        {TIFFTAG_PHOTOMETRIC, TIFF_SHORT, PHOTOMETRIC_MINISWHITE},
        {TIFFTAG_FILLORDER, TIFF_SHORT, fillOrder},
        {TIFFTAG_STRIPOFFSETS, TIFF_LONG, 8},
        {TIFFTAG_SAMPLESPERPIXEL, TIFF_SHORT, 1},
        {TIFFTAG_ROWSPERSTRIP, TIFF_LONG, rows},
        {TIFFTAG_STRIPBYTECOUNTS, TIFF_LONG, std::uint32_t(data.size())},
        {TIFFTAG_GROUP3OPTIONS, TIFF_LONG, t4Options},
    };
    const std::size_t count = std::size(entries);
    Bytes out(ifd + 2 + count * 12 + 4, 0);
    out[0] = out[1] = 'I';
    Put16(out, 2, 42);
    Put32(out, 4, ifd);
    std::memcpy(out.data() + 8, data.data(), data.size());
    Put16(out, ifd, std::uint16_t(count));
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = ifd + 2 + i * 12;
        Put16(out, at, entries[i].tag);
        Put16(out, at + 2, entries[i].type);
        Put32(out, at + 4, 1);
        if (entries[i].type == TIFF_SHORT)
            Put16(out, at + 8, std::uint16_t(entries[i].value));
        else
            Put32(out, at + 8, entries[i].value);
    }
    return out;
}

struct FaxRows {
    Bytes rows;        // packed, 1 = black
    int warnings = 0;  // bad code lengths and the like met on the way
    bool BetterThan(const FaxRows& other) const
    {
        return rows.size() != other.rows.size() ? rows.size() > other.rows.size() : warnings < other.warnings;
    }
};

// Decodes scan lines until the data ends or stops making sense.
FaxRows DecodeFaxRows(ByteView data, std::uint32_t t4Options, std::uint16_t fillOrder)
{
    const std::uint32_t claimed = std::uint32_t(std::min<std::size_t>(MaxPictureSide, data.size() * 8));
    const Bytes wrapped = WrapFaxData(data, claimed, t4Options, fillOrder);
    MemoryFile file;
    file.in = wrapped;
    TiffHandle tif = Open(file, "r");
    FaxRows result;
    if (!tif)
        return result;
    std::vector<std::uint8_t> line(std::size_t(TIFFScanlineSize(tif.get())));
    if (line.size() != FaxWidth / 8)
        return result;
    for (std::uint32_t y = 0; y < claimed; ++y) {
        if (TIFFReadScanline(tif.get(), line.data(), y, 0) < 0 || !file.error.empty())
            break;
        result.rows.insert(result.rows.end(), line.begin(), line.end());
    }
    result.warnings = file.warnings;
    return result;
}

}  // namespace

DecodedPicture ReadRawFaxG3(ByteView data)
{
    if (data.empty())
        throw ImagingError("The fax file is empty.");
    // Fax files are often TIFF files (ours are).
    if (data.size() >= 4 && ((data[0] == 'I' && data[1] == 'I' && data[2] == 42 && data[3] == 0) ||
                             (data[0] == 'M' && data[1] == 'M' && data[2] == 0 && data[3] == 42)))
        return ReadTiff(data);
    if (data.size() > std::size_t(1) << 30)
        throw ImagingError("The fax file is too large.");
    // Raw fax data says nothing of its coding: of 1D, 1D with byte-aligned EOLs, 2D and 2D aligned, in
    // either bit order (modems send the least significant bit first), the one giving the most rows wins,
    // then the one with the fewest bad codes.
    static constexpr std::uint32_t codings[] = {0, GROUP3OPT_FILLBITS, GROUP3OPT_2DENCODING,
                                                GROUP3OPT_2DENCODING | GROUP3OPT_FILLBITS};
    static constexpr std::uint16_t orders[] = {FILLORDER_LSB2MSB, FILLORDER_MSB2LSB};
    FaxRows best;
    for (const std::uint16_t order : orders)
        for (const std::uint32_t coding : codings) {
            FaxRows rows = DecodeFaxRows(data, coding, order);
            if (rows.BetterThan(best))
                best = std::move(rows);
        }
    const std::size_t rowBytes = FaxWidth / 8;
    const int height = int(best.rows.size() / rowBytes);
    if (height == 0)
        throw ImagingError("The fax data cannot be decoded: no complete scan line was found.");
    Picture picture(int(FaxWidth), height);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = best.rows.data() + std::size_t(y) * rowBytes;
        std::uint8_t* out = picture.Row(y);
        for (std::uint32_t x = 0; x < FaxWidth; ++x, out += 3)
            out[0] = out[1] = out[2] = (in[x >> 3] >> (7 - (x & 7)) & 1) ? 0 : 255;
    }
    return {std::move(picture), 1};
}

Bytes WriteTiff(const Picture& picture)
{
    if (picture.IsEmpty())
        throw ImagingError("There is no picture to write.");
    Bytes bytes;
    MemoryFile file;
    file.out = &bytes;
    {
        TiffHandle tif = Open(file, "w");
        if (!tif)
            throw ImagingError("The TIFF file cannot be written: " + file.error + ".");
        TIFF* t = tif.get();
        const auto w = std::uint32_t(picture.Width());
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, std::uint32_t(picture.Height()));
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
        TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
        TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
        std::vector<std::uint8_t> line(std::size_t(w) * 3);
        for (int y = 0; y < picture.Height(); ++y) {
            const std::uint8_t* in = picture.Row(y);
            for (std::size_t i = 0; i < line.size(); i += 3) {
                line[i] = in[i + 2];
                line[i + 1] = in[i + 1];
                line[i + 2] = in[i];
            }
            if (TIFFWriteScanline(t, line.data(), std::uint32_t(y), 0) < 0)
                throw ImagingError("The TIFF file cannot be written: " + file.error + ".");
        }
        if (!TIFFWriteDirectory(t))
            throw ImagingError("The TIFF file cannot be written: " + file.error + ".");
    }
    return bytes;
}

}  // namespace zelpix
