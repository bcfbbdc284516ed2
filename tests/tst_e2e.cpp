// SPDX-License-Identifier: MIT
// The built executable as a new user meets it: started on a real X server
// (Xvfb) with whatever arguments, closed by the window system's close control.
#include <QtTest>

#include "e2e_support.h"

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
    QProcessEnvironment displayEnvironment() const
    {
        return e2e::displayEnvironment(m_display, m_runtimeDir);
    }
    void startHorodex(const QStringList& arguments);
    bool driveWindow(const QStringList& helperArguments, QSize& size);

    QString m_python;
    QString m_display;
    e2e::Xvfb m_xvfb;
    QProcess m_app;
    QSize m_plainWindowSize;
    QTemporaryDir m_runtimeDir; // Qt wants a private one and warns on every start without it
};

void tst_E2E::initTestCase()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) QSKIP("Xvfb is not installed");

    m_python = e2e::pythonWithXlib();
    if (m_python.isEmpty()) QSKIP("python3-xlib is not installed");

    QString error;
    m_display = m_xvfb.start(xvfb, &error);
    QVERIFY2(!m_display.isEmpty(), qPrintable(error));
}

void tst_E2E::cleanupTestCase()
{
    m_xvfb.stop();
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
    QSize size;
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
    QSize size;
    QVERIFY(driveWindow({ QStringLiteral("show"), QStringLiteral("--click=-31,26") }, size));

    QVERIFY2(m_app.waitForFinished(60000), "horodex kept running after its Close button was clicked");
    QCOMPARE(m_app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_app.exitCode(), 0);
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
bool tst_E2E::driveWindow(const QStringList& helperArguments, QSize& size)
{
    QString error;
    size = e2e::driveWindow(
        m_python, displayEnvironment(), helperArguments.first(), helperArguments.mid(1), &error);
    if (size.isEmpty()) qWarning("%s", qPrintable(error));
    return !size.isEmpty();
}

QTEST_GUILESS_MAIN(tst_E2E)
#include "tst_e2e.moc"
