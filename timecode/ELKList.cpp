// SPDX-License-Identifier: MIT
// The list model: entries, errors, tracks, inputs and their totals, fed by
// the text readers (a file per format) and by the builder functions.
#include "ELKList.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "ELKListReader.h"
#include "ELKString.h"
#include "ELKText.h"

using namespace elklist;

namespace
{

enum Room { kEntries, kErrors, kTracks, kText, kInputs };

// Tried in order; the last takes any input.

// Reasons by fault; the ones with numbers or a name (%s, the detail) are
// formats that ELKList_ErrorText fills.
const char* const kReasons[] = {
    "no fault",
    "more than four digit groups",
    "stray character in a time",
    "a digit group needs two digits",
    "frames need two digits",
    "frames need two or three digits",
    "a time needs three or four digit groups",
    "a time needs four digit groups",
    "minutes %llu at or above 60",
    "seconds %llu at or above 60",
    "frames %llu at %s fps",
    "%02llu:%02llu:%02llu;%0*llu does not exist at %s",
    "time too large",
    "total too large",
    "time cannot be read",
    "three or more times on a line",
    "sign on an in or out time",
    "out more than a day before in",
    "duration %s does not match out \xE2\x88\x92 in %s",
    "event line does not end in four times",
    "record out before record in",
    "no transition before the times",
    "transition without its duration",
    "no track before the transition",
    "no reel before the track",
    "time on a line that is not an event",
    "out of memory: this and later lines left out",
    "line too long",
    "not a text file",
    "larger than 1 GiB",
    "not well-formed",
    "no timeline in this file",
    "%s is not a time",
    "%s is not a whole frame count",
    "no %s",
    "negative duration",
    "nested too deeply",
    "lane %s is not a whole number other than 0",
    "project without a sequence",
    "start -1 without a transition before it",
    "end -1 without a transition after it",
    "end before start",
    "clip with neither source_range nor available_range",
    "no %s column",
    "neither End nor Duration",
    "cannot be opened",
    "a folder, not a list",
    "a cue time is written 00:01:02,500 or 00:01:02.500",
    "no --> between the cue times",
    "cue ends before it starts",
    "XML root <%s> is not a timeline Horodex reads (fcpxml, xmeml)",
    "JSON that is not an OpenTimelineIO file",
};
static_assert(std::size(kReasons) == ELK_FAULT_COUNT, "a reason for every fault");

// A detail longer than any reason shows is kept only in part.
constexpr int32_t kDetailMax = ELK_LIST_REASON_MAX;

int64_t copyToPool(ELKList_t* list, const char* text, int64_t n)
{
    const int64_t at = list->textLength;
    if (n && text != list->text + at) ELK_MemCopy(list->text + at, text, uint32_t(n));
    list->textLength += n;
    return at;
}

int64_t lineLength(const Line& line)
{
    return line.begin ? line.end - line.begin : 0;
}

int32_t columnAt(const Line& line, const char* at)
{
    return line.begin && at ? columnOf(line.begin, at) : 0;
}

void setError(ELKList_t* list, const Line& line, int32_t column, int8_t fault, bool withText)
{
    ELKListError_t& e = list->errors[list->errorCount++];
    e = ELKListError_t {};
    e.input = list->inputs;
    e.line = line.number;
    e.column = column;
    e.textLength = withText ? int32_t(lineLength(line)) : 0;
    e.text = copyToPool(list, line.begin, e.textLength);
    e.detail = list->textLength;
    e.fault = ELKListFault_t(fault);
}

// Records the shortage in the error kept in reserve and closes the input to more.
void outOfMemory(ELKList_t* list, const Line& line)
{
    setError(list, line, line.begin ? 1 : 0, ELK_FAULT_NO_MEMORY, reservePool(list, lineLength(line)));
    list->state->stop = true;
}

ELKListError_t* addError(
    ELKList_t* list, const Line& line, int32_t column, int8_t fault, const char* detail, int32_t detailLength)
{
    ELKListState_t& s = *list->state;
    if (s.stop) return nullptr;
    detailLength = detail ? std::clamp(detailLength, 0, kDetailMax) : 0;
    if (!reserve(&list->errors, &s.capacity[kErrors], list->errorCount, list->errorCount + 2)
        || !reservePool(list, lineLength(line) + detailLength)) {
        outOfMemory(list, line);
        return nullptr;
    }
    setError(list, line, column, fault, true);
    ELKListError_t& e = list->errors[list->errorCount - 1];
    e.detail = copyToPool(list, detail, detailLength);
    e.detailLength = detailLength;
    return &e;
}

uint32_t hashOf(const char* p, int64_t n)
{
    uint32_t h = 2166136261u;
    for (int64_t i = 0; i < n; ++i) h = (h ^ uint8_t(p[i])) * 16777619u;
    return h;
}

// A label met lately, kept once in the pool: labels recur (an EDL's reels
// come back event after event), and a long list holds one a line.
int64_t keepLabel(ELKList_t* list, Token label)
{
    ELKListState_t& s = *list->state;
    const int64_t n = label.end - label.begin;
    if (n == 0) return list->textLength;
    if (!s.labels) {
        s.labels = static_cast<ELKListLabel_t*>(ELK_Alloc(kLabelSlots * sizeof(ELKListLabel_t)));
        if (s.labels) ELK_MemSet(s.labels, 0, kLabelSlots * sizeof(ELKListLabel_t));
    }
    ELKListLabel_t* slot = s.labels ? &s.labels[hashOf(label.begin, n) & (kLabelSlots - 1)] : nullptr;
    if (slot && slot->length == n && std::equal(label.begin, label.end, list->text + slot->at))
        return slot->at;
    const int64_t at = copyToPool(list, label.begin, n);
    if (slot) *slot = ELKListLabel_t { at, int32_t(n) };
    return at;
}

// The slot that holds the track's index + 1, or the free slot where it belongs.
int32_t* trackSlot(ELKList_t* list, const char* name, int64_t n)
{
    const ELKListState_t& s = *list->state;
    const uint32_t mask = uint32_t(s.trackSlotCount) - 1;
    for (uint32_t i = hashOf(name, n) & mask;; i = (i + 1) & mask) {
        int32_t* slot = &s.trackSlots[i];
        if (*slot == 0) return slot;
        const ELKListTrack_t& t = list->tracks[*slot - 1];
        if (t.nameLength == n && std::equal(name, name + n, list->text + t.name)) return slot;
    }
}

ELKListTrack_t* findTrack(ELKList_t* list, Token name)
{
    if (!list->trackCount) return nullptr;
    const int32_t index = *trackSlot(list, name.begin, name.end - name.begin);
    return index ? &list->tracks[index - 1] : nullptr;
}

// Adds a track; the pool has room for its name.
int32_t addTrack(ELKList_t* list, Token name)
{
    ELKListState_t& s = *list->state;
    const int32_t count = list->trackCount;
    if (count >= 1 << 27) return -1;
    if (!reserve(&list->tracks, &s.capacity[kTracks], count, int64_t(count) + 1)) return -1;
    if (int64_t(count + 1) * 2 > s.trackSlotCount) {
        const int32_t size = std::max(16, s.trackSlotCount * 2);
        auto* slots = static_cast<int32_t*>(ELK_Alloc(uint32_t(size) * sizeof(int32_t)));
        if (!slots) return -1;
        ELK_MemSet(slots, 0, uint32_t(size) * sizeof(int32_t));
        ELK_Free(s.trackSlots);
        s.trackSlots = slots;
        s.trackSlotCount = size;
        for (int32_t i = 0; i < count; ++i) {
            const ELKListTrack_t& t = list->tracks[i];
            *trackSlot(list, list->text + t.name, t.nameLength) = i + 1;
        }
    }
    const int64_t n = name.end - name.begin;
    ELKListTrack_t& t = list->tracks[count];
    t.name = copyToPool(list, name.begin, n);
    t.nameLength = int32_t(n);
    t.sum = 0;
    t.unique = 0;
    *trackSlot(list, name.begin, n) = count + 1;
    list->trackCount = count + 1;
    return count;
}

// Adds an entry, with an in and an out when inOut is not null; at is where an
// error about it points. The pool has room for the label and the track.
bool addEntry(ELKList_t* list, const Line& line, const char* at, Token label, Token track,
    const int64_t* inOut, int64_t duration)
{
    ELKListState_t& s = *list->state;
    if (s.stop) return false;
    ELKListTrack_t* known = track.begin != track.end ? findTrack(list, track) : nullptr;
    int64_t sum, covered = s.covered, trackSum = known ? known->sum : 0, end = 0;
    if (__builtin_add_overflow(list->sum, duration, &sum)
        || (inOut && __builtin_add_overflow(covered, duration, &covered))
        || __builtin_add_overflow(trackSum, duration, &trackSum)
        || (inOut && __builtin_add_overflow(inOut[0], duration, &end))) {
        addError(list, line, columnAt(line, at), ELK_FAULT_TOTAL_TOO_LARGE, nullptr, 0);
        return false;
    }
    if (!reserve(&list->entries, &s.capacity[kEntries], list->entryCount, list->entryCount + 1)
        || (inOut && !reserve(&s.spans, &s.spanCapacity, s.spanCount, s.spanCount + 1))) {
        outOfMemory(list, line);
        return false;
    }
    ELKListEntry_t& e = list->entries[list->entryCount];
    e.input = list->inputs;
    e.line = line.number;
    e.labelLength = int32_t(label.end - label.begin);
    const int64_t pool = list->textLength;
    e.label = keepLabel(list, label);
    e.track = list->textLength;
    e.trackLength = 0;
    int32_t index = -1;
    if (track.begin != track.end) {
        index = known ? int32_t(known - list->tracks) : addTrack(list, track);
        if (index < 0) {
            list->textLength = pool;
            // The label taken back may be the one the cache keeps.
            if (s.labels) ELK_MemSet(s.labels, 0, kLabelSlots * sizeof(ELKListLabel_t));
            outOfMemory(list, line);
            return false;
        }
        e.track = list->tracks[index].name;
        e.trackLength = list->tracks[index].nameLength;
        list->tracks[index].sum = trackSum;
    }
    e.hasInOut = inOut ? ELK_TRUE : ELK_FALSE;
    e.in = inOut ? inOut[0] : 0;
    e.out = inOut ? inOut[1] : 0;
    e.duration = duration;
    e.running = list->sum = sum;
    ++list->entryCount;
    if (inOut) {
        s.spans[s.spanCount++] = ELKListSpan_t { index, inOut[0], end };
        s.covered = covered;
        list->hasUnique = ELK_TRUE;
    }
    return true;
}

// Unique lengths within the open input: each has its own record timeline.
// Rows of separate material never overlap: each adds its whole length.
int64_t addUnique(ELKList_t* list, bool separate)
{
    ELKListState_t& st = *list->state;
    ELKListSpan_t* s = st.spans;
    const int64_t n = st.spanCount;
    if (n == 0) return 0;
    if (separate) {
        int64_t length = 0;
        for (int64_t i = 0; i < n; ++i) {
            length += s[i].out - s[i].in;
            if (s[i].track >= 0) list->tracks[s[i].track].unique += s[i].out - s[i].in;
        }
        list->unique += length;
        return length;
    }
    std::sort(s, s + n, [](const ELKListSpan_t& a, const ELKListSpan_t& b) {
        return a.track != b.track ? a.track < b.track : a.in < b.in;
    });
    for (int64_t i = 0, j = 0; i < n; i = j) {
        while (j < n && s[j].track == s[i].track) ++j;
        if (s[i].track < 0) continue;
        const ELKListShare_t share { list->inputs, s[i].track, unionLength(s + i, j - i) };
        list->tracks[share.track].unique += share.unique;
        if (reserve(&st.shares, &st.shareCapacity, st.shareCount, st.shareCount + 1))
            st.shares[st.shareCount++] = share;
        else
            st.sharesLost = true;
    }
    if (s[0].track != s[n - 1].track)
        std::sort(s, s + n, [](const ELKListSpan_t& a, const ELKListSpan_t& b) { return a.in < b.in; });
    const int64_t length = unionLength(s, n);
    list->unique += length;
    return length;
}

// Latest out minus earliest in of the open input's spans.
int64_t spanLength(const ELKListState_t& s)
{
    int64_t in = s.spans[0].in, out = s.spans[0].out;
    for (int64_t i = 1; i < s.spanCount; ++i) {
        in = std::min(in, s.spans[i].in);
        out = std::max(out, s.spans[i].out);
    }
    return out - in;
}

// The formats the text readers of this library read: their length is their spans'.
bool isTextFormat(int8_t format)
{
    return format == ELK_FORMAT_LIST || format == ELK_FORMAT_EDL || format == ELK_FORMAT_SRT
        || format == ELK_FORMAT_VTT;
}

bool isOpen(const ELKList_t* list)
{
    return list && list->state && list->state->open;
}

// Writes text at most capacity - 1 bytes long, cut at a character.
int32_t append(char* out, int32_t at, int32_t capacity, const char* text, int64_t length)
{
    int64_t n = std::min<int64_t>(length, capacity - 1 - at);
    if (n < length)
        while (n > 0 && (uint8_t(text[n]) & 0xC0) == 0x80) --n;
    ELK_MemCopy(out + at, text, uint32_t(std::max<int64_t>(n, 0)));
    at += int32_t(std::max<int64_t>(n, 0));
    out[at] = '\0';
    return at;
}

struct RateName {
    char text[ELK_DURATION_TEXT_MAX];
};

// A frame count written as its label at tb: "00:00:05:00".
RateName labelOf(const ELKTimebase_t& tb, unsigned long long frames)
{
    RateName label;
    const ELKDuration_t d { int64_t(std::min<unsigned long long>(frames, INT64_MAX)), tb };
    if (ELKDuration_ToText(&d, label.text, sizeof label.text, ELK_FALSE) < 0) label.text[0] = '\0';
    return label;
}

// "25", "29.97", or with drop frame "29.97df".
RateName rateName(ELKTimebase_t tb, bool dropFrame)
{
    RateName name;
    tb.dropFrame = dropFrame ? ELK_TRUE : ELK_FALSE;
    if (ELKTimebase_ToText(&tb, name.text, sizeof name.text) < 0)
        std::snprintf(name.text, sizeof name.text, "%u", unsigned(tb.nominal));
    return name;
}

} // namespace

