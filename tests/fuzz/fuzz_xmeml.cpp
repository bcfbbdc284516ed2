// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the xmeml reader; see fuzz_timeline.h for what is checked.
#include "ELKXmeml.h"
#include "fuzz_timeline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzTimeline(ELKXmeml_Read, data, size);
    return 0;
}
