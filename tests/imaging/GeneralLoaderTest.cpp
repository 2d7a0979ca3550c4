#include "CodecChecks.h"
#include "MagickReference.h"

#include <gtest/gtest.h>

#include <Magick++.h>

using namespace zelpix;
using namespace zelpix::test;

// ImageMagick-made files of the open list, named by their extensions; the coder is set from the extension.
TEST(GeneralLoader, ReadsTheOpenListFormatsAsImageMagickDoes)
{
    struct Case {
        const char* file;
        const char* coder;  // for ImageMagick's own reading, where the extension does not say it
        int sourceBits;
    };
    const Case cases[] = {
        {"photo.psd", "", 24},       {"alpha.psd", "", 32},          {"photo.sgi", "", 24},
        {"grey.bw", "SGI", 8},       {"alpha.rgba", "SGI", 32},      {"truevision.win", "TGA", 24},
        {"paintbrush.pcc", "PCX", 24}, {"screen.scr", "PCX", 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string name = c.file;
        const DecodedPicture decoded =
            ReadWithGeneralLoader(ImagingFixture("general/" + name), name.substr(name.rfind('.') + 1));
        EXPECT_EQ(decoded.sourceBits, c.sourceBits);
        const Picture expected = MagickReference(FixturePath("imaging/general/" + name), c.coder);
        ASSERT_FALSE(expected.IsEmpty());
        ExpectSamePixels(decoded.picture, expected, c.file);
    }
}

// Photo-CD files are large, so this one is made here: the loader gives the 768 x 512 base picture in RGB.
TEST(GeneralLoader, PhotoCdBasePicture)
{
    TempDir dir;
    const auto pcd = dir / "photo.pcd";
    ASSERT_EQ(RunCommand("convert-im6.q16 " + ShellQuote(FixturePath("imaging/general/photo.sgi").string()) +
                         " -resize '768x512!' " + ShellQuote("pcd:" + pcd.string())),
              0);
    const DecodedPicture decoded = ReadWithGeneralLoader(ReadBytes(pcd), "pcd");
    const Picture expected = DecodeWithImageMagick(pcd, "-colorspace sRGB");
    ASSERT_EQ(decoded.picture.Width(), 768);
    ASSERT_EQ(expected.Width(), 768);
    EXPECT_LE(MaxChannelDifference(decoded.picture, expected), 1);
}

TEST(GeneralLoader, UnreadableAndUnknownFormatsAreNamed)
{
    const Bytes png = ImagingFixture("png/rgb8.png");
    const std::pair<const char*, const char*> cases[] = {
        {"psp", "Paintshop Pro pictures (.psp) cannot be read."},
        {"blz", "BLZ pictures (.blz) cannot be read."},
        {"pal", "Dr. Halo pictures (.pal) cannot be read."},
        {"xyz", "Unknown picture format \".xyz\"."},
        {"svg", "Unknown picture format \".svg\"."},
        {"txt", "Unknown picture format \".txt\"."},
    };
    for (const auto& [extension, message] : cases) {
        try {
            ReadWithGeneralLoader(png, extension);
            ADD_FAILURE() << extension << " was read";
        } catch (const ImagingError& error) {
            EXPECT_STREQ(error.what(), message);
        }
    }
    // Bytes of another format under a loader extension: the loader's coder refuses them, in plain words.
    try {
        ReadWithGeneralLoader(png, "psd");
        ADD_FAILURE() << "PNG bytes read as a Photoshop file";
    } catch (const ImagingError& error) {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("Photoshop pictures (.psd) cannot be read: ", 0), 0u) << text;
        EXPECT_EQ(text.find(" @ "), std::string::npos) << text;
        EXPECT_EQ(text.find("imaging_tests"), std::string::npos) << text;
    }
}

// Our policy keeps the loader within the program's limits and away from anything but reading, and
// programs started later do not inherit it.
TEST(GeneralLoader, PolicyIsOursAndReadOnly)
{
    ReadWithGeneralLoader(ImagingFixture("general/photo.sgi"), "sgi");
    EXPECT_EQ(std::getenv("MAGICK_CONFIGURE_PATH"), nullptr);
    // A 20000-pixel wide SGI file (by Pillow): wider than the system's default policy allows.
    TempDir dir;
    const auto wide = dir / "wide.sgi";
    ASSERT_EQ(RunCommand("/usr/bin/python3 -c \"from PIL import Image; Image.new('L', (20000, 2), 99).save('" +
                         wide.string() + "', format='SGI')\""),
              0);
    EXPECT_EQ(ReadWithGeneralLoader(ReadBytes(wide), "sgi").picture.Width(), 20000);
    // The picture limits are ours, and there is no time limit: the loader counts time from its start and
    // ends the whole program once the limit has passed.
    EXPECT_EQ(MagickCore::GetMagickResourceLimit(MagickCore::WidthResource), 65535u);
    EXPECT_EQ(MagickCore::GetMagickResourceLimit(MagickCore::AreaResource), 268435456u);
    EXPECT_GT(MagickCore::GetMagickResourceLimit(MagickCore::TimeResource), MagickCore::MagickSizeType(1) << 40);
    // Nothing may be written, not even to memory, and coders we do not use may not read.
    const Bytes sgi = ImagingFixture("general/photo.sgi");
    Magick::Image image;
    image.read(Magick::Blob(sgi.data(), sgi.size()));
    Magick::Blob blob;
    EXPECT_THROW(image.write(&blob, "PNG"), Magick::Exception);
    EXPECT_THROW(image.write(&blob, "SGI"), Magick::Exception);
    EXPECT_THROW(Magick::Image(Magick::Geometry(2, 2), Magick::Color("red")), Magick::Exception);
    Magick::Image svg;
    EXPECT_THROW(svg.read(Magick::Blob("<svg/>", 6), Magick::Geometry(), "SVG"), Magick::Exception);
}

TEST(GeneralLoader, TruncatedAndCorruptFilesAreRefusedCleanly)
{
    for (const auto& [file, extension] : {std::pair{"photo.psd", "psd"}, std::pair{"photo.sgi", "sgi"}}) {
        const Bytes data = ImagingFixture(std::string("general/") + file);
        auto read = [&](ByteView bytes) { return ReadWithGeneralLoader(bytes, extension); };
        for (const std::size_t size : {std::size_t(0), std::size_t(10), data.size() / 3})
            EXPECT_THROW(read(ByteView(data.data(), size)), ImagingError) << file << " cut to " << size;
        for (std::size_t i = 0; i < 40; ++i) {
            Bytes copy = data;
            copy[i] ^= 0xFF;
            try {
                read(copy);
            } catch (const ImagingError&) {
            }
        }
    }
}