// The text readers' way into the model, for the line in hand.
namespace elklist
{

bool reservePool(ELKList_t* list, int64_t more)
{
    return reserve(&list->text, &list->state->capacity[kText], list->textLength, list->textLength + more);
}

int32_t trackIndex(ELKList_t* list, const char* name, int64_t length)
{
    return list->trackCount ? *trackSlot(list, name, length) - 1 : -1;
}

int64_t unionLength(const ELKListSpan_t* s, int64_t n)
{
    int64_t length = 0, in = s[0].in, out = s[0].out;
    for (int64_t i = 1; i < n; ++i) {
        if (s[i].in > out) {
            length += out - in;
            in = s[i].in;
        }
        out = std::max(out, s[i].out);
    }
    return length + out - in;
}

void mark(Reader& r, int8_t kind)
{
    ELKListState_t& s = *r.list->state;
    if (s.stop) return;
    if (!reserve(&s.marks, &s.markCapacity, s.markCount, s.markCount + 1)) return outOfMemory(r);
    s.marks[s.markCount++] = ELKListMark_t { r.list->inputs, r.line, kind };
}

bool reserveLine(Reader& r)
{
    if (reservePool(r.list, r.end - r.begin)) return true;
    outOfMemory(r);
    return false;
}

void fail(Reader& r, const Fault& f)
{
    const Line line { r.line, r.begin, r.end };
    if (ELKListError_t* e = addError(r.list, line, columnOf(r.begin, f.at), f.code, nullptr, 0))
        std::copy(f.value, f.value + 4, e->value);
}

void outOfMemory(Reader& r)
{
    ::outOfMemory(r.list, Line { r.line, r.begin, r.end });
}

bool addEntry(Reader& r, Token label, Token track, const int64_t* inOut, int64_t duration, const char* at)
{
    return ::addEntry(r.list, Line { r.line, r.begin, r.end }, at, label, track, inOut, duration);
}

void labelLastEntry(Reader& r, Token label)
{
    ELKList_t* list = r.list;
    if (list->state->stop || list->entryCount == 0 || !reserveLine(r)) return;
    ELKListEntry_t& e = list->entries[list->entryCount - 1];
    e.labelLength = int32_t(label.end - label.begin);
    e.label = copyToPool(list, label.begin, e.labelLength);
}

bool setReading(Reader& r)
{
    const ELKTimebase_t& base = r.list->base;
    if (ELKTimebase_Set(&r.reading[0], base.num, base.den, ELK_FALSE) != ELK_OK) return false;
    r.reading[1] = r.reading[0];
    r.hasDrop = ELKTimebase_Set(&r.reading[1], base.num, base.den, ELK_TRUE) == ELK_OK;
    r.drop = r.hasDrop && base.dropFrame == ELK_TRUE;
    r.wideFrames = r.reading[0].nominal > 100;
    for (int32_t i = 0; i < 2; ++i) {
        ELKDuration_t d;
        ELKDuration_Init(&d, &r.reading[i]);
        ELKDuration_SetFields(&d, ELK_FALSE, 24, 0, 0, 0);
        r.day[i] = d.frames;
    }
    return true;
}

} // namespace elklist

