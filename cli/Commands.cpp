// SPDX-License-Identifier: MIT
#include "Command.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "Output.h"
#include "Values.h"

int runCalc(const Options&, Output&);
int runLabel(const Options&, Output&);
int runFrames(const Options&, Output&);
int runRealTime(const Options&, Output&);
int runConvert(const Options&, Output&);
int runSum(const Options&, Output&);

// One row a subcommand; the first is the one run when none is named.
const Command kCommands[] = {
    { "calc", runCalc, kOptionTo | kOptionKeepLabel, 0, "[calc] EXPRESSION...",
        "evaluate: + and - between times, * and / by a number, ( )" },
    { "label", runLabel, 0, 0, "label [COUNT]...", "the label of each frame count" },
    { "frames", runFrames, kOptionRealTime, 0, "frames [--realtime] [TIME]...",
        "the frame count of each time (--realtime: of each running time)" },
    { "realtime", runRealTime, 0, 0, "realtime [TIME]...", "the running time of each time" },
    { "convert", runConvert, kOptionTo | kOptionKeepLabel, kOptionTo,
        "convert --to TIMEBASE [--keep-label] [TIME]...",
        "each time at another timebase, by running time or --keep-label" },
    { "sum", runSum, 0, 0, "sum [FILE]...",
        "total lists, EDLs, subtitles and timelines: sum, unique, length, per track" },
};
const size_t kCommandCount = std::size(kCommands);

namespace
{

const char kAbout[] = "Exact timecode arithmetic at any frame rate, drop frame included.\n";

const char kOptionsHelp[] = R"(
  -r, --rate TIMEBASE  read and write at TIMEBASE (default 30, or $HORODEX_RATE;
                       sum: the first input's own rate before those):
                       23.976, 24, 25, 29.97, 29.97df, 30, 50, 59.94df, 60,
                       120, 30000/1001, ...
      --to TIMEBASE    calc, convert: give the result at TIMEBASE, same running time
      --keep-label     with --to: keep hours, minutes, seconds and frames instead
      --realtime       frames: read running times such as 0:59:59.996
  -v, --verbose        write label, frame count and running time
      --json           write JSON
  -h, --help           show this help and exit
      --version        show the version and exit
  --                   end of options, so that negative values can follow

Without a value, or with '-', label, frames, realtime and convert read one
value per line from standard input; sum reads standard input without a FILE.
Exit status: 0 if all input was read, 1 if some could not be, 2 on a usage error.

Examples:
  horodex-tc 01:00:00:00 + 00:00:10:12     01:00:10:12
  horodex-tc -r 29.97df '(00:10:00;00 - 00:00:00;02) * 2'
  horodex-tc -r 59.94df --to 23.976 00:40:00:00
  horodex-tc -r 25 label -- -25            -00:00:01:00
  cut -f2 log.txt | horodex-tc -r 24 frames
  horodex-tc -r 23.976 sum reel1.edl reel2.edl
)";

} // namespace

const Command& defaultCommand()
{
    return kCommands[0];
}

const Command* findCommand(const char* name)
{
    for (const Command& c : kCommands)
        if (std::strcmp(c.name, name) == 0) return &c;
    return nullptr;
}

std::string commandsTaking(unsigned option)
{
    std::string names;
    for (const Command& c : kCommands) {
        if (!(c.accepts & option)) continue;
        if (!names.empty()) names += " and ";
        names += c.name;
    }
    return names;
}

bool convertTo(const Options& options, ELKDuration_t* d, std::string* why)
{
    why->clear();
    if (!options.hasTo) return true;
    if (!options.keepLabel) return ELKDuration_ConvertRealTime(d, &options.to) == ELK_OK;
    ELKDurationFields_t skipped;
    if (ELKDuration_ConvertLabelStrict(d, &options.to, &skipped) == ELK_OK) return true;
    if (ELKDuration_LabelExists(&options.to, &skipped) == ELK_FALSE)
        *why = describeSkipped(skipped, options.to);
    return false;
}

void usage(int status)
{
    if (status != 0) {
        std::fputs("Try 'horodex-tc --help' for more information.\n", stderr);
        std::exit(status);
    }
    std::string help;
    for (const Command& c : kCommands)
        help += std::string(help.empty() ? "Usage: " : "  or:  ") + "horodex-tc [OPTION]... " + c.synopsis
            + '\n';
    help += kAbout;
    help += '\n';
    for (const Command& c : kCommands) {
        std::string name = c.name;
        name.resize(10, ' ');
        help += "  " + name + "  " + c.summary + '\n';
    }
    help += kOptionsHelp;
    std::fputs(help.c_str(), stdout);
    std::exit(0);
}

void usageError(const std::string& message)
{
    report({}, message);
    usage(2);
}
