// SPDX-License-Identifier: MIT
#include "ELKFcpxml.h"

#include <cstdio>
#include <cstring>

#include "ELKChars.h"
#include "ELKReaderKit.h"

namespace
{

const char* const kClipLike[]
    = { "asset-clip", "clip", "ref-clip", "sync-clip", "mc-clip", "video", "audio", "title" };

bool named(pugi::xml_node node, const char* name)
{
    return std::strcmp(node.name(), name) == 0;
}

bool clipLike(pugi::xml_node node)
{
    for (const char* name : kClipLike)
        if (named(node, name)) return true;
    return false;
}

// An FCPXML time: "0s", "3600s", "1001/30000s".
bool readTime(const char* text, ELKRational_t* out)
{
    const size_t n = std::strlen(text);
    return n >= 2 && text[n - 1] == 's' && ELKRational_FromText(out, text, int64_t(n - 1)) == ELK_OK;
}

struct Reader {
    ELKReaderRun_t* run;
    ELKRational_t latest; // the latest end that counts for the length, in sequence time
    bool hasLatest;
};

void error(Reader* r, pugi::xml_node node, ELKListFault_t fault, const char* name = nullptr)
{
    ELKXml_Fault(r->run, node, fault, name);
}

// An attribute's time, or fallback when it is missing; false after an error.
bool attributeTime(
    Reader* r, pugi::xml_node node, const char* name, const ELKRational_t* fallback, ELKRational_t* out)
{
    const pugi::xml_attribute a = node.attribute(name);
    if (!a && fallback) {
        *out = *fallback;
        return true;
    }
    if (a && readTime(a.value(), out)) return true;
    error(r, node, a ? ELK_FAULT_NOT_A_TIME : ELK_FAULT_MISSING, name);
    return false;
}

void extend(Reader* r, const ELKRational_t* end)
{
    if (!r->hasLatest || ELKRational_Compare(end, &r->latest) > 0) r->latest = *end, r->hasLatest = true;
}

// Where an item lies in sequence time: offset + shift, for duration. False after an error.
bool span(Reader* r, pugi::xml_node node, const ELKRational_t* shift, const ELKRational_t* offsetFallback,
    ELKRational_t* in, ELKRational_t* out, ELKRational_t* start)
{
    static const ELKRational_t zero = { 0, 1 };
    ELKRational_t offset, duration;
    if (!attributeTime(r, node, "offset", offsetFallback, &offset)
        || !attributeTime(r, node, "start", &zero, start)
        || !attributeTime(r, node, "duration", nullptr, &duration))
        return false;
    if (duration.num < 0) {
        error(r, node, ELK_FAULT_NEGATIVE_DURATION);
        return false;
    }
    if (ELKRational_Add(in, &offset, shift) != ELK_OK || ELKRational_Add(out, in, &duration) != ELK_OK) {
        error(r, node, ELK_FAULT_TIME_TOO_LARGE);
        return false;
    }
    return true;
}

// The shift that maps the children of an item at [in, ...) with this start into sequence time.
bool childShift(
    Reader* r, pugi::xml_node node, const ELKRational_t* in, const ELKRational_t* start, ELKRational_t* shift)
{
    if (ELKRational_Subtract(shift, in, start) == ELK_OK) return true;
    error(r, node, ELK_FAULT_TIME_TOO_LARGE);
    return false;
}

void storyline(Reader* r, pugi::xml_node spine, const ELKRational_t* shift, int32_t lane, int32_t depth);

// Items connected to a clip or gap: their lane attribute puts them there.
void connected(Reader* r, pugi::xml_node parent, const ELKRational_t* shift, int32_t depth);

bool disabled(pugi::xml_node node)
{
    return std::strcmp(node.attribute("enabled").value(), "0") == 0;
}

// An entry at offset + shift; an audition's pick takes the audition's offset when it has none.
void entry(Reader* r, pugi::xml_node node, const ELKRational_t* shift, const ELKRational_t* offsetFallback,
    bool off, int32_t lane, int32_t depth)
{
    ELKRational_t in, out, start;
    if (!span(r, node, shift, offsetFallback, &in, &out, &start)) return;
    if (off || disabled(node)) {
        ELKList_LeaveOut(r->run->list);
    } else {
        int64_t line;
        int32_t column;
        ELKXml_Position(r->run, node, &line, &column);
        const char* label = node.attribute("name").value();
        if (!*label) label = node.name();
        char track[24] = "Primary";
        const int n = lane == 0 ? 7 : std::snprintf(track, sizeof track, "Lane %d", int(lane));
        if (!ELKReader_AddSpan(r->run, line, column, label, int32_t(std::strlen(label)), track, n, &in, &out))
            return;
        extend(r, &out);
    }
    ELKRational_t inner;
    if (childShift(r, node, &in, &start, &inner)) connected(r, node, &inner, depth + 1);
}

// One item of a storyline or one connected to it.
void item(
    Reader* r, pugi::xml_node node, const ELKRational_t* shift, int32_t lane, bool primary, int32_t depth)
{
    if (depth > ELK_READER_DEPTH_MAX) {
        error(r, node, ELK_FAULT_TOO_DEEP);
        return;
    }
    static const ELKRational_t zero = { 0, 1 };
    if (clipLike(node)) {
        entry(r, node, shift, &zero, false, lane, depth);
    } else if (named(node, "audition")) {
        // The first clip is the active pick.
        ELKRational_t offset;
        pugi::xml_node pick = node.first_child();
        while (pick && !clipLike(pick)) pick = pick.next_sibling();
        if (pick && attributeTime(r, node, "offset", &zero, &offset))
            entry(r, pick, shift, &offset, disabled(node), lane, depth);
    } else if (named(node, "gap")) {
        ELKRational_t in, out, start, inner;
        if (!span(r, node, shift, &zero, &in, &out, &start)) return;
        if (primary) extend(r, &out);
        if (childShift(r, node, &in, &start, &inner)) connected(r, node, &inner, depth + 1);
    } else if (named(node, "spine") && !primary) {
        ELKRational_t in, start, inner, offset;
        if (!attributeTime(r, node, "offset", &zero, &offset)
            || !attributeTime(r, node, "start", &zero, &start))
            return;
        if (ELKRational_Add(&in, &offset, shift) != ELK_OK || !childShift(r, node, &in, &start, &inner))
            return;
        storyline(r, node, &inner, lane, depth + 1);
    }
    // Transitions overlap their neighbours and take no room; other elements are not items.
}

// A lane: a nonzero whole number, above the storyline or below it. False after an error.
bool laneOf(Reader* r, pugi::xml_node node, int32_t* lane)
{
    const char* text = node.attribute("lane").value();
    const char* p = text + (*text == '-');
    int32_t value = 0;
    for (; ELKChar_IsDigit(*p) && value < 100000; ++p) value = value * 10 + (*p - '0');
    if (*p || p == text + (*text == '-') || value == 0 || value >= 100000) {
        error(r, node, ELK_FAULT_NOT_A_LANE, text);
        return false;
    }
    *lane = *text == '-' ? -value : value;
    return true;
}

void connected(Reader* r, pugi::xml_node parent, const ELKRational_t* shift, int32_t depth)
{
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        int32_t lane;
        if (child.attribute("lane") && laneOf(r, child, &lane)) item(r, child, shift, lane, false, depth);
    }
}

