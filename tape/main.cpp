// SPDX-License-Identifier: MIT
// horodex-tape: reads its options from one table, as horodex-tc does, with
// the same letters meaning the same things, then opens the window.
#include "HorodexTape.h"

#include <QApplication>
#include <QIcon>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "NoDisplay.h"

namespace
{

const char usage[] = "Usage: horodex-tape [--rate TIMEBASE] [FILE]...\n"
                     "Totals lists of times and EDLs, entry by entry; each FILE opens in a tab.\n"
                     "\n"
                     "  -r, --rate TIMEBASE  read the lists at TIMEBASE for this run: 23.976, 25, 29.97df,\n"
                     "                       30000/1001, ...; no file moves it\n"
                     "  -h, --help           print this help and exit\n"
                     "      --version        print the version and exit\n"
                     "\n"
                     "Examples:\n"
                     "  horodex-tape --rate 25 reel1.edl reel2.edl reel3.edl\n"
                     "  horodex-tape --rate 29.97df\n";

struct Arguments {
    const char* rate = nullptr;
    QStringList files;
    int exitStatus = -1; // set when an option answers and the program ends
};

struct OptionSpec {
    char shortName; // 0 for none
    const char* longName;
    bool takesTimebase;
    void (*apply)(Arguments& a, const char* value);
};

// Letters as in horodex-tc: -r is the rate there too, and -v (--verbose there) means nothing here.
const OptionSpec kOptionTable[] = {
    { 'r', "rate", true, [](Arguments& a, const char* v) { a.rate = v; } },
    { 'h', "help", false, [](Arguments& a, const char*) { std::fputs(usage, stdout), a.exitStatus = 0; } },
    { 0, "version", false,
        [](Arguments& a, const char*) { std::puts("horodex-tape " HORODEX_VERSION), a.exitStatus = 0; } },
};

// Qt's own options that take a value pass on to QApplication.
const char* const kQtOptions[] = { "-platform", "-display", "-style", "-qwindowgeometry" };

int usageError(const std::string& message)
{
    std::fprintf(
        stderr, "horodex-tape: %s\nTry 'horodex-tape --help' for more information.\n", message.c_str());
    return 2;
}

// Reads the arguments; returns the exit status when the program should end now, else -1.
int parseArguments(int argc, char** argv, Arguments& a)
{
    bool optionsEnd = false;
    for (int i = 1; i < argc && a.exitStatus < 0; ++i) {
        const char* arg = argv[i];
        if (optionsEnd || arg[0] != '-' || !std::strcmp(arg, "-")) {
            a.files << QString::fromLocal8Bit(arg);
            continue;
        }
        if (!std::strcmp(arg, "--")) {
            optionsEnd = true;
            continue;
        }
        if (std::any_of(std::begin(kQtOptions), std::end(kQtOptions),
                [arg](const char* o) { return !std::strcmp(arg, o); })) {
            ++i;
            continue;
        }
        const bool isLong = arg[1] == '-';
        const char* eq = isLong ? std::strchr(arg, '=') : nullptr;
        const std::string name = eq ? std::string(arg, eq) : isLong ? std::string(arg) : std::string(arg, 2);
        const auto o = std::find_if(
            std::begin(kOptionTable), std::end(kOptionTable), [&](const OptionSpec& s) {
                return isLong ? name.compare(2, std::string::npos, s.longName) == 0 : s.shortName == name[1];
            });
        if (o == std::end(kOptionTable)) return usageError("unknown option " + name);
        // The value: "--rate=25", "-r25", or the next argument.
        const char* value = eq ? eq + 1 : !isLong && arg[2] ? arg + 2 : nullptr;
        if (value && !o->takesTimebase) return usageError("option " + name + " takes no value");
        if (o->takesTimebase && !value) {
            if (++i == argc) return usageError("option requires a timebase: " + name);
            value = argv[i];
        }
        o->apply(a, value);
    }
    return a.exitStatus;
}

} // namespace

int main(int argc, char* argv[])
{
    // The options are read before Qt starts, so that --help, --version and a
    // mistake need no display.
    Arguments arguments;
    const int status = parseArguments(argc, argv, arguments);
    if (status >= 0) return status;
    ELKTimebase_t base;
    const char* rate = arguments.rate;
    if (rate && ELKTimebase_FromText(&base, rate, int32_t(std::strlen(rate))) != ELK_OK)
        return usageError(std::string("unknown timebase \"") + rate + '"');
    if (saidNoDisplay("horodex-tape", argc, argv)) return 2;

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Horodex"));
    QApplication::setApplicationName(QStringLiteral("horodex-tape"));
    QApplication::setApplicationVersion(QStringLiteral(HORODEX_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/horodex-tape.png")));

    HorodexTape window;
    // --rate holds for the run; without it the first file's own timebase, if it declares one, is taken.
    if (rate) window.setTimebase(base, true);
    // The window opens all the same, saying what went wrong.
    const QStringList errors = window.openFiles(arguments.files);
    // After the files, whose opening clears the status bar, so that it says what came back.
    window.restoreSession();
    for (const QString& error : errors) std::fprintf(stderr, "horodex-tape: %s\n", qPrintable(error));
    if (!errors.isEmpty()) window.showMessage(errors.join(QLatin1Char(' ')));
    window.show();
    // Ctrl+V and the window's shortcuts work at once, even where no window manager activates it.
    window.activateWindow();
    return app.exec();
}
