// SPDX-License-Identifier: MIT
// Durations: count to label and back at every named timebase, the text
// forms, and conversion by running time.
#include <benchmark/benchmark.h>

#include <cstring>

#include "ELKDuration.h"

namespace
{

ELKDuration_t at(int32_t named, int64_t frames)
{
    ELKDuration_t d;
    ELKTimebase_Named(&d.base, named);
    d.frames = frames;
    return d;
}

// Counts spread over a day and a half, so every branch of the split is taken.
constexpr int kCounts = 64;
int64_t countAt(int i, uint32_t nominal)
{
    return int64_t(i) * 2025 * nominal + i * 7;
}

void namedArgs(benchmark::internal::Benchmark* b)
{
    for (int i = 0; i < 15; ++i) b->Arg(i);
}

void BM_CountToLabel(benchmark::State& state)
{
    ELKDuration_t d = at(int32_t(state.range(0)), 0);
    ELKDurationFields_t f;
    int i = 0;
    for (auto _ : state) {
        d.frames = countAt(i++ % kCounts, d.base.nominal);
        ELKDuration_GetFields(&d, &f);
        benchmark::DoNotOptimize(f);
    }
    char name[ELK_DURATION_TEXT_MAX];
    ELKTimebase_ToText(&d.base, name, sizeof name);
    state.SetLabel(name);
}
BENCHMARK(BM_CountToLabel)->Apply(namedArgs);

constexpr int32_t k5994DF = 10;
constexpr int32_t k23976 = 0;

// Far past a day: the split takes 64-bit division.
void BM_CountToLabelFar(benchmark::State& state)
{
    ELKDuration_t d = at(k5994DF, 0);
    ELKDurationFields_t f;
    int i = 0;
    for (auto _ : state) {
        d.frames = INT64_MIN + countAt(i++ % kCounts, d.base.nominal);
        ELKDuration_GetFields(&d, &f);
        benchmark::DoNotOptimize(f);
    }
}
BENCHMARK(BM_CountToLabelFar);

void BM_LabelToCount(benchmark::State& state)
{
    ELKDuration_t d = at(int32_t(state.range(0)), 0);
    ELKDurationFields_t f[kCounts];
    for (int i = 0; i < kCounts; ++i) {
        d.frames = countAt(i, d.base.nominal);
        ELKDuration_GetFields(&d, &f[i]);
    }
    int i = 0;
    for (auto _ : state) {
        const ELKDurationFields_t& l = f[i++ % kCounts];
        ELKDuration_SetFields(&d, l.negative, l.hours, l.minutes, l.seconds, l.frames);
        benchmark::DoNotOptimize(d.frames);
    }
    char name[ELK_DURATION_TEXT_MAX];
    ELKTimebase_ToText(&d.base, name, sizeof name);
    state.SetLabel(name);
}
BENCHMARK(BM_LabelToCount)->Apply(namedArgs);

void BM_WriteText(benchmark::State& state)
{
    ELKDuration_t d = at(k5994DF, 5178590);
    char out[ELK_DURATION_TEXT_MAX];
    for (auto _ : state) {
        benchmark::DoNotOptimize(&d);
        benchmark::DoNotOptimize(ELKDuration_ToText(&d, out, sizeof out, ELK_FALSE));
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_WriteText);

void BM_ReadText(benchmark::State& state, const char* text, bool strict)
{
    ELKDuration_t d = at(k5994DF, 0);
    const int32_t n = int32_t(std::strlen(text));
    ELKDurationFields_t skipped;
    for (auto _ : state) {
        benchmark::DoNotOptimize(text);
        benchmark::DoNotOptimize(strict ? ELKDuration_FromTextStrict(&d, text, n, nullptr, &skipped)
                                        : ELKDuration_FromText(&d, text, n, nullptr));
        benchmark::DoNotOptimize(d.frames);
    }
}
BENCHMARK_CAPTURE(BM_ReadText, label, "-23:59:59;59", false);
BENCHMARK_CAPTURE(BM_ReadText, units, "1h30m12s4f", false);
BENCHMARK_CAPTURE(BM_ReadText, count, "-5178816", false);
BENCHMARK_CAPTURE(BM_ReadText, strict_label, "-23:59:59;59", true);

void BM_WriteRealTime(benchmark::State& state)
{
    ELKDuration_t d = at(k5994DF, 5178590);
    char out[ELK_DURATION_TEXT_MAX];
    for (auto _ : state) {
        benchmark::DoNotOptimize(&d);
        benchmark::DoNotOptimize(ELKDuration_ToRealTime(&d, out, sizeof out));
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_WriteRealTime);

void BM_ReadRealTime(benchmark::State& state)
{
    ELKDuration_t d = at(k5994DF, 0);
    const char* text = "1:23:45.678";
    const int32_t n = int32_t(std::strlen(text));
    for (auto _ : state) {
        benchmark::DoNotOptimize(text);
        benchmark::DoNotOptimize(ELKDuration_FromRealTime(&d, text, n, nullptr));
        benchmark::DoNotOptimize(d.frames);
    }
}
BENCHMARK(BM_ReadRealTime);

// 00:40:00;00 at 59.94 DF, and a count whose products pass 64 bits and take
// the 128-bit division.
void BM_ConvertRealTime(benchmark::State& state)
{
    const ELKDuration_t from = at(k5994DF, state.range(0));
    ELKTimebase_t to;
    ELKTimebase_Named(&to, k23976);
    for (auto _ : state) {
        ELKDuration_t d = from;
        benchmark::DoNotOptimize(&d);
        ELKDuration_ConvertRealTime(&d, &to);
        benchmark::DoNotOptimize(d.frames);
    }
}
BENCHMARK(BM_ConvertRealTime)->Arg(143856)->Arg(INT64_MAX / 5);

} // namespace

BENCHMARK_MAIN();
