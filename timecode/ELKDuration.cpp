// SPDX-License-Identifier: MIT
#include "ELKDuration.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "ELKChars.h"
#include "ELKRational.h"
#include "ELKString.h"

namespace
{

__extension__ typedef unsigned __int128 u128;

struct NamedBase {
    const char* name;
    uint32_t num;
    uint32_t den;
    int8_t dropFrame;
};

// The first six are the calculator's rates, in the order of ELKFrameRate_t.
// The last row is an alias: read, never written.
const NamedBase kNamed[] = {
    { "23.976", 24000, 1001, ELK_FALSE },
    { "24", 24, 1, ELK_FALSE },
    { "25", 25, 1, ELK_FALSE },
    { "29.97", 30000, 1001, ELK_FALSE },
    { "29.97df", 30000, 1001, ELK_TRUE },
    { "30", 30, 1, ELK_FALSE },
    { "47.952", 48000, 1001, ELK_FALSE },
    { "48", 48, 1, ELK_FALSE },
    { "50", 50, 1, ELK_FALSE },
    { "59.94", 60000, 1001, ELK_FALSE },
    { "59.94df", 60000, 1001, ELK_TRUE },
    { "60", 60, 1, ELK_FALSE },
    { "119.88", 120000, 1001, ELK_FALSE },
    { "119.88df", 120000, 1001, ELK_TRUE },
    { "120", 120, 1, ELK_FALSE },
    { "23.98", 24000, 1001, ELK_FALSE },
};
// The alias in the last row is read, never listed.
constexpr int32_t kNamedCount = int32_t(std::size(kNamed)) - 1;
static_assert(kNamedCount == 15, "ELKTimebase_Named lists 23.976 to 120");

constexpr uint32_t kMaxTerm = 1000000;
constexpr uint32_t kMaxNominal = 1000;
constexpr uint64_t kMaxNegative = uint64_t(1) << 63; // |INT64_MIN|

// 128-bit division is a library call; most operands fit the machine's own.
u128 divide(u128 n, u128 d)
{
    if (n <= UINT64_MAX && d <= UINT64_MAX) return uint64_t(n) / uint64_t(d);
    return n / d;
}

bool usable(const ELKTimebase_t& tb)
{
    return tb.nominal >= 1 && tb.nominal <= kMaxNominal && tb.num != 0 && tb.den != 0;
}

uint64_t magnitude(int64_t v)
{
    return v < 0 ? 0 - uint64_t(v) : uint64_t(v);
}

bool fits(u128 magnitude, bool negative)
{
    return magnitude <= (negative ? kMaxNegative : kMaxNegative - 1);
}

// The signed count of a magnitude that fits() approved.
int64_t signedCount(uint64_t magnitude, bool negative)
{
    if (!negative) return int64_t(magnitude);
    return magnitude == kMaxNegative ? INT64_MIN : -int64_t(magnitude);
}

// Labels drop frame skips at the start of a minute: 2 x nominal/30.
uint64_t dropPerMinute(const ELKTimebase_t& tb)
{
    return tb.nominal / 15;
}

// The text between blanks, as offsets into the caller's bytes.
struct Span {
    const char* text;
    int32_t at;
    int32_t end;

