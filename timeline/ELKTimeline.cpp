// SPDX-License-Identifier: MIT
#include "ELKTimeline.h"

#include <cstring>

#include "ELKAle.h"
#include "ELKFcpxml.h"
#include "ELKOtio.h"
#include "ELKText.h"
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

// What is no text at all goes to the list reader, which says so.
int8_t formatOf(const ELKText_t& text)
{
    return text.binary == ELK_TRUE ? int8_t(ELK_FORMAT_LIST) : ELKTimeline_Detect(text.utf8, text.length);
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

int8_t ELKTimeline_Read(ELKList_t* list, const char* bytes, int64_t length)
{
    // Lists and EDLs, and input that is no text at all, go to the list reader whole: it decodes
    // them and reports what it cannot read itself.
    ELKText_t text;
    if (!list || length < 0 || (!bytes && length) || ELKText_Decode(&text, bytes, length) != ELK_OK)
        return ELKList_Read(list, bytes, length);
    int8_t result;
    switch (formatOf(text)) {
    case ELK_FORMAT_FCPXML:
        result = ELKFcpxml_Read(list, text.utf8, text.length);
        break;
    case ELK_FORMAT_XMEML:
        result = ELKXmeml_Read(list, text.utf8, text.length);
        break;
    case ELK_FORMAT_OTIO:
        result = ELKOtio_Read(list, text.utf8, text.length);
        break;
    case ELK_FORMAT_ALE:
        result = ELKAle_Read(list, text.utf8, text.length);
        break;
    default:
        result = ELKList_Read(list, bytes, length);
    }
    ELKText_Destroy(&text);
    return result;
}

int8_t ELKTimeline_OwnRate(const char* bytes, int64_t length, ELKTimebase_t* rate)
{
    ELKText_t text;
    if (!rate || length < 0 || (!bytes && length) || ELKText_Decode(&text, bytes, length) != ELK_OK)
        return ELK_ERROR;
    int8_t result = ELK_ERROR;
    switch (formatOf(text)) {
    case ELK_FORMAT_FCPXML:
        result = ELKFcpxml_OwnRate(text.utf8, text.length, rate);
        break;
    case ELK_FORMAT_XMEML:
        result = ELKXmeml_OwnRate(text.utf8, text.length, rate);
        break;
    case ELK_FORMAT_OTIO:
        result = ELKOtio_OwnRate(text.utf8, text.length, rate);
        break;
    case ELK_FORMAT_ALE:
        result = ELKAle_OwnRate(text.utf8, text.length, rate);
        break;
    default:
        break;
    }
    ELKText_Destroy(&text);
    return result;
}
