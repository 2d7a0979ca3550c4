#include "CodecChecks.h"

#include "imaging/LittleEndian.h"

#include <gtest/gtest.h>

using namespace zelpix;
using namespace zelpix::test;

namespace {

Bytes PcxHeader(int version, int encoding, int bitsPerPixel, int planes, int width, int height, int bytesPerLine)
{
    Bytes h(128, 0);
    h[0] = 0x0A;
    h[1] = std::uint8_t(version);
    h[2] = std::uint8_t(encoding);
    h[3] = std::uint8_t(bitsPerPixel);
    PutLe16(&h[8], std::uint32_t(width - 1));
    PutLe16(&h[10], std::uint32_t(height - 1));
    h[65] = std::uint8_t(planes);
    PutLe16(&h[66], std::uint32_t(bytesPerLine));
    return h;
}

Bytes Join(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

// Files from ImageMagick, netpbm (packed 2 and 4 bits, 3 and 4 bit planes) and Pillow (1 bit, grey,
// palette), compared with netpbm's decoding; ImageMagick agrees on all but Pillow's 1-bit file, where it
// takes the empty header palette instead of black and white.
TEST(Pcx, DecodesToolFilesExactlyWithTheirDepth)
{
    const struct {
        const char* name;
        int bits;
    } cases[] = {
        {"im-rgb24", 24},       {"netpbm-rgb24", 24},   {"im-pal8", 8},         {"netpbm-pal8", 8},
        {"pil-pal8", 8},        {"pil-grey8", 8},       {"netpbm-packed4", 4},  {"netpbm-planes4", 4},
        {"netpbm-planes3", 3},  {"netpbm-packed2", 2},  {"pil-mono1", 1},
    };
    for (const auto& c : cases) {
        const std::string name = std::string("pcx/") + c.name;
        const DecodedPicture decoded = ReadPcx(ImagingFixture(name + ".pcx"));
        EXPECT_EQ(decoded.sourceBits, c.bits) << name;
        ExpectSamePixels(decoded.picture, ReferencePixels(name + ".ppm"), name);
    }
}

TEST(Pcx, RunsAcrossLinesLiteralsAndFilesWithoutPalette)
{
    // 24 bits, 2 x 2, lines of 2 bytes for red, green and blue: a run of 9 fills row 0 and spills into red and
    // the first green byte of row 1; then 0xC5 as a run of one, a literal 7 and a run of 1s.
    const Bytes rle = Join(PcxHeader(5, 1, 8, 3, 2, 2, 2), {0xC9, 9, 0xC1, 0xC5, 0x07, 0xC3, 0x01});
    const Picture picture = ReadPcx(rle).picture;
    EXPECT_EQ(picture.Pixel(0, 0), (Bgr{9, 9, 9}));
    EXPECT_EQ(picture.Pixel(1, 0), (Bgr{9, 9, 9}));
    EXPECT_EQ(picture.Pixel(0, 1), (Bgr{7, 9, 9}));
    EXPECT_EQ(picture.Pixel(1, 1), (Bgr{1, 0xC5, 9}));

    // Uncompressed, version 3 with 8 bits and no palette: grey.
    const Bytes grey = Join(PcxHeader(3, 0, 8, 1, 3, 1, 4), {0, 0x80, 0xFF, 0});
    const DecodedPicture decoded = ReadPcx(grey);
    EXPECT_EQ(decoded.sourceBits, 8);
    EXPECT_EQ(decoded.picture.Pixel(1, 0), (Bgr{0x80, 0x80, 0x80}));
    EXPECT_EQ(decoded.picture.Pixel(2, 0), (Bgr{255, 255, 255}));
    // Version 5 promises the palette: without it the file is refused, not shown grey.
    Bytes noPalette = grey;
    noPalette[1] = 5;
    EXPECT_THROW(ReadPcx(noPalette), ImagingError);
}

TEST(Pcx, WrittenFilesAreReadByOtherToolsWithTheSamePixels)
{
    TempDir dir;
    for (auto [width, height] : {std::pair{31, 9}, {1, 1}, {64, 3}}) {
        Picture picture = MakeTestPicture(width, height, 11);
        if (width == 64) // long runs and bytes of 0xC0 and above
            for (int x = 0; x < width; ++x)
                picture.SetPixel(x, 1, x < 40 ? Bgr{0xC0, 0xC0, 0xC0} : Bgr{0xFF, 0x00, 0xD1});
        const Bytes bytes = WritePcx(picture);
        EXPECT_EQ(bytes[1], 5);
        EXPECT_EQ(bytes[65], 3);
        EXPECT_EQ(GetLe16(&bytes[66]) % 2, 0u); // even line length
        const auto file = dir / "out.pcx";
        WriteBytes(file, bytes);
        ExpectSamePixels(DecodeWithImageMagick(file), picture, "ImageMagick");
        if (width > 1) // Pillow reads the planes of a one-pixel line without their padding byte
            ExpectSamePixels(DecodeWithPillow(file), picture, "Pillow");
        std::string out;
        ASSERT_EQ(RunCommand("pcxtoppm " + ShellQuote(file.string()) + " 2>/dev/null", &out), 0);
        ExpectSamePixels(ReadPnm(ByteView(reinterpret_cast<const std::uint8_t*>(out.data()), out.size())).picture,
                         picture, "netpbm");
    }
}

TEST(Pcx, TruncatedAndCorruptFilesAreRefusedCleanly)
{
    for (const char* name : {"im-rgb24", "netpbm-pal8", "netpbm-planes4", "pil-mono1", "netpbm-packed2"}) {
        const Bytes data = ImagingFixture(std::string("pcx/") + name + ".pcx");
        ExpectCutsRefused(ReadPcx, data, data.size(), name);
        ExpectCorruptionSurvived(ReadPcx, data, 128, name);
    }
    const struct {
        Bytes file;
        const char* message;
    } cases[] = {
        {PcxHeader(5, 1, 8, 2, 4, 4, 4), "2 planes of 8 bits"},
        {PcxHeader(5, 1, 8, 3, 40, 4, 20), "shorter than the picture is wide"},
        {PcxHeader(5, 1, 8, 3, 16000, 16000, 16000), "truncated"},
        {PcxHeader(9, 1, 8, 3, 4, 4, 4), "not a PCX"},
        {Bytes(127, 0x0A), "not a PCX"},
    };
    for (const auto& c : cases) {
        try {
            ReadPcx(c.file);
            ADD_FAILURE() << c.message << ": accepted";
        } catch (const ImagingError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}
