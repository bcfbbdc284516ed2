// SPDX-License-Identifier: MIT
#include "HorodexTape.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstring>

namespace
{

const char usage[]
    = "Usage: horodex-tape [--rate TIMEBASE] [FILE]...\n"
      "Totals lists of times and EDLs, entry by entry; each FILE opens in a tab.\n"
      "\n"
      "  -r, --rate TIMEBASE  read the lists at TIMEBASE: 23.976, 25, 29.97df, 30000/1001, ...\n"
      "  -h, --help           print this help and exit\n"
      "  -v, --version        print the version and exit\n"
      "\n"
      "Examples:\n"
      "  horodex-tape --rate 25 reel1.edl reel2.edl reel3.edl\n"
      "  horodex-tape --rate 29.97df\n";

int usageError(const char* message, const char* what)
{
    std::fprintf(
        stderr, "horodex-tape: %s%s\nTry 'horodex-tape --help' for more information.\n", message, what);
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    // The options are read before Qt starts, so that --help, --version and a
    // mistake need no display. Qt's own options (-platform, -display) pass on.
    const char* rate = nullptr;
    QStringList files;
    bool optionsEnd = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (optionsEnd || arg[0] != '-' || !std::strcmp(arg, "-")) {
            files << QString::fromLocal8Bit(arg);
        } else if (!std::strcmp(arg, "--")) {
            optionsEnd = true;
        } else if (!std::strcmp(arg, "-h") || !std::strcmp(arg, "--help")) {
            std::fputs(usage, stdout);
            return 0;
        } else if (!std::strcmp(arg, "-v") || !std::strcmp(arg, "--version")) {
            std::printf("horodex-tape %s\n", HORODEX_VERSION);
            return 0;
        } else if (!std::strcmp(arg, "-r") || !std::strcmp(arg, "--rate")) {
            if (++i == argc) return usageError("option requires a timebase: ", arg);
            rate = argv[i];
        } else if (!std::strncmp(arg, "--rate=", 7)) {
            rate = arg + 7;
        } else if (!std::strcmp(arg, "-platform") || !std::strcmp(arg, "-display")
            || !std::strcmp(arg, "-style")) {
            ++i; // Qt's, with a value
        } else {
            return usageError("unknown option ", arg);
        }
    }
    ELKTimebase_t base;
    if (rate && ELKTimebase_FromText(&base, rate, int32_t(std::strlen(rate))) != ELK_OK)
        return usageError("unknown timebase ", (QByteArray("\"") + rate + '"').constData());

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Horodex"));
    QApplication::setApplicationName(QStringLiteral("horodex-tape"));
    QApplication::setApplicationVersion(QStringLiteral(HORODEX_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/horodex-tape.png")));

    HorodexTape window;
    if (rate) window.setTimebase(base);
    // The window opens all the same, saying what went wrong.
    // --rate holds; without it the first file's own timebase, if it declares one, is taken.
    const QStringList errors = window.openFiles(files, !rate);
    // After the files, whose opening clears the status bar, so that it says what came back.
    window.restoreSession();
    for (const QString& error : errors) std::fprintf(stderr, "horodex-tape: %s\n", qPrintable(error));
    if (!errors.isEmpty()) window.showMessage(errors.join(QLatin1Char(' ')));
    window.show();
    // Ctrl+V and the window's shortcuts work at once, even where no window manager activates it.
    window.activateWindow();
    return app.exec();
}
