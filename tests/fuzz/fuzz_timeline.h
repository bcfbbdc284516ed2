// SPDX-License-Identifier: MIT
// What every timeline reader must leave behind, whatever bytes it is given:
// inputs that close, entries on the record timeline (in <= out, duration
// out - in, a line), errors with a fault, totals that add up. Shared by the
// four fuzz targets, one per reader.
#ifndef FUZZ_TIMELINE_H
#define FUZZ_TIMELINE_H

#include <cstdlib>
#include <cstring>
#include <memory>

#include "ELKListBuilder.h"

namespace
{

void check(bool ok)
{
    if (!ok) std::abort();
}

bool inPool(const ELKList_t& l, int64_t at, int32_t length)
{
    return length >= 0 && at >= 0 && at + length <= l.textLength;
}

using Reader = int8_t (*)(ELKList_t*, const char*, int64_t, ELKRatePolicy_t);

// Reads from an exact-size block, so a read past its end is caught.
void fuzzTimeline(Reader read, const uint8_t* data, size_t size)
{
    if (size > (1u << 20)) return;
    std::unique_ptr<char[]> copy(new char[size ? size : 1]);
    if (size) std::memcpy(copy.get(), data, size);
    ELKTimebase_t tb;
    check(ELKTimebase_Set(&tb, 24000, 1001, ELK_FALSE) == ELK_OK);
    ELKList_t l;
    ELKList_Init(&l, &tb);
    // The file's own rate may take over, as it does for horodex-tc sum's first input.
    const int8_t result = read(&l, size ? copy.get() : nullptr, int64_t(size), ELK_RATE_OWN);
    check(result == (l.errorCount == 0 ? ELK_OK : ELK_ERROR));
    check(l.inputs >= 1);
    int64_t sum = 0, entries = 0, errors = 0, leftOut = 0;
    for (int64_t i = 0; i < l.entryCount; ++i) {
        const ELKListEntry_t& e = l.entries[i];
        check(e.line >= 1 && inPool(l, e.label, e.labelLength) && inPool(l, e.track, e.trackLength));
        check(e.hasInOut == ELK_TRUE && e.in <= e.out && e.duration == e.out - e.in);
        sum += e.duration;
        check(e.running == sum);
    }
    check(l.sum == sum);
    for (int64_t i = 0; i < l.errorCount; ++i) {
        const ELKListError_t& e = l.errors[i];
        check(e.fault > ELK_FAULT_NONE && e.fault < ELK_FAULT_COUNT);
        check((e.line == 0) == (e.column == 0) && e.line >= 0 && e.column >= 0);
        check(inPool(l, e.detail, e.detailLength));
        char reason[ELK_LIST_REASON_MAX];
        check(ELKList_ErrorText(&l, &e, reason, sizeof reason) > 0);
    }
    for (int32_t i = 0; i < l.inputs; ++i) {
        const ELKListInput_t& in = l.inputList[i];
        entries += in.entries;
        errors += in.errors;
        leftOut += in.leftOut;
        check(in.hasLength != ELK_TRUE || in.length >= 0);
        check(in.hasOwnLength != ELK_TRUE
            || (in.hasRate == ELK_TRUE && in.hasLength == ELK_TRUE && in.ownLength >= 0));
    }
    check(entries == l.entryCount && errors == l.errorCount && leftOut == l.leftOut);
    ELKList_Destroy(&l);
}

} // namespace

#endif
