// SPDX-License-Identifier: MIT
// Lists and EDLs: reads many times from text and totals them as durations.
//
// An input is a CMX3600 EDL (it has a TITLE: or FCM: line, or an event line)
// or a plain list (a label and one time, a duration, or two, in and out, on
// each line). Every line that cannot be read is kept as an error with its
// line, column and reason, and left out of the totals.
#ifndef ELKLIST_H
#define ELKLIST_H

#include <cstdint>

#include "ELKDuration.h"

// One counted line. Text fields are offsets into the list's text pool.
struct ELKListEntry_t {
    int32_t input; // which ELKList_Read call it came from, from 0
    int64_t line; // from 1 within its input
    int64_t label; // the label, or the reel of an EDL event
    int32_t labelLength;
    int64_t track; // the EDL track as written ("V", "A2", "AA/V"); length 0 in a plain list
    int32_t trackLength;
    int8_t hasInOut; // ELK_TRUE when in and out were given (every EDL event)
    int64_t in; // frames; record in and out for an EDL event
    int64_t out;
    int64_t duration; // out - in (a day more across midnight), or the lone duration
    int64_t running; // the sum after this entry: the tape
};

// One line left out.
struct ELKListError_t {
    int32_t input;
    int64_t line;
    int32_t column; // characters from 1, at the faulty token or digit group
    int64_t text; // the whole line, in the text pool, without its line end
    int32_t textLength;
    char reason[80]; // zero-terminated: "frames 29 at 25 fps"
};

// Sum and unique length of one EDL track, merged by name over all inputs.
struct ELKListTrack_t {
    int64_t name; // in the text pool
    int32_t nameLength;
    int64_t sum;
    int64_t unique;
};

// The library owns the arrays and the pool; read them, never write them.
struct ELKList_t {
    ELKTimebase_t base; // every count is in frames at this rate
    ELKListEntry_t* entries;
    int64_t entryCount;
    ELKListError_t* errors;
    int64_t errorCount; // also the number of lines left out
    ELKListTrack_t* tracks;
    int32_t trackCount;
    char* text; // the pool
    int64_t textLength;
    int32_t inputs; // inputs read
    int8_t edl; // ELK_TRUE when any input was an EDL
    int64_t lines; // lines read, over all inputs
    int64_t sum; // sum of all durations
    int8_t hasUnique; // ELK_TRUE when some entry has an in and an out
    int64_t unique; // length of the union of [in, out) within each input, added up
    int64_t capacity[4]; // private: room in entries, errors, tracks, text
    int32_t* trackSlots; // private: track names hashed to index + 1, 0 when free
    int32_t trackSlotCount; // private
    int64_t covered; // private: sum of the in-and-out durations, which bounds every unique length
};

// An empty list at tb.
void ELKList_Init(ELKList_t* list, const ELKTimebase_t* tb);

// Frees everything the list holds and leaves it empty.
void ELKList_Destroy(ELKList_t* list);

// Reads one whole input (UTF-8 or Latin-1; LF, CRLF or CR; an optional
// byte-order mark) and adds it to the totals. Each input has its own record
// timeline and FCM reading. Returns ELK_OK when every line was read, or
// ELK_ERROR when some line was left out or memory ran short (an error then
// says so). ELK_ERROR with nothing read for a null list, null text with a
// length, a negative length or a timebase that ELKTimebase_Set would refuse.
int8_t ELKList_Read(ELKList_t* list, const char* text, int64_t length);

#endif
