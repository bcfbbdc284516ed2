// SPDX-License-Identifier: MIT
// The built horodex-tape as a user meets it: on a real X server (Xvfb), keys
// through XTEST, another X client (xclip) owning and reading the CLIPBOARD
// selection, the window closed by a window manager's close request, and the
// process killed outright.
#include <QtTest>

#include "e2e_support.h"

namespace
{

const QByteArray acts = "Act 1   00:12:34:05\nAct 2   01:00:00:00 01:11:02:10\n";
const QByteArray reel = "TITLE: REEL 1\nFCM: NON-DROP FRAME\n\n"
                        "001  A001C003 V     C        01:00:10:00 01:00:22:12 00:00:00:00 00:00:12:12\n"
                        "002  A001C007 V     C        02:14:03:05 02:14:09:00 00:00:12:12 00:00:18:07\n"
                        "003  AX       A2    C        00:00:00:00 00:00:30:00 00:00:00:00 00:00:30:00\n";
const QByteArray reel2 = "001  B001C001 V     C        00:00:00:00 00:00:02:00 01:00:00:00 01:00:02:00\n";
// 2.002 s and 1.001 s at 24000/1001: 48 and 24 frames there, 50 and 25 at 25.
const QByteArray cut
    = R"(<fcpxml version="1.10"><resources><format id="f" frameDuration="1001/24000s"/></resources>
<project name="Cut"><sequence format="f" tcStart="0s"><spine>
<clip name="A" offset="0s" duration="2002/1000s"/><clip name="B" offset="2002/1000s" duration="1001/1000s"/>
</spine></sequence></project></fcpxml>)";
const QString untitled = QStringLiteral("Horodex Tape \u2014 Untitled");

} // namespace

class tst_E2ETape : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void copyTotal_data();
    void copyTotal();
    void killedAndRestored();
    void commandLine_data();
    void commandLine();
    void changedOnDisk();
    void rateHolds();
    void noDisplay_data();
    void noDisplay();

private:
    QProcessEnvironment environment() const;
    bool drive(const QString& mode, const QString& title, const QStringList& actions);
    void start(const QStringList& arguments);
    // Ctrl+Shift+C in the window titled `title`, then the clipboard as another program reads it.
    QString copiedTotal(const QString& title);

    QString m_python;
    QString m_xclip;
    QString m_display;
    e2e::Xvfb m_xvfb;
    QProcess m_app;
    e2e::Clipboard m_clipboard;
    QTemporaryDir m_runtimeDir;
    QTemporaryDir m_home; // settings and the EDL, away from the user's
};

void tst_E2ETape::initTestCase()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) QSKIP("Xvfb is not installed");
    m_xclip = QStandardPaths::findExecutable(QStringLiteral("xclip"));
    if (m_xclip.isEmpty()) QSKIP("xclip is not installed");
    m_python = e2e::pythonWithXlib();
    if (m_python.isEmpty()) QSKIP("python3-xlib is not installed");
    QString error;
    m_display = m_xvfb.start(xvfb, &error);
    QVERIFY2(!m_display.isEmpty(), qPrintable(error));
    m_clipboard.setUp(m_xclip, environment());

    QFile edl(m_home.filePath(QStringLiteral("reel1.edl")));
    QVERIFY(edl.open(QIODevice::WriteOnly));
    edl.write(reel);
    QFile edl2(m_home.filePath(QStringLiteral("reel2.edl")));
    QVERIFY(edl2.open(QIODevice::WriteOnly));
    edl2.write(reel2);
    QFile fcpxml(m_home.filePath(QStringLiteral("Cut.fcpxml")));
    QVERIFY(fcpxml.open(QIODevice::WriteOnly));
    fcpxml.write(cut);
}

// No copies of unsaved tabs from the test before.
void tst_E2ETape::init()
{
    QDir(m_home.filePath(QStringLiteral("data"))).removeRecursively();
}

void tst_E2ETape::cleanup()
{
    m_clipboard.release();
    if (m_app.state() != QProcess::NotRunning) {
        m_app.kill();
        m_app.waitForFinished(10000);
    }
}

