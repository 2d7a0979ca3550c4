#pragma once
// Reading and writing picture files by extension.
#include "imaging/Codecs.h"

#include <string>

namespace zelpix {

// The document's reader table, or LoadPictureByExtension's variant ("pcc" goes to the general loader).
enum class ReaderTable { Document, ByExtension };

struct PictureFile {
    Picture picture;
    int sourceBits = 24;
    std::string depthLabel; // "2", "16", "256", "16M", "24M" or "32M"
    std::string readerName; // the reader that decoded it, for messages and `zelpix-cli info`
};

// The path's extension without its dot, in lower case ("" when there is none).
std::string LowerExtension(const std::string& path);
// Status-bar depth label for the bits per pixel of a file as read.
std::string DepthLabel(int sourceBits);
// Name of the reader the table chooses for an extension.
std::string ReaderNameFor(const std::string& extension, ReaderTable table = ReaderTable::Document);

// Decodes a picture held in memory as the table says for the extension; when that reader fails but the
// bytes are plainly another format, that format's reader is used. A GIF gives its first frame.
PictureFile DecodePicture(ByteView data, const std::string& extension, ReaderTable table = ReaderTable::Document);
// Reads and decodes a file; throws ImagingError with a message naming the file on any failure.
PictureFile ReadPictureFile(const std::string& path, ReaderTable table = ReaderTable::Document);

// Encodes by the writer table for the extension.
Bytes EncodePicture(const Picture& picture, const std::string& extension);
// Encodes and writes atomically: a temporary file beside the target, then a rename over it.
void WritePictureFile(const Picture& picture, const std::string& path);
// Writes bytes atomically to a path (the same temporary-and-rename rule).
void WriteFileAtomically(const std::string& path, ByteView bytes);
// The same for a file made of several pieces, written in order.
void WriteFileAtomically(const std::string& path, std::span<const ByteView> pieces);
// Reads a whole file; throws ImagingError naming it when it cannot be read.
Bytes ReadWholeFile(const std::string& path);

}  // namespace zelpix