    bool done() const { return at == end; }
    char peek() const { return at < end ? text[at] : '\0'; }
};

// False for null text with a length.
bool trim(const char* text, int32_t length, Span* s)
{
    if (length < 0) length = text ? ELK_StrLen(text) : 0;
    if (!text && length > 0) return false;
    s->text = text;
    s->at = 0;
    s->end = length;
    while (s->at < s->end && ELKChar_IsBlankOrLineEnd(text[s->at])) ++s->at;
    while (s->end > s->at && ELKChar_IsBlankOrLineEnd(text[s->end - 1])) --s->end;
    return true;
}

// A leading '+' or '-'; true for '-'.
bool readSign(Span* s)
{
    const char c = s->peek();
    if (c == '+' || c == '-') ++s->at;
    return c == '-';
}

// A run of digits as a 64-bit value; false when it does not fit. An empty
// run reads as 0.
bool readDigits(Span* s, uint64_t* value)
{
    uint64_t v = 0;
    bool ok = true;
    for (; s->at < s->end && ELKChar_IsDigit(s->text[s->at]); ++s->at) {
        const uint64_t digit = uint64_t(s->text[s->at] - '0');
        if (v > (UINT64_MAX - digit) / 10) ok = false;
        v = v * 10 + digit;
    }
    *value = v;
    return ok;
}

// A run of digits up to cap; false past it. For running times, whose
// leading field may pass 64 bits at slow timebases.
bool readDigitsUpTo(Span* s, u128 cap, u128* value)
{
    u128 v = 0;
    bool ok = true;
    for (; s->at < s->end && ELKChar_IsDigit(s->text[s->at]); ++s->at) {
        if (ok) v = v * 10 + uint32_t(s->text[s->at] - '0');
        ok = ok && v <= cap;
    }
    *value = v;
    return ok;
}

// Quotient and remainder; 32-bit division is several times faster, and
// counts of a day or two fit it.
uint32_t divMod(uint64_t n, uint32_t d, uint64_t* quotient)
{
    if (n <= UINT32_MAX) {
        *quotient = uint32_t(n) / d;
        return uint32_t(n) % d;
    }
    *quotient = n / d;
    return uint32_t(n % d);
}

const char* const kFaults[] = {
    "no fault",
    "empty value",
    "incomplete value",
    "no digit",
    "unexpected character",
    "more than four groups",
    "value out of range",
    "number without its unit",
    "unit out of place",
    "empty field",
    "minutes or seconds at or above 60",
    "frames at or above a foot",
    "no such timebase",
    "label that drop frame skips",
};
static_assert(std::size(kFaults) == ELK_DURATION_FAULT_COUNT, "a text for every fault");

// Where a reader's caller wants to hear of a fault.
struct Fault {
    int32_t* at;
    int8_t* code;
};

int8_t fail(Fault f, int32_t offset, int8_t code)
{
    if (f.at) *f.at = offset;
    if (f.code) *f.code = code;
    return ELK_ERROR;
}

char* writeDigits(char* p, uint64_t value, int minWidth)
{
    char digits[20];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (; minWidth > n; --minWidth) *p++ = '0';
    while (n > 0) *p++ = digits[--n];
    return p;
}

// A 128-bit value as decimal, split where it passes 64 bits.
char* writeDigits128(char* p, u128 value, int minWidth)
{
    constexpr uint64_t kTen19 = 10000000000000000000u;
    if (value <= UINT64_MAX) return writeDigits(p, uint64_t(value), minWidth);
    p = writeDigits128(p, value / kTen19, 1);
    return writeDigits(p, uint64_t(value % kTen19), 19);
}

int32_t copyOut(const char* text, const char* end, char* out, int32_t capacity)
{
    const int32_t length = int32_t(end - text);
    if (!out || capacity <= length) return ELK_ERROR;
    std::memcpy(out, text, size_t(length));
    out[length] = '\0';
    return length;
}

// Label fields of a position at the nominal rate.
void splitPosition(uint64_t position, uint32_t fps, ELKDurationFields_t* out)
{
    uint32_t r = divMod(position, 3600 * fps, &out->hours);
    out->minutes = r / (60 * fps);
    r %= 60 * fps;
    out->seconds = r / fps;
    out->frames = r % fps;
}

// Drop frame skips the first labels of every minute not divisible by ten.
bool skips(const ELKTimebase_t& tb, uint64_t position)
{
    const uint64_t perMinute = 60 * uint64_t(tb.nominal);
    return tb.dropFrame == ELK_TRUE && position / perMinute % 10 != 0
        && position % perMinute < dropPerMinute(tb);
}

enum class Outcome { Ok, TooLarge, Skipped };

// What the strict readers leave for faults other than a skipped label.
const ELKDurationFields_t kNoLabel = { ELK_FALSE, 0, 0, 0, 0 };

// A count from label fields, the position carried at the nominal rate first.
// With `skipped` (the strict reading), a carried label that drop frame skips
// is refused and written there.
Outcome countFromFields(const ELKTimebase_t& tb, bool negative, u128 h, u128 m, u128 s, u128 f,
    ELKDurationFields_t* skipped, int64_t* out)
{
    if (!usable(tb)) return Outcome::TooLarge;
    const uint64_t fps = tb.nominal;
    const u128 position = ((h * 60 + m) * 60 + s) * fps + f;
    if (position > UINT64_MAX) return Outcome::TooLarge; // dropping takes off under 1 %: still past 63 bits
    uint64_t count = uint64_t(position);
    bool missing = false;
    if (tb.dropFrame == ELK_TRUE) {
        // Every minute started skips its first labels, except every tenth.
        const uint64_t minutes = count / (60 * fps);
        missing = minutes % 10 != 0 && count - minutes * 60 * fps < dropPerMinute(tb);
        count -= dropPerMinute(tb) * (minutes - minutes / 10);
    }
    if (!fits(count, negative)) return Outcome::TooLarge;
    if (skipped && missing) {
        skipped->negative = negative ? ELK_TRUE : ELK_FALSE;
        splitPosition(uint64_t(position), tb.nominal, skipped);
        return Outcome::Skipped;
    }
    *out = signedCount(count, negative);
    return Outcome::Ok;
}

// A factor "3", "-1.5", ".5" or "2/3" as sign and p/q, both below 2^64.
bool readFactor(const char* text, int32_t length, bool* negative, uint64_t* p, uint64_t* q)
{
    Span s;
    if (!trim(text, length, &s)) return false;
    *negative = readSign(&s);
    const int32_t start = s.at;
    if (!readDigits(&s, p)) return false;
    const int32_t wholeEnd = s.at;
    *q = 1;
    if (s.peek() == '/') {
        ++s.at;
        const int32_t denominator = s.at;
        if (!readDigits(&s, q) || s.at == denominator || wholeEnd == start) return false;
        return s.done();
    }
    if (s.peek() == '.') {
        ++s.at;
        const int32_t fraction = s.at;
        while (!s.done() && ELKChar_IsDigit(s.peek())) ++s.at;
        if (wholeEnd == start && s.at == fraction) return false;
        // Trailing zeros add nothing; every other digit is kept exactly.
        int32_t last = s.at;
        while (last > fraction && s.text[last - 1] == '0') --last;
        for (int32_t i = fraction; i < last; ++i) {
            const uint64_t digit = uint64_t(s.text[i] - '0');
            if (*p > (UINT64_MAX - digit) / 10 || *q > UINT64_MAX / 10) return false;
            *p = *p * 10 + digit;
            *q *= 10;
        }
    } else if (wholeEnd == start) {
        return false;
    }
    return s.done();
}

int8_t scaleBy(ELKDuration_t* d, const char* text, int32_t length, bool divide)
{
    bool negative;
    uint64_t p, q;
    if (!readFactor(text, length, &negative, &p, &q)) return ELK_ERROR;
    if (divide) {
        const uint64_t t = p;
        p = q;
        q = t;
    }
    if (q == 0) return ELK_ERROR;
    int64_t count;
    const int8_t sign = (d->frames < 0) != negative ? ELK_TRUE : ELK_FALSE;
    if (ELKRational_ScaleRounded(magnitude(d->frames), sign, p, q, &count) != ELK_OK) return ELK_ERROR;
    d->frames = count;
    return ELK_OK;
}

} // namespace

