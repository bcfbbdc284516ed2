// SPDX-License-Identifier: MIT
// The values of a column as horodex-tc reads them (frame counts, times,
// running times), with the reason and the place of every fault so that
// messages can point at it.
#ifndef HORODEX_TC_VALUES_H
#define HORODEX_TC_VALUES_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "ELKDuration.h"

struct TextError {
    size_t offset = 0; // byte offset of the fault in the text read
    std::string reason; // "unexpected 'x'"
};

// Reads a signed frame count ("124", "-25"); blanks around are allowed.
bool readFrameCount(const char* text, size_t length, int64_t* frames, TextError* error);

// Reads a time in any form the library reads (label, lone frames, units), or
// a running time ("0:59:59.996") when realTime is true, at d's timebase. A
// label that drop frame skips is an error.
bool readTime(const char* text, size_t length, bool realTime, ELKDuration_t* d, TextError* error);

// "00:01:00;00 does not exist at 29.97df": a label that drop frame skips.
std::string describeSkipped(const ELKDurationFields_t& label, const ELKTimebase_t& tb);

// Words a reader's fault at `offset` of text: "unexpected 'x'" names the
// character, the others are the library's own ("more than four groups").
std::string describeFault(const char* text, size_t length, size_t offset, int8_t fault);

// The column of `offset`: characters (UTF-8 code points) before it, plus one.
int64_t columnAt(const char* text, size_t offset);

#endif
