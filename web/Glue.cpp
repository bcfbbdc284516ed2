// SPDX-License-Identifier: MIT
// The page's whole interface to the library: three C functions that take and
// give text. calc and sum reuse horodex-tc's own readers and JSON writers, so
// the page shows exactly what the command line prints; the files a sum reads
// are the page's in-memory file system's, written there by the page.
#include <string>

#include <emscripten/emscripten.h>

#include "Command.h"
#include "ELKDuration.h"
#include "Expression.h"
#include "Json.h"
#include "Output.h"

int runSum(const Options& options, Output& out);

namespace
{

// What the last call returned; valid until the next call.
std::string g_result;

bool readRate(const char* text, ELKTimebase_t* tb)
{
    return ELKTimebase_FromText(tb, text, int32_t(std::char_traits<char>::length(text))) == ELK_OK;
}

const char* error(const std::string& reason, int64_t column)
{
    g_result = "{\"error\": ";
    appendJsonString(g_result, reason);
    g_result += ", \"column\": ";
    appendInteger(g_result, column);
    g_result += '}';
    return g_result.c_str();
}

} // namespace

extern "C" {

// The named timebases as a JSON array of horodex-tc's names.
EMSCRIPTEN_KEEPALIVE const char* horodex_rates()
{
    g_result = "[";
    ELKTimebase_t tb;
    for (int32_t i = 0; ELKTimebase_Named(&tb, i) == ELK_OK; ++i) {
        std::string name;
        appendTimebase(name, tb);
        if (i > 0) g_result += ", ";
        appendJsonString(g_result, name);
    }
    g_result += ']';
    return g_result.c_str();
}

// An expression as horodex-tc calc --json gives it, with "copy" (the label
// as HH:MM:SS.FF) added; or {"error", "column"} as calc reports a fault.
EMSCRIPTEN_KEEPALIVE const char* horodex_calc(const char* rate, const char* text)
{
    ELKTimebase_t tb;
    if (!readRate(rate, &tb)) return error("unknown rate", 0);
    const size_t length = std::char_traits<char>::length(text);
    ELKDuration_t d;
    TextError fault;
    if (!evaluateExpression(text, length, tb, &d, &fault))
        return error(fault.reason, columnAt(text, fault.offset));
    g_result.clear();
    appendJsonResult(g_result, d);
    char copy[ELK_DURATION_TEXT_MAX];
    const int32_t n = ELKDuration_ToText(&d, copy, sizeof copy, ELK_TRUE);
    g_result.pop_back();
    g_result += ", \"copy\": ";
    appendJsonString(g_result, copy, n > 0 ? size_t(n) : 0);
    g_result += '}';
    return g_result.c_str();
}

// horodex-tc sum --json over the files named, each a path in the current
// folder, their names joined by '/', which no file name holds. rateGiven 0
// counts at the first input's own rate, else at rate, as sum does without -r.
EMSCRIPTEN_KEEPALIVE const char* horodex_sum(const char* rate, int rateGiven, const char* names)
{
    Options options;
    if (!readRate(rate, &options.rate)) return error("unknown rate", 0);
    options.rateFrom = rateGiven != 0 ? ELK_RATE_FROM_OPTION : ELK_RATE_FROM_DEFAULT;
    options.json = true;
    std::string all = names; // the operands point into it until the sum is written
    for (size_t start = 0; start < all.size();) {
        size_t end = all.find('/', start);
        if (end == std::string::npos)
            end = all.size();
        else
            all[end] = '\0';
        options.operands.push_back(all.c_str() + start);
        start = end + 1;
    }
    // With no operand sum reads standard input, which the page has not.
    if (options.operands.empty()) return error("no input", 0);
    g_result.clear();
    Output out(&g_result);
    runSum(options, out);
    return g_result.c_str();
}
}