int8_t ELKTimebase_Set(ELKTimebase_t* tb, uint32_t num, uint32_t den, int8_t dropFrame)
{
    if (num == 0 || den == 0 || num > kMaxTerm || den > kMaxTerm) return ELK_ERROR;
    const uint32_t nominal = (num + den - 1) / den;
    const uint32_t divisor = uint32_t(ELKRational_Gcd(num, den));
    num /= divisor;
    den /= divisor;
    const bool drop = dropFrame == ELK_TRUE;
    if (nominal > kMaxNominal || (drop && (nominal % 30 != 0 || den != 1001))) return ELK_ERROR;
    tb->num = num;
    tb->den = den;
    tb->nominal = nominal;
    tb->dropFrame = drop ? ELK_TRUE : ELK_FALSE;
    return ELK_OK;
}

int8_t ELKTimebase_FromRate(ELKTimebase_t* tb, ELKFrameRate_t rate)
{
    return rate >= ELK_FR_2397 && rate <= ELK_FR_30 ? ELKTimebase_Named(tb, rate) : ELK_ERROR;
}

int8_t ELKTimebase_Named(ELKTimebase_t* tb, int32_t index)
{
    if (index < 0 || index >= kNamedCount) return ELK_ERROR;
    const NamedBase& n = kNamed[index];
    return ELKTimebase_Set(tb, n.num, n.den, n.dropFrame);
}

