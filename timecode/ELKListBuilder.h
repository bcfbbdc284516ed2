// SPDX-License-Identifier: MIT
// For authors of readers: how a reader adds its inputs to a list. Programs
// read through ELKInput.h, which finds the reader; a reader is a file of its
// own and a row in that entry point's table of formats.
#ifndef ELKLISTBUILDER_H
#define ELKLISTBUILDER_H

#include <cstdint>

#include "ELKList.h"

// The builders are called in this order for each input: Begin, the others,
// End. Counts are frames at list->base; lines count from 1. After memory
// runs short (an error says so) the input takes nothing more, and the calls
// return ELK_ERROR.

// Opens an input of a format. ELK_ERROR, with nothing opened, for a null
// list, an input already open or a timebase ELKTimebase_Set would refuse.
int8_t ELKList_BeginInput(ELKList_t* list, ELKListFormat_t format);

// The project, sequence or timeline's name.
void ELKList_SetInputName(ELKList_t* list, const char* name, int32_t length);

// The rate the input declares. Under ELK_RATE_OWN it becomes the list's
// timebase while nothing is counted yet: a reader that sets it before its
// first entry needs no second pass.
void ELKList_SetInputRate(ELKList_t* list, const ELKTimebase_t* rate, ELKRatePolicy_t policy);

// An entry; with hasInOut, duration is out - in. Track null or of length 0
// for none; tracks merge by name as in EDLs. ELK_ERROR, with an error
// recorded instead, when a total would pass 64 bits or in and out are backwards.
int8_t ELKList_AddEntry(ELKList_t* list, int64_t line, const char* label, int32_t labelLength,
    const char* track, int32_t trackLength, int8_t hasInOut, int64_t in, int64_t out, int64_t duration);

// An error with its fault. Line 0 and column 0: about the whole input.
// detail, which may be null, is the name the reason cites; value, which may
// be null, the four numbers it names.
int8_t ELKList_AddError(ELKList_t* list, int64_t line, int32_t column, ELKListFault_t fault,
    const char* detail, int32_t detailLength, const uint64_t* value = nullptr);

// Counts an item left out on purpose (a disabled clip); not an error.
void ELKList_LeaveOut(ELKList_t* list);

// The input's length: latest end less its start, in frames at list->base.
void ELKList_SetLength(ELKList_t* list, int64_t length);
// The same length in frames at the input's own rate, its ends rounded once
// at that rate; at the list's frame rate EndInput takes the length itself.
void ELKList_SetOwnLength(ELKList_t* list, int64_t frames);

// Takes the input's unique lengths (ALE rows are separate material: each adds
// its whole duration) and closes its record. ELK_OK when it has no error.
int8_t ELKList_EndInput(ELKList_t* list);

// A whole input of the format that is one error: Begin, the error, End.
// Returns ELK_ERROR, as an input with an error does.
int8_t ELKList_Refuse(ELKList_t* list, ELKListFormat_t format, int64_t line, int32_t column,
    ELKListFault_t fault, const char* detail = nullptr, int32_t detailLength = 0,
    const uint64_t* value = nullptr);

// The text readers of this library, for the table of formats: whether UTF-8
// text is an EDL (some line reads as an event), or subtitles of the format
// (ELK_FORMAT_SRT: a cue number, then a cue timing; ELK_FORMAT_VTT: a first
// line WEBVTT), and the reading of one input of text as subtitles, an EDL or
// a plain list, line by line, as ELKList_Read describes.
int8_t ELKList_IsEdl(const ELKList_t* list, const char* text, int64_t length);
int8_t ELKList_IsSubtitles(ELKListFormat_t format, const char* text, int64_t length);
int8_t ELKList_ReadLines(
    ELKList_t* list, ELKListFormat_t format, const char* text, int64_t length, ELKRatePolicy_t policy);

// Reads lines [first, first + removed) of input `input`, a plain list or an
// EDL, again as `text` after an edit: the lines that now stand there, whole,
// with the line end of the last when lines follow it. Lines after them move
// with the count. ELK_OK leaves the list as a new read of the whole edited
// input would; ELK_ERROR, with the list unchanged, where that needs more than
// these lines (an FCM line among them, a new track, an input that may change
// format, a total near 64 bits, memory): read everything again then. The
// caller makes sure the text's first lines still tell the same format, as
// ELKInput_ReadAgain does.
int8_t ELKList_ReplaceLines(
    ELKList_t* list, int32_t input, int64_t first, int64_t removed, const char* text, int64_t length);

// Why a time was refused and where: the byte offset from the start of the
// text, and the numbers the reason names.
struct ELKListTimeFault_t {
    ELKListFault_t fault;
    int32_t offset;
    uint64_t value[4];
};

// Reads a label "HH:MM:SS:FF" as an EDL writes it (two digits a group,
// frames three above 100 labels a second; ':', ';' or '.' between) at rate,
// counting drop frame where ';' stands before the frames and the rate has
// drop frame. *reading is then the timebase the label was read at. ELK_ERROR
// with *fault, as the list's own readers give it, else.
int8_t ELKList_ReadLabel(const ELKTimebase_t* rate, const char* text, int32_t length, int64_t* frames,
    ELKTimebase_t* reading, ELKListTimeFault_t* fault);

#endif
