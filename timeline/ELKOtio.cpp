// SPDX-License-Identifier: MIT
#include "ELKOtio.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include "ELKRational.h"
#include "ELKReaderSupport.h"

namespace
{

using Value = rapidjson::Value;

// Real files hold NaN, Infinity and integers past 64 bits in their metadata;
// times are read from the numbers' own text, exactly. Iterative: deep nesting
// cannot exhaust the stack.
constexpr unsigned kFlags = rapidjson::kParseNanAndInfFlag | rapidjson::kParseNumbersAsStringsFlag
    | rapidjson::kParseIterativeFlag | rapidjson::kParseInsituFlag;

// A parsed document and the copy it lives in: strings point into the copy at their place in the text.
struct Json {
    std::unique_ptr<char[]> copy;
    rapidjson::Document doc;
    bool ok = false;
};

bool parse(Json* json, const char* text, int64_t length)
{
    if (!text || length < 0) length = 0;
    json->copy.reset(new (std::nothrow) char[size_t(length) + 1]);
    if (!json->copy) return false;
    if (length) std::memcpy(json->copy.get(), text, size_t(length));
    json->copy[size_t(length)] = 0;
    json->doc.ParseInsitu<kFlags>(json->copy.get());
    json->ok = !json->doc.HasParseError();
    return json->ok;
}

const Value* member(const Value* object, const char* key)
{
    if (!object || !object->IsObject()) return nullptr;
    const auto m = object->FindMember(key);
    return m == object->MemberEnd() ? nullptr : &m->value;
}

// The schema's name without its version: "Clip" for "Clip.2".
bool schema(const Value* object, const char* name)
{
    const Value* s = member(object, "OTIO_SCHEMA");
    if (!s || !s->IsString()) return false;
    const size_t n = std::strlen(name);
    return s->GetStringLength() > n && std::strncmp(s->GetString(), name, n) == 0 && s->GetString()[n] == '.';
}

bool text(const Value* v, const char* expected)
{
    return v && v->IsString() && v->GetStringLength() == std::strlen(expected)
        && std::memcmp(v->GetString(), expected, v->GetStringLength()) == 0;
}

bool number(const Value* v, ELKRational_t* out)
{
    // Numbers arrive as their own text.
    return v && v->IsString() && ELKRational_FromText(out, v->GetString(), v->GetStringLength()) == ELK_OK;
}

// A RationalTime's rate, snapped to a named timebase.
bool rateOf(const Value* time, ELKRational_t* rate)
{
    if (!schema(time, "RationalTime") || !number(member(time, "rate"), rate) || rate->num <= 0) return false;
    ELKRational_SnapRate(rate);
    return true;
}

// A RationalTime in seconds.
bool seconds(const Value* time, ELKRational_t* out)
{
    ELKRational_t rate, value;
    return rateOf(time, &rate) && number(member(time, "value"), &value)
        && ELKRational_Divide(out, &value, &rate) == ELK_OK;
}

bool firstRate(const Value* v, int32_t depth, ELKRational_t* rate)
{
    if (depth > ELK_READER_DEPTH_MAX) return false;
    if (rateOf(v, rate)) return true;
    if (v->IsObject()) {
        for (const auto& m : v->GetObject())
            if (firstRate(&m.value, depth + 1, rate)) return true;
    } else if (v->IsArray()) {
        for (const auto& e : v->GetArray())
            if (firstRate(&e, depth + 1, rate)) return true;
    }
    return false;
}

bool timelineRate(const Value* timeline, ELKTimebase_t* tb)
{
    ELKRational_t rate;
    const Value* tracks = member(timeline, "tracks");
    if (!rateOf(member(timeline, "global_start_time"), &rate) && !(tracks && firstRate(tracks, 0, &rate)))
        return false;
    const Value* format
        = member(member(member(member(timeline, "metadata"), "fcp_xml"), "timecode"), "displayformat");
    return (text(format, "DF") && ELKRational_ToTimebase(&rate, ELK_TRUE, tb) == ELK_OK)
        || ELKRational_ToTimebase(&rate, ELK_FALSE, tb) == ELK_OK;
}

struct Reader {
    ELKList_t* list;
    ELKTextPosition_t where;
    const char* base; // the parsed copy, whose offsets are the text's
};

// An item's place: its schema string lies where the item is written.
void position(Reader* r, const Value* item, int64_t* line, int32_t* column)
{
    const Value* s = member(item, "OTIO_SCHEMA");
    const int64_t at = s && s->IsString() ? s->GetString() - r->base : 0;
    ELKTextPosition_Find(&r->where, at, line, column);
}

void error(Reader* r, const Value* item, int8_t fault, const char* why)
{
    int64_t line;
    int32_t column;
    position(r, item, &line, &column);
    const Value* s = member(item, "OTIO_SCHEMA");
    const int n = s && s->IsString() ? int(s->GetStringLength() > 40 ? 40 : s->GetStringLength()) : 0;
    ELKReader_Error(r->list, line, column, fault, "%s in %.*s", why, n, n ? s->GetString() : "");
}

bool rangeDuration(const Value* range, ELKRational_t* out)
{
    return range && !range->IsNull() && seconds(member(range, "duration"), out);
}

// How long an item lasts in its parent; false with *why when it cannot be told.
bool duration(Reader* r, const Value* item, int32_t depth, ELKRational_t* out, const char** why)
{
    *out = { 0, 1 };
    if (depth > ELK_READER_DEPTH_MAX) return *why = "nested too deeply", false;
    if (schema(item, "Transition")) return true;
    const Value* range = member(item, "source_range");
    if (range && !range->IsNull())
        return rangeDuration(range, out) || (*why = "source_range has no duration", false);
    if (schema(item, "Clip")) {
        const Value* media = member(item, "media_reference");
        const Value* key = member(item, "active_media_reference_key");
        const Value* references = member(item, "media_references");
        if (key && key->IsString() && references && references->IsObject()) {
            const auto m = references->FindMember(*key);
            if (m != references->MemberEnd()) media = &m->value;
        }
        return rangeDuration(member(media, "available_range"), out)
            || (*why = "clip has neither source_range nor available_range", false);
    }
    const bool stack = schema(item, "Stack");
    if (!stack && !schema(item, "Track"))
        return schema(item, "Gap") ? (*why = "gap has no duration", false) : true;
    const Value* children = member(item, "children");
    if (!children || !children->IsArray()) return true;
    for (const auto& child : children->GetArray()) {
        ELKRational_t d;
        if (!duration(r, &child, depth + 1, &d, why)) return false;
        if (stack) {
            if (ELKRational_Compare(&d, out) > 0) *out = d;
        } else if (ELKRational_Add(out, out, &d) != ELK_OK) {
            return *why = "time out of range", false;
        }
    }
    return true;
}

bool frames(Reader* r, const ELKRational_t* at, int64_t* out)
{
    return ELKRational_ToFrames(at, &r->list->base, out) == ELK_OK;
}

// Lays out one top-level track; returns its length in seconds through *length, false when it does not count.
bool track(Reader* r, const Value* node, const char* name, int32_t nameLength, ELKRational_t* length)
{
    const Value* enabled = member(node, "enabled");
    const bool off = enabled && enabled->IsFalse();
    ELKRational_t at = { 0, 1 }, end = { 0, 1 };
    const Value* children = member(node, "children");
    if (children && children->IsArray()) {
        for (const auto& child : children->GetArray()) {
            const bool gap = schema(&child, "Gap");
            const bool item = schema(&child, "Clip") || schema(&child, "Stack") || schema(&child, "Track");
            if (!gap && !item) continue;
            ELKRational_t d, next;
            const char* why = "";
            if (!duration(r, &child, 1, &d, &why)) {
                error(r, &child, ELK_FAULT_BAD_TIME, why);
                return false;
            }
            if (ELKRational_Add(&next, &at, &d) != ELK_OK) {
                error(r, &child, ELK_FAULT_BAD_TIME, "time out of range");
                return false;
            }
            const Value* on = member(&child, "enabled");
            if (item && (off || (on && on->IsFalse()))) {
                ELKList_LeaveOut(r->list);
            } else if (item) {
                int64_t in, out, line;
                int32_t column;
                if (!frames(r, &at, &in) || !frames(r, &next, &out)) {
                    error(r, &child, ELK_FAULT_BAD_TIME, "time out of range");
                    return false;
                }
                position(r, &child, &line, &column);
                const Value* label = member(&child, "name");
                const bool hasLabel = label && label->IsString();
                ELKList_AddEntry(r->list, line, hasLabel ? label->GetString() : "",
                    hasLabel ? int32_t(label->GetStringLength()) : 0, name, nameLength, ELK_TRUE, in, out,
                    out - in);
            }
            if (gap || !(off || (on && on->IsFalse()))) end = next;
            at = next;
        }
    }
    if (off) return false;
    *length = end;
    ELKRational_t range;
    if (rangeDuration(member(node, "source_range"), &range)) *length = range;
    return true;
}

void timeline(Reader* r, const Value* node)
{
    ELKList_BeginInput(r->list, ELK_FORMAT_OTIO);
    const Value* name = member(node, "name");
    if (name && name->IsString() && name->GetStringLength())
        ELKList_SetInputName(r->list, name->GetString(), int32_t(name->GetStringLength()));
    ELKTimebase_t rate;
    if (timelineRate(node, &rate)) ELKList_SetInputRate(r->list, &rate);
    const Value* tracks = member(member(node, "tracks"), "children");
    ELKRational_t longest = { 0, 1 };
    int32_t video = 0, audio = 0;
    if (tracks && tracks->IsArray()) {
        for (const auto& t : tracks->GetArray()) {
            if (!schema(&t, "Track")) continue;
            const Value* kind = member(&t, "kind");
            const bool sound = text(kind, "Audio");
            int32_t index = sound ? ++audio : ++video;
            const Value* own = member(&t, "name");
            char numbered[16];
            const char* trackName = numbered;
            int32_t n;
            if (own && own->IsString() && own->GetStringLength()) {
                trackName = own->GetString();
                n = int32_t(own->GetStringLength());
            } else {
                n = std::snprintf(numbered, sizeof numbered, "%c%d", sound ? 'A' : 'V', int(index));
            }
            ELKRational_t length;
            if (track(r, &t, trackName, n, &length) && ELKRational_Compare(&length, &longest) > 0)
                longest = length;
        }
    }
    int64_t length;
    if (frames(r, &longest, &length)) ELKList_SetLength(r->list, length);
    ELKList_EndInput(r->list);
}

// Timelines: the root, or those in a collection (collections may nest).
template <typename Visit> void forEachTimeline(const Value* v, int32_t depth, Visit visit)
{
    if (schema(v, "Timeline")) return visit(v);
    const Value* children = member(v, "children");
    if (!schema(v, "SerializableCollection") || !children || !children->IsArray()
        || depth > ELK_READER_DEPTH_MAX)
        return;
    for (const auto& c : children->GetArray()) forEachTimeline(&c, depth + 1, visit);
}

} // namespace

