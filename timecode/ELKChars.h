// SPDX-License-Identifier: MIT
// Character classes of the text readers, each named for what it accepts.
// ASCII only: no byte of a multi-byte UTF-8 sequence is in any of them.
#ifndef ELKCHARS_H
#define ELKCHARS_H

inline bool ELKChar_IsDigit(char c)
{
    return c >= '0' && c <= '9';
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

#endif
