#include "effects/ops/ParallelRows.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <system_error>
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
        threads = int(std::clamp(total / MinWorkPerThread, 1.0, double(std::min(hardware, rows))));
    }
    if (threads == 1) {
        work(0, rows);
        return;
    }
    // A band that throws (running out of memory, say) is rethrown here once every thread has ended.
    std::vector<std::exception_ptr> failures(static_cast<std::size_t>(threads));
    auto bandStart = [&](int i) { return int(std::int64_t(rows) * i / threads); };
    auto runBand = [&](int i) {
        try {
            work(bandStart(i), bandStart(i + 1));
        } catch (...) {
            failures[std::size_t(i)] = std::current_exception();
        }
    };
    std::vector<std::thread> pool;
    pool.reserve(std::size_t(threads - 1));
    for (int i = 1; i < threads; ++i) {
        try {
            pool.emplace_back(runBand, i);
        } catch (const std::system_error&) { // no thread to be had: this one does the band
            runBand(i);
        }
    }
    runBand(0);
    for (std::thread& thread : pool)
        thread.join();
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);
}

}  // namespace zelpix::effects
