// SPDX-License-Identifier: MIT
#include "ELKAle.h"

#include <cstdio>
#include <cstring>

#include "ELKRational.h"
#include "ELKReaderSupport.h"

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

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

Span trim(Span s)
{
    while (s.begin < s.end && isBlank(*s.begin)) ++s.begin;
    while (s.end > s.begin && isBlank(s.end[-1])) --s.end;
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
    for (size_t i = 0; i < n; ++i) {
        char c = s.begin[i];
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        char w = word[i];
        if (w >= 'a' && w <= 'z') w = char(w - 'a' + 'A');
        if (c != w) return false;
    }
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

// How much of a cell a message quotes.
int shown(Span cell)
{
    return cell.end - cell.begin > 24 ? 24 : int(cell.end - cell.begin);
}

struct Reader {
    ELKList_t* list;
    int64_t line;
    Span text; // the row
};

void error(Reader* r, const char* at, int8_t fault, const char* why)
{
    ELKReader_Error(r->list, r->line, characters(r->text.begin, at), fault, "%s", why);
}

// A label HH:MM:SS:FF (';' or '.' before the frames; ';' counts drop frame
// where the rate has it) in seconds. One below `after`, when given, lies past
// midnight, a day later: time-of-day clips of a night shoot cross it. False
// after an error.
bool readTime(Reader* r, Span cell, const char* name, const ELKTimebase_t* rate, const ELKRational_t* after,
    ELKRational_t* seconds)
{
    uint64_t value[4] = {};
    const char* group[4] = {};
    const char* p = cell.begin;
    bool drop = false;
    char why[96];
    int32_t n = 0;
    for (; n < 4; ++n) {
        group[n] = p;
        for (; p < cell.end && *p >= '0' && *p <= '9' && value[n] < 100000000; ++p)
            value[n] = value[n] * 10 + uint64_t(*p - '0');
        if (p == group[n]) break;
        if (n == 3 || p == cell.end || !(*p == ':' || *p == ';' || *p == '.')) {
            ++n;
            break;
        }
        drop = *p == ';';
        ++p;
    }
    if (n != 4 || p != cell.end) {
        std::snprintf(
            why, sizeof why, "%s \"%.*s\" is not a time HH:MM:SS:FF", name, shown(cell), cell.begin);
        error(r, cell.begin, ELK_FAULT_BAD_TIME, why);
        return false;
    }
    ELKTimebase_t at = *rate;
    ELKTimebase_t dropped;
    if (drop && ELKTimebase_Set(&dropped, at.num, at.den, ELK_TRUE) == ELK_OK) at = dropped;
    if (value[1] >= 60 || value[2] >= 60) {
        std::snprintf(why, sizeof why, "%s %s %llu", name, value[1] >= 60 ? "minutes" : "seconds",
            (unsigned long long)(value[1] >= 60 ? value[1] : value[2]));
        error(r, group[value[1] >= 60 ? 1 : 2], ELK_FAULT_BAD_TIME, why);
        return false;
    }
    char rateName[ELK_DURATION_TEXT_MAX];
    ELKTimebase_ToText(&at, rateName, sizeof rateName);
    if (value[3] >= at.nominal) {
        std::snprintf(
            why, sizeof why, "%s frames %llu at %s fps", name, (unsigned long long)value[3], rateName);
        error(r, group[3], ELK_FAULT_BAD_TIME, why);
        return false;
    }
    if (at.dropFrame == ELK_TRUE && value[2] == 0 && value[1] % 10 != 0 && value[3] < 2 * at.nominal / 30) {
        std::snprintf(why, sizeof why, "%s %.*s", name, shown(cell), cell.begin);
        error(r, cell.begin, ELK_FAULT_NO_SUCH_LABEL, why);
        return false;
    }
    ELKDuration_t d, day;
    ELKDuration_Init(&d, &at);
    ELKDuration_Init(&day, &at);
    ELKRational_t count, frame, days;
    if (ELKDuration_SetFields(&d, ELK_FALSE, value[0], value[1], value[2], value[3]) != ELK_OK
        || ELKDuration_SetFields(&day, ELK_FALSE, 24, 0, 0, 0) != ELK_OK
        || ELKRational_Set(&count, d.frames, 1) != ELK_OK || ELKRational_Set(&frame, at.den, at.num) != ELK_OK
        || ELKRational_Multiply(seconds, &count, &frame) != ELK_OK
        || ELKRational_Set(&count, day.frames, 1) != ELK_OK
        || ELKRational_Multiply(&days, &count, &frame) != ELK_OK
        || (after && ELKRational_Compare(seconds, after) < 0
            && ELKRational_Add(seconds, seconds, &days) != ELK_OK)) {
        error(r, cell.begin, ELK_FAULT_BAD_TIME, "time out of range");
        return false;
    }
    return true;
}

} // namespace

