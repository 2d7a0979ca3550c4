#include "CodecChecks.h"

#include "imaging/LittleEndian.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zelpix;
using namespace zelpix::test;

namespace {

// A bitmap file with a 40-byte header (or 12-byte core header), palette entries 0x00RRGGBB, extra header
// bytes (masks) and the pixel bytes as given.
Bytes MakeBmp(int width, int height, int bits, std::uint32_t compression, const std::vector<std::uint32_t>& palette,
              const Bytes& pixels, const std::vector<std::uint32_t>& masks = {}, std::uint32_t headerSize = 40)
{
    const bool core = headerSize == 12;
    const std::size_t entry = core ? 3 : 4;
    const std::size_t offBits = 14 + headerSize + 4 * masks.size() * (headerSize == 40) + entry * palette.size();
    Bytes b(offBits + pixels.size(), 0);
    b[0] = 'B';
    b[1] = 'M';
    PutLe32(&b[2], std::uint32_t(b.size()));
    PutLe32(&b[10], std::uint32_t(offBits));
    PutLe32(&b[14], headerSize);
    if (core) {
        PutLe16(&b[18], std::uint32_t(width));
        PutLe16(&b[20], std::uint32_t(height));
        PutLe16(&b[22], 1);
        PutLe16(&b[24], std::uint32_t(bits));
    } else {
        PutLe32(&b[18], std::uint32_t(width));
        PutLe32(&b[22], std::uint32_t(height));
        PutLe16(&b[26], 1);
        PutLe16(&b[28], std::uint32_t(bits));
        PutLe32(&b[30], compression);
        PutLe32(&b[46], std::uint32_t(palette.size()));
    }
    std::size_t at = 14 + (headerSize == 40 ? 40 : 40);
    for (std::uint32_t m : masks) { // after a 40-byte header, or inside a longer one
        PutLe32(&b[at], m);
        at += 4;
    }
    at = 14 + headerSize + (headerSize == 40 ? 4 * masks.size() : 0);
    for (std::uint32_t c : palette) {
        b[at] = std::uint8_t(c);
        b[at + 1] = std::uint8_t(c >> 8);
        b[at + 2] = std::uint8_t(c >> 16);
        at += entry;
    }
    std::memcpy(b.data() + offBits, pixels.data(), pixels.size());
    return b;
}

Bgr Rgb(std::uint32_t c)
{
    return {std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16)};
}

// Rows of the expected picture as 0xRRGGBB values, top to bottom.
void ExpectPixels(const Picture& picture, const std::vector<std::vector<std::uint32_t>>& rows)
{
    ASSERT_EQ(picture.Height(), int(rows.size()));
    for (int y = 0; y < picture.Height(); ++y) {
        ASSERT_EQ(picture.Width(), int(rows[y].size()));
        for (int x = 0; x < picture.Width(); ++x)
            EXPECT_EQ(picture.Pixel(x, y), Rgb(rows[y][x])) << "pixel " << x << "," << y;
    }
}

}  // namespace

// Files written by ImageMagick (bmp2, bmp3, bit fields, RLE8, alpha) and netpbm (Windows, OS/2), compared
// with the tool's own decoding; the 16-bit files with netpbm's (Pillow agrees: 5 bits scale by v * 255 / 31),
// the alpha file with Pillow's composite over white, which rounds exactly.
TEST(Bmp, DecodesToolFilesExactlyWithTheirDepth)
{
    const struct {
        const char* name;
        int bits;
    } cases[] = {
        {"rgb24", 24},       {"netpbm24", 24},   {"os2-24", 24}, {"pal8", 8},         {"rle8", 8},
        {"netpbm-8", 8},     {"pal4", 4},        {"pal1", 1},    {"netpbm-os2-4", 4}, {"rgb565", 16},
        {"rgb555", 16},      {"argb32", 32},
    };
    for (const auto& c : cases) {
        const std::string name = std::string("bmp/") + c.name;
        const DecodedPicture decoded = ReadBmp(ImagingFixture(name + ".bmp"));
        EXPECT_EQ(decoded.sourceBits, c.bits) << name;
        ExpectSamePixels(decoded.picture, ReferencePixels(name + ".ppm"), name);
    }
}

