// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to every duration reader (timebase, label, running
// time, factor, feet) and checks what must always hold: a failed read changes
// nothing and points inside the text; a successful one writes text that reads
// back to the same value; the strict readers agree with the lenient ones
// except for refusing labels that drop frame skips.
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "ELKDuration.h"

namespace
{

void check(bool ok)
{
    if (!ok) std::abort();
}

// A failed read leaves the count alone and points inside the text.
void checkRead(int8_t result, const ELKDuration_t& d, int64_t before, int32_t errorAt, int32_t n)
{
    check(result == ELK_OK || result == ELK_ERROR);
    if (result == ELK_ERROR) check(d.frames == before && errorAt >= 0 && errorAt <= n);
}

void checkTimebase(const char* text, int32_t n)
{
    ELKTimebase_t tb;
    ELKTimebase_Named(&tb, 2);
    const ELKTimebase_t before = tb;
    if (ELKTimebase_FromText(&tb, text, n) != ELK_OK) {
        check(std::memcmp(&tb, &before, sizeof tb) == 0);
        return;
    }
    check(tb.num >= 1 && tb.num <= 1000000 && tb.den >= 1 && tb.den <= 1000000);
    check(tb.nominal >= 1 && tb.nominal <= 1000 && uint64_t(tb.nominal) * tb.den >= tb.num);
    char out[ELK_DURATION_TEXT_MAX];
    const int32_t length = ELKTimebase_ToText(&tb, out, sizeof out);
    ELKTimebase_t back;
    check(length > 0 && ELKTimebase_FromText(&back, out, length) == ELK_OK);
    check(ELKTimebase_Equal(&tb, &back) == ELK_TRUE);
}

// Fields, label text and the clipboard form all read back to the count.
void checkLabels(const ELKDuration_t& d)
{
    ELKDurationFields_t f;
    ELKDuration_GetFields(&d, &f);
    ELKDuration_t back = d;
    check(ELKDuration_SetFields(&back, f.negative, f.hours, f.minutes, f.seconds, f.frames) == ELK_OK);
    check(back.frames == d.frames);
    char out[ELK_DURATION_TEXT_MAX];
    for (int8_t period : { ELK_FALSE, ELK_TRUE }) {
        const int32_t length = ELKDuration_ToText(&d, out, sizeof out, period);
        back.frames = d.frames ^ 1;
        check(length > 0 && ELKDuration_FromText(&back, out, length, nullptr) == ELK_OK);
        check(back.frames == d.frames);
    }
}

// A strict result beside the lenient one: the same, or a label refused that
// the lenient reading took and that does not exist.
void checkStrict(int8_t lenient, const ELKDuration_t& ld, int8_t strict, const ELKDuration_t& sd,
    const ELKDurationFields_t& skipped, const ELKTimebase_t& at)
{
    check(strict == ELK_OK || strict == ELK_ERROR);
    if (strict == ELK_OK) {
        check(lenient == ELK_OK && sd.frames == ld.frames
            && ELKDuration_LabelExists(&at, &skipped) == ELK_TRUE);
        return;
    }
    check(ELKDuration_LabelExists(&at, &skipped) == ELK_TRUE ? lenient == ELK_ERROR : lenient == ELK_OK);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > (1u << 16)) return 0;
    // The first byte picks the timebase (or reads it from the text), the
    // second the count that scaling starts from; the rest is the text.
    const int32_t n = int32_t(size - 2);
    std::unique_ptr<char[]> text(new char[size_t(n)]); // exact size, no zero byte after it
    std::memcpy(text.get(), data + 2, size_t(n));

    checkTimebase(text.get(), n);
    ELKTimebase_t tb;
    if (ELKTimebase_Named(&tb, data[0] % 16) != ELK_OK && ELKTimebase_FromText(&tb, text.get(), n) != ELK_OK)
        ELKTimebase_Named(&tb, 14);

    const int64_t starts[] = { 0, 1, -1, 777, -123456789, INT64_MAX / 3, INT64_MAX, INT64_MIN };
    const int64_t before = starts[data[1] % 8];
    ELKDuration_t d;
    ELKDuration_Init(&d, &tb);
    d.frames = before;
    int32_t errorAt = -1;
    int8_t result = ELKDuration_FromText(&d, text.get(), n, &errorAt);
    checkRead(result, d, before, errorAt, n);
    checkLabels(d);

    ELKDuration_t strict = d;
    strict.frames = before;
    int32_t strictAt = -1;
    ELKDurationFields_t skipped;
    const int8_t strictResult = ELKDuration_FromTextStrict(&strict, text.get(), n, &strictAt, &skipped);
    checkRead(strictResult, strict, before, strictAt, n);
    checkStrict(result, d, strictResult, strict, skipped, tb);

    ELKTimebase_t other;
    ELKTimebase_Named(&other, (data[0] >> 4) % 15);
    for (int byLabel = 0; byLabel < 2; ++byLabel) {
        ELKDuration_t c = d;
        const int8_t r
            = byLabel ? ELKDuration_ConvertLabel(&c, &other) : ELKDuration_ConvertRealTime(&c, &other);
        check(r == ELK_OK ? ELKTimebase_Equal(&c.base, &other) == ELK_TRUE : c.frames == d.frames);
        if (byLabel) {
            ELKDuration_t s = d;
            const int8_t sr = ELKDuration_ConvertLabelStrict(&s, &other, &skipped);
            check(sr == ELK_OK || s.frames == d.frames);
            checkStrict(r, c, sr, s, skipped, other);
        }
    }

    d.frames = before;
    errorAt = -1;
    result = ELKDuration_FromRealTime(&d, text.get(), n, &errorAt);
    checkRead(result, d, before, errorAt, n);
    char out[ELK_DURATION_TEXT_MAX];
    const int32_t length = ELKDuration_ToRealTime(&d, out, sizeof out);
    check(length > 0);
    if (tb.nominal <= 500) {
        // A frame of 2 ms or more survives rounding to the millisecond.
        ELKDuration_t back = d;
        back.frames = d.frames ^ 1;
        check(ELKDuration_FromRealTime(&back, out, length, nullptr) == ELK_OK && back.frames == d.frames);
    }

    for (int divide = 0; divide < 2; ++divide) {
        d.frames = before;
        const int8_t r
            = divide ? ELKDuration_Divide(&d, text.get(), n) : ELKDuration_Multiply(&d, text.get(), n);
        check(r == ELK_OK || d.frames == before);
    }

    for (int32_t perFoot : { ELK_FEET_35MM, ELK_FEET_16MM }) {
        d.frames = before;
        errorAt = -1;
        result = ELKDuration_FromFeet(&d, perFoot, text.get(), n, &errorAt);
        checkRead(result, d, before, errorAt, n);
        const int32_t feet = ELKDuration_ToFeet(&d, perFoot, out, sizeof out);
        ELKDuration_t back = d;
        back.frames = d.frames ^ 1;
        check(feet > 0 && ELKDuration_FromFeet(&back, perFoot, out, feet, nullptr) == ELK_OK);
        check(back.frames == d.frames);
    }
    return 0;
}
