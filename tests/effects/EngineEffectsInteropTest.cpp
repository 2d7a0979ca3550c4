// Effects with a well-known independent counterpart, checked against ImageMagick on the same picture.
#include "EffectTestPictures.h"
#include "effects/ops/StylizeEffects.h"
#include "effects/ops/ToneEffects.h"
#include "imaging/PictureIO.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace zelpix::effects {
namespace {

using zelpix::test::ShellQuote;

constexpr const char* Magick = "convert-im6.q16";

// The picture after `convert IN <arguments> -depth 8 OUT`.
Picture MagickResult(const Picture& in, const std::string& arguments)
{
    zelpix::test::TempDir dir;
    const std::string source = (dir / "in.ppm").string(), target = (dir / "out.ppm").string();
    WritePictureFile(in, source);
    const std::string command = std::string(Magick) + " " + ShellQuote(source) + " " + arguments + " -depth 8 " +
                                ShellQuote(target);
    EXPECT_EQ(zelpix::test::RunCommand(command), 0) << command;
    return ReadPictureFile(target).picture;
}

// Every channel has black in the first pixel, so both tools measure from the same lowest level.
Picture WithBlackCorner(Picture p)
{
    p.SetPixel(0, 0, Bgr{0, 0, 0});
    return p;
}

TEST(EngineEffectsInterop, HistAutoEqualizeMatchesImageMagickEqualize)
{
    if (!zelpix::test::HaveTool(Magick))
        GTEST_SKIP() << Magick << " is not installed";
    for (const Picture& in : {WithBlackCorner(test::Smooth(97, 61)), zelpix::test::MakeTestPicture(80, 50, 8)}) {
        const Picture ours = HistAutoEqualize(in);
        const Picture theirs = MagickResult(in, "-channel RGB -equalize");
        ASSERT_EQ(theirs.Width(), in.Width());
        EXPECT_LE(zelpix::test::MaxChannelDifference(ours, theirs), 1);
        EXPECT_LE(zelpix::test::MeanChannelDifference(ours, theirs), 1);
    }
}

TEST(EngineEffectsInterop, PixelFixMatchesImageMagickBoxScaling)
{
    if (!zelpix::test::HaveTool(Magick))
        GTEST_SKIP() << Magick << " is not installed";
    // Blocks that divide the picture: shrinking by box averages and growing back by repetition is the same.
    const Picture in = zelpix::test::MakeTestPicture(96, 64, 12);
    for (int block : {4, 8, 32}) {
        const std::string small = std::to_string(96 / block) + "x" + std::to_string(64 / block) + "!";
        const Picture theirs = MagickResult(in, "-scale " + small + " -scale 96x64!");
        EXPECT_LE(zelpix::test::MaxChannelDifference(PixelFix(in, block, Area{}), theirs), 1) << block;
    }
}

}  // namespace
}  // namespace zelpix::effects
