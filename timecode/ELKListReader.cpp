// SPDX-License-Identifier: MIT
// The parts the text readers of lists share: tokens, times, columns, and the
// line in hand's way into the model.
#include "ELKListReader.h"

#include <algorithm>
#include <cstring>

namespace elklist
{

bool equals(Token t, const char* word)
{
    const char* p = t.begin;
    for (; p < t.end && *word; ++p, ++word)
        if (*p != *word) return false;
    return p == t.end && !*word;
}

bool startsWith(const char* p, const char* end, const char* word)
{
    for (; *word; ++p, ++word)
        if (p == end || *p != *word) return false;
    return true;
}

bool allDigits(Token t)
{
    if (t.begin == t.end) return false;
    for (const char* p = t.begin; p < t.end; ++p)
        if (!ELKChar_IsDigit(*p)) return false;
    return true;
}

const char* skipBlanks(const char* p, const char* end)
{
    while (p < end && ELKChar_IsBlank(*p)) ++p;
    return p;
}

namespace
{

    bool isListBlank(char c)
    {
        return ELKChar_IsBlank(c) || c == ',';
    }

} // namespace

// The next token at or after *p, split by blanks (and commas in a plain list).
bool nextToken(const char** p, const char* end, bool list, Token* t)
{
    const char* q = *p;
    while (q < end && (list ? isListBlank(*q) : ELKChar_IsBlank(*q))) ++q;
    if (q == end) return false;
    t->begin = q;
    while (q < end && !(list ? isListBlank(*q) : ELKChar_IsBlank(*q))) ++q;
    t->end = q;
    *p = q;
    return true;
}

// Digit groups joined by two or more separators read as a time, or as a
// mistyped one, never as text. Only plain lists sign a time.
bool looksLikeTime(Token t, bool list)
{
    const char* p = t.begin;
    if (list && p < t.end && (*p == '+' || *p == '-')) ++p;
    if (p == t.end || !ELKChar_IsDigit(*p)) return false;
    int32_t separators = 0;
    for (; p < t.end && (ELKChar_IsDigit(*p) || ELKChar_IsTimeSeparator(*p)); ++p)
        separators += ELKChar_IsTimeSeparator(*p);
    return separators >= 2;
}

namespace
{

