// Every reader behind the dispatcher: the first byte picks the extension, the rest is the file.
#include "imaging/ImagingError.h"
#include "imaging/PictureIO.h"

#include <iterator>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const char* const extensions[] = {"jpg", "jp2", "j2k", "gif", "tif", "fax", "bmp", "rle", "ico", "cur",
                                             "pcx", "png", "pgm", "tga", "cel", "emf"};
    if (size < 1)
        return 0;
    const std::string ext = extensions[data[0] % std::size(extensions)];
    try {
        zelpix::DecodePicture(zelpix::ByteView(data + 1, size - 1), ext);
    } catch (const zelpix::ImagingError&) {
    }
    return 0;
}
