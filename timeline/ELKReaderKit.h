// SPDX-License-Identifier: MIT
// What the timeline readers share, so that each holds only what its format
// says: the read of a file (its timelines, their names and own rates, the
// input that says the file holds none), spans in exact seconds rounded once,
// faults with their place, and XML loading. Private to timeline/.
#ifndef ELKREADERKIT_H
#define ELKREADERKIT_H

#include <cstdint>
#include <pugixml.hpp>

#include "ELKListBuilder.h"
#include "ELKRational.h"
#include "ELKTextPosition.h"

// One file being read: Start, then Begin ... End for each timeline in it,
// then Finish.
struct ELKReaderRun_t {
    ELKList_t* list;
    ELKListFormat_t format;
    ELKRatePolicy_t policy;
    ELKTextPosition_t where; // lines and columns of byte offsets in the text
    int64_t errorsBefore;
    bool any; // a timeline was begun
};

void ELKReader_Start(ELKReaderRun_t* r, ELKList_t* list, ELKListFormat_t format, ELKRatePolicy_t policy,
    const char* text, int64_t length);

// Opens an input for one timeline, with its name (null for none) and the
// rate it declares (null for none).
void ELKReader_Begin(ELKReaderRun_t* r, const char* name, int32_t nameLength, const ELKTimebase_t* rate);

// Adds the item [in, out), given in exact seconds, as an entry: each end is
// rounded once to the nearest frame of the list's timebase, halves away from
// zero. False when a time passes 64 bits of frames: ELK_FAULT_TIME_TOO_LARGE
// at the item instead. (The list may still refuse the entry itself, with an
// error of its own, when a total would pass 64 bits.)
bool ELKReader_AddSpan(ELKReaderRun_t* r, int64_t line, int32_t column, const char* label,
    int32_t labelLength, const char* track, int32_t trackLength, const ELKRational_t* in,
    const ELKRational_t* out);

// The timeline's length, from its start to its latest end in exact seconds,
// each rounded once; none below zero. Where the timeline declares a rate,
// its length at that rate too.
void ELKReader_SetLength(ELKReaderRun_t* r, const ELKRational_t* start, const ELKRational_t* end);

// A fault at a place, with the name it cites (null for none).
void ELKReader_Fault(
    ELKReaderRun_t* r, int64_t line, int32_t column, ELKListFault_t fault, const char* name = nullptr);

void ELKReader_End(ELKReaderRun_t* r);

// Closes the file: one input saying it holds no timeline when none was
// begun. ELK_OK when the file added no error.
int8_t ELKReader_Finish(ELKReaderRun_t* r);

// Parses XML. When it is not well-formed, adds an input that could not be
// read with one error at the parser's line and column, and returns false.
bool ELKXml_Load(pugi::xml_document* doc, ELKList_t* list, const char* text, int64_t length);

// The read of an XML file: parse, then each(run, root element) adds its
// timelines, then finish. One error when the XML is not well-formed.
template <typename Each>
int8_t ELKXml_Read(ELKList_t* list, ELKListFormat_t format, ELKRatePolicy_t policy, const char* text,
    int64_t length, Each each)
{
    pugi::xml_document doc;
    if (!list || !ELKXml_Load(&doc, list, text, length)) return ELK_ERROR;
    ELKReaderRun_t run;
    ELKReader_Start(&run, list, format, policy, text, length);
    each(&run, doc.document_element());
    return ELKReader_Finish(&run);
}

// The line and column of a node's start tag.
void ELKXml_Position(ELKReaderRun_t* r, pugi::xml_node node, int64_t* line, int32_t* column);

// A fault at a node's start tag, with the name it cites (null for none).
void ELKXml_Fault(ELKReaderRun_t* r, pugi::xml_node node, ELKListFault_t fault, const char* name = nullptr);

// Nesting deeper than this is an error: a file must not exhaust the stack.
constexpr int32_t ELK_READER_DEPTH_MAX = 64;

#endif
