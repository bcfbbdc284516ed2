// SPDX-License-Identifier: MIT
// Avid Log Exchange: a Heading section (FPS among its tab-separated pairs), a
// Column line naming the fields and a Data section, one row a line.
//
// Each row is an entry: label Name, in Start, out End (exclusive), or Start
// plus Duration where End is missing, at the FPS of the row (an FPS column)
// or of the heading; 23.98 and 23.976 are the same rate. Rows are separate
// material, and an ALE has no length.
//
// Text is UTF-8, as ELKInput decodes it; positions count in it. The rate a
// timeline declares is taken under policy (ELKList_SetInputRate).
#ifndef ELKALE_H
#define ELKALE_H

#include <cstdint>

#include "ELKListBuilder.h"

// ELK_TRUE when the first non-blank line is "Heading" and a "Column" line and
// a "Data" line follow.
int8_t ELKAle_Detect(const char* text, int64_t length);

// Adds one input. A row whose time cannot be read (frames past the rate, a
// drop-frame label that does not exist) is an error at that row; the others
// are still read. Its own rate is the FPS heading. ELK_OK when no error was
// added.
int8_t ELKAle_Read(ELKList_t* list, const char* text, int64_t length, ELKRatePolicy_t policy);

#endif
