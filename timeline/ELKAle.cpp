// SPDX-License-Identifier: MIT
#include "ELKAle.h"

#include <cstring>

#include "ELKChars.h"
#include "ELKReaderKit.h"

namespace
{

struct Span {
    const char* begin;
    const char* end;
};

// Lines one at a time: LF, CRLF or CR.
struct Lines {
    const char* p;
    const char* end;
    int64_t number;
};

bool nextLine(Lines* lines, Span* line)
{
    if (lines->p >= lines->end) return false;
    const char* q = lines->p;
    while (q < lines->end && *q != '\n' && *q != '\r') ++q;
    *line = { lines->p, q };
    if (q < lines->end && *q == '\r' && q + 1 < lines->end && q[1] == '\n') ++q;
    lines->p = q < lines->end ? q + 1 : q;
    ++lines->number;
    return true;
}

Span trim(Span s)
{
    while (s.begin < s.end && ELKChar_IsBlank(*s.begin)) ++s.begin;
    while (s.end > s.begin && ELKChar_IsBlank(s.end[-1])) --s.end;
    return s;
}

bool blank(Span s)
{
    s = trim(s);
    return s.begin == s.end;
}

bool is(Span s, const char* word)
{
    s = trim(s);
    const size_t n = std::strlen(word);
    if (size_t(s.end - s.begin) != n) return false;
    for (size_t i = 0; i < n; ++i)
        if (ELKChar_ToUpper(s.begin[i]) != ELKChar_ToUpper(word[i])) return false;
    return true;
}

// The tab-separated field at index, trimmed; empty past the last.
Span field(Span line, int32_t index)
{
    const char* p = line.begin;
    for (int32_t i = 0; i < index; ++i) {
        while (p < line.end && *p != '\t') ++p;
        if (p == line.end) return { line.end, line.end };
        ++p;
    }
    const char* q = p;
    while (q < line.end && *q != '\t') ++q;
    return trim({ p, q });
}

int32_t fieldIndex(Span line, const char* name)
{
    int32_t i = 0;
    for (const char* p = line.begin;; ++i) {
        const char* q = p;
        while (q < line.end && *q != '\t') ++q;
        if (is({ p, q }, name)) return i;
        if (q == line.end) return -1;
        p = q + 1;
    }
}

// The three sections' lines, found once.
struct Layout {
    Lines heading; // from the Heading line
    int64_t columnLine;
    Span columns;
    Lines data; // after the Data line
    bool ok;
};

Layout layout(const char* text, int64_t length)
{
    Layout l = {};
    if (!text || length <= 0) return l;
    Lines lines = { text, text + length, 0 };
    Span line;
    while (nextLine(&lines, &line) && blank(line)) { }
    // "Heading" may carry its pairs on the same line.
    if (lines.number == 0 || !is(field(line, 0), "Heading")) return l;
    l.heading = { line.begin, text + length, lines.number - 1 };
    bool columns = false;
    while (nextLine(&lines, &line)) {
        if (!columns && is(field(line, 0), "Column")) {
            columns = true;
            while (nextLine(&lines, &line) && blank(line)) { }
            l.columns = line;
            l.columnLine = lines.number;
        } else if (columns && is(line, "Data")) {
            l.data = lines;
            l.ok = true;
            return l;
        }
    }
    return l;
}

// The heading pairs' value for key, from the Heading line to the Column line.
bool heading(const Layout& l, const char* key, Span* value)
{
    Lines lines = l.heading;
    Span line;
    while (nextLine(&lines, &line) && lines.number < l.columnLine) {
        if (is(field(line, 0), "Column")) break;
        for (int32_t i = is(field(line, 0), "Heading") ? 1 : 0;; i += 2) {
            const Span k = field(line, i);
            if (k.begin == line.end) break;
            if (is(k, key)) return *value = field(line, i + 1), true;
        }
    }
    return false;
}

bool rateFromText(Span s, ELKTimebase_t* tb)
{
    return s.end > s.begin && s.end - s.begin < 32
        && ELKTimebase_FromText(tb, s.begin, int32_t(s.end - s.begin)) == ELK_OK;
}

int32_t characters(const char* from, const char* to)
{
    int32_t n = 1;
    for (; from < to; ++from) n += (uint8_t(*from) & 0xC0) != 0x80;
    return n;
}

struct Reader {
    ELKReaderRun_t* run;
    int64_t line;
    Span text; // the row
};

void error(Reader* r, const char* at, ELKListFault_t fault, const char* name = nullptr)
{
    ELKReader_Fault(r->run, r->line, characters(r->text.begin, at), fault, name);
}

// A label HH:MM:SS:FF as the list's readers read an EDL's (';' before the
// frames counts drop frame where the rate has it), in seconds. One below
// `after`, when given, lies past midnight, a day later: time-of-day clips of
// a night shoot cross it. False after an error.
bool readTime(
    Reader* r, Span cell, const ELKTimebase_t* rate, const ELKRational_t* after, ELKRational_t* seconds)
{
    int64_t frames;
    ELKTimebase_t at;
    ELKListTimeFault_t f;
    // Inputs stay below 1 GiB, so a cell's length fits.
    if (ELKList_ReadLabel(rate, cell.begin, int32_t(cell.end - cell.begin), &frames, &at, &f) != ELK_OK) {
        // The rate the label was read at, which a row or the heading may set apart from the list's.
        char name[ELK_DURATION_TEXT_MAX];
        const int32_t n = ELKTimebase_ToText(&at, name, sizeof name);
        const bool named = (f.fault == ELK_FAULT_FRAMES || f.fault == ELK_FAULT_NO_SUCH_LABEL) && n > 0;
        ELKList_AddError(r->run->list, r->line, characters(r->text.begin, cell.begin + f.offset), f.fault,
            named ? name : nullptr, named ? n : 0, f.value);
        return false;
    }
    ELKDuration_t day;
    ELKDuration_Init(&day, &at);
    ELKRational_t frame, days;
    if (ELKRational_Set(seconds, frames, 1) != ELK_OK || ELKRational_Set(&frame, at.den, at.num) != ELK_OK
        || ELKRational_Multiply(seconds, seconds, &frame) != ELK_OK
        || ELKDuration_SetFields(&day, ELK_FALSE, 24, 0, 0, 0) != ELK_OK
        || ELKRational_Set(&days, day.frames, 1) != ELK_OK
        || ELKRational_Multiply(&days, &days, &frame) != ELK_OK
        || (after && ELKRational_Compare(seconds, after) < 0
            && ELKRational_Add(seconds, seconds, &days) != ELK_OK)) {
        error(r, cell.begin, ELK_FAULT_TIME_TOO_LARGE);
        return false;
    }
    return true;
}

} // namespace