int8_t ELKTimebase_FromText(ELKTimebase_t* tb, const char* text, int32_t length)
{
    Span s;
    if (!trim(text, length, &s)) return ELK_ERROR;
    const int32_t start = s.at;
    uint64_t num = 0, den = 1;
    if (!readDigits(&s, &num) || s.at == start) return ELK_ERROR;
    const NamedBase* named = nullptr;
    if (s.peek() == '/') {
        ++s.at;
        const int32_t denominator = s.at;
        if (!readDigits(&s, &den) || s.at == denominator) return ELK_ERROR;
    } else if (s.peek() == '.') {
        ++s.at;
        while (!s.done() && ELKChar_IsDigit(s.peek())) ++s.at;
        const size_t size = size_t(s.at - start);
        for (const NamedBase& n : kNamed) {
            if (n.dropFrame != ELK_TRUE && std::strlen(n.name) == size
                && std::memcmp(n.name, s.text + start, size) == 0)
                named = &n;
        }
        if (!named) return ELK_ERROR;
        num = named->num;
        den = named->den;
    }
    while (!s.done() && ELKChar_IsBlankOrLineEnd(s.peek())) ++s.at;
    int8_t drop = ELK_FALSE;
    const int32_t rest = s.end - s.at;
    auto suffix = [&](const char* word) {
        if (std::strlen(word) != size_t(rest)) return false;
        for (int32_t i = 0; i < rest; ++i)
            if (ELKChar_ToLower(s.text[s.at + i]) != word[i]) return false;
        return true;
    };
    if (rest > 0) {
        if (suffix("df"))
            drop = ELK_TRUE;
        else if (!suffix("ndf"))
            return ELK_ERROR;
    }
    if (num > kMaxTerm || den > kMaxTerm) return ELK_ERROR;
    return ELKTimebase_Set(tb, uint32_t(num), uint32_t(den), drop);
}

int32_t ELKTimebase_ToText(const ELKTimebase_t* tb, char* out, int32_t capacity)
{
    for (int32_t i = 0; i < kNamedCount; ++i) {
        const NamedBase& n = kNamed[i];
        if (n.num == tb->num && n.den == tb->den && n.dropFrame == tb->dropFrame)
            return copyOut(n.name, n.name + std::strlen(n.name), out, capacity);
    }
    char text[32];
    char* p = writeDigits(text, tb->num, 1);
    if (tb->den != 1) {
        *p++ = '/';
        p = writeDigits(p, tb->den, 1);
    }
    if (tb->dropFrame == ELK_TRUE) *p++ = 'd', *p++ = 'f';
    return copyOut(text, p, out, capacity);
}

int8_t ELKTimebase_Equal(const ELKTimebase_t* a, const ELKTimebase_t* b)
{
    return a->num == b->num && a->den == b->den && a->dropFrame == b->dropFrame ? ELK_TRUE : ELK_FALSE;
}

void ELKDuration_Init(ELKDuration_t* d, const ELKTimebase_t* tb)
{
    d->frames = 0;
    d->base = *tb;
}

void ELKDuration_FromTimecode(ELKDuration_t* d, const ELKTimecode_t* tc)
{
    d->frames = tc->frames;
    if (ELKTimebase_FromRate(&d->base, tc->rate) != ELK_OK) {
        ELKTimebase_Named(&d->base, ELK_FR_30);
        d->frames = 0;
    }
}

void ELKDuration_GetFields(const ELKDuration_t* d, ELKDurationFields_t* out)
{
    out->negative = d->frames < 0 ? ELK_TRUE : ELK_FALSE;
    out->hours = 0;
    out->minutes = out->seconds = out->frames = 0;
    if (!usable(d->base)) return;
    const uint32_t fps = d->base.nominal;
    uint64_t n = magnitude(d->frames);
    if (d->base.dropFrame == ELK_TRUE) {
        // Put back the labels skipped in every minute that has started,
        // then read the label position at the nominal rate.
        const uint32_t k = uint32_t(dropPerMinute(d->base));
        const uint32_t perTen = 600 * fps - 9 * k;
        uint64_t tens;
        const uint32_t rest = divMod(n, perTen, &tens);
        n += 9 * k * tens;
        if (rest >= k) n += k * ((rest - k) / (60 * fps - k));
    }
    splitPosition(n, fps, out);
}

