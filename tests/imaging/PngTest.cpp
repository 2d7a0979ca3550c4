#include "CodecChecks.h"
#include "MagickReference.h"

#include <gtest/gtest.h>

using namespace zelpix;
using namespace zelpix::test;


// Every colour type and depth made by Pillow, netpbm and ImageMagick, against ImageMagick's samples.
TEST(Png, DecodesEveryColourTypeAndDepthAsImageMagickDoes)
{
    const std::pair<const char*, int> cases[] = {
        {"grey1.png", 1},        {"grey2.png", 4},         {"grey8.png", 8},
        {"grey16.png", 16},      {"palette1.png", 1},      {"palette2.png", 4},
        {"palette4.png", 4},     {"palette8-trns.png", 8}, {"grey-alpha8.png", 16},
        {"rgb8.png", 24},        {"rgb16.png", 48},        {"rgba8.png", 32},
        {"rgba16.png", 64},      {"rgb8-interlaced.png", 24}, {"rgba8-interlaced.png", 32},
    };
    for (const auto& [file, bits] : cases) {
        SCOPED_TRACE(file);
        const DecodedPicture decoded = ReadPng(ImagingFixture(std::string("png/") + file));
        EXPECT_EQ(decoded.sourceBits, bits);
        const Picture expected = MagickReference(FixturePath(std::string("imaging/png/") + file));
        ASSERT_FALSE(expected.IsEmpty());
        ExpectSamePixels(decoded.picture, expected, file);
    }
}

// Pillow's own compositing over white agrees with ours for 8-bit alpha.
TEST(Png, AlphaOverWhiteMatchesPillow)
{
    TempDir dir;
    const auto out = dir / "flat.ppm";
    const std::string script =
        "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1]).convert('RGBA')\n"
        "w = Image.new('RGBA', im.size, (255, 255, 255, 255))\n"
        "Image.alpha_composite(w, im).convert('RGB').save(sys.argv[2])\n";
    for (const char* file : {"rgba8.png", "grey-alpha8.png", "palette8-trns.png"}) {
        const auto path = FixturePath(std::string("imaging/png/") + file);
        ASSERT_EQ(RunCommand("/usr/bin/python3 -c " + ShellQuote(script) + " " + ShellQuote(path.string()) + " " +
                             ShellQuote(out.string())),
                  0);
        ExpectSamePixels(ReadPng(ImagingFixture(std::string("png/") + file)).picture,
                         ReadPnm(ReadBytes(out)).picture, file);
    }
}

// Our files: 8-bit RGB, the same pixels when ImageMagick reads them, and unfiltered rows.
TEST(Png, WrittenFilesAreReadBackExactlyByImageMagick)
{
    TempDir dir;
    for (const auto& size : {std::pair{1, 1}, std::pair{37, 23}, std::pair{256, 3}}) {
        const Picture picture = MakeTestPicture(size.first, size.second, 7);
        const Bytes png = WritePng(picture);
        const auto path = dir / "out.png";
        WriteBytes(path, png);
        std::string info;
        ASSERT_EQ(RunCommand("identify-im6.q16 -format '%[png:IHDR.bit-depth-orig] %[png:IHDR.color-type-orig]' " +
                                 ShellQuote(path.string()),
                             &info),
                  0);
        EXPECT_EQ(info, "8 2");
        ExpectSamePixels(DecodeWithImageMagick(path), picture, "written PNG");
        EXPECT_TRUE(ReadPng(png).picture.SamePixels(picture));
    }
}

TEST(Png, TruncatedAndCorruptFilesAreRefusedCleanly)
{
    for (const char* file : {"rgb8.png", "palette4.png", "rgba8-interlaced.png", "grey16.png"}) {
        const Bytes data = ImagingFixture(std::string("png/") + file);
        // Everything short of the end chunk is missing picture data or the end chunk itself.
        ExpectCutsRefused(ReadPng, data, data.size() - 11, file);
        ExpectCorruptionSurvived(ReadPng, data, 64, file);
    }
}

// A header that claims a picture beyond the limits is refused before anything is allocated.
TEST(Png, HugeDimensionsAreRefusedFromTheHeader)
{
    Bytes data = ImagingFixture("png/grey8.png");
    // IHDR width at offset 16; libpng checks the chunk's CRC, so it is recomputed by the tool-free rule below.
    for (const std::uint32_t width : {70000u, 0x7FFFFFFFu}) {
        Bytes copy = data;
        copy[16] = std::uint8_t(width >> 24);
        copy[17] = std::uint8_t(width >> 16);
        copy[18] = std::uint8_t(width >> 8);
        copy[19] = std::uint8_t(width);
        // CRC-32 over "IHDR" and its 13 data bytes.
        std::uint32_t crc = 0xFFFFFFFFu;
        for (std::size_t i = 12; i < 29; ++i) {
            crc ^= copy[i];
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        }
        crc ^= 0xFFFFFFFFu;
        for (int i = 0; i < 4; ++i)
            copy[29 + std::size_t(i)] = std::uint8_t(crc >> (24 - 8 * i));
        EXPECT_THROW(ReadPng(copy), ImagingError) << width;
    }
}
