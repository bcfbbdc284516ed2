// SPDX-License-Identifier: MIT
// Subtitles: SubRip and WebVTT. Each cue is an entry from its start to its
// end in running time, each rounded once to the nearest frame of the list's
// timebase, labelled with the cue's first line of text. Cue numbers and
// identifiers, cue text, the WebVTT header, NOTE, STYLE and REGION blocks and
// the settings after the times are not times. Any line holding "-->" is a
// cue timing (neither format lets text hold one): it is counted or an error.
#include <cstring>

#include "ELKListReader.h"
#include "ELKRational.h"

namespace elklist
{

// Where a subtitle reader stands, kept in Reader::cue.
enum Cue : int8_t {
    kBetween = 0, // between cues: numbers, identifiers, blocks
    kText, // after a timing: its first line labels the cue
    kMoreText, // the rest of a cue's text, or of a timing that was an error
    kBlock, // the WebVTT header, NOTE, STYLE and REGION blocks
};

static const char* findArrow(const char* p, const char* end)
{
    while (end - p >= 3) {
        const void* dash = std::memchr(p, '-', size_t(end - p - 2));
        if (!dash) return nullptr;
        p = static_cast<const char*>(dash);
        if (p[1] == '-' && p[2] == '>') return p;
        ++p;
    }
    return nullptr;
}

static bool startsWord(const char* p, const char* end, const char* word)
{
    const size_t n = std::strlen(word);
    return startsWith(p, end, word) && (p + n == end || ELKChar_IsBlank(p[n]));
}

// Reads [H+:]MM:SS[,.]mmm as milliseconds: SubRip writes a comma and hours,
// WebVTT a full stop and hours where there are any; either form is taken.
static bool readCueTime(Token t, uint64_t* ms, Fault* f)
{
    const char* p = t.begin;
    uint64_t value[3];
    const char* group[3];
    int32_t n = 0;
    for (;;) {
        const char* g = p;
        uint64_t v = 0;
        for (; p < t.end && ELKChar_IsDigit(*p); ++p)
            v = v > UINT64_MAX / 10 - 9 ? UINT64_MAX : v * 10 + uint64_t(*p - '0');
        if (p == g || n == 3) return fault(f, ELK_FAULT_CUE_TIME, g);
        group[n] = g;
        value[n++] = v;
        if (p == t.end || *p != ':') break;
        ++p;
    }
    const int32_t m = n - 2;
    if (m < 0 || p == t.end || (*p != ',' && *p != '.'))
        return fault(f, ELK_FAULT_CUE_TIME, p < t.end ? p : t.begin);
    const char* millis = ++p;
    while (p < t.end && ELKChar_IsDigit(*p)) ++p;
    if (p - millis != 3) return fault(f, ELK_FAULT_CUE_TIME, millis);
    if (p != t.end) return fault(f, ELK_FAULT_CUE_TIME, p);
    // Minutes and seconds take two digits, hours one or more.
    for (int32_t i = m; i < n; ++i)
        if ((i + 1 < n ? group[i + 1] : millis) - 1 - group[i] != 2)
            return fault(f, ELK_FAULT_CUE_TIME, group[i]);
    if (value[m] >= 60) return fault(f, ELK_FAULT_MINUTES, group[m], value[m]);
    if (value[m + 1] >= 60) return fault(f, ELK_FAULT_SECONDS, group[m + 1], value[m + 1]);
    // Beyond this many hours the milliseconds would pass 2^63.
    const uint64_t hours = m ? value[0] : 0;
    if (hours > 2'000'000'000'000u) return fault(f, ELK_FAULT_TIME_TOO_LARGE, t.begin);
    *ms = ((hours * 60 + value[m]) * 60 + value[m + 1]) * 1000
        + uint64_t((millis[0] - '0') * 100 + (millis[1] - '0') * 10 + (millis[2] - '0'));
    return true;
}

// The nearest frame of the list's timebase, halves away from zero.
static bool toFrames(const Reader& r, uint64_t ms, const char* at, int64_t* frames, Fault* f)
{
    const ELKTimebase_t& tb = r.list->base;
    if (ELKRational_ScaleRounded(ms, ELK_FALSE, tb.num, uint64_t(tb.den) * 1000, frames) == ELK_OK)
        return true;
    return fault(f, ELK_FAULT_TIME_TOO_LARGE, at);
}

// "start --> end [settings]": an entry, or an error at its column.
static bool readTiming(Reader& r, const char* p, const char* arrow)
{
    Fault f;
    const char* q = arrow;
    while (q > p && ELKChar_IsBlank(q[-1])) --q;
    if (q == p) return fault(&f, ELK_FAULT_CUE_TIME, arrow), fail(r, f), false;
    Token start { p, q }, end;
    const char* after = arrow + 3;
    if (!nextToken(&after, r.end, &end)) return fail(r, ELK_FAULT_CUE_TIME, r.end), false;
    uint64_t ms[2];
    int64_t inOut[2];
    if (!readCueTime(start, &ms[0], &f) || !readCueTime(end, &ms[1], &f)
        || !toFrames(r, ms[0], start.begin, &inOut[0], &f) || !toFrames(r, ms[1], end.begin, &inOut[1], &f))
        return fail(r, f), false;
    if (ms[1] < ms[0]) return fail(r, ELK_FAULT_CUE_END_BEFORE_START, end.begin), false;
    return reserveLine(r) && addEntry(r, Token {}, Token {}, inOut, inOut[1] - inOut[0], start.begin);
}

// A first token like "00:00:01,000": digits, a ':', and a ',' or '.' before digits to its end.
static bool startsWithCueTime(const char* p, const char* end)
{
    Token t;
    if (!nextToken(&p, end, &t) || !ELKChar_IsDigit(*t.begin)) return false;
    const char* mark = t.end;
    while (mark > t.begin && ELKChar_IsDigit(mark[-1])) --mark;
    return mark < t.end && mark - t.begin >= 2 && (mark[-1] == ',' || mark[-1] == '.')
        && std::memchr(t.begin, ':', size_t(mark - t.begin)) != nullptr;
}

bool srtDetect(const char* text, int64_t length)
{
    // The first non-blank line is a cue number, the next starts with a time and holds "-->"
    // (or starts with a cue time, so that a timing that lost its arrow is an error).
    const char* end = text + length;
    bool numbered = false;
    for (const char* p = text; p < end;) {
        const char* q = p;
        while (q < end && *q != '\n' && *q != '\r') ++q;
        const char* s = skipBlanks(p, q);
        if (numbered) return s < q && ELKChar_IsDigit(*s) && (findArrow(s, q) || startsWithCueTime(s, q));
        if (s < q) {
            const char* e = q;
            while (e > s && ELKChar_IsBlank(e[-1])) --e;
            if (!allDigits(Token { s, e })) return false;
            numbered = true;
        }
        p = q + (q + 1 < end && q[0] == '\r' && q[1] == '\n' ? 2 : 1);
    }
    return false;
}

bool vttDetect(const char* text, int64_t length)
{
    return length >= 6 && std::memcmp(text, "WEBVTT", 6) == 0
        && (length == 6 || ELKChar_IsBlank(text[6]) || text[6] == '\n' || text[6] == '\r');
}

void subtitleReadLine(Reader& r)
{
    const char* p = skipBlanks(r.begin, r.end);
    if (p == r.end) {
        r.cue = kBetween;
        return;
    }
    const bool vtt = r.list->inputList[r.list->inputs].format == ELK_FORMAT_VTT;
    if (vtt && r.line == 1) {
        r.cue = kBlock;
        return;
    }
    if (const char* arrow = findArrow(p, r.end)) {
        r.cue = readTiming(r, p, arrow) ? kText : kMoreText;
        return;
    }
    switch (r.cue) {
    case kText: {
        const char* e = r.end;
        while (e > p && ELKChar_IsBlank(e[-1])) --e;
        labelLastEntry(r, Token { p, e });
        r.cue = kMoreText;
        return;
    }
    case kMoreText:
    case kBlock:
        return;
    default:
        break;
    }
    if (vtt
        && (startsWord(p, r.end, "NOTE") || startsWord(p, r.end, "STYLE")
            || startsWord(p, r.end, "REGION"))) {
        r.cue = kBlock;
        return;
    }
    // A cue number or identifier; a time here is a timing that lost its arrow, and the
    // text after it is no label.
    for (Token t; nextToken(&p, r.end, &t);) {
        if (!isTimeLike(t)) continue;
        r.cue = kMoreText;
        return fail(r, ELK_FAULT_CUE_ARROW, t.begin);
    }
}

} // namespace elklist
