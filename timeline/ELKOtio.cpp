// SPDX-License-Identifier: MIT
#include "ELKOtio.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>
#include <vector>

#include "ELKReaderKit.h"

namespace
{

// Real files hold NaN, Infinity and integers past 64 bits in their metadata;
// times are read from the numbers' own text, exactly. In place, strings and
// numbers stay where the text has them, so their offsets give line and column.
constexpr unsigned kFlags
    = rapidjson::kParseNanAndInfFlag | rapidjson::kParseNumbersAsStringsFlag | rapidjson::kParseInsituFlag;

// Deeper nesting stops the parser, whose recursion it bounds.
constexpr size_t kNestingMax = 1000;

enum Kind : uint8_t { kNull, kFalse, kTrue, kNumber, kString, kObject, kArray };

// One value of the document. Values follow their parent in one array: a
// container's first child is the next node, and the next sibling is counted
// from the node itself (0: none).
struct Node {
    const char* key; // the member's name, in the parsed copy
    const char* text; // a string's or number's text, in the parsed copy
    uint32_t keyLength;
    uint32_t length; // of the text; for a container, 1 when it has children
    uint32_t next;
    Kind kind;
};

// Builds the nodes as the parser meets the values.
struct Builder : rapidjson::BaseReaderHandler<rapidjson::UTF8<>, Builder> {
    std::vector<Node>* nodes;
    std::vector<uint32_t> open; // containers open, and the last child of each (0: none yet)
    std::vector<uint32_t> last;
    const char* key = nullptr;
    uint32_t keyLength = 0;
    bool tooDeep = false;

