#pragma once
#include <stdexcept>
#include <string>

namespace zelpix {

// Any failure to decode, encode, read or write a picture; the text is shown to the user as it is.
class ImagingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace zelpix
