// SPDX-License-Identifier: MIT
// The timecode library's hot paths: the drop-frame split (against stepping
// one label per frame, the obvious way), setting, adding, changing rate, and
// the text forms.
#include <benchmark/benchmark.h>

#include "ELKTimecodeText.h"

namespace
{

constexpr uint32_t kLastDropFrameLabel = ELK_DROPFRAME_DAY - 1; // 23:59:59;29

ELKTimecode_t record(ELKFrameRate_t rate, uint32_t frames)
{
    ELKTimecode_t tc;
    ELKTimecode_Init(&tc);
    tc.rate = rate;
    tc.frames = frames;
    return tc;
}

void stepLabels(uint32_t count, uint8_t* out)
{
    uint32_t h = 0, m = 0, s = 0, f = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (++f == 30) f = 0, ++s;
        if (s == 60) s = 0, ++m;
        if (m == 60) m = 0, ++h;
        if (h == 24) h = 0;
        if (m % 10 != 0 && s == 0 && f == 0) f = 2;
    }
    out[0] = uint8_t(h), out[1] = uint8_t(m), out[2] = uint8_t(s), out[3] = uint8_t(f);
}

void BM_DropFrameSplit(benchmark::State& state)
{
    ELKTimecode_t tc = record(ELK_FR_2997DF, kLastDropFrameLabel);
    uint8_t out[4];
    for (auto _ : state) {
        benchmark::DoNotOptimize(&tc);
        ELKTimecode_GetFields(&tc, out, 4);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_DropFrameSplit);

void BM_DropFrameSplitByStepping(benchmark::State& state)
{
    uint32_t count = kLastDropFrameLabel;
    uint8_t out[4];
    for (auto _ : state) {
        benchmark::DoNotOptimize(count);
        stepLabels(count, out);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_DropFrameSplitByStepping)->Unit(benchmark::kMillisecond);

void BM_SetDropFrameLabel(benchmark::State& state)
{
    ELKTimecode_t tc = record(ELK_FR_2997DF, 0);
    for (auto _ : state) {
        ELKTimecode_Set(&tc, 23, 59, 59, 29);
        benchmark::DoNotOptimize(tc);
    }
}
BENCHMARK(BM_SetDropFrameLabel);

void BM_Add(benchmark::State& state)
{
    ELKTimecode_t tc = record(ELK_FR_30, 0);
    tc.labelMode = ELK_FALSE;
    for (auto _ : state) {
        ELKTimecode_Add(&tc, 2589407, 0, 0, 0);
        benchmark::DoNotOptimize(tc);
    }
}
BENCHMARK(BM_Add);

void BM_SetFrameRateToDropFrameAndBack(benchmark::State& state)
{
    ELKTimecode_t tc = record(ELK_FR_30, 2591999);
    for (auto _ : state) {
        ELKTimecode_SetFrameRate(&tc, ELK_FR_2997DF, ELK_TRUE);
        ELKTimecode_SetFrameRate(&tc, ELK_FR_30, ELK_TRUE);
        benchmark::DoNotOptimize(tc);
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_SetFrameRateToDropFrameAndBack);

void BM_Parse(benchmark::State& state)
{
    static const char text[] = "01:02:03:04";
    ELKTimecode_t tc = record(ELK_FR_30, 0);
    for (auto _ : state) {
        ELKString_t s;
        ELKString_InitWith(&s, text, 11);
        ELKTimecode_FromString(&tc, &s);
        ELKString_Destroy(&s);
        benchmark::DoNotOptimize(tc);
    }
}
BENCHMARK(BM_Parse);

void BM_Format(benchmark::State& state)
{
    const ELKTimecode_t tc = record(ELK_FR_2997DF, kLastDropFrameLabel);
    for (auto _ : state) {
        ELKString_t s;
        ELKString_Init(&s);
        ELKTimecode_ToString(&tc, &s, ELK_FALSE);
        benchmark::DoNotOptimize(s.data);
        ELKString_Destroy(&s);
    }
}
BENCHMARK(BM_Format);

} // namespace

BENCHMARK_MAIN();
