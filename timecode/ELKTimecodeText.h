// SPDX-License-Identifier: MIT
// Timecode text: the eleven characters "HH:MM:SS.FF" that the clipboard
// carries, and the looser forms that users type or paste.
#ifndef ELKTIMECODETEXT_H
#define ELKTIMECODETEXT_H

#include <cstdint>

#include "ELKString.h"
#include "ELKTimecode.h"

// Writes the time as "HH:MM:SS.FF" (":" before the frames when
// colonBeforeFrames is ELK_TRUE) into an owned string. Returns ELK_OK, or
// ELK_ERROR with the string left empty when a field has more than two digits
// or memory runs out (a null string is left alone).
int8_t ELKTimecode_ToString(const ELKTimecode_t* tc, ELKString_t* s, int8_t colonBeforeFrames);

// Reads up to four digit groups separated by blanks, '.', ':' or ';', from
// the right: frames, seconds, minutes, hours. Values are not range-checked;
// the arithmetic carries them over. Sets frames (rate and labelMode decide
// how the fields count) and returns ELK_OK, or ELK_ERROR when the text is
// empty or has no digit (frames becomes 0), when anything follows the last
// digit, a byte is neither digit nor separator, or a group overflows 32 bits
// (frames is still set from the groups read). A null string changes nothing.
int8_t ELKTimecode_FromString(ELKTimecode_t* tc, const ELKString_t* s);

#endif
