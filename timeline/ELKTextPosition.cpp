// SPDX-License-Identifier: MIT
#include "ELKTextPosition.h"

#include <cstring>

#include "ELKTimecode.h"

void ELKTextPosition_Init(ELKTextPosition_t* p, const char* text, int64_t length)
{
    *p = { text, text ? length : 0, 0, 1, 1, ELK_FALSE };
    if (p->length && std::memchr(text, '\r', size_t(p->length))) p->carriageReturns = ELK_TRUE;
}

void ELKTextPosition_Find(ELKTextPosition_t* p, int64_t offset, int64_t* line, int32_t* column)
{
    if (offset < 0) offset = 0;
    if (offset > p->length) offset = p->length;
    if (offset < p->at) p->at = 0, p->line = 1, p->column = 1;
    const char* s = p->text;
    int64_t lineStart = -1; // where the last line end passed leaves off
    if (p->carriageReturns != ELK_TRUE) {
        // LF only: memchr finds them far faster than a loop over every byte.
        for (const char* q = s + p->at; q < s + offset; ++q) {
            q = static_cast<const char*>(std::memchr(q, '\n', size_t(s + offset - q)));
            if (!q) break;
            ++p->line, lineStart = q - s + 1;
        }
    } else {
        for (int64_t i = p->at; i < offset; ++i) {
            if (s[i] > '\r') continue;
            // A CR followed by LF ends its line at the LF.
            if (s[i] == '\n' || (s[i] == '\r' && (i + 1 >= p->length || s[i + 1] != '\n')))
                ++p->line, lineStart = i + 1;
        }
    }
    int64_t from = p->at;
    if (lineStart >= 0) p->column = 1, from = lineStart;
    for (int64_t i = from; i < offset; ++i) p->column += (uint8_t(s[i]) & 0xC0) != 0x80 && s[i] != '\r';
    p->at = offset;
    *line = p->line;
    *column = p->column > INT32_MAX ? INT32_MAX : int32_t(p->column);
}
