// Redisplay of one entry at the far end of a drop-frame day, the label that
// is hardest to split. It runs for the result after every edit.
#include <benchmark/benchmark.h>

#include <QApplication>

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

// Alternates between the last label and the one before it, as stepping
// through the end of the day does: one spin box and the count are rewritten.
void BM_UpdateDropFrameOneFrameApart(benchmark::State& state)
{
    TimeEntry_w entry;
    entry.TimeEntry_SetFrameRate(ELK_FR_2997DF);
    ELKTimecode_Set(&entry.m_Timecode, 23, 59, 59, 29);
    const uint32_t endOfDay = entry.m_Timecode.frames;
    bool atEnd = false;
    for (auto _ : state) {
        atEnd = !atEnd;
        entry.m_Timecode.frames = atEnd ? endOfDay : endOfDay - 1;
        entry.TimeEntry_Update();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_UpdateDropFrameOneFrameApart)->Unit(benchmark::kMicrosecond);

// Alternates between 23:59:59;29 and midnight, so every call rewrites all
// four spin boxes and the count: the most a redisplay can do.
void BM_UpdateDropFrameFromMidnight(benchmark::State& state)
{
    TimeEntry_w entry;
    entry.TimeEntry_SetFrameRate(ELK_FR_2997DF);
    ELKTimecode_Set(&entry.m_Timecode, 23, 59, 59, 29);
    const uint32_t endOfDay = entry.m_Timecode.frames;
    bool atEnd = false;
    for (auto _ : state) {
        atEnd = !atEnd;
        entry.m_Timecode.frames = atEnd ? endOfDay : 0;
        entry.TimeEntry_Update();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_UpdateDropFrameFromMidnight)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    // Widgets need a GUI application; the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
