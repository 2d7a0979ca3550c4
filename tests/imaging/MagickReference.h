#pragma once
// ImageMagick's 16-bit samples as the reference reading of a file, for formats where its own 8-bit
// output does not round.
#include "CodecChecks.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace zelpix::test {

// ImageMagick's 16-bit RGBA samples of a file, each reduced to 8 bits with rounding and composited over
// white: the reading that every colour type and depth must give.
// A coder ("TGA") is named where the extension does not say it.
inline Picture MagickReference(const std::filesystem::path& path, const std::string& coder = "")
{
    const std::string source = ShellQuote((coder.empty() ? "" : coder + ":") + path.string() + "[0]");
    std::string size, samples;
    EXPECT_EQ(RunCommand("identify-im6.q16 -format '%w %h' " + source, &size), 0);
    EXPECT_EQ(RunCommand("convert-im6.q16 " + source + " -alpha on -depth 16 -endian MSB rgba:-", &samples), 0);
    int width = 0, height = 0;
    std::sscanf(size.c_str(), "%d %d", &width, &height);
    if (width <= 0 || height <= 0 || samples.size() != std::size_t(width) * std::size_t(height) * 8)
        return {};
    Picture picture(width, height);
    const auto* p = reinterpret_cast<const std::uint8_t*>(samples.data());
    auto next = [&p] {
        const unsigned v = unsigned(p[0]) << 8 | p[1];
        p += 2;
        return (v * 255 + 32767) / 65535;
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned r = next(), g = next(), b = next(), a = next();
            auto over = [a](unsigned c) { return std::uint8_t((c * a + 255 * (255 - a) + 127) / 255); };
            picture.SetPixel(x, y, {over(b), over(g), over(r)});
        }
    return picture;
}


}  // namespace zelpix::test
