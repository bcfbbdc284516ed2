// SPDX-License-Identifier: MIT
// Character classes of the text readers, each named for what it accepts.
// The single-byte ones are ASCII: no byte of a multi-byte UTF-8 sequence is in
// any of them. The UTF-8 ones give the length in bytes of the character at p
// when it is of the class, else 0.
#ifndef ELKCHARS_H
#define ELKCHARS_H

#include <cstdint>

inline bool ELKChar_IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

inline bool ELKChar_IsLower(char c)
{
    return c >= 'a' && c <= 'z';
}

inline bool ELKChar_IsLetter(char c)
{
    return ELKChar_IsLower(c) || (c >= 'A' && c <= 'Z');
}

// Space and tab.
inline bool ELKChar_IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

inline bool ELKChar_IsLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

// What a reader of one value skips around it.
inline bool ELKChar_IsBlankOrLineEnd(char c)
{
    return ELKChar_IsBlank(c) || ELKChar_IsLineEnd(c);
}

// Between the digit groups of a time: ':', ';' (before drop-frame frames) or '.'.
inline bool ELKChar_IsTimeSeparator(char c)
{
    return c == ':' || c == ';' || c == '.';
}

inline char ELKChar_ToLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

inline char ELKChar_ToUpper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

// A blank or a Unicode space separator (U+00A0 no-break space, U+1680,
// U+2000 to U+200A, U+202F, U+205F, U+3000), as text pasted from mail and
// web pages has them.
inline int32_t ELKChar_SpaceLength(const char* p, const char* end)
{
    if (ELKChar_IsBlank(*p)) return 1;
    const auto at = [&](int32_t i) { return p + i < end ? uint8_t(p[i]) : 0u; };
    const uint32_t a = uint8_t(*p), b = at(1), c = at(2);
    if (a == 0xC2) return b == 0xA0 ? 2 : 0;
    if (a == 0xE1) return b == 0x9A && c == 0x80 ? 3 : 0;
    if (a == 0xE2)
        return (b == 0x80 && ((c >= 0x80 && c <= 0x8A) || c == 0xAF)) || (b == 0x81 && c == 0x9F) ? 3 : 0;
    if (a == 0xE3) return b == 0x80 && c == 0x80 ? 3 : 0;
    return 0;
}

// '-', U+2212 minus, U+2013 en dash or U+2014 em dash: what people type or
// paste as a minus sign.
inline int32_t ELKChar_MinusLength(const char* p, const char* end)
{
    if (*p == '-') return 1;
    if (end - p < 3 || uint8_t(p[0]) != 0xE2) return 0;
    const uint32_t b = uint8_t(p[1]), c = uint8_t(p[2]);
    return (b == 0x88 && c == 0x92) || (b == 0x80 && (c == 0x93 || c == 0x94)) ? 3 : 0;
}

#endif
