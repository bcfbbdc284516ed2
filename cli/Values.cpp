// SPDX-License-Identifier: MIT
#include "Values.h"

#include <cstdio>

#include "ELKChars.h"
#include "Json.h"

namespace
{

std::string unexpected(const char* text, size_t length, size_t offset)
{
    const auto* s = reinterpret_cast<const unsigned char*>(text + offset);
    const size_t len = utf8Length(s, length - offset);
    if (len == 0 || (len == 1 && (s[0] < 0x20 || s[0] == 0x7F))) {
        char hex[32];
        std::snprintf(hex, sizeof hex, "unexpected byte 0x%02X", unsigned(s[0]));
        return hex;
    }
    return "unexpected '" + std::string(text + offset, len) + "'";
}

} // namespace

bool readFrameCount(const char* text, size_t length, int64_t* frames, TextError* error)
{
    size_t i = 0;
    while (i < length && ELKChar_IsBlankOrLineEnd(text[i])) ++i;
    const bool negative = i < length && text[i] == '-';
    if (i < length && (text[i] == '-' || text[i] == '+')) ++i;
    const size_t digits = i;
    // Counted as a negative number so that the most negative count fits.
    int64_t value = 0;
    for (; i < length && ELKChar_IsDigit(text[i]); ++i) {
        const int digit = text[i] - '0';
        if (value < (INT64_MIN + digit) / 10) {
            error->offset = digits;
            error->reason = ELKDuration_FaultText(ELK_DURATION_FAULT_OUT_OF_RANGE);
            return false;
        }
        value = value * 10 - digit;
    }
    size_t end = i;
    while (end < length && ELKChar_IsBlankOrLineEnd(text[end])) ++end;
    if (i == digits || end < length) {
        error->offset = i == digits ? i : end;
        // Only a sign before the end leaves a value incomplete.
        const bool sign = digits > 0 && !ELKChar_IsBlankOrLineEnd(text[digits - 1]);
        const int8_t fault = i < length ? ELK_DURATION_FAULT_UNEXPECTED
            : sign                      ? ELK_DURATION_FAULT_INCOMPLETE
                                        : ELK_DURATION_FAULT_EMPTY;
        error->reason = i == digits ? describeFault(text, length, i, fault) : unexpected(text, length, end);
        return false;
    }
    if (!negative && value == INT64_MIN) {
        error->offset = digits;
        error->reason = ELKDuration_FaultText(ELK_DURATION_FAULT_OUT_OF_RANGE);
        return false;
    }
    *frames = negative ? value : -value;
    return true;
}

bool readTime(const char* text, size_t length, bool realTime, ELKDuration_t* d, TextError* error)
{
    // The library counts lengths in 32 bits; nothing that long is a time.
    if (length > 4096) {
        error->offset = 0;
        error->reason = "value too long";
        return false;
    }
    int32_t at = 0;
    int8_t fault = ELK_DURATION_FAULT_NONE;
    const int32_t n = int32_t(length);
    ELKDurationFields_t skipped;
    const int8_t result = realTime ? ELKDuration_FromRealTime(d, text, n, &at, &fault)
                                   : ELKDuration_FromTextStrict(d, text, n, &at, &skipped, &fault);
    if (result == ELK_OK) return true;
    error->offset = at < 0 ? 0 : size_t(at) > length ? length : size_t(at);
    error->reason = fault == ELK_DURATION_FAULT_NO_SUCH_LABEL
        ? describeSkipped(skipped, d->base)
        : describeFault(text, length, error->offset, fault);
    return false;
}

std::string describeSkipped(const ELKDurationFields_t& label, const ELKTimebase_t& tb)
{
    char text[2 * ELK_DURATION_TEXT_MAX];
    const int32_t n = ELKDuration_SkippedText(&tb, &label, text, sizeof text);
    return std::string(text, n > 0 ? size_t(n) : 0);
}

std::string describeFault(const char* text, size_t length, size_t offset, int8_t fault)
{
    // A character out of place is named, so that the user sees which one.
    if (fault == ELK_DURATION_FAULT_UNEXPECTED && offset < length) return unexpected(text, length, offset);
    return ELKDuration_FaultText(fault);
}

int64_t columnAt(const char* text, size_t offset)
{
    int64_t column = 1;
    for (size_t i = 0; i < offset; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++column;
    return column;
}
