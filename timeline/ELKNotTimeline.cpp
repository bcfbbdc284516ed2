// SPDX-License-Identifier: MIT
#include "ELKNotTimeline.h"

#include <cstring>

#include "ELKReaderKit.h"

namespace
{

bool startsName(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || uint8_t(c) >= 0x80;
}

} // namespace

bool ELKNotTimeline_IsXml(const char* text, const char* root, const char* end)
{
    if (end - text >= 5 && std::memcmp(text, "<?xml", 5) == 0) return true;
    if (end - root < 2 || root[0] != '<' || !startsName(root[1])) return false;
    // The parser passes over text after the root; XML holds nothing there but markup.
    const char* last = end;
    while (last > root && (last[-1] == ' ' || last[-1] == '\t' || last[-1] == '\n' || last[-1] == '\r'))
        --last;
    pugi::xml_document doc;
    if (last[-1] != '>'
        || !doc.load_buffer(text, size_t(end - text), pugi::parse_default, pugi::encoding_utf8))
        return false;
    int32_t elements = 0;
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) return false;
        elements += n.type() == pugi::node_element;
    }
    return elements == 1;
}

bool ELKNotTimeline_IsJsonObject(const char* root, const char* end)
{
    // "{" and a key or "}" first, "}" last: a list never opens so, and a file
    // this shaped is JSON that a parser would take or an editor broke.
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (end > root && blank(end[-1])) --end;
    if (end - root < 2 || root[0] != '{' || end[-1] != '}') return false;
    const char* p = root + 1;
    while (p < end && blank(*p)) ++p;
    return *p == '"' || p == end - 1;
}

int8_t ELKNotTimeline_ReadXml(ELKList_t* list, const char* text, int64_t length, ELKRatePolicy_t)
{
    pugi::xml_document doc;
    if (!ELKXml_Load(&doc, list, text, length)) return ELK_ERROR;
    const char* name = doc.document_element().name();
    return ELKList_Refuse(
        list, ELK_FORMAT_NONE, 0, 0, ELK_FAULT_XML_NOT_TIMELINE, name, int32_t(std::strlen(name)));
}

int8_t ELKNotTimeline_ReadJson(ELKList_t* list, const char*, int64_t, ELKRatePolicy_t)
{
    return ELKList_Refuse(list, ELK_FORMAT_NONE, 0, 0, ELK_FAULT_JSON_NOT_OTIO);
}