int8_t ELKDuration_SetFields(
    ELKDuration_t* d, int8_t negative, uint64_t hours, uint64_t minutes, uint64_t seconds, uint64_t frames)
{
    return countFromFields(
               d->base, negative == ELK_TRUE, hours, minutes, seconds, frames, nullptr, &d->frames)
            == Outcome::Ok
        ? ELK_OK
        : ELK_ERROR;
}

int32_t ELKDuration_ToText(const ELKDuration_t* d, char* out, int32_t capacity, int8_t periodBeforeFrames)
{
    ELKDurationFields_t f;
    ELKDuration_GetFields(d, &f);
    const char last = periodBeforeFrames == ELK_TRUE ? '.' : d->base.dropFrame == ELK_TRUE ? ';' : ':';
    char text[ELK_DURATION_TEXT_MAX];
    char* p = text;
    if (f.negative == ELK_TRUE) *p++ = '-';
    p = writeDigits(p, f.hours, 2);
    *p++ = ':';
    p = writeDigits(p, f.minutes, 2);
    *p++ = ':';
    p = writeDigits(p, f.seconds, 2);
    *p++ = last;
    p = writeDigits(p, f.frames, d->base.nominal > 100 ? 3 : 2);
    return copyOut(text, p, out, capacity);
}

// The reading of ELKDuration_FromText; with `skipped`, the strict one.
static int8_t readText(ELKDuration_t* d, const char* text, int32_t length, int32_t* errorAt, int8_t* fault,
    ELKDurationFields_t* skipped)
{
    const Fault f { errorAt, fault };
    Span s;
    if (!trim(text, length, &s)) return fail(f, 0, ELK_DURATION_FAULT_EMPTY);
    if (s.done()) return fail(f, s.at, ELK_DURATION_FAULT_EMPTY);
    const int32_t signAt = s.at;
    const bool negative = readSign(&s);
    const int32_t start = s.at;
    // Grouped: values left to right. With units: hours, minutes, seconds, frames.
    uint64_t group[4] = { 0, 0, 0, 0 };
    uint64_t unit[4] = { 0, 0, 0, 0 };
    int groups = 0;
    int firstUnit = -1, lastUnit = -1; // indexes into "hmsf" of the units read
    bool anyDigit = false;
    for (;;) {
        const int32_t digitsAt = s.at;
        uint64_t value;
        if (!readDigits(&s, &value)) return fail(f, digitsAt, ELK_DURATION_FAULT_OUT_OF_RANGE);
        const bool hasDigits = s.at > digitsAt;
        anyDigit = anyDigit || hasDigits;
        if (s.done()) {
            if (lastUnit >= 0) {
                if (hasDigits) return fail(f, digitsAt, ELK_DURATION_FAULT_NO_UNIT);
                break;
            }
            group[groups++] = value;
            break;
        }
        const char c = s.peek();
        const char* const units = "hmsf";
        const char* u = std::strchr(units, ELKChar_ToLower(c));
        if (c != '\0' && u) {
            const int index = int(u - units);
            if (!hasDigits || groups > 0 || index <= lastUnit) return fail(f, s.at, ELK_DURATION_FAULT_UNIT);
            unit[index] = value;
            if (firstUnit < 0) firstUnit = index;
            lastUnit = index;
            ++s.at;
            while (!s.done() && s.peek() == ' ') ++s.at;
        } else if (lastUnit < 0 && (c == '.' || c == ':' || c == ';' || c == ',' || c == ' ')) {
            if (groups == 3) return fail(f, s.at, ELK_DURATION_FAULT_FIVE_GROUPS);
            group[groups++] = value;
            ++s.at;
        } else {
            return fail(f, s.at, ELK_DURATION_FAULT_UNEXPECTED);
        }
    }
    if (!anyDigit)
        return fail(f, start, start == s.end ? ELK_DURATION_FAULT_INCOMPLETE : ELK_DURATION_FAULT_NO_DIGIT);
    if ((lastUnit < 0 && groups == 1) || firstUnit == 3) {
        // Only frames: a count, which neither carries nor drops.
        const uint64_t count = lastUnit < 0 ? group[0] : unit[3];
        if (!fits(count, negative)) return fail(f, start, ELK_DURATION_FAULT_OUT_OF_RANGE);
        d->frames = signedCount(count, negative);
        return ELK_OK;
    }
    if (lastUnit < 0) {
        // Groups read from the right: frames, seconds, minutes, hours.
        for (int i = 0; i < 4; ++i) unit[3 - i] = i < groups ? group[groups - 1 - i] : 0;
    } else {
        skipped = nullptr; // units are durations, not labels
    }
    int64_t count;
    switch (countFromFields(d->base, negative, unit[0], unit[1], unit[2], unit[3], skipped, &count)) {
    case Outcome::Ok:
        d->frames = count;
        return ELK_OK;
    case Outcome::Skipped:
        return fail(f, signAt, ELK_DURATION_FAULT_NO_SUCH_LABEL);
    case Outcome::TooLarge:
        break;
    }
    return fail(f, start, ELK_DURATION_FAULT_OUT_OF_RANGE);
}

