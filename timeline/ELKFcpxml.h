// SPDX-License-Identifier: MIT
// Final Cut Pro XML (root element fcpxml): one input per project, its
// sequence's spine and everything connected to it.
//
// Times are exact rationals ("1001/30000s"); a child's time maps into its
// parent as parent.offset + (child.offset - parent.start). Entries are the
// clip-like items (asset-clip, clip, ref-clip, sync-clip, mc-clip, video,
// audio, title; an audition's active pick) with their positions on the
// sequence, tcStart included. Tracks: "Primary" for the primary storyline,
// "Lane N" for each lane (connected spines put their items on their lane).
// The length runs from tcStart to the latest end of the primary storyline
// (gaps included) or of a connected item.
//
// Text is UTF-8, as ELKInput decodes it; positions count in it. The rate a
// timeline declares is taken under policy (ELKList_SetInputRate).
#ifndef ELKFCPXML_H
#define ELKFCPXML_H

#include <cstdint>

#include "ELKListBuilder.h"

// Adds one input per project (one with an error when there is none, or when
// the XML is not well-formed); a project's own rate is its sequence format's
// frameDuration, drop frame with tcFormat="DF". ELK_OK when no error was added.
int8_t ELKFcpxml_Read(ELKList_t* list, const char* text, int64_t length, ELKRatePolicy_t policy);

#endif
