// SPDX-License-Identifier: MIT
// Durations at any timebase: a signed 64-bit frame count at an exact
// rational frame rate, with or without drop frame. Unlike a time of day
// (ELKTimecode_t) a duration never wraps: hours have no limit.
//
// Every reader takes bytes and a length (negative: measure the
// zero-terminated text), ignores blanks, tabs and line ends around the value,
// and changes nothing when it fails; *errorAt, where asked for, is then the
// byte offset of the fault from the start of the text, and *fault, where
// asked for, an ELKDurationFault_t saying why.
#ifndef ELKDURATION_H
#define ELKDURATION_H

#include <cstdint>

#include "ELKTimecode.h"

// A frame rate of num/den frames per second. Labels count `nominal` frames a
// second (num/den rounded up). Drop frame exists only where nominal is a
// multiple of 30 and den is 1001: it skips 2 x nominal/30 labels at the start
// of every minute not divisible by ten. Set it only through ELKTimebase_Set
// or a reader below, which keep num/den reduced.
struct ELKTimebase_t {
    uint32_t num;
    uint32_t den;
    uint32_t nominal;
    int8_t dropFrame; // ELK_TRUE or ELK_FALSE
};

struct ELKDuration_t {
    int64_t frames;
    ELKTimebase_t base;
};

// A duration split for display. The sign applies to the whole.
struct ELKDurationFields_t {
    int8_t negative; // ELK_TRUE or ELK_FALSE
    uint64_t hours;
    uint32_t minutes;
    uint32_t seconds;
    uint32_t frames;
};

// Why a reader refused its text. ELKDuration_FaultText words each one.
enum ELKDurationFault_t : int8_t {
    ELK_DURATION_FAULT_NONE = 0,
    ELK_DURATION_FAULT_EMPTY, // nothing but blanks
    ELK_DURATION_FAULT_INCOMPLETE, // the text ends where a digit or more must follow
    ELK_DURATION_FAULT_NO_DIGIT, // separators without a digit
    ELK_DURATION_FAULT_UNEXPECTED, // a character no form allows there
    ELK_DURATION_FAULT_FIVE_GROUPS, // at the fifth group's separator
    ELK_DURATION_FAULT_OUT_OF_RANGE, // a number or the count past 64 bits
    ELK_DURATION_FAULT_NO_UNIT, // "1h30": a number after a unit needs its own
    ELK_DURATION_FAULT_UNIT, // a unit without a number, after groups or out of order
    ELK_DURATION_FAULT_EMPTY_FIELD, // a running time's "1::00"
    ELK_DURATION_FAULT_FIELD_60, // a running time's minutes or seconds at or above 60
    ELK_DURATION_FAULT_FOOT_FRAMES, // frames at or above a foot
    ELK_DURATION_FAULT_TIMEBASE, // an unset timebase or a foot other than 16 or 40 frames
    ELK_DURATION_FAULT_NO_SUCH_LABEL, // the strict reading's label that drop frame skips
    ELK_DURATION_FAULT_COUNT
};

// Room for any text the writers below produce, zero byte included.
constexpr int32_t ELK_DURATION_TEXT_MAX = 48;

// Frames per foot of film: 35 mm 4-perf and 16 mm.
constexpr int32_t ELK_FEET_35MM = 16;
constexpr int32_t ELK_FEET_16MM = 40;

// Sets num/den (reduced) and drop frame. ELK_ERROR, with tb unchanged, unless
// num and den are 1 to 1,000,000, the nominal rate is at most 1000 and drop
// frame (if asked for) exists at that rate.
int8_t ELKTimebase_Set(ELKTimebase_t* tb, uint32_t num, uint32_t den, int8_t dropFrame);

// The timebase of one of the calculator's six rates. ELK_ERROR for others.
int8_t ELKTimebase_FromRate(ELKTimebase_t* tb, ELKFrameRate_t rate);

