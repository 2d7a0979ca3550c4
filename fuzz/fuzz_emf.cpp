// ReadEmfBitmaps on arbitrary bytes: a picture or an ImagingError, nothing else.
#include "imaging/Codecs.h"
#include "imaging/ImagingError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        zelpix::ReadEmfBitmaps(zelpix::ByteView(data, size));
    } catch (const zelpix::ImagingError&) {
    }
    return 0;
}
