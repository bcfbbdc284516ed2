// SPDX-License-Identifier: MIT
// horodex-tc as scripts run it: each iteration spawns the real executable,
// feeds it a file on standard input, throws its output away and waits for it
// to exit. The inputs are generated once into a scratch folder.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{

constexpr int64_t kColumnLines = 10'000'000;
constexpr int64_t kEdlEvents = 700'000; // about 55 MB

// CPU seconds of every run so far. On a shared machine the wall time also
// counts the waits for a core; this is the work itself.
double g_childCpu = 0;

// Exit status of horodex-tc run with `args`, standard input from `input`
// (or /dev/null), standard output and error to /dev/null; -1 if it failed to run.
int run(const std::vector<std::string>& args, const std::string& input = "/dev/null")
{
    std::vector<char*> argv { const_cast<char*>(HORODEX_TC_EXE) };
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, HORODEX_TC_EXE, &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    int status = 0;
    rusage usage {};
    if (spawned != 0 || wait4(pid, &status, 0, &usage) != pid) return -1;
    g_childCpu += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reports the CPU time of the runs since `before`, per run, and `work`
// items per CPU second.
void reportCpu(benchmark::State& state, double before, double work = 0)
{
    const double cpu = g_childCpu - before;
    state.counters["cpu_ms"] = benchmark::Counter(cpu * 1000 / double(state.iterations()));
    if (work > 0 && cpu > 0)
        state.counters["per_cpu_s"] = benchmark::Counter(work * double(state.iterations()) / cpu);
}

// The scratch folder, removed with its files when the program ends.
struct Scratch {
    std::string dir;
    Scratch()
    {
        char name[] = "/tmp/horodex-bench-cli-XXXXXX";
        if (!mkdtemp(name)) {
            std::perror("bench_cli: scratch folder");
            std::exit(1);
        }
        dir = name;
    }
    ~Scratch()
    {
        for (const char* f : { "/counts", "/labels", "/reel.edl" }) std::remove((dir + f).c_str());
        rmdir(dir.c_str());
    }
};

const std::string& scratch()
{
    static const Scratch s;
    return s.dir;
}

void appendLabel(std::string& out, int64_t frames, int fps)
{
    char text[32];
    const int64_t seconds = frames / fps;
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
        static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60),
        static_cast<long long>(frames % fps));
    out += text;
}

// Writes a file once, from lines that `line(i, out)` appends.
template <typename Line> std::string generate(const char* name, int64_t lines, Line line)
{
    const std::string path = scratch() + name;
    struct stat st {
    };
    if (stat(path.c_str(), &st) == 0) return path;
    FILE* f = std::fopen(path.c_str(), "w");
    std::string chunk;
    for (int64_t i = 0; f && i < lines; ++i) {
        line(i, chunk);
        if (chunk.size() > (1 << 20)) {
            std::fwrite(chunk.data(), 1, chunk.size(), f);
            chunk.clear();
        }
    }
    if (f) {
        std::fwrite(chunk.data(), 1, chunk.size(), f);
        std::fclose(f);
    }
    return path;
}

void BM_Expression(benchmark::State& state)
{
    const double before = g_childCpu;
    for (auto _ : state)
        if (run({ "-r", "29.97df", "(01:00:00;00 - 00:10:00;00) * 1.5 + 00:00:10;12" }) != 0)
            state.SkipWithError("horodex-tc failed");
    reportCpu(state, before);
}
BENCHMARK(BM_Expression)->UseRealTime()->Unit(benchmark::kMillisecond);

// `subcommand` over a column of kColumnLines values at 25 fps.
void timeColumn(benchmark::State& state, const char* subcommand, const std::string& column)
{
    const double before = g_childCpu;
    for (auto _ : state)
        if (run({ "-r", "25", subcommand }, column) != 0) state.SkipWithError("horodex-tc failed");
    state.SetItemsProcessed(state.iterations() * kColumnLines);
    reportCpu(state, before, double(kColumnLines));
}

// A column of ten million frame counts to labels, and those labels back to counts.
void BM_LabelColumn(benchmark::State& state)
{
    timeColumn(state, "label", generate("/counts", kColumnLines, [](int64_t i, std::string& out) {
        out += std::to_string(i) += '\n';
    }));
}
BENCHMARK(BM_LabelColumn)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FramesColumn(benchmark::State& state)
{
    timeColumn(state, "frames", generate("/labels", kColumnLines, [](int64_t i, std::string& out) {
        appendLabel(out, i, 25);
        out += '\n';
    }));
}
BENCHMARK(BM_FramesColumn)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// An EDL of cuts of 10 to 500 frames on one record timeline that restarts
// at 01:00:00:00 before it would pass a day; the tape or JSON is written.
void BM_SumEdl(benchmark::State& state)
{
    const std::string edl = generate("/reel.edl", kEdlEvents, [](int64_t i, std::string& out) {
        static int64_t record = 90000;
        const int64_t length = 10 + (i * 7919) % 491;
        const int64_t source = (i * 104729) % 80000;
        if (i == 0) out += "TITLE: Bench\nFCM: NON-DROP FRAME\n";
        if (record + length >= 24 * 90000) record = 90000;
        char head[64];
        std::snprintf(head, sizeof head, "%06lld  REEL%03lld  V  C        ", static_cast<long long>(i + 1),
            static_cast<long long>(i % 200));
        out += head;
        for (int64_t t : { source, source + length, record, record + length }) {
            appendLabel(out, t, 25);
            out += ' ';
        }
        out.back() = '\n';
        record += length;
    });
    struct stat st {
    };
    stat(edl.c_str(), &st);
    std::vector<std::string> args { "-r", "25", "sum" };
    if (state.range(0)) args.insert(args.begin(), "--json");
    const double before = g_childCpu;
    for (auto _ : state)
        if (run(args, edl) != 0) state.SkipWithError("horodex-tc failed");
    state.SetBytesProcessed(state.iterations() * int64_t(st.st_size));
    reportCpu(state, before, double(st.st_size));
}
BENCHMARK(BM_SumEdl)
    ->ArgName("json")
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace

BENCHMARK_MAIN();
