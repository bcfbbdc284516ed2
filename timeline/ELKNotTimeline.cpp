// SPDX-License-Identifier: MIT
#include "ELKNotTimeline.h"

#include <cstring>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

#include "ELKReaderSupport.h"

namespace
{

bool startsName(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || uint8_t(c) >= 0x80;
}

int8_t refuse(ELKList_t* list, int8_t fault, const char* detail, int32_t length)
{
    if (ELKList_BeginInput(list, ELK_FORMAT_NONE) != ELK_OK) return ELK_ERROR;
    ELKList_AddError(list, 0, 0, fault, detail, length);
    ELKList_EndInput(list);
    return ELK_ERROR;
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
    if (last[-1] != '>' || !ELKXml_Peek(&doc, text, end - text)) return false;
    int32_t elements = 0;
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling()) {
        if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) return false;
        elements += n.type() == pugi::node_element;
    }
    return elements == 1;
}

bool ELKNotTimeline_IsJsonObject(const char* root, const char* end)
{
    if (root == end || *root != '{') return false;
    // Iterative, so that deep nesting cannot exhaust the stack.
    rapidjson::MemoryStream stream(root, size_t(end - root));
    rapidjson::Reader reader;
    rapidjson::BaseReaderHandler<> ignore;
    return !reader.Parse<rapidjson::kParseIterativeFlag | rapidjson::kParseNanAndInfFlag>(stream, ignore)
                .IsError();
}

int8_t ELKNotTimeline_ReadXml(ELKList_t* list, const char* text, int64_t length)
{
    pugi::xml_document doc;
    if (!ELKXml_Load(&doc, list, text, length)) return ELK_ERROR;
    const char* name = doc.document_element().name();
    return refuse(list, ELK_FAULT_XML_NOT_TIMELINE, name, int32_t(std::strlen(name)));
}

int8_t ELKNotTimeline_ReadJson(ELKList_t* list, const char*, int64_t)
{
    return refuse(list, ELK_FAULT_JSON_NOT_OTIO, nullptr, 0);
}
