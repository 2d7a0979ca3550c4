#include "CodecChecks.h"

#include <gtest/gtest.h>

using namespace zelpix;
using namespace zelpix::test;

namespace {

// djpeg's reading of a file (same library, same default inverse DCT and upsampling).
Picture DecodeWithDjpeg(const std::filesystem::path& path)
{
    TempDir dir;
    const auto out = dir / "out.pnm";
    EXPECT_EQ(RunCommand("djpeg -pnm -outfile " + ShellQuote(out.string()) + " " + ShellQuote(path.string())), 0);
    Picture picture = ReadPnm(ReadBytes(out)).picture;
    EXPECT_FALSE(picture.IsEmpty());
    return picture;
}

// An APP1 "Exif" block holding only the orientation tag, inserted after the start marker.
Bytes WithOrientation(const Bytes& jpeg, int orientation, bool bigEndian)
{
    auto put16 = [&](Bytes& b, unsigned v) {
        if (bigEndian) {
            b.push_back(std::uint8_t(v >> 8));
            b.push_back(std::uint8_t(v));
        } else {
            b.push_back(std::uint8_t(v));
            b.push_back(std::uint8_t(v >> 8));
        }
    };
    auto put32 = [&](Bytes& b, std::uint32_t v) {
        if (bigEndian) {
            put16(b, v >> 16);
            put16(b, v & 0xFFFF);
        } else {
            put16(b, v & 0xFFFF);
            put16(b, v >> 16);
        }
    };
    Bytes tiff = {std::uint8_t(bigEndian ? 'M' : 'I'), std::uint8_t(bigEndian ? 'M' : 'I')};
    put16(tiff, 42);
    put32(tiff, 8);
    put16(tiff, 2);                     // two entries: a resolution unit, then the orientation
    put16(tiff, 0x0128), put16(tiff, 3), put32(tiff, 1), put16(tiff, 2), put16(tiff, 0);
    put16(tiff, 0x0112), put16(tiff, 3), put32(tiff, 1), put16(tiff, unsigned(orientation)), put16(tiff, 0);
    put32(tiff, 0);
    Bytes app1 = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    app1.insert(app1.end(), tiff.begin(), tiff.end());
    app1[2] = std::uint8_t((app1.size() - 2) >> 8);
    app1[3] = std::uint8_t(app1.size() - 2);
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), app1.begin(), app1.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

}  // namespace

TEST(Jpeg, DecodesLikeDjpegWithTheFileDepth)
{
    const std::pair<const char*, int> cases[] = {
        {"rgb.jpg", 24}, {"grey.jpg", 8}, {"progressive.jpg", 24}, {"quad.jpg", 24}};
    for (const auto& [file, bits] : cases) {
        SCOPED_TRACE(file);
        const DecodedPicture decoded = ReadJpeg(ImagingFixture(std::string("jpeg/") + file));
        EXPECT_EQ(decoded.sourceBits, bits);
        ExpectSamePixels(decoded.picture, DecodeWithDjpeg(FixturePath(std::string("imaging/jpeg/") + file)), file);
    }
}

// ImageMagick writes Adobe CMYK (inverted inks); its own conversion to RGB rounds differently.
TEST(Jpeg, AdobeCmykIsConvertedToRgb)
{
    const DecodedPicture decoded = ReadJpeg(ImagingFixture("jpeg/cmyk.jpg"));
    EXPECT_EQ(decoded.sourceBits, 32);
    const Picture reference = DecodeWithImageMagick(FixturePath("imaging/jpeg/cmyk.jpg"), "-colorspace sRGB");
    ASSERT_FALSE(reference.IsEmpty());
    EXPECT_LE(MaxChannelDifference(decoded.picture, reference), 2);
    EXPECT_LT(MeanChannelDifference(decoded.picture, reference), 0.6);
}