void tst_E2ETape::copyTotal_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("pasted"); // put on the clipboard by xclip, then Ctrl+V; none when empty
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("message"); // expected on standard error

    QTest::newRow("a list pasted at 25")
        << QStringList { "--rate", "25" } << acts << untitled << "00:23:36.15" << QString();
    QTest::newRow("an EDL named on the command line")
        << QStringList { "--rate", "25", "reel1.edl" } << QByteArray() << "Horodex Tape \u2014 reel1.edl"
        << "00:00:48.07" << QString();
    QTest::newRow("two files on the command line: their sum")
        << QStringList { "--rate", "25", "reel1.edl", "reel2.edl" } << QByteArray()
        << "Horodex Tape \u2014 reel2.edl"
        << "00:00:50.07" << QString();
    QTest::newRow("a file that cannot be read still opens the window")
        << QStringList { "--rate", "25", "missing.edl" } << acts << untitled << "00:23:36.15"
        << "horodex-tape: Cannot open missing.edl";
    QTest::newRow("the same file twice: one tab, counted once")
        << QStringList { "--rate", "25", "reel1.edl", "./reel1.edl", "reel1.edl" } << QByteArray()
        << "Horodex Tape \u2014 reel1.edl"
        << "00:00:48.07" << QString();
}

void tst_E2ETape::copyTotal()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, pasted);
    QFETCH(QString, title);
    QFETCH(QString, total);
    QFETCH(QString, message);

    m_app.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    start(arguments);
    if (!pasted.isEmpty()) {
        QString error;
        QVERIFY2(m_clipboard.set(pasted, &error), qPrintable(error));
        QVERIFY(
            drive(QStringLiteral("show"), title, { QStringLiteral("--key"), QStringLiteral("Control_L+v") }));
        title += QLatin1Char('*'); // unsaved
    }
    QCOMPARE(copiedTotal(title), total);

    QVERIFY(drive(QStringLiteral("close"), title, {}));
    if (!pasted.isEmpty()) {
        // Typed text is not lost: the window asks, and Escape keeps it.
        QVERIFY2(!m_app.waitForFinished(1000), "horodex-tape quit with unsaved text");
        QVERIFY(drive(QStringLiteral("show"), QStringLiteral("Horodex Tape"),
            { QStringLiteral("--key"), QStringLiteral("Escape") }));
        QVERIFY2(!m_app.waitForFinished(1000), "Escape closed the window");
        QString error;
        QVERIFY2(m_clipboard.set("another program's text", &error), qPrintable(error));
        QCOMPARE(copiedTotal(title), total);
        return;
    }
    QVERIFY2(m_app.waitForFinished(60000), "horodex-tape kept running after its window was closed");
    QCOMPARE(m_app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_app.exitCode(), 0);
    const QString errors = QString::fromUtf8(m_app.readAllStandardError());
    QVERIFY2(errors.contains(message), qPrintable(errors));
}

// Killed a moment after an edit, the tape comes back with the text it held.
void tst_E2ETape::killedAndRestored()
{
    m_app.setProcessChannelMode(QProcess::ForwardedChannels);
    start({ QStringLiteral("--rate"), QStringLiteral("25") });
    QString error;
    QVERIFY2(m_clipboard.set(acts, &error), qPrintable(error));
    QVERIFY(
        drive(QStringLiteral("show"), untitled, { QStringLiteral("--key"), QStringLiteral("Control_L+v") }));
    const QString copies = m_home.filePath(QStringLiteral("data/Horodex/horodex-tape/autosave"));
    QVERIFY2(e2e::waitFor([&] {
        for (const QString& session : QDir(copies).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (!QDir(copies + QLatin1Char('/') + session).entryList({ QStringLiteral("*.tape") }).isEmpty())
                return true;
        return false;
    }),
        "no copy was written after the edit");
    m_app.kill();
    QVERIFY(m_app.waitForFinished(10000));

    start({ QStringLiteral("--rate"), QStringLiteral("25") });
    QCOMPARE(copiedTotal(untitled + QLatin1Char('*')), QStringLiteral("00:23:36.15"));
}

void tst_E2ETape::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output"); // standard output, then standard error

    QTest::newRow("help") << QStringList { "--help" } << 0
                          << "Usage: horodex-tape [--rate TIMEBASE] [FILE]...";
    QTest::newRow("version") << QStringList { "--version" } << 0 << "horodex-tape " HORODEX_VERSION;
    QTest::newRow("unknown timebase")
        << QStringList { "--rate", "31.5df" } << 2 << "horodex-tape: unknown timebase \"31.5df\"";
    QTest::newRow("unknown option") << QStringList { "--frobnicate" } << 2
                                    << "horodex-tape: unknown option --frobnicate";
    QTest::newRow("rate without a timebase")
        << QStringList { "a.edl", "--rate" } << 2 << "horodex-tape: option requires a timebase: --rate";
    QTest::newRow("-v is horodex-tc's --verbose, not a version")
        << QStringList { "-v" } << 2 << "horodex-tape: unknown option -v";
    QTest::newRow("a rate joined to its letter, then help")
        << QStringList { "-r25", "-h" } << 0 << "Usage: horodex-tape";
}