void ELKList_Init(ELKList_t* list, const ELKTimebase_t* tb, ELKRateFrom_t rateFrom)
{
    *list = ELKList_t {};
    list->base = *tb;
    list->rateFrom = rateFrom;
    list->edl = ELK_FALSE;
    list->hasUnique = ELK_FALSE;
    list->hasLength = ELK_FALSE;
}

void ELKList_SortErrors(ELKList_t* list, int64_t first)
{
    if (!list || first < 0 || first >= list->errorCount) return;
    const auto before = [](const ELKListError_t& a, const ELKListError_t& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    };
    ELKListError_t* begin = list->errors + first;
    ELKListError_t* end = list->errors + list->errorCount;
    if (!std::is_sorted(begin, end, before)) std::stable_sort(begin, end, before);
}

void ELKList_Destroy(ELKList_t* list)
{
    ELK_Free(list->entries);
    ELK_Free(list->errors);
    ELK_Free(list->tracks);
    ELK_Free(list->inputList);
    ELK_Free(list->text);
    if (list->state) {
        ELK_Free(list->state->trackSlots);
        ELK_Free(list->state->spans);
        ELK_Free(list->state->marks);
        ELK_Free(list->state->shares);
        ELK_Free(list->state->labels);
        ELK_Free(list->state);
    }
    const ELKTimebase_t base = list->base;
    ELKList_Init(list, &base, list->rateFrom);
}