int8_t ELKAle_Detect(const char* text, int64_t length)
{
    return layout(text, length).ok ? ELK_TRUE : ELK_FALSE;
}

int8_t ELKAle_Read(ELKList_t* list, const char* text, int64_t length, ELKRatePolicy_t policy)
{
    if (!list) return ELK_ERROR;
    ELKReaderRun_t run;
    ELKReader_Start(&run, list, ELK_FORMAT_ALE, policy, text, length);
    const Layout l = layout(text, length);
    if (!l.ok) return ELKReader_Finish(&run);
    ELKTimebase_t own = list->base;
    Span fps;
    const bool hasOwn = heading(l, "FPS", &fps) && rateFromText(fps, &own);
    ELKReader_Begin(&run, nullptr, 0, hasOwn ? &own : nullptr);
    const int32_t name = fieldIndex(l.columns, "Name"), start = fieldIndex(l.columns, "Start"),
                  end = fieldIndex(l.columns, "End"), duration = fieldIndex(l.columns, "Duration"),
                  rowFps = fieldIndex(l.columns, "FPS");
    if (start < 0 || (end < 0 && duration < 0)) {
        ELKReader_Fault(&run, l.columnLine, 1, ELK_FAULT_NO_COLUMN, start < 0 ? "Start" : "End or Duration");
        ELKReader_End(&run);
        return ELKReader_Finish(&run);
    }
    Lines lines = l.data;
    Span line;
    while (nextLine(&lines, &line)) {
        if (blank(line)) continue;
        Reader r = { &run, lines.number, line };
        ELKTimebase_t rate = own;
        if (rowFps >= 0) rateFromText(field(line, rowFps), &rate);
        const Span first = field(line, start), last = field(line, end), span = field(line, duration);
        const bool hasEnd = end >= 0 && last.begin < last.end;
        ELKRational_t in, out;
        if (!readTime(&r, first, &rate, nullptr, &in)) continue;
        if (!hasEnd && (duration < 0 || span.begin == span.end)) {
            error(&r, first.begin, ELK_FAULT_NO_END);
            continue;
        }
        if (hasEnd) {
            if (!readTime(&r, last, &rate, &in, &out)) continue;
            // A day later still before Start: a Start past 24 hours.
            if (ELKRational_Compare(&out, &in) < 0) {
                error(&r, last.begin, ELK_FAULT_OUT_DAY_BEFORE_IN);
                continue;
            }
        } else {
            ELKRational_t length;
            if (!readTime(&r, span, &rate, nullptr, &length)) continue;
            if (ELKRational_Add(&out, &in, &length) != ELK_OK) {
                error(&r, span.begin, ELK_FAULT_TIME_TOO_LARGE);
                continue;
            }
        }
        const Span label = name >= 0 ? field(line, name) : Span { line.begin, line.begin };
        ELKReader_AddSpan(&run, lines.number, characters(line.begin, first.begin), label.begin,
            int32_t(label.end - label.begin), nullptr, 0, &in, &out);
    }
    ELKReader_End(&run);
    return ELKReader_Finish(&run);
}
