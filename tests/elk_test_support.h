// SPDX-License-Identifier: MIT
// Small helpers shared by the library's tests.
#ifndef ELK_TEST_SUPPORT_H
#define ELK_TEST_SUPPORT_H

#include <QByteArray>

#include <cstring>
#include <memory>

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

// An exact-size heap copy with no zero byte after it, so that AddressSanitizer
// catches any read past the counted length.
inline std::unique_ptr<char[]> exactCopy(const QByteArray& bytes)
{
    std::unique_ptr<char[]> p(new char[size_t(bytes.size()) + (bytes.isEmpty() ? 1 : 0)]);
    std::memcpy(p.get(), bytes.constData(), size_t(bytes.size()));
    return p;
}

#endif
