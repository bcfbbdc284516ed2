// SPDX-License-Identifier: MIT
// Lists and EDLs: reads many times from text and totals them as durations.
//
// An input is a SubRip or WebVTT subtitle file (told by its first lines), a
// CMX3600 EDL (some line reads as an event) or a plain list (a label and one
// time, a duration, or two, in and out, on each line; or three, in, out and
// the duration that confirms them). A line that holds a time is counted or
// kept as an error with its line, column and reason, and left out of the
// totals; nothing that looks like a time is dropped silently. Readers of other formats add their inputs
// through the builder functions of ELKListBuilder.h; programs read any format through ELKInput.h, which calls
// them.
#ifndef ELKLIST_H
#define ELKLIST_H

#include <cstdint>

#include "ELKDuration.h"

enum ELKListFormat_t : int8_t {
    ELK_FORMAT_NONE = 0, // the input could not be read at all
    ELK_FORMAT_LIST,
    ELK_FORMAT_EDL,
    ELK_FORMAT_FCPXML,
    ELK_FORMAT_XMEML,
    ELK_FORMAT_OTIO,
    ELK_FORMAT_ALE,
    ELK_FORMAT_SRT,
    ELK_FORMAT_VTT,
    ELK_FORMAT_COUNT
};

// Where a list's timebase came from, for a program to say so.
enum ELKRateFrom_t : int8_t {
    ELK_RATE_FROM_DEFAULT = 0, // nothing gave one
    ELK_RATE_FROM_OPTION, // the user chose it
    ELK_RATE_FROM_ENVIRONMENT, // $HORODEX_RATE
    ELK_RATE_FROM_INPUT, // the first input's own rate
};

// Whether an input's own rate may set the list's timebase, as a read is asked to.
enum ELKRatePolicy_t : int8_t {
    ELK_RATE_KEEP = 0, // list->base, whatever the input declares
    // The input's own rate, if it declares one, becomes list->base (and
    // list->rateFrom ELK_RATE_FROM_INPUT) while the list has counted nothing.
    ELK_RATE_OWN,
};

