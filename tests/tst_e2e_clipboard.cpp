// SPDX-License-Identifier: MIT
// The built executable and the clipboard as a user meets them: horodex on a
// real X server (Xvfb), real pointer clicks and keys through XTEST, and
// another X client (xclip) that owns and reads the CLIPBOARD selection.
#include <QtTest>

#include "Horodex2.h"
#include "e2e_support.h"

class tst_E2EClipboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void roundTrip_data();
    void roundTrip();

private:
    QProcessEnvironment displayEnvironment() const
    {
        return e2e::displayEnvironment(m_display, m_runtimeDir);
    }
    void play(const QStringList& actions);

    QString m_python;
    QString m_xclip;
    QString m_display;
    e2e::Xvfb m_xvfb;
    QProcess m_app;
    e2e::Clipboard m_clipboard;
    QTemporaryDir m_runtimeDir; // Qt wants a private one and warns on every start without it
    QHash<QString, QPoint> m_centres; // "m_Time2/m_Paste" -> window coordinates
    QSize m_windowSize;
    QByteArray m_stampBeforeActions;
};

void tst_E2EClipboard::initTestCase()
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty()) QSKIP("Xvfb is not installed");
    m_xclip = QStandardPaths::findExecutable(QStringLiteral("xclip"));
    if (m_xclip.isEmpty()) QSKIP("xclip is not installed");
    m_python = e2e::pythonWithXlib();
    if (m_python.isEmpty()) QSKIP("python3-xlib is not installed");

    // Where to click: the same window laid out here, with the same fonts and
    // style; each row checks that the real window has the same size.
    Horodex2 layout;
    layout.show();
    QVERIFY(QTest::qWaitForWindowExposed(&layout));
    m_windowSize = layout.size();
    for (const char* parent : { "m_Time1", "m_Time2", "m_TimeResult", "m_FPS" }) {
        const QWidget* group = layout.findChild<QWidget*>(parent);
        QVERIFY(group);
        for (const QWidget* child : group->findChildren<QWidget*>())
            if (!child->objectName().isEmpty())
                m_centres.insert(QString::fromLatin1(parent) + '/' + child->objectName(),
                    child->mapTo(&layout, child->rect().center()));
    }

    QString error;
    m_display = m_xvfb.start(xvfb, &error);
    QVERIFY2(!m_display.isEmpty(), qPrintable(error));
    m_clipboard.setUp(m_xclip, displayEnvironment());
}

void tst_E2EClipboard::cleanupTestCase()
{
    m_xvfb.stop();
}

void tst_E2EClipboard::cleanup()
{
    m_clipboard.release();
    if (m_app.state() != QProcess::NotRunning) {
        m_app.kill();
        m_app.waitForFinished(10000);
    }
}

// Each row is what a user does, in order:
//   set TEXT       another program puts TEXT on the clipboard
//   clear          the clipboard has no owner at all
//   click A/B      click child B of A (m_FPS/m_F30D is 29.97 Drop Frame)
//   type TEXT, key NAME
//   expect TEXT    after a Copy: the clipboard, read by another program, holds TEXT
// A set or clear comes only after an expect, so that no Paste is still pending.
void tst_E2EClipboard::roundTrip_data()
{
    QTest::addColumn<QStringList>("steps");
    const QStringList dropFrame { "click m_FPS/m_F30D" };
    const auto typeCount = [](const char* entry, const char* count) {
        return QStringList { QString("click %1/m_AbsFrames").arg(entry), "key Control_L+a",
            QString("type ") + count, "key Tab" };
    };

    QTest::newRow("drop frame: a typed count copied and pasted back into the same entry") << dropFrame
            + typeCount("m_Time2", "17982")
            + QStringList { "click m_Time2/m_Copy", "expect 00:10:00.00", "click m_Time2/m_Paste",
                  "click m_Time2/m_Copy", "expect 00:10:00.00" };
    QTest::newRow("drop frame: copied from one operand, pasted into the other after a count") << dropFrame
            + typeCount("m_Time1", "5") + typeCount("m_Time2", "2589407")
            + QStringList { "click m_Time2/m_Copy", "expect 23:59:59.29", "click m_Time1/m_Paste",
                  "click m_Time1/m_Copy", "expect 23:59:59.29" };
    QTest::newRow("drop frame: another program's copy of that text, after a change of rate")
        << typeCount("m_Time1", "18000") + dropFrame
            + QStringList { "set 00:10:00.00", "click m_Time1/m_Paste", "click m_Time1/m_Copy",
                  "expect 00:10:00.00" };
    QTest::newRow("drop frame: 01:00:00:00 plus 00:30:00;15") << dropFrame
            + QStringList { "set 01:00:00:00", "click m_Time1/m_Paste", "click m_Time1/m_Copy",
                  "expect 01:00:00.00", "set 00:30:00;15", "click m_Time2/m_Paste",
                  "click m_TimeResult/m_Copy", "expect 01:30:00.15" };
    QTest::newRow("text with a trailing newline, as text editors copy it") << dropFrame
            + QStringList { "set 00:10:00;00\n", "click m_Time2/m_Paste", "click m_Time2/m_Copy",
                  "expect 00:10:00.00" };
    QTest::newRow("an owner that offers empty text") << QStringList { "set 01:02:03:04",
        "click m_Time1/m_Paste", "click m_Time1/m_Copy", "expect 01:02:03.04", "set ",
        "click m_Time1/m_Paste", "click m_Time1/m_Copy", "expect 00:00:00.00" };
    QTest::newRow("no owner at all") << QStringList { "set 01:02:03:04", "click m_Time1/m_Paste",
        "click m_Time1/m_Copy", "expect 01:02:03.04", "clear", "click m_Time1/m_Paste",
        "click m_Time1/m_Copy", "expect 00:00:00.00" };
}

