#include "imaging/PictureIO.h"
#include "support/TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

using namespace zelpix;
using namespace zelpix::test;
using testing::HasSubstr;

namespace {

std::string Cli(const std::string& args) { return ShellQuote(ZELPIX_CLI) + " " + args + " 2>&1"; }

class EffectCli : public testing::Test {
protected:
    void SetUp() override
    {
        // A small copy of the sample photo keeps the peer tools quick.
        input_ = (dir_ / "in.png").string();
        Picture small = MakeTestPicture(64, 48, 17);
        WritePictureFile(small, input_);
    }
    std::string Out(const std::string& name) const { return (dir_ / name).string(); }
    int Run(const std::string& args, std::string* text = nullptr) const { return RunCommand(Cli(args), text); }

    TempDir dir_;
    std::string input_;
};

TEST_F(EffectCli, ListsEveryEffectAndAdjustmentWithRangesAndDefaults)
{
    std::string text;
    ASSERT_EQ(Run("effect --list", &text), 0) << text;
    for (const char* expected :
         {"autocontrast", "colorsuperimposition", "huesaturation", "whirlpool", "histautoequalize", "sharpen",
          "BlValues (Value): 1..1000, default 150", "RadioGroup1", "\"Sytle 20\"", "HaShapeIDs", "contrast",
          "CoContrast", "ZoomFilter", "\"Lanczos3\"", "RoCustom", "DepthChoice", "\"2 Colors\"", "rgbchannels",
          "hsvchannels", "colorcount"})
        EXPECT_THAT(text, HasSubstr(expected));
}

TEST_F(EffectCli, RefusesBadNamesAndValuesWithTheValidOnesAndWritesNothing)
{
    struct Case {
        std::string args;
        std::string message;
    };
    const Case cases[] = {
        {"nosuchthing", "whirlpool"},
        {"bleed BlValues=0", "1..1000, default 150"},
        {"bleed BlValues=1001", "BlValues"},
        {"bleed BlValues=abc", "'abc'"},
        {"bleed BlValues=2.5", "1..1000"},
        {"bleed Radius=3", "BlValues (Value): 1..1000, default 150"},
        {"bleed BlValues", "BlValues"},
        {"halftone HaShapeIDs=7", "6 \"Insical  square\""},
        {"threshold ThAntiAliasing=maybe", "0 or 1"},
        {"fade FaColor=#12345", "#RRGGBB"},
        {"fade FaColor=300,0,0", "R,G,B"},
        {"resample ZoomFilter=Cubic", "\"Lanczos3\""},
        {"contrast CoContrast=-101", "-100..100"},
        {"colordepth DepthChoice=5", "\"24M Colors\""},
        {"exposure --area=1,2,3", "LEFT,TOP,RIGHT,BOTTOM"},
    };
    for (const Case& c : cases) {
        std::string text;
        const std::string out = Out("never.png");
        EXPECT_EQ(Run("effect " + c.args + " " + ShellQuote(input_) + " " + ShellQuote(out), &text), 2) << c.args;
        EXPECT_THAT(text, HasSubstr(c.message)) << c.args;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.args;
    }
    std::string text;
    EXPECT_EQ(Run("effect exposure " + ShellQuote(Out("missing.png")) + " " + ShellQuote(Out("o.png")), &text), 1);
    EXPECT_THAT(text, HasSubstr("missing.png"));
}

// Our results against ImageMagick doing the same by its own means.
TEST_F(EffectCli, MatchesImageMagickOnExactOperations)
{
    if (!HaveTool("convert-im6.q16") || !HaveTool("compare-im6.q16"))
        GTEST_SKIP() << "ImageMagick is not installed";
    struct Case {
        std::string ours;
        std::string theirs;
    };
    const Case cases[] = {
        {"exposure", "-fx \"u<0.5 ? 1-u : u\""},
        {"ColorSuperimposition RadioGroup1=14", "-separate -swap 0,2 -combine"},
        {"colorsuperimposition RadioGroup1=\"Sytle 16\"", "-channel B -fx u.r +channel"},
        {"negative", "-negate"},
        {"rotate RoCustom=90", "-rotate -90"},
        {"rotate RoCustom=-90", "-rotate 90"},
        {"rotate RoCustom=180", "-rotate 180"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string ours = Out("ours" + std::to_string(n) + ".png");
        const std::string theirs = Out("theirs" + std::to_string(n) + ".png");
        ++n;
        std::string text;
        ASSERT_EQ(Run("effect " + c.ours + " " + ShellQuote(input_) + " " + ShellQuote(ours), &text), 0)
            << c.ours << "\n" << text;
        ASSERT_EQ(RunCommand("convert-im6.q16 " + ShellQuote(input_) + " " + c.theirs + " " + ShellQuote(theirs)), 0)
            << c.theirs;
        std::string differing;
        RunCommand("compare-im6.q16 -metric AE " + ShellQuote(ours) + " " + ShellQuote(theirs) + " null: 2>&1",
                   &differing);
        EXPECT_EQ(differing, "0") << c.ours << " vs " << c.theirs;
    }
}

TEST_F(EffectCli, ResamplesRotatesCountsAndSplitsAsThePeersMeasure)
{
    if (!HaveTool("identify-im6.q16"))
        GTEST_SKIP() << "ImageMagick is not installed";
    std::string text;
    const std::string resized = Out("resized.png");
    ASSERT_EQ(Run("effect resample NeWidth=30 NeHeight=20 ZoomFilter=lanczos3 " + ShellQuote(input_) + " " +
                  ShellQuote(resized), &text), 0) << text;
    text.clear();
    RunCommand("identify-im6.q16 -format %wx%h " + ShellQuote(resized), &text);
    EXPECT_EQ(text, "30x20");

    const std::string turned = Out("turned.png");
    ASSERT_EQ(Run("effect rotate RoCustom=30 " + ShellQuote(input_) + " " + ShellQuote(turned)), 0);
    text.clear();
    RunCommand("identify-im6.q16 -format %wx%h " + ShellQuote(turned), &text);
    // 64 x 48 turned by 30 degrees needs about 79 x 74.
    EXPECT_THAT(text, testing::MatchesRegex("(78|79|80)x(73|74|75)")) << text;

    std::string ours, theirs;
    ASSERT_EQ(Run("effect colorcount " + ShellQuote(input_), &ours), 0) << ours;
    RunCommand("identify-im6.q16 -format %k " + ShellQuote(input_), &theirs);
    EXPECT_EQ(ours, theirs + "\n");

    ASSERT_EQ(Run("effect hsvchannels " + ShellQuote(input_) + " " + ShellQuote(Out("part.png"))), 0);
    for (const char* name : {"partH.png", "partS.png", "partV.png"})
        EXPECT_TRUE(std::filesystem::exists(dir_ / name)) << name;
    ASSERT_EQ(Run("effect rgbchannels " + ShellQuote(input_) + " " + ShellQuote(Out("c.bmp"))), 0);
    const Picture red = ReadPictureFile(Out("cR.bmp")).picture;
    const Picture original = ReadPictureFile(input_).picture;
    EXPECT_EQ(red.Pixel(5, 7).g, original.Pixel(5, 7).r);
}

TEST_F(EffectCli, HonoursTheAreaAndThePairsOfOptions)
{
    const std::string out = Out("part.png");
    ASSERT_EQ(Run("effect exposure --area=8,4,40,30 " + ShellQuote(input_) + " " + ShellQuote(out)), 0);
    const Picture original = ReadPictureFile(input_).picture;
    const Picture result = ReadPictureFile(out).picture;
    int changedInside = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool inside = x >= 8 && x < 40 && y >= 4 && y < 30;
            if (!inside)
                ASSERT_EQ(result.Pixel(x, y), original.Pixel(x, y)) << x << "," << y;
            else
                changedInside += result.Pixel(x, y) == original.Pixel(x, y) ? 0 : 1;
        }
    EXPECT_GT(changedInside, 0);

    // Choosing "Background" deselects "Foreground": the uncovered corner takes the back colour.
    const std::string curled = Out("curl.png");
    ASSERT_EQ(Run("effect curl orginal=0 BackgroundCheck=1 BackColorEdit=#102030 underShadeCheck=false " +
                  ShellQuote(input_) + " " + ShellQuote(curled)), 0);
    EXPECT_EQ(ReadPictureFile(curled).picture.Pixel(63, 47), (Bgr{0x30, 0x20, 0x10}));
}

TEST_F(EffectCli, DrawsTheContactSheetOfEveryEffect)
{
    const std::string sheet = Out("sheet.png");
    std::string text;
    ASSERT_EQ(Run("effect-sheet --tile=60 " + ShellQuote(input_) + " " + ShellQuote(sheet), &text), 0) << text;
    const Picture picture = ReadPictureFile(sheet).picture;
    // The original, the 33 effects and a second tile for each of the three whose defaults change nothing
    // (Hue & Saturation, Jiggle, Lens), in rows of six: 6 columns of 60 + gaps, 7 rows of 45 + labels.
    EXPECT_EQ(picture.Width(), 6 * 66 + 6);
    EXPECT_EQ(picture.Height(), 7 * (45 + 36 + 6) + 6);
    // The label strip under a tile carries dark text on white.
    int dark = 0;
    for (int y = 6 + 45; y < 6 + 45 + 36; ++y)
        for (int x = 6; x < 66; ++x)
            dark += picture.Pixel(x, y).g < 100 ? 1 : 0;
    EXPECT_GT(dark, 10);
}

}  // namespace
