#pragma once
// Checks shared by the tests of our own readers: fixtures with their reference pixels (decoded by the tool
// that made them), cut and corrupted copies, and the round trip through an independent tool.
#include "imaging/Codecs.h"
#include "imaging/ImagingError.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace zelpix::test {

using Reader = DecodedPicture (*)(ByteView);

inline Bytes ImagingFixture(const std::string& relative)
{
    return ReadBytes(FixturePath("imaging/" + relative));
}

// A fixture's reference pixels: the P6 file beside it, decoded by the tool that wrote the fixture.
inline Picture ReferencePixels(const std::string& relative)
{
    return ReadPnm(ImagingFixture(relative)).picture;
}

inline void ExpectSamePixels(const Picture& actual, const Picture& expected, const std::string& what)
{
    ASSERT_EQ(actual.Width(), expected.Width()) << what;
    ASSERT_EQ(actual.Height(), expected.Height()) << what;
    EXPECT_TRUE(actual.SamePixels(expected)) << what << ": largest channel difference "
                                              << MaxChannelDifference(actual, expected);
}

// Every copy cut shorter than mustThrowBelow bytes is refused with ImagingError; longer cuts may decode.
inline void ExpectCutsRefused(Reader read, const Bytes& data, std::size_t mustThrowBelow, const std::string& what)
{
    for (std::size_t size = 0; size < data.size(); ++size) {
        const ByteView cut(data.data(), size);
        if (size < mustThrowBelow) {
            EXPECT_THROW(read(cut), ImagingError) << what << " cut to " << size;
        } else {
            try {
                read(cut);
            } catch (const ImagingError&) {
            }
        }
    }
}

// Flipping bits of each of the first bytes gives a picture or an ImagingError, never anything else.
inline void ExpectCorruptionSurvived(Reader read, const Bytes& data, std::size_t bytes, const std::string& what)
{
    for (std::size_t i = 0; i < std::min(bytes, data.size()); ++i) {
        for (std::uint8_t flip : {0x01, 0x10, 0x80, 0xFF}) {
            Bytes copy = data;
            copy[i] ^= flip;
            try {
                read(copy);
            } catch (const ImagingError&) {
            } catch (const std::exception& error) {
                ADD_FAILURE() << what << " byte " << i << " ^ " << int(flip) << ": " << error.what();
            }
        }
    }
}

// Decodes a file with ImageMagick into 8-bit pixels, or an empty picture when the tool fails.
inline Picture DecodeWithImageMagick(const std::filesystem::path& file, const std::string& options = "")
{
    TempDir dir;
    const auto out = dir / "decoded.ppm";
    if (RunCommand("convert-im6.q16 " + ShellQuote(file.string()) + " " + options + " -depth 8 " +
                   ShellQuote("ppm:" + out.string()) + " 2>&1") != 0)
        return {};
    return ReadPnm(ReadBytes(out)).picture;
}

// Decodes a file with Pillow (Debian's python3), composited over white, or an empty picture when it fails.
inline Picture DecodeWithPillow(const std::filesystem::path& file)
{
    TempDir dir;
    const auto out = dir / "decoded.ppm";
    const std::string script =
        "import sys\nfrom PIL import Image\nim = Image.open(sys.argv[1]).convert('RGBA')\n"
        "white = Image.new('RGBA', im.size, (255, 255, 255, 255))\n"
        "Image.alpha_composite(white, im).convert('RGB').save(sys.argv[2])\n";
    if (RunCommand("/usr/bin/python3 -c " + ShellQuote(script) + " " + ShellQuote(file.string()) + " " +
                   ShellQuote(out.string()) + " 2>&1") != 0)
        return {};
    return ReadPnm(ReadBytes(out)).picture;
}

}  // namespace zelpix::test