void tst_E2EClipboard::roundTrip()
{
    QFETCH(QStringList, steps);
    m_app.setProcessEnvironment(displayEnvironment());
    m_app.setProcessChannelMode(QProcess::ForwardedChannels);
    m_app.start(QStringLiteral(HORODEX_EXE), QStringList());
    QVERIFY2(m_app.waitForStarted(10000), qPrintable(m_app.errorString()));

    QStringList actions;
    QString lastStep;
    bool pasteUnconfirmed = false;
    for (const QString& step : steps) {
        const QString word = step.section(' ', 0, 0);
        const QString rest = step.section(' ', 1);
        const QString previous = std::exchange(lastStep, step);
        if (word == "click" || word == "type" || word == "key") {
            if (word == "click" && !m_centres.contains(rest)) QFAIL(qPrintable("no widget " + rest));
            const QPoint at = m_centres.value(rest);
            actions << "--" + word << (word == "click" ? QString("%1,%2").arg(at.x()).arg(at.y()) : rest);
            pasteUnconfirmed |= rest.endsWith("/m_Paste");
            continue;
        }
        if (!actions.isEmpty()) play(actions);
        if (QTest::currentTestFailed()) return;
        actions.clear();
        if (word == "expect") {
            QVERIFY2(previous.endsWith("/m_Copy"), "an expect must follow a Copy");
            // Copy makes horodex the owner: wait for it, then read the text
            // as any other program would.
            QVERIFY2(m_clipboard.waitForNewOwner(m_stampBeforeActions),
                "horodex did not take the clipboard after Copy");
            QCOMPARE(QString::fromLatin1(m_clipboard.read("UTF8_STRING")), rest);
            pasteUnconfirmed = false;
        } else {
            QVERIFY2(!pasteUnconfirmed, "a Paste must be confirmed by Copy before the clipboard changes");
            QString error;
            QVERIFY2(word == "set" ? m_clipboard.set(rest.toLatin1(), &error) : m_clipboard.clear(&error),
                qPrintable(error));
        }
    }
    QVERIFY2(actions.isEmpty(), "a row must end with an expect");
}

// Plays clicks and keys on the window through the window helper, which
// waits until the window is shown and painted.
void tst_E2EClipboard::play(const QStringList& actions)
{
    m_stampBeforeActions = m_clipboard.stamp();

    QString error;
    const QSize size
        = e2e::driveWindow(m_python, displayEnvironment(), QStringLiteral("show"), actions, &error);
    QVERIFY2(!size.isEmpty(), qPrintable(error));
    QVERIFY2(size == m_windowSize,
        qPrintable(
            QStringLiteral("the real window is %1x%2, the layout here %3x%4: fonts differ, clicks would miss")
                .arg(size.width())
                .arg(size.height())
                .arg(m_windowSize.width())
                .arg(m_windowSize.height())));
}

QTEST_MAIN(tst_E2EClipboard)
#include "tst_e2e_clipboard.moc"