// Help, version and usage errors need no display: they answer before Qt starts.
void tst_E2ETape::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);

    QProcessEnvironment env = environment();
    env.remove(QStringLiteral("DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    m_app.setProcessEnvironment(env);
    m_app.setProcessChannelMode(QProcess::SeparateChannels);
    m_app.start(QStringLiteral(HORODEX_TAPE_EXE), arguments);
    QVERIFY2(m_app.waitForFinished(60000), "horodex-tape did not stop");
    QCOMPARE(m_app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_app.exitCode(), status);
    const QString written
        = QString::fromUtf8(m_app.readAllStandardOutput()) + QString::fromUtf8(m_app.readAllStandardError());
    QVERIFY2(written.startsWith(output), qPrintable(written));
}

// A line typed into acts.txt, then another program appends to the file: Ctrl+S
// asks before it overwrites, Escape keeps both, and Reload shows the file's.
void tst_E2ETape::changedOnDisk()
{
    const QString path = m_home.filePath(QStringLiteral("acts.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(acts);
    file.close();
    m_app.setProcessChannelMode(QProcess::ForwardedChannels);
    start({ QStringLiteral("--rate"), QStringLiteral("25"), QStringLiteral("acts.txt") });
    const QString title = QStringLiteral("Horodex Tape \u2014 acts.txt");
    QVERIFY(drive(QStringLiteral("show"), title,
        { QStringLiteral("--key"), QStringLiteral("Control_L+End"), QStringLiteral("--type"),
            QStringLiteral("Typed 00:00:02:00") }));
    QVERIFY(file.open(QIODevice::Append));
    file.write("Extra 00:00:01:00\n");
    file.close();
    const QByteArray changed = acts + "Extra 00:00:01:00\n";

    // The question is the tape's own message box; Escape leaves the file as the other program left it.
    QVERIFY(drive(QStringLiteral("show"), title + QLatin1Char('*'),
        { QStringLiteral("--key"), QStringLiteral("Control_L+s") }));
    QVERIFY(drive(QStringLiteral("show"), QStringLiteral("Horodex Tape"),
        { QStringLiteral("--key"), QStringLiteral("Escape") }));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), changed);
    file.close();
    QCOMPARE(copiedTotal(title + QLatin1Char('*')), QStringLiteral("00:23:38.15"));

    // Reload: the file's text, counted; the typed line kept aside, not lost.
    QVERIFY(drive(QStringLiteral("show"), title + QLatin1Char('*'),
        { QStringLiteral("--key"), QStringLiteral("Control_L+s") }));
    QVERIFY(drive(QStringLiteral("show"), QStringLiteral("Horodex Tape"),
        { QStringLiteral("--key"), QStringLiteral("Alt_L+r") }));
    QCOMPARE(copiedTotal(title), QStringLiteral("00:23:37.15"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), changed);
    file.close();
    const QDir kept(m_home.filePath(QStringLiteral("data/Horodex/horodex-tape/autosave-discarded")));
    const QStringList copies = kept.entryList(QDir::Files);
    QCOMPARE(copies.size(), 1);
    QFile copy(kept.filePath(copies.first()));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QVERIFY(copy.readAll().endsWith("Typed 00:00:02:00"));
}

// --rate 25 holds when a 23.976 FCPXML opens after an EDL: the total is horodex-tc's at 25.
void tst_E2ETape::rateHolds()
{
    QProcess sum;
    sum.setWorkingDirectory(m_home.path());
    sum.start(QStringLiteral(HORODEX_TC_EXE),
        { QStringLiteral("-r"), QStringLiteral("25"), QStringLiteral("sum"), QStringLiteral("--json"),
            QStringLiteral("reel1.edl"), QStringLiteral("Cut.fcpxml") });
    QVERIFY(sum.waitForFinished(30000));
    const QJsonObject result = QJsonDocument::fromJson(sum.readAllStandardOutput()).object();
    QString expected
        = result.value(QStringLiteral("total")).toObject().value(QStringLiteral("label")).toString();
    expected[expected.lastIndexOf(QLatin1Char(':'))] = QLatin1Char('.');
    QCOMPARE(expected, QStringLiteral("00:00:51.07")); // 1207 + 75 frames, by hand

    m_app.setProcessChannelMode(QProcess::ForwardedChannels);
    start({ QStringLiteral("--rate"), QStringLiteral("25"), QStringLiteral("reel1.edl"),
        QStringLiteral("Cut.fcpxml") });
    QCOMPARE(copiedTotal(QStringLiteral("Horodex Tape \u2014 Cut.fcpxml")), expected);
}

void tst_E2ETape::noDisplay_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("name");

    QTest::newRow("the tape") << HORODEX_TAPE_EXE << "horodex-tape";
    QTest::newRow("the calculator") << HORODEX_EXE << "horodex";
}

