// The dispatcher: which reader and writer each extension gets, the content fallback, atomic saving.
#include "imaging/ImagingError.h"
#include "imaging/PictureIO.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace zelpix;
using namespace zelpix::test;

namespace {

// The picture's pixels as ImageMagick reads them from a file, as packed RGB bytes.
std::string MagickRgb(const std::string& file)
{
    std::string out;
    RunCommand("convert-im6.q16 " + ShellQuote(file) + " -depth 8 rgb:- 2>/dev/null", &out);
    return out;
}

std::string PackedRgb(const Picture& picture)
{
    std::string out;
    out.reserve(std::size_t(picture.Width()) * picture.Height() * 3);
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            const Bgr c = picture.Pixel(x, y);
            out += char(c.r);
            out += char(c.g);
            out += char(c.b);
        }
    return out;
}

std::string MagickFormat(const std::string& file)
{
    std::string out;
    RunCommand("identify-im6.q16 -format '%m' " + ShellQuote(file) + " 2>/dev/null", &out);
    return out;
}

// Pillow's view (format name, then RGB bytes); ImageMagick 6 ignores the Targa origin bit, Pillow does not.
std::string PillowRgb(const std::string& file, std::string* format)
{
    std::string out;
    RunCommand("/usr/bin/python3 -c 'import sys; from PIL import Image; i = Image.open(sys.argv[1]); "
               "sys.stdout.write(i.format + \"\\n\"); sys.stdout.flush(); "
               "sys.stdout.buffer.write(i.convert(\"RGB\").tobytes())' " + ShellQuote(file) + " 2>/dev/null", &out);
    const auto newline = out.find('\n');
    if (newline == std::string::npos)
        return "";
    *format = out.substr(0, newline);
    return out.substr(newline + 1);
}

}  // namespace

TEST(Dispatch, ReaderTablesByExtension)
{
    struct Row {
        const char* ext;
        const char* document;
        const char* byExtension;
    };
    const Row rows[] = {
        {"jpg", "JPEG", "JPEG"}, {"jpeg", "JPEG", "JPEG"}, {"jpe", "JPEG", "JPEG"},
        {"jp2", "JPEG 2000", "JPEG 2000"}, {"j2k", "JPEG 2000", "JPEG 2000"}, {"jpc", "JPEG 2000", "JPEG 2000"},
        {"j2c", "JPEG 2000", "JPEG 2000"}, {"gif", "GIF", "GIF"}, {"tif", "TIFF", "TIFF"}, {"tiff", "TIFF", "TIFF"},
        {"fax", "TIFF (fax)", "TIFF (fax)"}, {"g3n", "TIFF (fax)", "TIFF (fax)"}, {"g3f", "TIFF (fax)", "TIFF (fax)"},
        {"bmp", "Windows bitmap", "Windows bitmap"}, {"dib", "Windows bitmap", "Windows bitmap"},
        {"rle", "Windows bitmap", "Windows bitmap"}, {"ico", "icon", "icon"}, {"icon", "icon", "icon"},
        {"cur", "cursor", "cursor"}, {"pcx", "PCX", "PCX"}, {"pcc", "PCX", "general picture loader"},
        {"png", "PNG", "PNG"}, {"pxm", "portable any-map", "portable any-map"},
        {"ppm", "portable any-map", "portable any-map"}, {"pgm", "portable any-map", "portable any-map"},
        {"pbm", "portable any-map", "portable any-map"}, {"tga", "Targa", "Targa"}, {"targa", "Targa", "Targa"},
        {"vda", "Targa", "Targa"}, {"icb", "Targa", "Targa"}, {"vst", "Targa", "Targa"}, {"pix", "Targa", "Targa"},
        {"psd", "general picture loader", "general picture loader"}, {"blz", "general picture loader", "general picture loader"},
        {"cel", "Autodesk CEL", "Autodesk CEL"}, {"emf", "enhanced metafile", "enhanced metafile"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ReaderNameFor(row.ext, ReaderTable::Document), row.document) << row.ext;
        EXPECT_EQ(ReaderNameFor(row.ext, ReaderTable::ByExtension), row.byExtension) << row.ext;
    }
    EXPECT_EQ(LowerExtension("/a.b/Photo.JPG"), "jpg");
    EXPECT_EQ(LowerExtension("/a.b/noext"), "");
}

TEST(Dispatch, DepthLabels)
{
    for (auto [bits, label] : {std::pair{1, "2"}, {4, "16"}, {8, "256"}, {16, "16M"}, {24, "24M"}, {15, "32M"},
                               {32, "32M"}, {2, "32M"}, {48, "32M"}})
        EXPECT_EQ(DepthLabel(bits), label) << bits;
}

