#pragma once
// Every reader and writer of the imaging layer. Readers decode a whole file held in memory,
// writers encode a whole file into memory; PictureIO picks them by extension and does the file I/O.
// Readers throw ImagingError on anything they cannot decode, and never allocate from an unchecked
// header field (CheckPictureSize first, then compare the data length with what the header claims).
#include "imaging/Picture.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zelpix {

using ByteView = std::span<const std::uint8_t>;
using Bytes = std::vector<std::uint8_t>;

struct DecodedPicture {
    Picture picture;     // always 24-bit BGR; alpha composited over white
    int sourceBits = 24; // bits per pixel of the file's pixel format as read (1, 4, 8, 15, 16, 24, 32, ...)
};

// --- readers (our own code) ---
DecodedPicture ReadBmp(ByteView data);          // "bmp", "dib", "rle": file header + any DIB header
DecodedPicture ReadIcon(ByteView data);         // "ico", "icon", "cur": the best entry (largest, deepest)
DecodedPicture ReadPcx(ByteView data);          // "pcx", "pcc"
DecodedPicture ReadPnm(ByteView data);          // "pbm", "pgm", "ppm", "pxm": P1 to P6, any maxval
DecodedPicture ReadTarga(ByteView data);        // "tga", "targa", "vda", "icb", "vst", "pix", "win"
DecodedPicture ReadAutodeskCel(ByteView data);  // "cel", "pic" (Autodesk Animator)
DecodedPicture ReadEmfBitmaps(ByteView data);   // "emf" made of bitmap records

// --- readers (libraries) ---
DecodedPicture ReadJpeg(ByteView data);         // grey, RGB, CMYK; EXIF orientation applied
DecodedPicture ReadJpeg2000(ByteView data);     // jp2 files and raw code streams, told apart by content
DecodedPicture ReadTiff(ByteView data);         // first page; includes CCITT G3/G4
DecodedPicture ReadRawFaxG3(ByteView data);     // headerless G3 scan lines, 1728 wide
DecodedPicture ReadPng(ByteView data);
DecodedPicture ReadGifFirstFrame(ByteView data);
// The general picture loader for the rest of the open list; extension without dot, lower case.
DecodedPicture ReadWithGeneralLoader(ByteView data, const std::string& extension);

// --- writers ---
Bytes WriteBmp(const Picture& picture);         // 24-bit Windows bitmap, bottom-up
// The file and info headers of WriteBmp's file; the pixel rows follow them bottom-up, exactly as the
// picture holds them (the same row padding), so a file can be written from the picture without a copy.
Bytes BmpFileHeader(const Picture& picture);
Bytes WritePcx(const Picture& picture);         // 24-bit, three planes, RLE
enum class PnmKind { Bitmap, Grey, Colour };    // "pbm" P4, "pgm" P5, "ppm"/"pxm" P6
Bytes WritePnm(const Picture& picture, PnmKind kind);
Bytes WriteTarga(const Picture& picture);       // type 2, 24-bit
Bytes WriteJpeg(const Picture& picture);        // the library's default quality (75)
Bytes WriteJpeg2000(const Picture& picture, bool codeStream); // jp2 file, or j2k code stream
Bytes WriteTiff(const Picture& picture);        // 24-bit RGB
Bytes WritePng(const Picture& picture);
Bytes WriteGif216(const Picture& picture);      // fixed 216-colour palette, nearest colour, no dither

}  // namespace zelpix