int8_t ELKDuration_FromText(
    ELKDuration_t* d, const char* text, int32_t length, int32_t* errorAt, int8_t* fault)
{
    return readText(d, text, length, errorAt, fault, nullptr);
}

int8_t ELKDuration_FromTextStrict(ELKDuration_t* d, const char* text, int32_t length, int32_t* errorAt,
    ELKDurationFields_t* skipped, int8_t* fault)
{
    ELKDurationFields_t label = kNoLabel;
    const int8_t result = readText(d, text, length, errorAt, fault, &label);
    if (skipped) *skipped = label;
    return result;
}

const char* ELKDuration_FaultText(int8_t fault)
{
    return fault > ELK_DURATION_FAULT_NONE && fault < ELK_DURATION_FAULT_COUNT ? kFaults[fault] : kFaults[0];
}

int32_t ELKDuration_ToRealTime(const ELKDuration_t* d, char* out, int32_t capacity)
{
    const ELKTimebase_t& tb = d->base;
    if (tb.num == 0) return ELK_ERROR;
    const uint64_t n = magnitude(d->frames);
    // Milliseconds, n x den x 1000 / num rounded: below 2^94.
    const u128 ms = divide(2 * u128(n) * tb.den * 1000 + tb.num, 2 * u128(tb.num));
    char text[ELK_DURATION_TEXT_MAX];
    char* p = text;
    if (d->frames < 0 && ms != 0) *p++ = '-';
    uint32_t rest;
    if (ms <= UINT64_MAX) {
        p = writeDigits(p, uint64_t(ms) / 3600000, 1);
        rest = uint32_t(uint64_t(ms) % 3600000);
    } else {
        p = writeDigits128(p, ms / 3600000, 1);
        rest = uint32_t(ms % 3600000);
    }
    *p++ = ':';
    p = writeDigits(p, rest / 60000, 2);
    *p++ = ':';
    p = writeDigits(p, rest / 1000 % 60, 2);
    *p++ = '.';
    p = writeDigits(p, rest % 1000, 3);
    return copyOut(text, p, out, capacity);
}