// Every extension of the writer table gives the format it names; lossless ones keep the pixels exactly,
// as an independent reader sees them.
TEST(Dispatch, WriterTableAsSeenByAnIndependentReader)
{
    ASSERT_TRUE(HaveTool("identify-im6.q16"));
    struct Row {
        const char* ext;
        const char* magickPrefix; // how ImageMagick must be told the format, when the extension does not say it;
                                  // "pil": Pillow is the reader
        const char* format;       // what the reader identifies
        bool exact;               // pixels compared exactly
    };
    const Row rows[] = {
        {"jpg", "", "JPEG", false}, {"jpeg", "", "JPEG", false}, {"jpe", "jpeg:", "JPEG", false},
        {"jp2", "", "JP2", true}, {"j2k", "", "J2K", true}, {"jpc", "j2k:", "J2K", true}, {"j2c", "j2k:", "J2K", true},
        {"gif", "", "GIF", false}, {"tif", "", "TIFF", true}, {"tiff", "", "TIFF", true}, {"fax", "tiff:", "TIFF", true},
        {"g3n", "tiff:", "TIFF", true}, {"g3f", "tiff:", "TIFF", true}, {"bmp", "", "BMP3", true},
        {"dib", "bmp:", "BMP3", true}, {"rle", "bmp:", "BMP3", true}, {"ico", "bmp:", "BMP3", true},
        {"icon", "bmp:", "BMP3", true}, {"blz", "bmp:", "BMP3", true}, {"cur", "bmp:", "BMP3", true},
        {"xyz", "bmp:", "BMP3", true}, {"pcx", "", "PCX", true}, {"pcc", "pcx:", "PCX", true}, {"png", "", "PNG", true},
        {"ppm", "", "PPM", true}, {"pxm", "ppm:", "PPM", true}, {"pgm", "", "PGM", false}, {"pbm", "", "PBM", false},
        {"tga", "pil", "TGA", true}, {"targa", "pil", "TGA", true}, {"vda", "pil", "TGA", true},
        {"icb", "pil", "TGA", true}, {"vst", "pil", "TGA", true}, {"pix", "pil", "TGA", true},
    };
    TempDir dir;
    const Picture picture = MakeTestPicture(37, 23);
    const std::string expected = PackedRgb(picture);
    for (const Row& row : rows) {
        const std::string path = (dir / (std::string("w.") + row.ext)).string();
        ASSERT_NO_THROW(WritePictureFile(picture, path)) << row.ext;
        std::string format, seen;
        if (std::string(row.magickPrefix) == "pil") {
            seen = PillowRgb(path, &format);
        } else {
            const std::string named = std::string(row.magickPrefix) + path;
            format = MagickFormat(named);
            seen = MagickRgb(named);
        }
        EXPECT_EQ(format, row.format) << row.ext;
        ASSERT_EQ(seen.size(), expected.size()) << row.ext;
        if (row.exact)
            EXPECT_TRUE(seen == expected) << row.ext;
        // And our own reader takes back what we wrote (formats that keep colour exactly).
        if (row.exact && std::string(row.ext) != "xyz") {
            const PictureFile back = ReadPictureFile(path);
            EXPECT_TRUE(back.picture.SamePixels(picture)) << row.ext;
        }
    }
}

// The writer table stores bitmap data under "ico", "cur" and "blz": such files still open.
TEST(Dispatch, ContentOfAnotherFormatStillOpens)
{
    TempDir dir;
    const Picture picture = MakeTestPicture(20, 10);
    for (const char* name : {"x.ico", "x.cur", "x.blz", "x.icon"}) {
        const std::string path = (dir / name).string();
        WritePictureFile(picture, path);
        const PictureFile file = ReadPictureFile(path);
        EXPECT_TRUE(file.picture.SamePixels(picture)) << name;
        EXPECT_EQ(file.readerName, "Windows bitmap") << name;
        EXPECT_EQ(file.depthLabel, "24M") << name;
    }
    // A PNG named .jpg opens too.
    const std::string png = (dir / "photo.jpg").string();
    WriteFileAtomically(png, EncodePicture(picture, "png"));
    EXPECT_TRUE(ReadPictureFile(png).picture.SamePixels(picture));
}

TEST(Dispatch, ErrorsNameTheFileAndLeaveNothingBehind)
{
    TempDir dir;
    WriteBytes(dir / "junk.png", {1, 2, 3, 4, 5});
    try {
        ReadPictureFile((dir / "junk.png").string());
        FAIL();
    } catch (const ImagingError& error) {
        EXPECT_NE(std::string(error.what()).find("junk.png"), std::string::npos) << error.what();
    }
    EXPECT_THROW(ReadPictureFile((dir / "missing.bmp").string()), ImagingError);
    EXPECT_THROW(ReadPictureFile(dir.Path().string() + "/"), ImagingError);
}

TEST(Dispatch, FailedSaveKeepsTheOldFile)
{
    TempDir dir;
    const std::string path = (dir / "keep.bmp").string();
    WritePictureFile(MakeTestPicture(8, 8), path);
    const auto before = ReadBytes(path);
    EXPECT_THROW(WritePictureFile(Picture(), path), ImagingError);  // nothing to write
    EXPECT_EQ(ReadBytes(path), before);

    // The final rename fails (a folder of that name is in the way): the folder and its content stay.
    std::filesystem::create_directory(dir / "taken.bmp");
    WriteBytes(dir / "taken.bmp" / "inside", {1});
    EXPECT_THROW(WritePictureFile(MakeTestPicture(9, 9, 7), (dir / "taken.bmp").string()), ImagingError);
    EXPECT_EQ(ReadBytes(dir / "taken.bmp" / "inside"), std::vector<std::uint8_t>{1});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);  // no temporary left
    EXPECT_THROW(WritePictureFile(MakeTestPicture(4, 4), (dir / "no" / "such" / "x.png").string()), ImagingError);
}