int8_t ELKList_BeginInput(ELKList_t* list, ELKListFormat_t format)
{
    ELKTimebase_t tb;
    if (!list || list->inputs == INT32_MAX || isOpen(list)
        || ELKTimebase_Set(&tb, list->base.num, list->base.den, ELK_FALSE) != ELK_OK)
        return ELK_ERROR;
    if (!list->state) {
        list->state = static_cast<ELKListState_t*>(ELK_Alloc(sizeof(ELKListState_t)));
        if (!list->state) return ELK_ERROR;
        *list->state = ELKListState_t {};
    }
    ELKListState_t& s = *list->state;
    // One error is always in reserve, so that a shortage of memory can be reported.
    if (!reserve(&list->errors, &s.capacity[kErrors], list->errorCount, list->errorCount + 1)
        || !reserve(&list->inputList, &s.capacity[kInputs], list->inputs, int64_t(list->inputs) + 1))
        return ELK_ERROR;
    ELKListInput_t& in = list->inputList[list->inputs];
    in = ELKListInput_t {};
    in.format = format;
    in.name = list->textLength;
    s.open = true;
    s.stop = false;
    s.spanCount = 0;
    s.entriesBefore = list->entryCount;
    s.errorsBefore = list->errorCount;
    s.sumBefore = list->sum;
    if (format == ELK_FORMAT_EDL) list->edl = ELK_TRUE;
    return ELK_OK;
}

