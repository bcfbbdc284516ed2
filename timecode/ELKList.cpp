// SPDX-License-Identifier: MIT
#include "ELKList.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "ELKString.h"

namespace
{

enum Room { kEntries, kErrors, kTracks, kText };

const char kNotFourTimes[] = "event line does not end in four times";
const char kNoMemory[] = "out of memory: this and later lines left out";

struct Token {
    const char* begin;
    const char* end;
};

// A time split into its digit groups; a plain-list time has three or four.
struct Time {
    const char* sign; // null when unsigned
    const char* group[4];
    uint64_t value[4];
    int32_t groups;
};

// An event line's parts: the reel spans every token between the number and the track.
struct Event {
    Token reel;
    Token track;
    Token recordOut;
    Time record[2];
};

// One [in, out) interval of an entry, kept until its input's unique lengths are taken.
struct Span {
    int32_t track; // -1 in a plain list
    int64_t in;
    int64_t out;
};

struct Reader {
    ELKList_t* list;
    int32_t input;
    int64_t line;
    const char* begin; // the line, without its end
    const char* end;
    ELKTimebase_t reading[2]; // non-drop and drop-frame forms of the list's rate
    int64_t day[2]; // 24 hours of labels in each form
    int32_t drop; // the form in force: FCM switches it where a drop-frame form exists
    bool hasDrop;
    bool stop; // memory ran short
    char rateName[ELK_DURATION_TEXT_MAX];
    char why[80];
    Span* spans;
    int64_t spanCount;
    int64_t spanCapacity;
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isSeparator(char c)
{
    return c == ':' || c == ';' || c == '.';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isListBlank(char c)
{
    return c == ' ' || c == '\t' || c == ',';
}

bool allDigits(Token t)
{
    if (t.begin == t.end) return false;
    for (const char* p = t.begin; p < t.end; ++p)
        if (!isDigit(*p)) return false;
    return true;
}

bool equals(Token t, const char* word)
{
    const char* p = t.begin;
    for (; p < t.end && *word; ++p, ++word)
        if (*p != *word) return false;
    return p == t.end && !*word;
}

const char* skipBlanks(const char* p, const char* end)
{
    while (p < end && isBlank(*p)) ++p;
    return p;
}

bool startsWith(const char* p, const char* end, const char* word)
{
    for (; *word; ++p, ++word)
        if (p == end || *p != *word) return false;
    return true;
}

// The next token at or after *p, split by blanks (and commas in a plain list).
bool nextToken(const char** p, const char* end, bool list, Token* t)
{
    const char* q = *p;
    while (q < end && (list ? isListBlank(*q) : isBlank(*q))) ++q;
    if (q == end) return false;
    t->begin = q;
    while (q < end && !(list ? isListBlank(*q) : isBlank(*q))) ++q;
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
    if (p == t.end || !isDigit(*p)) return false;
    int32_t separators = 0;
    for (; p < t.end && (isDigit(*p) || isSeparator(*p)); ++p) separators += isSeparator(*p);
    return separators >= 2;
}

// Splits a time into groups of two digits; a plain list's first group may be
// longer and its time may have three groups; frames may have three digits
// when wideFrames. Returns null, or where the form breaks with *why.
const char* readTime(Token t, bool list, bool wideFrames, Time* out, const char** why)
{
    const char* p = t.begin;
    out->sign = list && (*p == '+' || *p == '-') ? p++ : nullptr;
    const char* digits = p;
    out->groups = 0;
    for (;;) {
        const char* group = p;
        uint64_t value = 0;
        for (; p < t.end && isDigit(*p); ++p)
            value = value > (UINT64_MAX - 9) / 10 ? UINT64_MAX : value * 10 + uint64_t(*p - '0');
        const int64_t width = p - group;
        const bool last = p == t.end;
        const int32_t n = out->groups;
        if (n == 4) {
            *why = "more than four digit groups";
            return group;
        }
        if (!last && !isSeparator(*p)) {
            *why = "stray character in a time";
            return p;
        }
        if (n == 0 && list ? width < 1 : last ? !(width == 2 || (width == 3 && wideFrames)) : width != 2) {
            *why = last && n > 0 ? (wideFrames ? "frames need two or three digits" : "frames need two digits")
                                 : "a digit group needs two digits";
            return group;
        }
        out->group[n] = group;
        out->value[n] = value;
        out->groups = n + 1;
        if (last) break;
        ++p;
    }
    if (out->groups >= (list ? 3 : 4)) return nullptr;
    *why = list ? "a time needs three or four digit groups" : "a time needs four digit groups";
    return digits;
}

// Characters from 1 up to at: code points when the line is valid UTF-8, else Latin-1 bytes.
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

int32_t columnOf(const char* line, const char* end, const char* at)
{
    const bool utf8 = validUtf8(line, end);
    int64_t column = 1;
    for (const char* p = line; p < at; ++p) column += !utf8 || (uint8_t(*p) & 0xC0) != 0x80;
    return int32_t(std::min<int64_t>(column, INT32_MAX));
}

// Grows an array to hold needed items, doubling; ELK_Alloc sizes are 32-bit.
template <typename T> bool reserve(T** data, int64_t* capacity, int64_t used, int64_t needed)
{
    if (needed <= *capacity) return true;
    const int64_t most = int64_t(UINT32_MAX) / int64_t(sizeof(T));
    if (needed > most) return false;
    int64_t room = std::max<int64_t>(*capacity, 16);
    while (room < needed) room *= 2;
    room = std::min(room, most);
    void* block = ELK_Alloc(uint32_t(room * int64_t(sizeof(T))));
    if (!block) return false;
    if (used) ELK_MemCopy(block, *data, uint32_t(used * int64_t(sizeof(T))));
    ELK_Free(*data);
    *data = static_cast<T*>(block);
    *capacity = room;
    return true;
}

// Room in the pool for the whole line: its label, its track or its error text.
bool reserveLine(Reader& r)
{
    ELKList_t* list = r.list;
    return reserve(
        &list->text, &list->capacity[kText], list->textLength, list->textLength + (r.end - r.begin));
}

int64_t copyToPool(ELKList_t* list, const char* text, int64_t n)
{
    const int64_t at = list->textLength;
    if (text != list->text + at) ELK_MemCopy(list->text + at, text, uint32_t(n));
    list->textLength += n;
    return at;
}

void setError(Reader& r, ELKListError_t* e, const char* at, const char* reason, bool withText)
{
    e->input = r.input;
    e->line = r.line;
    e->column = columnOf(r.begin, r.end, at);
    e->textLength = withText ? int32_t(r.end - r.begin) : 0;
    e->text = withText ? copyToPool(r.list, r.begin, r.end - r.begin) : r.list->textLength;
    std::snprintf(e->reason, sizeof e->reason, "%s", reason);
}

// Records the shortage in the error kept in reserve and stops the input.
void outOfMemory(Reader& r)
{
    ELKList_t* list = r.list;
    setError(r, &list->errors[list->errorCount++], r.begin, kNoMemory, reserveLine(r));
    r.stop = true;
}

// Leaves the line out; the pool already has room for it.
void fail(Reader& r, const char* at, const char* reason)
{
    ELKList_t* list = r.list;
    if (!reserve(&list->errors, &list->capacity[kErrors], list->errorCount, list->errorCount + 2)) {
        outOfMemory(r);
        return;
    }
    setError(r, &list->errors[list->errorCount++], at, reason, true);
}

// The frame count of a counted time at the reading in force, or why it has none.
const char* countTime(Reader& r, const Time& t, int64_t* frames, const char** at)
{
    const ELKTimebase_t& tb = r.reading[r.drop];
    const int32_t m = t.groups - 3;
    const auto value = [&](int32_t i) { return static_cast<unsigned long long>(t.value[i]); };
    const unsigned long long hours = m ? value(0) : 0;
    const unsigned long long minutes = value(m), seconds = value(m + 1), fr = value(m + 2);
    if (minutes >= 60) {
        *at = t.group[m];
        std::snprintf(r.why, sizeof r.why, "minutes %llu at or above 60", minutes);
        return r.why;
    }
    if (seconds >= 60) {
        *at = t.group[m + 1];
        std::snprintf(r.why, sizeof r.why, "seconds %llu at or above 60", seconds);
        return r.why;
    }
    if (fr >= tb.nominal) {
        *at = t.group[m + 2];
        std::snprintf(r.why, sizeof r.why, "frames %llu at %s fps", fr, r.rateName);
        return r.why;
    }
    *at = t.sign ? t.sign : t.group[0];
    if (tb.dropFrame == ELK_TRUE && minutes % 10 != 0 && seconds == 0 && fr < 2 * (tb.nominal / 30)) {
        std::snprintf(r.why, sizeof r.why, "label %02llu:%02llu:%02llu;%02llu does not exist at drop frame",
            hours, minutes, seconds, fr);
        return r.why;
    }
    ELKDuration_t d;
    ELKDuration_Init(&d, &tb);
    const int8_t negative = t.sign && *t.sign == '-' ? ELK_TRUE : ELK_FALSE;
    if (ELKDuration_SetFields(&d, negative, hours, minutes, seconds, fr) != ELK_OK) return "time too large";
    *frames = d.frames;
    return nullptr;
}

bool isTrack(Token t)
{
    if (*t.begin != 'A' && *t.begin != 'B' && *t.begin != 'V') return false;
    for (const char* p = t.begin; p < t.end; ++p)
        if (*p != 'A' && *p != 'B' && *p != 'V' && *p != '/' && !isDigit(*p)) return false;
    return true;
}

// Dissolves, wipes and keys carry a duration in frames after them.
bool isTimedTransition(Token t)
{
    if (equals(t, "D") || equals(t, "K") || equals(t, "KB") || equals(t, "KO")) return true;
    return *t.begin == 'W' && allDigits(Token { t.begin + 1, t.end });
}

// Checks the shape of an event line (its first token is a number): reel,
// track, transition and four times. Returns null, or why not with *at the fault.
const char* readEvent(const char* begin, const char* end, bool wideFrames, Event* ev, const char** at)
{
    // Long reel names may hold blanks, so the fields are read from the right.
    Token first[2] = {}, last[8] = {};
    int64_t n = 0;
    Token t;
    for (const char* p = begin; nextToken(&p, end, false, &t); ++n) {
        if (n < 2) first[n] = t;
        last[n % 8] = t;
    }
    const auto token = [&](int64_t i) { return i < 2 ? first[i] : last[i % 8]; };
    if (n < 5) {
        *at = n > 1 ? first[1].begin : end;
        return kNotFourTimes;
    }
    for (int64_t i = n - 4; i < n; ++i) {
        if (!looksLikeTime(token(i), false)) {
            *at = token(i).begin;
            return kNotFourTimes;
        }
    }
    for (int64_t i = n - 4; i < n; ++i) {
        Time time;
        const bool record = i >= n - 2;
        const char* why = nullptr;
        *at = readTime(token(i), false, !record || wideFrames, &time, &why);
        if (*at) return why;
        if (record) ev->record[i - (n - 2)] = time;
    }
    ev->recordOut = token(n - 1);
    int64_t k = n - 5;
    if (k < 1) {
        *at = token(n - 4).begin;
        return "no transition before the times";
    }
    if (!equals(token(k), "C")) {
        if (allDigits(token(k)) && k > 1 && isTimedTransition(token(k - 1))) {
            --k;
        } else {
            *at = token(k).begin;
            return isTimedTransition(token(k)) ? "transition without its duration"
                                               : "no transition before the times";
        }
    }
    if (k < 2 || !isTrack(token(k - 1))) {
        *at = token(k < 2 ? k : k - 1).begin;
        return "no track before the transition";
    }
    if (k < 3) {
        *at = token(k - 1).begin;
        return "no reel before the track";
    }
    ev->track = token(k - 1);
    ev->reel = Token { token(1).begin, token(k - 2).end };
    return nullptr;
}

bool isEventLine(const char* p, const char* end)
{
    Token number;
    return nextToken(&p, end, false, &number) && allDigits(number);
}

// Finds line ends with memchr, remembering the next CR and LF, so that LF
// files never look for a CR twice.
struct LineEnds {
    const char* end;
    const char* cr = nullptr;
    const char* lf = nullptr;

    const char* next(const char* p)
    {
        if (cr < p) cr = find(p, '\r');
        if (lf < p) lf = find(p, '\n');
        return std::min(cr, lf);
    }

    const char* find(const char* p, char c) const
    {
        const void* at = std::memchr(p, c, size_t(end - p));
        return at ? static_cast<const char*>(at) : end;
    }
};

bool isEdl(const char* p, const char* end, bool wideFrames)
{
    LineEnds lines { end };
    while (p < end) {
        const char* q = lines.next(p);
        const char* s = skipBlanks(p, q);
        if (startsWith(s, q, "TITLE:") || startsWith(s, q, "FCM:")) return true;
        Event ev;
        const char* at;
        if (isEventLine(s, q) && !readEvent(s, q, wideFrames, &ev, &at)) return true;
        if (q == end) break;
        p = q + 1;
    }
    return false;
}

uint32_t hashOf(const char* p, int64_t n)
{
    uint32_t h = 2166136261u;
    for (int64_t i = 0; i < n; ++i) h = (h ^ uint8_t(p[i])) * 16777619u;
    return h;
}

// The slot that holds the track's index + 1, or the free slot where it belongs.
int32_t* trackSlot(ELKList_t* list, const char* name, int64_t n)
{
    const uint32_t mask = uint32_t(list->trackSlotCount) - 1;
    for (uint32_t i = hashOf(name, n) & mask;; i = (i + 1) & mask) {
        int32_t* slot = &list->trackSlots[i];
        if (*slot == 0) return slot;
        const ELKListTrack_t& t = list->tracks[*slot - 1];
        if (t.nameLength == n && std::equal(name, name + n, list->text + t.name)) return slot;
    }
}

ELKListTrack_t* findTrack(ELKList_t* list, Token name)
{
    if (!list->trackCount) return nullptr;
    const int32_t index = *trackSlot(list, name.begin, name.end - name.begin);
    return index ? &list->tracks[index - 1] : nullptr;
}

// Adds a track; the pool has room for its name.
int32_t addTrack(ELKList_t* list, Token name)
{
    const int32_t count = list->trackCount;
    if (count >= 1 << 27) return -1;
    if (!reserve(&list->tracks, &list->capacity[kTracks], count, int64_t(count) + 1)) return -1;
    if (int64_t(count + 1) * 2 > list->trackSlotCount) {
        const int32_t size = std::max(16, list->trackSlotCount * 2);
        auto* slots = static_cast<int32_t*>(ELK_Alloc(uint32_t(size) * sizeof(int32_t)));
        if (!slots) return -1;
        ELK_MemSet(slots, 0, uint32_t(size) * sizeof(int32_t));
        ELK_Free(list->trackSlots);
        list->trackSlots = slots;
        list->trackSlotCount = size;
        for (int32_t i = 0; i < count; ++i) {
            const ELKListTrack_t& t = list->tracks[i];
            *trackSlot(list, list->text + t.name, t.nameLength) = i + 1;
        }
    }
    const int64_t n = name.end - name.begin;
    ELKListTrack_t& t = list->tracks[count];
    t.name = copyToPool(list, name.begin, n);
    t.nameLength = int32_t(n);
    t.sum = 0;
    t.unique = 0;
    *trackSlot(list, name.begin, n) = count + 1;
    list->trackCount = count + 1;
    return count;
}

// Adds a counted line; when at is not null the line has an in and an out.
// The pool holds the label at the list's textLength.
void addEntry(Reader& r, Token label, Token track, const int64_t* inOut, int64_t duration, const char* at)
{
    ELKList_t* list = r.list;
    ELKListTrack_t* known = track.begin ? findTrack(list, track) : nullptr;
    int64_t sum, covered = list->covered, trackSum = known ? known->sum : 0, end = 0;
    if (__builtin_add_overflow(list->sum, duration, &sum)
        || (inOut && __builtin_add_overflow(covered, duration, &covered))
        || __builtin_add_overflow(trackSum, duration, &trackSum)
        || (inOut && __builtin_add_overflow(inOut[0], duration, &end))) {
        fail(r, at, "total too large");
        return;
    }
    if (!reserve(&list->entries, &list->capacity[kEntries], list->entryCount, list->entryCount + 1)
        || (inOut && !reserve(&r.spans, &r.spanCapacity, r.spanCount, r.spanCount + 1))) {
        outOfMemory(r);
        return;
    }
    ELKListEntry_t& e = list->entries[list->entryCount];
    e.input = r.input;
    e.line = r.line;
    e.labelLength = int32_t(label.end - label.begin);
    e.label = copyToPool(list, label.begin, e.labelLength);
    e.track = list->textLength;
    e.trackLength = 0;
    int32_t index = -1;
    if (track.begin) {
        index = known ? int32_t(known - list->tracks) : addTrack(list, track);
        if (index < 0) {
            list->textLength = e.label;
            outOfMemory(r);
            return;
        }
        e.track = list->tracks[index].name;
        e.trackLength = list->tracks[index].nameLength;
        list->tracks[index].sum = trackSum;
    }
    e.hasInOut = inOut ? ELK_TRUE : ELK_FALSE;
    e.in = inOut ? inOut[0] : 0;
    e.out = inOut ? inOut[1] : 0;
    e.duration = duration;
    e.running = list->sum = sum;
    ++list->entryCount;
    if (inOut) {
        r.spans[r.spanCount++] = Span { index, inOut[0], end };
        list->covered = covered;
        list->hasUnique = ELK_TRUE;
    }
}

void readFcm(Reader& r, const char* p)
{
    char word[16];
    int32_t n = 0;
    for (; p < r.end; ++p) {
        const char c = char(*p >= 'a' && *p <= 'z' ? *p - 'a' + 'A' : *p);
        if (c == ' ' || c == '\t' || c == '-') continue;
        if (n == int32_t(sizeof word)) return;
        word[n++] = c;
    }
    const Token said { word, word + n };
    if (r.hasDrop && equals(said, "DROPFRAME")) r.drop = 1;
    if (r.hasDrop && equals(said, "NONDROPFRAME")) r.drop = 0;
}

void readEventLine(Reader& r)
{
    const char* p = skipBlanks(r.begin, r.end);
    if (startsWith(p, r.end, "FCM:")) readFcm(r, p + 4);
    if (!isEventLine(p, r.end)) return; // a note
    if (!reserveLine(r)) {
        outOfMemory(r);
        return;
    }
    Event ev;
    const char* at = nullptr;
    const char* why = readEvent(p, r.end, r.reading[0].nominal > 100, &ev, &at);
    int64_t inOut[2];
    for (int32_t i = 0; i < 2 && !why; ++i) why = countTime(r, ev.record[i], &inOut[i], &at);
    if (!why && inOut[1] < inOut[0]) {
        why = "record out before record in";
        at = ev.recordOut.begin;
    }
    if (why)
        fail(r, at, why);
    else
        addEntry(r, ev.reel, ev.track, inOut, inOut[1] - inOut[0], ev.record[0].group[0]);
}

void readListLine(Reader& r)
{
    const char* p = skipBlanks(r.begin, r.end);
    if (p == r.end || *p == '#') return;
    if (!reserveLine(r)) {
        outOfMemory(r);
        return;
    }
    // The label is written to the pool as it is read and kept only if the line counts.
    ELKList_t* list = r.list;
    char* label = list->text + list->textLength;
    int64_t labelLength = 0;
    Time times[2];
    int32_t count = 0;
    const char* third = nullptr;
    const bool wide = r.reading[0].nominal > 100;
    for (Token t; nextToken(&p, r.end, true, &t);) {
        if (looksLikeTime(t, true)) {
            Time time;
            const char* why = nullptr;
            if (const char* at = readTime(t, true, wide, &time, &why)) {
                fail(r, at, why);
                return;
            }
            if (count < 2)
                times[count++] = time;
            else if (!third)
                third = t.begin;
        } else {
            if (labelLength) label[labelLength++] = ' ';
            for (const char* c = t.begin; c < t.end; ++c) label[labelLength++] = *c;
        }
    }
    if (third) return fail(r, third, "three or more times on a line");
    if (count == 0) return; // a heading
    for (int32_t i = 0; count == 2 && i < 2; ++i)
        if (times[i].sign) return fail(r, times[i].sign, "sign on an in or out time");
    int64_t frames[2];
    for (int32_t i = 0; i < count; ++i) {
        const char* at = nullptr;
        if (const char* why = countTime(r, times[i], &frames[i], &at)) return fail(r, at, why);
    }
    const Token text { label, label + labelLength };
    const char* at = times[0].sign ? times[0].sign : times[0].group[0];
    if (count == 1) return addEntry(r, text, Token {}, nullptr, frames[0], at);
    // An out below its in crosses midnight, once: an in past 24 hours could
    // otherwise leave a negative length.
    int64_t duration = frames[1] - frames[0];
    if (duration < 0) duration += r.day[r.drop];
    if (duration < 0) return fail(r, times[1].group[0], "out more than a day before in");
    addEntry(r, text, Token {}, frames, duration, at);
}

int64_t unionLength(const Span* s, int64_t n)
{
    int64_t length = 0, in = s[0].in, out = s[0].out;
    for (int64_t i = 1; i < n; ++i) {
        if (s[i].in > out) {
            length += out - in;
            in = s[i].in;
        }
        out = std::max(out, s[i].out);
    }
    return length + out - in;
}

// Unique lengths within one input: each has its own record timeline.
void addUnique(Reader& r)
{
    ELKList_t* list = r.list;
    Span* s = r.spans;
    const int64_t n = r.spanCount;
    if (n == 0) return;
    std::sort(s, s + n,
        [](const Span& a, const Span& b) { return a.track != b.track ? a.track < b.track : a.in < b.in; });
    for (int64_t i = 0, j = 0; i < n; i = j) {
        while (j < n && s[j].track == s[i].track) ++j;
        if (s[i].track >= 0) list->tracks[s[i].track].unique += unionLength(s + i, j - i);
    }
    if (s[0].track != s[n - 1].track)
        std::sort(s, s + n, [](const Span& a, const Span& b) { return a.in < b.in; });
    list->unique += unionLength(s, n);
}

} // namespace

void ELKList_Init(ELKList_t* list, const ELKTimebase_t* tb)
{
    *list = ELKList_t {};
    list->base = *tb;
    list->edl = ELK_FALSE;
    list->hasUnique = ELK_FALSE;
}

void ELKList_Destroy(ELKList_t* list)
{
    ELK_Free(list->entries);
    ELK_Free(list->errors);
    ELK_Free(list->tracks);
    ELK_Free(list->text);
    ELK_Free(list->trackSlots);
    const ELKTimebase_t base = list->base;
    ELKList_Init(list, &base);
}

int8_t ELKList_Read(ELKList_t* list, const char* text, int64_t length)
{
    if (!list || length < 0 || (!text && length) || list->inputs == INT32_MAX) return ELK_ERROR;
    ELKTimebase_t nonDrop;
    if (ELKTimebase_Set(&nonDrop, list->base.num, list->base.den, ELK_FALSE) != ELK_OK) return ELK_ERROR;
    // One error is always in reserve, so that a shortage of memory can be reported.
    if (!reserve(&list->errors, &list->capacity[kErrors], list->errorCount, list->errorCount + 1))
        return ELK_ERROR;

    Reader r {};
    r.list = list;
    r.input = list->inputs;
    const ELKTimebase_t& base = list->base;
    r.reading[0] = r.reading[1] = nonDrop;
    r.hasDrop = ELKTimebase_Set(&r.reading[1], base.num, base.den, ELK_TRUE) == ELK_OK;
    r.drop = r.hasDrop && base.dropFrame == ELK_TRUE;
    for (int32_t i = 0; i < 2; ++i) {
        ELKDuration_t d;
        ELKDuration_Init(&d, &r.reading[i]);
        ELKDuration_SetFields(&d, ELK_FALSE, 24, 0, 0, 0);
        r.day[i] = d.frames;
    }
    if (ELKTimebase_ToText(&r.reading[0], r.rateName, sizeof r.rateName) < 0)
        std::snprintf(r.rateName, sizeof r.rateName, "%u", unsigned(base.nominal));

    const char* p = text;
    const char* end = text + length;
    if (startsWith(p, end, "\xEF\xBB\xBF")) p += 3;
    const bool edl = isEdl(p, end, r.reading[0].nominal > 100);
    const int64_t errorsBefore = list->errorCount;
    LineEnds lines { end };
    while (p < end && !r.stop) {
        const char* q = lines.next(p);
        ++r.line;
        r.begin = p;
        r.end = q;
        if (q - p > INT32_MAX) {
            r.end = p;
            fail(r, p, "line too long");
        } else if (edl) {
            readEventLine(r);
        } else {
            readListLine(r);
        }
        if (q == end) break;
        p = q + (*q == '\r' && q + 1 < end && q[1] == '\n' ? 2 : 1);
    }
    addUnique(r);
    ELK_Free(r.spans);
    list->inputs += 1;
    list->lines += r.line;
    if (edl) list->edl = ELK_TRUE;
    return list->errorCount == errorsBefore ? ELK_OK : ELK_ERROR;
}
