#pragma once
// Helpers shared by the test executables: fixture paths, temporary folders, external tools.
#include "imaging/Picture.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zelpix::test {

std::filesystem::path FixturePath(const std::string& relative);   // tests/fixtures/<relative>
std::filesystem::path SamplePath(const std::string& name);        // the shared sample photos

// A fresh folder under the system temp folder, removed when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// True when the program is on PATH.
bool HaveTool(const std::string& program);
// Runs a shell command line; returns its exit status and (optionally) its standard output.
int RunCommand(const std::string& commandLine, std::string* output = nullptr);
// Quotes one argument for the shell.
std::string ShellQuote(const std::string& text);

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// A deterministic picture with gradients and some hard edges.
Picture MakeTestPicture(int width, int height, std::uint32_t seed = 1);
// Largest absolute channel difference; the pictures must have the same size.
int MaxChannelDifference(const Picture& a, const Picture& b);
// Mean absolute channel difference.
double MeanChannelDifference(const Picture& a, const Picture& b);

}  // namespace zelpix::test