    bool add(Kind kind, const char* text = nullptr, rapidjson::SizeType length = 0)
    {
        const auto i = uint32_t(nodes->size());
        nodes->push_back({ key, text, keyLength, length, 0, kind });
        key = nullptr;
        keyLength = 0;
        if (!open.empty()) {
            if (last.back())
                (*nodes)[last.back()].next = i - last.back();
            else
                (*nodes)[open.back()].length = 1;
            last.back() = i;
        }
        return true;
    }
    bool start(Kind kind)
    {
        if (open.size() >= kNestingMax) return !(tooDeep = true);
        add(kind);
        open.push_back(uint32_t(nodes->size() - 1));
        last.push_back(0);
        return true;
    }
    bool end()
    {
        open.pop_back();
        last.pop_back();
        return true;
    }
    bool Null() { return add(kNull); }
    bool Bool(bool b) { return add(b ? kTrue : kFalse); }
    bool RawNumber(const char* text, rapidjson::SizeType length, bool) { return add(kNumber, text, length); }
    bool String(const char* text, rapidjson::SizeType length, bool) { return add(kString, text, length); }
    bool Key(const char* text, rapidjson::SizeType length, bool)
    {
        key = text;
        keyLength = length;
        return true;
    }
    bool StartObject() { return start(kObject); }
    bool EndObject(rapidjson::SizeType) { return end(); }
    bool StartArray() { return start(kArray); }
    bool EndArray(rapidjson::SizeType) { return end(); }
    bool Default() { return false; } // numbers all arrive as text
};

// A parsed document and the copy its strings live in.
struct Json {
    std::unique_ptr<char[]> copy;
    std::vector<Node> nodes; // nodes[0] is the root
    int64_t errorAt = 0;
    ELKListFault_t fault = ELK_FAULT_NONE; // why it could not be read
    const char* error = nullptr; // the parser's words, for ELK_FAULT_NOT_WELL_FORMED
};

bool parse(Json* json, const char* text, int64_t length)
{
    if (!text || length < 0) length = 0;
    json->copy.reset(new (std::nothrow) char[size_t(length) + 1]);
    if (!json->copy) return json->fault = ELK_FAULT_NO_MEMORY, false;
    if (length) std::memcpy(json->copy.get(), text, size_t(length));
    json->copy[size_t(length)] = 0;
    try {
        // About a node for every 12 bytes of real files: growing past that copies them all.
        try {
            json->nodes.reserve(size_t(length / 12) + 1);
        } catch (const std::bad_alloc&) {
            json->nodes.reserve(size_t(length / 64) + 1);
        }
        Builder builder;
        builder.nodes = &json->nodes;
        rapidjson::Reader reader;
        rapidjson::InsituStringStream stream(json->copy.get());
        if (reader.Parse<kFlags>(stream, builder).IsError()) {
            json->errorAt = int64_t(reader.GetErrorOffset());
            json->fault = builder.tooDeep ? ELK_FAULT_TOO_DEEP : ELK_FAULT_NOT_WELL_FORMED;
            json->error = builder.tooDeep ? nullptr : rapidjson::GetParseError_En(reader.GetParseErrorCode());
            return false;
        }
    } catch (const std::bad_alloc&) {
        json->fault = ELK_FAULT_NO_MEMORY;
        return false;
    }
    return true;
}

const Node* firstChild(const Node* n)
{
    return n && (n->kind == kObject || n->kind == kArray) && n->length ? n + 1 : nullptr;
}

const Node* nextSibling(const Node* n)
{
    return n->next ? n + n->next : nullptr;
}

bool equals(const char* text, uint32_t length, const char* word)
{
    return text && std::strlen(word) == length && std::memcmp(text, word, length) == 0;
}

const Node* member(const Node* object, const char* key)
{
    if (!object || object->kind != kObject) return nullptr;
    for (const Node* m = firstChild(object); m; m = nextSibling(m))
        if (equals(m->key, m->keyLength, key)) return m;
    return nullptr;
}

bool isString(const Node* v)
{
    return v && v->kind == kString;
}

// The schema's name without its version: "Clip" for "Clip.2".
bool schema(const Node* object, const char* name)
{
    const Node* s = member(object, "OTIO_SCHEMA");
    if (!isString(s)) return false;
    const size_t n = std::strlen(name);
    return s->length > n && std::memcmp(s->text, name, n) == 0 && s->text[n] == '.';
}

bool text(const Node* v, const char* expected)
{
    return isString(v) && equals(v->text, v->length, expected);
}

bool number(const Node* v, ELKRational_t* out)
{
    return v && v->kind == kNumber && ELKRational_FromText(out, v->text, v->length) == ELK_OK;
}

// A RationalTime's rate, snapped to a named timebase.
bool rateOf(const Node* time, ELKRational_t* rate)
{
    if (!schema(time, "RationalTime") || !number(member(time, "rate"), rate) || rate->num <= 0) return false;
    ELKRational_SnapRate(rate);
    return true;
}

// A RationalTime in seconds.
bool seconds(const Node* time, ELKRational_t* out)
{
    ELKRational_t rate, value;
    return rateOf(time, &rate) && number(member(time, "value"), &value)
        && ELKRational_Divide(out, &value, &rate) == ELK_OK;
}

bool firstRate(const Node* v, int32_t depth, ELKRational_t* rate)
{
    if (depth > ELK_READER_DEPTH_MAX) return false;
    if (rateOf(v, rate)) return true;
    for (const Node* c = firstChild(v); c; c = nextSibling(c))
        if (firstRate(c, depth + 1, rate)) return true;
    return false;
}

bool timelineRate(const Node* timeline, ELKTimebase_t* tb)
{
    ELKRational_t rate;
    const Node* tracks = member(timeline, "tracks");
    if (!rateOf(member(timeline, "global_start_time"), &rate) && !(tracks && firstRate(tracks, 0, &rate)))
        return false;
    const Node* format
        = member(member(member(member(timeline, "metadata"), "fcp_xml"), "timecode"), "displayformat");
    return ELKRational_ToTimebase(&rate, text(format, "DF") ? ELK_TRUE : ELK_FALSE, tb) == ELK_OK;
}

struct Reader {
    ELKReaderRun_t run;
    const char* base; // the parsed copy, whose offsets are the text's
};

// An item's place: its schema string lies where the item is written.
void position(Reader* r, const Node* item, int64_t* line, int32_t* column)
{
    const Node* s = member(item, "OTIO_SCHEMA");
    const int64_t at = isString(s) ? s->text - r->base : 0;
    ELKTextPosition_Find(&r->run.where, at, line, column);
}

// Why an item's duration cannot be told.
struct Fault {
    ELKListFault_t code;
    const char* name;
};

void error(Reader* r, const Node* item, Fault f)
{
    int64_t line;
    int32_t column;
    position(r, item, &line, &column);
    ELKReader_Fault(&r->run, line, column, f.code, f.name);
}

bool rangeDuration(const Node* range, ELKRational_t* out)
{
    return range && range->kind != kNull && seconds(member(range, "duration"), out);
}

// How long an item lasts in its parent; false with *why when it cannot be told.
bool duration(Reader* r, const Node* item, int32_t depth, ELKRational_t* out, Fault* why)
{
    *out = { 0, 1 };
    if (depth > ELK_READER_DEPTH_MAX) return *why = { ELK_FAULT_TOO_DEEP, nullptr }, false;
    if (schema(item, "Transition")) return true;
    const Node* range = member(item, "source_range");
    if (range && range->kind != kNull)
        return rangeDuration(range, out) || (*why = { ELK_FAULT_MISSING, "duration" }, false);
    if (schema(item, "Clip")) {
        const Node* media = member(item, "media_reference");
        const Node* key = member(item, "active_media_reference_key");
        const Node* references = member(item, "media_references");
        if (isString(key) && references && references->kind == kObject) {
            for (const Node* m = firstChild(references); m; m = nextSibling(m))
                if (m->keyLength == key->length && std::memcmp(m->key, key->text, key->length) == 0)
                    media = m;
        }
        return rangeDuration(member(media, "available_range"), out)
            || (*why = { ELK_FAULT_NO_RANGE, nullptr }, false);
    }
    const bool stack = schema(item, "Stack");
    if (!stack && !schema(item, "Track"))
        return schema(item, "Gap") ? (*why = { ELK_FAULT_MISSING, "duration" }, false) : true;
    for (const Node* child = firstChild(member(item, "children")); child; child = nextSibling(child)) {
        ELKRational_t d;
        if (!duration(r, child, depth + 1, &d, why)) return false;
        if (stack) {
            if (ELKRational_Compare(&d, out) > 0) *out = d;
        } else if (ELKRational_Add(out, out, &d) != ELK_OK) {
            return *why = { ELK_FAULT_TIME_TOO_LARGE, nullptr }, false;
        }
    }
    return true;
}

// Lays out one top-level track; returns its length in seconds through *length, false when it does not count.
bool track(Reader* r, const Node* node, const char* name, int32_t nameLength, ELKRational_t* length)
{
    const Node* enabled = member(node, "enabled");
    const bool off = enabled && enabled->kind == kFalse;
    ELKRational_t at = { 0, 1 }, end = { 0, 1 };
    for (const Node* child = firstChild(member(node, "children")); child; child = nextSibling(child)) {
        const bool gap = schema(child, "Gap");
        const bool item = schema(child, "Clip") || schema(child, "Stack") || schema(child, "Track");
        if (!gap && !item) continue;
        ELKRational_t d, next;
        Fault why { ELK_FAULT_NEGATIVE_DURATION, nullptr };
        if (!duration(r, child, 1, &d, &why) || d.num < 0) {
            error(r, child, why);
            return false;
        }
        if (ELKRational_Add(&next, &at, &d) != ELK_OK) {
            error(r, child, { ELK_FAULT_TIME_TOO_LARGE, nullptr });
            return false;
        }
        const Node* on = member(child, "enabled");
        const bool itemOff = off || (on && on->kind == kFalse);
        if (item && itemOff) {
            ELKList_LeaveOut(r->run.list);
        } else if (item) {
            int64_t line;
            int32_t column;
            position(r, child, &line, &column);
            const Node* label = member(child, "name");
            const bool hasLabel = isString(label);
            if (!ELKReader_AddSpan(&r->run, line, column, hasLabel ? label->text : "",
                    hasLabel ? int32_t(label->length) : 0, name, nameLength, &at, &next))
                return false;
        }
        if (gap || !itemOff) end = next;
        at = next;
    }
    if (off) return false;
    *length = end;
    ELKRational_t range;
    if (rangeDuration(member(node, "source_range"), &range)) *length = range;
    return true;
}

void timeline(Reader* r, const Node* node)
{
    const Node* name = member(node, "name");
    ELKTimebase_t rate;
    const bool hasRate = timelineRate(node, &rate);
    ELKReader_Begin(&r->run, isString(name) ? name->text : nullptr,
        isString(name) ? int32_t(name->length) : 0, hasRate ? &rate : nullptr);
    ELKRational_t longest = { 0, 1 };
    int32_t video = 0, audio = 0;
    for (const Node* t = firstChild(member(member(node, "tracks"), "children")); t; t = nextSibling(t)) {
        if (!schema(t, "Track")) continue;
        const Node* kind = member(t, "kind");
        const bool sound = text(kind, "Audio");
        int32_t index = sound ? ++audio : ++video;
        const Node* own = member(t, "name");
        char numbered[16];
        const char* trackName = numbered;
        int32_t n;
        if (isString(own) && own->length) {
            trackName = own->text;
            n = int32_t(own->length);
        } else {
            n = std::snprintf(numbered, sizeof numbered, "%c%d", sound ? 'A' : 'V', int(index));
        }
        ELKRational_t length;
        if (track(r, t, trackName, n, &length) && ELKRational_Compare(&length, &longest) > 0)
            longest = length;
    }
    const ELKRational_t zero = { 0, 1 };
    ELKReader_SetLength(&r->run, &zero, &longest);
    ELKReader_End(&r->run);
}

// Timelines: the root, or those in a collection (collections may nest).
template <typename Visit> void forEachTimeline(const Node* v, int32_t depth, Visit visit)
{
    if (schema(v, "Timeline")) return visit(v);
    if (!schema(v, "SerializableCollection") || depth > ELK_READER_DEPTH_MAX) return;
    for (const Node* c = firstChild(member(v, "children")); c; c = nextSibling(c))
        forEachTimeline(c, depth + 1, visit);
}

} // namespace

