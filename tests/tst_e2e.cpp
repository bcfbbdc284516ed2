// The built executable as a new user meets it: started on a real X server
// (Xvfb) with whatever arguments, closed by the window system's close control.
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class tst_E2E : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void closedByWindowSystem_data();
    void closedByWindowSystem();
    void closedByCloseButton();

private:
    QProcessEnvironment displayEnvironment() const;
    void startHorodex(const QStringList& arguments);
    bool driveWindow(const QStringList& helperArguments, QString& size);

    QString m_python;
    QString m_display;
    QProcess m_xvfb;
    QProcess m_app;
    QString m_plainWindowSize;
    QTemporaryDir m_runtimeDir; // Qt wants a private one and warns on every start without it
};

void tst_E2E::initTestCase()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) QSKIP("Xvfb is not installed");

    // The distribution's python3 first: a python from elsewhere on PATH may not see python3-xlib.
    for (const QString& candidate :
        { QStringLiteral("/usr/bin/python3"), QStandardPaths::findExecutable(QStringLiteral("python3")) }) {
        if (candidate.isEmpty()) continue;
        QProcess probe;
        probe.start(candidate, { QStringLiteral("-c"), QStringLiteral("import Xlib") });
        if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit
            && probe.exitCode() == 0) {
            m_python = candidate;
            break;
        }
    }
    if (m_python.isEmpty()) QSKIP("python3-xlib is not installed");

    // -displayfd lets Xvfb pick a free display and write its number to our pipe.
    m_xvfb.setProcessChannelMode(QProcess::SeparateChannels);
    m_xvfb.setStandardErrorFile(QProcess::nullDevice());
    m_xvfb.start(xvfb,
        { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
            QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
            QStringLiteral("1280x800x24") });
    QVERIFY2(m_xvfb.waitForStarted(10000), qPrintable(m_xvfb.errorString()));
    QDeadlineTimer deadline(20000);
    while (!m_xvfb.canReadLine() && !deadline.hasExpired() && m_xvfb.state() == QProcess::Running)
        m_xvfb.waitForReadyRead(int(deadline.remainingTime()));
    const QByteArray number = m_xvfb.readLine().trimmed();
    QVERIFY2(!number.isEmpty(), "Xvfb did not report a display number");
    m_display = QLatin1Char(':') + QString::fromLatin1(number);
}

void tst_E2E::cleanupTestCase()
{
    if (m_xvfb.state() == QProcess::NotRunning) return;
    m_xvfb.terminate();
    if (!m_xvfb.waitForFinished(10000)) m_xvfb.kill();
    m_xvfb.waitForFinished(10000);
}

void tst_E2E::cleanup()
{
    // A failed row must not leave its window on the display for the next one.
    if (m_app.state() != QProcess::NotRunning) {
        m_app.kill();
        m_app.waitForFinished(10000);
    }
}

void tst_E2E::closedByWindowSystem_data()
{
    QTest::addColumn<QStringList>("arguments");

    // The first row sets the window size that the others must keep.
    QTest::newRow("no arguments") << QStringList();
    QTest::newRow("unknown option and a stray word") << QStringList { "--no-such-option", "foo" };
    QTest::newRow("unknown single-dash options and a double dash")
        << QStringList { "-x", "-geometryish", "--", "--help-me" };
    QTest::newRow("non-ASCII and empty arguments")
        << QStringList { QString::fromUtf8("--timecode=01:00:00;00"), QString::fromUtf8("\u00e9t\u00e9"),
               QString() };
    QTest::newRow("path to a file that does not exist") << QStringList { "/nonexistent/reel1.tc" };
}

void tst_E2E::closedByWindowSystem()
{
    QFETCH(QStringList, arguments);

    startHorodex(arguments);
    // WM_DELETE_WINDOW is what a window manager sends for its close control.
    QString size;
    QVERIFY(driveWindow({ QStringLiteral("close") }, size));
    if (m_plainWindowSize.isEmpty())
        m_plainWindowSize = size;
    else
        QCOMPARE(size, m_plainWindowSize);

    QVERIFY2(m_app.waitForFinished(60000), "horodex kept running after its window was closed");
    QCOMPARE(m_app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_app.exitCode(), 0);
}

void tst_E2E::closedByCloseButton()
{
    startHorodex({ QStringLiteral("--no-such-option") });
    // The Close button heads the column at the window's top right, inside the 11 pixel margin.
    QString size;
    QVERIFY(driveWindow({ QStringLiteral("show"), QStringLiteral("--click=-31,26") }, size));

    QVERIFY2(m_app.waitForFinished(60000), "horodex kept running after its Close button was clicked");
    QCOMPARE(m_app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_app.exitCode(), 0);
}

QProcessEnvironment tst_E2E::displayEnvironment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    // ctest runs the suite on the offscreen platform; horodex needs the real X server.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (!env.contains(QStringLiteral("XDG_RUNTIME_DIR")) && m_runtimeDir.isValid())
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDir.path());
    return env;
}

void tst_E2E::startHorodex(const QStringList& arguments)
{
    m_app.setProcessEnvironment(displayEnvironment());
    m_app.setProcessChannelMode(QProcess::ForwardedChannels);
    m_app.start(QStringLiteral(HORODEX_EXE), arguments);
    QVERIFY2(m_app.waitForStarted(10000), qPrintable(m_app.errorString()));
}

// Runs the window helper: it waits for the window titled "Horodex 2.0", then acts
// on it as `helperArguments` say, and reports the window's size.
bool tst_E2E::driveWindow(const QStringList& helperArguments, QString& size)
{
    QStringList arguments { QStringLiteral(HORODEX_XVFB_WINDOW) };
    arguments << helperArguments.first() << QStringLiteral("Horodex 2.0") << helperArguments.mid(1)
              << QStringLiteral("--timeout") << QStringLiteral("60");
    QProcess helper;
    helper.setProcessEnvironment(displayEnvironment());
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(m_python, arguments);
    if (!helper.waitForFinished(90000)) {
        qWarning("the window helper hung");
        return false;
    }
    const QString report = QString::fromUtf8(helper.readAllStandardOutput());
    const QRegularExpressionMatch match
        = QRegularExpression(QStringLiteral("window 0x[0-9a-f]+ (\\d+x\\d+)")).match(report);
    if (helper.exitStatus() != QProcess::NormalExit || helper.exitCode() != 0 || !match.hasMatch()) {
        qWarning("no window titled \"Horodex 2.0\" was shown: %s", qPrintable(report));
        return false;
    }
    size = match.captured(1);
    return true;
}

QTEST_GUILESS_MAIN(tst_E2E)
#include "tst_e2e.moc"
