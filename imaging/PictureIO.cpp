#include "imaging/PictureIO.h"

#include "imaging/HugePages.h"
#include "imaging/ImagingError.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <span>
#include <vector>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace zelpix {

namespace {

enum class Reader { Jpeg, Jpeg2000, Gif, Tiff, Fax, Bmp, Icon, Cursor, Pcx, Png, Pnm, Targa, Cel, Emf, General };

bool IsOneOf(const std::string& ext, std::initializer_list<const char*> list)
{
    return std::any_of(list.begin(), list.end(), [&](const char* e) { return ext == e; });
}

Reader ChooseReader(const std::string& ext, ReaderTable table)
{
    if (IsOneOf(ext, {"jpg", "jpeg", "jpe"})) return Reader::Jpeg;
    if (IsOneOf(ext, {"jp2", "j2k", "jpc", "j2c"})) return Reader::Jpeg2000;
    if (ext == "gif") return Reader::Gif;
    if (IsOneOf(ext, {"tif", "tiff"})) return Reader::Tiff;
    if (IsOneOf(ext, {"fax", "g3n", "g3f"})) return Reader::Fax;
    if (IsOneOf(ext, {"bmp", "dib", "rle"})) return Reader::Bmp;
    if (IsOneOf(ext, {"ico", "icon"})) return Reader::Icon;
    if (ext == "cur") return Reader::Cursor;
    if (ext == "pcx" || (ext == "pcc" && table == ReaderTable::Document)) return Reader::Pcx;
    if (ext == "png") return Reader::Png;
    if (IsOneOf(ext, {"pxm", "ppm", "pgm", "pbm"})) return Reader::Pnm;
    if (IsOneOf(ext, {"tga", "targa", "vda", "icb", "vst", "pix"})) return Reader::Targa;
    // The rest goes to the general loader; of its formats these two are read by our own code.
    if (IsOneOf(ext, {"cel", "pic"})) return Reader::Cel;
    if (ext == "emf") return Reader::Emf;
    return Reader::General;
}

const char* ReaderName(Reader reader)
{
    switch (reader) {
    case Reader::Jpeg: return "JPEG";
    case Reader::Jpeg2000: return "JPEG 2000";
    case Reader::Gif: return "GIF";
    case Reader::Tiff: return "TIFF";
    case Reader::Fax: return "TIFF (fax)";
    case Reader::Bmp: return "Windows bitmap";
    case Reader::Icon: return "icon";
    case Reader::Cursor: return "cursor";
    case Reader::Pcx: return "PCX";
    case Reader::Png: return "PNG";
    case Reader::Pnm: return "portable any-map";
    case Reader::Targa: return "Targa";
    case Reader::Cel: return "Autodesk CEL";
    case Reader::Emf: return "enhanced metafile";
    case Reader::General: return "general picture loader";
    }
    return "";
}

DecodedPicture RunReader(Reader reader, ByteView data, const std::string& ext)
{
    switch (reader) {
    case Reader::Jpeg: return ReadJpeg(data);
    case Reader::Jpeg2000: return ReadJpeg2000(data);
    case Reader::Gif: return ReadGifFirstFrame(data);
    case Reader::Tiff: return ReadTiff(data);
    case Reader::Fax: return ReadRawFaxG3(data);
    case Reader::Bmp: return ReadBmp(data);
    case Reader::Icon:
    case Reader::Cursor: return ReadIcon(data);
    case Reader::Pcx: return ReadPcx(data);
    case Reader::Png: return ReadPng(data);
    case Reader::Pnm: return ReadPnm(data);
    case Reader::Targa: return ReadTarga(data);
    case Reader::Cel: return ReadAutodeskCel(data);
    case Reader::Emf: return ReadEmfBitmaps(data);
    case Reader::General: return ReadWithGeneralLoader(data, ext);
    }
    throw ImagingError("No reader.");
}

bool StartsWith(ByteView data, std::initializer_list<std::uint8_t> magic, std::size_t offset = 0)
{
    if (data.size() < offset + magic.size())
        return false;
    return std::equal(magic.begin(), magic.end(), data.begin() + std::ptrdiff_t(offset));
}

// The format the bytes plainly are, judged by their signature alone.
std::optional<Reader> SniffReader(ByteView data)
{
    if (StartsWith(data, {0xFF, 0xD8, 0xFF})) return Reader::Jpeg;
    if (StartsWith(data, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return Reader::Png;
    if (StartsWith(data, {'G', 'I', 'F', '8'})) return Reader::Gif;
    if (StartsWith(data, {'I', 'I', 42, 0}) || StartsWith(data, {'M', 'M', 0, 42})) return Reader::Tiff;
    if (StartsWith(data, {'B', 'M'})) return Reader::Bmp;
    if (StartsWith(data, {0, 0, 0, 0x0C, 'j', 'P', ' ', ' '}) || StartsWith(data, {0xFF, 0x4F, 0xFF, 0x51}))
        return Reader::Jpeg2000;
    if (StartsWith(data, {0, 0, 1, 0}) || StartsWith(data, {0, 0, 2, 0})) return Reader::Icon;
    if (StartsWith(data, {1, 0, 0, 0}) && StartsWith(data, {' ', 'E', 'M', 'F'}, 40)) return Reader::Emf;
    if (data.size() >= 3 && data[0] == 'P' && data[1] >= '1' && data[1] <= '6' &&
        (data[2] == ' ' || data[2] == '\n' || data[2] == '\r' || data[2] == '\t' || data[2] == '#'))
        return Reader::Pnm;
    if (data.size() >= 128 && data[0] == 0x0A && data[1] <= 5 && data[2] == 1) return Reader::Pcx;
    return std::nullopt;
}

// "16M" is the platform's label for 16 bits per pixel; 15 and 32 bits fall to "32M".
const char* LabelFor(int bits)
{
    switch (bits) {
    case 1: return "2";
    case 4: return "16";
    case 8: return "256";
    case 16: return "16M";
    case 24: return "24M";
    default: return "32M";
    }
}

PictureFile Finish(DecodedPicture decoded, Reader reader)
{
    PictureFile file;
    file.picture = std::move(decoded.picture);
    file.sourceBits = decoded.sourceBits;
    file.depthLabel = LabelFor(decoded.sourceBits);
    file.readerName = ReaderName(reader);
    return file;
}

}  // namespace

std::string LowerExtension(const std::string& path)
{
    const std::string name = std::filesystem::path(path).filename().string();
    const auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return "";
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

std::string DepthLabel(int sourceBits)
{
    return LabelFor(sourceBits);
}

std::string ReaderNameFor(const std::string& extension, ReaderTable table)
{
    return ReaderName(ChooseReader(extension, table));
}

PictureFile DecodePicture(ByteView data, const std::string& extension, ReaderTable table)
{
    const Reader chosen = ChooseReader(extension, table);
    try {
        return Finish(RunReader(chosen, data, extension), chosen);
    } catch (const ImagingError&) {
        // The content may plainly be another format (bitmap data saved as .ico, a PNG named .jpg, ...).
        const auto sniffed = SniffReader(data);
        if (!sniffed || *sniffed == chosen || (chosen == Reader::Cursor && *sniffed == Reader::Icon))
            throw;
        return Finish(RunReader(*sniffed, data, extension), *sniffed);
    }
}

Bytes ReadWholeFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw ImagingError("Cannot open file \"" + path + "\": " + std::strerror(errno) + ".");
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw ImagingError("\"" + path + "\" is not a readable file.");
    }
    Bytes bytes = OutputBuffer(std::size_t(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = errno;
            ::close(fd);
            throw ImagingError("Cannot read file \"" + path + "\"" + (n < 0 ? std::string(": ") + std::strerror(error) : "") + ".");
        }
        done += std::size_t(n);
    }
    ::close(fd);
    return bytes;
}

PictureFile ReadPictureFile(const std::string& path, ReaderTable table)
{
    const Bytes bytes = ReadWholeFile(path);
    try {
        return DecodePicture(bytes, LowerExtension(path), table);
    } catch (const ImagingError& error) {
        throw ImagingError("\"" + std::filesystem::path(path).filename().string() + "\": " + error.what());
    }
}

namespace {

enum class Writer { Jpeg, Jp2, J2k, Gif, Tiff, Pcx, Png, Pbm, Pgm, Ppm, Targa, Bmp };

Writer ChooseWriter(const std::string& ext)
{
    if (IsOneOf(ext, {"jpg", "jpeg", "jpe"})) return Writer::Jpeg;
    if (ext == "jp2") return Writer::Jp2;
    if (IsOneOf(ext, {"j2k", "jpc", "j2c"})) return Writer::J2k;
    if (ext == "gif") return Writer::Gif;
    if (IsOneOf(ext, {"tif", "tiff", "fax", "g3n", "g3f"})) return Writer::Tiff;
    if (IsOneOf(ext, {"pcx", "pcc"})) return Writer::Pcx;
    if (ext == "png") return Writer::Png;
    if (ext == "pbm") return Writer::Pbm;
    if (ext == "pgm") return Writer::Pgm;
    if (IsOneOf(ext, {"pxm", "ppm"})) return Writer::Ppm;
    if (IsOneOf(ext, {"tga", "targa", "vda", "icb", "vst", "pix"})) return Writer::Targa;
    // "bmp", "dib", "rle", "ico", "icon" and any other extension ("blz", "cur"): Windows bitmap data.
    return Writer::Bmp;
}

}  // namespace

Bytes EncodePicture(const Picture& picture, const std::string& ext)
{
    if (picture.IsEmpty())
        throw ImagingError("There is no picture to write.");
    switch (ChooseWriter(ext)) {
    case Writer::Jpeg: return WriteJpeg(picture);
    case Writer::Jp2: return WriteJpeg2000(picture, false);
    case Writer::J2k: return WriteJpeg2000(picture, true);
    case Writer::Gif: return WriteGif216(picture);
    case Writer::Tiff: return WriteTiff(picture);
    case Writer::Pcx: return WritePcx(picture);
    case Writer::Png: return WritePng(picture);
    case Writer::Pbm: return WritePnm(picture, PnmKind::Bitmap);
    case Writer::Pgm: return WritePnm(picture, PnmKind::Grey);
    case Writer::Ppm: return WritePnm(picture, PnmKind::Colour);
    case Writer::Targa: return WriteTarga(picture);
    case Writer::Bmp: return WriteBmp(picture);
    }
    throw ImagingError("No writer.");
}

void WriteFileAtomically(const std::string& path, ByteView bytes)
{
    const ByteView pieces[] = {bytes};
    WriteFileAtomically(path, pieces);
}

namespace {

// Writes every piece in order; returns 0 or the errno of the failure.
int WritePieces(int fd, std::span<const ByteView> pieces)
{
    std::vector<iovec> chunks;
    chunks.reserve(pieces.size());
    for (const ByteView piece : pieces)
        if (!piece.empty())
            chunks.push_back({const_cast<std::uint8_t*>(piece.data()), piece.size()});
    const int most = int(std::min<long>(::sysconf(_SC_IOV_MAX) > 0 ? ::sysconf(_SC_IOV_MAX) : 16, 1024));
    std::size_t next = 0;
    while (next < chunks.size()) {
        const int count = int(std::min<std::size_t>(chunks.size() - next, std::size_t(most)));
        const ssize_t n = ::writev(fd, chunks.data() + next, count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        // Step over what was written, possibly part of a chunk.
        std::size_t done = std::size_t(n);
        while (done > 0 && done >= chunks[next].iov_len)
            done -= chunks[next++].iov_len;
        if (done > 0) {
            chunks[next].iov_base = static_cast<std::uint8_t*>(chunks[next].iov_base) + done;
            chunks[next].iov_len -= done;
        }
    }
    return 0;
}

}  // namespace

void WriteFileAtomically(const std::string& path, std::span<const ByteView> pieces)
{
    const std::filesystem::path target(path);
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw ImagingError("Cannot write file \"" + path + "\": " + std::strerror(errno) + ".");
    int error = WritePieces(fd, pieces);
    // Files get the usual permissions, not mkstemp's private ones.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (error == 0 && ::fchmod(fd, 0666 & ~mask) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        throw ImagingError("Cannot write file \"" + path + "\": " + std::strerror(error) + ".");
    }
}

void WritePictureFile(const Picture& picture, const std::string& path)
{
    const std::string ext = LowerExtension(path);
    if (picture.IsEmpty() || ChooseWriter(ext) != Writer::Bmp) {
        const Bytes bytes = EncodePicture(picture, ext);
        WriteFileAtomically(path, bytes);
        return;
    }
    // Bitmap data goes to the file straight from the picture's rows, bottom-up.
    const Bytes header = BmpFileHeader(picture);
    std::vector<ByteView> pieces;
    pieces.reserve(std::size_t(picture.Height()) + 1);
    pieces.emplace_back(header);
    for (int y = picture.Height() - 1; y >= 0; --y)
        pieces.emplace_back(picture.Row(y), picture.Stride());
    WriteFileAtomically(path, pieces);
}

}  // namespace zelpix
