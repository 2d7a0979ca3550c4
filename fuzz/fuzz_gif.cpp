// ReadGifFirstFrame on arbitrary bytes: an ImagingError or a picture, never a crash, leak or hang.
#include "imaging/Codecs.h"
#include "imaging/ImagingError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        zelpix::ReadGifFirstFrame(zelpix::ByteView(data, size));
    } catch (const zelpix::ImagingError&) {
    }
    return 0;
}
