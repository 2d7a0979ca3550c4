#include "imaging/FileSize.h"

#include <filesystem>
#include <system_error>

namespace zelpix {

std::int64_t BytesToKB(std::uint64_t bytes)
{
    std::uint64_t whole = bytes / 1000;
    const std::uint64_t rest = bytes % 1000;
    if (rest > 500 || (rest == 500 && (whole & 1) != 0))
        ++whole;
    return std::int64_t(whole);
}

std::int64_t FileSizeKB(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return 0;
    const auto bytes = std::filesystem::file_size(path, error);
    return error ? 0 : BytesToKB(bytes);
}

}  // namespace zelpix