// The named timebases in order, 23.976 to 120 (index 0 to 14); ELK_ERROR past
// the end, so callers can list them all.
int8_t ELKTimebase_Named(ELKTimebase_t* tb, int32_t index);

// Reads "29.97df", "29.97 DF", "59.94NDF", "23.98", "25", "30000/1001",
// "60000/1001df" (case-insensitive; blanks around are ignored). A negative
// length measures the zero-terminated text. ELK_ERROR, tb unchanged, else.
int8_t ELKTimebase_FromText(ELKTimebase_t* tb, const char* text, int32_t length);

// Writes the name ("29.97df", "23.976", "25"), the integer ("100") or num/den,
// zero-terminated. Returns the length, or ELK_ERROR when capacity is short.
int32_t ELKTimebase_ToText(const ELKTimebase_t* tb, char* out, int32_t capacity);

// ELK_TRUE when both are the same rate and drop-frame choice.
int8_t ELKTimebase_Equal(const ELKTimebase_t* a, const ELKTimebase_t* b);

// A zero duration at tb.
void ELKDuration_Init(ELKDuration_t* d, const ELKTimebase_t* tb);

// The calculator's time of day as a duration at the matching timebase; the
// count is kept as it is. An invalid rate gives 0 at 30.
void ELKDuration_FromTimecode(ELKDuration_t* d, const ELKTimecode_t* tc);

// Splits the count into a sign and label fields (drop-frame labels where the
// timebase drops). Never fails; a record not set through ELKTimebase_Set may
// give zeros.
void ELKDuration_GetFields(const ELKDuration_t* d, ELKDurationFields_t* out);

// Sets the count from fields at d's timebase. Fields carry before drop frame
// is applied (00:00:90;00 is 00:01:30;00); a label that drop frame skips
// reads as its position less the labels skipped up to its minute. ELK_ERROR,
// with d unchanged, when the count would not fit 64 bits.
int8_t ELKDuration_SetFields(
    ELKDuration_t* d, int8_t negative, uint64_t hours, uint64_t minutes, uint64_t seconds, uint64_t frames);

// Writes "[-]HH:MM:SS:FF" (';' before the frames at drop frame, or '.' when
// periodBeforeFrames is ELK_TRUE, the calculator's clipboard form),
// zero-terminated; frames take three digits above 100 labels a second.
// Returns the length, or ELK_ERROR when capacity is short. The calculator
// reads a total past 24 hours modulo its day, and ignores a minus.
int32_t ELKDuration_ToText(const ELKDuration_t* d, char* out, int32_t capacity, int8_t periodBeforeFrames);

// Reads what editors type: up to four digit groups from the right (frames,
// seconds, minutes, hours) joined by '.', ':', ';', ',' or a blank, empty
// groups 0; a leading sign; unit suffixes "2h", "1h30m", "1h 30m", "+90s",
// "-12f", largest first. A value of frames alone ("17982", "-1800", "1800f")
// is a frame count at every timebase: it neither carries nor drops. Where
// there are seconds, minutes or hours, fields carry as in
// ELKDuration_SetFields ("1m" at 29.97df is 1,798 frames, "1m2f" 1,800).
// ELK_ERROR for text without a digit, a fifth group (at its separator), a
// number past 64 bits (at its first digit), a count past 64 bits (at the
// value's first byte after the sign) or a stray byte.
int8_t ELKDuration_FromText(
    ELKDuration_t* d, const char* text, int32_t length, int32_t* errorAt, int8_t* fault = nullptr);

// A reader's fault in English, lower case: "more than four groups".
const char* ELKDuration_FaultText(int8_t fault);

// Reads as ELKDuration_FromText, except that a label drop frame skips, written
// in digit groups or reached by a carry ("00:01:00;00" or "00:00:60;00" at
// 29.97df), is ELK_ERROR at the value's first byte, sign included. Unit forms
// are durations and read as there. *skipped, when asked for, is then that
// label, carried; after any other outcome it is 00:00:00:00, so
// ELKDuration_LabelExists tells this fault apart.
int8_t ELKDuration_FromTextStrict(ELKDuration_t* d, const char* text, int32_t length, int32_t* errorAt,
    ELKDurationFields_t* skipped, int8_t* fault = nullptr);

