// Library codecs in memory: JPEG and PNG decode and encode, GIF 216-colour and TIFF writers.
// The files come from ZELPIX_BENCH_JPEG and ZELPIX_BENCH_PNG (bench/codec-peers.sh makes 6000 x 4000
// ones); without them a 3000 x 2000 photo-like picture is made and encoded first.
#include "imaging/Codecs.h"
#include "imaging/PictureIO.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

using namespace zelpix;

// Smooth shading with fine texture, so that the codecs see photo-like data.
Picture MakePhotoLike(int width, int height)
{
    Picture p(width, height);
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = p.Row(y);
        for (int x = 0; x < width; ++x, row += 3) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = int(noise >> 29) - 4;
            const double shade = 0.5 + 0.5 * std::sin(x * 0.004) * std::cos(y * 0.006);
            row[0] = std::uint8_t(std::clamp(int(200 * shade) + grain, 0, 255));
            row[1] = std::uint8_t(std::clamp(int(120 + 100 * shade * std::sin(y * 0.01)) + grain, 0, 255));
            row[2] = std::uint8_t(std::clamp(int(255 * (1 - shade)) + grain, 0, 255));
        }
    }
    return p;
}

Bytes FileOrEncoded(const char* variable, Bytes (*encode)(const Picture&))
{
    if (const char* path = std::getenv(variable))
        return ReadWholeFile(path);
    static const Picture picture = MakePhotoLike(3000, 2000);
    return encode(picture);
}

const Bytes& JpegFile()
{
    static const Bytes bytes = FileOrEncoded("ZELPIX_BENCH_JPEG", WriteJpeg);
    return bytes;
}

const Bytes& PngFile()
{
    static const Bytes bytes = FileOrEncoded("ZELPIX_BENCH_PNG", WritePng);
    return bytes;
}

const Picture& JpegPicture()
{
    static const Picture picture = ReadJpeg(JpegFile()).picture;
    return picture;
}

const Picture& PngPicture()
{
    static const Picture picture = ReadPng(PngFile()).picture;
    return picture;
}

void CountPixels(benchmark::State& state, const Picture& picture)
{
    state.SetItemsProcessed(std::int64_t(state.iterations()) * picture.Width() * picture.Height());
}

void BM_ReadJpeg(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadJpeg(JpegFile()));
    CountPixels(state, JpegPicture());
}

void BM_WriteJpeg(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteJpeg(JpegPicture()));
    CountPixels(state, JpegPicture());
}

void BM_ReadPng(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadPng(PngFile()));
    CountPixels(state, PngPicture());
}

void BM_WritePng(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(WritePng(PngPicture()));
    CountPixels(state, PngPicture());
}

void BM_WriteGif216(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteGif216(JpegPicture()));
    CountPixels(state, JpegPicture());
}

void BM_WriteTiff(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteTiff(JpegPicture()));
    CountPixels(state, JpegPicture());
}

}  // namespace

BENCHMARK(BM_ReadJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteGif216)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteTiff)->Unit(benchmark::kMillisecond);
