#include "CodecChecks.h"
#include "MagickReference.h"

#include <gtest/gtest.h>

using namespace zelpix;
using namespace zelpix::test;

namespace {

struct TiffCase {
    const char* file;
    int sourceBits;
    int tolerance;  // JPEG data and CMYK inks are converted by each decoder with its own rounding
};

}  // namespace

// Files of tiffcp, pamtotiff and ImageMagick in every sample layout, against ImageMagick's samples.
TEST(Tiff, DecodesEveryLayoutAndCompressionAsImageMagickDoes)
{
    const TiffCase cases[] = {
        {"rgb8-none.tif", 24, 0},         {"rgb8-lzw.tif", 24, 0},          {"rgb8-zip.tif", 24, 0},
        {"rgb8-packbits.tif", 24, 0},     {"rgb8-tiled.tif", 24, 0},        {"rgb16.tif", 48, 0},
        {"rgba8.tif", 32, 0},             {"grey8.tif", 8, 0},              {"grey16.tif", 16, 0},
        {"grey16-miniswhite.tif", 16, 0}, {"grey4.tif", 4, 0},              {"palette8.tif", 8, 0},
        {"palette4.tif", 4, 0},           {"bilevel-miniswhite.tif", 1, 0}, {"bilevel-minisblack.tif", 1, 0},
        {"g3-1d.tif", 1, 0},              {"g3-2d.tif", 1, 0},              {"g4.tif", 1, 0},
        {"rgb-jpeg.tif", 24, 2},          {"ycbcr-jpeg-tiled.tif", 24, 3},  {"cmyk.tif", 32, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const DecodedPicture decoded = ReadTiff(ImagingFixture(std::string("tiff/") + c.file));
        EXPECT_EQ(decoded.sourceBits, c.sourceBits);
        const Picture expected = MagickReference(FixturePath(std::string("imaging/tiff/") + c.file));
        ASSERT_FALSE(expected.IsEmpty());
        if (c.tolerance == 0)
            ExpectSamePixels(decoded.picture, expected, c.file);
        else
            EXPECT_LE(MaxChannelDifference(decoded.picture, expected), c.tolerance);
    }
}

// Rows stored bottom to top are shown top to bottom.
TEST(Tiff, OrientationIsApplied)
{
    const Picture upright = ReadTiff(ImagingFixture("tiff/rgb8-none.tif")).picture;
    const Picture flipped = ReadTiff(ImagingFixture("tiff/bottom-left.tif")).picture;
    ASSERT_EQ(flipped.Height(), upright.Height());
    const Picture expected = DecodeWithImageMagick(FixturePath("imaging/tiff/bottom-left.tif"), "-auto-orient");
    ExpectSamePixels(flipped, expected, "bottom-left");
    EXPECT_FALSE(flipped.SamePixels(upright));
}

// Raw G3 of tiffcp's encoder in three codings, against fax2tiff's reading of the same bytes.
TEST(Tiff, RawFaxDataIsReadInEveryCoding)
{
    for (const char* file : {"fax-1d-lsb.fax", "fax-1d-msb.g3n", "fax-2d-fill.g3f"}) {
        SCOPED_TRACE(file);
        const DecodedPicture decoded = ReadRawFaxG3(ImagingFixture(std::string("tiff/") + file));
        EXPECT_EQ(decoded.sourceBits, 1);
        std::string reference = std::string("imaging/tiff/") + file;
        reference = reference.substr(0, reference.rfind('.')) + ".ref.tif";
        const Picture expected = MagickReference(FixturePath(reference));
        ASSERT_FALSE(expected.IsEmpty());
        EXPECT_EQ(expected.Width(), 1728);
        ExpectSamePixels(decoded.picture, expected, file);
    }
    EXPECT_THROW(ReadRawFaxG3(Bytes(300, 0)), ImagingError);
}

// Our files: 24-bit RGB without compression, the same pixels for tiffinfo's and ImageMagick's reading.
TEST(Tiff, WrittenFilesAreReadBackExactly)
{
    TempDir dir;
    for (const auto& size : {std::pair{1, 1}, std::pair{37, 23}, std::pair{300, 70}}) {
        const Picture picture = MakeTestPicture(size.first, size.second, 5);
        const Bytes tiff = WriteTiff(picture);
        const auto path = dir / "out.tif";
        WriteBytes(path, tiff);
        std::string info;
        ASSERT_EQ(RunCommand("tiffinfo " + ShellQuote(path.string()) + " 2>&1", &info), 0);
        EXPECT_NE(info.find("Bits/Sample: 8"), std::string::npos) << info;
        EXPECT_NE(info.find("Samples/Pixel: 3"), std::string::npos) << info;
        EXPECT_NE(info.find("Compression Scheme: None"), std::string::npos) << info;
        EXPECT_NE(info.find("RGB color"), std::string::npos) << info;
        ExpectSamePixels(DecodeWithImageMagick(path), picture, "written TIFF");
        EXPECT_TRUE(ReadTiff(tiff).picture.SamePixels(picture));
    }
}

TEST(Tiff, TruncatedAndCorruptFilesAreRefusedCleanly)
{
    // In these files the pixel data comes before the directory: a cut before the directory loses pixels
    // (later cuts may only lose tags that the picture does not need).
    for (const char* file : {"rgb8-lzw.tif", "g4.tif", "ycbcr-jpeg-tiled.tif", "palette4.tif"}) {
        const Bytes data = ImagingFixture(std::string("tiff/") + file);
        ASSERT_EQ(data[0], 'I');
        const std::size_t directory = data[4] | data[5] << 8 | data[6] << 16 | std::size_t(data[7]) << 24;
        ExpectCutsRefused(ReadTiff, data, directory, file);
        ExpectCorruptionSurvived(ReadTiff, data, 64, file);
    }
    // The end of the file with its directory intact, the pixel data cut short.
    Bytes data = ImagingFixture("tiff/rgb8-none.tif");
    ExpectCorruptionSurvived(ReadTiff, data, 16, "rgb8-none.tif");
    for (const std::size_t n : {std::size_t(0), std::size_t(7), std::size_t(300)})
        EXPECT_THROW(ReadRawFaxG3(ByteView(Bytes(n, 0xFF))), ImagingError) << n;
    ExpectCorruptionSurvived(ReadRawFaxG3, ImagingFixture("tiff/fax-2d-fill.g3f"), 32, "raw fax");
}
