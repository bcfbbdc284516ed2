// SPDX-License-Identifier: MIT
#include <QtTest>

#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <memory>

#include "Horodex2.h"
#include "TimeEntry_w.h"
#include "TimeFPS_w.h"

namespace
{

template <class T> T* find(const QObject* parent, const QString& name)
{
    T* child = parent->findChild<T*>(name);
    if (!child) qFatal("no child named %s", qPrintable(name));
    return child;
}

const char* const kFieldBoxes[] = { "m_Hours", "m_Minutes", "m_Seconds", "m_Frames" };

// Types a time the way a user would: "hh:mm:ss:ff" into the four spin
// boxes (a label), anything else into the frame-count field followed by Return.
void enter(TimeEntry_w* entry, const QString& time)
{
    const QStringList parts = time.split(':');
    if (parts.size() == 4) {
        for (int i = 0; i < 4; ++i) {
            auto* box = find<QSpinBox>(entry, kFieldBoxes[i]);
            box->selectAll();
            QTest::keyClicks(box, QString::number(parts[i].toInt()));
        }
        return;
    }
    auto* edit = find<QLineEdit>(entry, "m_AbsFrames");
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, time);
    QTest::keyClick(edit, Qt::Key_Return);
}

// What the entry shows, "hh:mm:ss:ff = count".
QString shown(const TimeEntry_w* entry)
{
    QStringList fields;
    for (const char* name : kFieldBoxes)
        fields << QStringLiteral("%1").arg(find<QSpinBox>(entry, name)->value(), 2, 10, QLatin1Char('0'));
    return fields.join(':') + " = " + find<QLineEdit>(entry, "m_AbsFrames")->text();
}

} // namespace

class TestHorodex2 : public QObject
{
    Q_OBJECT

    std::unique_ptr<Horodex2> m_win;

