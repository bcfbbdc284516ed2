// SPDX-License-Identifier: MIT
// Counted 8-bit text that owns or borrows its bytes, and decimal digit
// conversions.
#ifndef ELKSTRING_H
#define ELKSTRING_H

#include <cstdint>

#include "ELKBase.h"

// Four states: empty (data is &ELK_EmptyText), lent (the caller's bytes,
// not necessarily zero-terminated), owning (length + 1 bytes from ELK_Alloc,
// owned ELK_TRUE) and released (data null, after destroy or a failed
// allocation). Only the first `length` bytes belong to the string.
struct ELKString_t {
    char* data;
    int32_t length;
    int8_t owned;
};

// The text every empty string points to; never written, never freed.
extern char ELK_EmptyText;

// Sets the string empty and returns it.
ELKString_t* ELKString_Init(ELKString_t* s);

// Lends the caller's text to the string; nothing is copied, and the caller
// keeps it alive. A negative length measures the zero-terminated text.
void ELKString_InitWith(ELKString_t* s, const char* text, int32_t length);

// Frees an owned text; leaves data null and length 0.
void ELKString_Destroy(ELKString_t* s);

// ELK_TRUE when the string is null, released or has no bytes.
int8_t ELKString_IsEmpty(const ELKString_t* s);

// Frees an owned text and leaves the string empty.
void ELKString_Clear(ELKString_t* s);

// Replaces the text with an owned copy of n bytes of source (n negative:
// measure it; source null: n blanks). The source may lie inside the string's
// own text. Returns the new length; 0 for an empty result, or for a failed
// allocation, which leaves the string released.
int32_t ELKString_Assign(ELKString_t* s, const char* source, int32_t n);

// The string's data pointer.
char* ELKString_GetData(const ELKString_t* s);

// Bytes before the first zero byte; 0 for null.
int32_t ELK_StrLen(const char* text);

// Writes the decimal digits of value (no sign, no leading zeros, no zero
// byte). Returns the count, or -2 with nothing written when out is null or
// capacity is below the number of digits.
int32_t ELK_UIntToDigits(char* out, int32_t capacity, uint32_t value);

// Value of the first run of digits in n bytes (n negative: measure), modulo
// 2^32. status (may be null) is ELK_OK when the span is non-empty, holds
// digits only and its value fits 32 bits; ELK_ERROR otherwise.
uint32_t ELK_DigitsToUInt(const char* text, int32_t n, int8_t* status);

#endif
