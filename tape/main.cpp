// SPDX-License-Identifier: MIT
#include "HorodexTape.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include <cstdio>

namespace
{

int usageError(const QString& message)
{
    std::fprintf(stderr, "horodex-tape: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Horodex"));
    QApplication::setApplicationName(QStringLiteral("horodex-tape"));
    QApplication::setApplicationVersion(QStringLiteral(HORODEX_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/horodex-tape.png")));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Totals a list of times or an EDL, entry by entry."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption rate(QStringLiteral("rate"),
        QStringLiteral("Read the list at TIMEBASE: 23.976, 25, 29.97df, 30000/1001, ..."),
        QStringLiteral("TIMEBASE"));
    parser.addOption(rate);
    parser.addPositionalArgument(
        QStringLiteral("file"), QStringLiteral("A list or EDL to open."), QStringLiteral("[FILE]"));
    if (!parser.parse(QApplication::arguments())) return usageError(parser.errorText());
    if (parser.isSet(help)) parser.showHelp();
    if (parser.isSet(version)) parser.showVersion();
    if (parser.positionalArguments().size() > 1) return usageError(QStringLiteral("one file at most"));
    ELKTimebase_t base;
    const QByteArray rateText = parser.value(rate).toUtf8();
    if (parser.isSet(rate)
        && ELKTimebase_FromText(&base, rateText.constData(), int32_t(rateText.size())) != ELK_OK)
        return usageError(QStringLiteral("unknown timebase \"%1\"").arg(parser.value(rate)));

    HorodexTape window;
    if (parser.isSet(rate)) window.HorodexTape_SetTimebase(base);
    if (!parser.positionalArguments().isEmpty()) {
        // The window opens all the same, saying what went wrong.
        const QString error = window.HorodexTape_Open(parser.positionalArguments().first());
        if (!error.isEmpty()) {
            std::fprintf(stderr, "horodex-tape: %s\n", qPrintable(error));
            window.HorodexTape_ShowMessage(error);
        }
    }
    window.show();
    // Ctrl+V and the window's shortcuts work at once, even where no window manager activates it.
    window.activateWindow();
    return app.exec();
}