void storyline(Reader* r, pugi::xml_node spine, const ELKRational_t* shift, int32_t lane, int32_t depth)
{
    for (pugi::xml_node child = spine.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element) continue;
        // An item inside a connected storyline sits on that storyline's lane.
        int32_t own = lane;
        if (lane == 0 && child.attribute("lane") && !laneOf(r, child, &own)) continue;
        item(r, child, shift, own, own == 0, depth);
    }
}

pugi::xml_node format(pugi::xml_node root, pugi::xml_node sequence)
{
    const char* id = sequence.attribute("format").value();
    for (pugi::xml_node f = root.child("resources").child("format"); f; f = f.next_sibling("format"))
        if (std::strcmp(f.attribute("id").value(), id) == 0) return f;
    return {};
}

bool sequenceRate(pugi::xml_node root, pugi::xml_node sequence, ELKTimebase_t* rate)
{
    ELKRational_t frame;
    if (!readTime(format(root, sequence).attribute("frameDuration").value(), &frame) || frame.num <= 0)
        return false;
    const ELKRational_t perSecond = { frame.den, frame.num };
    const bool drop = std::strcmp(sequence.attribute("tcFormat").value(), "DF") == 0;
    return ELKRational_ToTimebase(&perSecond, drop ? ELK_TRUE : ELK_FALSE, rate) == ELK_OK;
}

// Projects stand in the library's events, or in older files in an event or the root.
template <typename Visit> void forEachProject(pugi::xml_node root, Visit visit)
{
    for (pugi::xml_node a = root.first_child(); a; a = a.next_sibling()) {
        if (named(a, "project")) visit(a);
        if (!named(a, "library") && !named(a, "event")) continue;
        for (pugi::xml_node b = a.first_child(); b; b = b.next_sibling()) {
            if (named(b, "project")) visit(b);
            if (!named(b, "event")) continue;
            for (pugi::xml_node c = b.child("project"); c; c = c.next_sibling("project")) visit(c);
        }
    }
}

void project(Reader* r, pugi::xml_node root, pugi::xml_node node)
{
    const char* name = node.attribute("name").value();
    const pugi::xml_node sequence = node.child("sequence");
    ELKTimebase_t rate;
    const bool hasRate = sequence && sequenceRate(root, sequence, &rate);
    ELKReader_Begin(r->run, name, int32_t(std::strlen(name)), hasRate ? &rate : nullptr);
    static const ELKRational_t zero = { 0, 1 };
    ELKRational_t tcStart;
    if (!sequence) {
        error(r, node, ELK_FAULT_NO_SEQUENCE);
    } else if (attributeTime(r, sequence, "tcStart", &zero, &tcStart)) {
        r->hasLatest = false;
        storyline(r, sequence.child("spine"), &zero, 0, 0);
        ELKReader_SetLength(r->run, &tcStart, r->hasLatest ? &r->latest : &tcStart);
    }
    ELKReader_End(r->run);
}

} // namespace

int8_t ELKFcpxml_Read(ELKList_t* list, const char* text, int64_t length, ELKRatePolicy_t policy)
{
    return ELKXml_Read(
        list, ELK_FORMAT_FCPXML, policy, text, length, [](ELKReaderRun_t* run, pugi::xml_node root) {
            Reader r = { run, { 0, 1 }, false };
            forEachProject(root, [&](pugi::xml_node p) { project(&r, root, p); });
        });
}
