// SPDX-License-Identifier: MIT
// Plain lists: a label and one time (a duration) or two (in and out) on a
// line, separated by blanks or commas. Lines without a time are headings;
// lines starting with '#' are comments.
#include "ELKListReader.h"

namespace elklist
{

bool plainListDetect(const Reader&, const char*, int64_t)
{
    return true;
}

void plainListReadLine(Reader& r)
{
    const char* p = skipBlanks(r.begin, r.end);
    if (p == r.end || *p == '#') return;
    if (!reserveLine(r)) return;
    // The label is written to the pool as it is read and kept only if the line counts.
    ELKList_t* list = r.list;
    char* label = list->text + list->textLength;
    int64_t labelLength = 0;
    Time times[2];
    int32_t count = 0;
    const char* third = nullptr;
    Fault f;
    for (Token t; nextToken(&p, r.end, true, &t);) {
        if (looksLikeTime(t, true)) {
            Time time;
            if (!readTime(t, true, r.wideFrames, &time, &f)) return fail(r, f);
            if (count < 2)
                times[count++] = time;
            else if (!third)
                third = t.begin;
        } else {
            if (labelLength) label[labelLength++] = ' ';
            for (const char* c = t.begin; c < t.end; ++c) label[labelLength++] = *c;
        }
    }
    if (third) return fail(r, ELK_FAULT_THREE_TIMES, third);
    if (count == 0) return; // a heading
    for (int32_t i = 0; count == 2 && i < 2; ++i)
        if (times[i].sign) return fail(r, ELK_FAULT_SIGNED_IN_OUT, times[i].sign);
    int64_t frames[2];
    for (int32_t i = 0; i < count; ++i)
        if (!countTime(r, times[i], &frames[i], &f)) return fail(r, f);
    const Token text { label, label + labelLength };
    const char* at = times[0].sign ? times[0].sign : times[0].group[0];
    if (count == 1) {
        addEntry(r, text, Token {}, nullptr, frames[0], at);
        return;
    }
    // An out below its in crosses midnight, once: an in past 24 hours could
    // otherwise leave a negative length.
    int64_t duration = frames[1] - frames[0];
    if (duration < 0) duration += r.day[r.drop];
    if (duration < 0) return fail(r, ELK_FAULT_OUT_DAY_BEFORE_IN, times[1].group[0]);
    addEntry(r, text, Token {}, frames, duration, at);
}

} // namespace elklist
