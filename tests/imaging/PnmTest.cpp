#include "CodecChecks.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using namespace zelpix;
using namespace std::string_view_literals;
using namespace zelpix::test;

namespace {

ByteView Text(std::string_view text)
{
    return ByteView(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::string Message(const std::string& file)
{
    try {
        ReadPnm(Text(file));
    } catch (const ImagingError& error) {
        return error.what();
    }
    return "(accepted)";
}

}  // namespace

// Files from netpbm and ImageMagick with maxvals 1 to 65535, compared with netpbm's pamdepth 255 (exact
// rounding) or, for bitmaps, ImageMagick's decoding.
TEST(Pnm, DecodesEveryKindAndMaxvalLikeNetpbm)
{
    const struct {
        const char* file;
        const char* reference;
        int bits;
    } cases[] = {
        {"p1.pbm", "p1.ref.pgm", 1},           {"p4.pbm", "p4.ref.pgm", 1},
        {"p2-1000.pgm", "p2-1000.ref.pnm", 8}, {"p5.pgm", "p5.ref.pnm", 8},
        {"p5-65535.pgm", "p5-65535.ref.pnm", 8}, {"p3-7.ppm", "p3-7.ref.pnm", 24},
        {"p6.ppm", "p6.ref.pnm", 24},          {"p6-100.ppm", "p6-100.ref.pnm", 24},
        {"p6-65535.ppm", "p6-65535.ref.pnm", 24},
    };
    for (const auto& c : cases) {
        const DecodedPicture decoded = ReadPnm(ImagingFixture(std::string("pnm/") + c.file));
        EXPECT_EQ(decoded.sourceBits, c.bits) << c.file;
        ExpectSamePixels(decoded.picture, ReferencePixels(std::string("pnm/") + c.reference), c.file);
    }
}

TEST(Pnm, HeadersWithCommentsAndPlainRasters)
{
    const struct {
        std::string_view file;
        std::vector<std::uint8_t> grey; // expected first row, grey levels
    } cases[] = {
        {"P2\n# made by hand\n3 # width\n1\n# maxval next\n3\n0 1\n# inside the raster\n3\n", {0, 85, 255}},
        {"P1\n4 1\n1010", {0, 255, 0, 255}},                  // plain bits need no separators
        {"P1 2 1 0\t1", {255, 0}},
        {"P2 2 1 10 10 99999", {255, 255}},                   // samples above maxval count as maxval
        {"P5 3 1 255\r\x01\x80\xff", {1, 128, 255}},          // any whitespace ends the header
        {"P5 2 1 65535\n\x80\x00\x00\x80"sv, {128, 0}},         // two bytes a sample, big-endian
        {"P4\n#c\n10 1\n\xA0\x40", {0, 255, 0, 255, 255, 255, 255, 255, 255, 0}},
    };
    for (const auto& c : cases) {
        const Picture picture = ReadPnm(Text(c.file)).picture;
        ASSERT_EQ(picture.Width(), int(c.grey.size())) << c.file;
        for (int x = 0; x < picture.Width(); ++x)
            EXPECT_EQ(picture.Pixel(x, 0), (Bgr{c.grey[x], c.grey[x], c.grey[x]})) << c.file << " pixel " << x;
    }
    const Picture colour = ReadPnm(Text("P3 2 1 255 255 0 0  1 2 3")).picture;
    EXPECT_EQ(colour.Pixel(0, 0), (Bgr{0, 0, 255}));
    EXPECT_EQ(colour.Pixel(1, 0), (Bgr{3, 2, 1}));
}

TEST(Pnm, MalformedAndTruncatedFilesAreRefusedWithAClearMessage)
{
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"P7 1 1 255 x", "not a portable any-map"},
        {"P5 2 1", "truncated"},
        {"P5 2 x 255 ab", "height is not a number"},
        {"P5 2 1 0 ab", "maximum value is 0"},
        {"P5 2 1 65536 abcd", "out of range"},
        {"P6 0 1 255 ", "Invalid picture size"},
        {"P6 99999999999 1 255 ", "out of range"},
        {"P6 16000 16000 255\n\x01\x02\x03", "truncated"},
        {"P5 2 2 255\nabc", "truncated"},
        {"P5 2 1 255abc", "malformed"},
        {"P2 2 1 255 7", "truncated"},
        {"P1 2 1 12", "other than 0 and 1"},
        {"P3 1 1 255 1 2 -3", "not a number"},
    };
    for (const auto& c : cases) {
        const std::string message = Message(c.file);
        EXPECT_NE(message.find(c.message), std::string::npos) << c.file << " -> " << message;
    }
    for (const char* name : {"p6-65535.ppm", "p2-1000.pgm", "p4.pbm"}) {
        const Bytes data = ImagingFixture(std::string("pnm/") + name);
        // A plain raster cut inside its last number still reads.
        ExpectCutsRefused(ReadPnm, data, data.size() - (name[1] == '2' ? 4 : 0), name);
        ExpectCorruptionSurvived(ReadPnm, data, 20, name);
    }
}

// Colour and grey pictures written by us and read back by ImageMagick and netpbm; grey is the truncated
// 299/587/114 luma and bitmaps are black below grey 128.
TEST(Pnm, WrittenFilesAreReadByOtherTools)
{
    TempDir dir;
    const Picture colour = MakeTestPicture(29, 9, 3);
    const auto ppm = dir / "out.ppm";
    WriteBytes(ppm, WritePnm(colour, PnmKind::Colour));
    ExpectSamePixels(DecodeWithImageMagick(ppm), colour, "ppm");
    std::string plain;
    ASSERT_EQ(RunCommand("pnmtopnm -plain " + ShellQuote(ppm.string()) + " 2>/dev/null", &plain), 0);
    ExpectSamePixels(ReadPnm(Text(plain)).picture, colour, "ppm through netpbm");

    const struct {
        Bgr colour;
        std::uint8_t grey;
        bool black;
    } cases[] = {
        {{255, 255, 255}, 255, false}, {{0, 0, 255}, 76, true},     {{0, 255, 0}, 149, false},
        {{255, 0, 0}, 29, true},       {{30, 20, 10}, 18, true},    {{128, 128, 128}, 128, false},
        {{127, 127, 127}, 127, true},  {{0, 218, 0}, 127, true},    {{1, 218, 0}, 128, false},
    };
    Picture swatches(int(std::size(cases)), 1);
    for (int x = 0; x < swatches.Width(); ++x)
        swatches.SetPixel(x, 0, cases[x].colour);
    const auto pgm = dir / "out.pgm";
    const auto pbm = dir / "out.pbm";
    WriteBytes(pgm, WritePnm(swatches, PnmKind::Grey));
    WriteBytes(pbm, WritePnm(swatches, PnmKind::Bitmap));
    const Picture grey = DecodeWithImageMagick(pgm);
    const Picture bits = DecodeWithImageMagick(pbm);
    ASSERT_EQ(grey.Width(), swatches.Width());
    ASSERT_EQ(bits.Width(), swatches.Width());
    for (int x = 0; x < swatches.Width(); ++x) {
        EXPECT_EQ(grey.Pixel(x, 0).g, cases[x].grey) << "swatch " << x;
        EXPECT_EQ(bits.Pixel(x, 0).g, cases[x].black ? 0 : 255) << "swatch " << x;
    }
    const Bytes header = WritePnm(swatches, PnmKind::Bitmap);
    EXPECT_EQ(std::string(header.begin(), header.begin() + 7), "P4\n9 1\n");
}
