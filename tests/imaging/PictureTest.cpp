#include "imaging/FileSize.h"
#include "imaging/ImagingError.h"
#include "imaging/Picture.h"
#include "imaging/Round.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace zelpix;

TEST(Picture, RowsArePaddedToFourBytes)
{
    for (auto [width, stride] : {std::pair{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {641, 1924}}) {
        Picture picture(width, 2);
        EXPECT_EQ(picture.Stride(), std::size_t(stride)) << width;
        EXPECT_EQ(picture.Row(1) - picture.Row(0), stride);
    }
}

TEST(Picture, StartsBlackAndCopiesDeeply)
{
    Picture a(3, 2);
    EXPECT_EQ(a.Pixel(2, 1), (Bgr{0, 0, 0}));
    a.SetPixel(2, 1, {1, 2, 3});
    Picture b = a;
    b.SetPixel(2, 1, {9, 9, 9});
    EXPECT_EQ(a.Pixel(2, 1), (Bgr{1, 2, 3}));
    EXPECT_EQ(a.Row(1)[6], 1);
    EXPECT_EQ(a.Row(1)[8], 3);  // blue, green, red order
    EXPECT_FALSE(a.SamePixels(b));
    Picture moved = std::move(b);
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_EQ(moved.Pixel(2, 1), (Bgr{9, 9, 9}));
}

TEST(Picture, RefusesImpossibleSizesBeforeAllocating)
{
    EXPECT_THROW(Picture(0, 5), ImagingError);
    EXPECT_THROW(Picture(-1, 5), ImagingError);
    EXPECT_THROW(Picture(65536, 1), ImagingError);
    EXPECT_THROW(Picture(1, 65536), ImagingError);
    EXPECT_THROW(CheckPictureSize(20000, 20000), ImagingError);  // 4e8 > 2^28
    EXPECT_NO_THROW(CheckPictureSize(65535, 4096));
    EXPECT_THROW(CheckPictureSize(65535, 4097), ImagingError);
}

TEST(Round, HalfToEven)
{
    for (auto [value, expected] : {std::pair{0.5, 0LL}, {1.5, 2LL}, {2.5, 2LL}, {3.5, 4LL}, {-0.5, 0LL}, {-1.5, -2LL},
                                   {-2.5, -2LL}, {2.4999, 2LL}, {2.5001, 3LL}, {-2.6, -3LL}})
        EXPECT_EQ(Round(value), expected) << value;
    EXPECT_EQ(ClampByte(-3), 0);
    EXPECT_EQ(ClampByte(300), 255);
}

TEST(FileSizeKB, UnitsOfThousandTiesToEven)
{
    for (auto [bytes, kb] : {std::pair{0ULL, 0LL}, {499ULL, 0LL}, {500ULL, 0LL}, {501ULL, 1LL}, {999ULL, 1LL},
                             {1500ULL, 2LL}, {2500ULL, 2LL}, {3500ULL, 4LL}})
        EXPECT_EQ(BytesToKB(bytes), kb) << bytes;

    test::TempDir dir;
    test::WriteBytes(dir / "f", std::vector<std::uint8_t>(1500, 7));
    EXPECT_EQ(FileSizeKB((dir / "f").string()), 2);
    EXPECT_EQ(FileSizeKB((dir / "missing").string()), 0);
    EXPECT_EQ(FileSizeKB(dir.Path().string()), 0);
}
