// The general picture loader on arbitrary bytes: the first byte picks the extension, the rest is the file.
#include "imaging/Codecs.h"
#include "imaging/ImagingError.h"

#include <iterator>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const char* const extensions[] = {"psd", "sgi", "rgba", "bw", "win", "pcc", "scr", "rla", "cut", "pcd", "wmf"};
    if (size < 1)
        return 0;
    try {
        zelpix::ReadWithGeneralLoader(zelpix::ByteView(data + 1, size - 1), extensions[data[0] % std::size(extensions)]);
    } catch (const zelpix::ImagingError&) {
    }
    return 0;
}