int8_t ELKOtio_Read(ELKList_t* list, const char* text, int64_t length, ELKRatePolicy_t policy)
{
    if (!list) return ELK_ERROR;
    Json json;
    // The parser takes a NUL for the end of the text: what follows one would be lost.
    const char* nul
        = text && length > 0 ? static_cast<const char*>(std::memchr(text, 0, size_t(length))) : nullptr;
    if (!parse(&json, text, length) || nul) {
        ELKTextPosition_t where;
        ELKTextPosition_Init(&where, text, length);
        int64_t line = 0;
        int32_t column = 0;
        const bool failed = json.fault != ELK_FAULT_NONE;
        const char* why = failed ? json.error : "a NUL character";
        if (json.copy) ELKTextPosition_Find(&where, failed ? json.errorAt : nul - text, &line, &column);
        return ELKList_Refuse(list, ELK_FORMAT_NONE, line, column,
            failed ? json.fault : ELK_FAULT_NOT_WELL_FORMED, why, why ? int32_t(std::strlen(why)) : 0);
    }
    Reader r = {};
    r.base = json.copy.get();
    ELKReader_Start(&r.run, list, ELK_FORMAT_OTIO, policy, text, length);
    forEachTimeline(json.nodes.data(), 0, [&](const Node* t) { timeline(&r, t); });
    return ELKReader_Finish(&r.run);
}
