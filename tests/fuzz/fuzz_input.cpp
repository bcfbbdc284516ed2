// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the one entry point, as horodex-tc sum reads a
// first input: the table of formats, the refusals of XML and JSON that are
// no timeline, and every reader behind it. Checks what any read leaves:
// errors in the order of the text, worded; lengths at the input's own rate
// only where it has one; totals that add up.
#include <cstdlib>
#include <cstring>
#include <memory>

#include "ELKInput.h"

namespace
{

void check(bool ok)
{
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20)) return 0;
    // From an exact-size block, so a read past its end is caught.
    std::unique_ptr<char[]> copy(new char[size ? size : 1]);
    if (size) std::memcpy(copy.get(), data, size);
    ELKTimebase_t tb;
    check(ELKTimebase_Set(&tb, 30, 1, ELK_FALSE) == ELK_OK);
    ELKList_t l;
    ELKList_Init(&l, &tb, ELK_RATE_FROM_DEFAULT);
    const ELKReadOptions_t own { ELK_RATE_OWN };
    const int8_t result = ELKInput_ReadBytes(&l, size ? copy.get() : nullptr, int64_t(size), &own);
    check(result == (l.errorCount == 0 ? ELK_OK : ELK_ERROR));
    check(l.inputs >= 1);
    int64_t sum = 0;
    for (int64_t i = 0; i < l.entryCount; ++i) {
        sum += l.entries[i].duration;
        check(l.entries[i].running == sum);
    }
    check(l.sum == sum);
    for (int64_t i = 0; i < l.errorCount; ++i) {
        const ELKListError_t& e = l.errors[i];
        if (i > 0) {
            const ELKListError_t& before = l.errors[i - 1];
            check(before.line < e.line || (before.line == e.line && before.column <= e.column));
        }
        char reason[ELK_LIST_REASON_MAX];
        const int32_t n = ELKList_ErrorText(&l, &e, reason, sizeof reason);
        check(n > 0 && std::strlen(reason) == size_t(n));
    }
    for (int32_t i = 0; i < l.inputs; ++i) {
        const ELKListInput_t& in = l.inputList[i];
        check(in.format >= ELK_FORMAT_NONE && in.format < ELK_FORMAT_COUNT);
        if (in.hasOwnLength == ELK_TRUE)
            check(in.hasRate == ELK_TRUE && in.hasLength == ELK_TRUE && in.ownLength >= 0);
    }
    ELKList_Destroy(&l);
    return 0;
}
