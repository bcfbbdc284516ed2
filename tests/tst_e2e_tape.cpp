// The built horodex-tape as a user meets it: on a real X server (Xvfb), keys
// through XTEST, another X client (xclip) owning and reading the CLIPBOARD
// selection, and the window closed by a window manager's close request.
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <functional>

#include "e2e_support.h"

namespace
{

const QByteArray acts = "Act 1   00:12:34:05\nAct 2   01:00:00:00 01:11:02:10\n";
const QByteArray reel = "TITLE: REEL 1\nFCM: NON-DROP FRAME\n\n"
                        "001  A001C003 V     C        01:00:10:00 01:00:22:12 00:00:00:00 00:00:12:12\n"
                        "002  A001C007 V     C        02:14:03:05 02:14:09:00 00:00:12:12 00:00:18:07\n"
                        "003  AX       A2    C        00:00:00:00 00:00:30:00 00:00:00:00 00:00:30:00\n";

} // namespace

class tst_E2ETape : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void copyTotal_data();
    void copyTotal();
    void badArguments_data();
    void badArguments();

private:
    QProcessEnvironment environment() const;
    QByteArray readClipboard(const char* target, bool* owned = nullptr) const;
    bool waitFor(const std::function<bool()>& condition) const;
    void setClipboard(const QByteArray& text);
    bool drive(const QString& mode, const QString& title, const QStringList& actions);

    QString m_python;
    QString m_xclip;
    QString m_display;
    e2e::Xvfb m_xvfb;
    QProcess m_app;
    QProcess m_owner; // the xclip that holds the CLIPBOARD selection
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

    QFile edl(m_home.filePath(QStringLiteral("reel1.edl")));
    QVERIFY(edl.open(QIODevice::WriteOnly));
    edl.write(reel);
}

void tst_E2ETape::cleanup()
{
    if (m_owner.state() != QProcess::NotRunning) {
        m_owner.kill();
        m_owner.waitForFinished(10000);
    }
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

    QTest::newRow("a list pasted at 25") << QStringList { "--rate", "25" } << acts << "Horodex Tape"
                                         << "00:23:36.15" << QString();
    QTest::newRow("a list pasted at 29.97 drop frame, past 99 hours")
        << QStringList { "--rate", "29.97df" } << QByteArray("a 99:59:59;29\nb 00:00:00;01\n")
        << "Horodex Tape"
        << "100:00:00.00" << QString();
    QTest::newRow("an EDL named on the command line")
        << QStringList { "--rate", "25", "reel1.edl" } << QByteArray() << "Horodex Tape \u2014 reel1.edl"
        << "00:00:48.07" << QString();
    QTest::newRow("a file that cannot be read still opens the window")
        << QStringList { "--rate", "25", "missing.edl" } << acts << "Horodex Tape"
        << "00:23:36.15"
        << "horodex-tape: Cannot open missing.edl";
}

void tst_E2ETape::copyTotal()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, pasted);
    QFETCH(QString, title);
    QFETCH(QString, total);
    QFETCH(QString, message);

    m_app.setProcessEnvironment(environment());
    m_app.setWorkingDirectory(m_home.path());
    m_app.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    m_app.start(QStringLiteral(HORODEX_TAPE_EXE), arguments);
    QVERIFY2(m_app.waitForStarted(10000), qPrintable(m_app.errorString()));

    QStringList actions;
    if (!pasted.isEmpty()) {
        setClipboard(pasted);
        if (QTest::currentTestFailed()) return;
        actions << QStringLiteral("--key") << QStringLiteral("Control_L+v");
    }
    actions << QStringLiteral("--key") << QStringLiteral("Control_L+Shift_L+c");
    bool owned = false;
    const QByteArray before = readClipboard("TIMESTAMP", &owned);
    QVERIFY(drive(QStringLiteral("show"), title, actions));

    // Copy makes the tape the owner, with a new TIMESTAMP; then read it as any other program would.
    QVERIFY2(waitFor([&] {
        bool ours = false;
        const QByteArray stamp = readClipboard("TIMESTAMP", &ours);
        return ours && (!owned || stamp != before);
    }),
        "the tape did not take the clipboard after Ctrl+Shift+C");
    QCOMPARE(QString::fromLatin1(readClipboard("UTF8_STRING")), total);

    QVERIFY(drive(QStringLiteral("close"), title, {}));
    QVERIFY2(m_app.waitForFinished(60000), "horodex-tape kept running after its window was closed");
    QCOMPARE(m_app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_app.exitCode(), 0);
    const QString errors = QString::fromUtf8(m_app.readAllStandardError());
    QVERIFY2(errors.contains(message), qPrintable(errors));
}

