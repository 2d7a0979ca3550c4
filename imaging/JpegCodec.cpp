// JPEG through libjpeg-turbo's IJG interface. Library errors longjmp back to the function that set the
// jump; only plain data lives in the frames that a jump can skip, so nothing leaks.
#include "imaging/Codecs.h"
#include "imaging/ImagingError.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <jerror.h>
#include <jpeglib.h>

namespace zelpix {

namespace {

// Decoders stop after this many scans: a hostile progressive file could otherwise make thousands of
// passes over a large coefficient buffer.
constexpr int MaxScans = 1000;
// Working memory besides the picture (progressive coefficient buffers, for the most part).
constexpr long MaxWorkingMemory = 1L << 30;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings are ignored, except the end of the data before the last scan line is out: the picture is
// incomplete. (A file that only lacks its end marker is whole.)
void EmitMessage(j_common_ptr cinfo, int level)
{
    if (level >= 0 || cinfo->err->msg_code != JWRN_JPEG_EOF)
        return;
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (!cinfo->is_decompressor || d->output_height == 0 || d->output_scanline < d->output_height)
        ErrorExit(cinfo);
}

void OutputNothing(j_common_ptr) {}

void CheckScanCount(j_common_ptr cinfo)
{
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->is_decompressor && d->input_scan_number > MaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "The JPEG data has more than %d scans.", MaxScans);
        std::longjmp(err->jump, 1);
    }
}

void InstallErrorManager(ErrorManager& err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = EmitMessage;
    err.pub.output_message = OutputNothing;
    err.message[0] = 0;
}

std::uint16_t Get16(const std::uint8_t* p, bool bigEndian)
{
    return bigEndian ? std::uint16_t(p[0] << 8 | p[1]) : std::uint16_t(p[1] << 8 | p[0]);
}

std::uint32_t Get32(const std::uint8_t* p, bool bigEndian)
{
    return bigEndian ? std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3]
                     : std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

// The orientation tag (0x0112) of the first image directory of an APP1 "Exif" block; 1 when absent.
int ExifOrientation(const std::uint8_t* data, std::size_t size)
{
    if (size < 6 + 8 || std::memcmp(data, "Exif\0\0", 6) != 0)
        return 1;
    const std::uint8_t* tiff = data + 6;
    const std::size_t length = size - 6;
    bool big;
    if (tiff[0] == 'I' && tiff[1] == 'I')
        big = false;
    else if (tiff[0] == 'M' && tiff[1] == 'M')
        big = true;
    else
        return 1;
    if (Get16(tiff + 2, big) != 42)
        return 1;
    const std::uint32_t ifd = Get32(tiff + 4, big);
    if (ifd > length || length - ifd < 2)
        return 1;
    const unsigned count = Get16(tiff + ifd, big);
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t entry = std::size_t(ifd) + 2 + std::size_t(i) * 12;
        if (entry + 12 > length)
            break;
        if (Get16(tiff + entry, big) != 0x0112)
            continue;
        const unsigned type = Get16(tiff + entry + 2, big);
        const unsigned value = type == 3 ? Get16(tiff + entry + 8, big) : type == 4 ? Get32(tiff + entry + 8, big) : 0;
        return value >= 1 && value <= 8 ? int(value) : 1;
    }
    return 1;
}

// Turns a decoded picture upright for an EXIF orientation (2 to 8).
Picture Orient(const Picture& source, int orientation)
{
    const int w = source.Width(), h = source.Height();
    const bool swap = orientation >= 5;
    Picture result(swap ? h : w, swap ? w : h);
    // Destination (column, row) of source (x, y) = (c0 + cx * x + cy * y, r0 + rx * x + ry * y).
    int c0 = 0, cx = 1, cy = 0, r0 = 0, rx = 0, ry = 1;
    switch (orientation) {
    case 2: c0 = w - 1; cx = -1; break;                                       // mirrored left-right
    case 3: c0 = w - 1; cx = -1; r0 = h - 1; ry = -1; break;                  // turned 180 degrees
    case 4: r0 = h - 1; ry = -1; break;                                       // mirrored top-bottom
    case 5: cx = 0; cy = 1; rx = 1; ry = 0; break;                            // transposed
    case 6: c0 = h - 1; cx = 0; cy = -1; rx = 1; ry = 0; break;               // turn clockwise
    case 7: c0 = h - 1; cx = 0; cy = -1; r0 = w - 1; rx = -1; ry = 0; break;  // transversed
    case 8: cx = 0; cy = 1; r0 = w - 1; rx = -1; ry = 0; break;               // turn anticlockwise
    default: break;
    }
    const std::ptrdiff_t stride = std::ptrdiff_t(result.Stride());
    const std::ptrdiff_t step = std::ptrdiff_t(rx) * stride + 3 * cx;
    std::uint8_t* const base = result.Bits();
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* s = source.Row(y);
        std::uint8_t* d = base + std::ptrdiff_t(r0 + ry * y) * stride + 3 * std::ptrdiff_t(c0 + cy * y);
        for (int x = 0; x < w; ++x, s += 3, d += step) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
    return result;
}

