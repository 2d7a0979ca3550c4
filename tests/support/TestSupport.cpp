#include "support/TestSupport.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <sys/wait.h>

namespace zelpix::test {

std::filesystem::path FixturePath(const std::string& relative)
{
    return std::filesystem::path(ZELPIX_FIXTURES_DIR) / relative;
}

std::filesystem::path SamplePath(const std::string& name)
{
    return std::filesystem::path(ZELPIX_SAMPLES_DIR) / name;
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "zelpix-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

bool HaveTool(const std::string& program)
{
    return RunCommand("command -v " + ShellQuote(program) + " >/dev/null 2>&1") == 0;
}

int RunCommand(const std::string& commandLine, std::string* output)
{
    FILE* pipe = ::popen(commandLine.c_str(), "r");
    if (!pipe)
        return -1;
    std::array<char, 4096> buffer{};
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        if (output)
            output->append(buffer.data(), n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Picture MakeTestPicture(int width, int height, std::uint32_t seed)
{
    Picture picture(width, height);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.Row(y);
        for (int x = 0; x < width; ++x) {
            const bool block = ((x / 8) + (y / 8)) % 5 == 0;
            row[3 * x] = std::uint8_t(block ? 255 : (x * 255) / std::max(1, width - 1));
            row[3 * x + 1] = std::uint8_t(block ? 0 : (y * 255) / std::max(1, height - 1));
            row[3 * x + 2] = std::uint8_t((x + y) % 7 == 0 ? random() & 0xFF : ((x ^ y) & 0xFF));
        }
    }
    return picture;
}

int MaxChannelDifference(const Picture& a, const Picture& b)
{
    int worst = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width() * 3; ++x)
            worst = std::max(worst, std::abs(int(a.Row(y)[x]) - int(b.Row(y)[x])));
    return worst;
}

double MeanChannelDifference(const Picture& a, const Picture& b)
{
    double sum = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width() * 3; ++x)
            sum += std::abs(int(a.Row(y)[x]) - int(b.Row(y)[x]));
    return sum / (double(a.Width()) * a.Height() * 3);
}

}  // namespace zelpix::test
