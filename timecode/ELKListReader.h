// SPDX-License-Identifier: MIT
// Private to the timecode library: what the list model and its text readers
// (one file per format) share. Not installed.
//
// Adding a text format: a file with its detect and readLine functions, and
// one row in kFormats in ELKList.cpp.
#ifndef ELKLISTREADER_H
#define ELKLISTREADER_H

#include <cstdint>

#include "ELKChars.h"
#include "ELKList.h"

// An [in, out) interval of an entry, kept until its input's unique lengths are taken.
struct ELKListSpan_t {
    int32_t track; // -1 without a track
    int64_t in;
    int64_t out;
};

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
    int64_t leftOutBefore;
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
};

// A text format: whether a whole input is in it, and how to read one line.
struct Format {
    int8_t format; // ELKListFormat_t
    bool (*detect)(const Reader& r, const char* begin, const char* end);
    void (*readLine)(Reader& r);
};

// Tokens and times.
bool equals(Token t, const char* word);
bool startsWith(const char* p, const char* end, const char* word);
bool allDigits(Token t);
const char* skipBlanks(const char* p, const char* end);
bool nextToken(const char** p, const char* end, bool list, Token* t);
bool looksLikeTime(Token t, bool list);
bool readTime(Token t, bool list, bool wideFrames, Time* out, Fault* f);
bool countTime(const Reader& r, const Time& t, int64_t* frames, Fault* f);
int32_t columnOf(const char* line, const char* end, const char* at);

// The model, for the line in hand. Each returns false when memory ran short
// (an error says so) or, for addEntry, when the entry became an error.
bool reserveLine(Reader& r);
void fail(Reader& r, const Fault& f);
void fail(Reader& r, int8_t fault, const char* at);
void outOfMemory(Reader& r);
bool addEntry(Reader& r, Token label, Token track, const int64_t* inOut, int64_t duration, const char* at);

// Finds line ends with memchr, remembering the next CR and LF, so that LF
// text never looks for a CR twice.
struct LineEnds {
    const char* end;
    const char* cr = nullptr;
    const char* lf = nullptr;

    const char* next(const char* p);
};

// The formats, a file each.
bool edlDetect(const Reader& r, const char* begin, const char* end);
void edlReadLine(Reader& r);
bool plainListDetect(const Reader& r, const char* begin, const char* end);
void plainListReadLine(Reader& r);

} // namespace elklist

#endif
