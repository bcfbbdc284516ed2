// SPDX-License-Identifier: MIT
// horodex-tc: timecode arithmetic, conversion and totals on the command line.
// main reads the options, finds the subcommand in the table and runs it.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "Command.h"
#include "ELKChars.h"
#include "ELKList.h"
#include "Output.h"

namespace
{

struct Arguments {
    Options options;
    const char* rate = nullptr;
    const char* to = nullptr;
    unsigned given = 0; // CommandOption bits
};

struct OptionSpec {
    char shortName; // 0 for none
    const char* longName;
    bool takesTimebase;
    unsigned subcommand; // the CommandOption bit of an option only some subcommands take
    void (*apply)(Arguments& a, const char* value);
};

const OptionSpec kOptionTable[] = {
    { 'r', "rate", true, 0, [](Arguments& a, const char* v) { a.rate = v; } },
    { 0, "to", true, kOptionTo, [](Arguments& a, const char* v) { a.to = v; } },
    { 0, "keep-label", false, kOptionKeepLabel,
        [](Arguments& a, const char*) { a.options.keepLabel = true; } },
    { 0, "realtime", false, kOptionRealTime, [](Arguments& a, const char*) { a.options.realTime = true; } },
    { 'v', "verbose", false, 0, [](Arguments& a, const char*) { a.options.verbose = true; } },
    { 0, "json", false, 0, [](Arguments& a, const char*) { a.options.json = true; } },
    { 'h', "help", false, 0, [](Arguments&, const char*) { usage(0); } },
    { 0, "version", false, 0,
        [](Arguments&, const char*) { std::puts("horodex-tc " HORODEX_VERSION), std::exit(0); } },
};

void apply(const OptionSpec& o, const char* value, Arguments& a)
{
    a.given |= o.subcommand;
    o.apply(a, value);
}

// One argument that starts with '-': "--to=25", "--to 25", "-vr25", "-r 25".
// A value taken from the next argument moves i past it.
void parseOption(int& i, int argc, char** argv, Arguments& a)
{
    const char* arg = argv[i];
    const auto value
        = [&](const OptionSpec& o, const char* attached, const std::string& name) -> const char* {
        if (!o.takesTimebase || attached) return attached;
        if (i + 1 >= argc) usageError("option '" + name + "' needs a timebase");
        return argv[++i];
    };
    if (arg[1] == '-') {
        const char* eq = std::strchr(arg, '=');
        const std::string name = eq ? std::string(arg, eq) : std::string(arg);
        const auto o = std::find_if(std::begin(kOptionTable), std::end(kOptionTable),
            [&](const OptionSpec& s) { return name.compare(2, std::string::npos, s.longName) == 0; });
        if (o == std::end(kOptionTable)) usageError("unknown option '" + name + "'");
        if (eq && !o->takesTimebase) usageError("option '" + name + "' takes no value");
        return apply(*o, value(*o, eq ? eq + 1 : nullptr, name), a);
    }
    for (const char* c = arg + 1; *c; ++c) {
        const auto o = std::find_if(std::begin(kOptionTable), std::end(kOptionTable),
            [&](const OptionSpec& s) { return s.shortName == *c; });
        if (o == std::end(kOptionTable) && ELKChar_IsDigit(*c))
            usageError(std::string("unknown option '") + arg + "' (put '--' before negative values)");
        if (o == std::end(kOptionTable)) usageError(std::string("unknown option '-") + *c + "'");
        if (o->takesTimebase) return apply(*o, value(*o, c[1] ? c + 1 : nullptr, std::string("-") + *c), a);
        apply(*o, nullptr, a);
    }
}

ELKTimebase_t readTimebase(const char* text, const char* where)
{
    ELKTimebase_t tb {};
    if (ELKTimebase_FromText(&tb, text, -1) != ELK_OK)
        usageError(std::string("unknown timebase '") + text + "'" + where);
    return tb;
}

// Options go before or after the subcommand, up to the first operand, so
// that "01:00 - 5" stays an expression; "--" ends them.
Options parseArguments(int argc, char** argv)
{
    Arguments a;
    Options& opt = a.options;
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!optionsEnd && std::strcmp(arg, "--") == 0)
            optionsEnd = true;
        else if (!optionsEnd && arg[0] == '-' && arg[1] != '\0')
            parseOption(i, argc, argv, a);
        else if (!optionsEnd && !opt.command && (opt.command = findCommand(arg)))
            continue;
        else
            optionsEnd = true, opt.operands.push_back(arg);
    }
    const bool named = opt.command != nullptr;
    if (!named) opt.command = &defaultCommand();

    const char* environment = std::getenv("HORODEX_RATE");
    if (a.rate) {
        opt.rate = readTimebase(a.rate, "");
        opt.rateFrom = ELK_RATE_FROM_OPTION;
    } else if (environment && *environment) {
        opt.rate = readTimebase(environment, " in HORODEX_RATE");
        opt.rateFrom = ELK_RATE_FROM_ENVIRONMENT;
    } else {
        ELKTimebase_Set(&opt.rate, 30, 1, ELK_FALSE);
        opt.rateFrom = ELK_RATE_FROM_DEFAULT;
    }
    opt.hasTo = a.to != nullptr;
    if (a.to) opt.to = readTimebase(a.to, "");

    for (const OptionSpec& o : kOptionTable) {
        const std::string name = std::string("--") + o.longName;
        if ((a.given & o.subcommand) && !(opt.command->accepts & o.subcommand))
            usageError(name + " applies to " + commandsTaking(o.subcommand) + " only");
        if (opt.command->needs & o.subcommand & ~a.given)
            usageError(
                std::string(opt.command->name) + " needs " + name + (o.takesTimebase ? " TIMEBASE" : ""));
    }
    if (opt.keepLabel && !opt.hasTo) usageError("--keep-label needs --to TIMEBASE");
    // A word alone cannot start an expression: every time has a digit.
    const char* first = opt.operands.empty() ? "" : opt.operands.front();
    if (!named && *first
        && std::all_of(first, first + std::strlen(first), ELKChar_IsLower))
        usageError(std::string("unknown command '") + first + "'");
    return opt;
}

} // namespace

int main(int argc, char** argv)
{
    const Options opt = parseArguments(argc, argv);
    Output out;
    const int status = opt.command->run(opt, out);
    return out.flush() ? status : 1;
}