int8_t ELKAle_Detect(const char* text, int64_t length)
{
    return layout(text, length).ok ? ELK_TRUE : ELK_FALSE;
}

int8_t ELKAle_Read(ELKList_t* list, const char* text, int64_t length)
{
    if (!list) return ELK_ERROR;
    const int64_t errors = list->errorCount;
    const Layout l = layout(text, length);
    if (!l.ok) {
        ELKReader_NoTimeline(list, ELK_FORMAT_NONE);
        return ELK_ERROR;
    }
    ELKList_BeginInput(list, ELK_FORMAT_ALE);
    ELKTimebase_t own = list->base;
    Span fps;
    if (heading(l, "FPS", &fps) && rateFromText(fps, &own)) ELKList_SetInputRate(list, &own);
    const int32_t name = fieldIndex(l.columns, "Name"), start = fieldIndex(l.columns, "Start"),
                  end = fieldIndex(l.columns, "End"), duration = fieldIndex(l.columns, "Duration"),
                  rowFps = fieldIndex(l.columns, "FPS");
    if (start < 0 || (end < 0 && duration < 0)) {
        ELKReader_Error(list, l.columnLine, 1, ELK_FAULT_NO_TIMELINE, "%s",
            start < 0 ? "no Start column" : "no End or Duration column");
        ELKList_EndInput(list);
        return ELK_ERROR;
    }
    Lines lines = l.data;
    Span line;
    while (nextLine(&lines, &line)) {
        if (blank(line)) continue;
        Reader r = { list, lines.number, line };
        ELKTimebase_t rate = own;
        if (rowFps >= 0) rateFromText(field(line, rowFps), &rate);
        const Span first = field(line, start), last = field(line, end), span = field(line, duration);
        const bool hasEnd = end >= 0 && last.begin < last.end;
        ELKRational_t in, out;
        if (!readTime(&r, first, "Start", &rate, nullptr, &in)) continue;
        if (!hasEnd && (duration < 0 || span.begin == span.end)) {
            error(&r, first.begin, ELK_FAULT_BAD_TIME, "neither End nor Duration");
            continue;
        }
        if (hasEnd) {
            if (!readTime(&r, last, "End", &rate, &in, &out)) continue;
            // A day later still before Start: a Start past 24 hours.
            if (ELKRational_Compare(&out, &in) < 0) {
                ELKList_AddError(list, r.line, characters(line.begin, last.begin),
                    ELK_FAULT_OUT_DAY_BEFORE_IN, nullptr, 0);
                continue;
            }
        } else {
            ELKRational_t length;
            if (!readTime(&r, span, "Duration", &rate, nullptr, &length)) continue;
            if (ELKRational_Add(&out, &in, &length) != ELK_OK) {
                error(&r, span.begin, ELK_FAULT_BAD_TIME, "time out of range");
                continue;
            }
        }
        int64_t a, b;
        if (ELKRational_ToFrames(&in, &list->base, &a) != ELK_OK
            || ELKRational_ToFrames(&out, &list->base, &b) != ELK_OK) {
            error(&r, first.begin, ELK_FAULT_BAD_TIME, "time out of range");
            continue;
        }
        const Span label = name >= 0 ? field(line, name) : Span { line.begin, line.begin };
        ELKList_AddEntry(list, lines.number, label.begin, int32_t(label.end - label.begin), nullptr, 0,
            ELK_TRUE, a, b, b - a);
    }
    ELKList_EndInput(list);
    return list->errorCount == errors ? ELK_OK : ELK_ERROR;
}

int8_t ELKAle_OwnRate(const char* text, int64_t length, ELKTimebase_t* rate)
{
    const Layout l = layout(text, length);
    Span fps;
    return rate && l.ok && heading(l, "FPS", &fps) && rateFromText(fps, rate) ? ELK_OK : ELK_ERROR;
}
