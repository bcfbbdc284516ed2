// SPDX-License-Identifier: MIT
// The subcommands of horodex-tc: what the command line asked for, and the
// table that names each subcommand, its run function and the options it takes.
#ifndef HORODEX_TC_COMMAND_H
#define HORODEX_TC_COMMAND_H

#include <string>
#include <vector>

#include "ELKDuration.h"
#include "ELKList.h"

class Output;
struct Command;

// Options that belong to some subcommands only, as bits.
enum CommandOption : unsigned { kOptionTo = 1, kOptionKeepLabel = 2, kOptionRealTime = 4 };

struct Options {
    const Command* command = nullptr;
    ELKTimebase_t rate {};
    ELKRateFrom_t rateFrom = ELK_RATE_FROM_DEFAULT; // --rate, $HORODEX_RATE or the default
    ELKTimebase_t to {};
    bool hasTo = false;
    bool keepLabel = false;
    bool realTime = false;
    bool verbose = false;
    bool json = false;
    std::vector<const char*> operands;
};

struct Command {
    const char* name;
    int (*run)(const Options& options, Output& out); // returns the exit status
    unsigned accepts; // CommandOption bits
    unsigned needs;
    const char* synopsis; // the usage line after "horodex-tc [OPTION]... "
    const char* summary; // one line for --help
};

// The duration at --to, by label with --keep-label, else by running time;
// unchanged without --to. False when it cannot be: *why is then the label
// drop frame skips there ("00:01:00;00 does not exist at 29.97df"), or empty
// when the result is out of range.
bool convertTo(const Options& options, ELKDuration_t* d, std::string* why);

extern const Command kCommands[];
extern const size_t kCommandCount;

// The subcommand run when no name is given.
const Command& defaultCommand();
const Command* findCommand(const char* name);

// "calc and convert": the subcommands that take an option.
std::string commandsTaking(unsigned option);

// The help on standard output and exit 0; otherwise a pointer to it on
// standard error and exit `status`.
[[noreturn]] void usage(int status);
// The message, then usage(2).
[[noreturn]] void usageError(const std::string& message);

#endif
