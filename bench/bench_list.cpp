// SPDX-License-Identifier: MIT
// The list and EDL reader on large inputs: throughput on a plain list, and
// a 100,000-event EDL read and totalled with its unique lengths.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "ELKList.h"

namespace
{

ELKTimebase_t timebase(const char* name)
{
    ELKTimebase_t tb;
    ELKTimebase_FromText(&tb, name, -1);
    return tb;
}

// Labels, durations, in-and-out pairs and the odd heading: about 32 MB.
std::string plainList()
{
    std::string text;
    char line[96];
    for (int i = 0; text.size() < (32u << 20); ++i) {
        const int s = i % 60, f = i % 25;
        int n;
        if (i % 50 == 0)
            n = std::snprintf(line, sizeof line, "Reel %d\n", i / 50);
        else if (i % 3 == 0)
            n = std::snprintf(line, sizeof line, "Scene %d take 2,00:%02d:%02d:%02d 00:%02d:%02d:%02d\n", i,
                i % 60, s, f, (i + 1) % 60, s, f);
        else
            n = std::snprintf(line, sizeof line, "Clip %d\t%02d:%02d:%02d\n", i, i % 60, s, f);
        text.append(line, size_t(n));
    }
    return text;
}

// Cuts on V, three audio tracks and a dissolve every tenth event; the
// tracks overlap one another, so the unique lengths have work to do.
std::string edl(int events)
{
    std::string text = "TITLE: BENCH\nFCM: NON-DROP FRAME\n";
    char line[160];
    static const char* const tracks[] = { "V", "A", "A2", "AA/V" };
    int64_t record = 90000; // 01:00:00:00 at 25
    const auto tc = [](int64_t f, char* out) {
        std::snprintf(out, 16, "%02d:%02d:%02d:%02d", int(f / 90000), int(f / 1500 % 60), int(f / 25 % 60),
            int(f % 25));
    };
    for (int i = 1; i <= events; ++i) {
        const int64_t length = 25 + i % 200;
        char in[16], out[16], srcIn[16], srcOut[16];
        tc(record, in);
        tc(record + length, out);
        tc(i % 1000 * 25, srcIn);
        tc(i % 1000 * 25 + length, srcOut);
        int n;
        if (i % 10 == 0)
            n = std::snprintf(line, sizeof line, "%03d  TAPE%d  %s  D    030 %s %s %s %s\n", i % 1000, i % 97,
                tracks[i % 4], srcIn, srcOut, in, out);
        else
            n = std::snprintf(line, sizeof line, "%03d  TAPE%d  %s  C        %s %s %s %s\n", i % 1000, i % 97,
                tracks[i % 4], srcIn, srcOut, in, out);
        text.append(line, size_t(n));
        if (i % 10 == 0) text += "* FROM CLIP NAME: TAPE.MOV\n";
        record += length - (i % 4 == 3 ? 0 : length / 2); // tracks overlap
    }
    return text;
}

void readAll(benchmark::State& state, const std::string& text, const ELKTimebase_t& tb)
{
    for (auto _ : state) {
        ELKList_t list;
        ELKList_Init(&list, &tb);
        if (ELKList_Read(&list, text.data(), int64_t(text.size())) != ELK_OK)
            state.SkipWithError("lines left out");
        benchmark::DoNotOptimize(list.unique);
        ELKList_Destroy(&list);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_ReadPlainList(benchmark::State& state)
{
    static const std::string text = plainList();
    readAll(state, text, timebase("25"));
}
BENCHMARK(BM_ReadPlainList)->Unit(benchmark::kMillisecond);

void BM_ReadEdl100k(benchmark::State& state)
{
    static const std::string text = edl(100000);
    readAll(state, text, timebase("25"));
}
BENCHMARK(BM_ReadEdl100k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