TEST(Bmp, TopDownRowsAndOs2Version2HeadersGiveTheSamePicture)
{
    for (const char* name : {"rgb24", "pal4"}) {
        const Bytes original = ImagingFixture(std::string("bmp/") + name + ".bmp");
        const Picture expected = ReadBmp(original).picture;

        // Negative height: rows stored top to bottom.
        Bytes topDown = original;
        const std::int32_t height = GetLeI32(&topDown[22]);
        PutLe32(&topDown[22], std::uint32_t(-height));
        const std::size_t offBits = GetLe32(&topDown[10]);
        const std::size_t stride = (topDown.size() - offBits) / std::size_t(height);
        for (int y = 0; y < height; ++y)
            std::memcpy(&topDown[offBits + stride * y], &original[offBits + stride * (height - 1 - y)], stride);
        ExpectSamePixels(ReadBmp(topDown).picture, expected, std::string(name) + " top-down");

        // The same fields in a 64-byte OS/2 2.x header.
        Bytes os2(original.begin(), original.begin() + 54);
        os2.insert(os2.end(), 24, 0);
        os2.insert(os2.end(), original.begin() + 54, original.end());
        PutLe32(&os2[14], 64);
        PutLe32(&os2[10], std::uint32_t(offBits + 24));
        const DecodedPicture decoded = ReadBmp(os2);
        ExpectSamePixels(decoded.picture, expected, std::string(name) + " OS/2 2.x");
        EXPECT_EQ(decoded.sourceBits, ReadBmp(original).sourceBits);
    }
}

