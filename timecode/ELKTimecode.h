// SPDX-License-Identifier: MIT
// Timecode record, frame rates and arithmetic.
//
// A time of day is a frame count at one of six frame rates. All arithmetic
// wraps within one day: 86,400 seconds at the nominal frames per second, or,
// at 29.97 drop frame, the 2,589,408 labels that a drop-frame day holds.
#ifndef ELKTIMECODE_H
#define ELKTIMECODE_H

#include <cstdint>

#include "ELKBase.h"

// The six frame rates. Any other byte value is an invalid rate: 0.0 frames
// per second, nothing in a day, and the arithmetic leaves such records alone.
enum ELKFrameRate_t : int8_t {
    ELK_FR_2397 = 0, // 23.976, counted as 24 labels a second
    ELK_FR_24,
    ELK_FR_25,
    ELK_FR_2997, // 29.97 non-drop, counted as 30 labels a second
    ELK_FR_2997DF, // 29.97 drop frame
    ELK_FR_30
};

// Labels in a 29.97 drop-frame day: the modulus of drop-frame arithmetic.
constexpr uint32_t ELK_DROPFRAME_DAY = 2589408;

struct ELKTimecode_t {
    uint32_t frames; // count since 00:00:00:00, kept below one day
    ELKFrameRate_t rate;
    int8_t labelMode; // ELK_TRUE: entered as a label; else as a frame count
};

// Sets the record to 00:00:00:00 at 30 fps with labelMode ELK_TRUE.
void ELKTimecode_Init(ELKTimecode_t* tc);

// Ends the record's life; it holds nothing to release.
void ELKTimecode_Destroy(ELKTimecode_t* tc);

// The record's frame count.
uint32_t ELKTimecode_GetFrames(const ELKTimecode_t* tc);

// Copies frames, rate and labelMode, all or none. Nothing is copied when a
// pointer is null, or when sameRateOnly is ELK_TRUE and the rates differ.
void ELKTimecode_Copy(ELKTimecode_t* dst, const ELKTimecode_t* src, int8_t sameRateOnly);

// Frames per second of a rate (23.976, 24, 25, 29.97, 29.97, 30); 0.0 for an
// invalid rate.
double ELKTimecode_RateToFps(ELKFrameRate_t rate);

// floor(x) and ceil(x) for 0 < |x| <= 4,294,967,295; the integer part of a
// larger magnitude wraps modulo 2^32 (so ELK_Ceil of a value just below 2^32
// is 0). Zero, NaN and infinities come back unchanged.
double ELK_Floor(double x);
double ELK_Ceil(double x);

// Frame count of a drop-frame label, 0 to 2,589,407. Fields may be out of
// range; the label position wraps at 24 hours. A label that drop frame skips
// (frame 0 or 1 at the start of most minutes) gives the count two earlier.
uint32_t ELKTimecode_DropFrameToCount(uint32_t frames, uint32_t seconds, uint32_t minutes, uint32_t hours);

// Adds or subtracts an amount, wrapping within the day. At drop frame with
// labelMode ELK_TRUE the amount is read as a drop-frame label; otherwise at
// the nominal frames per second. An invalid rate changes nothing.
void ELKTimecode_Add(ELKTimecode_t* tc, uint32_t frames, uint32_t seconds, uint32_t minutes, uint32_t hours);
void ELKTimecode_Subtract(
    ELKTimecode_t* tc, uint32_t frames, uint32_t seconds, uint32_t minutes, uint32_t hours);

// Sets the record from fields, read as ELKTimecode_Add reads them.
void ELKTimecode_Set(ELKTimecode_t* tc, uint32_t hours, uint32_t minutes, uint32_t seconds, uint32_t frames);

// Splits the record into hours, minutes, seconds, frames (drop-frame labels
// at ELK_FR_2997DF). Returns 4, or ELK_ERROR when size is below 4. An
// invalid rate gives four zeros.
int8_t ELKTimecode_GetFields(const ELKTimecode_t* tc, uint8_t* out, int32_t size);

// Stores mode in labelMode unless it is 0, then converts to a new rate:
// with labelMode ELK_TRUE the label is kept, otherwise the frame count.
void ELKTimecode_SetFrameRate(ELKTimecode_t* tc, ELKFrameRate_t rate, int8_t mode);

#endif
