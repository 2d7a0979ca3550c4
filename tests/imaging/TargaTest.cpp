#include "CodecChecks.h"

#include "imaging/LittleEndian.h"

#include <gtest/gtest.h>

using namespace zelpix;
using namespace zelpix::test;

namespace {

Bytes TargaHeader(int type, int width, int height, int depth, int descriptor, int idLength = 0, int mapFirst = 0,
                  int mapLength = 0, int mapBits = 0)
{
    Bytes h(18 + std::size_t(idLength), 'i');
    h[0] = std::uint8_t(idLength);
    h[1] = mapLength ? 1 : 0;
    h[2] = std::uint8_t(type);
    PutLe16(&h[3], std::uint32_t(mapFirst));
    PutLe16(&h[5], std::uint32_t(mapLength));
    h[7] = std::uint8_t(mapBits);
    PutLe16(&h[8], 0);
    PutLe16(&h[10], 0);
    PutLe16(&h[12], std::uint32_t(width));
    PutLe16(&h[14], std::uint32_t(height));
    h[16] = std::uint8_t(depth);
    h[17] = std::uint8_t(descriptor);
    return h;
}

Bytes Join(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void ExpectRow(const Picture& picture, int y, const std::vector<Bgr>& row)
{
    ASSERT_EQ(picture.Width(), int(row.size()));
    for (int x = 0; x < picture.Width(); ++x)
        EXPECT_EQ(picture.Pixel(x, y), row[x]) << "pixel " << x << "," << y;
}

}  // namespace

// Files from ImageMagick, netpbm, Pillow (top-left origin, alpha) and FFmpeg (15-bit), compared with
// Pillow's decoding (composited over white where there is alpha); netpbm agrees except for 5-bit channels,
// where ImageMagick agrees instead. ImageMagick itself writes and reads bottom-left files top row first.
TEST(Targa, DecodesToolFilesExactlyWithTheirDepth)
{
    const struct {
        const char* name;
        int bits;
    } cases[] = {
        {"im-rgb24", 24},      {"im-rle24", 24},    {"im-map8", 8},          {"im-rlemap8", 8},
        {"im-grey8", 8},       {"im-rlegrey8", 8},  {"netpbm-rle24", 24},    {"pil-topdown-rle24", 24},
        {"ff-rgb555", 16},     {"pil-topdown-rgba", 32}, {"pil-rle-rgba", 32},
    };
    for (const auto& c : cases) {
        const std::string name = std::string("tga/") + c.name;
        const DecodedPicture decoded = ReadTarga(ImagingFixture(name + ".tga"));
        EXPECT_EQ(decoded.sourceBits, c.bits) << name;
        ExpectSamePixels(decoded.picture, ReferencePixels(name + ".ppm"), name);
    }
}

TEST(Targa, RightToLeftRowsIdFieldAndPacketsAcrossRows)
{
    // The same file with its rows stored right to left.
    const Bytes original = ImagingFixture("tga/im-rgb24.tga");
    Bytes mirrored = original;
    const int width = GetLe16(&original[12]), height = GetLe16(&original[14]);
    const std::size_t start = 18 + original[0];
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                mirrored[start + (y * width + x) * 3 + c] = original[start + (y * width + (width - 1 - x)) * 3 + c];
    mirrored[17] |= 0x10;
    ExpectSamePixels(ReadTarga(mirrored).picture, ReadTarga(original).picture, "right to left");

    // An id field of 5 bytes, then one run packet of 5 pixels and a raw packet of 1 over two rows of 3,
    // bottom row first.
    const Bytes rle = Join(TargaHeader(10, 3, 2, 24, 0, 5), {0x84, 1, 2, 3, 0x00, 9, 8, 7});
    const Picture picture = ReadTarga(rle).picture;
    ExpectRow(picture, 1, {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}});
    ExpectRow(picture, 0, {{1, 2, 3}, {1, 2, 3}, {9, 8, 7}});
}

