// SPDX-License-Identifier: MIT
#include "ELKTimeline.h"

#include <cstring>

#include "ELKAle.h"
#include "ELKFcpxml.h"
#include "ELKOtio.h"
#include "ELKXmeml.h"

namespace
{

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Past blanks and, in XML, declarations, comments and a document type.
const char* skipProlog(const char* p, const char* end)
{
    for (;;) {
        while (p < end && isSpace(*p)) ++p;
        if (end - p < 2 || p[0] != '<' || (p[1] != '?' && p[1] != '!')) return p;
        const bool comment = end - p >= 4 && std::memcmp(p, "<!--", 4) == 0;
        const char* close = comment ? "-->" : ">";
        const char* q = p + 2;
        int32_t brackets = 0; // a document type may hold an internal subset in [...]
        for (; q < end; ++q) {
            if (!comment && *q == '[') ++brackets;
            if (!comment && *q == ']') --brackets;
            if (brackets <= 0 && end - q >= int64_t(std::strlen(close))
                && std::memcmp(q, close, std::strlen(close)) == 0)
                break;
        }
        if (q >= end) return end;
        p = q + std::strlen(close);
    }
}

bool rootIs(const char* p, const char* end, const char* name)
{
    const size_t n = std::strlen(name);
    if (size_t(end - p) < n + 2 || *p != '<' || std::memcmp(p + 1, name, n) != 0) return false;
    const char c = p[n + 1];
    return isSpace(c) || c == '>' || c == '/';
}

bool memContains(const char* p, const char* end, const char* word)
{
    const size_t n = std::strlen(word);
    for (; size_t(end - p) >= n; ++p) {
        p = static_cast<const char*>(std::memchr(p, word[0], size_t(end - p) - n + 1));
        if (!p) return false;
        if (std::memcmp(p, word, n) == 0) return true;
    }
    return false;
}

} // namespace

int8_t ELKTimeline_Detect(const char* text, int64_t length)
{
    if (!text || length <= 0) return ELK_FORMAT_LIST;
    const char* end = text + length;
    const char* p = text;
    if (length >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) p += 3;
    const char* start = skipProlog(p, end);
    if (rootIs(start, end, "fcpxml")) return ELK_FORMAT_FCPXML;
    if (rootIs(start, end, "xmeml")) return ELK_FORMAT_XMEML;
    if (start < end && *start == '{' && memContains(start, end, "\"OTIO_SCHEMA\"")) return ELK_FORMAT_OTIO;
    if (ELKAle_Detect(p, end - p) == ELK_TRUE) return ELK_FORMAT_ALE;
    return ELK_FORMAT_LIST;
}

int8_t ELKTimeline_Read(ELKList_t* list, const char* text, int64_t length)
{
    switch (ELKTimeline_Detect(text, length)) {
    case ELK_FORMAT_FCPXML:
        return ELKFcpxml_Read(list, text, length);
    case ELK_FORMAT_XMEML:
        return ELKXmeml_Read(list, text, length);
    case ELK_FORMAT_OTIO:
        return ELKOtio_Read(list, text, length);
    case ELK_FORMAT_ALE:
        return ELKAle_Read(list, text, length);
    default:
        return ELKList_Read(list, text, length);
    }
}

int8_t ELKTimeline_OwnRate(const char* text, int64_t length, ELKTimebase_t* rate)
{
    switch (ELKTimeline_Detect(text, length)) {
    case ELK_FORMAT_FCPXML:
        return ELKFcpxml_OwnRate(text, length, rate);
    case ELK_FORMAT_XMEML:
        return ELKXmeml_OwnRate(text, length, rate);
    case ELK_FORMAT_OTIO:
        return ELKOtio_OwnRate(text, length, rate);
    case ELK_FORMAT_ALE:
        return ELKAle_OwnRate(text, length, rate);
    default:
        return ELK_ERROR;
    }
}