// Without a display, one line and status 2, not Qt's abort.
void tst_E2ETape::noDisplay()
{
    QFETCH(QString, program);
    QFETCH(QString, name);

    QProcessEnvironment env = environment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    m_app.setProcessEnvironment(env);
    m_app.setProcessChannelMode(QProcess::SeparateChannels);
    m_app.start(program, {});
    QVERIFY2(m_app.waitForFinished(60000), "the program did not stop");
    QCOMPARE(m_app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_app.exitCode(), 2);
    QCOMPARE(QString::fromUtf8(m_app.readAllStandardError()),
        name + QStringLiteral(": no display: set DISPLAY, or QT_QPA_PLATFORM=offscreen for tests\n"));
}

void tst_E2ETape::start(const QStringList& arguments)
{
    m_app.setProcessEnvironment(environment());
    m_app.setWorkingDirectory(m_home.path());
    m_app.start(QStringLiteral(HORODEX_TAPE_EXE), arguments);
    QVERIFY2(m_app.waitForStarted(10000), qPrintable(m_app.errorString()));
}

QString tst_E2ETape::copiedTotal(const QString& title)
{
    const QByteArray before = m_clipboard.stamp();
    if (!drive(QStringLiteral("show"), title,
            { QStringLiteral("--key"), QStringLiteral("Control_L+Shift_L+c") }))
        return QStringLiteral("(no window)");
    // Copy makes the tape the owner; then read it as any other program would.
    if (!m_clipboard.waitForNewOwner(before)) return QStringLiteral("(the tape did not take the clipboard)");
    return QString::fromLatin1(m_clipboard.read("UTF8_STRING"));
}

QProcessEnvironment tst_E2ETape::environment() const
{
    QProcessEnvironment env = e2e::displayEnvironment(m_display, m_runtimeDir);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
    return env;
}

// The window helper: waits for the window titled `title` to be shown and
// painted, plays `actions`, and in "close" mode sends the close request.
bool tst_E2ETape::drive(const QString& mode, const QString& title, const QStringList& actions)
{
    QString error;
    const bool shown = !e2e::driveWindow(m_python, environment(), mode, actions, &error, title).isEmpty();
    if (!shown) qWarning("%s", qPrintable(error));
    return shown;
}

QTEST_GUILESS_MAIN(tst_E2ETape)
#include "tst_e2e_tape.moc"