// ELK_TRUE when the label is one the timebase writes: minutes and seconds
// below 60, frames below the nominal rate, and not skipped by drop frame.
int8_t ELKDuration_LabelExists(const ELKTimebase_t* tb, const ELKDurationFields_t* label);

// Writes the running time count x den / num as "[-]H:MM:SS.mmm", to the
// nearest millisecond, halves away from zero. Returns the length or ELK_ERROR.
int32_t ELKDuration_ToRealTime(const ELKDuration_t* d, char* out, int32_t capacity);

// Reads a running time ("1:02:03.5", "2:03.250", "90.5", "-12") at d's
// timebase to the nearest frame, halves away from zero, every decimal
// counted exactly; minutes and seconds below 60 except in the leading field.
// ELK_ERROR, d unchanged, for anything else or a count past 64 bits.
int8_t ELKDuration_FromRealTime(
    ELKDuration_t* d, const char* text, int32_t length, int32_t* errorAt, int8_t* fault = nullptr);

// Converts to another timebase keeping the running time, to the nearest
// frame, halves away from zero. ELK_ERROR, d unchanged, on overflow.
int8_t ELKDuration_ConvertRealTime(ELKDuration_t* d, const ELKTimebase_t* to);

// Converts keeping hours, minutes, seconds and frames; frames past the new
// rate carry, and a label drop frame skips reads as in ELKDuration_SetFields.
// ELK_ERROR, d unchanged, on overflow.
int8_t ELKDuration_ConvertLabel(ELKDuration_t* d, const ELKTimebase_t* to);

// As ELKDuration_ConvertLabel, but landing on a label drop frame skips is
// ELK_ERROR, with *skipped as in ELKDuration_FromTextStrict.
int8_t ELKDuration_ConvertLabelStrict(
    ELKDuration_t* d, const ELKTimebase_t* to, ELKDurationFields_t* skipped);

// Multiplies or divides by a number written "3", "-1.5" or "2/3", to the
// nearest frame, halves away from zero. ELK_ERROR, d unchanged, for text that
// is not such a number, division by zero or overflow; a decimal must fit 64
// bits without its point (19 significant digits always do).
int8_t ELKDuration_Multiply(ELKDuration_t* d, const char* factor, int32_t length);
int8_t ELKDuration_Divide(ELKDuration_t* d, const char* divisor, int32_t length);

// Adds b to a, or takes it off; b must be at a's timebase. ELK_ERROR, a
// unchanged, for another timebase or a count past 64 bits.
int8_t ELKDuration_Add(ELKDuration_t* a, const ELKDuration_t* b);
int8_t ELKDuration_Subtract(ELKDuration_t* a, const ELKDuration_t* b);

// Writes why a strict reader refused a label, zero-terminated:
// "00:01:00;00 does not exist at 29.97df". Returns the length, or ELK_ERROR
// when capacity is short.
int32_t ELKDuration_SkippedText(
    const ELKTimebase_t* tb, const ELKDurationFields_t* label, char* out, int32_t capacity);

// Writes the count as feet and frames "[-]F+FF" at framesPerFoot (16 or 40).
// Returns the length, or ELK_ERROR for another framesPerFoot or short capacity.
int32_t ELKDuration_ToFeet(const ELKDuration_t* d, int32_t framesPerFoot, char* out, int32_t capacity);

// Reads "[-]F+FF" back; frames must be below framesPerFoot. ELK_ERROR as
// ELKDuration_FromText.
int8_t ELKDuration_FromFeet(ELKDuration_t* d, int32_t framesPerFoot, const char* text, int32_t length,
    int32_t* errorAt, int8_t* fault = nullptr);

#endif
