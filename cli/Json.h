// SPDX-License-Identifier: MIT
// Hand-written JSON output for horodex-tc: strings and numbers, nothing more.
#ifndef HORODEX_TC_JSON_H
#define HORODEX_TC_JSON_H

#include <cstddef>
#include <cstdint>
#include <string>

// Appends text as a JSON string, quotes included. Bytes that are not UTF-8
// are taken as Latin-1, so the result is always valid UTF-8.
void appendJsonString(std::string& out, const char* text, size_t length);

inline void appendJsonString(std::string& out, const std::string& text)
{
    appendJsonString(out, text.data(), text.size());
}

// Appends text as it is, except that bytes that are not UTF-8 are taken as
// Latin-1, so that labels from older lists show right on a terminal.
void appendUtf8(std::string& out, const char* text, size_t length);

// The length of the well-formed UTF-8 sequence at s (n bytes left), or 0.
size_t utf8Length(const unsigned char* s, size_t n);

// Appends a signed integer in decimal.
void appendInteger(std::string& out, int64_t value);

#endif