// Why a line or an input was left out. ELKList_ErrorText words each one.
enum ELKListFault_t : int8_t {
    ELK_FAULT_NONE = 0,
    // The form of a time.
    ELK_FAULT_FIVE_GROUPS, // "more than four digit groups"
    ELK_FAULT_STRAY_CHARACTER, // "stray character in a time"
    ELK_FAULT_GROUP_DIGITS, // "a digit group needs two digits"
    ELK_FAULT_FRAME_DIGITS, // "frames need two digits"
    ELK_FAULT_WIDE_FRAME_DIGITS, // "frames need two or three digits" (above 100 labels a second)
    ELK_FAULT_LIST_GROUPS, // "a time needs three or four digit groups"; with two groups, how to write them
    ELK_FAULT_EDL_GROUPS, // "a time needs four digit groups"
    // The value of a time: value[0] is the field, or the label's fields for
    // NO_SUCH_LABEL. Readers of other formats name the rate in the detail.
    ELK_FAULT_MINUTES, // "minutes 60 at or above 60"
    ELK_FAULT_SECONDS, // "seconds 75 at or above 60"
    ELK_FAULT_FRAMES, // "frames 29 at 25 fps"
    ELK_FAULT_NO_SUCH_LABEL, // "00:01:00;00 does not exist at 29.97df"
    ELK_FAULT_TIME_TOO_LARGE,
    ELK_FAULT_TOTAL_TOO_LARGE,
    ELK_FAULT_BAD_TIME, // "time cannot be read"; what AddError makes of an unknown fault
    // Plain lists.
    ELK_FAULT_THREE_TIMES,
    ELK_FAULT_SIGNED_IN_OUT,
    ELK_FAULT_OUT_DAY_BEFORE_IN,
    ELK_FAULT_DURATION_MISMATCH, // value[0] the duration written, value[1] out - in, in frames
    // EDL events.
    ELK_FAULT_NOT_FOUR_TIMES,
    ELK_FAULT_OUT_BEFORE_IN,
    ELK_FAULT_NO_TRANSITION,
    ELK_FAULT_NO_TRANSITION_DURATION,
    ELK_FAULT_NO_TRACK,
    ELK_FAULT_NO_REEL,
    ELK_FAULT_TIME_OUTSIDE_EVENT, // a time on a line that is neither an event nor a note
    // Whole lines and inputs.
    ELK_FAULT_NO_MEMORY, // this and later lines of the input left out
    ELK_FAULT_LINE_TOO_LONG,
    ELK_FAULT_NOT_TEXT,
    ELK_FAULT_TOO_LARGE, // "larger than 1 GiB"
    ELK_FAULT_NOT_WELL_FORMED, // detail: the parser's description
    ELK_FAULT_NO_TIMELINE,
    // Timelines: the detail is the attribute, field, column or value named.
    ELK_FAULT_NOT_A_TIME, // "offset is not a time"
    ELK_FAULT_NOT_A_FRAME_COUNT, // "start is not a whole frame count"
    ELK_FAULT_MISSING, // "no duration"
    ELK_FAULT_NEGATIVE_DURATION,
    ELK_FAULT_TOO_DEEP, // "nested too deeply"
    ELK_FAULT_NOT_A_LANE, // "lane 1.5 is not a whole number other than 0"
    ELK_FAULT_NO_SEQUENCE, // an FCPXML project without one
    ELK_FAULT_NO_TRANSITION_BEFORE, // an xmeml start of -1
    ELK_FAULT_NO_TRANSITION_AFTER, // an xmeml end of -1
    ELK_FAULT_END_BEFORE_START,
    ELK_FAULT_NO_RANGE, // an OTIO clip with neither range
    ELK_FAULT_NO_COLUMN, // "no Start column"
    ELK_FAULT_NO_END, // an ALE row with neither End nor Duration
    ELK_FAULT_CANNOT_OPEN, // value[0]: the errno; worded as the system words it
    ELK_FAULT_FOLDER, // "a folder, not a list"
    // Subtitle cues.
    ELK_FAULT_CUE_TIME, // "a cue time is written 00:01:02,500 or 01:02.500"
    ELK_FAULT_CUE_ARROW, // a cue timing without "-->" between its times
    ELK_FAULT_CUE_END_BEFORE_START,
    // Inputs that are no list at all.
    ELK_FAULT_XML_NOT_TIMELINE, // detail: the root's name, inside the reason
    ELK_FAULT_JSON_NOT_OTIO,
    ELK_FAULT_COUNT
};

// One counted line. Text fields are offsets into the list's text pool.
struct ELKListEntry_t {
    // Wide fields first: a long list holds one of these per line, so padding counts.
    int64_t line; // from 1 within its input
    int64_t label; // the label, or the reel of an EDL event
    int64_t track; // the EDL track as written ("V", "A2", "AA/V"); length 0 in a plain list
    int64_t in; // frames; record in and out for an EDL event
    int64_t out;
    int64_t duration; // out - in (a day more across midnight), or the lone duration
    int64_t running; // the sum after this entry: the tape
    int32_t input; // which input it came from, from 0
    int32_t labelLength;
    int32_t trackLength;
    int8_t hasInOut; // ELK_TRUE when in and out were given (every EDL event)
};

// One line or input left out.
struct ELKListError_t {
    int32_t input;
    int64_t line; // 0 for an error about the whole input
    int32_t column; // characters from 1 at the faulty token or digit group; 0 with line 0
    int64_t text; // the whole line, in the text pool, without its line end
    int32_t textLength;
    ELKListFault_t fault;
    uint64_t value[4]; // the numbers the reason names
    int64_t detail; // text the reason includes, in the pool
    int32_t detailLength;
};

// Sum and unique length of one track, merged by name over all inputs.
struct ELKListTrack_t {
    int64_t name; // in the text pool
    int32_t nameLength;
    int64_t sum;
    int64_t unique;
};