int8_t ELKDuration_FromRealTime(
    ELKDuration_t* d, const char* text, int32_t length, int32_t* errorAt, int8_t* fault)
{
    const Fault f { errorAt, fault };
    Span s;
    if (!trim(text, length, &s)) return fail(f, 0, ELK_DURATION_FAULT_EMPTY);
    const ELKTimebase_t& tb = d->base;
    if (tb.num == 0 || tb.den == 0) return fail(f, s.at, ELK_DURATION_FAULT_TIMEBASE);
    if (s.done()) return fail(f, s.at, ELK_DURATION_FAULT_EMPTY);
    const bool negative = readSign(&s);
    const int32_t start = s.at;
    // Far more seconds than any count can hold; keeps the sums below in 128 bits.
    constexpr u128 kMaxSeconds = u128(1) << 90;
    u128 seconds = 0;
    bool hasDigits = false;
    for (int field = 0;; ++field) {
        const int32_t at = s.at;
        u128 value;
        if (!readDigitsUpTo(&s, kMaxSeconds, &value)) return fail(f, start, ELK_DURATION_FAULT_OUT_OF_RANGE);
        hasDigits = s.at > at;
        if (field > 0 && !hasDigits) return fail(f, at, ELK_DURATION_FAULT_EMPTY_FIELD);
        if (field > 0 && value >= 60) return fail(f, at, ELK_DURATION_FAULT_FIELD_60);
        seconds = seconds * 60 + value;
        if (seconds > kMaxSeconds) return fail(f, start, ELK_DURATION_FAULT_OUT_OF_RANGE);
        if (s.peek() != ':') break;
        if (!hasDigits) return fail(f, s.at, ELK_DURATION_FAULT_EMPTY_FIELD);
        if (field == 2) return fail(f, s.at, ELK_DURATION_FAULT_UNEXPECTED);
        ++s.at;
    }
    int32_t fraction = s.at, fractionEnd = s.at;
    if (s.peek() == '.') {
        fraction = ++s.at;
        while (!s.done() && ELKChar_IsDigit(s.peek())) ++s.at;
        fractionEnd = s.at;
    }
    if (!hasDigits && fractionEnd == fraction)
        return fail(f, s.at, s.done() ? ELK_DURATION_FAULT_INCOMPLETE : ELK_DURATION_FAULT_UNEXPECTED);
    if (!s.done()) return fail(f, s.at, ELK_DURATION_FAULT_UNEXPECTED);
    // Round(v x num / den) = floor((floor(2v x num / den) + 1) / 2), and
    // floor((a + x) / n) = floor((a + floor(x)) / n), so every decimal counts
    // exactly: fold them from the right, keeping floor(fraction x 2num).
    const uint64_t twiceNum = 2 * uint64_t(tb.num);
    uint64_t part = 0;
    for (int32_t i = fractionEnd - 1; i >= fraction; --i)
        part = (uint64_t(s.text[i] - '0') * twiceNum + part) / 10;
    const u128 rounded = (divide(seconds * twiceNum + part, tb.den) + 1) / 2;
    if (!fits(rounded, negative)) return fail(f, start, ELK_DURATION_FAULT_OUT_OF_RANGE);
    d->frames = signedCount(uint64_t(rounded), negative);
    return ELK_OK;
}

int8_t ELKDuration_ConvertRealTime(ELKDuration_t* d, const ELKTimebase_t* to)
{
    const ELKTimebase_t& from = d->base;
    if (from.num == 0 || from.den == 0 || !usable(*to)) return ELK_ERROR;
    int64_t count;
    if (ELKRational_ScaleRounded(magnitude(d->frames), d->frames < 0 ? ELK_TRUE : ELK_FALSE,
            uint64_t(from.den) * to->num, uint64_t(from.num) * to->den, &count)
        != ELK_OK)
        return ELK_ERROR;
    d->frames = count;
    d->base = *to;
    return ELK_OK;
}

// Label fields by keeping hours to frames; with `skipped`, refusing a label
// that drop frame skips at the new timebase.
static int8_t convertLabel(ELKDuration_t* d, const ELKTimebase_t& to, ELKDurationFields_t* skipped)
{
    ELKDurationFields_t f;
    ELKDuration_GetFields(d, &f);
    int64_t count;
    if (countFromFields(to, f.negative == ELK_TRUE, f.hours, f.minutes, f.seconds, f.frames, skipped, &count)
        != Outcome::Ok)
        return ELK_ERROR;
    d->frames = count;
    d->base = to;
    return ELK_OK;
}

int8_t ELKDuration_ConvertLabel(ELKDuration_t* d, const ELKTimebase_t* to)
{
    return convertLabel(d, *to, nullptr);
}

int8_t ELKDuration_ConvertLabelStrict(ELKDuration_t* d, const ELKTimebase_t* to, ELKDurationFields_t* skipped)
{
    ELKDurationFields_t label = kNoLabel;
    const int8_t result = convertLabel(d, *to, &label);
    if (skipped) *skipped = label;
    return result;
}

int8_t ELKDuration_Multiply(ELKDuration_t* d, const char* factor, int32_t length)
{
    return scaleBy(d, factor, length, false);
}

int8_t ELKDuration_Divide(ELKDuration_t* d, const char* divisor, int32_t length)
{
    return scaleBy(d, divisor, length, true);
}

static int8_t addSigned(ELKDuration_t* a, const ELKDuration_t* b, bool subtract)
{
    if (ELKTimebase_Equal(&a->base, &b->base) != ELK_TRUE) return ELK_ERROR;
    int64_t count;
    if (subtract ? __builtin_sub_overflow(a->frames, b->frames, &count)
                 : __builtin_add_overflow(a->frames, b->frames, &count))
        return ELK_ERROR;
    a->frames = count;
    return ELK_OK;
}

