// SPDX-License-Identifier: MIT
// An edit of a list's text, read without reading the rest again: the lines
// it touched are read as the input's reader met them, spliced in, and the
// totals follow. The result is the list a new read of the whole edited text
// gives; what that needs more than these lines to tell (a format that may
// change, an FCM line, a total near 64 bits) is refused, for such a read.
#include <algorithm>
#include <cstring>

#include "ELKListReader.h"

using namespace elklist;

namespace
{

// Items of an input whose line is in [first, last), in an array in the order
// of inputs and lines (entries and errors both are).
template <typename T>
void linesOf(
    const T* items, int64_t count, int32_t input, int64_t first, int64_t last, int64_t* begin, int64_t* end)
{
    const auto before = [](const T& item, std::pair<int32_t, int64_t> at) {
        return item.input != at.first ? item.input < at.first : item.line < at.second;
    };
    *begin = std::lower_bound(items, items + count, std::pair(input, first), before) - items;
    *end = std::lower_bound(items + *begin, items + count, std::pair(input, last), before) - items;
}

// The list's entries as they will be: [0, a), the new lines' entries, then
// [b, count) with the edited input's later lines moved by shift.
struct Splice {
    ELKList_t* list;
    const ELKList_t* fresh; // the new lines, read alone
    int32_t input;
    int64_t first, shift, a, b, pool;
    const int32_t* tracks; // a fresh track's index in the list

