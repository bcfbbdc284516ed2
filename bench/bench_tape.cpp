// SPDX-License-Identifier: MIT
// The tape's costs that a user can feel, each up to the repaint that shows
// it: building the window, pasting a long EDL, one keystroke in a long list.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>
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
    window->HorodexTape_SetTimebase(base);
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
    auto* editor = window->findChild<QPlainTextEdit*>(QStringLiteral("m_editor"));
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
        if (window->model().list().entryCount != state.range(0)) {
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
    auto* editor = window->findChild<QPlainTextEdit*>(QStringLiteral("m_editor"));
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

} // namespace
