// SPDX-License-Identifier: MIT
// Edits a list's text at random and reads again only the lines touched: the
// list must then be what a new read of the whole edited text gives, or, when
// the read again refuses, what it was.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ELKInput.h"

namespace
{

void check(bool ok)
{
    if (!ok) std::abort();
}

std::string pool(const ELKList_t& l, int64_t at, int32_t length)
{
    return std::string(l.text + at, size_t(std::max(length, 0)));
}

// Everything the list holds but where its pool keeps the text.
std::string describe(const ELKList_t& l)
{
    std::string s = std::to_string(l.sum) + ' ' + std::to_string(l.hasUnique) + std::to_string(l.unique) + ' '
        + std::to_string(l.hasLength) + std::to_string(l.length) + ' ' + std::to_string(l.lines) + '\n';
    for (int64_t i = 0; i < l.entryCount; ++i) {
        const ELKListEntry_t& e = l.entries[i];
        s += std::to_string(e.input) + ':' + std::to_string(e.line) + ' ' + pool(l, e.label, e.labelLength)
            + '/' + pool(l, e.track, e.trackLength) + ' ' + std::to_string(e.hasInOut) + std::to_string(e.in)
            + '-' + std::to_string(e.out) + ' ' + std::to_string(e.duration) + ' ' + std::to_string(e.running)
            + '\n';
    }
    for (int64_t i = 0; i < l.errorCount; ++i) {
        const ELKListError_t& e = l.errors[i];
        s += std::to_string(e.input) + ':' + std::to_string(e.line) + ':' + std::to_string(e.column) + ' '
            + std::to_string(e.fault) + ' ' + pool(l, e.text, e.textLength) + '|'
            + pool(l, e.detail, e.detailLength);
        for (uint64_t v : e.value) s += ' ' + std::to_string(v);
        s += '\n';
    }
    for (int32_t i = 0; i < l.trackCount; ++i)
        s += pool(l, l.tracks[i].name, l.tracks[i].nameLength) + ' ' + std::to_string(l.tracks[i].sum) + ' '
            + std::to_string(l.tracks[i].unique) + '\n';
    for (int32_t i = 0; i < l.inputs; ++i) {
        const ELKListInput_t& in = l.inputList[i];
        for (int64_t v : { int64_t(in.format), int64_t(in.hasRate), in.entries, in.errors, in.total,
                 int64_t(in.hasUnique), in.unique, int64_t(in.hasLength), in.length, int64_t(in.hasOwnLength),
                 in.ownLength, in.lines })
            s += std::to_string(v) + ' ';
        s += '\n';
    }
    return s;
}

// Text as the tape's editor holds it: decoded, one '\n' between lines.
bool decode(const char* bytes, size_t length, std::string* text)
{
    ELKText_t t;
    if (ELKText_Decode(&t, bytes, int64_t(length)) != ELK_OK) return false;
    const bool ok = t.binary != ELK_TRUE;
    if (ok) {
        text->assign(t.utf8, size_t(t.length));
        std::replace(text->begin(), text->end(), '\r', '\n');
    }
    ELKText_Destroy(&t);
    return ok;
}

void read(ELKList_t* l, const ELKTimebase_t& tb, const std::vector<std::string>& texts)
{
    ELKList_Init(l, &tb);
    for (const std::string& s : texts) {
        const ELKText_t t { s.data(), int64_t(s.size()), nullptr, ELK_TEXT_UTF8, ELK_LINE_LF, ELK_FALSE };
        ELKInput_ReadText(l, &t, nullptr);
    }
}

std::vector<std::string> split(const std::string& s)
{
    std::vector<std::string> lines { std::string() };
    for (char c : s)
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back() += c;
    return lines;
}

std::string join(const std::vector<std::string>& lines, size_t begin, size_t end)
{
    std::string s;
    for (size_t i = begin; i < end; ++i) s += (i > begin ? "\n" : "") + lines[i];
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4 || size > (1u << 16)) return 0;
    static const char* const rates[] = { "25", "29.97df", "29.97", "23.976", "120", "59.94df", "24", "50" };
    ELKTimebase_t tb;
    check(ELKTimebase_FromText(&tb, rates[data[0] % 8], -1) == ELK_OK);
    const char* rest = reinterpret_cast<const char*>(data) + 3;
    const size_t restLength = size - 3;
    const char* cut = static_cast<const char*>(std::memchr(rest, '\xFF', restLength));
    const size_t textLength = cut ? size_t(cut - rest) : restLength;
    std::string text, added;
    if (!decode(rest, textLength, &text)) return 0;
    if (cut && !decode(cut + 1, restLength - textLength - 1, &added)) return 0;

    // Lines [first, first + removed) of the first of two inputs give way to `added`.
    const std::vector<std::string> lines = split(text);
    const size_t first = 1 + data[1] % (lines.size() + 1);
    const size_t removed = std::min<size_t>(data[2] % 8, lines.size() + 1 - first);
    const bool follows = first - 1 + removed < lines.size();
    std::string edited = join(lines, 0, first - 1);
    edited += (first > 1 ? "\n" : "") + added;
    if (follows) edited += "\n" + join(lines, first - 1 + removed, lines.size());
    const std::string replaced = added + (follows ? "\n" : "");

    ELKList_t l, before, after;
    read(&l, tb, { text, text });
    read(&before, tb, { text, text });
    read(&after, tb, { edited, text });
    const int8_t result = ELKInput_ReadAgain(&l, 0, int64_t(first), int64_t(removed), replaced.data(),
        int64_t(replaced.size()), edited.data(), int64_t(edited.size()));
    if (std::getenv("FUZZ_DEBUG"))
        std::fprintf(stderr, "%d\n--- got\n%s--- want\n%s", result, describe(l).c_str(),
            describe(result == ELK_OK ? after : before).c_str());
    check(describe(l) == describe(result == ELK_OK ? after : before));
    ELKList_Destroy(&l);
    ELKList_Destroy(&before);
    ELKList_Destroy(&after);
    return 0;
}
