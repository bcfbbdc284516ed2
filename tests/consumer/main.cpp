// SPDX-License-Identifier: MIT
// Reads one drop-frame label and prints its frame count; exits 1 if it is wrong.
#include <ELKString.h>
#include <ELKTimecode.h>
#include <ELKTimecodeText.h>

#include <cstdio>

int main()
{
    ELKTimecode_t tc;
    ELKTimecode_Init(&tc);
    ELKTimecode_SetFrameRate(&tc, ELK_FR_2997DF, ELK_TRUE);
    ELKString_t text;
    ELKString_InitWith(&text, "01:00:00;00", 11);
    const bool read = ELKTimecode_FromString(&tc, &text) == ELK_OK;
    const uint32_t frames = ELKTimecode_GetFrames(&tc);
    std::printf("01:00:00;00 at 29.97 drop frame is frame %u\n", frames);
    ELKString_Destroy(&text);
    ELKTimecode_Destroy(&tc);
    return read && frames == 107892 ? 0 : 1;
}
