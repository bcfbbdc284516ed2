// SPDX-License-Identifier: MIT
#include "ELKReaderSupport.h"

#include <cstdarg>
#include <cstdio>

namespace
{

bool parse(pugi::xml_document* doc, const char* text, int64_t length, pugi::xml_parse_result* result)
{
    if (!text || length < 0) length = 0;
    // The text is UTF-8 already: a declaration naming another encoding must not decode it twice.
    *result = doc->load_buffer(text ? text : "", size_t(length), pugi::parse_default, pugi::encoding_utf8);
    return bool(*result);
}

} // namespace

bool ELKXml_Load(pugi::xml_document* doc, ELKList_t* list, const char* text, int64_t length)
{
    pugi::xml_parse_result result;
    if (parse(doc, text, length, &result)) return true;
    ELKTextPosition_t where;
    ELKTextPosition_Init(&where, text, length);
    int64_t line;
    int32_t column;
    ELKTextPosition_Find(&where, result.offset, &line, &column);
    ELKList_BeginInput(list, ELK_FORMAT_NONE);
    ELKReader_Error(list, line, column, ELK_FAULT_NOT_WELL_FORMED, "%s", result.description());
    ELKList_EndInput(list);
    return false;
}

bool ELKXml_Peek(pugi::xml_document* doc, const char* text, int64_t length)
{
    pugi::xml_parse_result result;
    return parse(doc, text, length, &result);
}

void ELKXml_Position(ELKTextPosition_t* where, pugi::xml_node node, int64_t* line, int32_t* column)
{
    // offset_debug points at the element's name, one past its '<'.
    const ptrdiff_t at = node.offset_debug();
    ELKTextPosition_Find(where, at > 0 ? at - 1 : 0, line, column);
}

void ELKReader_Error(ELKList_t* list, int64_t line, int32_t column, int8_t fault, const char* format, ...)
{
    char detail[200];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(detail, sizeof detail, format, args);
    va_end(args);
    if (n < 0) n = 0;
    if (n >= int(sizeof detail)) n = int(sizeof detail) - 1;
    ELKList_AddError(list, line, column, fault, n ? detail : nullptr, n);
}

namespace
{

bool span(const ELKRational_t* start, const ELKRational_t* end, const ELKTimebase_t* tb, int64_t* frames)
{
    int64_t first, last;
    if (ELKRational_ToFrames(start, tb, &first) != ELK_OK || ELKRational_ToFrames(end, tb, &last) != ELK_OK
        || __builtin_sub_overflow(last, first, frames))
        return false;
    if (*frames < 0) *frames = 0;
    return true;
}

} // namespace

void ELKReader_SetLength(ELKList_t* list, const ELKRational_t* start, const ELKRational_t* end)
{
    int64_t frames;
    if (!list || list->inputs < 0 || !span(start, end, &list->base, &frames)) return;
    ELKList_SetLength(list, frames);
    const ELKListInput_t& in = list->inputList[list->inputs];
    if (in.hasRate == ELK_TRUE && span(start, end, &in.rate, &frames)) ELKList_SetOwnLength(list, frames);
}

void ELKReader_NoTimeline(ELKList_t* list, int8_t format)
{
    ELKList_BeginInput(list, format);
    ELKList_AddError(list, 0, 0, ELK_FAULT_NO_TIMELINE, nullptr, 0);
    ELKList_EndInput(list);
}
