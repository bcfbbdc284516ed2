// SPDX-License-Identifier: MIT
// The window's two costs that a user can feel: opening it, and the cascade
// that a change of frame rate sets off (three conversions, two recomputations).
#include <benchmark/benchmark.h>

#include <memory>

#include "Horodex2.h"
#include "TimeEntry_w.h"
#include "TimeFPS_w.h"

namespace
{

void BM_BuildWindow(benchmark::State& state)
{
    for (auto _ : state) {
        auto win = std::make_unique<Horodex2>();
        benchmark::DoNotOptimize(win.get());
    }
}
BENCHMARK(BM_BuildWindow)->Unit(benchmark::kMillisecond);

// Both operands sit at the end of the day, where drop-frame labels are the
// furthest from midnight. Each timed step is 30 fps -> 29.97 drop frame; the
// way back is untimed.
void BM_RateChangeToDropFrame(benchmark::State& state)
{
    Horodex2 win;
    auto* fps = win.findChild<TimeFPS_w*>("m_FPS");
    auto* time1 = win.findChild<TimeEntry_w*>("m_Time1");
    auto* time2 = win.findChild<TimeEntry_w*>("m_Time2");
    auto* result = win.findChild<TimeEntry_w*>("m_TimeResult");
    if (!fps || !time1 || !time2 || !result) {
        state.SkipWithError("window children not found");
        return;
    }
    ELKTimecode_Set(&time1->m_Timecode, 23, 59, 59, 28);
    ELKTimecode_Set(&time2->m_Timecode, 23, 59, 59, 29);
    time1->TimeEntry_Update();
    time2->TimeEntry_Update();

    for (auto _ : state) {
        fps->TimeFPS_SetFrameRate(ELK_FR_2997DF);
        state.PauseTiming();
        benchmark::DoNotOptimize(result->m_Timecode.frames);
        fps->TimeFPS_SetFrameRate(ELK_FR_30);
        state.ResumeTiming();
    }
    if (time1->m_Timecode.frames != 2591998 || time2->m_Timecode.frames != 2591999)
        state.SkipWithError("operands drifted in the round trip");
}
BENCHMARK(BM_RateChangeToDropFrame)->Unit(benchmark::kMicrosecond);

} // namespace
