#pragma once
#include <cstdint>
#include <string>

namespace zelpix {

// The file's size in units of 1000 bytes, rounded half to even; 0 when it cannot be read.
std::int64_t FileSizeKB(const std::string& path);
// Bytes to units of 1000, rounded half to even.
std::int64_t BytesToKB(std::uint64_t bytes);

}  // namespace zelpix
