// Mirrors against ImageMagick's -flop and -flip, on odd and even sizes and single rows and columns.
#include "document/ops/Mirrors.h"
#include "imaging/PictureIO.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace zelpix {
namespace {

TEST(Mirrors, MatchImageMagickAndTwiceRestore)
{
    if (!test::HaveTool("convert-im6.q16"))
        GTEST_SKIP() << "ImageMagick not installed";
    const struct {
        void (*mirror)(Picture&);
        const char* option;
    } mirrors[] = {{MirrorLeftRight, "-flop"}, {MirrorTopBottom, "-flip"}};
    const struct {
        int width, height;
    } sizes[] = {{7, 5}, {8, 6}, {1, 9}, {9, 1}, {1, 1}};
    test::TempDir dir;
    for (const auto& size : sizes) {
        const Picture original = test::MakeTestPicture(size.width, size.height, 11);
        const auto in = dir / "in.png", out = dir / "out.png";
        WritePictureFile(original, in.string());
        for (const auto& m : mirrors) {
            ASSERT_EQ(test::RunCommand("convert-im6.q16 " + test::ShellQuote(in.string()) + " " + m.option + " " +
                                       test::ShellQuote(out.string())), 0);
            Picture picture = original;
            m.mirror(picture);
            EXPECT_TRUE(picture.SamePixels(ReadPictureFile(out.string()).picture))
                << m.option << " " << size.width << "x" << size.height;
            m.mirror(picture);
            EXPECT_TRUE(picture.SamePixels(original)) << m.option;
        }
    }
}

}  // namespace
}  // namespace zelpix