void ELKList_SetInputName(ELKList_t* list, const char* name, int32_t length)
{
    if (!isOpen(list) || list->state->stop || !name || length < 0) return;
    if (!reservePool(list, length)) return outOfMemory(list, Line {});
    ELKListInput_t& in = list->inputList[list->inputs];
    in.hasName = ELK_TRUE;
    in.name = copyToPool(list, name, length);
    in.nameLength = length;
}

void ELKList_SetInputRate(ELKList_t* list, const ELKTimebase_t* rate, ELKRatePolicy_t policy)
{
    if (!isOpen(list) || !rate) return;
    ELKListInput_t& in = list->inputList[list->inputs];
    in.hasRate = ELK_TRUE;
    in.rate = *rate;
    // Once: a second project of the same file does not move it again.
    if (policy == ELK_RATE_OWN && list->entryCount == 0 && list->errorCount == 0
        && list->rateFrom != ELK_RATE_FROM_INPUT) {
        list->base = *rate;
        list->rateFrom = ELK_RATE_FROM_INPUT;
    }
}

int8_t ELKList_AddEntry(ELKList_t* list, int64_t line, const char* label, int32_t labelLength,
    const char* track, int32_t trackLength, int8_t hasInOut, int64_t in, int64_t out, int64_t duration)
{
    if (!isOpen(list) || list->state->stop) return ELK_ERROR;
    const Line at { line, nullptr, nullptr };
    if (hasInOut == ELK_TRUE && (duration < 0 || out < in)) {
        // The caller knows no column: name the line's start, so that an error on a line always has one.
        addError(list, at, line > 0 ? 1 : 0, ELK_FAULT_OUT_BEFORE_IN, nullptr, 0);
        return ELK_ERROR;
    }
    labelLength = label ? std::max(labelLength, 0) : 0;
    trackLength = track ? std::max(trackLength, 0) : 0;
    if (!reservePool(list, int64_t(labelLength) + trackLength)) {
        outOfMemory(list, at);
        return ELK_ERROR;
    }
    const int64_t inOut[2] = { in, out };
    const Token name { label, label + labelLength }, lane { track, track + trackLength };
    return addEntry(list, at, nullptr, name, lane, hasInOut == ELK_TRUE ? inOut : nullptr, duration)
        ? ELK_OK
        : ELK_ERROR;
}