int8_t ELKOtio_Read(ELKList_t* list, const char* text, int64_t length)
{
    if (!list) return ELK_ERROR;
    const int64_t errors = list->errorCount;
    Json json;
    // The parser takes a NUL for the end of the text: what follows one would be lost.
    const char* nul
        = text && length > 0 ? static_cast<const char*>(std::memchr(text, 0, size_t(length))) : nullptr;
    if (!parse(&json, text, length) || nul) {
        ELKTextPosition_t where;
        ELKTextPosition_Init(&where, text, length);
        int64_t line = 0;
        int32_t column = 0;
        const char* why = !json.copy ? "out of memory"
            : json.ok                ? "a NUL character"
                                     : rapidjson::GetParseError_En(json.doc.GetParseError());
        const int64_t at = json.ok ? nul - text : int64_t(json.doc.GetErrorOffset());
        if (json.copy) ELKTextPosition_Find(&where, at, &line, &column);
        ELKList_BeginInput(list, ELK_FORMAT_NONE);
        ELKReader_Error(list, line, column, ELK_FAULT_NOT_WELL_FORMED, "%s", why);
        ELKList_EndInput(list);
        return ELK_ERROR;
    }
    Reader r = { list, {}, json.copy.get() };
    ELKTextPosition_Init(&r.where, text, length);
    bool any = false;
    forEachTimeline(&json.doc, 0, [&](const Value* t) {
        any = true;
        timeline(&r, t);
    });
    if (!any) {
        ELKList_BeginInput(list, ELK_FORMAT_OTIO);
        ELKList_AddError(list, 0, 0, ELK_FAULT_NO_TIMELINE, nullptr, 0);
        ELKList_EndInput(list);
    }
    return list->errorCount == errors ? ELK_OK : ELK_ERROR;
}

int8_t ELKOtio_OwnRate(const char* text, int64_t length, ELKTimebase_t* rate)
{
    Json json;
    if (!rate || !parse(&json, text, length)) return ELK_ERROR;
    bool seen = false, found = false;
    forEachTimeline(&json.doc, 0, [&](const Value* t) {
        if (!seen) found = timelineRate(t, rate);
        seen = true;
    });
    return found ? ELK_OK : ELK_ERROR;
}
