// SPDX-License-Identifier: MIT
// The tape's costs that a user can feel, each up to the repaint that shows
// it: building the window, pasting a long EDL, opening a 50 MB one and its
// memory, one keystroke in a long list.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTreeWidget>

#include <memory>

#include "HorodexTape.h"

namespace
{

// The moment a widget is first painted after start().
class FirstPaint : public QObject
{
public:
    void start()
    {
        m_timer.start();
        m_ms = -1;
    }
    double ms() const { return m_ms; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_ms < 0) m_ms = double(m_timer.nsecsElapsed()) / 1e6;
        return QObject::eventFilter(watched, event);
    }

private:
    QElapsedTimer m_timer;
    double m_ms = -1;
};

// An EDL of `events` cuts at 25 fps, one line each after the header.
QString reel(int events)
{
    QString text = QStringLiteral("TITLE: BENCH\nFCM: NON-DROP FRAME\n");
    text.reserve(events * 80);
    auto tc = [](int64_t f) {
        return QStringLiteral("%1:%2:%3:%4")
            .arg(f / 90000, 2, 10, QLatin1Char('0'))
            .arg(f / 1500 % 60, 2, 10, QLatin1Char('0'))
            .arg(f / 25 % 60, 2, 10, QLatin1Char('0'))
            .arg(f % 25, 2, 10, QLatin1Char('0'));
    };
    for (int i = 0; i < events; ++i) {
        const int64_t length = 25 + i % 200;
        // Record times wrap before 24 hours, where EDL hours end.
        const int64_t record = int64_t(i) * 224 % (23 * 90000);
        text += QStringLiteral("%1  R%2 V     C        %3 %4 %5 %6\n")
                    .arg(i % 1000 + 1, 3, 10, QLatin1Char('0'))
                    .arg(i % 97, 3, 10, QLatin1Char('0'))
                    .arg(tc(360000 + record), tc(360000 + record + length), tc(record), tc(record + length));
    }
    return text;
}

std::unique_ptr<HorodexTape> shownWindow()
{
    auto window = std::make_unique<HorodexTape>();
    ELKTimebase_t base;
    ELKTimebase_Set(&base, 25, 1, ELK_FALSE);
    window->setTimebase(base);
    window->show();
    QApplication::processEvents();
    return window;
}

// Until every update the change queued is painted.
void settle(QWidget* window)
{
    QApplication::processEvents();
    window->repaint();
}

