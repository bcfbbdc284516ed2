// SPDX-License-Identifier: MIT
// The timeline readers on files the benchmark writes: an FCPXML, an xmeml
// and an OTIO of about 50 MB each, read and totalled (bytes a second), and a
// 100,000-clip timeline in each format, read and totalled.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "ELKInput.h"

namespace
{

constexpr size_t kLarge = 50u << 20;

// Clips of 1 to 200 frames at 23.976 from 01:00:00:00, a title connected to
// every tenth, and a gap after every hundredth.
std::string fcpxml(int clips, size_t bytes)
{
    std::string text
        = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE fcpxml>\n<fcpxml version=\"1.10\">\n"
          "<resources>\n<format id=\"r1\" name=\"FFVideoFormat1080p2398\" frameDuration=\"1001/24000s\" "
          "width=\"1920\" height=\"1080\"/>\n<asset id=\"r2\" name=\"A001C001\" start=\"0s\" "
          "duration=\"3600s\" hasVideo=\"1\" hasAudio=\"1\" format=\"r1\"/>\n</resources>\n"
          "<library>\n<event name=\"Bench\">\n<project name=\"Bench\">\n<sequence format=\"r1\" "
          "tcStart=\"86486400/24000s\" tcFormat=\"NDF\">\n<spine>\n";
    char line[400];
    int64_t at = 86400;
    for (int i = 0; (clips ? i < clips : text.size() < bytes); ++i) {
        const int64_t length = 1 + i % 200;
        int n = std::snprintf(line, sizeof line,
            "<asset-clip ref=\"r2\" offset=\"%lld/24000s\" name=\"Clip %d\" start=\"%lld/24000s\" "
            "duration=\"%lld/24000s\" format=\"r1\" tcFormat=\"NDF\" audioRole=\"dialogue\">",
            (long long)(at * 1001), i, (long long)(i % 1000 * 1001), (long long)(length * 1001));
        text.append(line, size_t(n));
        if (i % 10 == 0) {
            n = std::snprintf(line, sizeof line,
                "\n<title ref=\"r2\" lane=\"1\" offset=\"%lld/24000s\" name=\"Title %d\" "
                "duration=\"1001/24000s\"/>\n",
                (long long)(i % 1000 * 1001), i);
            text.append(line, size_t(n));
        }
        text += "</asset-clip>\n";
        at += length;
        if (i % 100 == 99) {
            n = std::snprintf(line, sizeof line, "<gap offset=\"%lld/24000s\" duration=\"24024/24000s\"/>\n",
                (long long)(at * 1001));
            text.append(line, size_t(n));
            at += 24;
        }
    }
    return text + "</spine>\n</sequence>\n</project>\n</event>\n</library>\n</fcpxml>\n";
}

// Clipitems as editors write them, with their source and file, on one video track.
std::string xmeml(int clips, size_t bytes)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE xmeml>\n<xmeml version=\"4\">\n"
                       "<sequence id=\"sequence-1\">\n<name>Bench</name>\n<duration>0</duration>\n"
                       "<rate><timebase>24</timebase><ntsc>TRUE</ntsc></rate>\n<media>\n<video>\n<track>\n";
    char item[700];
    int64_t at = 0;
    for (int i = 0; (clips ? i < clips : text.size() < bytes); ++i) {
        const int64_t length = 1 + i % 200;
        const int n = std::snprintf(item, sizeof item,
            "<clipitem id=\"clipitem-%d\">\n<masterclipid>masterclip-%d</masterclipid>\n<name>Clip "
            "%d</name>\n"
            "<enabled>TRUE</enabled>\n<duration>4800</duration>\n<rate><timebase>24</timebase><ntsc>TRUE</"
            "ntsc>"
            "</rate>\n<start>%lld</start>\n<end>%lld</end>\n<in>%d</in>\n<out>%lld</out>\n"
            "<file id=\"file-%d\"/>\n</clipitem>\n",
            i, i % 1000, i, (long long)at, (long long)(at + length), i % 1000, (long long)(i % 1000 + length),
            i % 1000);
        text.append(item, size_t(n));
        at += length;
    }
    return text + "</track>\n</video>\n</media>\n</sequence>\n</xmeml>\n";
}

