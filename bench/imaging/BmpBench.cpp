// Windows bitmap encode and decode of a 6000 x 4000 picture, in memory and through a file.
#include "imaging/Codecs.h"
#include "imaging/PictureIO.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

namespace {

using namespace zelpix;

const Picture& LargePicture()
{
    static const Picture picture = [] {
        Picture p(6000, 4000);
        for (int y = 0; y < p.Height(); ++y) {
            std::uint8_t* row = p.Row(y);
            for (int x = 0; x < p.Width(); ++x) {
                row[3 * x] = std::uint8_t(x);
                row[3 * x + 1] = std::uint8_t(y);
                row[3 * x + 2] = std::uint8_t(x ^ y);
            }
        }
        return p;
    }();
    return picture;
}

void SetBytes(benchmark::State& state)
{
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(LargePicture().ByteSize()));
}

std::string TempFile()
{
    return (std::filesystem::temp_directory_path() / ("zelpix-bench-" + std::to_string(::getpid()) + ".bmp")).string();
}

void BM_BmpEncode(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteBmp(LargePicture()));
    SetBytes(state);
}

void BM_BmpDecode(benchmark::State& state)
{
    const Bytes bytes = WriteBmp(LargePicture());
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadBmp(bytes));
    SetBytes(state);
}

void BM_BmpWriteFile(benchmark::State& state)
{
    const std::string path = TempFile();
    for (auto _ : state)
        WritePictureFile(LargePicture(), path);
    std::filesystem::remove(path);
    SetBytes(state);
}

void BM_BmpReadFile(benchmark::State& state)
{
    const std::string path = TempFile();
    WritePictureFile(LargePicture(), path);
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadPictureFile(path));
    std::filesystem::remove(path);
    SetBytes(state);
}

}  // namespace

BENCHMARK(BM_BmpEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpWriteFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BmpReadFile)->Unit(benchmark::kMillisecond)->UseRealTime();
