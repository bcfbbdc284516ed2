// SPDX-License-Identifier: MIT
// Plain lists: a label and one time (a duration), two (in and out) or three
// (in, out and the duration that confirms them, as marker lists and logging
// sheets lay them out) on a line, as people type them and as spreadsheets,
// mail and web pages paste them. Tokens are split by blanks, Unicode spaces and commas; a double quote
// at the start of a field opens a CSV quoted field. Lines without a time are
// headings; lines starting with '#' are comments.
#include "ELKListReader.h"

#include <initializer_list>

namespace elklist
{

// Splits a line into tokens; inside a quoted field only blanks split, and ""
// stands for one quote.
struct ListTokens {
    const char* p;
    const char* end;
    bool fieldStart = true; // at the start of the line or after a comma
    bool quoted = false;

    bool next(Token* t, bool* escaped);
};

// Bytes that may end a token: controls and blanks, ',', '"' and the lead
// bytes of Unicode spaces. Every other byte goes straight into the token.
struct TokenEnds {
    bool at[256] = {};

    constexpr TokenEnds()
    {
        for (int i = 0; i <= ' '; ++i) at[i] = true;
        for (const int c : { int(','), int('"'), 0xC2, 0xE1, 0xE2, 0xE3 }) at[c] = true;
    }
};
static constexpr TokenEnds kTokenEnds;

inline bool ListTokens::next(Token* t, bool* escaped)
{
    const char* q = p;
    for (;; ++q) {
        if (q == end) return false;
        if (ELKChar_IsBlank(*q)) continue;
        if (*q == ',' && !quoted) {
            fieldStart = true;
        } else if (*q == '"' && (quoted || fieldStart)) {
            if (quoted && q + 1 < end && q[1] == '"') break; // a token that starts with a quote
            quoted = !quoted;
            fieldStart = false;
        } else if (const int32_t n = kTokenEnds.at[uint8_t(*q)] ? ELKChar_SpaceLength(q, end) : 0) {
            q += n - 1;
        } else {
            break;
        }
    }
    fieldStart = false;
    t->begin = q;
    *escaped = false;
    for (;; ++q) {
        while (q < end && !kTokenEnds.at[uint8_t(*q)]) ++q;
        if (q == end) break;
        const char c = *q;
        if (c == '"' && quoted) {
            if (q + 1 == end || q[1] != '"') break;
            *escaped = true;
            ++q;
        } else if ((c == ',' && !quoted) || ELKChar_SpaceLength(q, end)) {
            break;
        }
    }
    t->end = p = q;
    return true;
}

// Brackets, quotes and '=' around a time: ( ) [ ] { } < > " ' = and the
// curly quotes and guillemets. The length of the one starting at p, else 0.
static inline int32_t punctuationAt(const char* p, const char* end)
{
    if (ELKChar_IsDigit(*p) || ELKChar_IsLetter(*p)) return 0;
    switch (*p) {
    case '(':
    case ')':
    case '[':
    case ']':
    case '{':
    case '}':
    case '<':
    case '>':
    case '"':
    case '\'':
    case '=':
        return 1;
    }
    const uint32_t a = uint8_t(*p), b = p + 1 < end ? uint8_t(p[1]) : 0u;
    if (a == 0xC2) return b == 0xAB || b == 0xBB ? 2 : 0;
    const uint32_t c = p + 2 < end ? uint8_t(p[2]) : 0u;
    return a == 0xE2 && b == 0x80 && c >= 0x98 && c <= 0x9D && c != 0x9A && c != 0x9B ? 3 : 0;
}

static inline Token trimPunctuation(Token t)
{
    while (t.begin < t.end)
        if (const int32_t n = punctuationAt(t.begin, t.end))
            t.begin += n;
        else
            break;
    for (bool more = true; more && t.begin < t.end;) {
        more = false;
        for (int32_t n = 1; n <= 3 && n <= t.end - t.begin; ++n) {
            if (punctuationAt(t.end - n, t.end) == n) {
                t.end -= n;
                more = true;
                break;
            }
        }
    }
    return t;
}

static inline bool startsTime(const char* p, const char* end)
{
    if (*p == '+') ++p;
    p += ELKChar_MinusLength(p, end);
    return p < end && ELKChar_IsDigit(*p);
}

static bool hasFourGroups(const char* p, const char* end)
{
    int32_t separators = 0;
    for (; p < end; ++p) separators += ELKChar_IsTimeSeparator(*p);
    return separators >= 3;
}

// A label glued to its time by ':' or '=' ("TRT:00:05:00:00"): where the
// label ends, with *time what follows; null when the token starts with the time.
// Digits right before a ':' may be the time's hours ("B/01:00:00:00"), so they
// stay a label only before a full four-group time; otherwise the whole token
// is read as the time, and its stray characters are an error.
static const char* gluedLabel(Token t, Token* time)
{
    *time = t;
    if (startsTime(t.begin, t.end)) return nullptr;
    for (const char* p = t.begin; p < t.end; ++p) {
        if (*p != ':' && *p != '=') continue;
        const char* q = p;
        while (q < t.end && (*q == ':' || *q == '=')) ++q;
        if (q == t.end || !startsTime(q, t.end)) continue;
        const bool joinsDigits = q == p + 1 && *p == ':' && p > t.begin && ELKChar_IsDigit(p[-1]);
        if (joinsDigits && ELKChar_IsDigit(*q) && !hasFourGroups(q, t.end)) return nullptr;
        time->begin = q;
        return p;
    }
    return nullptr;
}

// Adds a token to the label, a blank between tokens.
static inline void appendLabel(char* label, int64_t* length, Token t, bool escaped)
{
    if (t.begin == t.end) return;
    char* out = label + *length;
    if (*length) *out++ = ' ';
    if (!escaped)
        for (const char* c = t.begin; c < t.end; ++c) *out++ = *c;
    else
        for (const char* c = t.begin; c < t.end; ++c) {
            *out++ = *c;
            if (*c == '"' && c + 1 < t.end && c[1] == '"') ++c;
        }
    *length = out - label;
}

void plainListReadLine(Reader& r)
{
    const char* p = skipBlanks(r.begin, r.end);
    if (p == r.end || *p == '#') return;
    if (!reserveLine(r)) return;
    // The label is written to the pool as it is read and kept only if the line counts.
    ELKList_t* list = r.list;
    char* label = list->text + list->textLength;
    int64_t labelLength = 0;
    Time times[3];
    int32_t count = 0;
    const char* third = nullptr;
    bool fourth = false;
    Fault f;
    ListTokens tokens { p, r.end };
    Token t;
    bool escaped;
    while (tokens.next(&t, &escaped)) {
        const Token core = trimPunctuation(t);
        if (core.begin == core.end || !isTimeLike(core)) {
            appendLabel(label, &labelLength, t, escaped);
            continue;
        }
        Token time;
        if (const char* glued = gluedLabel(core, &time))
            appendLabel(label, &labelLength, Token { core.begin, glued }, escaped);
        // A ':' or '=' between the label and the time belongs to neither.
        while (labelLength
            && (label[labelLength - 1] == ':' || label[labelLength - 1] == '='
                || label[labelLength - 1] == ' '))
            --labelLength;
        Time read;
        if (!readTime(time, true, r.wideFrames, &read, &f)) return fail(r, f);
        if (count == 2) third = time.begin;
        if (count < 3)
            times[count++] = read;
        else
            fourth = true;
    }
    if (fourth) return fail(r, ELK_FAULT_THREE_TIMES, third);
    if (count == 0) return; // a heading
    for (int32_t i = 0; count >= 2 && i < count; ++i)
        if (times[i].sign) return fail(r, ELK_FAULT_SIGNED_IN_OUT, times[i].sign);
    int64_t frames[3];
    for (int32_t i = 0; i < count; ++i)
        if (!countTime(r, times[i], &frames[i], &f)) return fail(r, f);
    const Token text { label, label + labelLength };
    const char* at = times[0].sign ? times[0].sign : times[0].group[0];
    if (count == 1) {
        addEntry(r, text, Token {}, nullptr, frames[0], at);
        return;
    }
    // An out below its in crosses midnight, once: an in past 24 hours could
    // otherwise leave a negative length.
    int64_t duration = frames[1] - frames[0];
    if (duration < 0) duration += r.day[r.drop];
    if (duration < 0) return fail(r, ELK_FAULT_OUT_DAY_BEFORE_IN, times[1].group[0]);
    if (count == 3 && frames[2] != duration) {
        fault(&f, ELK_FAULT_DURATION_MISMATCH, third, uint64_t(frames[2]));
        f.value[1] = uint64_t(duration);
        return fail(r, f);
    }
    addEntry(r, text, Token {}, frames, duration, at);
}

} // namespace elklist
