// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the fcpxml reader; see fuzz_timeline.h for what is checked.
#include "ELKFcpxml.h"
#include "fuzz_timeline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzTimeline(ELKFcpxml_Read, data, size);
    return 0;
}
