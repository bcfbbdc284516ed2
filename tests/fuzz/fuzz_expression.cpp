// SPDX-License-Identifier: MIT
// Feeds arbitrary bytes to horodex-tc's expression evaluator and its frame
// count reader at the named timebases, and checks what must always hold.
// The first byte picks the timebase and the reader; the rest is the text.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "Expression.h"
#include "Values.h"

namespace
{

void check(bool ok)
{
    if (!ok) std::abort();
}

bool evaluate(const std::string& text, const ELKTimebase_t& tb, ELKDuration_t* d, TextError* error)
{
    const bool ok = evaluateExpression(text.data(), text.size(), tb, d, error);
    if (ok)
        check(ELKTimebase_Equal(&d->base, &tb) == ELK_TRUE);
    else
        check(error->offset <= text.size() && !error->reason.empty());
    return ok;
}

void fuzzExpression(const std::string& text, const ELKTimebase_t& tb)
{
    ELKDuration_t d;
    TextError error;
    if (!evaluate(text, tb, &d, &error)) return;

    // Parentheses around a whole expression change nothing, and a minus in
    // front negates it; only the nesting limit may refuse the extra level.
    ELKDuration_t wrapped;
    if (evaluate("(" + text + ")", tb, &wrapped, &error))
        check(wrapped.frames == d.frames);
    else
        check(error.reason == "expression nested too deeply");
    ELKDuration_t negated;
    if (evaluate("-(" + text + ")", tb, &negated, &error))
        check(d.frames != INT64_MIN && negated.frames == -d.frames);
    else
        check(error.reason == "expression nested too deeply" || d.frames == INT64_MIN);
}

// The frame count reader against strtoll on the same text.
void fuzzFrameCount(const std::string& text)
{
    int64_t frames = 0;
    TextError error;
    const bool ok = readFrameCount(text.data(), text.size(), &frames, &error);
    if (!ok) check(error.offset <= text.size() && !error.reason.empty());

    // Blanks and line ends as the library has them: no '\v' or '\f'.
    const size_t first = text.find_first_not_of(" \t\r\n");
    const size_t last = text.find_last_not_of(" \t\r\n");
    bool model = first != std::string::npos;
    std::string core = model ? text.substr(first, last - first + 1) : std::string();
    const size_t digits = !core.empty() && (core[0] == '+' || core[0] == '-') ? 1 : 0;
    model
        = model && core.size() > digits && core.find_first_not_of("0123456789", digits) == std::string::npos;
    if (model) {
        errno = 0;
        const long long value = std::strtoll(core.c_str(), nullptr, 10);
        model = errno == 0;
        if (model && ok) check(frames == value);
    }
    check(ok == model);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    ELKTimebase_t tb;
    check(ELKTimebase_Named(&tb, int32_t(data[0] & 0x0F) % 15) == ELK_OK);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] & 0x10)
        fuzzFrameCount(text);
    else
        fuzzExpression(text, tb);
    return 0;
}
