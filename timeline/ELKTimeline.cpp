// SPDX-License-Identifier: MIT
#include "ELKTimeline.h"

#include <cstring>

#include "ELKAle.h"
#include "ELKFcpxml.h"
#include "ELKNotTimeline.h"
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

// Where the content starts: after a UTF-8 mark, and for XML after its prolog.
struct Start {
    const char* text;
    const char* root;
    const char* end;
};

// One row per timeline format, tried in order; anything else is a list or an EDL.
struct Format {
    int8_t format;
    bool (*detect)(const Start& s);
    int8_t (*read)(ELKList_t* list, const char* text, int64_t length);
    int8_t (*ownRate)(const char* text, int64_t length, ELKTimebase_t* rate);
};

const Format kFormats[] = {
    { ELK_FORMAT_FCPXML, [](const Start& s) { return rootIs(s.root, s.end, "fcpxml"); }, ELKFcpxml_Read,
        ELKFcpxml_OwnRate },
    { ELK_FORMAT_XMEML, [](const Start& s) { return rootIs(s.root, s.end, "xmeml"); }, ELKXmeml_Read,
        ELKXmeml_OwnRate },
    { ELK_FORMAT_OTIO,
        [](const Start& s) {
            return s.root < s.end && *s.root == '{' && memContains(s.root, s.end, "\"OTIO_SCHEMA\"");
        },
        ELKOtio_Read, ELKOtio_OwnRate },
    { ELK_FORMAT_ALE, [](const Start& s) { return ELKAle_Detect(s.text, s.end - s.text) == ELK_TRUE; },
        ELKAle_Read, ELKAle_OwnRate },
    // Data of another kind: one error, not an empty list.
    { ELK_FORMAT_NONE, [](const Start& s) { return ELKNotTimeline_IsXml(s.text, s.root, s.end); },
        ELKNotTimeline_ReadXml, [](const char*, int64_t, ELKTimebase_t*) { return int8_t(ELK_ERROR); } },
    { ELK_FORMAT_NONE, [](const Start& s) { return ELKNotTimeline_IsJsonObject(s.root, s.end); },
        ELKNotTimeline_ReadJson, [](const char*, int64_t, ELKTimebase_t*) { return int8_t(ELK_ERROR); } },
};

const Format* formatOf(const char* text, int64_t length)
{
    if (!text || length <= 0) return nullptr;
    Start s { text, nullptr, text + length };
    if (length >= 3 && std::memcmp(text, "\xEF\xBB\xBF", 3) == 0) s.text += 3;
    s.root = skipProlog(s.text, s.end);
    for (const Format& f : kFormats)
        if (f.detect(s)) return &f;
    return nullptr;
}

// What is no text at all goes to the list reader, which says so.
const Format* formatOf(const ELKText_t& text)
{
    return text.binary == ELK_TRUE ? nullptr : formatOf(text.utf8, text.length);
}

} // namespace

int8_t ELKTimeline_Detect(const char* text, int64_t length)
{
    const Format* f = formatOf(text, length);
    return f ? f->format : int8_t(ELK_FORMAT_LIST);
}

int8_t ELKTimeline_ReadText(ELKList_t* list, const ELKText_t* text)
{
    if (!list || !text) return ELK_ERROR;
    if (text->binary == ELK_TRUE) {
        if (ELKList_BeginInput(list, ELK_FORMAT_NONE) != ELK_OK) return ELK_ERROR;
        ELKList_AddError(list, 0, 0, ELK_FAULT_NOT_TEXT, nullptr, 0);
        ELKList_EndInput(list);
        return ELK_ERROR;
    }
    const Format* f = formatOf(*text);
    return f ? f->read(list, text->utf8, text->length) : ELKList_ReadUtf8(list, text->utf8, text->length);
}

int8_t ELKTimeline_Read(ELKList_t* list, const char* bytes, int64_t length)
{
    // Input that cannot be decoded goes to the list reader whole, which says why.
    ELKText_t text;
    if (!list || length < 0 || (!bytes && length) || ELKText_Decode(&text, bytes, length) != ELK_OK)
        return ELKList_Read(list, bytes, length);
    const int8_t result = ELKTimeline_ReadText(list, &text);
    ELKText_Destroy(&text);
    return result;
}

int8_t ELKTimeline_OwnRate(const char* bytes, int64_t length, ELKTimebase_t* rate)
{
    ELKText_t text;
    if (!rate || length < 0 || (!bytes && length) || ELKText_Decode(&text, bytes, length) != ELK_OK)
        return ELK_ERROR;
    const Format* f = formatOf(text);
    const int8_t result
        = f ? f->ownRate(text.utf8, text.length, rate) : ELKList_OwnRate(text.utf8, text.length, rate);
    ELKText_Destroy(&text);
    return result;
}
