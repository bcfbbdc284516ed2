// SPDX-License-Identifier: MIT
// Exact rational numbers: the times that timelines write (seconds as
// "1001/30000s", frame counts at a rate, decimals such as
// 23.976023976023978), and the one rounding that scales a count.
// Values keep den > 0 and are reduced only where they would not fit 64 bits
// otherwise (so 48/2 may stay 48/2). Every operation works through 128-bit
// intermediates and reports ELK_ERROR, leaving the result unchanged, when
// even the reduced value does not fit.
#ifndef ELKRATIONAL_H
#define ELKRATIONAL_H

#include <cstdint>

#include "ELKDuration.h"

struct ELKRational_t {
    int64_t num;
    int64_t den; // > 0
};

// num/den. ELK_ERROR for den 0.
int8_t ELKRational_Set(ELKRational_t* r, int64_t num, int64_t den);

// Reads "[-]digits[.digits][e[+-]digits][/digits]": "3", "-1.5", "1e-3",
// "1001/30000", "23.976023976023978". Nothing may stand around it. ELK_ERROR
// for anything else, a zero denominator or a value that does not fit.
int8_t ELKRational_FromText(ELKRational_t* r, const char* text, int64_t length);

// *r = a + b, a - b, a x b, a / b. r may be a or b. ELK_ERROR on overflow or
// division by zero.
int8_t ELKRational_Add(ELKRational_t* r, const ELKRational_t* a, const ELKRational_t* b);
int8_t ELKRational_Subtract(ELKRational_t* r, const ELKRational_t* a, const ELKRational_t* b);
int8_t ELKRational_Multiply(ELKRational_t* r, const ELKRational_t* a, const ELKRational_t* b);
int8_t ELKRational_Divide(ELKRational_t* r, const ELKRational_t* a, const ELKRational_t* b);

// -1, 0 or 1 as a is below, equal to or above b.
int32_t ELKRational_Compare(const ELKRational_t* a, const ELKRational_t* b);

// The greatest common divisor; 0 only for gcd(0, 0).
uint64_t ELKRational_Gcd(uint64_t a, uint64_t b);

// round(magnitude x mul / div), halves away from zero, negated when negative
// is ELK_TRUE: the one rounding every scaling of a count goes through.
// magnitude is at most 2^63; div > 0. ELK_ERROR when the result does not fit
// 64 bits or div is 0.
int8_t ELKRational_ScaleRounded(
    uint64_t magnitude, int8_t negative, uint64_t mul, uint64_t div, int64_t* out);

// The nearest frame at tb to a time in seconds, halves away from zero.
// ELK_ERROR when the count does not fit 64 bits.
int8_t ELKRational_ToFrames(const ELKRational_t* seconds, const ELKTimebase_t* tb, int64_t* frames);

// Replaces a rate in frames a second by the named timebase (ELKTimebase_Named)
// within 1e-5 of it, relative, so that 23.976 and 23.976023976023978 are
// both 24000/1001. Other rates stay as they are.
void ELKRational_SnapRate(ELKRational_t* rate);

// A rate in frames a second as a timebase, reduced; drop frame where asked
// for and the rate has it, else non-drop. ELK_ERROR where ELKTimebase_Set
// refuses the rate.
int8_t ELKRational_ToTimebase(const ELKRational_t* rate, int8_t dropFrame, ELKTimebase_t* tb);

#endif