// The quadrant picture is red, green / blue, yellow; each orientation turns it upright, in both byte orders.
TEST(Jpeg, ExifOrientationIsApplied)
{
    const Bytes plain = ImagingFixture("jpeg/quad.jpg");
    enum Colour { Red, Green, Blue, Yellow };
    struct Case {
        int orientation;
        bool swapped;
        Colour topLeft, topRight, bottomLeft;
    };
    // The stored picture as it must be shown for each tag value.
    const Case cases[] = {
        {1, false, Red, Green, Blue},   {2, false, Green, Red, Yellow}, {3, false, Yellow, Blue, Green},
        {4, false, Blue, Yellow, Red},  {5, true, Red, Blue, Green},    {6, true, Blue, Red, Yellow},
        {7, true, Yellow, Green, Blue}, {8, true, Green, Yellow, Red},
    };
    auto colourAt = [](const Picture& p, int x, int y) {
        const Bgr c = p.Pixel(x, y);
        if (c.r > 200 && c.g > 200) return Yellow;
        if (c.r > 200) return Red;
        if (c.g > 200) return Green;
        return Blue;
    };
    for (const bool big : {false, true})
        for (const auto& c : cases) {
            SCOPED_TRACE("orientation " + std::to_string(c.orientation) + (big ? " big-endian" : " little-endian"));
            const Picture p = ReadJpeg(WithOrientation(plain, c.orientation, big)).picture;
            ASSERT_EQ(p.Width(), c.swapped ? 8 : 16);
            ASSERT_EQ(p.Height(), c.swapped ? 16 : 8);
            EXPECT_EQ(colourAt(p, 1, 1), c.topLeft);
            EXPECT_EQ(colourAt(p, p.Width() - 2, 1), c.topRight);
            EXPECT_EQ(colourAt(p, 1, p.Height() - 2), c.bottomLeft);
        }
    // Values outside 1 to 8 leave the picture as stored.
    for (const int odd : {0, 9, 300})
        EXPECT_TRUE(ReadJpeg(WithOrientation(plain, odd, false)).picture.SamePixels(ReadJpeg(plain).picture)) << odd;
}

// Our files at the library's default quality: byte for byte the pixels that cjpeg's defaults give.
TEST(Jpeg, WrittenFilesMatchCjpegDefaults)
{
    TempDir dir;
    for (const auto& size : {std::pair{1, 1}, std::pair{33, 17}, std::pair{64, 48}}) {
        const Picture picture = MakeTestPicture(size.first, size.second, 3);
        const auto ours = dir / "ours.jpg", ppm = dir / "in.ppm", theirs = dir / "theirs.jpg";
        WriteBytes(ours, WriteJpeg(picture));
        WriteBytes(ppm, WritePnm(picture, PnmKind::Colour));
        ASSERT_EQ(RunCommand("cjpeg -outfile " + ShellQuote(theirs.string()) + " " + ShellQuote(ppm.string())), 0);
        const Picture ourPixels = DecodeWithDjpeg(ours);
        ExpectSamePixels(ourPixels, DecodeWithDjpeg(theirs), "against cjpeg");
        EXPECT_LT(MeanChannelDifference(ourPixels, picture), 25.0);
    }
}

TEST(Jpeg, TruncatedAndCorruptFilesAreRefusedCleanly)
{
    for (const char* file : {"rgb.jpg", "progressive.jpg", "cmyk.jpg"}) {
        const Bytes data = ImagingFixture(std::string("jpeg/") + file);
        // Only the end marker may be missing.
        ExpectCutsRefused(ReadJpeg, data, data.size() - 2, file);
        ExpectCorruptionSurvived(ReadJpeg, data, 400, file);
    }
    // A frame header claiming 65535 x 65535 is refused before anything is allocated.
    Bytes huge = ImagingFixture("jpeg/rgb.jpg");
    for (std::size_t i = 2; i + 9 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = huge[i + 6] = huge[i + 7] = huge[i + 8] = 0xFF;
            break;
        }
    EXPECT_THROW(ReadJpeg(huge), ImagingError);
}
