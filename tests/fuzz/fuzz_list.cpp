// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the readers of lists, EDLs and subtitles at one
// of several timebases, and checks what must always hold of their entries,
// errors and totals: nothing that looks like a time is dropped (in
// subtitles, no cue timing), and the same text with CRLF line ends must read
// the same.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ELKList.h"

namespace
{

void check(bool ok)
{
    if (!ok) std::abort();
}

bool inPool(const ELKList_t& l, int64_t at, int32_t length)
{
    return length >= 0 && at >= 0 && at + length <= l.textLength;
}

// Reads text from an exact-size block, so a read past its end is caught.
int8_t readExact(ELKList_t* l, const std::string& text)
{
    std::unique_ptr<char[]> copy(new char[text.empty() ? 1 : text.size()]);
    std::memcpy(copy.get(), text.data(), text.size());
    return ELKList_Read(l, text.empty() ? nullptr : copy.get(), int64_t(text.size()));
}

void checkList(const ELKList_t& l)
{
    int64_t refused = 0; // inputs not read at all, each with one error about it whole
    for (int32_t i = 0; i < l.inputs; ++i) refused += l.inputList[i].format == ELK_FORMAT_NONE;
    check(l.entryCount + l.errorCount <= l.lines + refused);
    int64_t running = 0, covered = 0, tracked = 0, trackSums = 0;
    bool anyInOut = false;
    for (int64_t i = 0; i < l.entryCount; ++i) {
        const ELKListEntry_t& e = l.entries[i];
        check(e.line >= 1 && inPool(l, e.label, e.labelLength) && inPool(l, e.track, e.trackLength));
        running += e.duration;
        check(e.running == running);
        if (e.hasInOut == ELK_TRUE) {
            check(e.duration >= 0);
            covered += e.duration;
            anyInOut = true;
        } else {
            check(e.hasInOut == ELK_FALSE && e.trackLength == 0);
        }
        if (e.trackLength) tracked += e.duration;
        if (i > 0) check(e.input > l.entries[i - 1].input || e.line > l.entries[i - 1].line);
    }
    check(l.sum == running);
    check(l.hasUnique == (anyInOut ? ELK_TRUE : ELK_FALSE));
    check(l.unique >= 0 && l.unique <= covered);
    for (int32_t i = 0; i < l.trackCount; ++i) {
        const ELKListTrack_t& t = l.tracks[i];
        check(inPool(l, t.name, t.nameLength) && t.nameLength > 0);
        check(t.unique >= 0 && t.unique <= t.sum);
        trackSums += t.sum;
    }
    check(trackSums == tracked);
    for (int64_t i = 0; i < l.errorCount; ++i) {
        const ELKListError_t& e = l.errors[i];
        check(inPool(l, e.text, e.textLength));
        if (e.line == 0)
            check(e.column == 0 && l.inputList[e.input].format == ELK_FORMAT_NONE);
        else
            check(e.column >= 1 && e.column <= e.textLength + 1);
        char reason[ELK_LIST_REASON_MAX];
        const int32_t n = ELKList_ErrorText(&l, &e, reason, sizeof reason);
        check(n > 0 && n < int32_t(sizeof reason) && std::strlen(reason) == size_t(n));
        check(e.fault > ELK_FAULT_NONE && e.fault < ELK_FAULT_COUNT);
    }
}

bool startsWith(const std::string& s, size_t at, const char* word)
{
    return s.compare(at, std::strlen(word), word) == 0;
}

// Lines that may hold times and are deliberately not read: comments of a
// list; notes, titles and frame-code modes of an EDL.
bool isCommentOrNote(const std::string& line, bool edl)
{
    size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos) return false;
    if (!edl) return line[at] == '#';
    const std::string first = line.substr(at, line.find_first_of(" \t", at) - at);
    for (const char* word : { "*", ">>>", "SPLIT:", "TITLE:", "FCM:" })
        if (startsWith(first, 0, word)) return true;
    return first == "M2" || first == "AUD" || first == "REM" || first == "EFFECTS";
}

bool holdsTime(const std::string& line)
{
    for (size_t i = 1; i + 1 < line.size(); ++i)
        if ((line[i] == ':' || line[i] == ';') && std::isdigit(uint8_t(line[i - 1]))
            && std::isdigit(uint8_t(line[i + 1])))
            return true;
    return false;
}

// Every line whose bytes hold two digit groups joined by ':' or ';' is an
// entry or an error of the one input read; in subtitles, where cue text may
// hold such times, every line holding "-->" but the WEBVTT line.
void checkNothingDropped(const ELKList_t& l, const std::string& text)
{
    const int8_t format = l.inputList[0].format;
    const bool subtitles = format == ELK_FORMAT_SRT || format == ELK_FORMAT_VTT;
    if (format == ELK_FORMAT_NONE || startsWith(text, 0, "\xFF\xFE") || startsWith(text, 0, "\xFE\xFF"))
        return;
    std::vector<bool> kept(size_t(l.lines) + 2);
    for (int64_t i = 0; i < l.entryCount; ++i) kept[size_t(l.entries[i].line)] = true;
    for (int64_t i = 0; i < l.errorCount; ++i) {
        if (l.errors[i].fault == ELK_FAULT_NO_MEMORY) return;
        kept[size_t(l.errors[i].line)] = true;
    }
    size_t at = startsWith(text, 0, "\xEF\xBB\xBF") ? 3 : 0;
    for (int64_t number = 1; at < text.size(); ++number) {
        const size_t end = std::min(text.find('\n', at), text.find('\r', at));
        const std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        const bool timing = subtitles ? line.find("-->") != std::string::npos && number > 1
                                      : holdsTime(line) && !isCommentOrNote(line, format == ELK_FORMAT_EDL);
        if (timing) check(number <= l.lines && kept[size_t(number)]);
        if (end == std::string::npos) break;
        at = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > (1u << 20)) return 0;
    static const char* const rates[] = { "25", "29.97df", "29.97", "23.976", "120", "59.94df", "24", "50" };
    ELKTimebase_t tb;
    check(ELKTimebase_FromText(&tb, rates[data[0] % 8], -1) == ELK_OK);
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    ELKList_t l;
    ELKList_Init(&l, &tb);
    const int8_t result = readExact(&l, text);
    check(result == (l.errorCount == 0 ? ELK_OK : ELK_ERROR));
    checkList(l);
    checkNothingDropped(l, text);
    const ELKList_t once = l;

    // A second input adds its sums and unique lengths to the first, unless the sum outgrows 64 bits.
    readExact(&l, text);
    checkList(l);
    if (l.errorCount == 2 * once.errorCount) {
        check(l.entryCount == 2 * once.entryCount && l.trackCount == once.trackCount);
        check(l.sum == 2 * once.sum && l.unique == 2 * once.unique);
    }

    // A CR inserted into UTF-16 would shift every character after it, and
    // could push a NUL out of the first 8 KiB that tell text from binary.
    const bool utf16 = text.rfind("\xFF\xFE", 0) == 0 || text.rfind("\xFE\xFF", 0) == 0;
    const bool nulStays = text.size() <= 4096 || text.find('\0') == std::string::npos;
    if (text.find('\r') == std::string::npos && !utf16 && nulStays) {
        std::string crlf;
        for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        ELKList_t other;
        ELKList_Init(&other, &tb);
        readExact(&other, crlf);
        check(other.entryCount == once.entryCount && other.errorCount == once.errorCount);
        check(other.sum == once.sum && other.unique == once.unique && other.lines == once.lines);
        ELKList_Destroy(&other);
    }
    ELKList_Destroy(&l);
    return 0;
}
