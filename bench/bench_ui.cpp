// SPDX-License-Identifier: MIT
// Redisplay of one entry at the far end of a drop-frame day, the label that
// is hardest to split. It runs for the result after every edit.
#include <benchmark/benchmark.h>

#include "TimeEntry_w.h"

namespace
{

// Same record every time: the fields and the text are recomputed and found
// unchanged, so the cost is the split plus the comparisons.
void BM_UpdateDropFrameEndOfDay(benchmark::State& state)
{
    TimeEntry_w entry;
    entry.TimeEntry_SetFrameRate(ELK_FR_2997DF);
    ELKTimecode_Set(&entry.m_Timecode, 23, 59, 59, 29);
    entry.TimeEntry_Update();
    for (auto _ : state) {
        entry.TimeEntry_Update();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_UpdateDropFrameEndOfDay)->Unit(benchmark::kMicrosecond);

// Alternates between 23:59:59;29 and another count, so that each call
// rewrites what differs: one frame apart changes one spin box and the count,
// midnight changes all four boxes and the count, the most a redisplay does.
void BM_UpdateDropFrameAlternating(benchmark::State& state, uint32_t other)
{
    TimeEntry_w entry;
    entry.TimeEntry_SetFrameRate(ELK_FR_2997DF);
    const uint32_t endOfDay = ELK_DROPFRAME_DAY - 1;
    bool atEnd = false;
    for (auto _ : state) {
        atEnd = !atEnd;
        entry.m_Timecode.frames = atEnd ? endOfDay : other;
        entry.TimeEntry_Update();
        benchmark::ClobberMemory();
    }
}
BENCHMARK_CAPTURE(BM_UpdateDropFrameAlternating, OneFrameApart, ELK_DROPFRAME_DAY - 2)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_UpdateDropFrameAlternating, FromMidnight, 0)->Unit(benchmark::kMicrosecond);

} // namespace
