// Mirroring a 6000 x 4000 picture in place, beside QImage's own mirror of the same rows (a copy).
#include "document/ops/Mirrors.h"
#include "imaging/PictureImage.h"

#include <QImage>
#include <benchmark/benchmark.h>

namespace zelpix {
namespace {

Picture& Photo()
{
    static Picture picture = [] {
        Picture p(6000, 4000);
        for (int y = 0; y < p.Height(); ++y) {
            std::uint8_t* row = p.Row(y);
            for (int x = 0; x < 3 * p.Width(); ++x)
                row[x] = std::uint8_t(x * 7 + y);
        }
        return p;
    }();
    return picture;
}

void BM_MirrorLeftRight(benchmark::State& state)
{
    for (auto _ : state)
        MirrorLeftRight(Photo());
    state.SetBytesProcessed(state.iterations() * std::int64_t(Photo().ByteSize()));
}

void BM_MirrorTopBottom(benchmark::State& state)
{
    for (auto _ : state)
        MirrorTopBottom(Photo());
    state.SetBytesProcessed(state.iterations() * std::int64_t(Photo().ByteSize()));
}

void BM_QImageMirrored(benchmark::State& state)
{
    const QImage image = WrapPicture(std::as_const(Photo()));
    const bool horizontal = state.range(0) != 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(image.mirrored(horizontal, !horizontal));
    state.SetBytesProcessed(state.iterations() * std::int64_t(Photo().ByteSize()));
}

BENCHMARK(BM_MirrorLeftRight)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MirrorTopBottom)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QImageMirrored)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelpix
