// SPDX-License-Identifier: MIT
#include "ELKString.h"

#include <cstdlib>
#include <cstring>

#include "ELKChars.h"

char ELK_EmptyText = 0;

namespace
{

// Bytes of an owned text with its zero byte, reported without signed overflow.
int32_t ownedSize(int32_t length)
{
    return int32_t(uint32_t(length) + 1);
}

// Frees an owned text and leaves the string released.
void releaseText(ELKString_t* s)
{
    if (s->data) {
        if (s->owned == ELK_TRUE) {
            ELK_Free(s->data);
            ELK_MemTrack(ownedSize(s->length));
        }
        s->data = nullptr;
    }
    s->length = 0;
}

void setEmpty(ELKString_t* s)
{
    s->data = &ELK_EmptyText;
    s->length = 0;
    s->owned = ELK_FALSE;
}

} // namespace

ELKString_t* ELKString_Init(ELKString_t* s)
{
    ELK_MemTrack(int32_t(sizeof(ELKString_t)));
    setEmpty(s);
    return s;
}

void ELKString_InitWith(ELKString_t* s, const char* text, int32_t length)
{
    ELK_MemTrack(int32_t(sizeof(ELKString_t)));
    // A lent text is only ever read; the pointer is not const because an
    // owned text shares the field.
    s->data = const_cast<char*>(text);
    s->length = length < 0 ? ELK_StrLen(text) : length;
    s->owned = ELK_FALSE;
}

void ELKString_Destroy(ELKString_t* s)
{
    releaseText(s);
    ELK_MemTrack(int32_t(sizeof(ELKString_t)));
}

int8_t ELKString_IsEmpty(const ELKString_t* s)
{
    return !s || !s->data || s->length <= 0 ? ELK_TRUE : ELK_FALSE;
}

void ELKString_Clear(ELKString_t* s)
{
    releaseText(s);
    setEmpty(s);
}

int32_t ELKString_Assign(ELKString_t* s, const char* source, int32_t n)
{
    if (n < 0) n = ELK_StrLen(source);
    // Fill the new block before the old text goes: the source may lie inside it.
    char* block = nullptr;
    if (n > 0) {
        block = static_cast<char*>(ELK_Alloc(uint32_t(n) + 1));
        if (block) {
            if (source)
                ELK_MemCopy(block, source, uint32_t(n));
            else
                ELK_MemSet(block, ' ', uint32_t(n));
            block[n] = 0;
        }
    }
    releaseText(s);
    if (n == 0) {
        setEmpty(s);
        return 0;
    }
    if (!block) return 0;
    ELK_MemTrack(ownedSize(n));
    s->data = block;
    s->length = n;
    s->owned = ELK_TRUE;
    return n;
}

char* ELKString_GetData(const ELKString_t* s)
{
    return s->data;
}

int32_t ELK_StrLen(const char* text)
{
    return text ? int32_t(std::strlen(text)) : 0;
}

int32_t ELK_UIntToDigits(char* out, int32_t capacity, uint32_t value)
{
    if (capacity <= 0 || !out) return -2;
    char digits[10];
    int32_t count = 0;
    do {
        digits[count++] = char('0' + value % 10);
        value /= 10;
    } while (value);
    if (count > capacity) return -2;
    for (int32_t i = 0; i < count; ++i) out[i] = digits[count - 1 - i];
    return count;
}

uint32_t ELK_DigitsToUInt(const char* text, int32_t n, int8_t* status)
{
    int8_t scratch;
    if (!status) status = &scratch;
    *status = ELK_OK;
    if (!text) {
        *status = ELK_ERROR;
        return 0;
    }
    if (n < 0) n = ELK_StrLen(text);
    if (n <= 0) {
        *status = ELK_ERROR;
        return 0;
    }
    int32_t i = 0;
    while (i < n && !ELKChar_IsDigit(text[i])) ++i;
    if (i > 0) *status = ELK_ERROR;
    if (i == n) return 0;

    uint32_t value = 0;
    bool overflow = false;
    for (; i < n && ELKChar_IsDigit(text[i]); ++i) {
        const uint32_t d = uint32_t(text[i] - '0');
        if (value > UINT32_MAX / 10 || (value == UINT32_MAX / 10 && d > UINT32_MAX % 10)) overflow = true;
        value = value * 10 + d; // wraps modulo 2^32 once it no longer fits
    }
    if (i < n || overflow) *status = ELK_ERROR;
    return value;
}