// CMYK scan line to BGR. Adobe files store the inks inverted (255 = no ink).
void CmykRowToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, int width, bool inverted)
{
    for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        bgr[0] = std::uint8_t((y * k + 127) / 255);
        bgr[1] = std::uint8_t((m * k + 127) / 255);
        bgr[2] = std::uint8_t((c * k + 127) / 255);
    }
}

struct DecodeState {
    int orientation = 1;
    int components = 0;
};

// Everything that may jump; it keeps no object with a destructor in its own frame.
void Decode(jpeg_decompress_struct& cinfo, ByteView data, Picture& picture, DecodeState& state)
{
    jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m && state.orientation == 1; m = m->next)
        state.orientation = ExifOrientation(m->data, m->data_length);
    CheckPictureSize(cinfo.image_width, cinfo.image_height);
    // Huffman coding spends at least one bit on every block, so far shorter data cannot hold the picture;
    // this refuses tiny files that claim huge pictures before anything is allocated.
    if (!cinfo.arith_code) {
        std::uint64_t blocks = 0;
        for (int i = 0; i < cinfo.num_components; ++i)
            blocks += std::uint64_t(cinfo.comp_info[i].width_in_blocks) * cinfo.comp_info[i].height_in_blocks;
        if (blocks > std::uint64_t(data.size()) * 8)
            throw ImagingError("The JPEG data is truncated.");
    }
    state.components = cinfo.num_components;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    picture = Picture(int(cinfo.output_width), int(cinfo.output_height));
    if (cmyk) {
        // From the library's pool, so that a jump out frees it too.
        JSAMPROW cmykRow = *(*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                        cinfo.output_width * 4, 1);
        while (cinfo.output_scanline < cinfo.output_height) {
            const int y = int(cinfo.output_scanline);
            if (jpeg_read_scanlines(&cinfo, &cmykRow, 1) != 1)
                throw ImagingError("The JPEG data cannot be decoded.");
            CmykRowToBgr(cmykRow, picture.Row(y), picture.Width(), cinfo.saw_Adobe_marker);
        }
    } else {
        JSAMPROW rows[16];
        while (cinfo.output_scanline < cinfo.output_height) {
            const int first = int(cinfo.output_scanline);
            const int n = std::min(16, int(cinfo.output_height) - first);
            for (int i = 0; i < n; ++i)
                rows[i] = picture.Row(first + i);
            if (jpeg_read_scanlines(&cinfo, rows, JDIMENSION(n)) == 0)
                throw ImagingError("The JPEG data cannot be decoded.");
        }
    }
    jpeg_finish_decompress(&cinfo);
}

}  // namespace

DecodedPicture ReadJpeg(ByteView data)
{
    if (data.size() < 4 || data[0] != 0xFF || data[1] != 0xD8)
        throw ImagingError("This is not a JPEG file.");
    Picture picture;
    DecodeState state;
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress{};
    InstallErrorManager(err);
    cinfo.err = &err.pub;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        throw ImagingError(std::string("The JPEG data cannot be decoded: ") + err.message + ".");
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = MaxWorkingMemory;
    progress.progress_monitor = CheckScanCount;
    cinfo.progress = &progress;
    try {
        Decode(cinfo, data, picture, state);
    } catch (...) {
        jpeg_destroy_decompress(&cinfo);
        throw;
    }
    jpeg_destroy_decompress(&cinfo);
    DecodedPicture result;
    result.picture = state.orientation == 1 ? std::move(picture) : Orient(picture, state.orientation);
    result.sourceBits = state.components == 1 ? 8 : state.components == 4 ? 32 : 24;
    return result;
}

Bytes WriteJpeg(const Picture& picture)
{
    if (picture.IsEmpty())
        throw ImagingError("There is no picture to write.");
    jpeg_compress_struct cinfo;
    ErrorManager err;
    InstallErrorManager(err);
    cinfo.err = &err.pub;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        throw ImagingError(std::string("The JPEG file cannot be written: ") + err.message + ".");
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(picture.Width());
    cinfo.image_height = JDIMENSION(picture.Height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    JSAMPROW rows[16];
    while (cinfo.next_scanline < cinfo.image_height) {
        const int first = int(cinfo.next_scanline);
        const int n = std::min(16, picture.Height() - first);
        for (int i = 0; i < n; ++i)
            rows[i] = const_cast<JSAMPROW>(picture.Row(first + i));
        jpeg_write_scanlines(&cinfo, rows, JDIMENSION(n));
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

}  // namespace zelpix
