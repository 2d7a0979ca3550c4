#include "CodecChecks.h"

#include "imaging/LittleEndian.h"

#include <gtest/gtest.h>

using namespace zelpix;
using namespace zelpix::test;

namespace {

// An Animator CEL: 32-byte header, 256 six-bit RGB entries, one index a pixel. No tool we have writes these,
// so the files are made here from the published layout.
Bytes MakeCel(int width, int height, const Bytes& pixels, int bits = 8, int compression = 0)
{
    Bytes file(32 + 768, 0);
    PutLe16(&file[0], 0x9119);
    PutLe16(&file[2], std::uint32_t(width));
    PutLe16(&file[4], std::uint32_t(height));
    PutLe16(&file[6], 100); // position on the screen; not part of the picture
    PutLe16(&file[8], 50);
    file[10] = std::uint8_t(bits);
    file[11] = std::uint8_t(compression);
    PutLe32(&file[12], std::uint32_t(pixels.size()));
    for (int i = 0; i < 256; ++i) {
        file[32 + 3 * i] = std::uint8_t(i % 64);            // red
        file[32 + 3 * i + 1] = std::uint8_t(63 - i % 64);   // green
        file[32 + 3 * i + 2] = std::uint8_t((i / 4) % 64);  // blue
    }
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

}  // namespace

TEST(Cel, PixelsThroughTheSixBitPaletteRowsTopToBottom)
{
    const DecodedPicture decoded = ReadAutodeskCel(MakeCel(3, 2, {0, 63, 1, 32, 255, 128}));
    EXPECT_EQ(decoded.sourceBits, 8);
    const Picture& p = decoded.picture;
    ASSERT_EQ(p.Width(), 3);
    ASSERT_EQ(p.Height(), 2);
    // Levels scale by v * 255 / 63: 0 -> 0, 1 -> 4, 32 -> 129, 63 -> 255.
    EXPECT_EQ(p.Pixel(0, 0), (Bgr{0, 255, 0}));     // index 0: red 0, green 63, blue 0
    EXPECT_EQ(p.Pixel(1, 0), (Bgr{60, 0, 255}));    // index 63: red 63, green 0, blue 15
    EXPECT_EQ(p.Pixel(2, 0), (Bgr{0, 250, 4}));     // index 1
    EXPECT_EQ(p.Pixel(0, 1), (Bgr{32, 125, 129}));  // index 32: blue 8
    EXPECT_EQ(p.Pixel(1, 1), (Bgr{255, 0, 255}));   // index 255: red 63, green 0, blue 63
    EXPECT_EQ(p.Pixel(2, 1), (Bgr{129, 255, 0}));   // index 128: red 0, green 63, blue 32
}

TEST(Cel, UnsupportedTruncatedAndCorruptFilesAreRefused)
{
    const struct {
        Bytes file;
        const char* message;
    } cases[] = {
        {MakeCel(2, 2, {1, 2, 3, 4}, 4), "4 bits per pixel"},
        {MakeCel(2, 2, {1, 2, 3, 4}, 8, 1), "Compressed"},
        {MakeCel(0, 2, {}), "Invalid picture size"},
        {MakeCel(2, 2, {1, 2, 3}), "truncated"},
        {MakeCel(16000, 16000, {1}), "truncated"},
        {Bytes{0x19, 0x91, 1, 0}, "not an Autodesk"},
    };
    for (const auto& c : cases) {
        try {
            ReadAutodeskCel(c.file);
            ADD_FAILURE() << c.message << ": accepted";
        } catch (const ImagingError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
    Bytes pixels(7 * 5);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = std::uint8_t(i * 7);
    const Bytes file = MakeCel(7, 5, pixels);
    ExpectCutsRefused(ReadAutodeskCel, file, file.size(), "cel");
    ExpectCorruptionSurvived(ReadAutodeskCel, file, 32, "cel");
}
