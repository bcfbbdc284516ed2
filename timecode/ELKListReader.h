// SPDX-License-Identifier: MIT
// Private to the timecode library: what the list model and its text readers
// (one file per format) share. Not installed.
//
// A text format read line by line is a file with its readLine function;
// ELKList_ReadLines picks it by format, and the table of formats in
// ELKInput.cpp detects it.
#ifndef ELKLISTREADER_H
#define ELKLISTREADER_H

#include <cstdint>

#include "ELKChars.h"
#include "ELKListBuilder.h"
#include "ELKText.h"

// An [in, out) interval of an entry, kept until its input's unique lengths are taken.
struct ELKListSpan_t {
    int32_t track; // -1 without a track
    int64_t in;
    int64_t out;
};

// An EDL line that changes how the lines after it read: an FCM: line, which
// switches labels between drop frame and non-drop (and before the first
// event declares the rate), and the first event. A read of lines after an
// edit starts as they left it.
struct ELKListMark_t {
    int32_t input;
    int64_t line;
    int8_t kind; // elklist::kMark...
};

// What an input's spans of one track add to that track's unique length, kept
// so that a read of lines again can take an input's share back.
struct ELKListShare_t {
    int32_t input;
    int32_t track;
    int64_t unique;
};

// A label in the pool, for the labels met lately.
struct ELKListLabel_t {
    int64_t at;
    int32_t length;
};
constexpr uint32_t kLabelSlots = 4096;

struct ELKListState_t {
    int64_t capacity[5]; // room in entries, errors, tracks, text, inputList
    int32_t* trackSlots; // track names hashed to index + 1, 0 when free
    int32_t trackSlotCount;
    int64_t covered; // sum of the in-and-out durations, which bounds every unique length
    ELKListSpan_t* spans; // of the open input
    int64_t spanCount;
    int64_t spanCapacity;
    bool open; // an input is between Begin and End
    bool stop; // memory ran short: the open input takes nothing more
    int64_t entriesBefore; // the list's counts when the input opened
    int64_t errorsBefore;
    int64_t sumBefore;
    ELKListMark_t* marks; // in the order of inputs and lines
    int64_t markCount;
    int64_t markCapacity;
    ELKListShare_t* shares; // in the order of inputs
    int64_t shareCount;
    int64_t shareCapacity;
    bool sharesLost; // memory ran short for one
    ELKListLabel_t* labels; // kLabelSlots of them, by hash
};

