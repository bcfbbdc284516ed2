// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to the timecode text reader and the digit conversion
// at every rate and label mode, and checks what must always hold.
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "ELKTimecodeText.h"

namespace
{

void check(bool ok)
{
    if (!ok) std::abort();
}

uint32_t dayOf(ELKFrameRate_t rate)
{
    if (rate == ELK_FR_2997DF) return ELK_DROPFRAME_DAY;
    return uint32_t(ELK_Ceil(ELKTimecode_RateToFps(rate))) * 86400;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isSeparator(char c)
{
    return c == ' ' || c == '.' || c == ':' || c == ';';
}

// The reader's verdict, worked out independently: ELK_OK exactly when the text
// ends in a digit, holds only digits and separators up to the fourth separator
// from the right, and no group read is worth 2^32 or more.
int8_t expectedResult(const char* text, int32_t n)
{
    if (n == 0 || !isDigit(text[n - 1])) return ELK_ERROR;
    int separators = 0;
    for (int32_t i = n - 1; i >= 0;) {
        if (isSeparator(text[i])) {
            if (++separators == 4) break;
            --i;
        } else if (isDigit(text[i])) {
            int32_t start = i;
            while (start > 0 && isDigit(text[start - 1])) --start;
            uint64_t value = 0;
            for (int32_t k = start; k <= i && value <= UINT32_MAX; ++k)
                value = value * 10 + uint64_t(text[k] - '0');
            if (value > UINT32_MAX) return ELK_ERROR;
            i = start - 1;
        } else {
            return ELK_ERROR;
        }
    }
    return ELK_OK;
}

// Formatting gives "HH:MM:SS.FF" and ELK_OK, or nothing and ELK_ERROR.
// Returns the text's length.
int32_t checkFormat(const ELKTimecode_t& tc, ELKString_t* s)
{
    const int8_t result = ELKTimecode_ToString(&tc, s, ELK_FALSE);
    if (result != ELK_OK) {
        check(result == ELK_ERROR && s->length == 0 && s->data == &ELK_EmptyText);
        return 0;
    }
    check(s->length == 11 && s->data[11] == '\0');
    for (int i = 0; i < 11; ++i) {
        const char c = s->data[i];
        check(i == 8 ? c == '.' : i % 3 == 2 ? c == ':' : isDigit(c));
    }
    return 11;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > (1u << 20)) return 0;
    // The first byte picks an extra, possibly invalid, rate; the rest is text.
    const auto extraRate = ELKFrameRate_t(int8_t(data[0]));
    const int32_t n = int32_t(size - 1);
    std::unique_ptr<char[]> text(new char[size_t(n)]); // exact size, no zero byte after it
    std::memcpy(text.get(), data + 1, size_t(n));

    int8_t status = 0;
    ELK_DigitsToUInt(text.get(), n, &status);
    if (status == ELK_OK) {
        for (int32_t i = 0; i < n; ++i) check(isDigit(text[i]));
    }

    ELKString_t lent;
    ELKString_InitWith(&lent, text.get(), n);
    const int8_t expected = expectedResult(text.get(), n);
    const ELKFrameRate_t rates[]
        = { ELK_FR_2397, ELK_FR_24, ELK_FR_25, ELK_FR_2997, ELK_FR_2997DF, ELK_FR_30, extraRate };
    for (ELKFrameRate_t rate : rates) {
        for (int8_t labelMode : { ELK_TRUE, ELK_FALSE }) {
            ELKTimecode_t tc;
            ELKTimecode_Init(&tc);
            tc.rate = rate;
            tc.labelMode = labelMode;
            check(ELKTimecode_FromString(&tc, &lent) == expected);
            const uint32_t day = dayOf(rate);
            check(day == 0 ? tc.frames == 0 : tc.frames < day);

            ELKString_t s;
            ELKString_Init(&s);
            if (checkFormat(tc, &s) && day != 0) {
                // Labels read back exactly; drop frame only when read as labels.
                ELKTimecode_t back = tc;
                back.labelMode = ELK_TRUE;
                back.frames = 12345;
                check(ELKTimecode_FromString(&back, &s) == ELK_OK && back.frames == tc.frames);
            }

            // Any directly assigned count formats cleanly or fails cleanly.
            if (n >= 4) std::memcpy(&tc.frames, text.get(), 4);
            checkFormat(tc, &s);
            ELKString_Destroy(&s);
        }
    }
    ELKString_Destroy(&lent);
    return 0;
}
