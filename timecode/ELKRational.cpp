// SPDX-License-Identifier: MIT
#include "ELKRational.h"

#include "ELKChars.h"

namespace
{

using Int128 = __int128;
using UInt128 = unsigned __int128;

UInt128 magnitude(Int128 v)
{
    return v < 0 ? UInt128(0) - UInt128(v) : UInt128(v);
}

UInt128 gcd(UInt128 a, UInt128 b)
{
    while (b != 0) {
        if ((a >> 64) == 0 && (b >> 64) == 0) return ELKRational_Gcd(uint64_t(a), uint64_t(b));
        const UInt128 t = a % b;
        a = b;
        b = t;
    }
    return a;
}

// Stores num/den (den != 0), reduced only when it would not fit 64 bits
// otherwise: reducing every step costs more than the rare overflow.
int8_t reduce(ELKRational_t* r, Int128 num, Int128 den)
{
    if (den == 0) return ELK_ERROR;
    if (den < 0) num = -num, den = -den;
    if (num < -INT64_MAX || num > INT64_MAX || den > INT64_MAX) {
        const UInt128 g = gcd(magnitude(num), UInt128(den));
        if (g > 1) num /= Int128(g), den /= Int128(g);
        if (num < -INT64_MAX || num > INT64_MAX || den > INT64_MAX) return ELK_ERROR;
    }
    r->num = int64_t(num);
    r->den = int64_t(den);
    return ELK_OK;
}

// n / d to the nearest integer, halves away from zero, as a magnitude.
UInt128 roundedQuotient(UInt128 n, UInt128 d)
{
    // 128-bit division is a library call; most operands fit the machine's own.
    if ((n >> 64) == 0 && (d >> 64) == 0) {
        const uint64_t q = uint64_t(n) / uint64_t(d), rest = uint64_t(n) % uint64_t(d);
        return q + (rest >= uint64_t(d) - rest ? 1 : 0);
    }
    const UInt128 rest = n % d;
    return n / d + (rest >= d - rest ? 1 : 0);
}

// A magnitude and sign as a 64-bit count; false past it.
bool toCount(UInt128 magnitude, bool negative, int64_t* out)
{
    const UInt128 limit = negative ? UInt128(1) << 63 : (UInt128(1) << 63) - 1;
    if (magnitude > limit) return false;
    *out = negative ? int64_t(0 - uint64_t(magnitude)) : int64_t(magnitude);
    return true;
}

// Reads digits into *value, which stays exact up to 38 digits; more is an error.
bool digits(const char** p, const char* end, UInt128* value, int32_t* count)
{
    const UInt128 limit = UInt128(1) << 120;
    for (; *p < end && ELKChar_IsDigit(**p); ++*p) {
        if (*value >= limit / 10) return false;
        *value = *value * 10 + UInt128(**p - '0');
        ++*count;
    }
    return true;
}

} // namespace

int8_t ELKRational_Set(ELKRational_t* r, int64_t num, int64_t den)
{
    return reduce(r, num, den);
}

int8_t ELKRational_FromText(ELKRational_t* r, const char* text, int64_t length)
{
    if (!r || !text || length <= 0) return ELK_ERROR;
    const char* p = text;
    const char* end = text + length;
    const bool negative = *p == '-';
    if (negative) ++p;
    UInt128 mantissa = 0;
    int32_t whole = 0, fraction = 0;
    if (!digits(&p, end, &mantissa, &whole)) return ELK_ERROR;
    if (p < end && *p == '.') {
        ++p;
        if (!digits(&p, end, &mantissa, &fraction)) return ELK_ERROR;
    }
    if (whole + fraction == 0) return ELK_ERROR;
    int32_t exponent = -fraction;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool down = p < end && *p == '-';
        if (p < end && (*p == '-' || *p == '+')) ++p;
        int32_t e = 0, n = 0;
        for (; p < end && ELKChar_IsDigit(*p); ++p, ++n)
            if ((e = e * 10 + (*p - '0')) > 100) return ELK_ERROR;
        if (n == 0) return ELK_ERROR;
        exponent += down ? -e : e;
    }
    UInt128 den = 1;
    if (p < end && *p == '/') {
        ++p;
        int32_t n = 0;
        den = 0;
        if (!digits(&p, end, &den, &n) || n == 0 || den == 0) return ELK_ERROR;
    }
    if (p != end) return ELK_ERROR;
    // Trailing zeros of the mantissa first, so "1.50000000000000000000000" still fits.
    while (exponent < 0 && mantissa != 0 && mantissa % 10 == 0) mantissa /= 10, ++exponent;
    const UInt128 limit = UInt128(1) << 120;
    for (; exponent > 0; --exponent) {
        if (mantissa >= limit / 10) return ELK_ERROR;
        mantissa *= 10;
    }
    for (; exponent < 0; ++exponent) {
        if (den >= limit / 10) return ELK_ERROR;
        den *= 10;
    }
    const Int128 num = Int128(mantissa);
    return reduce(r, negative ? -num : num, Int128(den));
}