// Clips with a source range and a media reference, a gap after every hundredth.
std::string otio(int clips, size_t bytes)
{
    std::string text
        = "{\n\"OTIO_SCHEMA\": \"Timeline.1\", \"name\": \"Bench\", \"metadata\": {},\n"
          "\"global_start_time\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 23.976023976023978, "
          "\"value\": 86400.0},\n\"tracks\": {\"OTIO_SCHEMA\": \"Stack.1\", \"name\": \"tracks\", "
          "\"children\": [{\"OTIO_SCHEMA\": \"Track.1\", \"kind\": \"Video\", \"name\": \"V1\", "
          "\"children\": [\n";
    char item[900];
    for (int i = 0; (clips ? i < clips : text.size() < bytes); ++i) {
        const int n = std::snprintf(item, sizeof item,
            "%s{\"OTIO_SCHEMA\": \"Clip.2\", \"name\": \"Clip %d\", \"metadata\": {}, \"enabled\": true, "
            "\"source_range\": {\"OTIO_SCHEMA\": \"TimeRange.1\", \"duration\": {\"OTIO_SCHEMA\": "
            "\"RationalTime.1\", \"rate\": 23.976023976023978, \"value\": %d.0}, \"start_time\": "
            "{\"OTIO_SCHEMA\": "
            "\"RationalTime.1\", \"rate\": 23.976023976023978, \"value\": %d.0}}, "
            "\"active_media_reference_key\": "
            "\"DEFAULT_MEDIA\", \"media_references\": {\"DEFAULT_MEDIA\": {\"OTIO_SCHEMA\": "
            "\"ExternalReference.1\", \"name\": \"\", \"metadata\": {}, \"available_range\": null, "
            "\"target_url\": \"file:///media/A001C%03d.mov\"}}}%s",
            i ? ",\n" : "", i, 1 + i % 200, i % 1000, i % 1000,
            i % 100 == 99
                ? ",\n{\"OTIO_SCHEMA\": \"Gap.1\", \"source_range\": {\"OTIO_SCHEMA\": \"TimeRange.1\", "
                  "\"duration\": {\"OTIO_SCHEMA\": \"RationalTime.1\", \"rate\": 24, \"value\": 24}}}"
                : "");
        text.append(item, size_t(n));
    }
    return text + "\n]}]}\n}\n";
}

std::string generate(int format, int clips, size_t bytes)
{
    return format == 0 ? fcpxml(clips, bytes) : format == 1 ? xmeml(clips, bytes) : otio(clips, bytes);
}

void read(benchmark::State& state, const std::string& text)
{
    ELKTimebase_t tb;
    ELKTimebase_Set(&tb, 24000, 1001, ELK_FALSE);
    for (auto _ : state) {
        ELKList_t list;
        ELKList_Init(&list, &tb);
        if (ELKInput_ReadBytes(&list, text.data(), int64_t(text.size()), nullptr) != ELK_OK
            || list.entryCount == 0)
            state.SkipWithError("the generated timeline did not read");
        benchmark::DoNotOptimize(list.unique);
        ELKList_Destroy(&list);
    }
}

void BM_Read50MB(benchmark::State& state)
{
    const std::string text = generate(int(state.range(0)), 0, kLarge);
    read(state, text);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
    state.SetLabel(state.range(0) == 0 ? "fcpxml" : state.range(0) == 1 ? "xmeml" : "otio");
}
BENCHMARK(BM_Read50MB)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_Read100000Clips(benchmark::State& state)
{
    const std::string text = generate(int(state.range(0)), 100000, 0);
    read(state, text);
    state.SetLabel(state.range(0) == 0 ? "fcpxml" : state.range(0) == 1 ? "xmeml" : "otio");
}
BENCHMARK(BM_Read100000Clips)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// What horodex-tc sum does with its first input: the list takes the rate the input declares as
// it reads it.
void BM_Sum100000Clips(benchmark::State& state)
{
    const std::string text = generate(int(state.range(0)), 100000, 0);
    ELKTimebase_t tb;
    ELKTimebase_Set(&tb, 30, 1, ELK_FALSE);
    for (auto _ : state) {
        ELKList_t list;
        ELKList_Init(&list, &tb);
        const ELKReadOptions_t options { ELK_RATE_OWN };
        if (ELKInput_ReadBytes(&list, text.data(), int64_t(text.size()), &options) != ELK_OK
            || list.base.num != 24000)
            state.SkipWithError("the generated timeline did not read at its own rate");
        benchmark::DoNotOptimize(list.unique);
        ELKList_Destroy(&list);
    }
    state.SetLabel(state.range(0) == 0 ? "fcpxml" : state.range(0) == 1 ? "xmeml" : "otio");
}
BENCHMARK(BM_Sum100000Clips)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
