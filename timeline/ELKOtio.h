// SPDX-License-Identifier: MIT
// OpenTimelineIO JSON (a root object with OTIO_SCHEMA): one input per
// Timeline (the root itself, or each in a SerializableCollection).
//
// Each top-level track is laid out from 0 as OTIO defines: items one after
// another, a gap takes its duration, a transition none, an item with a
// source_range that range's duration, else a clip its media's
// available_range, a stack its longest child and a track the sum of its
// children. Clips, nested stacks and nested tracks are entries on the track,
// named by its name or V1..., A1... by kind. The length is the longest track.
// Every RationalTime's rate within 1e-5 of a named timebase is taken as it.
//
// Text is UTF-8, as ELKInput decodes it; positions count in it. The rate a
// timeline declares is taken under policy (ELKList_SetInputRate).
#ifndef ELKOTIO_H
#define ELKOTIO_H

#include <cstdint>

#include "ELKListBuilder.h"

// Adds one input per timeline (one with an error when there is none, or when
// the JSON is not well-formed); a timeline's own rate is that of
// global_start_time, else of the first time in its tracks, drop frame when its
// metadata fcp_xml.timecode.displayformat is DF. ELK_OK when no error was added.
int8_t ELKOtio_Read(ELKList_t* list, const char* text, int64_t length, ELKRatePolicy_t policy);

#endif