int8_t ELKRational_Add(ELKRational_t* r, const ELKRational_t* a, const ELKRational_t* b)
{
    // Times of one file mostly share a denominator.
    if (a->den == b->den) return reduce(r, Int128(a->num) + b->num, a->den);
    return reduce(r, Int128(a->num) * b->den + Int128(b->num) * a->den, Int128(a->den) * b->den);
}

int8_t ELKRational_Subtract(ELKRational_t* r, const ELKRational_t* a, const ELKRational_t* b)
{
    if (a->den == b->den) return reduce(r, Int128(a->num) - b->num, a->den);
    return reduce(r, Int128(a->num) * b->den - Int128(b->num) * a->den, Int128(a->den) * b->den);
}

int8_t ELKRational_Multiply(ELKRational_t* r, const ELKRational_t* a, const ELKRational_t* b)
{
    return reduce(r, Int128(a->num) * b->num, Int128(a->den) * b->den);
}

int8_t ELKRational_Divide(ELKRational_t* r, const ELKRational_t* a, const ELKRational_t* b)
{
    return reduce(r, Int128(a->num) * b->den, Int128(a->den) * b->num);
}

int32_t ELKRational_Compare(const ELKRational_t* a, const ELKRational_t* b)
{
    const Int128 x = Int128(a->num) * b->den, y = Int128(b->num) * a->den;
    return x < y ? -1 : x > y ? 1 : 0;
}

uint64_t ELKRational_Gcd(uint64_t a, uint64_t b)
{
    // Binary: no division, which matters when every attribute of a large file is a time.
    if (a == 0) return b;
    if (b == 0) return a;
    const int shift = __builtin_ctzll(a | b);
    a >>= __builtin_ctzll(a);
    do {
        b >>= __builtin_ctzll(b);
        if (a > b) {
            const uint64_t t = a;
            a = b;
            b = t;
        }
        b -= a;
    } while (b != 0);
    return a << shift;
}

int8_t ELKRational_ScaleRounded(uint64_t magnitude, int8_t negative, uint64_t mul, uint64_t div, int64_t* out)
{
    if (div == 0 || magnitude > uint64_t(1) << 63) return ELK_ERROR;
    return toCount(roundedQuotient(UInt128(magnitude) * mul, div), negative == ELK_TRUE, out) ? ELK_OK
                                                                                              : ELK_ERROR;
}

int8_t ELKRational_ToFrames(const ELKRational_t* seconds, const ELKTimebase_t* tb, int64_t* frames)
{
    // num < 2^63 and tb->num <= 10^6 < 2^20: the product fits 128 bits.
    const Int128 n = Int128(seconds->num) * tb->num;
    const UInt128 d = UInt128(seconds->den) * tb->den;
    return toCount(roundedQuotient(magnitude(n), d), n < 0, frames) ? ELK_OK : ELK_ERROR;
}

void ELKRational_SnapRate(ELKRational_t* rate)
{
    ELKTimebase_t named;
    for (int32_t i = 0; ELKTimebase_Named(&named, i) == ELK_OK; ++i) {
        // |rate - n/d| <= 1e-5 x n/d, cross-multiplied: both sides fit 128 bits.
        const Int128 difference = Int128(rate->num) * named.den - Int128(named.num) * rate->den;
        if (magnitude(difference) * 100000 <= UInt128(named.num) * UInt128(rate->den)) {
            rate->num = named.num;
            rate->den = named.den;
            return;
        }
    }
}

int8_t ELKRational_ToTimebase(const ELKRational_t* rate, int8_t dropFrame, ELKTimebase_t* tb)
{
    if (rate->num <= 0) return ELK_ERROR;
    const int64_t g = int64_t(ELKRational_Gcd(uint64_t(rate->num), uint64_t(rate->den)));
    const int64_t num = rate->num / g, den = rate->den / g;
    if (num > 1000000 || den > 1000000) return ELK_ERROR;
    return ELKTimebase_Set(tb, uint32_t(num), uint32_t(den), dropFrame) == ELK_OK
        ? ELK_OK
        : ELKTimebase_Set(tb, uint32_t(num), uint32_t(den), ELK_FALSE);
}
