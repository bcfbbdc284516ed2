// Small helpers shared by the library's tests.
#ifndef ELK_TEST_SUPPORT_H
#define ELK_TEST_SUPPORT_H

#include "ELKTimecode.h"

inline ELKTimecode_t record(ELKFrameRate_t rate, uint32_t frames = 0, int8_t labelMode = ELK_TRUE)
{
    ELKTimecode_t tc;
    ELKTimecode_Init(&tc);
    tc.rate = rate;
    tc.frames = frames;
    tc.labelMode = labelMode;
    return tc;
}

// Compares addresses; QCOMPARE would compare char pointers as C strings.
inline const void* ptr(const void* p)
{
    return p;
}

#endif