    int64_t count() const { return list->entryCount - (b - a) + fresh->entryCount; }
    // The new lines' k-th entry, as the list will hold it.
    ELKListEntry_t added(int64_t k) const
    {
        ELKListEntry_t e = fresh->entries[k];
        e.input = input;
        e.line += first - 1;
        e.label += pool;
        e.track = e.trackLength ? list->tracks[tracks[trackOf(*fresh, e)]].name : e.track + pool;
        return e;
    }
    // Calls f with entries [begin, end) of the list as it will be, in order.
    template <typename F> void each(int64_t begin, int64_t end, F f) const
    {
        const int64_t added = a + fresh->entryCount;
        for (int64_t k = begin; k < std::min(end, a); ++k) f(list->entries[k]);
        for (int64_t k = std::max(begin, a); k < std::min(end, added); ++k) f(this->added(k - a));
        for (int64_t k = std::max(begin, added); k < end; ++k) {
            ELKListEntry_t e = list->entries[k - added + b];
            if (e.input == input) e.line += shift;
            f(e);
        }
    }
    // Tracks' names are in the pool in the order the tracks came.
    static int32_t trackOf(const ELKList_t& l, const ELKListEntry_t& e)
    {
        if (!e.trackLength) return -1;
        return int32_t(std::lower_bound(l.tracks, l.tracks + l.trackCount, e.track,
                           [](const ELKListTrack_t& t, int64_t name) { return t.name < name; })
            - l.tracks);
    }
};

// What an input's in-and-out entries add up to, as ELKList_EndInput takes it.
struct Spans {
    bool any = false;
    int64_t unique = 0, length = 0;
    bool ok = true; // false when memory for the work ran short
};

// The union of the spans of a track (all with kAnyTrack), cut to [lo, hi),
// in scratch; zero-length spans add nothing.
constexpr int32_t kAnyTrack = INT32_MIN;
int64_t unionWithin(
    const ELKListSpan_t* spans, int64_t n, int64_t lo, int64_t hi, int32_t track, ELKListSpan_t* scratch)
{
    int64_t m = 0;
    for (int64_t i = 0; i < n; ++i) {
        const ELKListSpan_t& s = spans[i];
        if ((track == kAnyTrack || s.track == track) && std::max(s.in, lo) < std::min(s.out, hi))
            scratch[m++] = ELKListSpan_t { s.track, std::max(s.in, lo), std::min(s.out, hi) };
    }
    std::sort(
        scratch, scratch + m, [](const ELKListSpan_t& x, const ELKListSpan_t& y) { return x.in < y.in; });
    return m ? unionLength(scratch, m) : 0;
}

// Spans in an array that grows.
struct SpanArray {
    ELKListSpan_t* at = nullptr;
    int64_t count = 0, capacity = 0;
    ~SpanArray() { ELK_Free(at); }
    bool add(const ELKListSpan_t& s)
    {
        if (!reserve(&at, &capacity, count, count + 1)) return false;
        at[count++] = s;
        return true;
    }
};

// The input's spans after the edit, as ELKList_EndInput would take them:
// perTrack gets each track's share of the unique length, -1 for a track
// without spans. A union can change only within the hull [lo, hi) of the
// spans the edit takes out and puts in, so beside the input's unique
// lengths before (`in`, its `shares`) it needs only the spans reaching into
// that hull: no sort of them all.
Spans spansAfter(const ELKList_t* list, const Splice& next, int64_t inBegin, int64_t inEnd,
    const ELKListShare_t* shares, int64_t shareCount, int64_t* perTrack)
{
    const ELKListInput_t& in = list->inputList[next.input];
    const int32_t tracks = list->trackCount;
    const auto span = [list](const ELKListEntry_t& e) {
        return ELKListSpan_t { Splice::trackOf(*list, e), e.in, e.in + e.duration };
    };
    Spans out;
    SpanArray edit, near; // the edit's spans (those out, then those in), and the others near them
    int64_t lo = INT64_MAX, hi = INT64_MIN;
    for (int64_t k = 0; k < next.fresh->entryCount + next.b - next.a; ++k) {
        const ELKListEntry_t e
            = k < next.b - next.a ? list->entries[next.a + k] : next.added(k - (next.b - next.a));
        if (e.hasInOut != ELK_TRUE) continue;
        const ELKListSpan_t s = span(e);
        lo = std::min(lo, s.in);
        hi = std::max(hi, s.out);
        if (!edit.add(s)) return out.ok = false, out;
    }
    const int64_t taken = std::count_if(list->entries + next.a, list->entries + next.b,
        [](const ELKListEntry_t& e) { return e.hasInOut == ELK_TRUE; });
    auto* count = static_cast<int64_t*>(ELK_Alloc(uint32_t(tracks + 1) * sizeof(int64_t)));
    if (!count) return out.ok = false, out;
    std::fill(count, count + tracks + 1, 0);
    int64_t first = INT64_MAX, last = INT64_MIN;
    const auto keep = [&](const ELKListSpan_t& s) {
        first = std::min(first, s.in);
        last = std::max(last, s.out);
        ++count[s.track + 1];
    };
    for (int64_t k = taken; k < edit.count; ++k) keep(edit.at[k]);
    for (int64_t k = inBegin; k < inEnd; ++k) {
        if (k == next.a) k = next.b;
        if (k == inEnd) break;
        const ELKListEntry_t& e = list->entries[k];
        if (e.hasInOut != ELK_TRUE) continue;
        const ELKListSpan_t s = span(e);
        keep(s);
        if (s.in < hi && s.out > lo && !near.add(s)) out.ok = false;
    }
    // Before: the spans near and those taken out; after: near and those put in.
    const int64_t room = near.count + std::max(taken, edit.count - taken);
    auto* spans = static_cast<ELKListSpan_t*>(ELK_Alloc(uint32_t(2 * room + 2) * sizeof(ELKListSpan_t)));
    if (!spans || !out.ok) {
        ELK_Free(count);
        ELK_Free(spans);
        return out.ok = false, out;
    }
    ELKListSpan_t* scratch = spans + room + 1;
    const auto change = [&](int32_t track) {
        std::copy(near.at, near.at + near.count, spans);
        std::copy(edit.at, edit.at + taken, spans + near.count);
        const int64_t before = unionWithin(spans, near.count + taken, lo, hi, track, scratch);
        std::copy(edit.at + taken, edit.at + edit.count, spans + near.count);
        return unionWithin(spans, near.count + edit.count - taken, lo, hi, track, scratch) - before;
    };
    out.any = std::any_of(count, count + tracks + 1, [](int64_t n) { return n > 0; });
    out.length = out.any ? last - first : 0;
    out.unique = in.unique + (edit.count ? change(kAnyTrack) : 0);
    for (int32_t t = 0; t < tracks; ++t) {
        int64_t share = 0;
        for (int64_t i = 0; i < shareCount; ++i)
            if (shares[i].track == t) share = shares[i].unique;
        perTrack[t] = count[t + 1] ? share + (edit.count ? change(t) : 0) : -1;
    }
    ELK_Free(count);
    ELK_Free(spans);
    return out;
}

struct Owned {
    ELKList_t list;
    int32_t* tracks = nullptr;
    int64_t* perTrack = nullptr;
    ~Owned()
    {
        ELKList_Destroy(&list);
        ELK_Free(tracks);
        ELK_Free(perTrack);
    }
};

bool isFault(const ELKListError_t& e)
{
    return e.fault == ELK_FAULT_TOTAL_TOO_LARGE || e.fault == ELK_FAULT_NO_MEMORY;
}

} // namespace

