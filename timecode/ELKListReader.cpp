// SPDX-License-Identifier: MIT
// The parts the text readers of lists share: tokens, times, columns, and the
// line in hand's way into the model.
#include "ELKListReader.h"

#include <algorithm>
#include <cstring>

namespace elklist
{

static bool validUtf8(const char* p, const char* end)
{
    while (p < end) {
        const auto c = uint8_t(*p);
        int32_t more = 0;
        uint32_t cp = 0;
        if (c < 0x80) {
            ++p;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            more = 1, cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2, cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3, cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= more) return false;
        for (int32_t i = 1; i <= more; ++i) {
            const auto next = uint8_t(p[i]);
            if ((next & 0xC0) != 0x80) return false;
            cp = cp << 6 | (next & 0x3F);
        }
        const bool overlong = (more == 2 && cp < 0x800) || (more == 3 && cp < 0x10000);
        if (overlong || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
        p += more + 1;
    }
    return true;
}

// Characters from 1 up to at: code points when the line is valid UTF-8, else Latin-1 bytes.
int32_t columnOf(const char* line, const char* end, const char* at)
{
    const bool utf8 = validUtf8(line, end);
    int64_t column = 1;
    for (const char* p = line; p < at; ++p) column += !utf8 || (uint8_t(*p) & 0xC0) != 0x80;
    return int32_t(std::min<int64_t>(column, INT32_MAX));
}

const char* LineEnds::next(const char* p)
{
    const auto find = [this](const char* from, char c) {
        const void* at = std::memchr(from, c, size_t(end - from));
        return at ? static_cast<const char*>(at) : end;
    };
    if (cr < p) cr = find(p, '\r');
    if (lf < p) lf = find(p, '\n');
    return std::min(cr, lf);
}

void fail(Reader& r, int8_t code, const char* at)
{
    Fault f;
    f.code = code;
    f.at = at;
    fail(r, f);
}

} // namespace elklist
