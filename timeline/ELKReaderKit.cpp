// SPDX-License-Identifier: MIT
#include "ELKReaderKit.h"

#include <cstring>

void ELKReader_Start(ELKReaderRun_t* r, ELKList_t* list, ELKListFormat_t format, ELKRatePolicy_t policy,
    const char* text, int64_t length)
{
    *r = ELKReaderRun_t {};
    r->list = list;
    r->format = format;
    r->policy = policy;
    r->errorsBefore = list->errorCount;
    ELKTextPosition_Init(&r->where, text, length);
}

void ELKReader_Begin(ELKReaderRun_t* r, const char* name, int32_t nameLength, const ELKTimebase_t* rate)
{
    r->any = true;
    ELKList_BeginInput(r->list, r->format);
    if (name && nameLength > 0) ELKList_SetInputName(r->list, name, nameLength);
    // Before any entry, so that the list's timebase is settled while nothing is counted.
    if (rate) ELKList_SetInputRate(r->list, rate, r->policy);
}

bool ELKReader_AddSpan(ELKReaderRun_t* r, int64_t line, int32_t column, const char* label,
    int32_t labelLength, const char* track, int32_t trackLength, const ELKRational_t* in,
    const ELKRational_t* out)
{
    int64_t first, last, length;
    if (ELKRational_ToFrames(in, &r->list->base, &first) != ELK_OK
        || ELKRational_ToFrames(out, &r->list->base, &last) != ELK_OK
        || __builtin_sub_overflow(last, first, &length)) {
        ELKReader_Fault(r, line, column, ELK_FAULT_TIME_TOO_LARGE);
        return false;
    }
    ELKList_AddEntry(r->list, line, label, labelLength, track, trackLength, ELK_TRUE, first, last, length);
    return true;
}

namespace
{

// end - start, each rounded once to a frame at tb; none below zero.
bool span(const ELKRational_t* start, const ELKRational_t* end, const ELKTimebase_t& tb, int64_t* length)
{
    int64_t first, last;
    if (ELKRational_ToFrames(start, &tb, &first) != ELK_OK || ELKRational_ToFrames(end, &tb, &last) != ELK_OK
        || __builtin_sub_overflow(last, first, length))
        return false;
    if (*length < 0) *length = 0;
    return true;
}

} // namespace

void ELKReader_SetLength(ELKReaderRun_t* r, const ELKRational_t* start, const ELKRational_t* end)
{
    int64_t length;
    if (!span(start, end, r->list->base, &length)) return;
    ELKList_SetLength(r->list, length);
    // At its own rate too, so that a program can give each length beside the rate it is counted at.
    const ELKListInput_t& in = r->list->inputList[r->list->inputs];
    if (in.hasRate == ELK_TRUE && span(start, end, in.rate, &length)) ELKList_SetOwnLength(r->list, length);
}

void ELKReader_Fault(ELKReaderRun_t* r, int64_t line, int32_t column, ELKListFault_t fault, const char* name)
{
    ELKList_AddError(r->list, line, column, fault, name, name ? int32_t(std::strlen(name)) : 0);
}

void ELKReader_End(ELKReaderRun_t* r)
{
    ELKList_EndInput(r->list);
}

int8_t ELKReader_Finish(ELKReaderRun_t* r)
{
    if (!r->any) ELKList_Refuse(r->list, r->format, 0, 0, ELK_FAULT_NO_TIMELINE);
    return r->list->errorCount == r->errorsBefore ? ELK_OK : ELK_ERROR;
}

bool ELKXml_Load(pugi::xml_document* doc, ELKList_t* list, const char* text, int64_t length)
{
    if (!text || length < 0) length = 0;
    // The text is UTF-8 already: a declaration naming another encoding must not decode it twice.
    const pugi::xml_parse_result result
        = doc->load_buffer(text ? text : "", size_t(length), pugi::parse_default, pugi::encoding_utf8);
    if (result) return true;
    ELKTextPosition_t where;
    ELKTextPosition_Init(&where, text, length);
    int64_t line;
    int32_t column;
    ELKTextPosition_Find(&where, result.offset, &line, &column);
    const char* why = result.description();
    ELKList_Refuse(
        list, ELK_FORMAT_NONE, line, column, ELK_FAULT_NOT_WELL_FORMED, why, int32_t(std::strlen(why)));
    return false;
}

void ELKXml_Position(ELKReaderRun_t* r, pugi::xml_node node, int64_t* line, int32_t* column)
{
    // offset_debug points at the element's name, one past its '<'.
    const ptrdiff_t at = node.offset_debug();
    ELKTextPosition_Find(&r->where, at > 0 ? at - 1 : 0, line, column);
}

void ELKXml_Fault(ELKReaderRun_t* r, pugi::xml_node node, ELKListFault_t fault, const char* name)
{
    int64_t line;
    int32_t column;
    ELKXml_Position(r, node, &line, &column);
    ELKReader_Fault(r, line, column, fault, name);
}