TEST(Bmp, RunLengthCodesWithDeltaEndOfLineAndAbsoluteRuns)
{
    const std::vector<std::uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    // Bottom row first. RLE8: run, absolute run of 3 (padded), end of line; delta (1, 1) from the start of
    // the middle row to the top row, a run of one; end of bitmap.
    const Bytes rle8 = {2, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 1, 1, 1, 3, 0, 1};
    ExpectPixels(ReadBmp(MakeBmp(5, 3, 8, 1, palette, rle8)).picture, {
                     {0x000000, 0x0000FF, 0x000000, 0x000000, 0x000000},
                     {0x000000, 0x000000, 0x000000, 0x000000, 0x000000},
                     {0xFF0000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF},
                 });
    // RLE4: a run alternates its two nibbles; an absolute run of 3 nibbles takes 2 bytes, padded to 4.
    // Two ends of line skip a row; a run longer than the row is clipped at the right edge.
    const Bytes rle4 = {3, 0x12, 0, 3, 0x34, 0x10, 0, 0, 0, 0, 9, 0x44, 0, 1};
    ExpectPixels(ReadBmp(MakeBmp(6, 3, 4, 2, palette, rle4)).picture, {
                     {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
                     {0x000000, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000},
                     {0xFF0000, 0x00FF00, 0xFF0000, 0x0000FF, 0xFFFFFF, 0xFF0000},
                 });
    // Pixels the stream skips (here by ending at once) keep palette entry 0.
    const Bytes endAtOnce = {0, 1};
    ExpectPixels(ReadBmp(MakeBmp(2, 2, 8, 1, {0x123456, 0xFFFFFF}, endAtOnce)).picture,
                 {{0x123456, 0x123456}, {0x123456, 0x123456}});
    // A stream that stops after the last complete row without its end marker is whole.
    const Bytes unterminated = {2, 1};
    ExpectPixels(ReadBmp(MakeBmp(2, 1, 8, 1, palette, unterminated)).picture, {{0xFF0000, 0xFF0000}});
    // One that stops inside the picture is not.
    EXPECT_THROW(ReadBmp(MakeBmp(2, 2, 8, 1, palette, unterminated)), ImagingError);
    const Bytes cutAbsolute = {0, 5, 1, 2};
    EXPECT_THROW(ReadBmp(MakeBmp(5, 1, 8, 1, palette, cutAbsolute)), ImagingError);
}

TEST(Bmp, ShortPalettesAndWideOrNarrowBitFields)
{
    // Two palette entries for 8 bits: other indices are black.
    const DecodedPicture shortPalette = ReadBmp(MakeBmp(3, 1, 8, 0, {0x102030, 0x405060}, {1, 0, 7, 0}));
    ExpectPixels(shortPalette.picture, {{0x405060, 0x102030, 0x000000}});
    // A core header with a palette shorter than 2^bits, bounded by the pixel offset.
    ExpectPixels(ReadBmp(MakeBmp(2, 1, 4, 0, {0xAA0000, 0x00BB00, 0x0000CC}, {0x21, 0, 0, 0}, {}, 12)).picture,
                 {{0x0000CC, 0x00BB00}});

    // 32 bits with 10-bit channels keep the top 8 bits; 16 bits with 4-bit channels scale by v * 255 / 15.
    const std::vector<std::uint32_t> wide = {0x3FF00000, 0x000FFC00, 0x000003FF};
    Bytes pixels(8);
    PutLe32(&pixels[0], (0x3FFu << 20) | (0x200u << 10) | 0x004u);
    PutLe32(&pixels[4], (0x001u << 20) | (0x1FFu << 10) | 0x3FCu);
    const DecodedPicture decoded = ReadBmp(MakeBmp(2, 1, 32, 3, {}, pixels, wide));
    EXPECT_EQ(decoded.sourceBits, 32);
    ExpectPixels(decoded.picture, {{0xFF8001, 0x007FFF}});
    Bytes narrow(4);
    PutLe16(&narrow[0], 0x0F00 | 0x0050 | 0x000A);
    ExpectPixels(ReadBmp(MakeBmp(1, 1, 16, 3, {}, narrow, {0x0F00, 0x00F0, 0x000F})).picture, {{0xFF55AA}});
    // The same masks inside a V4 header.
    Bytes v4 = MakeBmp(1, 1, 16, 3, {}, narrow, {0x0F00, 0x00F0, 0x000F}, 108);
    ExpectPixels(ReadBmp(v4).picture, {{0xFF55AA}});
}

TEST(Bmp, WrittenFilesAreReadByOtherToolsWithTheSamePixels)
{
    TempDir dir;
    for (auto [width, height] : {std::pair{37, 11}, {1, 1}, {4, 3}}) {
        const Picture picture = MakeTestPicture(width, height, 7);
        const Bytes bytes = WriteBmp(picture);
        ASSERT_EQ(bytes.size(), 54 + picture.ByteSize());
        EXPECT_EQ(GetLe32(&bytes[14]), 40u);
        EXPECT_EQ(GetLeI32(&bytes[22]), height); // bottom-up
        EXPECT_EQ(GetLe16(&bytes[28]), 24u);
        const auto file = dir / "written.bmp";
        WriteBytes(file, bytes);
        ExpectSamePixels(DecodeWithImageMagick(file), picture, "ImageMagick");
        std::string out;
        ASSERT_EQ(RunCommand("bmptoppm " + ShellQuote(file.string()) + " 2>/dev/null", &out), 0);
        ExpectSamePixels(ReadPnm(ByteView(reinterpret_cast<const std::uint8_t*>(out.data()), out.size())).picture,
                         picture, "netpbm");
        ExpectSamePixels(ReadBmp(bytes).picture, picture, "ours");
    }
}

TEST(Bmp, TruncatedAndCorruptFilesAreRefusedCleanly)
{
    // Only the last row's padding may be missing, or the end codes after the last complete RLE row.
    for (auto [name, slack] : {std::pair{"rgb24", 3}, {"pal8", 3}, {"rle8", 6}, {"pal1", 3}, {"rgb565", 3},
                               {"os2-24", 3}, {"argb32", 0}}) {
        const Bytes data = ImagingFixture(std::string("bmp/") + name + ".bmp");
        ExpectCutsRefused(ReadBmp, data, data.size() - slack, name);
        ExpectCorruptionSurvived(ReadBmp, data, 70, name);
    }
    const struct {
        const char* what;
        std::size_t offset;
        std::uint32_t value;
        const char* message;
    } bad[] = {
        {"signature", 0, 0x4141, "not a Windows bitmap"},
        {"header size", 14, 100, "Unknown bitmap header size"},
        {"zero width", 18, 0, "Invalid picture size"},
        {"huge height", 22, 60000, "truncated"},
        {"7 bits", 28, 7, "7 bits per pixel"},
        {"JPEG inside", 30, 4, "compression"},
    };
    const Bytes good = ImagingFixture("bmp/rgb24.bmp");
    for (const auto& b : bad) {
        Bytes copy = good;
        if (b.offset == 0 || b.offset == 28)
            PutLe16(&copy[b.offset], b.value);
        else
            PutLe32(&copy[b.offset], b.value);
        try {
            ReadBmp(copy);
            ADD_FAILURE() << b.what << " was accepted";
        } catch (const ImagingError& error) {
            EXPECT_NE(std::string(error.what()).find(b.message), std::string::npos) << b.what << ": " << error.what();
        }
    }
}