// One input's own figures, in the list's timebase.
struct ELKListInput_t {
    ELKListFormat_t format; // ELK_FORMAT_NONE when the input could not be read at all
    int8_t hasRate; // ELK_TRUE when the file declares its own timebase
    ELKTimebase_t rate;
    int8_t hasName; // project, sequence or timeline name
    int64_t name; // in the text pool
    int32_t nameLength;
    int64_t entries;
    int64_t errors;
    int64_t leftOut; // items left out on purpose (disabled clips), not errors
    int64_t total;
    int8_t hasUnique;
    int64_t unique;
    int8_t hasLength; // EDL, subtitles, a list with in and out: latest out - earliest in;
    int64_t length; // lone durations and ALE: none; timelines: set by their reader
    int8_t hasOwnLength; // with hasRate and hasLength: the length at the input's own rate,
    int64_t ownLength; // its positions rounded once at that rate (= length at the same rate)
    int64_t lines; // lines read, for the text formats
};

struct ELKListState_t; // the library's own bookkeeping

// The library owns the arrays and the pool; read them, never write them.
struct ELKList_t {
    ELKTimebase_t base; // every count is in frames at this rate
    ELKRateFrom_t rateFrom; // where base came from
    ELKListEntry_t* entries;
    int64_t entryCount;
    ELKListError_t* errors;
    int64_t errorCount; // also the number of lines left out
    ELKListTrack_t* tracks;
    int32_t trackCount;
    ELKListInput_t* inputList; // inputList[i] for i < inputs
    char* text; // the pool
    int64_t textLength;
    int32_t inputs; // inputs read
    int8_t edl; // ELK_TRUE when any input was an EDL
    int64_t lines; // lines read, over all inputs
    int64_t sum; // sum of all durations
    int8_t hasUnique; // ELK_TRUE when some entry has an in and an out
    int64_t unique; // length of the union of [in, out) within each input, added up
    int8_t hasLength; // ELK_TRUE when some input has a length
    int64_t length; // the inputs' lengths added up: three reels make the feature
    int64_t leftOut; // items left out on purpose, over all inputs
    ELKListState_t* state; // private
};

// An empty list at tb, which came from rateFrom.
void ELKList_Init(ELKList_t* list, const ELKTimebase_t* tb, ELKRateFrom_t rateFrom = ELK_RATE_FROM_OPTION);

// The short name of a format, as horodex-tc writes it ("edl", "fcpxml");
// null for ELK_FORMAT_NONE and anything past ELK_FORMAT_COUNT.
const char* ELKList_FormatName(int8_t format);

// Puts the errors from index first on in the order of the text they came
// from: by line, then column (errors about a whole input first), equal ones
// as they were. For a reader whose errors do not arrive in that order, or a
// file that adds several inputs.
void ELKList_SortErrors(ELKList_t* list, int64_t first);

// Frees everything the list holds and leaves it empty.
void ELKList_Destroy(ELKList_t* list);

// Reads one whole input (subtitles, an EDL or a plain list) and adds it to
// the totals. Text is decoded by
// ELKText_Decode (UTF-16 after its mark, UTF-8, else Windows-1252; any line
// ends); one with a NUL is not text: one error about the whole input, line 0.
// A line over ELK_LINE_MAX bytes is an error. Plain lists take CSV quoting,
// Unicode spaces as blanks, U+2212, U+2013 and U+2014 as minus signs, and
// brackets, quotes, ':' and '=' around a time. Each input has its own record
// timeline and FCM reading. Returns ELK_OK when every line was read, or
// ELK_ERROR when some line was left out or memory ran short (an error then
// says so). ELK_ERROR with nothing read for a null list, null text with a
// length, a negative length or a timebase that ELKTimebase_Set would refuse.
int8_t ELKList_Read(ELKList_t* list, const char* text, int64_t length);

// Room for any reason ELKList_ErrorText writes, zero byte included; a detail
// longer than fits is cut at a character.
constexpr int32_t ELK_LIST_REASON_MAX = 160;

// Writes an error's reason in English, zero-terminated: "frames 29 at 25
// fps". Returns the length written, cut to capacity - 1; ELK_ERROR for no room.
int32_t ELKList_ErrorText(const ELKList_t* list, const ELKListError_t* error, char* out, int32_t capacity);

#endif
