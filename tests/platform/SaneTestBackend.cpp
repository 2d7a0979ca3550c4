#include "SaneTestBackend.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace zelpix::test::SaneTestBackend {

const std::filesystem::path& Folder()
{
    // Never destroyed, so that the clean-up at exit can still use it.
    static const auto* folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "zelpix-sane-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create the SANE configuration folder");
        ::setenv("SANE_CONFIG_DIR", pattern.c_str(), 1);
        return new std::filesystem::path(pattern);
    }();
    // SANE keeps the path for the process's lifetime; the folder goes when the process ends.
    static const int cleanUp = std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(*folder, ignored);
    });
    (void)cleanUp;
    return *folder;
}

namespace {

void WriteBackends(const char* lines)
{
    std::ofstream dll(Folder() / "dll.conf", std::ios::trunc);
    dll << lines;
    if (!dll)
        throw std::runtime_error("cannot write dll.conf");
}

}  // namespace

void ConfigureNoBackend()
{
    WriteBackends("");
}

void Configure(const std::string& extraLines)
{
    WriteBackends("test\n");
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
