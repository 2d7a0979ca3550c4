#include "SaneTestBackend.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace zelpix::test::SaneTestBackend {

const std::filesystem::path& Folder()
{
    static const std::filesystem::path folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "zelpix-sane-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create the SANE configuration folder");
        std::ofstream(std::filesystem::path(pattern) / "dll.conf") << "test\n";
        ::setenv("SANE_CONFIG_DIR", pattern.c_str(), 1);
        // SANE keeps the path for the process's lifetime; the folder goes when the process ends.
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(Folder(), ignored);
        });
        return std::filesystem::path(pattern);
    }();
    return folder;
}

void Configure(const std::string& extraLines)
{
    std::ofstream conf(Folder() / "test.conf", std::ios::trunc);
    conf << "number_of_devices 2\n"
            "mode Gray\n"
            "depth 8\n"
            "resolution 50\n"
            "test-picture \"Color pattern\"\n"
         << extraLines;
    if (!conf)
        throw std::runtime_error("cannot write test.conf");
}

}  // namespace zelpix::test::SaneTestBackend
