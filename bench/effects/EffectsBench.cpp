// Every effect and adjustment on the 146 x 113 preview thumbnail against the 2 ms preview budget, and the
// single-pass operations on a 6000 x 4000 photo against one memory pass over the same picture, in one run.
// Ends with a table of the ratios.
#include "effects/ops/AdjustmentTable.h"
#include "effects/ops/EffectRegistry.h"
#include "effects/ops/ParallelRows.h"
#include "effects/ops/Resample.h"
#include "imaging/PictureIO.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace zelpix;
using namespace zelpix::effects;

constexpr double PreviewBudgetMs = 2.0;
constexpr double SinglePassBudget = 2.0; // times one memory pass

// The sample photo at a given size (the preview and the big photo are both made from it).
Picture SamplePhoto(int width, int height)
{
    static const Picture sample = ReadPictureFile(std::string(ZELPIX_SAMPLES_DIR) + "/astronaut.png").picture;
    return Resample(sample, width, height, ResampleFilter::Lanczos3);
}
const Picture& Preview()
{
    static const Picture picture = SamplePhoto(146, 113);
    return picture;
}
const Picture& Photo()
{
    static const Picture picture = SamplePhoto(6000, 4000);
    return picture;
}

// One pass over the picture: a new picture of the same size receives every row.
Picture MemoryPass(const Picture& picture)
{
    Picture copy(picture.Width(), picture.Height());
    const std::size_t rowBytes = std::size_t(picture.Width()) * 3;
    for (int y = 0; y < picture.Height(); ++y)
        std::memcpy(copy.Row(y), picture.Row(y), rowBytes);
    return copy;
}

ParamValues AdjustmentValues(const AdjustmentSpec& entry, const Picture& picture)
{
    ParamValues values;
    for (const ParamSpec& param : entry.params)
        values.push_back(param.defaultValue);
    if (entry.cliName == "resample") // half size with Lanczos3
        values = {double(picture.Width() / 2), double(picture.Height() / 2), 0, double(int(ResampleFilter::Lanczos3))};
    if (entry.cliName == "rotate")
        values[0] = 30;
    if (entry.cliName == "contrast" || entry.cliName == "hsvvar" || entry.cliName == "hslvar" ||
        entry.cliName == "intensityrgball") // their defaults change nothing and cost nothing
        std::fill(values.begin(), values.end(), 20.0);
    return values;
}

using Source = const Picture& (*)();

// At its defaults, or with its first parameter set to `first` when that is not negative.
void RunEffect(benchmark::State& state, const EffectSpec* entry, Source source, double first)
{
    const Picture& picture = source();
    ParamValues values = entry->Defaults();
    if (first >= 0)
        values.at(0) = first;
    for (auto _ : state)
        benchmark::DoNotOptimize(entry->run(picture, values, Area{}));
}

void RunAdjustment(benchmark::State& state, const AdjustmentSpec* entry, Source source)
{
    const Picture& picture = source();
    const ParamValues values = AdjustmentValues(*entry, picture);
    for (auto _ : state)
        benchmark::DoNotOptimize(entry->run(picture, values));
}

void RunMemoryPass(benchmark::State& state)
{
    const Picture& photo = Photo(); // made outside the timed loop
    for (auto _ : state)
        benchmark::DoNotOptimize(MemoryPass(photo));
}

// Keeps each benchmark's mean wall time (ms) for the ratio table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> milliseconds;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                std::string name = run.benchmark_name();
                name = name.substr(0, name.find("/real_time"));
                milliseconds[name] = run.GetAdjustedRealTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
};

const char* const PhotoEffects[] = {"carve", "emboss", "spooky", "purple", "colorsuperimposition", "exposure",
                                    "threshold"};
const char* const PhotoAdjustments[] = {"negative", "grayscale", "rgbchannels", "hsvchannels"};
// Timed against the peer tools by bench/effects-peers.sh; here for the in-process time.
const char* const PeerNames[] = {"peer/resample", "peer/rotate", "peer/histautoequalize", "peer/blur"};

void Register()
{
    auto ms = [](benchmark::internal::Benchmark* b) { b->Unit(benchmark::kMillisecond)->UseRealTime(); };
    for (const EffectSpec& entry : Effects())
        ms(benchmark::RegisterBenchmark(("preview/" + CliName(entry.menuItem)).c_str(), RunEffect, &entry, Preview, -1.0));
    for (const AdjustmentSpec& entry : AdjustmentTable())
        ms(benchmark::RegisterBenchmark(("preview/" + entry.cliName).c_str(), RunAdjustment, &entry, Preview));

    ms(benchmark::RegisterBenchmark("photo/memorypass", RunMemoryPass));
    for (const char* name : PhotoEffects)
        if (const EffectSpec* entry = FindEffectByCliName(name))
            ms(benchmark::RegisterBenchmark((std::string("photo/") + name).c_str(), RunEffect, entry, Photo, -1.0));
    for (const char* name : PhotoAdjustments)
        ms(benchmark::RegisterBenchmark((std::string("photo/") + name).c_str(), RunAdjustment,
                                        FindAdjustment(name), Photo));
    ms(benchmark::RegisterBenchmark(PeerNames[0], RunAdjustment, FindAdjustment("resample"), Photo));
    ms(benchmark::RegisterBenchmark(PeerNames[1], RunAdjustment, FindAdjustment("rotate"), Photo));
    if (const EffectSpec* entry = FindEffectByCliName("histautoequalize"))
        ms(benchmark::RegisterBenchmark(PeerNames[2], RunEffect, entry, Photo, -1.0));
    if (const EffectSpec* entry = FindEffectByCliName("blur"))
        ms(benchmark::RegisterBenchmark(PeerNames[3], RunEffect, entry, Photo, 8.0));
}

void PrintRatios(const std::map<std::string, double>& times)
{
    std::printf("\n%-36s %10s %10s  %s\n", "operation", "ms", "ratio", "budget");
    for (const auto& [name, ms] : times)
        if (name.rfind("preview/", 0) == 0)
            std::printf("%-36s %10.3f %9.2fx  %s\n", name.c_str(), ms, ms / PreviewBudgetMs,
                        ms <= PreviewBudgetMs ? "ok (of 2 ms)" : "OVER 2 ms");
    const auto pass = times.find("photo/memorypass");
    if (pass == times.end())
        return;
    for (const auto& [name, ms] : times)
        if (name.rfind("photo/", 0) == 0 && name != pass->first)
            std::printf("%-36s %10.3f %9.2fx  %s\n", name.c_str(), ms, ms / pass->second,
                        ms <= SinglePassBudget * pass->second ? "ok (of 2 memory passes)" : "OVER 2 memory passes");
    for (const auto& [name, ms] : times)
        if (name.rfind("peer/", 0) == 0)
            std::printf("%-36s %10.3f %9.2fx  %s\n", name.c_str(), ms, ms / pass->second, "see effects-peers.sh");
}

}  // namespace

int main(int argc, char** argv)
{
    // ZELPIX_THREADS=0 runs every operation on one thread, to compare.
    if (const char* threads = std::getenv("ZELPIX_THREADS"); threads && std::strcmp(threads, "0") == 0)
        SetThreadsEnabled(false);
    benchmark::Initialize(&argc, argv);
    Register();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter.milliseconds);
    benchmark::Shutdown();
    return 0;
}