TEST(Targa, SixteenBitAlphaAndSmallColourMapEntries)
{
    // One alpha bit: 0 is transparent (white), 1 opaque; 5-bit channels scale by v * 255 / 31.
    Bytes alpha = Join(TargaHeader(2, 3, 1, 16, 0x21), {});
    for (std::uint32_t v : {0x7C00u | 0x8000u, 0x001Fu, 0x8000u | (16u << 5)}) {
        alpha.push_back(std::uint8_t(v));
        alpha.push_back(std::uint8_t(v >> 8));
    }
    const DecodedPicture decoded = ReadTarga(alpha);
    EXPECT_EQ(decoded.sourceBits, 16);
    ExpectRow(decoded.picture, 0, {{0, 0, 255}, {255, 255, 255}, {0, 131, 0}});
    // 15 bits have no alpha bit, whatever the descriptor says.
    Bytes fifteen = Join(TargaHeader(2, 1, 1, 15, 0x21), {0x00, 0x7C});
    const DecodedPicture decoded15 = ReadTarga(fifteen);
    EXPECT_EQ(decoded15.sourceBits, 15);
    ExpectRow(decoded15.picture, 0, {{0, 0, 255}});
    // When every alpha bit is 0 the file does not use alpha: the colours stand.
    Bytes unused = Join(TargaHeader(2, 2, 1, 16, 0x21), {0x1F, 0x00, 0xE0, 0x03});
    ExpectRow(ReadTarga(unused).picture, 0, {{255, 0, 0}, {0, 255, 0}});

    // A colour map of 16-bit entries starting at index 2, and one of 32-bit entries (alpha ignored).
    Bytes mapped16 = Join(TargaHeader(1, 3, 1, 8, 0x20, 0, 2, 2, 16), {0x00, 0x7C, 0xFF, 0x03, 2, 3, 0});
    ExpectRow(ReadTarga(mapped16).picture, 0, {{0, 0, 255}, {255, 255, 0}, {0, 0, 0}});
    Bytes mapped32 = Join(TargaHeader(9, 2, 1, 8, 0x20, 0, 0, 1, 32), {10, 20, 30, 0, 0x81, 0});
    ExpectRow(ReadTarga(mapped32).picture, 0, {{10, 20, 30}, {10, 20, 30}});
}

TEST(Targa, WrittenFilesAreReadByOtherToolsWithTheSamePixels)
{
    TempDir dir;
    const Picture picture = MakeTestPicture(31, 9, 5);
    const Bytes bytes = WriteTarga(picture);
    ASSERT_EQ(bytes.size(), 18 + 31 * 9 * 3u);
    EXPECT_EQ(bytes[2], 2);
    EXPECT_EQ(bytes[16], 24);
    EXPECT_EQ(bytes[17], 0); // bottom-left origin
    const auto file = dir / "out.tga";
    WriteBytes(file, bytes);
    ExpectSamePixels(DecodeWithPillow(file), picture, "Pillow");
    std::string out;
    ASSERT_EQ(RunCommand("tgatoppm " + ShellQuote(file.string()) + " 2>/dev/null", &out), 0);
    ExpectSamePixels(ReadPnm(ByteView(reinterpret_cast<const std::uint8_t*>(out.data()), out.size())).picture,
                     picture, "netpbm");
}

TEST(Targa, TruncatedAndCorruptFilesAreRefusedCleanly)
{
    for (const char* name : {"im-rgb24", "im-rle24", "im-rlemap8", "ff-rgb555", "pil-rle-rgba"}) {
        const Bytes data = ImagingFixture(std::string("tga/") + name + ".tga");
        // Pillow and FFmpeg end their files with a 26-byte footer.
        const std::size_t footer = name[0] == 'i' ? 0 : 26;
        ExpectCutsRefused(ReadTarga, data, data.size() - footer, name);
        ExpectCorruptionSurvived(ReadTarga, data, 40, name);
    }
    const struct {
        Bytes file;
        const char* message;
    } cases[] = {
        {TargaHeader(4, 1, 1, 24, 0), "type 4"},
        {TargaHeader(2, 1, 1, 12, 0), "12 bits"},
        {TargaHeader(1, 1, 1, 8, 0), "no usable colour map"},
        {TargaHeader(2, 0, 1, 24, 0), "Invalid picture size"},
        {TargaHeader(10, 16000, 16000, 24, 0), "truncated"},
        {TargaHeader(1, 1, 1, 8, 0, 0, 0, 300, 24), "truncated"},
        {Bytes(10, 0), "header is truncated"},
    };
    for (const auto& c : cases) {
        try {
            ReadTarga(c.file);
            ADD_FAILURE() << c.message << ": accepted";
        } catch (const ImagingError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}