void BM_OpenWindow(benchmark::State& state)
{
    for (auto _ : state) {
        auto window = shownWindow();
        settle(window.get());
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenWindow)->Unit(benchmark::kMillisecond);

// Ctrl+V of an EDL of state.range(0) lines into an empty tape, until the
// editor holds it all; totals_shown_ms is when the totals were painted.
void BM_PasteEdl(benchmark::State& state)
{
    QGuiApplication::clipboard()->setText(reel(int(state.range(0))));
    auto window = shownWindow();
    TapeEditor* editor = window->currentEditor();
    FirstPaint totalsShown;
    window->findChild<QTreeWidget*>(QStringLiteral("m_totals"))->viewport()->installEventFilter(&totalsShown);
    double shownTotal = 0;
    for (auto _ : state) {
        totalsShown.start();
        QKeyEvent paste(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
        QApplication::sendEvent(editor, &paste);
        settle(window.get());
        state.PauseTiming();
        shownTotal += totalsShown.ms();
        if (window->session().list().entryCount != state.range(0)) {
            state.SkipWithError("not every event counted");
            break;
        }
        editor->clear();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["totals_shown_ms"] = benchmark::Counter(shownTotal, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PasteEdl)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(10);

// One typed digit (and, the next time, its Backspace) at the end of the first
// event of a list of state.range(0) lines, the cursor there as a user leaves it.
void BM_Keystroke(benchmark::State& state)
{
    auto window = shownWindow();
    TapeEditor* editor = window->currentEditor();
    editor->setPlainText(reel(int(state.range(0))));
    QTextCursor cursor(editor->document()->findBlockByNumber(2));
    cursor.movePosition(QTextCursor::EndOfBlock);
    editor->setTextCursor(cursor);
    settle(window.get());
    bool typed = false;
    for (auto _ : state) {
        QKeyEvent key(QEvent::KeyPress, typed ? Qt::Key_Backspace : Qt::Key_1, Qt::NoModifier,
            typed ? QString() : QStringLiteral("1"));
        QApplication::sendEvent(editor, &key);
        settle(window.get());
        typed = !typed;
    }
}
BENCHMARK(BM_Keystroke)->Arg(10000)->Unit(benchmark::kMillisecond);

// Resident and peak memory, in bytes.
int64_t memory(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith(field))
            return line.mid(int(strlen(field))).trimmed().split(' ').first().toLongLong() * 1024;
    return 0;
}

// A 50 MB EDL of 456,869 events, with the long reel names of today's
// cameras, written in pieces.
QString writeLargeEdl(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("feature.edl"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return QString();
    const int events = 456869;
    for (int first = 0; first < events; first += 10000) {
        QString piece = reel(std::min(10000, events - first));
        piece.replace(QRegularExpression(QStringLiteral("  R(\\d\\d\\d) ")),
            QStringLiteral("  A\\1C007_230512_R1AB_X12345678901234567890 "));
        if (first > 0)
            piece = piece.mid(piece.indexOf(QLatin1Char('\n'), piece.indexOf(QLatin1Char('\n')) + 1) + 1);
        file.write(piece.toUtf8());
    }
    return path;
}

std::unique_ptr<HorodexTape> windowWithLargeEdl(const QTemporaryDir& dir)
{
    auto window = shownWindow();
    window->openFiles({ writeLargeEdl(dir) });
    settle(window.get());
    return window;
}

// Opening the 50 MB EDL into an empty tape until its totals are painted;
// the memory it takes beyond the empty tape, after and at the peak.
void BM_OpenLargeEdl(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = writeLargeEdl(dir);
    const double fileBytes = double(QFileInfo(path).size());
    double grown = 0, peak = 0, shownTotal = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = shownWindow();
        FirstPaint totalsShown;
        window->findChild<QTreeWidget*>(QStringLiteral("m_totals"))
            ->viewport()
            ->installEventFilter(&totalsShown);
        settle(window.get());
        const int64_t before = memory("VmRSS:");
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly)) clear.write("5"); // resets the peak
        clear.close();
        state.ResumeTiming();
        totalsShown.start();
        window->openFiles({ path });
        settle(window.get());
        state.PauseTiming();
        shownTotal += totalsShown.ms();
        grown = double(memory("VmRSS:") - before);
        peak = double(memory("VmHWM:") - before);
        if (window->session().list().entryCount != 456869) state.SkipWithError("not every event counted");
        window.reset();
        state.ResumeTiming();
    }
    state.counters["totals_shown_ms"] = benchmark::Counter(shownTotal, benchmark::Counter::kAvgIterations);
    state.counters["file_mb"] = fileBytes / 1e6;
    state.counters["rss_growth_x_file"] = grown / fileBytes;
    state.counters["peak_growth_x_file"] = peak / fileBytes;
}
BENCHMARK(BM_OpenLargeEdl)->Unit(benchmark::kMillisecond)->Iterations(3);

// One keystroke at the end of the first event of the 50 MB EDL, until
// painted; totals_ms is until the new totals are painted too.
void BM_KeystrokeLargeEdl(benchmark::State& state)
{
    QTemporaryDir dir;
    auto window = windowWithLargeEdl(dir);
    TapeEditor* editor = window->currentEditor();
    QTextCursor cursor(editor->document()->findBlockByNumber(2));
    cursor.movePosition(QTextCursor::EndOfBlock);
    editor->setTextCursor(cursor);
    settle(window.get());
    bool typed = false, read = false;
    double totals = 0;
    QObject::connect(&window->session(), &TapeSession::listRead, editor, [&read](bool) { read = true; });
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        read = false;
        QKeyEvent key(QEvent::KeyPress, typed ? Qt::Key_Backspace : Qt::Key_1, Qt::NoModifier,
            typed ? QString() : QStringLiteral("1"));
        QApplication::sendEvent(editor, &key);
        settle(window.get());
        state.PauseTiming();
        while (!read) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        settle(window.get());
        totals += double(timer.nsecsElapsed()) / 1e6;
        typed = !typed;
        state.ResumeTiming();
    }
    state.counters["totals_ms"] = benchmark::Counter(totals, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_KeystrokeLargeEdl)->Unit(benchmark::kMillisecond)->Iterations(6);

// Select all and Delete in the 50 MB EDL, until the emptied window is painted
// with its totals; then Ctrl+Z, untimed, for the next round.
void BM_SelectAllDeleteLargeEdl(benchmark::State& state)
{
    QTemporaryDir dir;
    auto window = windowWithLargeEdl(dir);
    TapeEditor* editor = window->currentEditor();
    for (auto _ : state) {
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(editor, Qt::Key_Delete);
        settle(window.get());
        state.PauseTiming();
        if (window->session().list().entryCount != 0) {
            state.SkipWithError("the totals kept the deleted text");
            break;
        }
        QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
        while (window->session().list().entryCount != 456869)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SelectAllDeleteLargeEdl)->Unit(benchmark::kMillisecond)->Iterations(3);

// Saving the 50 MB EDL after one typed digit (what Ctrl+S does), until the file is written.
void BM_SaveLargeEdl(benchmark::State& state)
{
    QTemporaryDir dir;
    auto window = windowWithLargeEdl(dir);
    TapeEditor* editor = window->currentEditor();
    for (auto _ : state) {
        state.PauseTiming();
        QTest::keyClick(editor, Qt::Key_1);
        settle(window.get());
        state.ResumeTiming();
        const bool saved = window->saveDocument(editor);
        settle(window.get());
        if (!saved) {
            state.SkipWithError("not saved");
            break;
        }
    }
}
BENCHMARK(BM_SaveLargeEdl)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