void tst_E2ETape::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("unknown timebase") << QStringList { "--rate", "31.5df" } << "unknown timebase \"31.5df\"";
    QTest::newRow("unknown option") << QStringList { "--frobnicate" } << "frobnicate";
    QTest::newRow("two files") << QStringList { "a.edl", "b.edl" } << "one file at most";
}

// Usage errors open no window: a message and exit status 2.
void tst_E2ETape::badArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);

    m_app.setProcessEnvironment(environment());
    m_app.setProcessChannelMode(QProcess::SeparateChannels);
    m_app.start(QStringLiteral(HORODEX_TAPE_EXE), arguments);
    QVERIFY2(m_app.waitForFinished(60000), "horodex-tape did not stop at a usage error");
    QCOMPARE(m_app.exitCode(), 2);
    const QString errors = QString::fromUtf8(m_app.readAllStandardError());
    QVERIFY2(
        errors.startsWith(QStringLiteral("horodex-tape: ")) && errors.contains(message), qPrintable(errors));
}

QProcessEnvironment tst_E2ETape::environment() const
{
    QProcessEnvironment env = e2e::displayEnvironment(m_display, m_runtimeDir);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path());
    return env;
}

// The CLIPBOARD selection converted to `target`, as another client reads it.
QByteArray tst_E2ETape::readClipboard(const char* target, bool* owned) const
{
    QProcess xclip;
    xclip.setProcessEnvironment(environment());
    xclip.setStandardErrorFile(QProcess::nullDevice());
    xclip.start(m_xclip,
        { QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o"),
            QStringLiteral("-t"), QString::fromLatin1(target) });
    const bool done = xclip.waitForFinished(10000);
    if (!done) xclip.kill();
    if (owned) *owned = done && xclip.exitStatus() == QProcess::NormalExit && xclip.exitCode() == 0;
    return xclip.readAllStandardOutput();
}

bool tst_E2ETape::waitFor(const std::function<bool()>& condition) const
{
    QDeadlineTimer deadline(30000);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(20);
    }
    return true;
}

// xclip takes the clipboard with `text` and keeps it until the tape copies.
void tst_E2ETape::setClipboard(const QByteArray& text)
{
    m_owner.setProcessEnvironment(environment());
    m_owner.setStandardOutputFile(QProcess::nullDevice());
    m_owner.setStandardErrorFile(QProcess::nullDevice());
    // -quiet keeps xclip in the foreground, so that it is ours to stop.
    m_owner.start(m_xclip,
        { QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
            QStringLiteral("-i") });
    QVERIFY2(m_owner.waitForStarted(10000), qPrintable(m_owner.errorString()));
    m_owner.write(text);
    m_owner.waitForBytesWritten(10000); // no event loop runs here to write it later
    m_owner.closeWriteChannel();
    // xclip answers every target with its text.
    QVERIFY2(waitFor([&] {
        bool owned = false;
        return readClipboard("TIMESTAMP", &owned) == text && owned;
    }),
        "xclip did not take the clipboard");
}

// The window helper: waits for the window titled `title` to be shown and
// painted, plays `actions`, and in "close" mode sends the close request.
bool tst_E2ETape::drive(const QString& mode, const QString& title, const QStringList& actions)
{
    QProcess helper;
    helper.setProcessEnvironment(environment());
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(m_python,
        QStringList { QStringLiteral(HORODEX_XVFB_WINDOW), mode, title } + actions
            + QStringList { QStringLiteral("--timeout"), QStringLiteral("60") });
    if (!helper.waitForFinished(90000)) {
        helper.kill();
        helper.waitForFinished(10000);
        qWarning("the window helper hung");
        return false;
    }
    const QString report = QString::fromUtf8(helper.readAllStandardOutput());
    if (helper.exitStatus() != QProcess::NormalExit || helper.exitCode() != 0
        || !report.contains(QRegularExpression(QStringLiteral("window 0x[0-9a-f]+ \\d+x\\d+")))) {
        qWarning("no window titled \"%s\" was shown: %s", qPrintable(title), qPrintable(report));
        return false;
    }
    return true;
}

QTEST_GUILESS_MAIN(tst_E2ETape)
#include "tst_e2e_tape.moc"