int8_t ELKList_AddError(ELKList_t* list, int64_t line, int32_t column, ELKListFault_t fault,
    const char* detail, int32_t detailLength, const uint64_t* value)
{
    if (!isOpen(list)) return ELK_ERROR;
    if (fault <= ELK_FAULT_NONE || fault >= ELK_FAULT_COUNT) fault = ELK_FAULT_BAD_TIME;
    ELKListError_t* e
        = addError(list, Line { line, nullptr, nullptr }, std::max(column, 0), fault, detail, detailLength);
    if (e && value) std::copy(value, value + 4, e->value);
    return e ? ELK_OK : ELK_ERROR;
}

void ELKList_LeaveOut(ELKList_t* list)
{
    if (!isOpen(list)) return;
    ++list->inputList[list->inputs].leftOut;
    ++list->leftOut;
}

void ELKList_SetLength(ELKList_t* list, int64_t length)
{
    if (!isOpen(list)) return;
    ELKListInput_t& in = list->inputList[list->inputs];
    in.hasLength = ELK_TRUE;
    in.length = length;
}

void ELKList_SetOwnLength(ELKList_t* list, int64_t frames)
{
    if (!isOpen(list)) return;
    ELKListInput_t& in = list->inputList[list->inputs];
    in.hasOwnLength = ELK_TRUE;
    in.ownLength = frames;
}

int8_t ELKList_EndInput(ELKList_t* list)
{
    if (!isOpen(list)) return ELK_ERROR;
    ELKListState_t& s = *list->state;
    ELKListInput_t& in = list->inputList[list->inputs];
    if (!in.hasLength && s.spanCount && isTextFormat(in.format)) {
        in.hasLength = ELK_TRUE;
        in.length = spanLength(s);
    }
    if (in.hasLength) {
        int64_t length;
        if (__builtin_add_overflow(list->length, in.length, &length)) {
            addError(list, Line {}, 0, ELK_FAULT_TOTAL_TOO_LARGE, nullptr, 0);
        } else {
            list->length = length;
            list->hasLength = ELK_TRUE;
        }
    }
    // At the list's frame rate the length is its own (drop frame changes labels, not counts);
    // at another, only the reader knows it.
    const bool sameRate = in.rate.num == list->base.num && in.rate.den == list->base.den;
    if (in.hasRate && in.hasLength && !in.hasOwnLength && sameRate) {
        in.hasOwnLength = ELK_TRUE;
        in.ownLength = in.length;
    }
    if (!in.hasRate || !in.hasLength) in.hasOwnLength = ELK_FALSE;
    in.hasUnique = s.spanCount ? ELK_TRUE : ELK_FALSE;
    in.unique = addUnique(list, in.format == ELK_FORMAT_ALE);
    in.entries = list->entryCount - s.entriesBefore;
    in.errors = list->errorCount - s.errorsBefore;
    in.total = list->sum - s.sumBefore;
    // A list kept for long (the tape's) need not keep its last input's spans.
    ELK_Free(s.spans);
    s.spans = nullptr;
    s.spanCapacity = 0;
    s.spanCount = 0;
    s.open = false;
    list->inputs += 1;
    return in.errors ? ELK_ERROR : ELK_OK;
}

int8_t ELKList_Refuse(ELKList_t* list, ELKListFormat_t format, int64_t line, int32_t column,
    ELKListFault_t fault, const char* detail, int32_t detailLength, const uint64_t* value)
{
    if (ELKList_BeginInput(list, format) != ELK_OK) return ELK_ERROR;
    ELKList_AddError(list, line, column, fault, detail, detailLength, value);
    ELKList_EndInput(list);
    return ELK_ERROR;
}

namespace
{

// How times read at the list's timebase; false for a timebase ELKTimebase_Set refuses.
bool startReading(Reader* r, ELKList_t* list)
{
    *r = Reader {};
    r->list = list;
    return setReading(*r);
}

} // namespace

int8_t ELKList_IsEdl(const ELKList_t* list, const char* text, int64_t length)
{
    Reader r;
    if (!list || length < 0 || (!text && length) || !startReading(&r, const_cast<ELKList_t*>(list)))
        return ELK_FALSE;
    return edlDetect(r, text, length) ? ELK_TRUE : ELK_FALSE;
}

