// SPDX-License-Identifier: MIT
// Data that is no timeline: XML whose root is no timeline Horodex reads, and
// JSON that is no OpenTimelineIO file. Each is one error about the whole
// input, never an empty plain list.
#ifndef ELKNOTTIMELINE_H
#define ELKNOTTIMELINE_H

#include <cstdint>

#include "ELKListBuilder.h"

// Whether UTF-8 text is XML: it starts with a declaration, or its first
// element and everything after it parse as XML. root: past a byte-order
// mark and the prolog.
bool ELKNotTimeline_IsXml(const char* text, const char* root, const char* end);

// Whether text from root on (past blanks) is one JSON object: "{", then a
// key or "}", and "}" last.
bool ELKNotTimeline_IsJsonObject(const char* root, const char* end);

// Adds an input that could not be read: one error, ELK_FAULT_XML_NOT_TIMELINE
// with the root's name (or ELK_FAULT_NOT_WELL_FORMED at the parser's place),
// or ELK_FAULT_JSON_NOT_OTIO. ELK_ERROR always.
int8_t ELKNotTimeline_ReadXml(ELKList_t* list, const char* text, int64_t length, ELKRatePolicy_t policy);
int8_t ELKNotTimeline_ReadJson(ELKList_t* list, const char* text, int64_t length, ELKRatePolicy_t policy);

#endif
