// SPDX-License-Identifier: MIT
#include "ELKXmeml.h"

#include <cstdio>
#include <cstring>

#include "ELKRational.h"
#include "ELKReaderSupport.h"

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
    return ELKRational_ToTimebase(&perSecond, drop ? ELK_TRUE : ELK_FALSE, rate) == ELK_OK
        || ELKRational_ToTimebase(&perSecond, ELK_FALSE, rate) == ELK_OK;
}

struct Reader {
    ELKList_t* list;
    ELKTextPosition_t where;
    ELKRational_t frame; // seconds a frame of the sequence
    bool sameRate; // the sequence counts frames at the list's rate
    int64_t latest; // the latest end, in frames of the sequence
};

void error(Reader* r, pugi::xml_node node, int8_t fault, const char* why)
{
    int64_t line;
    int32_t column;
    ELKXml_Position(&r->where, node, &line, &column);
    ELKReader_Error(r->list, line, column, fault, "%s in <%s>", why, node.name());
}

// A frame count (whole, perhaps written "1055.0"), in frames of the list. -1 stays -1 in *raw.
bool position(Reader* r, pugi::xml_node item, const char* name, int64_t* raw, int64_t* frames)
{
    const char* text = item.child_value(name);
    ELKRational_t count, seconds;
    char why[80];
    if (ELKRational_FromText(&count, text, int64_t(std::strlen(text))) != ELK_OK
        || count.num % count.den != 0) {
        std::snprintf(why, sizeof why, "%s \"%.24s\" is not a whole frame count", name, text);
        error(r, item, ELK_FAULT_BAD_TIME, why);
        return false;
    }
    count = { count.num / count.den, 1 };
    *raw = count.num;
    if (count.num == -1) return true;
    if (count.num >= 0 && r->sameRate) return *frames = count.num, true;
    if (count.num < 0 || ELKRational_Multiply(&seconds, &count, &r->frame) != ELK_OK
        || ELKRational_ToFrames(&seconds, &r->list->base, frames) != ELK_OK) {
        std::snprintf(why, sizeof why, "%s %.24s is out of range", name, text);
        error(r, item, ELK_FAULT_BAD_TIME, why);
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
    int64_t start, end, in = 0, out = 0, unused, last;
    if (!position(r, node, "start", &start, &in) || !position(r, node, "end", &end, &out)) return;
    if (start == -1) {
        const pugi::xml_node t = neighbour(node, false);
        if (!t) return error(r, node, ELK_FAULT_BAD_TIME, "start -1 without a transition before it");
        if (!position(r, t, "start", &unused, &in)) return;
    }
    if (end == -1) {
        const pugi::xml_node t = neighbour(node, true);
        if (!t) return error(r, node, ELK_FAULT_BAD_TIME, "end -1 without a transition after it");
        if (!position(r, t, "end", &last, &out)) return;
    }
    if (out < in) return error(r, node, ELK_FAULT_BAD_TIME, "end before start");
    if (trackOff || isFalse(node, "enabled")) return ELKList_LeaveOut(r->list);
    int64_t line;
    int32_t column;
    ELKXml_Position(&r->where, node, &line, &column);
    const char* label = node.child_value("name");
    ELKList_AddEntry(
        r->list, line, label, int32_t(std::strlen(label)), track, trackLength, ELK_TRUE, in, out, out - in);
    if (end != -1) last = end;
    if (last > r->latest) r->latest = last;
}

void sequence(Reader* r, pugi::xml_node node)
{
    ELKList_BeginInput(r->list, ELK_FORMAT_XMEML);
    const char* name = node.child_value("name");
    if (*name) ELKList_SetInputName(r->list, name, int32_t(std::strlen(name)));
    ELKTimebase_t rate;
    ELKRational_t perSecond;
    if (sequenceRate(node, &rate)) ELKList_SetInputRate(r->list, &rate);
    // Without a rate of its own, frames count at the list's.
    if (!readRate(node.child("rate"), &perSecond))
        perSecond = { int64_t(r->list->base.num), int64_t(r->list->base.den) };
    r->frame = { perSecond.den, perSecond.num };
    r->sameRate
        = uint64_t(perSecond.num) == r->list->base.num && uint64_t(perSecond.den) == r->list->base.den;
    r->latest = 0;
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
    static const ELKRational_t zero = { 0, 1 };
    const ELKRational_t latest = { r->latest, 1 };
    ELKRational_t end;
    if (ELKRational_Multiply(&end, &latest, &r->frame) == ELK_OK) ELKReader_SetLength(r->list, &zero, &end);
    ELKList_EndInput(r->list);
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

int8_t ELKXmeml_Read(ELKList_t* list, const char* text, int64_t length)
{
    if (!list) return ELK_ERROR;
    const int64_t errors = list->errorCount;
    pugi::xml_document doc;
    if (!ELKXml_Load(&doc, list, text, length)) return ELK_ERROR;
    Reader r = { list, {}, { 1, 1 }, false, 0 };
    ELKTextPosition_Init(&r.where, text, length);
    bool any = false;
    forEachSequence(doc.document_element(), 0, [&](pugi::xml_node s) {
        any = true;
        sequence(&r, s);
    });
    if (!any) ELKReader_NoTimeline(list, ELK_FORMAT_XMEML);
    return list->errorCount == errors ? ELK_OK : ELK_ERROR;
}

int8_t ELKXmeml_OwnRate(const char* text, int64_t length, ELKTimebase_t* rate)
{
    pugi::xml_document doc;
    if (!rate || !ELKXml_Peek(&doc, text, length)) return ELK_ERROR;
    bool seen = false, found = false;
    forEachSequence(doc.document_element(), 0, [&](pugi::xml_node s) {
        if (!seen) found = sequenceRate(s, rate);
        seen = true;
    });
    return found ? ELK_OK : ELK_ERROR;
}
