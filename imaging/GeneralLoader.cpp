// The general picture loader: the formats of the open list that have no reader of their own, read
// through Magick++ under our own policy (read only, our picture limits).
#include "imaging/AlphaOverWhite.h"
#include "imaging/Codecs.h"
#include "imaging/ImagingError.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <unistd.h>

#include <Magick++.h>

namespace zelpix {

namespace {

struct LoaderFormat {
    const char* extension;
    const char* name;   // for messages: "<name> pictures (.<ext>) cannot be read."
    const char* coder;  // the loader's coder; empty when no coder reads the format
};

// Word 5.x screen captures are PCX files; a Dr. Halo ".pal" holds only a palette.
constexpr LoaderFormat Formats[] = {
    {"rla", "Alias/Wavefront", "RLA"},  {"rpf", "Alias/Wavefront", "RLA"},
    {"pic", "Autodesk", ""},            {"cel", "Autodesk", ""},
    {"blz", "BLZ", ""},                 {"cut", "Dr. Halo", "CUT"},
    {"pal", "Dr. Halo", ""},            {"pcd", "Kodak Photo-CD", "PCD"},
    {"psp", "Paintshop Pro", ""},       {"pdd", "Photoshop", "PSD"},
    {"psd", "Photoshop", "PSD"},        {"bw", "SGI", "SGI"},
    {"rgb", "SGI", "SGI"},              {"sgi", "SGI", "SGI"},
    {"rgba", "SGI", "SGI"},             {"icb", "Truevision", "TGA"},
    {"tga", "Truevision", "TGA"},       {"vda", "Truevision", "TGA"},
    {"vst", "Truevision", "TGA"},       {"win", "Truevision", "TGA"},
    {"targa", "Truevision", "TGA"},     {"wmf", "Windows metafile", "WMF"},
    {"emf", "Windows metafile", ""},    {"scr", "Word 5.x screen capture", "PCX"},
    {"pcc", "ZSoft Paintbrush", "PCX"}, {"pcx", "ZSoft Paintbrush", "PCX"},
};

const LoaderFormat* FindFormat(const std::string& extension)
{
    const auto* end = std::end(Formats);
    const auto* found = std::find_if(std::begin(Formats), end, [&](const LoaderFormat& f) { return extension == f.extension; });
    return found == end ? nullptr : found;
}

// The folder of our policy.xml: beside the program when installed, else the build tree's copy.
std::string PolicyFolder()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::filesystem::path installed = program.parent_path() / "magick";
        if (std::filesystem::exists(installed / "policy.xml", error))
            return installed.string();
    }
    return ZELPIX_MAGICK_POLICY_DIR;
}

void InitializeOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // The policy is read while initialising; the variable is put back afterwards so that programs
        // we start do not inherit our policy.
        const char* previous = std::getenv("MAGICK_CONFIGURE_PATH");
        const std::string saved = previous ? previous : "";
        ::setenv("MAGICK_CONFIGURE_PATH", PolicyFolder().c_str(), 1);
        Magick::InitializeMagick(nullptr);
        MagickCore::IsRightsAuthorized(MagickCore::CoderPolicyDomain, MagickCore::ReadPolicyRights, "PNG");
        if (previous)
            ::setenv("MAGICK_CONFIGURE_PATH", saved.c_str(), 1);
        else
            ::unsetenv("MAGICK_CONFIGURE_PATH");
    });
}

bool CoderReads(const char* coder)
{
    if (!*coder)
        return false;
    try {
        return Magick::CoderInfo(coder).isReadable();
    } catch (const Magick::Exception&) {
        return false;
    }
}

// The loader's reason alone: without the program name before it, the empty file name quote and the
// source location after it ("zelpix: improper image header `' @ error/psd.c/...").
std::string Reason(const Magick::Exception& error)
{
    std::string text = error.what();
    if (const auto at = text.find(" @ "); at != std::string::npos)
        text.erase(at);
    if (const auto colon = text.find(": "); colon != std::string::npos && text.find(' ') > colon)
        text.erase(0, colon + 2);
    if (text.size() >= 3 && text.compare(text.size() - 3, 3, " `'") == 0)
        text.erase(text.size() - 3);
    return text;
}

// Bits per pixel of the file's pixel format as the loader describes it.
int SourceBits(const Magick::Image& image)
{
    const bool deep = image.depth() > 8;
    if (image.classType() == MagickCore::PseudoClass && !image.matte()) {
        const std::size_t colours = image.colorMapSize();
        return colours <= 2 ? 1 : colours <= 16 ? 4 : 8;
    }
    if (image.colorSpace() == MagickCore::CMYKColorspace)
        return 32;
    if (image.colorSpace() == MagickCore::GRAYColorspace)
        return image.matte() ? (deep ? 32 : 16) : (deep ? 16 : 8);
    if (image.matte())
        return deep ? 64 : 32;
    return deep ? 48 : 24;
}

}  // namespace

DecodedPicture ReadWithGeneralLoader(ByteView data, const std::string& extension)
{
    const LoaderFormat* format = FindFormat(extension);
    if (!format)
        throw ImagingError("Unknown picture format \"." + extension + "\".");
    InitializeOnce();
    const std::string cannot = std::string(format->name) + " pictures (." + extension + ") cannot be read";
    if (!CoderReads(format->coder))
        throw ImagingError(cannot + ".");
    if (data.empty())
        throw ImagingError(cannot + ": the file is empty.");

    Magick::Image image;
    int sourceBits = 24;
    try {
        image.quiet(true);
        // Only the first picture of a file with several (a layered Photoshop file's composite); for
        // Photo-CD the scene picks the resolution, and its default is the 768 x 512 base picture.
        if (std::string(format->coder) != "PCD") {
            image.subImage(0);
            image.subRange(1);
        }
        image.magick(format->coder);
        image.read(Magick::Blob(data.data(), data.size()));
        CheckPictureSize(std::int64_t(image.columns()), std::int64_t(image.rows()));
        sourceBits = SourceBits(image);
        if (image.colorSpace() != MagickCore::sRGBColorspace && image.colorSpace() != MagickCore::RGBColorspace &&
            image.colorSpace() != MagickCore::GRAYColorspace)
            image.colorSpace(MagickCore::sRGBColorspace);
    } catch (const Magick::Exception& error) {
        throw ImagingError(cannot + ": " + Reason(error) + ".");
    }

    const int width = int(image.columns()), height = int(image.rows());
    Picture picture(width, height);
    const bool alpha = image.matte();
    std::vector<std::uint8_t> bgra(alpha ? std::size_t(width) * 4 : 0);
    try {
        for (int y = 0; y < height; ++y) {
            std::uint8_t* out = picture.Row(y);
            if (!alpha) {
                image.write(0, y, std::size_t(width), 1, "BGR", MagickCore::CharPixel, out);
                continue;
            }
            image.write(0, y, std::size_t(width), 1, "BGRA", MagickCore::CharPixel, bgra.data());
            const std::uint8_t* in = bgra.data();
            for (int x = 0; x < width; ++x, in += 4, out += 3) {
                out[0] = OverWhite(in[0], in[3]);
                out[1] = OverWhite(in[1], in[3]);
                out[2] = OverWhite(in[2], in[3]);
            }
        }
    } catch (const Magick::Exception& error) {
        throw ImagingError(cannot + ": " + Reason(error) + ".");
    }
    return {std::move(picture), sourceBits};
}

}  // namespace zelpix
