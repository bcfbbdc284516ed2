// SPDX-License-Identifier: MIT
// Line and column of byte offsets in a text, for readers whose parser gives
// offsets. Offsets met in increasing order cost one pass over the text.
#ifndef ELKTEXTPOSITION_H
#define ELKTEXTPOSITION_H

#include <cstdint>

struct ELKTextPosition_t {
    const char* text;
    int64_t length;
    int64_t at; // private: how far lines are counted
    int64_t line; // private: the line at `at`, from 1
    int64_t column; // private: the column at `at`, from 1
    int8_t carriageReturns; // private: ELK_TRUE when the text holds a CR
};

void ELKTextPosition_Init(ELKTextPosition_t* p, const char* text, int64_t length);

// The line (from 1; LF, CRLF and CR each end one) and column (characters from
// 1, UTF-8 code points) of a byte offset, clamped to the text.
void ELKTextPosition_Find(ELKTextPosition_t* p, int64_t offset, int64_t* line, int32_t* column);

#endif
