// SPDX-License-Identifier: MIT
// What the timeline readers share: loading XML, where a node lies, errors
// with a detail.
#ifndef ELKREADERSUPPORT_H
#define ELKREADERSUPPORT_H

#include <cstdint>
#include <pugixml.hpp>

#include "ELKList.h"
#include "ELKRational.h"
#include "ELKTextPosition.h"

// Parses XML. When it is not well-formed, adds an input that could not be
// read with one error at the parser's line and column, and returns false.
bool ELKXml_Load(pugi::xml_document* doc, ELKList_t* list, const char* text, int64_t length);

// Parses XML for a look at its rate only: no input is added.
bool ELKXml_Peek(pugi::xml_document* doc, const char* text, int64_t length);

// The line and column of a node's start tag.
void ELKXml_Position(ELKTextPosition_t* where, pugi::xml_node node, int64_t* line, int32_t* column);

// An error whose detail is formatted as printf does; the detail is cut at 200 bytes.
void ELKReader_Error(ELKList_t* list, int64_t line, int32_t column, int8_t fault, const char* format, ...)
    __attribute__((format(printf, 5, 6)));

// Adds an input of the format with one error about the whole of it: the
// file holds no timeline.
void ELKReader_NoTimeline(ELKList_t* list, int8_t format);

// Sets the open input's length, end - start in seconds, each rounded once
// to a frame of the list's timebase and, where the input declares a rate of
// its own, of that rate too; below 0 it is 0. Nothing is set for a count
// that does not fit 64 bits.
void ELKReader_SetLength(ELKList_t* list, const ELKRational_t* start, const ELKRational_t* end);

// Nesting deeper than this is an error: a file must not exhaust the stack.
constexpr int32_t ELK_READER_DEPTH_MAX = 64;

#endif
