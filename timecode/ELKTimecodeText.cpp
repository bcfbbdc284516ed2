// SPDX-License-Identifier: MIT
#include "ELKTimecodeText.h"

#include "ELKChars.h"

namespace
{

// The calculator also takes a blank between fields.
bool isSeparator(char c)
{
    return c == ' ' || ELKChar_IsTimeSeparator(c);
}

} // namespace

int8_t ELKTimecode_ToString(const ELKTimecode_t* tc, ELKString_t* s, int8_t colonBeforeFrames)
{
    if (!s) return ELK_ERROR;
    uint8_t fields[4];
    if (ELKTimecode_GetFields(tc, fields, 4) != 4 || ELKString_Assign(s, nullptr, 11) <= 0) {
        ELKString_Clear(s);
        return ELK_ERROR;
    }
    const char separators[3] = { ':', ':', colonBeforeFrames == ELK_TRUE ? ':' : '.' };
    char* out = ELKString_GetData(s);
    for (int i = 0; i < 4; ++i) {
        char digits[2];
        const int32_t count = ELK_UIntToDigits(digits, 2, fields[i]);
        if (count < 0) {
            ELKString_Clear(s);
            return ELK_ERROR;
        }
        if (count == 1) *out++ = '0';
        ELK_MemCopy(out, digits, uint32_t(count));
        out += count;
        if (i < 3) *out++ = separators[i];
    }
    return ELK_OK;
}

int8_t ELKTimecode_FromString(ELKTimecode_t* tc, const ELKString_t* s)
{
    if (!s) return ELK_ERROR;
    if (ELKString_IsEmpty(s) == ELK_TRUE) {
        tc->frames = 0;
        return ELK_ERROR;
    }
    const char* text = s->data;
    int32_t i = s->length - 1;
    while (i >= 0 && !ELKChar_IsDigit(text[i])) --i;
    if (i < 0) {
        tc->frames = 0;
        return ELK_ERROR;
    }
    int8_t result = i == s->length - 1 ? ELK_OK : ELK_ERROR;

    // Groups are read from the right: frames, seconds, minutes, hours.
    uint32_t field[4] = { 0, 0, 0, 0 };
    int group = 0;
    int32_t digits = 0;
    auto readGroup = [&](int32_t start) {
        int8_t status;
        field[group] = ELK_DigitsToUInt(text + start, digits, &status);
        if (status != ELK_OK) result = ELK_ERROR; // only digits are given, so this is overflow
        digits = 0;
    };
    for (; i >= 0; --i) {
        if (ELKChar_IsDigit(text[i])) {
            ++digits;
        } else if (isSeparator(text[i])) {
            if (digits > 0) readGroup(i + 1);
            if (++group == 4) break;
        } else {
            result = ELK_ERROR;
            break;
        }
    }
    // i is now -1 or the byte that ended the walk: the last group starts after it.
    if (digits > 0 && group < 4) readGroup(i + 1);

    tc->frames = 0;
    ELKTimecode_Add(tc, field[0], field[1], field[2], field[3]);
    return result;
}