int8_t ELKList_ReplaceLines(
    ELKList_t* list, int32_t input, int64_t first, int64_t removed, const char* text, int64_t length)
{
    if (!list || !list->state || list->state->open || input < 0 || input >= list->inputs || first < 1
        || removed < 0 || length < 0 || (!text && length))
        return ELK_ERROR;
    ELKListState_t& st = *list->state;
    ELKListInput_t& in = list->inputList[input];
    const int64_t last = first + removed; // lines [first, last) go
    if ((in.format != ELK_FORMAT_LIST && in.format != ELK_FORMAT_EDL) || first > in.lines + 1
        || last > in.lines + 2)
        return ELK_ERROR;
    // A length at a rate of its own needs every event read at that rate too.
    if (in.hasRate == ELK_TRUE && (in.rate.num != list->base.num || in.rate.den != list->base.den))
        return ELK_ERROR;
    // A total that passed 64 bits depends on the order of everything before it.
    if (st.sharesLost || std::any_of(list->errors, list->errors + list->errorCount, isFault))
        return ELK_ERROR;

    // The FCM mode in force at the first line. An FCM line among those that
    // go is refused; so is a move of the first event where FCM: DROP FRAME
    // may declare the rate.
    int8_t drop = list->base.dropFrame == ELK_TRUE ? 1 : 0;
    bool declares = false;
    int64_t firstEvent = INT64_MAX;
    for (int64_t i = 0; i < st.markCount; ++i) {
        const ELKListMark_t& m = st.marks[i];
        if (m.input != input) continue;
        declares = declares || m.kind == kMarkDrop;
        if (m.kind == kMarkFirstEvent) {
            firstEvent = m.line;
        } else if (m.line < first) {
            if (m.kind != kMarkFcmOther) drop = m.kind;
        } else if (m.line < last) {
            return ELK_ERROR;
        }
    }
    if (declares && firstEvent >= first) return ELK_ERROR;

    Owned fresh;
    ELKList_Init(&fresh.list, &list->base, list->rateFrom);
    readLines(&fresh.list, in.format, text, length, ELK_RATE_KEEP, drop);
    const ELKList_t& f = fresh.list;
    if (f.inputs != 1 || std::any_of(f.errors, f.errors + f.errorCount, isFault)
        || std::any_of(f.state->marks, f.state->marks + f.state->markCount,
            [](const ELKListMark_t& m) { return m.kind != kMarkFirstEvent; }))
        return ELK_ERROR;
    // A list with an event line becomes an EDL; an EDL without entries may become a list.
    if (in.format == ELK_FORMAT_LIST && ELKList_IsEdl(list, text, length) == ELK_TRUE) return ELK_ERROR;

    int64_t a, b, c, d, inBegin, inEnd;
    linesOf(list->entries, list->entryCount, input, first, last, &a, &b);
    linesOf(list->errors, list->errorCount, input, first, last, &c, &d);
    linesOf(list->entries, list->entryCount, input, 0, INT64_MAX, &inBegin, &inEnd);
    if (in.format == ELK_FORMAT_EDL && inEnd - inBegin - (b - a) + f.entryCount == 0) return ELK_ERROR;

    // Tracks keep the order they came in: a new one, or one that no longer
    // comes first where it did, is for a whole read.
    const int32_t tracks = list->trackCount;
    fresh.tracks = static_cast<int32_t*>(ELK_Alloc(uint32_t(f.trackCount + 1) * sizeof(int32_t)));
    fresh.perTrack = static_cast<int64_t*>(ELK_Alloc(uint32_t(tracks + 1) * 2 * sizeof(int64_t)));
    if (!fresh.tracks || !fresh.perTrack) return ELK_ERROR;
    for (int32_t t = 0; t < f.trackCount; ++t) {
        fresh.tracks[t] = trackIndex(list, f.text + f.tracks[t].name, f.tracks[t].nameLength);
        if (fresh.tracks[t] < 0) return ELK_ERROR;
    }
    const Splice next { list, &f, input, first, f.inputList[0].lines - removed, a, b, list->textLength,
        fresh.tracks };
    const int64_t count = next.count();

    // Tracks keep the order they first came in, and every one an entry: an
    // edit past the first entry of each changes neither.
    int64_t firsts = 0;
    for (int32_t seen = 0; seen < tracks && firsts < list->entryCount; ++firsts)
        if (Splice::trackOf(*list, list->entries[firsts]) == seen) ++seen;
    if (firsts > a) {
        int32_t seen = 0;
        bool kept = true;
        next.each(0, count, [&](const ELKListEntry_t& e) {
            const int32_t t = Splice::trackOf(*list, e);
            kept = kept && t <= seen;
            if (t == seen) ++seen;
        });
        if (!kept || seen != tracks) return ELK_ERROR;
    }

    // Every sum, checked before anything changes: the list's less what the
    // edit takes out, plus what it puts in.
    int64_t* trackSum = fresh.perTrack;
    int64_t* unique = trackSum + tracks;
    __int128 diff = 0, covered = st.covered;
    auto* trackDiff = static_cast<__int128*>(ELK_Alloc(uint32_t(tracks + 1) * sizeof(__int128)));
    if (!trackDiff) return ELK_ERROR;
    std::fill(trackDiff, trackDiff + tracks, 0);
    const auto tally = [&](const ELKListEntry_t& e, int sign) {
        diff += sign * __int128(e.duration);
        if (e.hasInOut == ELK_TRUE) covered += sign * __int128(e.duration);
        if (const int32_t t = Splice::trackOf(*list, e); t >= 0) trackDiff[t] += sign * __int128(e.duration);
    };
    for (int64_t k = a; k < b; ++k) tally(list->entries[k], -1);
    for (int64_t k = 0; k < f.entryCount; ++k) tally(next.added(k), 1);
    const auto fits = [](__int128 v) { return v >= INT64_MIN && v <= INT64_MAX; };
    bool fit = fits(covered) && fits(in.total + diff);
    for (int32_t t = 0; t < tracks; ++t) {
        fit = fit && fits(list->tracks[t].sum + trackDiff[t]);
        trackSum[t] = int64_t(list->tracks[t].sum + trackDiff[t]);
    }
    ELK_Free(trackDiff);
    // The running totals: the new lines' from the one before them, the later ones moved by diff.
    const int64_t before = a ? list->entries[a - 1].running : 0;
    for (int64_t k = 0; k < f.entryCount; ++k) fit = fit && fits(before + __int128(f.entries[k].running));
    for (int64_t k = b; k < list->entryCount; ++k) fit = fit && fits(list->entries[k].running + diff);
    if (!fit) return ELK_ERROR;
    const int64_t total = int64_t(in.total + diff);
    const auto byInput = [](const ELKListShare_t& x, int32_t i) { return x.input < i; };
    const int64_t shareBegin
        = std::lower_bound(st.shares, st.shares + st.shareCount, input, byInput) - st.shares;
    const int64_t shareEnd
        = std::lower_bound(st.shares + shareBegin, st.shares + st.shareCount, input + 1, byInput) - st.shares;
    const Spans after
        = spansAfter(list, next, inBegin, inEnd, st.shares + shareBegin, shareEnd - shareBegin, unique);
    if (!after.ok) return ELK_ERROR;
    int64_t lengths = 0;
    const int64_t shares = std::count_if(unique, unique + tracks, [](int64_t u) { return u >= 0; });
    for (int32_t i = 0; i < list->inputs; ++i) {
        const bool has = i == input ? after.any : list->inputList[i].hasLength == ELK_TRUE;
        const int64_t l = i == input ? after.length : list->inputList[i].length;
        if (has && __builtin_add_overflow(lengths, l, &lengths)) return ELK_ERROR;
    }

    // Room, then the splice: nothing fails past this point.
    const int64_t errorCount = list->errorCount - (d - c) + f.errorCount;
    if (!reserve(&list->entries, &st.capacity[0], list->entryCount, count)
        || !reserve(&list->errors, &st.capacity[1], list->errorCount, errorCount + 1)
        || !reserve(
            &st.shares, &st.shareCapacity, st.shareCount, st.shareCount - (shareEnd - shareBegin) + shares)
        || !reservePool(list, f.textLength))
        return ELK_ERROR;
    const int64_t pool = list->textLength;
    if (f.textLength) ELK_MemCopy(list->text + pool, f.text, uint32_t(f.textLength));
    list->textLength += f.textLength;

    ELKListEntry_t* entries = list->entries;
    if (list->entryCount > b && a + f.entryCount != b)
        std::memmove(entries + a + f.entryCount, entries + b, size_t(list->entryCount - b) * sizeof *entries);
    for (int64_t k = 0; k < f.entryCount; ++k) entries[a + k] = next.added(k);
    int64_t running = before;
    for (int64_t k = a; k < count; ++k) {
        if (k >= a + f.entryCount && entries[k].input == input) entries[k].line += next.shift;
        entries[k].running = running += entries[k].duration;
    }
    list->entryCount = count;

    ELKListError_t* errors = list->errors;
    if (list->errorCount > d)
        std::memmove(errors + c + f.errorCount, errors + d, size_t(list->errorCount - d) * sizeof *errors);
    for (int64_t k = 0; k < f.errorCount; ++k) {
        ELKListError_t e = f.errors[k];
        e.input = input;
        e.line += first - 1;
        e.text += pool;
        e.detail += pool;
        errors[c + k] = e;
    }
    for (int64_t k = c + f.errorCount; k < errorCount && errors[k].input == input; ++k)
        errors[k].line += next.shift;
    list->errorCount = errorCount;
    for (int64_t i = 0; i < st.markCount; ++i)
        if (st.marks[i].input == input && st.marks[i].line >= last) st.marks[i].line += next.shift;

    for (int64_t i = shareBegin; i < shareEnd; ++i)
        list->tracks[st.shares[i].track].unique -= st.shares[i].unique;
    if (st.shareCount > shareEnd)
        std::memmove(st.shares + shareBegin + shares, st.shares + shareEnd,
            size_t(st.shareCount - shareEnd) * sizeof(ELKListShare_t));
    st.shareCount += shares - (shareEnd - shareBegin);
    for (int32_t t = 0, i = 0; t < tracks; ++t) {
        list->tracks[t].sum = trackSum[t];
        if (unique[t] < 0) continue;
        list->tracks[t].unique += unique[t];
        st.shares[shareBegin + i++] = ELKListShare_t { input, t, unique[t] };
    }
    const int64_t lines
        = f.inputList[0].lines - std::max<int64_t>(0, std::min(last - 1, in.lines) - first + 1);
    list->lines += lines;
    in.lines += lines;
    in.entries = inEnd - inBegin - (b - a) + f.entryCount;
    in.errors += f.errorCount - (d - c);
    in.total = total;
    in.hasUnique = after.any ? ELK_TRUE : ELK_FALSE;
    list->unique += after.unique - in.unique;
    in.unique = after.unique;
    in.hasLength = after.any ? ELK_TRUE : 0; // a read leaves it unset, not ELK_FALSE
    in.length = after.length;
    in.hasOwnLength = in.hasRate == ELK_TRUE && after.any ? ELK_TRUE : ELK_FALSE;
    in.ownLength = in.hasOwnLength == ELK_TRUE ? after.length : 0;
    st.covered = int64_t(covered);
    list->sum = running;
    list->length = lengths;
    list->hasLength = list->hasUnique = ELK_FALSE;
    for (int32_t i = 0; i < list->inputs; ++i) {
        if (list->inputList[i].hasLength == ELK_TRUE) list->hasLength = ELK_TRUE;
        if (list->inputList[i].hasUnique == ELK_TRUE) list->hasUnique = ELK_TRUE;
    }
    return ELK_OK;
}
