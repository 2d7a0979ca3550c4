#pragma once
// Running a row loop in bands on several threads. Each band writes only its own rows, so the result is the
// same with threads on or off.
#include <functional>

namespace zelpix::effects {

// Calls work(y0, y1) on disjoint bands covering [0, rows); on up to hardware_concurrency threads when
// enabled and the job (rows x costPerRow) is large enough, else on the calling thread.
void ForEachRowBand(int rows, double costPerRow, const std::function<void(int y0, int y1)>& work);

// On by default; tests turn it off to compare.
void SetThreadsEnabled(bool enabled);
bool ThreadsEnabled();

}  // namespace zelpix::effects
