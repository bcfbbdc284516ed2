// SPDX-License-Identifier: MIT
#include "Json.h"

#include "ELKText.h"

size_t utf8Length(const unsigned char* s, size_t n)
{
    uint32_t cp;
    return size_t(ELKText_Sequence(reinterpret_cast<const char*>(s), int64_t(n), &cp));
}

void appendJsonString(std::string& out, const char* text, size_t length)
{
    static const char hex[] = "0123456789abcdef";
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    out += '"';
    for (size_t i = 0; i < length;) {
        const unsigned char c = s[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else if (c >= 0x80) {
            const size_t len = utf8Length(s + i, length - i);
            if (len == 0) { // a Latin-1 byte
                out += char(0xC0 | (c >> 6));
                out += char(0x80 | (c & 0x3F));
                ++i;
            } else {
                out.append(text + i, len);
                i += len;
            }
            continue;
        } else {
            out += char(c);
        }
        ++i;
    }
    out += '"';
}

void appendUtf8(std::string& out, const char* text, size_t length)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; i < length;) {
        size_t run = i;
        while (run < length && s[run] < 0x80) ++run;
        out.append(text + i, run - i);
        if (run == length) break;
        const size_t len = utf8Length(s + run, length - run);
        if (len == 0) {
            out += char(0xC0 | (s[run] >> 6));
            out += char(0x80 | (s[run] & 0x3F));
            i = run + 1;
        } else {
            out.append(text + run, len);
            i = run + len;
        }
    }
}

void appendInteger(std::string& out, int64_t value)
{
    char digits[24];
    int n = 0;
    // Built from the negative side so that the most negative value needs no special case.
    int64_t v = value < 0 ? value : -value;
    do {
        digits[n++] = char('0' - v % 10);
        v /= 10;
    } while (v != 0);
    if (value < 0) out += '-';
    while (n > 0) out += digits[--n];
}