    bool fault(Fault* f, int8_t code, const char* at, uint64_t value = 0)
    {
        f->code = code;
        f->at = at;
        f->value[0] = value;
        return false;
    }

} // namespace

// Splits a time into groups of two digits; a plain list's first group may be
// longer and its time may have three groups; frames may have three digits
// when wideFrames.
bool readTime(Token t, bool list, bool wideFrames, Time* out, Fault* f)
{
    const char* p = t.begin;
    out->sign = list && (*p == '+' || *p == '-') ? p++ : nullptr;
    const char* digits = p;
    out->groups = 0;
    for (;;) {
        const char* group = p;
        uint64_t value = 0;
        for (; p < t.end && ELKChar_IsDigit(*p); ++p)
            value = value > (UINT64_MAX - 9) / 10 ? UINT64_MAX : value * 10 + uint64_t(*p - '0');
        const int64_t width = p - group;
        const bool last = p == t.end;
        const int32_t n = out->groups;
        if (n == 4) return fault(f, ELK_FAULT_FIVE_GROUPS, group);
        if (!last && !ELKChar_IsTimeSeparator(*p)) return fault(f, ELK_FAULT_STRAY_CHARACTER, p);
        if (n == 0 && list ? width < 1 : last ? !(width == 2 || (width == 3 && wideFrames)) : width != 2) {
            const int8_t code = !last || n == 0 ? ELK_FAULT_GROUP_DIGITS
                : wideFrames                    ? ELK_FAULT_WIDE_FRAME_DIGITS
                                                : ELK_FAULT_FRAME_DIGITS;
            return fault(f, code, group);
        }
        out->group[n] = group;
        out->value[n] = value;
        out->groups = n + 1;
        if (last) break;
        ++p;
    }
    if (out->groups >= (list ? 3 : 4)) return true;
    return fault(f, list ? ELK_FAULT_LIST_GROUPS : ELK_FAULT_EDL_GROUPS, digits);
}

// The frame count of a counted time at the reading in force.
bool countTime(const Reader& r, const Time& t, int64_t* frames, Fault* f)
{
    const ELKTimebase_t& tb = r.reading[r.drop];
    const int32_t m = t.groups - 3;
    const uint64_t hours = m ? t.value[0] : 0;
    const uint64_t minutes = t.value[m], seconds = t.value[m + 1], fr = t.value[m + 2];
    if (minutes >= 60) return fault(f, ELK_FAULT_MINUTES, t.group[m], minutes);
    if (seconds >= 60) return fault(f, ELK_FAULT_SECONDS, t.group[m + 1], seconds);
    if (fr >= tb.nominal) return fault(f, ELK_FAULT_FRAMES, t.group[m + 2], fr);
    const char* at = t.sign ? t.sign : t.group[0];
    if (tb.dropFrame == ELK_TRUE && minutes % 10 != 0 && seconds == 0 && fr < 2 * (tb.nominal / 30)) {
        fault(f, ELK_FAULT_NO_SUCH_LABEL, at, hours);
        f->value[1] = minutes;
        f->value[2] = seconds;
        f->value[3] = fr;
        return false;
    }
    ELKDuration_t d;
    ELKDuration_Init(&d, &tb);
    const int8_t negative = t.sign && *t.sign == '-' ? ELK_TRUE : ELK_FALSE;
    if (ELKDuration_SetFields(&d, negative, hours, minutes, seconds, fr) != ELK_OK)
        return fault(f, ELK_FAULT_TIME_TOO_LARGE, at);
    *frames = d.frames;
    return true;
}

namespace
{

    bool validUtf8(const char* p, const char* end)
    {
        while (p < end) {
            const auto c = uint8_t(*p);
            int32_t more = 0;
            uint32_t cp = 0;
            if (c < 0x80) {
                ++p;
                continue;
            } else if (c >= 0xC2 && c <= 0xDF) {
                more = 1, cp = c & 0x1F;
            } else if (c >= 0xE0 && c <= 0xEF) {
                more = 2, cp = c & 0x0F;
            } else if (c >= 0xF0 && c <= 0xF4) {
                more = 3, cp = c & 0x07;
            } else {
                return false;
            }
            if (end - p <= more) return false;
            for (int32_t i = 1; i <= more; ++i) {
                const auto next = uint8_t(p[i]);
                if ((next & 0xC0) != 0x80) return false;
                cp = cp << 6 | (next & 0x3F);
            }
            const bool overlong = (more == 2 && cp < 0x800) || (more == 3 && cp < 0x10000);
            if (overlong || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
            p += more + 1;
        }
        return true;
    }

} // namespace

// Characters from 1 up to at: code points when the line is valid UTF-8, else Latin-1 bytes.
int32_t columnOf(const char* line, const char* end, const char* at)
{
    const bool utf8 = validUtf8(line, end);
    int64_t column = 1;
    for (const char* p = line; p < at; ++p) column += !utf8 || (uint8_t(*p) & 0xC0) != 0x80;
    return int32_t(std::min<int64_t>(column, INT32_MAX));
}

const char* LineEnds::next(const char* p)
{
    const auto find = [this](const char* from, char c) {
        const void* at = std::memchr(from, c, size_t(end - from));
        return at ? static_cast<const char*>(at) : end;
    };
    if (cr < p) cr = find(p, '\r');
    if (lf < p) lf = find(p, '\n');
    return std::min(cr, lf);
}

void fail(Reader& r, int8_t code, const char* at)
{
    Fault f;
    f.code = code;
    f.at = at;
    fail(r, f);
}

} // namespace elklist
