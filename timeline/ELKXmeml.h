// SPDX-License-Identifier: MIT
// Final Cut Pro 7 XML (root element xmeml), as other editors still write it:
// one input per sequence at the top level (or in its project's bins).
//
// Entries are the clipitems and generatoritems of every video and audio
// track, at their record start and end in frames of the sequence's rate
// (decimals such as "1055.0" when whole); a start of -1 is the start of the
// transitionitem just before, an end of -1 the end of the one just after.
// Tracks are V1... and A1... in file order. The length is the latest end.
//
// Text is UTF-8, as ELKInput decodes it; positions count in it. The rate a
// timeline declares is taken under policy (ELKList_SetInputRate).
#ifndef ELKXMEML_H
#define ELKXMEML_H

#include <cstdint>

#include "ELKListBuilder.h"

// Adds one input per sequence (one with an error when there is none, or when
// the XML is not well-formed); a sequence's own rate is its <rate> (ntsc TRUE:
// x 1000/1001), drop frame when its timecode's displayformat is DF. ELK_OK
// when no error was added.
int8_t ELKXmeml_Read(ELKList_t* list, const char* text, int64_t length, ELKRatePolicy_t policy);

#endif