int8_t ELKList_IsSubtitles(ELKListFormat_t format, const char* text, int64_t length)
{
    if (length < 0 || (!text && length)) return ELK_FALSE;
    const bool is = format == ELK_FORMAT_SRT ? srtDetect(text, length)
        : format == ELK_FORMAT_VTT           ? vttDetect(text, length)
                                             : false;
    return is ? ELK_TRUE : ELK_FALSE;
}

int8_t ELKList_ReadLines(
    ELKList_t* list, ELKListFormat_t format, const char* text, int64_t length, ELKRatePolicy_t policy)
{
    return readLines(list, format, text, length, policy, -1);
}

int8_t elklist::readLines(ELKList_t* list, ELKListFormat_t format, const char* text, int64_t length,
    ELKRatePolicy_t policy, int8_t drop)
{
    Reader r;
    if (!list || length < 0 || (!text && length) || !startReading(&r, list)) return ELK_ERROR;
    const bool subtitles = format == ELK_FORMAT_SRT || format == ELK_FORMAT_VTT;
    if (!subtitles && format != ELK_FORMAT_EDL) format = ELK_FORMAT_LIST;
    const auto readLine = subtitles ? subtitleReadLine
        : format == ELK_FORMAT_EDL  ? edlReadLine
                                    : plainListReadLine;
    r.policy = policy;
    // Lines read again after an edit, in the mode the FCM lines before left.
    if (drop >= 0) r.drop = r.hasDrop && drop == 1;
    if (ELKList_BeginInput(list, format) != ELK_OK) return ELK_ERROR;
    ELKLines_t lines;
    ELKLines_Init(&lines);
    ELKLines_Feed(&lines, text, length);
    ELKLine_t line;
    for (int8_t got; !list->state->stop && (got = nextLine(&lines, &line)) != ELK_FALSE;) {
        if (got == ELK_ERROR) {
            outOfMemory(r);
            break;
        }
        r.line = line.number;
        r.begin = line.text;
        r.end = line.tooLong == ELK_TRUE ? line.text : line.text + line.length;
        if (line.tooLong == ELK_TRUE)
            fail(r, ELK_FAULT_LINE_TOO_LONG, r.begin);
        else
            readLine(r);
    }
    ELKLines_Destroy(&lines);
    list->lines += r.line;
    list->inputList[list->inputs].lines = r.line;
    if (r.own.counted && !r.own.failed) ELKList_SetOwnLength(list, r.own.out - r.own.in);
    return ELKList_EndInput(list);
}

namespace
{

// The format of text that is no timeline, as the table of formats tells it.
ELKListFormat_t textFormat(const ELKList_t* list, const char* text, int64_t length)
{
    for (const ELKListFormat_t f : { ELK_FORMAT_SRT, ELK_FORMAT_VTT })
        if (ELKList_IsSubtitles(f, text, length) == ELK_TRUE) return f;
    return ELKList_IsEdl(list, text, length) == ELK_TRUE ? ELK_FORMAT_EDL : ELK_FORMAT_LIST;
}

} // namespace

int8_t ELKList_Read(ELKList_t* list, const char* bytes, int64_t length)
{
    if (!list || length < 0 || (!bytes && length)) return ELK_ERROR;
    ELKText_t text;
    if (ELKText_Decode(&text, bytes, length) != ELK_OK)
        return ELKList_Refuse(list, ELK_FORMAT_NONE, 0, 0, ELK_FAULT_NO_MEMORY);
    int8_t result;
    if (text.binary == ELK_TRUE)
        result = ELKList_Refuse(list, ELK_FORMAT_NONE, 0, 0, ELK_FAULT_NOT_TEXT);
    else
        result = ELKList_ReadLines(
            list, textFormat(list, text.utf8, text.length), text.utf8, text.length, ELK_RATE_KEEP);
    ELKText_Destroy(&text);
    return result;
}

int8_t ELKList_ReadLabel(const ELKTimebase_t* rate, const char* text, int32_t length, int64_t* frames,
    ELKTimebase_t* reading, ELKListTimeFault_t* fault)
{
    if (!rate || !text || length < 0 || !frames || !reading || !fault) return ELK_ERROR;
    ELKList_t list;
    ELKList_Init(&list, rate);
    Reader r;
    if (!startReading(&r, &list)) return ELK_ERROR;
    Time t;
    Fault f;
    const Token token { text, text + length };
    // ';' before the frames asks for drop frame, where the rate has it.
    const char* last = text + length;
    while (last > text && ELKChar_IsDigit(last[-1])) --last;
    r.drop = r.hasDrop && last > text && last[-1] == ';';
    if (readTime(token, false, r.wideFrames, &t, &f) && countTime(r, t, frames, &f)) {
        *reading = r.reading[r.drop];
        return ELK_OK;
    }
    *reading = r.reading[r.drop];
    fault->fault = ELKListFault_t(f.code);
    fault->offset = int32_t(f.at - text);
    std::copy(f.value, f.value + 4, fault->value);
    return ELK_ERROR;
}

