// SPDX-License-Identifier: MIT
// Helpers for the tests that run a built program on a private Xvfb and drive
// its window through scripts/xvfb-window.py.
#ifndef E2E_SUPPORT_H
#define E2E_SUPPORT_H

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSize>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <functional>

namespace e2e
{

// A python3 that can import Xlib, or an empty string. The distribution's
// python3 first: a python from elsewhere on PATH may not see python3-xlib.
inline QString pythonWithXlib()
{
    for (const QString& candidate :
        { QStringLiteral("/usr/bin/python3"), QStandardPaths::findExecutable(QStringLiteral("python3")) }) {
        if (candidate.isEmpty()) continue;
        QProcess probe;
        probe.start(candidate, { QStringLiteral("-c"), QStringLiteral("import Xlib") });
        if (probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit
            && probe.exitCode() == 0)
            return candidate;
    }
    return QString();
}

// A private X server for the test's lifetime.
class Xvfb
{
public:
    ~Xvfb() { stop(); }

    // Starts Xvfb at `path`; returns the display name (":N"), or an empty
    // string with the reason in `error`.
    QString start(const QString& path, QString* error)
    {
        // -displayfd lets Xvfb pick a free display and write its number to our
        // pipe. -noreset: a server that resets when its last client leaves
        // refuses the next program that connects during the reset.
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(path,
            { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
                QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-screen"),
                QStringLiteral("0"), QStringLiteral("1280x800x24") });
        if (!m_process.waitForStarted(10000)) {
            *error = m_process.errorString();
            return QString();
        }
        QDeadlineTimer deadline(20000);
        while (!m_process.canReadLine() && !deadline.hasExpired() && m_process.state() == QProcess::Running)
            m_process.waitForReadyRead(int(deadline.remainingTime()));
        const QByteArray number = m_process.readLine().trimmed();
        if (number.isEmpty()) {
            *error = QStringLiteral("Xvfb did not report a display number");
            return QString();
        }
        return QLatin1Char(':') + QString::fromLatin1(number);
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning) return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) m_process.kill();
        m_process.waitForFinished(10000);
    }

private:
    QProcess m_process;
};

// The test's environment pointed at `display`. `runtimeDir` stands in for a
// missing XDG_RUNTIME_DIR: Qt warns on every start without one.
inline QProcessEnvironment displayEnvironment(const QString& display, const QTemporaryDir& runtimeDir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    // ctest runs the suite on the offscreen platform; the program needs the real X server.
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (!env.contains(QStringLiteral("XDG_RUNTIME_DIR")) && runtimeDir.isValid())
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir.path());
    return env;
}

// Runs the window helper in `mode` ("show" or "close") on the window titled
// `title`, playing `actions`. Returns the window's size, or an empty size
// with the reason in `error`.
inline QSize driveWindow(const QString& python, const QProcessEnvironment& env, const QString& mode,
    const QStringList& actions, QString* error, const QString& title = QStringLiteral("Horodex 2.0"))
{
    QProcess helper;
    helper.setProcessEnvironment(env);
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(python,
        QStringList { QStringLiteral(HORODEX_XVFB_WINDOW), mode, title } + actions
            + QStringList { QStringLiteral("--timeout"), QStringLiteral("60") });
    if (!helper.waitForFinished(90000)) {
        helper.kill();
        helper.waitForFinished(10000);
        *error = QStringLiteral("the window helper hung");
        return QSize();
    }
    const QString report = QString::fromUtf8(helper.readAllStandardOutput());
    const QRegularExpressionMatch shown
        = QRegularExpression(QStringLiteral("window 0x[0-9a-f]+ (\\d+)x(\\d+)")).match(report);
    if (helper.exitStatus() != QProcess::NormalExit || helper.exitCode() != 0 || !shown.hasMatch()) {
        *error = QStringLiteral("no window titled \"%1\" was shown: ").arg(title) + report;
        return QSize();
    }
    return QSize(shown.captured(1).toInt(), shown.captured(2).toInt());
}

inline bool waitFor(const std::function<bool()>& condition)
{
    QDeadlineTimer deadline(30000);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(20);
    }
    return true;
}

// Another X client on the CLIPBOARD selection, through xclip.
class Clipboard
{
public:
    ~Clipboard() { release(); }

    void setUp(const QString& xclip, const QProcessEnvironment& env)
    {
        m_xclip = xclip;
        m_env = env;
    }

    // The selection converted to `target`, as another client reads it.
    QByteArray read(const char* target, bool* owned = nullptr) const
    {
        QProcess xclip;
        xclip.setProcessEnvironment(m_env);
        xclip.setStandardErrorFile(QProcess::nullDevice());
        xclip.start(m_xclip,
            { QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-o"),
                QStringLiteral("-t"), QString::fromLatin1(target) });
        const bool done = xclip.waitForFinished(10000);
        if (!done) xclip.kill();
        if (owned) *owned = done && xclip.exitStatus() == QProcess::NormalExit && xclip.exitCode() == 0;
        return xclip.readAllStandardOutput();
    }

    // The owner's TIMESTAMP, or empty when nobody owns the selection.
    QByteArray stamp() const
    {
        bool owned = false;
        const QByteArray stamp = read("TIMESTAMP", &owned);
        return owned ? stamp : QByteArray();
    }

    // Waits until a program under test owns the selection anew after `before`
    // (a Copy gives a new TIMESTAMP).
    bool waitForNewOwner(const QByteArray& before) const
    {
        return waitFor([&] {
            const QByteArray now = stamp();
            return !now.isEmpty() && now != before;
        });
    }

    // xclip takes the selection with `text` and keeps it until another
    // program copies or release() is called.
    bool set(const QByteArray& text, QString* error)
    {
        release();
        m_owner.setProcessEnvironment(m_env);
        m_owner.setStandardOutputFile(QProcess::nullDevice());
        m_owner.setStandardErrorFile(QProcess::nullDevice());
        // -quiet keeps xclip in the foreground, so that it is ours to stop.
        m_owner.start(m_xclip,
            { QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
                QStringLiteral("-i") });
        if (!m_owner.waitForStarted(10000)) {
            *error = m_owner.errorString();
            return false;
        }
        // Nothing here runs an event loop, so the text must be flushed before the wait.
        m_owner.write(text);
        if (!text.isEmpty() && !m_owner.waitForBytesWritten(10000)) {
            *error = QStringLiteral("xclip did not take the text");
            return false;
        }
        m_owner.closeWriteChannel();
        // xclip answers every target with its text; the programs under test
        // answer TIMESTAMP with a number.
        if (!waitFor([&] {
                bool owned = false;
                return read("TIMESTAMP", &owned) == text && owned;
            })) {
            *error = QStringLiteral("xclip did not take the clipboard");
            return false;
        }
        return true;
    }

    // Leaves the selection with no owner at all.
    bool clear(QString* error)
    {
        if (!set("gone soon", error)) return false;
        release();
        if (!waitFor([this] {
                bool owned = true;
                read("TARGETS", &owned);
                return !owned;
            })) {
            *error = QStringLiteral("the clipboard kept an owner");
            return false;
        }
        return true;
    }

    void release()
    {
        if (m_owner.state() == QProcess::NotRunning) return;
        m_owner.kill();
        m_owner.waitForFinished(10000);
    }

private:
    QString m_xclip;
    QProcessEnvironment m_env;
    QProcess m_owner;
};

} // namespace e2e

#endif