    TimeEntry_w* entry(const char* name) const { return find<TimeEntry_w>(m_win.get(), name); }
    QRadioButton* radio(const char* name) const { return find<QRadioButton>(m_win.get(), name); }
    void click(const char* name) const
    {
        QTest::mouseClick(find<QAbstractButton>(m_win.get(), name), Qt::LeftButton);
    }

private slots:
    void init()
    {
        m_win = std::make_unique<Horodex2>();
        m_win->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_win.get()));
    }
    void cleanup() { m_win.reset(); }

    void startsAtThirtyWithNothingComputed()
    {
        QCOMPARE(m_win->windowTitle(), QStringLiteral("Horodex 2.0"));
        QVERIFY(radio("m_OpAdd")->isChecked());
        QVERIFY(!radio("m_OpSubtract")->isChecked());
        QVERIFY(radio("m_radRealTime")->isChecked());
        QVERIFY(!radio("m_radVideoTime")->isChecked());
        QVERIFY(!radio("m_radRealTime")->isEnabled());
        QVERIFY(!radio("m_radVideoTime")->isEnabled());
        QCOMPARE(
            radio("m_radRealTime")->text(), QStringLiteral("HH:MM:SS.FF is Actual Time (\"Real\" Time)"));
        QVERIFY(radio("m_F30")->isChecked());
        for (const char* name : { "m_Time1", "m_Time2", "m_TimeResult" }) {
            QCOMPARE(entry(name)->m_Timecode.frames, 0u);
            QCOMPARE(entry(name)->m_Timecode.rate, ELK_FR_30);
        }
        QCOMPARE(radio("m_OpAdd")->nextInFocusChain(), radio("m_OpSubtract"));
        QCOMPARE(find<QPushButton>(m_win.get(), "m_Close")->nextInFocusChain(),
            find<QPushButton>(m_win.get(), "m_About"));
        QCOMPARE(find<QPushButton>(m_win.get(), "m_About")->nextInFocusChain(), radio("m_OpAdd"));
    }

    void computes_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("op");
        QTest::addColumn<uint>("frames");
        QTest::addColumn<QString>("label");

        auto row = [](const char* tag, const char* rate, const char* first, const char* second,
                       const char* op, uint frames, const char* label) {
            QTest::newRow(tag) << QString(rate) << QString(first) << QString(second) << QString(op) << frames
                               << QString(label);
        };
        row("midnight minus one frame at 30 fps wraps to the last frame", "m_F30", "0", "1", "m_OpSubtract",
            2591999, "23:59:59:29");
        row("last frame of the day plus one frame at 30 fps wraps to midnight", "m_F30", "23:59:59:29", "1",
            "m_OpAdd", 0, "00:00:00:00");
        row("midnight minus one frame at drop frame wraps to the last label", "m_F30D", "0", "1",
            "m_OpSubtract", 2589407, "23:59:59:29");
        row("last drop-frame label plus one frame wraps to midnight", "m_F30D", "23:59:59:29", "1", "m_OpAdd",
            0, "00:00:00:00");
        row("drop frame adds across a dropped label", "m_F30D", "00:00:59:29", "1", "m_OpAdd", 1800,
            "00:01:00:02");
        row("drop frame subtracts a label-entered operand as a frame count", "m_F30D", "00:10:00:00",
            "00:01:00:02", "m_OpSubtract", 16182, "00:08:59:28");
        row("midnight minus one frame at 25 fps", "m_F25", "0", "1", "m_OpSubtract", 2159999, "23:59:59:24");
        row("23.976 counts 24 labels a second", "m_F2397", "00:00:00:23", "1", "m_OpAdd", 24, "00:00:01:00");
    }

    // The operation button is clicked last: for Subtract rows that click is
    // what recomputes, since the operands' edits computed a sum.
    void computes()
    {
        QFETCH(QString, rate);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QString, op);
        QFETCH(uint, frames);
        QFETCH(QString, label);

        click(qPrintable(rate));
        enter(entry("m_Time1"), first);
        enter(entry("m_Time2"), second);
        click(qPrintable(op));

        const TimeEntry_w* result = entry("m_TimeResult");
        QCOMPARE(result->m_Timecode.frames, frames);
        QCOMPARE(shown(result), label + " = " + QString::number(frames));
    }

    void optionsFollowTheRate_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<int>("rate");
        QTest::addColumn<bool>("realTime");
        QTest::addColumn<bool>("enabled");

        auto row
            = [](const char* tag, const char* from, const char* to, int rate, bool realTime, bool enabled) {
                  QTest::newRow(tag) << QString(from) << QString(to) << rate << realTime << enabled;
              };
        row("23.976 checks time code, both disabled", "m_F30D", "m_F2397", 0, false, false);
        row("24 checks actual time, both disabled", "m_F2997", "m_F24", 1, true, false);
        row("25 checks actual time, both disabled", "m_F2997", "m_F25", 2, true, false);
        row("29.97 non drop checks time code, both enabled", "m_F30", "m_F2997", 3, false, true);
        row("29.97 drop frame checks actual time, both enabled", "m_F2997", "m_F30D", 4, true, true);
        row("30 checks actual time, both disabled", "m_F2997", "m_F30", 5, true, false);
    }

    void optionsFollowTheRate()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(int, rate);
        QFETCH(bool, realTime);
        QFETCH(bool, enabled);

        click(qPrintable(from));
        click(qPrintable(to));

        QCOMPARE(radio("m_radRealTime")->isChecked(), realTime);
        QCOMPARE(radio("m_radVideoTime")->isChecked(), !realTime);
        QCOMPARE(radio("m_radRealTime")->isEnabled(), enabled);
        QCOMPARE(radio("m_radVideoTime")->isEnabled(), enabled);
        for (const char* name : { "m_Time1", "m_Time2", "m_TimeResult" })
            QCOMPARE(int(entry(name)->m_Timecode.rate), rate);
    }

    void optionClicksSwitchDropFrame_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<uint>("frames");

        // 00:10:00:00 is 18,000 frames non-drop and 17,982 at drop frame.
        auto row
            = [](const char* tag, const char* from, const char* option, const char* selected, uint frames) {
                  QTest::newRow(tag) << QString(from) << QString(option) << QString(selected) << frames;
              };
        row("actual time at non drop switches to drop frame", "m_F2997", "m_radRealTime", "m_F30D", 17982);
        row("time code at drop frame switches to non drop", "m_F30D", "m_radVideoTime", "m_F2997", 18000);
        row("actual time already checked at drop frame changes nothing", "m_F30D", "m_radRealTime", "m_F30D",
            17982);
        row("time code already checked at non drop changes nothing", "m_F2997", "m_radVideoTime", "m_F2997",
            18000);
    }

    void optionClicksSwitchDropFrame()
    {
        QFETCH(QString, from);
        QFETCH(QString, option);
        QFETCH(QString, selected);
        QFETCH(uint, frames);

        click(qPrintable(from));
        enter(entry("m_Time1"), "00:10:00:00");
        click(qPrintable(option));

        QVERIFY(radio(qPrintable(selected))->isChecked());
        QCOMPARE(entry("m_Time1")->m_Timecode.frames, frames);
        QCOMPARE(entry("m_TimeResult")->m_Timecode.frames, frames);
        QCOMPARE(entry("m_TimeResult")->m_Timecode.rate, entry("m_Time1")->m_Timecode.rate);
        QCOMPARE(shown(entry("m_TimeResult")), "00:10:00:00 = " + QString::number(frames));
        QCOMPARE(radio("m_radRealTime")->isChecked(), selected != "m_F2997");
    }

    void rateChangeRecomputesWithBothOperandsConverted()
    {
        enter(entry("m_Time1"), "00:00:10:00");
        enter(entry("m_Time2"), "00:00:05:00");
        QCOMPARE(entry("m_TimeResult")->m_Timecode.frames, 450u);

        click("m_F25");

        QCOMPARE(entry("m_Time1")->m_Timecode.frames, 250u);
        QCOMPARE(entry("m_Time2")->m_Timecode.frames, 125u);
        QCOMPARE(entry("m_TimeResult")->m_Timecode.frames, 375u);
        QCOMPARE(entry("m_TimeResult")->m_Timecode.rate, ELK_FR_25);
        QCOMPARE(shown(entry("m_TimeResult")), QStringLiteral("00:00:15:00 = 375"));
    }

    void resultEditsLeadNowhere()
    {
        enter(entry("m_Time1"), "300");
        enter(entry("m_Time2"), "150");
        const QString first = shown(entry("m_Time1"));
        const QString second = shown(entry("m_Time2"));

        enter(entry("m_TimeResult"), "999");
        enter(entry("m_TimeResult"), "00:00:01:00");

        QCOMPARE(entry("m_TimeResult")->m_Timecode.frames, 30u);
        QCOMPARE(entry("m_Time1")->m_Timecode.frames, 300u);
        QCOMPARE(entry("m_Time2")->m_Timecode.frames, 150u);
        QCOMPARE(shown(entry("m_Time1")), first);
        QCOMPARE(shown(entry("m_Time2")), second);

        click("m_OpAdd");
        QCOMPARE(entry("m_TimeResult")->m_Timecode.frames, 450u);
        QCOMPARE(shown(entry("m_TimeResult")), QStringLiteral("00:00:15:00 = 450"));
    }

    void aboutBoxNamesProgramAndVersion()
    {
        QString title, text;
        bool seen = false;
        QTimer closer;
        closer.setInterval(10);
        int tries = 0;
        connect(&closer, &QTimer::timeout, this, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                if (++tries > 300) closer.stop(); // fail below rather than hang
                return;
            }
            closer.stop();
            seen = true;
            title = box->windowTitle();
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        });
        closer.start();
        click("m_About");

        QVERIFY(seen);
        QCOMPARE(title, QStringLiteral("About"));
        QVERIFY2(text.startsWith("Horodex\nVersion 2.0\n\n"), qPrintable(text));
        // Program, version, two maker lines, notice, location, web address,
        // with empty lines after the version, the maker and the location.
        const QStringList lines = text.split('\n');
        QCOMPARE(lines.size(), 10);
        QVERIFY(lines[5].isEmpty() && lines[8].isEmpty());
        QVERIFY(lines[9].contains("horodex.example"));
        QVERIFY(m_win->isVisible());
    }

    void closeHidesWithoutDeleting()
    {
        QPointer<Horodex2> win(m_win.get());
        click("m_Close");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(win);
        QVERIFY(!win->isVisible());
    }
};

QTEST_MAIN(TestHorodex2)
#include "tst_horodex2.moc"
