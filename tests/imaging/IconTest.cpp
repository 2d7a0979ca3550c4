#include "CodecChecks.h"

#include "imaging/LittleEndian.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zelpix;
using namespace zelpix::test;

namespace {

struct Entry {
    Bytes bytes;
    int dirWidth = 0, dirHeight = 0;
};

// The entries of an icon file, as stored.
std::vector<Entry> Entries(const Bytes& file)
{
    std::vector<Entry> entries;
    for (unsigned i = 0; i < GetLe16(&file[4]); ++i) {
        const std::uint8_t* e = &file[6 + 16 * i];
        const std::size_t size = GetLe32(e + 8), offset = GetLe32(e + 12);
        entries.push_back({Bytes(file.begin() + offset, file.begin() + offset + size), e[0], e[1]});
    }
    return entries;
}

Bytes MakeIcon(const std::vector<Entry>& entries, int type = 1)
{
    Bytes file(6 + 16 * entries.size(), 0);
    PutLe16(&file[2], std::uint32_t(type));
    PutLe16(&file[4], std::uint32_t(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::uint8_t* e = &file[6 + 16 * i];
        e[0] = std::uint8_t(entries[i].dirWidth);
        e[1] = std::uint8_t(entries[i].dirHeight);
        PutLe32(e + 8, std::uint32_t(entries[i].bytes.size()));
        PutLe32(e + 12, std::uint32_t(file.size()));
        file.insert(file.end(), entries[i].bytes.begin(), entries[i].bytes.end());
        e = &file[6 + 16 * i]; // the insert may have moved the bytes
    }
    // Offsets were written before each insert moved on; recompute them in one pass.
    std::size_t offset = 6 + 16 * entries.size();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        PutLe32(&file[6 + 16 * i + 12], std::uint32_t(offset));
        offset += entries[i].bytes.size();
    }
    return file;
}

Entry Only(const char* name, std::size_t index = 0)
{
    return Entries(ImagingFixture(std::string("ico/") + name))[index];
}

}  // namespace

// Icons and a cursor from ImageMagick and Pillow (DIB entries of 4, 8, 24 and 32 bits, PNG entries), compared
// with Pillow's decoding of the largest entry composited over white. Pillow stores the masks of its 24-bit
// entries short and reads them back from the wrong place; that file's reference is netpbm's winicontopam,
// which, like us, leaves a short mask out.
TEST(Icon, DecodesTheLargestEntryLikePillow)
{
    const struct {
        const char* file;
        int bits;
    } cases[] = {
        {"im-sizes.ico", 32}, {"im-mask.ico", 32},  {"im-pal4.ico", 4},  {"im-pal8.ico", 8},
        {"pil-bmp24.ico", 24}, {"pil-bmp32.ico", 32}, {"pil-png.ico", 32}, {"im-cursor.cur", 32},
    };
    for (const auto& c : cases) {
        const std::string name = std::string("ico/") + c.file;
        const DecodedPicture decoded = ReadIcon(ImagingFixture(name));
        EXPECT_EQ(decoded.sourceBits, c.bits) << name;
        ExpectSamePixels(decoded.picture, ReferencePixels(name.substr(0, name.size() - 4) + ".ppm"), name);
    }
}

TEST(Icon, ChoosesTheLargestThenTheDeepestEntryByItsOwnHeader)
{
    const Entry pal4 = Only("im-pal4.ico"), pal8 = Only("im-pal8.ico"), rgb16 = Only("pil-bmp24.ico", 0),
                rgb20 = Only("pil-bmp24.ico", 1), png24 = Only("pil-png.ico", 1);
    const struct {
        std::vector<Entry> entries;
        int bits, width;
    } cases[] = {
        {{pal4, pal8}, 8, 16},
        {{pal8, pal4}, 8, 16},
        {{pal8, rgb16, pal4}, 24, 16},
        {{rgb20, pal8}, 24, 20},
        {{pal8, rgb20, png24}, 32, 24},
        // The directory's sizes are not trusted.
        {{{pal8.bytes, 1, 1}, {rgb20.bytes, 255, 255}, {pal4.bytes, 0, 0}}, 24, 20},
    };
    for (const auto& c : cases) {
        const DecodedPicture decoded = ReadIcon(MakeIcon(c.entries));
        EXPECT_EQ(decoded.sourceBits, c.bits);
        EXPECT_EQ(decoded.picture.Width(), c.width);
    }
    // A cursor is the same file with type 2.
    ExpectSamePixels(ReadIcon(MakeIcon({pal8}, 2)).picture, ReadIcon(MakeIcon({pal8})).picture, "cursor");
}

