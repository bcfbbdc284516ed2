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

#include "../list_description.h"
#include "ELKInput.h"

namespace
{

void check(bool ok)
{
    if (!ok) std::abort();
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
        std::fprintf(stderr, "%d\n--- got\n%s--- want\n%s", result, describeList(l).c_str(),
            describeList(result == ELK_OK ? after : before).c_str());
    check(describeList(l) == describeList(result == ELK_OK ? after : before));
    ELKList_Destroy(&l);
    ELKList_Destroy(&before);
    ELKList_Destroy(&after);
    return 0;
}
