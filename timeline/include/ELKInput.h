// SPDX-License-Identifier: MIT
// Reading an input into a list: the one entry point that horodex-tc sum, the
// tape and the bindings call, so that each reads a file exactly as the
// others do.
//
// An input is decoded once (UTF-16 by its mark, UTF-8, else Windows-1252),
// its format told by content through one table (EDL, plain list, FCPXML,
// FCP7 XML, OpenTimelineIO, ALE), and read once, its own rate included. A
// file may add several inputs to the list: one per project, sequence or
// timeline. Whatever cannot be read becomes an error in the list with its
// line and column, or one error about the whole input (line 0), never a
// silent gap.
#ifndef ELKINPUT_H
#define ELKINPUT_H

#include <cstdint>

#include "ELKList.h"
#include "ELKText.h"

// The largest input read: 1 GiB.
constexpr int64_t ELK_INPUT_MAX = int64_t(1) << 30;

struct ELKReadOptions_t {
    ELKRatePolicy_t rate; // ELK_RATE_OWN: the input's own rate, if the list has counted nothing
};

// Reads a whole file given as bytes in any encoding the decoder takes.
// ELK_OK when nothing was left out; ELK_ERROR otherwise (the errors say what)
// and, with nothing read, for a null list, null bytes with a length, a
// negative length or an unset timebase. Null options: ELK_RATE_KEEP.
int8_t ELKInput_ReadBytes(
    ELKList_t* list, const char* bytes, int64_t length, const ELKReadOptions_t* options);

// The same for text already decoded, which a program keeps to read again at
// another timebase without going back to the file.
int8_t ELKInput_ReadText(ELKList_t* list, const ELKText_t* text, const ELKReadOptions_t* options);

// Reads again the lines an edit touched, for a program that keeps a list
// of text it edits: lines [first, first + removed) of input `input` are now
// `text`, whole, with the last one's line end when lines follow (see
// ELKList_ReplaceLines). `head` is the edited text's start, through its first
// line that is not blank (or all of it). ELK_OK leaves the list as
// ELKInput_ReadText of the whole edited text would; ELK_ERROR, with the list
// unchanged, when the edit may change more than those lines (the format, an
// FCM line, a timeline): read the whole text again then.
int8_t ELKInput_ReadAgain(ELKList_t* list, int32_t input, int64_t first, int64_t removed, const char* text,
    int64_t length, const char* head, int64_t headLength);

// Reads the file at path; a folder holding Info.fcpxml (an FCPXML bundle,
// NAME.fcpxmld) through that file. What cannot be read at all is one error
// about the whole input: ELK_FAULT_CANNOT_OPEN (value[0] the errno),
// ELK_FAULT_FOLDER, ELK_FAULT_TOO_LARGE (over ELK_INPUT_MAX) or
// ELK_FAULT_NOT_TEXT, told from the file's start without reading the rest.
int8_t ELKInput_ReadFile(ELKList_t* list, const char* path, const ELKReadOptions_t* options);

// The same for an open descriptor, read to its end (standard input).
int8_t ELKInput_ReadDescriptor(ELKList_t* list, int fd, const ELKReadOptions_t* options);

// Loads a file's bytes as ELKInput_ReadFile reads them, for a program that
// keeps them (the tape): *bytes is then malloc'd, for free(), and
// *fault ELK_FAULT_NONE; else *bytes is null and *fault, with *error (the
// errno for ELK_FAULT_CANNOT_OPEN), says why. A bundle's path is resolved.
int8_t ELKInput_Load(const char* path, char** bytes, int64_t* length, int8_t* fault, int32_t* error);

#endif
