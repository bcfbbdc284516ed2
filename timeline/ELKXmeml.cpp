// SPDX-License-Identifier: MIT
#include "ELKXmeml.h"

#include <cstdio>
#include <cstring>

#include "ELKReaderKit.h"

namespace
{

bool named(pugi::xml_node node, const char* name)
{
    return std::strcmp(node.name(), name) == 0;
}

bool isTrue(pugi::xml_node node, const char* child)
{
    return std::strcmp(node.child_value(child), "TRUE") == 0;
}

bool isFalse(pugi::xml_node node, const char* child)
{
    return std::strcmp(node.child_value(child), "FALSE") == 0;
}

bool isItem(pugi::xml_node node)
{
    return named(node, "clipitem") || named(node, "generatoritem") || named(node, "transitionitem");
}

// <rate><timebase>24</timebase><ntsc>TRUE</ntsc></rate> in frames a second.
bool readRate(pugi::xml_node rate, ELKRational_t* out)
{
    const char* timebase = rate.child_value("timebase");
    if (ELKRational_FromText(out, timebase, int64_t(std::strlen(timebase))) != ELK_OK || out->num <= 0)
        return false;
    if (!isTrue(rate, "ntsc")) return true;
    const ELKRational_t ntsc = { 1000, 1001 };
    return ELKRational_Multiply(out, out, &ntsc) == ELK_OK;
}

bool sequenceRate(pugi::xml_node sequence, ELKTimebase_t* rate)
{
    ELKRational_t perSecond;
    if (!readRate(sequence.child("rate"), &perSecond)) return false;
    const bool drop = std::strcmp(sequence.child("timecode").child_value("displayformat"), "DF") == 0;
    return ELKRational_ToTimebase(&perSecond, drop ? ELK_TRUE : ELK_FALSE, rate) == ELK_OK;
}

struct Reader {
    ELKReaderRun_t* run;
    ELKRational_t frame; // seconds a frame of the sequence
    ELKRational_t latest; // the latest end, in seconds
};

void error(Reader* r, pugi::xml_node node, ELKListFault_t fault, const char* name = nullptr)
{
    ELKXml_Fault(r->run, node, fault, name);
}

// A frame count (whole, perhaps written "1055.0"), in seconds. -1 stays -1 in *raw.
bool position(Reader* r, pugi::xml_node item, const char* name, int64_t* raw, ELKRational_t* seconds)
{
    const char* text = item.child_value(name);
    ELKRational_t count;
    if (ELKRational_FromText(&count, text, int64_t(std::strlen(text))) != ELK_OK
        || count.num % count.den != 0) {
        error(r, item, ELK_FAULT_NOT_A_FRAME_COUNT, name);
        return false;
    }
    count = { count.num / count.den, 1 };
    *raw = count.num;
    if (count.num == -1) return true;
    if (count.num < 0 || ELKRational_Multiply(seconds, &count, &r->frame) != ELK_OK) {
        error(r, item, ELK_FAULT_TIME_TOO_LARGE);
        return false;
    }
    return true;
}

pugi::xml_node neighbour(pugi::xml_node item, bool after)
{
    pugi::xml_node n = after ? item.next_sibling() : item.previous_sibling();
    while (n && !isItem(n)) n = after ? n.next_sibling() : n.previous_sibling();
    return n && named(n, "transitionitem") ? n : pugi::xml_node();
}

void item(Reader* r, pugi::xml_node node, const char* track, int32_t trackLength, bool trackOff)
{
    int64_t start, end, unused;
    ELKRational_t in = { 0, 1 }, out = { 0, 1 };
    if (!position(r, node, "start", &start, &in) || !position(r, node, "end", &end, &out)) return;
    if (start == -1) {
        const pugi::xml_node t = neighbour(node, false);
        if (!t) return error(r, node, ELK_FAULT_NO_TRANSITION_BEFORE);
        if (!position(r, t, "start", &unused, &in)) return;
    }
    if (end == -1) {
        const pugi::xml_node t = neighbour(node, true);
        if (!t) return error(r, node, ELK_FAULT_NO_TRANSITION_AFTER);
        if (!position(r, t, "end", &unused, &out)) return;
    }
    if (ELKRational_Compare(&out, &in) < 0) return error(r, node, ELK_FAULT_END_BEFORE_START);
    if (trackOff || isFalse(node, "enabled")) return ELKList_LeaveOut(r->run->list);
    int64_t line;
    int32_t column;
    ELKXml_Position(r->run, node, &line, &column);
    const char* label = node.child_value("name");
    if (ELKReader_AddSpan(
            r->run, line, column, label, int32_t(std::strlen(label)), track, trackLength, &in, &out)
        && ELKRational_Compare(&out, &r->latest) > 0)
        r->latest = out;
}

void sequence(Reader* r, pugi::xml_node node)
{
    const char* name = node.child_value("name");
    ELKTimebase_t rate;
    const bool hasRate = sequenceRate(node, &rate);
    ELKReader_Begin(r->run, name, int32_t(std::strlen(name)), hasRate ? &rate : nullptr);
    // Without a rate of its own, frames count at the list's.
    ELKRational_t perSecond;
    const ELKTimebase_t& base = r->run->list->base;
    if (!readRate(node.child("rate"), &perSecond)) perSecond = { int64_t(base.num), int64_t(base.den) };
    r->frame = { perSecond.den, perSecond.num };
    r->latest = { 0, 1 };
    const pugi::xml_node media = node.child("media");
    const char* const kinds[] = { "video", "audio" };
    for (const char* kind : kinds) {
        int32_t index = 0;
        for (pugi::xml_node track = media.child(kind).child("track"); track;
             track = track.next_sibling("track")) {
            char trackName[16];
            const int n
                = std::snprintf(trackName, sizeof trackName, "%c%d", kind[0] == 'v' ? 'V' : 'A', ++index);
            const bool off = isFalse(track, "enabled");
            for (pugi::xml_node i = track.first_child(); i; i = i.next_sibling())
                if (named(i, "clipitem") || named(i, "generatoritem")) item(r, i, trackName, n, off);
        }
    }
    const ELKRational_t zero = { 0, 1 };
    ELKReader_SetLength(r->run, &zero, &r->latest);
    ELKReader_End(r->run);
}

// Sequences at the top level, or in a project's or bin's children.
template <typename Visit> void forEachSequence(pugi::xml_node parent, int32_t depth, Visit visit)
{
    for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
        if (named(n, "sequence"))
            visit(n);
        else if ((named(n, "project") || named(n, "bin")) && depth < ELK_READER_DEPTH_MAX)
            forEachSequence(n.child("children"), depth + 1, visit);
    }
}

} // namespace

int8_t ELKXmeml_Read(ELKList_t* list, const char* text, int64_t length, ELKRatePolicy_t policy)
{
    return ELKXml_Read(
        list, ELK_FORMAT_XMEML, policy, text, length, [](ELKReaderRun_t* run, pugi::xml_node root) {
            Reader r = { run, { 1, 1 }, { 0, 1 } };
            forEachSequence(root, 0, [&](pugi::xml_node s) { sequence(&r, s); });
        });
}