namespace elklist
{

struct Token {
    const char* begin;
    const char* end;
};

// A line of the input, for the errors about it. Null text for none.
struct Line {
    int64_t number;
    const char* begin;
    const char* end;
};

// Why a time or line cannot be read, and where.
struct Fault {
    int8_t code = ELK_FAULT_NONE;
    const char* at = nullptr;
    uint64_t value[4] = {};
};

// A time split into its digit groups; a plain-list time has three or four.
struct Time {
    const char* sign; // null when unsigned
    bool negative;
    const char* group[4];
    uint64_t value[4];
    int32_t groups;
};

// A text reader's place: the line in hand and how times read in it.
struct Reader {
    ELKList_t* list;
    int64_t line;
    const char* begin; // the line, without its end
    const char* end;
    ELKTimebase_t reading[2]; // non-drop and drop-frame forms of the list's rate
    int64_t day[2]; // 24 hours of labels in each form
    int32_t drop; // the form in force: FCM switches it where a drop-frame form exists
    bool hasDrop;
    bool wideFrames; // above 100 labels a second frames may take three digits
    bool eventSeen; // an EDL event has been read: FCM no longer declares a rate
    struct {
        int64_t in, out; // the earliest record in and latest out at the EDL's own rate
        bool counted, failed;
    } own; // while the list counts at another
    int8_t cue; // a subtitle reader's place between cues (its own enum)
    ELKRatePolicy_t policy; // whether a rate the input declares may set the list's
};

// Tokens and times, inline: the readers call them for every token.
inline bool equals(Token t, const char* word)
{
    const char* p = t.begin;
    for (; p < t.end && *word; ++p, ++word)
        if (*p != *word) return false;
    return p == t.end && !*word;
}

inline bool startsWith(const char* p, const char* end, const char* word)
{
    for (; *word; ++p, ++word)
        if (p == end || *p != *word) return false;
    return true;
}

inline bool allDigits(Token t)
{
    if (t.begin == t.end) return false;
    for (const char* p = t.begin; p < t.end; ++p)
        if (!ELKChar_IsDigit(*p)) return false;
    return true;
}

inline const char* skipBlanks(const char* p, const char* end)
{
    while (p < end && ELKChar_IsBlank(*p)) ++p;
    return p;
}

// The next token at or after *p, split by blanks.
inline bool nextToken(const char** p, const char* end, Token* t)
{
    const char* q = skipBlanks(*p, end);
    if (q == end) return false;
    t->begin = q;
    while (q < end && !ELKChar_IsBlank(*q)) ++q;
    t->end = q;
    *p = q;
    return true;
}

// An EDL time field: digit groups joined by two or more separators, read
// as a time or as a mistyped one.
inline bool looksLikeTime(Token t)
{
    const char* p = t.begin;
    if (p == t.end || !ELKChar_IsDigit(*p)) return false;
    int32_t separators = 0;
    for (; p < t.end && (ELKChar_IsDigit(*p) || ELKChar_IsTimeSeparator(*p)); ++p)
        separators += ELKChar_IsTimeSeparator(*p);
    return separators >= 2;
}

// Whether a token holds a time, well written or not, rather than text: two
// digit groups joined by ':' or ';' anywhere in it ("12:30pm", "TRT:00:05:00:00"),
// or nothing but three or more digit groups joined by ':', ';' or '.'
// ("1.2.3"; "v1.2" and "1.5" are text).
inline bool isTimeLike(Token t)
{
    for (const char* p = t.begin + 1; p + 1 < t.end; ++p)
        if ((*p == ':' || *p == ';') && ELKChar_IsDigit(p[-1]) && ELKChar_IsDigit(p[1])) return true;
    const char* p = t.begin + (*t.begin == '+' ? 1 : ELKChar_MinusLength(t.begin, t.end));
    int32_t groups = 0;
    while (p < t.end) {
        if (!ELKChar_IsDigit(*p)) return false;
        while (p < t.end && ELKChar_IsDigit(*p)) ++p;
        ++groups;
        if (p == t.end) break;
        if (!ELKChar_IsTimeSeparator(*p) || p + 1 == t.end) return false;
        ++p;
    }
    return groups >= 3;
}

// Says why and where; false, so that a reader can return it.
inline bool fault(Fault* f, int8_t code, const char* at, uint64_t value = 0)
{
    f->code = code;
    f->at = at;
    f->value[0] = value;
    return false;
}

// Splits a time into groups of two digits; a plain list's first group may be
// longer and its time may have three groups; frames may have three digits
// when wideFrames.
inline bool readTime(Token t, bool list, bool wideFrames, Time* out, Fault* f)
{
    const char* p = t.begin;
    // Lists take the minus signs people paste, too.
    const int32_t minus = list ? ELKChar_MinusLength(p, t.end) : 0;
    out->sign = minus || (list && *p == '+') ? p : nullptr;
    out->negative = minus > 0;
    p += minus ? minus : out->sign ? 1 : 0;
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
    // The groups go with the fault, so that its reason can show how to write them.
    fault(f, list ? ELK_FAULT_LIST_GROUPS : ELK_FAULT_EDL_GROUPS, digits, uint64_t(out->groups));
    for (int32_t i = 0; i < out->groups; ++i) f->value[i + 1] = out->value[i];
    return false;
}

// The frame count of a counted time at the reading in force.
inline bool countTime(const Reader& r, const Time& t, int64_t* frames, Fault* f)
{
    const ELKTimebase_t& tb = r.reading[r.drop];
    const int32_t m = t.groups - 3;
    const uint64_t hours = m ? t.value[0] : 0;
    const uint64_t minutes = t.value[m], seconds = t.value[m + 1], fr = t.value[m + 2];
    if (minutes >= 60) return fault(f, ELK_FAULT_MINUTES, t.group[m], minutes);
    if (seconds >= 60) return fault(f, ELK_FAULT_SECONDS, t.group[m + 1], seconds);
    if (fr >= tb.nominal) return fault(f, ELK_FAULT_FRAMES, t.group[m + 2], fr);
    const char* at = t.sign ? t.sign : t.group[0];
    const ELKDurationFields_t label { ELK_FALSE, hours, uint32_t(minutes), uint32_t(seconds), uint32_t(fr) };
    if (ELKDuration_LabelExists(&tb, &label) == ELK_FALSE) {
        fault(f, ELK_FAULT_NO_SUCH_LABEL, at, hours);
        f->value[1] = minutes;
        f->value[2] = seconds;
        f->value[3] = fr;
        return false;
    }
    ELKDuration_t d;
    ELKDuration_Init(&d, &tb);
    const int8_t negative = t.negative ? ELK_TRUE : ELK_FALSE;
    if (ELKDuration_SetFields(&d, negative, hours, minutes, seconds, fr) != ELK_OK)
        return fault(f, ELK_FAULT_TIME_TOO_LARGE, at);
    *frames = d.frames;
    return true;
}

int32_t columnOf(const char* line, const char* at);

// Sets the readings from the list's timebase; false when it is not one.
bool setReading(Reader& r);

// The model, for the line in hand. Each returns false when memory ran short
// (an error says so) or, for addEntry, when the entry became an error.
bool reserveLine(Reader& r);
void fail(Reader& r, const Fault& f);
void fail(Reader& r, int8_t fault, const char* at);
void outOfMemory(Reader& r);
bool addEntry(Reader& r, Token label, Token track, const int64_t* inOut, int64_t duration, const char* at);
// Gives the last entry of the input, added on an earlier line, its label.
void labelLastEntry(Reader& r, Token label);
// Notes a line of the input in hand that changes how later lines read.
enum : int8_t { kMarkFcmOther = -1, kMarkNonDrop = 0, kMarkDrop = 1, kMarkFirstEvent = 2 };
void mark(Reader& r, int8_t kind);

// Reads text as one input of format, line by line, as ELKList_ReadLines
// does; drop, unless negative, is the FCM mode in force at its first line,
// for lines read again.
int8_t readLines(ELKList_t* list, ELKListFormat_t format, const char* text, int64_t length,
    ELKRatePolicy_t policy, int8_t drop);

// The list's own bookkeeping, for the reading of lines again after an edit.
// Grows an array to hold needed items, doubling; ELK_Alloc sizes are 32-bit.
template <typename T> bool reserve(T** data, int64_t* capacity, int64_t used, int64_t needed)
{
    if (needed <= *capacity) return true;
    const int64_t most = int64_t(UINT32_MAX) / int64_t(sizeof(T));
    if (needed > most) return false;
    int64_t room = *capacity > 16 ? *capacity : 16;
    while (room < needed) room *= 2;
    room = room < most ? room : most;
    void* block = ELK_Alloc(uint32_t(room * int64_t(sizeof(T))));
    if (!block) return false;
    if (used) ELK_MemCopy(block, *data, uint32_t(used * int64_t(sizeof(T))));
    ELK_Free(*data);
    *data = static_cast<T*>(block);
    *capacity = room;
    return true;
}
bool reservePool(ELKList_t* list, int64_t more);
// The index of the track of that name, or -1.
int32_t trackIndex(ELKList_t* list, const char* name, int64_t length);
// The length of the union of spans sorted by their in.
int64_t unionLength(const ELKListSpan_t* spans, int64_t count);

// The next line of text fed whole: ELKLines_Next, then an unfinished last
// line. ELK_ERROR when memory runs short.
inline int8_t nextLine(ELKLines_t* lines, ELKLine_t* line)
{
    const int8_t got = ELKLines_Next(lines, line);
    return got == ELK_FALSE ? ELKLines_Finish(lines, line) : got;
}

// The formats, a file each.
bool edlDetect(const Reader& r, const char* text, int64_t length);
void edlReadLine(Reader& r);
void plainListReadLine(Reader& r);
bool srtDetect(const char* text, int64_t length);
bool vttDetect(const char* text, int64_t length);
void subtitleReadLine(Reader& r);

} // namespace elklist

#endif
