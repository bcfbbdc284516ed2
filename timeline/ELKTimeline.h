// SPDX-License-Identifier: MIT
// Timelines of editing systems read into a list: FCPXML, Final Cut Pro 7 XML
// (xmeml), OpenTimelineIO and Avid Log Exchange, else an EDL or plain list.
// The format is told by content, never by a file name.
#ifndef ELKTIMELINE_H
#define ELKTIMELINE_H

#include <cstdint>

#include "ELKList.h"
#include "ELKText.h"

// The format of UTF-8 text: ELK_FORMAT_FCPXML or ELK_FORMAT_XMEML for an XML root
// fcpxml or xmeml, ELK_FORMAT_OTIO for a JSON object with OTIO_SCHEMA,
// ELK_FORMAT_ALE for a first non-blank line "Heading" with a "Column" and a
// "Data" line after it, ELK_FORMAT_NONE for other XML and for a JSON object
// without OTIO_SCHEMA (read as one error), else ELK_FORMAT_LIST (an EDL, a
// plain list or subtitles).
int8_t ELKTimeline_Detect(const char* text, int64_t length);

// Reads one input of any known format into the list, at the list's timebase;
// a timeline file may add several inputs (one per project, sequence or
// timeline). The bytes are decoded as ELKText_Decode does (UTF-16 by its
// mark, UTF-8, else Windows-1252); positions are in the decoded text. Every
// time is rounded once to the nearest frame, halves away from zero, and each
// duration is out - in. ELK_OK when no error was added.
int8_t ELKTimeline_Read(ELKList_t* list, const char* bytes, int64_t length);

// The same for text already decoded.
int8_t ELKTimeline_ReadText(ELKList_t* list, const ELKText_t* text);

// The timebase the input declares, if any (a list's timebase is --rate, else
// the first input's own, else $HORODEX_RATE or 30). ELK_ERROR when it
// declares none or cannot be read.
int8_t ELKTimeline_OwnRate(const char* bytes, int64_t length, ELKTimebase_t* rate);

#endif
