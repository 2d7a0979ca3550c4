#include "CodecChecks.h"
#include "MagickReference.h"

#include <gtest/gtest.h>

using namespace zelpix;
using namespace zelpix::test;

namespace {

// opj_decompress's reading of a file: its PNM output, reduced to 8 bits by ImageMagick with rounding.
Picture DecodeWithOpenJpegTool(const std::filesystem::path& path, bool alpha)
{
    TempDir dir;
    const auto out = dir / (alpha ? "out.png" : "out.pnm");
    EXPECT_EQ(RunCommand("opj_decompress -i " + ShellQuote(path.string()) + " -o " + ShellQuote(out.string()) +
                         " -upsample >/dev/null 2>&1"),
              0);
    return MagickReference(out);
}

}  // namespace

TEST(Jpeg2000, DecodesFilesAndCodeStreamsAsOpjDecompressDoes)
{
    struct Case {
        const char* file;
        int sourceBits;
        bool alpha;
    };
    const Case cases[] = {
        {"rgb.jp2", 24, false},   {"rgb.j2k", 24, false},       {"grey.jp2", 8, false},
        {"grey12.j2k", 8, false}, {"subsampled.j2k", 24, false}, {"rgba.jp2", 32, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const DecodedPicture decoded = ReadJpeg2000(ImagingFixture(std::string("jpeg2000/") + c.file));
        EXPECT_EQ(decoded.sourceBits, c.sourceBits);
        const Picture expected = DecodeWithOpenJpegTool(FixturePath(std::string("imaging/jpeg2000/") + c.file), c.alpha);
        ASSERT_FALSE(expected.IsEmpty());
        ExpectSamePixels(decoded.picture, expected, c.file);
    }
}

// The same pixels whether the code stream comes bare or in its jp2 boxes.
TEST(Jpeg2000, ContainerAndCodeStreamAgree)
{
    EXPECT_TRUE(ReadJpeg2000(ImagingFixture("jpeg2000/rgb.jp2")).picture.SamePixels(
        ReadJpeg2000(ImagingFixture("jpeg2000/rgb.j2k")).picture));
    EXPECT_THROW(ReadJpeg2000(ImagingFixture("png/rgb8.png")), ImagingError);
}

// Our files are lossless: opj_decompress gives back every pixel, for boxes and bare code streams.
TEST(Jpeg2000, WrittenFilesAreLosslessForOpjDecompress)
{
    TempDir dir;
    for (const bool codeStream : {false, true})
        for (const auto& size : {std::pair{1, 1}, std::pair{3, 70}, std::pair{45, 31}}) {
            const Picture picture = MakeTestPicture(size.first, size.second, 9);
            const Bytes data = WriteJpeg2000(picture, codeStream);
            ASSERT_GE(data.size(), 12u);
            EXPECT_EQ(data[0] == 0xFF && data[1] == 0x4F, codeStream);
            const auto path = dir / (codeStream ? "out.j2k" : "out.jp2");
            WriteBytes(path, data);
            ExpectSamePixels(DecodeWithOpenJpegTool(path, false), picture, path.filename().string());
            EXPECT_TRUE(ReadJpeg2000(data).picture.SamePixels(picture));
        }
}

TEST(Jpeg2000, TruncatedAndCorruptFilesAreRefusedCleanly)
{
    for (const char* file : {"grey.jp2", "grey12.j2k"}) {
        const Bytes data = ImagingFixture(std::string("jpeg2000/") + file);
        // The code stream's last bytes may be only its end marker; anything shorter misses data.
        ExpectCutsRefused(ReadJpeg2000, data, data.size() - 2, file);
        ExpectCorruptionSurvived(ReadJpeg2000, data, 120, file);
    }
}
