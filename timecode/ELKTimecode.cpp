// SPDX-License-Identifier: MIT
#include "ELKTimecode.h"

#include <cmath>
#include <iterator>

#include "ELKString.h"

namespace
{

struct RateInfo {
    double fps;
    uint32_t nominal; // frame labels per second: ELK_Ceil(fps)
    uint32_t day; // modulus of the arithmetic
};

constexpr RateInfo kRates[] = {
    { 23.976, 24, 86400 * 24 },
    { 24.0, 24, 86400 * 24 },
    { 25.0, 25, 86400 * 25 },
    { 29.97, 30, 86400 * 30 },
    { 29.97, 30, ELK_DROPFRAME_DAY },
    { 30.0, 30, 86400 * 30 },
};
constexpr RateInfo kInvalidRate = { 0.0, 0, 0 };

const RateInfo& rateInfo(ELKFrameRate_t rate)
{
    const int index = rate;
    return index >= 0 && index < int(std::size(kRates)) ? kRates[index] : kInvalidRate;
}

// Drop frame skips labels ;00 and ;01 at the start of every minute except
// every tenth: ten minutes hold 17,982 labels, the first minute 1,800.
constexpr uint32_t kLabelsPerTenMinutes = 17982;
constexpr uint32_t kLabelsPerDroppedMinute = 1798;
constexpr uint32_t kLabelsPerNominalDay = 86400 * 30;

// The amount in frames, already reduced to less than the record's day.
uint64_t amountInFrames(
    const ELKTimecode_t* tc, const RateInfo& r, uint32_t f, uint32_t s, uint32_t m, uint32_t h)
{
    if (tc->rate == ELK_FR_2997DF && tc->labelMode == ELK_TRUE)
        return ELKTimecode_DropFrameToCount(f, s, m, h);
    // 64-bit: any four 32-bit fields fit, so huge amounts fold onto the right time of day.
    const uint64_t seconds = uint64_t(s) + 60 * uint64_t(m) + 3600 * uint64_t(h);
    return (r.nominal * seconds + f) % r.day;
}

} // namespace

void ELKTimecode_Init(ELKTimecode_t* tc)
{
    ELK_MemTrack(int32_t(sizeof(ELKTimecode_t)));
    tc->frames = 0;
    tc->rate = ELK_FR_30;
    tc->labelMode = ELK_TRUE;
}

void ELKTimecode_Destroy(ELKTimecode_t*)
{
    ELK_MemTrack(int32_t(sizeof(ELKTimecode_t)));
}

uint32_t ELKTimecode_GetFrames(const ELKTimecode_t* tc)
{
    return tc->frames;
}

void ELKTimecode_Copy(ELKTimecode_t* dst, const ELKTimecode_t* src, int8_t sameRateOnly)
{
    if (!dst || !src) return;
    if (sameRateOnly == ELK_TRUE && dst->rate != src->rate) return;
    *dst = *src;
}

double ELKTimecode_RateToFps(ELKFrameRate_t rate)
{
    return rateInfo(rate).fps;
}

double ELK_Floor(double x)
{
    if (x < 0) return -ELK_Ceil(-x);
    if (!(x > 0) || std::isinf(x)) return x;
    // fmod is exact, so the cast below always fits and is defined.
    return double(uint32_t(std::fmod(std::trunc(x), 4294967296.0)));
}

double ELK_Ceil(double x)
{
    if (x < 0) return -ELK_Floor(-x);
    if (!(x > 0) || std::isinf(x)) return x;
    uint32_t u = uint32_t(std::fmod(std::trunc(x), 4294967296.0));
    if (double(u) < x) ++u;
    return double(u);
}

uint32_t ELKTimecode_DropFrameToCount(uint32_t frames, uint32_t seconds, uint32_t minutes, uint32_t hours)
{
    // Label position in a day of 30 labels a second; 64-bit so that any
    // field values wrap at 24 hours rather than at 2^32.
    const uint64_t pos
        = (uint64_t(frames) + 30 * uint64_t(seconds) + 1800 * uint64_t(minutes) + 108000 * uint64_t(hours))
        % kLabelsPerNominalDay;
    const uint32_t t = uint32_t(pos);
    const uint32_t wholeMinutes = t / 1800;
    return t - 2 * (wholeMinutes - wholeMinutes / 10);
}

void ELKTimecode_Add(ELKTimecode_t* tc, uint32_t frames, uint32_t seconds, uint32_t minutes, uint32_t hours)
{
    const RateInfo& r = rateInfo(tc->rate);
    if (r.day == 0) return;
    const uint64_t amount = amountInFrames(tc, r, frames, seconds, minutes, hours);
    tc->frames = uint32_t((tc->frames + amount) % r.day);
}

void ELKTimecode_Subtract(
    ELKTimecode_t* tc, uint32_t frames, uint32_t seconds, uint32_t minutes, uint32_t hours)
{
    const RateInfo& r = rateInfo(tc->rate);
    if (r.day == 0) return;
    const uint64_t amount = amountInFrames(tc, r, frames, seconds, minutes, hours);
    tc->frames = uint32_t((uint64_t(tc->frames) + r.day - amount) % r.day);
}

void ELKTimecode_Set(ELKTimecode_t* tc, uint32_t hours, uint32_t minutes, uint32_t seconds, uint32_t frames)
{
    tc->frames = 0;
    ELKTimecode_Add(tc, frames, seconds, minutes, hours);
}

int8_t ELKTimecode_GetFields(const ELKTimecode_t* tc, uint8_t* out, int32_t size)
{
    if (size < 4) return ELK_ERROR;
    const RateInfo& r = rateInfo(tc->rate);
    uint32_t n = tc->frames;
    uint32_t fps = r.nominal;
    if (fps == 0) {
        out[0] = out[1] = out[2] = out[3] = 0;
        return 4;
    }
    if (tc->rate == ELK_FR_2997DF) {
        // Labels repeat every drop-frame day; put back the two labels skipped
        // in each minute that has started, then read the label position at 30.
        n %= ELK_DROPFRAME_DAY;
        const uint32_t tens = n / kLabelsPerTenMinutes;
        const uint32_t rest = n % kLabelsPerTenMinutes;
        n += 18 * tens;
        if (rest >= 2) n += 2 * ((rest - 2) / kLabelsPerDroppedMinute);
    }
    // Each field is kept to one byte, as the buffer holds; only counts beyond
    // a day (set by direct assignment) have hours above 23.
    const uint8_t h = uint8_t(n / (3600 * fps));
    n -= h * 3600 * fps;
    const uint8_t m = uint8_t(n / (60 * fps));
    n -= m * 60 * fps;
    const uint8_t s = uint8_t(n / fps);
    n -= s * fps;
    out[0] = h;
    out[1] = m;
    out[2] = s;
    out[3] = uint8_t(n);
    return 4;
}

void ELKTimecode_SetFrameRate(ELKTimecode_t* tc, ELKFrameRate_t rate, int8_t mode)
{
    if (mode != 0) tc->labelMode = mode;
    if (rate == tc->rate) return;
    if (tc->labelMode == ELK_TRUE) {
        uint8_t f[4];
        ELKTimecode_GetFields(tc, f, 4);
        tc->rate = rate;
        tc->frames = 0;
        ELKTimecode_Add(tc, f[3], f[2], f[1], f[0]);
    } else {
        const uint32_t n = tc->frames;
        tc->rate = rate;
        tc->frames = 0;
        ELKTimecode_Add(tc, n, 0, 0, 0);
    }
}
