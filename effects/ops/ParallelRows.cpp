#include "effects/ops/ParallelRows.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace zelpix::effects {

namespace {
std::atomic<bool> threadsEnabled{true};
// Below this much work (rows x cost per row, roughly pixel operations) a thread costs more than it saves.
constexpr double MinWorkPerThread = 256.0 * 1024.0;
}  // namespace

void SetThreadsEnabled(bool enabled) { threadsEnabled = enabled; }
bool ThreadsEnabled() { return threadsEnabled; }

void ForEachRowBand(int rows, double costPerRow, const std::function<void(int y0, int y1)>& work)
{
    if (rows <= 0)
        return;
    int threads = 1;
    if (threadsEnabled) {
        const int hardware = int(std::max(1u, std::thread::hardware_concurrency()));
        const double total = double(rows) * std::max(1.0, costPerRow);
        threads = std::clamp(int(total / MinWorkPerThread), 1, std::min(hardware, rows));
    }
    if (threads == 1) {
        work(0, rows);
        return;
    }
    std::vector<std::thread> pool;
    pool.reserve(std::size_t(threads - 1));
    auto bandStart = [&](int i) { return int(std::int64_t(rows) * i / threads); };
    for (int i = 1; i < threads; ++i)
        pool.emplace_back([&, i] { work(bandStart(i), bandStart(i + 1)); });
    work(0, bandStart(1));
    for (std::thread& thread : pool)
        thread.join();
}

}  // namespace zelpix::effects