int8_t ELKDuration_Add(ELKDuration_t* a, const ELKDuration_t* b)
{
    return addSigned(a, b, false);
}

int8_t ELKDuration_Subtract(ELKDuration_t* a, const ELKDuration_t* b)
{
    return addSigned(a, b, true);
}

int32_t ELKDuration_SkippedText(
    const ELKTimebase_t* tb, const ELKDurationFields_t* label, char* out, int32_t capacity)
{
    char rate[ELK_DURATION_TEXT_MAX];
    if (ELKTimebase_ToText(tb, rate, sizeof rate) < 0) rate[0] = '\0';
    char text[2 * ELK_DURATION_TEXT_MAX];
    const int n = std::snprintf(text, sizeof text, "%s%02llu:%02u:%02u;%0*u does not exist at %s",
        label->negative == ELK_TRUE ? "-" : "", static_cast<unsigned long long>(label->hours), label->minutes,
        label->seconds, tb->nominal > 100 ? 3 : 2, label->frames, rate);
    if (n < 0 || n >= int(sizeof text)) return ELK_ERROR;
    return copyOut(text, text + n, out, capacity);
}

int32_t ELKDuration_ToFeet(const ELKDuration_t* d, int32_t framesPerFoot, char* out, int32_t capacity)
{
    if (framesPerFoot != ELK_FEET_35MM && framesPerFoot != ELK_FEET_16MM) return ELK_ERROR;
    const uint64_t n = magnitude(d->frames);
    char text[ELK_DURATION_TEXT_MAX];
    char* p = text;
    if (d->frames < 0) *p++ = '-';
    p = writeDigits(p, n / uint32_t(framesPerFoot), 1);
    *p++ = '+';
    p = writeDigits(p, n % uint32_t(framesPerFoot), 2);
    return copyOut(text, p, out, capacity);
}

int8_t ELKDuration_FromFeet(ELKDuration_t* d, int32_t framesPerFoot, const char* text, int32_t length,
    int32_t* errorAt, int8_t* fault)
{
    const Fault f { errorAt, fault };
    Span s;
    if (!trim(text, length, &s)) return fail(f, 0, ELK_DURATION_FAULT_EMPTY);
    if (framesPerFoot != ELK_FEET_35MM && framesPerFoot != ELK_FEET_16MM)
        return fail(f, s.at, ELK_DURATION_FAULT_TIMEBASE);
    if (s.done()) return fail(f, s.at, ELK_DURATION_FAULT_EMPTY);
    const bool negative = readSign(&s);
    const int32_t start = s.at;
    uint64_t feet, frames;
    if (!readDigits(&s, &feet)) return fail(f, start, ELK_DURATION_FAULT_OUT_OF_RANGE);
    if (s.at == start || s.peek() != '+')
        return fail(f, s.at, s.done() ? ELK_DURATION_FAULT_INCOMPLETE : ELK_DURATION_FAULT_UNEXPECTED);
    const int32_t framesAt = ++s.at;
    if (!readDigits(&s, &frames) || s.at == framesAt || frames >= uint64_t(framesPerFoot))
        return fail(f, framesAt, ELK_DURATION_FAULT_FOOT_FRAMES);
    if (!s.done()) return fail(f, s.at, ELK_DURATION_FAULT_UNEXPECTED);
    const u128 count = u128(feet) * uint32_t(framesPerFoot) + frames;
    if (!fits(count, negative)) return fail(f, start, ELK_DURATION_FAULT_OUT_OF_RANGE);
    d->frames = signedCount(uint64_t(count), negative);
    return ELK_OK;
}

int8_t ELKDuration_LabelExists(const ELKTimebase_t* tb, const ELKDurationFields_t* label)
{
    if (!usable(*tb) || label->minutes >= 60 || label->seconds >= 60 || label->frames >= tb->nominal)
        return ELK_FALSE;
    // Whole hours are whole tens of minutes, so the hour does not matter.
    const uint64_t position = (uint64_t(label->minutes) * 60 + label->seconds) * tb->nominal + label->frames;
    return skips(*tb, position) ? ELK_FALSE : ELK_TRUE;
}
