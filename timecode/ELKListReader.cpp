// SPDX-License-Identifier: MIT
// The parts the text readers of lists share that need no inlining.
#include "ELKListReader.h"

#include <algorithm>

namespace elklist
{

// Characters of UTF-8 text from 1 up to at.
int32_t columnOf(const char* line, const char* at)
{
    int64_t column = 1;
    for (const char* p = line; p < at; ++p) column += (uint8_t(*p) & 0xC0) != 0x80;
    return int32_t(std::min<int64_t>(column, INT32_MAX));
}

void fail(Reader& r, int8_t code, const char* at)
{
    Fault f;
    f.code = code;
    f.at = at;
    fail(r, f);
}

} // namespace elklist