const char* ELKList_FormatName(int8_t format)
{
    static const char* const names[]
        = { nullptr, "list", "edl", "fcpxml", "xmeml", "otio", "ale", "srt", "vtt" };
    static_assert(std::size(names) == ELK_FORMAT_COUNT, "a name for every format");
    return format > ELK_FORMAT_NONE && format < ELK_FORMAT_COUNT ? names[format] : nullptr;
}

int32_t ELKList_ErrorText(const ELKList_t* list, const ELKListError_t* error, char* out, int32_t capacity)
{
    if (!out || capacity < 1) return ELK_ERROR;
    const int8_t fault = error->fault > ELK_FAULT_NONE && error->fault < ELK_FAULT_COUNT ? error->fault : 0;
    const char* reason = kReasons[fault];
    const auto value = [&](int32_t i) { return static_cast<unsigned long long>(error->value[i]); };
    const char* detail = list->text + error->detail;
    const int detailLength = error->detailLength > 0 ? int(error->detailLength) : 0;
    // A time read at a rate of its own (an ALE row's) names it; the others were read at the list's.
    ELKTimebase_t rate = list->base;
    if (detailLength > 0 && (fault == ELK_FAULT_FRAMES || fault == ELK_FAULT_NO_SUCH_LABEL))
        ELKTimebase_FromText(&rate, detail, detailLength);
    char text[ELK_LIST_REASON_MAX];
    int n;
    switch (fault) {
    case ELK_FAULT_MINUTES:
    case ELK_FAULT_SECONDS:
        n = std::snprintf(text, sizeof text, reason, value(0));
        break;
    case ELK_FAULT_FRAMES:
        n = std::snprintf(text, sizeof text, reason, value(0), rateName(rate, false).text);
        break;
    case ELK_FAULT_NO_SUCH_LABEL: {
        // Only drop frame skips labels, whether the rate or an EDL's FCM chose it.
        const int width = rate.nominal > 100 ? 3 : 2;
        n = std::snprintf(text, sizeof text, reason, value(0), value(1), value(2), width, value(3),
            rateName(rate, true).text);
        break;
    }
    case ELK_FAULT_CANNOT_OPEN:
        // As the system words it, as every program on the system does.
        n = std::snprintf(text, sizeof text, "%s", std::strerror(int(error->value[0])));
        break;
    case ELK_FAULT_DURATION_MISMATCH:
        n = std::snprintf(text, sizeof text, reason, labelOf(list->base, value(0)).text,
            labelOf(list->base, value(1)).text);
        break;
    case ELK_FAULT_NOT_A_TIME:
    case ELK_FAULT_NOT_A_FRAME_COUNT:
    case ELK_FAULT_MISSING:
    case ELK_FAULT_NOT_A_LANE:
    case ELK_FAULT_NO_COLUMN:
    case ELK_FAULT_XML_NOT_TIMELINE: {
        // The name the reason cites, cut at a character to what a reason holds.
        int32_t length = std::min(detailLength, 48);
        if (length < detailLength)
            while (length > 0 && (uint8_t(detail[length]) & 0xC0) == 0x80) --length;
        const std::string name(detail, size_t(length));
        n = std::snprintf(text, sizeof text, reason, name.c_str());
        break;
    }
    default:
        n = std::snprintf(text, sizeof text, "%s", reason);
    }
    if (fault == ELK_FAULT_LIST_GROUPS && error->value[0] == 2) {
        const int m = std::clamp(n, 0, int(sizeof text) - 1);
        n = m
            + std::snprintf(text + m, sizeof text - size_t(m),
                ": write 00:%02llu:%02llu or 00:00:%02llu:%02llu", value(1), value(2), value(1), value(2));
    }
    int32_t at = append(out, 0, capacity, text, std::clamp(n, 0, int(sizeof text) - 1));
    // What a parser says of text that is not well-formed follows the reason.
    if (fault == ELK_FAULT_NOT_WELL_FORMED && detailLength > 0) {
        at = append(out, at, capacity, ": ", 2);
        at = append(out, at, capacity, list->text + error->detail, error->detailLength);
    }
    return at;
}
