#include "CodecChecks.h"

#include <gtest/gtest.h>

#include <regex>

using namespace zelpix;
using namespace zelpix::test;

namespace {

const char* const WhiteBackground = "-background white -alpha remove -alpha off +repage";

}  // namespace

TEST(Gif, FirstFrameAsImageMagickDecodesIt)
{
    const std::pair<const char*, int> cases[] = {
        {"interlaced.gif", 8}, {"colours2.gif", 1}, {"colours16.gif", 4}, {"local-palette.gif", 8}};
    for (const auto& [file, bits] : cases) {
        SCOPED_TRACE(file);
        const DecodedPicture decoded = ReadGifFirstFrame(ImagingFixture(std::string("gif/") + file));
        EXPECT_EQ(decoded.sourceBits, bits);
        ExpectSamePixels(decoded.picture,
                         DecodeWithImageMagick(FixturePath(std::string("imaging/gif/") + file).string() + "[0]",
                                               WhiteBackground),
                         file);
    }
}

// A first frame smaller than the logical screen: the screen's background colour around it (as gifsicle
// reports it), the frame's pixels at its position, its transparent colour white.
TEST(Gif, FirstFrameIsDrawnOnTheLogicalScreen)
{
    const auto path = FixturePath("imaging/gif/animation.gif");
    std::string info;
    ASSERT_EQ(RunCommand("gifsicle --cinfo " + ShellQuote(path.string()), &info), 0);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(info, m, std::regex("logical screen (\\d+)x(\\d+)")));
    const int screenWidth = std::stoi(m[1]), screenHeight = std::stoi(m[2]);
    ASSERT_TRUE(std::regex_search(info, m, std::regex("background (\\d+)")));
    const std::string background = m[1];
    ASSERT_TRUE(std::regex_search(info, m, std::regex("\\s" + background + ": #([0-9A-F]{6})")));
    const unsigned rgb = std::stoul(m[1], nullptr, 16);
    const Bgr screen{std::uint8_t(rgb), std::uint8_t(rgb >> 8), std::uint8_t(rgb >> 16)};
    ASSERT_TRUE(std::regex_search(info, m, std::regex("image #0 (\\d+)x(\\d+) at (\\d+),(\\d+)")));
    const int left = std::stoi(m[3]), top = std::stoi(m[4]);

    const Picture frame = DecodeWithImageMagick(path.string() + "[0]", WhiteBackground);
    ASSERT_EQ(frame.Width(), std::stoi(m[1]));
    Picture expected(screenWidth, screenHeight);
    expected.Fill(screen);
    for (int y = 0; y < frame.Height(); ++y)
        for (int x = 0; x < frame.Width(); ++x)
            expected.SetPixel(left + x, top + y, frame.Pixel(x, y));

    const DecodedPicture decoded = ReadGifFirstFrame(ImagingFixture("gif/animation.gif"));
    ExpectSamePixels(decoded.picture, expected, "animation");
    int white = 0;
    for (int y = 0; y < frame.Height(); ++y)
        for (int x = 0; x < frame.Width(); ++x)
            white += decoded.picture.Pixel(left + x, top + y) == Bgr{255, 255, 255};
    EXPECT_GT(white, 0) << "the transparent colour shows white";
}

// Our files: one frame, a 256-entry table holding the 216 colours, each pixel the nearest of them.
TEST(Gif, WrittenFilesUseTheFixed216ColourPalette)
{
    TempDir dir;
    const Picture picture = MakeTestPicture(53, 29, 11);
    const auto path = dir / "out.gif";
    const Bytes gif = WriteGif216(picture);
    WriteBytes(path, gif);
    std::string info;
    ASSERT_EQ(RunCommand("gifsicle --cinfo " + ShellQuote(path.string()), &info), 0);
    EXPECT_NE(info.find("1 image"), std::string::npos) << info;
    EXPECT_NE(info.find("global color table [256]"), std::string::npos) << info;
    EXPECT_NE(info.find("logical screen 53x29"), std::string::npos) << info;
    for (const char* entry : {"  0: #000000", "  7: #003333", " 43: #333333", " 36: #330000", "215: #FFFFFF"})
        EXPECT_NE(info.find(entry), std::string::npos) << entry;

    Picture nearest = picture;
    for (int y = 0; y < nearest.Height(); ++y)
        for (int x = 0; x < nearest.Width(); ++x) {
            const Bgr c = nearest.Pixel(x, y);
            auto level = [](std::uint8_t v) {
                int best = 0;
                for (int l = 0; l <= 255; l += 51)
                    if (std::abs(v - l) < std::abs(v - best))
                        best = l;
                return std::uint8_t(best);
            };
            nearest.SetPixel(x, y, {level(c.b), level(c.g), level(c.r)});
        }
    ExpectSamePixels(DecodeWithImageMagick(path), nearest, "written GIF");
    ExpectSamePixels(ReadGifFirstFrame(gif).picture, nearest, "read back");
}

TEST(Gif, TruncatedAndCorruptFilesAreRefusedCleanly)
{
    for (const char* file : {"interlaced.gif", "animation.gif"}) {
        const Bytes data = ImagingFixture(std::string("gif/") + file);
        ExpectCorruptionSurvived(ReadGifFirstFrame, data, 200, file);
    }
    // Cut anywhere in the first frame's data.
    const Bytes data = ImagingFixture("gif/interlaced.gif");
    ExpectCutsRefused(ReadGifFirstFrame, data, data.size() - 2, "interlaced.gif");
}