TEST(Icon, AndMaskMakesPixelsWhiteUnlessAlphaIsUsed)
{
    // 4 bits: set the mask bits of the stored first row (the bottom row).
    Entry pal4 = Only("im-pal4.ico");
    const std::size_t maskStart = pal4.bytes.size() - 4 * 16;
    std::memset(&pal4.bytes[maskStart], 0xFF, 2);
    const Picture plain = ReadIcon(ImagingFixture("ico/im-pal4.ico")).picture;
    const Picture masked = ReadIcon(MakeIcon({pal4})).picture;
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(masked.Pixel(x, 15), (Bgr{255, 255, 255})) << x;
        EXPECT_EQ(masked.Pixel(x, 14), plain.Pixel(x, 14)) << x;
    }

    // 32 bits whose alpha bytes are all 0 do not use alpha: the mask decides.
    Entry rgba = Only("im-sizes.ico");
    const int width = 24;
    const std::size_t colour = 40, colourBytes = std::size_t(width) * width * 4;
    for (std::size_t i = colour + 3; i < colour + colourBytes; i += 4)
        rgba.bytes[i] = 0;
    std::memset(&rgba.bytes[colour + colourBytes], 0, rgba.bytes.size() - colour - colourBytes);
    std::memset(&rgba.bytes[colour + colourBytes], 0xFF, 3); // bottom row
    const Picture opaque = ReadIcon(MakeIcon({rgba})).picture;
    const std::uint8_t* first = &rgba.bytes[colour + std::size_t(width) * 4 * (width - 1)]; // stored top row
    EXPECT_EQ(opaque.Pixel(0, 0), (Bgr{first[0], first[1], first[2]}));
    EXPECT_EQ(opaque.Pixel(5, width - 1), (Bgr{255, 255, 255}));

    // Without its mask the colours stand.
    Entry noMask = Only("im-pal4.ico");
    noMask.bytes.resize(maskStart);
    ExpectSamePixels(ReadIcon(MakeIcon({noMask})).picture, plain, "no mask");
}

TEST(Icon, TruncatedAndCorruptFilesAreRefusedCleanly)
{
    for (const char* name : {"im-pal4.ico", "pil-bmp24.ico", "pil-png.ico", "im-cursor.cur"}) {
        const Bytes data = ImagingFixture(std::string("ico/") + name);
        ExpectCutsRefused(ReadIcon, data, data.size(), name);
        ExpectCorruptionSurvived(ReadIcon, data, 70, name);
    }
    const Bytes twoEntries = ImagingFixture("ico/pil-bmp24.ico");
    const struct {
        std::size_t offset;
        std::uint32_t value;
        const char* message;
    } cases[] = {
        {2, 3, "not an icon"},
        {4, 0, "holds no picture"},
        {4, 200, "directory is truncated"},
        {6 + 12, 0xFFFFFF00, "truncated"},
    };
    for (const auto& c : cases) {
        Bytes copy = twoEntries;
        if (c.offset == 18)
            PutLe32(&copy[c.offset], c.value);
        else
            PutLe16(&copy[c.offset], c.value);
        try {
            ReadIcon(copy);
            ADD_FAILURE() << c.message << ": accepted";
        } catch (const ImagingError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
    }
}
