// SPDX-License-Identifier: MIT
// CMX3600 EDLs: an event line is a number, a reel, a track, a transition and
// four times (source in and out, record in and out). An input is an EDL when
// some line reads as an event. Other lines are notes; FCM: switches between
// drop-frame and non-drop labels, and FCM: DROP FRAME before the first event
// declares the EDL's own rate, 29.97 drop frame.
#include "ELKListReader.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

namespace elklist
{

// An event line's parts: the reel spans every token between the number and the track.
struct Event {
    Token reel;
    Token track;
    Token recordOut;
    Time record[2];
};

static bool isTrack(Token t)
{
    if (*t.begin != 'A' && *t.begin != 'B' && *t.begin != 'V') return false;
    for (const char* p = t.begin; p < t.end; ++p)
        if (*p != 'A' && *p != 'B' && *p != 'V' && *p != '/' && !ELKChar_IsDigit(*p)) return false;
    return true;
}

// Dissolves, wipes and keys carry a duration in frames after them.
static bool isTimedTransition(Token t)
{
    if (equals(t, "D") || equals(t, "K") || equals(t, "KB") || equals(t, "KO")) return true;
    return *t.begin == 'W' && allDigits(Token { t.begin + 1, t.end });
}

// Checks the shape of an event line (its first token is a number): reel,
// track, transition and four times.
static bool readEvent(const char* begin, const char* end, bool wideFrames, Event* ev, Fault* f)
{
    // Long reel names may hold blanks, so the fields are read from the right.
    Token first[2] = {}, last[8] = {};
    int64_t n = 0;
    Token t;
    for (const char* p = begin; nextToken(&p, end, &t); ++n) {
        if (n < 2) first[n] = t;
        last[n % 8] = t;
    }
    const auto token = [&](int64_t i) { return i < 2 ? first[i] : last[i % 8]; };
    if (n < 5) return fault(f, ELK_FAULT_NOT_FOUR_TIMES, n > 1 ? first[1].begin : end);
    for (int64_t i = n - 4; i < n; ++i)
        if (!looksLikeTime(token(i))) return fault(f, ELK_FAULT_NOT_FOUR_TIMES, token(i).begin);
    for (int64_t i = n - 4; i < n; ++i) {
        Time time;
        const bool record = i >= n - 2;
        if (!readTime(token(i), false, !record || wideFrames, &time, f)) return false;
        if (record) ev->record[i - (n - 2)] = time;
    }
    ev->recordOut = token(n - 1);
    int64_t k = n - 5;
    if (k < 1) return fault(f, ELK_FAULT_NO_TRANSITION, token(n - 4).begin);
    if (!equals(token(k), "C")) {
        if (allDigits(token(k)) && k > 1 && isTimedTransition(token(k - 1)))
            --k;
        else
            return fault(f,
                isTimedTransition(token(k)) ? ELK_FAULT_NO_TRANSITION_DURATION : ELK_FAULT_NO_TRANSITION,
                token(k).begin);
    }
    if (k < 2 || !isTrack(token(k - 1))) return fault(f, ELK_FAULT_NO_TRACK, token(k < 2 ? k : k - 1).begin);
    if (k < 3) return fault(f, ELK_FAULT_NO_REEL, token(k - 1).begin);
    ev->track = token(k - 1);
    ev->reel = Token { token(1).begin, token(k - 2).end };
    return true;
}

static bool isEventLine(const char* p, const char* end)
{
    Token number;
    return nextToken(&p, end, &number) && allDigits(number);
}

enum Fcm { kFcmOther, kFcmDrop, kFcmNonDrop };

// What an FCM: line says, from after its "FCM:".
static Fcm fcmSays(const char* p, const char* end)
{
    char word[16];
    int32_t n = 0;
    for (; p < end; ++p) {
        const char c = ELKChar_ToUpper(*p);
        if (ELKChar_IsBlank(c) || c == '-') continue;
        if (n == int32_t(sizeof word)) return kFcmOther;
        word[n++] = c;
    }
    const Token said { word, word + n };
    return equals(said, "DROPFRAME") ? kFcmDrop : equals(said, "NONDROPFRAME") ? kFcmNonDrop : kFcmOther;
}

static void readFcm(Reader& r, const char* p)
{
    const Fcm said = fcmSays(p, r.end);
    if (!r.eventSeen && said == kFcmDrop) {
        // Only 29.97 has a drop-frame form in an EDL; the list may take it as its timebase.
        ELKTimebase_t own;
        ELKTimebase_Set(&own, 30000, 1001, ELK_TRUE);
        ELKList_SetInputRate(r.list, &own, r.policy);
        setReading(r);
    }
    if (r.hasDrop && said == kFcmDrop) r.drop = 1;
    if (r.hasDrop && said == kFcmNonDrop) r.drop = 0;
    mark(r, said == kFcmDrop ? kMarkDrop : said == kFcmNonDrop ? kMarkNonDrop : kMarkFcmOther);
}

// An EDL read at a frame rate other than the one it declares keeps its
// record span at its own too, for its length there; one event that does not
// read at it leaves the EDL without that length.
static void countOwn(Reader& r, const Event& ev)
{
    const ELKListInput_t& in = r.list->inputList[r.list->inputs];
    const ELKTimebase_t& base = r.list->base;
    if (in.hasRate != ELK_TRUE || (in.rate.num == base.num && in.rate.den == base.den) || r.own.failed)
        return;
    Reader own = r;
    own.reading[own.drop] = in.rate;
    int64_t inOut[2];
    Fault f;
    for (int32_t i = 0; i < 2; ++i)
        if (!countTime(own, ev.record[i], &inOut[i], &f)) {
            r.own.failed = true;
            return;
        }
    r.own.in = r.own.counted ? std::min(r.own.in, inOut[0]) : inOut[0];
    r.own.out = r.own.counted ? std::max(r.own.out, inOut[1]) : inOut[1];
    r.own.counted = true;
}

// Notes, titles and frame-code modes: lines that may hold times and are not events.
static bool isNote(const char* p, const char* end)
{
    Token first;
    if (!nextToken(&p, end, &first)) return false;
    for (const char* word : { "*", ">>>", "SPLIT:", "TITLE:", "FCM:" })
        if (startsWith(first.begin, first.end, word)) return true;
    for (const char* word : { "M2", "AUD", "REM", "EFFECTS" })
        if (equals(first, word)) return true;
    return false;
}

bool edlDetect(const Reader& r, const char* text, int64_t length)
{
    // Every LF or CR starts a line here: an empty line between CR and LF is no
    // event either. Only a line that opens with a number needs a closer look.
    const char* end = text + length;
    for (const char* p = text; p < end;) {
        const void* lf = std::memchr(p, '\n', size_t(end - p));
        const char* q = lf ? static_cast<const char*>(lf) : end;
        if (const void* cr = std::memchr(p, '\r', size_t(q - p))) q = static_cast<const char*>(cr);
        const char* s = skipBlanks(p, q);
        Event ev;
        Fault f;
        if (s < q && ELKChar_IsDigit(*s) && isEventLine(s, q) && readEvent(s, q, r.wideFrames, &ev, &f))
            return true;
        p = q + 1;
    }
    return false;
}

void edlReadLine(Reader& r)
{
    const char* p = skipBlanks(r.begin, r.end);
    if (startsWith(p, r.end, "FCM:")) readFcm(r, p + 4);
    if (!isEventLine(p, r.end)) {
        // Other lines are notes, as long as no time is lost in them.
        if (isNote(p, r.end)) return;
        for (Token t; nextToken(&p, r.end, &t);)
            if (isTimeLike(t)) return fail(r, ELK_FAULT_TIME_OUTSIDE_EVENT, t.begin);
        return;
    }
    if (!r.eventSeen) mark(r, kMarkFirstEvent);
    r.eventSeen = true;
    if (!reserveLine(r)) return;
    Event ev;
    Fault f;
    int64_t inOut[2];
    bool ok = readEvent(p, r.end, r.wideFrames, &ev, &f);
    for (int32_t i = 0; i < 2 && ok; ++i) ok = countTime(r, ev.record[i], &inOut[i], &f);
    if (!ok)
        fail(r, f);
    else if (inOut[1] < inOut[0])
        fail(r, ELK_FAULT_OUT_BEFORE_IN, ev.recordOut.begin);
    else if (addEntry(r, ev.reel, ev.track, inOut, inOut[1] - inOut[0], ev.record[0].group[0]))
        countOwn(r, ev);
}

} // namespace elklist
