// SPDX-License-Identifier: MIT
#include <QtTest>

#include <QClipboard>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "TimeEntry_w.h"

namespace
{

template <class T> T* find(const QObject* parent, const char* name)
{
    T* child = parent->findChild<T*>(name);
    if (!child) qFatal("no child named %s", name);
    return child;
}

const char* const kBoxes[] = { "m_Hours", "m_Minutes", "m_Seconds", "m_Frames" };

QLineEdit* absFrames(const TimeEntry_w* entry)
{
    return find<QLineEdit>(entry, "m_AbsFrames");
}

// The four spin boxes as "hh:mm:ss:ff".
QString boxes(const TimeEntry_w* entry)
{
    QStringList fields;
    for (const char* name : kBoxes)
        fields << QStringLiteral("%1").arg(find<QSpinBox>(entry, name)->value(), 2, 10, QLatin1Char('0'));
    return fields.join(':');
}

void typeIntoBox(TimeEntry_w* entry, const char* name, const QString& text)
{
    auto* box = find<QSpinBox>(entry, name);
    box->selectAll();
    QTest::keyClicks(box, text);
}

void setRecord(TimeEntry_w* entry, ELKFrameRate_t rate, uint32_t frames, int8_t labelMode)
{
    entry->m_Timecode.rate = rate;
    entry->m_Timecode.frames = frames;
    entry->m_Timecode.labelMode = labelMode;
    entry->TimeEntry_Update();
}

// Replaces the line edit's text keystroke by keystroke, recording the spin
// boxes after each key.
QStringList typeIntoAbsFrames(TimeEntry_w* entry, const QString& text)
{
    QLineEdit* edit = absFrames(entry);
    edit->selectAll();
    QStringList seen;
    for (const QChar c : text) {
        QTest::keyClicks(edit, QString(c));
        seen << boxes(entry);
    }
    return seen;
}

// A shown entry beside a spin box that can take the focus away.
struct Window {
    QWidget top;
    TimeEntry_w* entry;
    QSpinBox* other;
    Window()
    {
        auto* layout = new QHBoxLayout(&top);
        entry = new TimeEntry_w(&top);
        other = new QSpinBox(&top);
        layout->addWidget(entry);
        layout->addWidget(other);
        top.show();
    }
};

} // namespace

class TestTimeEntry : public QObject
{
    Q_OBJECT

private slots:
    void init() { QGuiApplication::clipboard()->clear(QClipboard::Clipboard); }

    void freshEntryShowsMidnightAtThirty()
    {
        TimeEntry_w entry;
        QCOMPARE(boxes(&entry), QStringLiteral("00:00:00:00"));
        QCOMPARE(absFrames(&entry)->text(), QStringLiteral("0"));
        QCOMPARE(entry.m_Timecode.frames, 0u);
        QCOMPARE(entry.m_Timecode.rate, ELK_FR_30);
        QCOMPARE(entry.m_Timecode.labelMode, ELK_TRUE);
    }

    void formMatchesTheDesign()
    {
        TimeEntry_w entry;
        QCOMPARE(entry.objectName(), QStringLiteral("TimeEntry_w"));
        QCOMPARE(entry.size(), QSize(448, 42));
        QCOMPARE(entry.windowTitle(), QStringLiteral("Timcode Entry"));

        auto* grid = qobject_cast<QGridLayout*>(entry.layout());
        QVERIFY(grid);
        QCOMPARE(grid->objectName(), QStringLiteral("gridLayout"));
        QCOMPARE(grid->spacing(), 6);
        QCOMPARE(grid->contentsMargins(), QMargins(0, 0, 0, 0));

        struct Cell {
            const char* name;
            int row, column;
            const char* text;
        };
        // In creation order: Paste is made before Copy, though it sits right of it.
        const Cell cells[] = { { "label", 0, 2, "Absolute Frames" }, { "label_3", 0, 3, "Hours" },
            { "label_2", 0, 4, "Minutes" }, { "label_4", 0, 5, "Seconds" }, { "label_5", 0, 6, "Frames" },
            { "m_AbsFrames", 1, 2, "0" }, { "m_Hours", 1, 3, nullptr }, { "m_Minutes", 1, 4, nullptr },
            { "m_Seconds", 1, 5, nullptr }, { "m_Frames", 1, 6, nullptr }, { "m_Paste", 1, 8, "Paste" },
            { "m_Copy", 1, 7, "Copy" } };
        const QObjectList children = entry.children();
        QCOMPARE(children.size(), 13);
        QCOMPARE(children.at(0), grid);
        QCOMPARE(grid->count(), 12);
        for (int i = 0; i < 12; ++i) {
            const Cell& cell = cells[i];
            auto* widget = qobject_cast<QWidget*>(children.at(i + 1));
            QVERIFY(widget);
            QCOMPARE(widget->objectName(), QString::fromLatin1(cell.name));
            int row, column, rowSpan, columnSpan;
            grid->getItemPosition(grid->indexOf(widget), &row, &column, &rowSpan, &columnSpan);
            QCOMPARE(QList<int>({ row, column, rowSpan, columnSpan }),
                QList<int>({ cell.row, cell.column, 1, 1 }));
            QCOMPARE(grid->itemAt(grid->indexOf(widget))->alignment(), Qt::Alignment());
            if (auto* label = qobject_cast<QLabel*>(widget)) QCOMPARE(label->text(), QString(cell.text));
            if (auto* button = qobject_cast<QPushButton*>(widget)) {
                QCOMPARE(button->text(), QString(cell.text));
                QCOMPARE(button->maximumSize(), QSize(50, 16777215));
            }
        }

        QLineEdit* edit = absFrames(&entry);
        QCOMPARE(edit->text(), QStringLiteral("0"));
        QVERIFY(!edit->validator());
        QVERIFY(edit->inputMask().isEmpty());
        QCOMPARE(edit->maxLength(), 32767);
        const int maximums[] = { 24, 60, 60, 30 };
        for (int i = 0; i < 4; ++i) {
            auto* box = find<QSpinBox>(&entry, kBoxes[i]);
            QCOMPARE(box->maximum(), maximums[i]);
            QCOMPARE(box->minimum(), 0);
            QVERIFY(!box->wrapping());
        }

        const char* const tabOrder[]
            = { "m_AbsFrames", "m_Hours", "m_Minutes", "m_Seconds", "m_Frames", "m_Copy", "m_Paste" };
        QWidget* at = edit;
        for (const char* name : tabOrder) {
            QCOMPARE(at->objectName(), QString::fromLatin1(name));
            // A spin box's own line edit sits between it and the next stop.
            do at = at->nextInFocusChain();
            while (at->parentWidget() != &entry && at != &entry);
        }
    }

    void metaObjectMatchesTheInterface()
    {
        const QMetaObject& mo = TimeEntry_w::staticMetaObject;
        QCOMPARE(mo.className(), "TimeEntry_w");
        QCOMPARE(mo.propertyCount() - mo.propertyOffset(), 0);
        QCOMPARE(mo.enumeratorCount() - mo.enumeratorOffset(), 0);
        QCOMPARE(mo.classInfoCount() - mo.classInfoOffset(), 0);
        QCOMPARE(mo.constructorCount(), 0);

        struct Method {
            const char* signature;
            QMetaMethod::MethodType type;
            QMetaMethod::Access access;
        };
        // Qt 6's moc records every signal as public.
        const Method table[] = {
            { "TimeEntry_Changed(ELKTimecode_t*)", QMetaMethod::Signal, QMetaMethod::Public },
            { "TimeEntry_SetFrameRate(ELKFrameRate_t)", QMetaMethod::Slot, QMetaMethod::Public },
            { "TimeEntry_Update()", QMetaMethod::Slot, QMetaMethod::Public },
            { "_TimeEntry_ValueChanged()", QMetaMethod::Slot, QMetaMethod::Private },
            { "_TimeEntry_AbsFramesChanged(QString)", QMetaMethod::Slot, QMetaMethod::Private },
            { "_TimeEntry_AbsFramesChangeComplete()", QMetaMethod::Slot, QMetaMethod::Private },
            { "on_m_Copy_clicked()", QMetaMethod::Slot, QMetaMethod::Private },
            { "on_m_Paste_clicked()", QMetaMethod::Slot, QMetaMethod::Private },
        };
        QCOMPARE(mo.methodCount() - mo.methodOffset(), 8);
        for (int i = 0; i < 8; ++i) {
            const QMetaMethod m = mo.method(mo.methodOffset() + i);
            QCOMPARE(m.methodSignature(), QByteArray(table[i].signature));
            QCOMPARE(m.methodType(), table[i].type);
            QCOMPARE(m.access(), table[i].access);
            QCOMPARE(m.typeName(), "void");
            for (const QByteArray& name : m.parameterNames()) QVERIFY(name.isEmpty());
        }
    }

    // A value typed into one box is folded into the count, but the box keeps
    // showing it until the next full refresh.
    void spinBoxCarry_data()
    {
        QTest::addColumn<ELKFrameRate_t>("rate");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<uint>("count");
        QTest::addColumn<QString>("refreshed");
        const auto row = [](const char* tag, ELKFrameRate_t rate, const char* box, const char* typed,
                             uint count, const char* refreshed) {
            QTest::newRow(tag) << rate << QString(box) << QString(typed) << count << QString(refreshed);
        };
        row("60 seconds is one minute", ELK_FR_30, "m_Seconds", "60", 1800, "00:01:00:00");
        row("60 minutes is one hour", ELK_FR_30, "m_Minutes", "60", 108000, "01:00:00:00");
        row("24 hours wraps to midnight", ELK_FR_30, "m_Hours", "24", 0, "00:00:00:00");
        row("30 frames is one second", ELK_FR_30, "m_Frames", "30", 30, "00:00:01:00");
        row("27 frames at 25 fps is one second and two", ELK_FR_25, "m_Frames", "27", 27, "00:00:01:02");
    }
    void spinBoxCarry()
    {
        QFETCH(ELKFrameRate_t, rate);
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(uint, count);
        QFETCH(QString, refreshed);
        TimeEntry_w entry;
        setRecord(&entry, rate, 0, ELK_FALSE);
        QSignalSpy spy(&entry, &TimeEntry_w::TimeEntry_Changed);

        auto* spin = find<QSpinBox>(&entry, qPrintable(box));
        typeIntoBox(&entry, qPrintable(box), typed);
        QCOMPARE(spin->value(), typed.toInt());
        QCOMPARE(absFrames(&entry)->text(), QString::number(count));
        QCOMPARE(entry.m_Timecode.frames, count);
        QCOMPARE(entry.m_Timecode.labelMode, ELK_TRUE);
        // One emission per keystroke that changed the value, each with the record.
        QCOMPARE(spy.count(), typed.size());
        for (const QList<QVariant>& args : spy)
            QCOMPARE(args.at(0).value<ELKTimecode_t*>(), &entry.m_Timecode);

        // Choosing the same rate again brings the boxes in line, and emits.
        entry.TimeEntry_SetFrameRate(rate);
        QCOMPARE(boxes(&entry), refreshed);
        QCOMPARE(absFrames(&entry)->text(), QString::number(count));
        QCOMPARE(entry.m_Timecode.labelMode, ELK_TRUE);
        QCOMPARE(spy.count(), typed.size() + 1);
    }

    // Counts (and blank-separated fields) are read on every keystroke;
    // nothing is emitted until Return.
    void typingACount_data()
    {
        QTest::addColumn<ELKFrameRate_t>("rate");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("afterEachKey");
        QTest::addColumn<QString>("finalText");
        const auto row = [](const char* tag, ELKFrameRate_t rate, const char* typed, const QStringList& seen,
                             const char* finalText) {
            QTest::newRow(tag) << rate << QString(typed) << seen << QString(finalText);
        };
        row("1500 at 30 fps is 50 seconds", ELK_FR_30, "1500",
            { "00:00:00:01", "00:00:00:15", "00:00:05:00", "00:00:50:00" }, "1500");
        row("leading zeros are dropped at Return", ELK_FR_30, "0012",
            { "00:00:00:00", "00:00:00:00", "00:00:00:01", "00:00:00:12" }, "12");
        row("blank separates seconds from frames", ELK_FR_25, "1 2",
            { "00:00:00:01", "00:00:00:01", "00:00:01:02" }, "27");
        row("1800 at drop frame is the first label of minute one", ELK_FR_2997DF, "1800",
            { "00:00:00:01", "00:00:00:18", "00:00:06:00", "00:01:00:02" }, "1800");
    }
    void typingACount()
    {
        QFETCH(ELKFrameRate_t, rate);
        QFETCH(QString, typed);
        QFETCH(QStringList, afterEachKey);
        QFETCH(QString, finalText);
        TimeEntry_w entry;
        setRecord(&entry, rate, 0, ELK_TRUE);
        QSignalSpy spy(&entry, &TimeEntry_w::TimeEntry_Changed);

        QCOMPARE(typeIntoAbsFrames(&entry, typed), afterEachKey);
        QCOMPARE(absFrames(&entry)->text(), typed);
        QCOMPARE(entry.m_Timecode.labelMode, ELK_FALSE);
        QCOMPARE(spy.count(), 0);

        QTest::keyClick(absFrames(&entry), Qt::Key_Return);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<ELKTimecode_t*>(), &entry.m_Timecode);
        QCOMPARE(absFrames(&entry)->text(), finalText);
        QCOMPARE(boxes(&entry), afterEachKey.last());
        QCOMPARE(entry.m_Timecode.labelMode, ELK_FALSE);
    }

    // Text with ":", "." or ";" is left alone while typed and read at Return
    // as a label.
    void typingATimecode_data()
    {
        QTest::addColumn<ELKFrameRate_t>("rate");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("beforeSeparator");
        QTest::addColumn<QString>("atReturn");
        QTest::addColumn<QString>("finalText");
        const auto row = [](const char* tag, ELKFrameRate_t rate, const char* typed, const char* before,
                             const char* atReturn, const char* finalText) {
            QTest::newRow(tag) << rate << QString(typed) << QString(before) << QString(atReturn)
                               << QString(finalText);
        };
        row("one minute", ELK_FR_30, "00:01:00:00", "00:00:00:00", "00:01:00:00", "1800");
        row("count typed first, then a colon", ELK_FR_30, "12:34", "00:00:00:12", "00:00:13:04", "394");
        row("dot before the frames", ELK_FR_30, "10.05", "00:00:00:10", "00:00:10:05", "305");
        row("drop-frame semicolons are a label", ELK_FR_2997DF, "00;10;00;00", "00:00:00:00", "00:10:00:00",
            "17982");
    }
    void typingATimecode()
    {
        QFETCH(ELKFrameRate_t, rate);
        QFETCH(QString, typed);
        QFETCH(QString, beforeSeparator);
        QFETCH(QString, atReturn);
        QFETCH(QString, finalText);
        TimeEntry_w entry;
        setRecord(&entry, rate, 0, ELK_FALSE);
        QSignalSpy spy(&entry, &TimeEntry_w::TimeEntry_Changed);

        const QStringList seen = typeIntoAbsFrames(&entry, typed);
        const int separator = typed.indexOf(QRegularExpression("[:.;]"));
        for (int i = separator - 1; i < seen.size(); ++i) QCOMPARE(seen.at(i), beforeSeparator);
        QCOMPARE(spy.count(), 0);

        QTest::keyClick(absFrames(&entry), Qt::Key_Enter);
        QCOMPARE(boxes(&entry), atReturn);
        QCOMPARE(absFrames(&entry)->text(), finalText);
        QCOMPARE(entry.m_Timecode.labelMode, ELK_TRUE);
        QCOMPARE(spy.count(), 1);
    }

    // Editing finishes once per Return, Enter or loss of focus, whether or
    // not the text changed.
    void finishingEditing_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("emissions");
        QTest::addColumn<QString>("finalText");
        QTest::addColumn<qint8>("labelMode");
        QTest::newRow("leaving the field unchanged") << QStringList { "tab" } << 1 << "0" << qint8(ELK_FALSE);
        QTest::newRow("clicking away from the field unchanged")
            << QStringList { "click away" } << 1 << "0" << qint8(ELK_FALSE);
        QTest::newRow("typing then leaving")
            << QStringList { "type 45", "tab" } << 1 << "45" << qint8(ELK_FALSE);
        QTest::newRow("leaving, coming back, leaving unchanged")
            << QStringList { "tab", "back", "tab" } << 2 << "0" << qint8(ELK_FALSE);
        QTest::newRow("typing, leaving, coming back, leaving")
            << QStringList { "type 45", "tab", "back", "tab" } << 2 << "45" << qint8(ELK_FALSE);
        QTest::newRow("Return then leaving")
            << QStringList { "return", "tab" } << 2 << "0" << qint8(ELK_FALSE);
        QTest::newRow("typing, Return, then leaving")
            << QStringList { "type 45", "return", "tab" } << 2 << "45" << qint8(ELK_FALSE);
        QTest::newRow("Return twice") << QStringList { "return", "return" } << 2 << "0" << qint8(ELK_FALSE);
        QTest::newRow("timecode then leaving")
            << QStringList { "type 1:00", "tab" } << 1 << "30" << qint8(ELK_TRUE);
        QTest::newRow("Return, typing more, leaving")
            << QStringList { "type 4", "return", "type 5", "tab" } << 2 << "45" << qint8(ELK_FALSE);
    }
    void finishingEditing()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, emissions);
        QFETCH(QString, finalText);
        QFETCH(qint8, labelMode);
        Window w;
        QVERIFY(QTest::qWaitForWindowActive(&w.top));
        QLineEdit* edit = absFrames(w.entry);
        edit->setFocus(Qt::OtherFocusReason);
        QVERIFY(edit->hasFocus());
        edit->selectAll();
        QSignalSpy spy(w.entry, &TimeEntry_w::TimeEntry_Changed);

        for (const QString& step : steps) {
            if (step == "tab")
                QTest::keyClick(edit, Qt::Key_Tab);
            else if (step == "back")
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            else if (step == "click away")
                QTest::mouseClick(w.other, Qt::LeftButton);
            else if (step == "return")
                QTest::keyClick(edit, Qt::Key_Return);
            else if (step.startsWith("type "))
                QTest::keyClicks(edit, step.mid(5));
            if (step == "back") QVERIFY(edit->hasFocus());
            if (step == "tab" || step == "click away") QVERIFY(!edit->hasFocus());
        }
        QCOMPARE(spy.count(), emissions);
        QCOMPARE(edit->text(), finalText);
        QCOMPARE(w.entry->m_Timecode.labelMode, labelMode);
    }

    void copyThenPasteIntoAnotherEntry()
    {
        TimeEntry_w from;
        TimeEntry_w to;
        const char* const typed[] = { "1", "2", "3", "4" };
        for (int i = 0; i < 4; ++i) typeIntoBox(&from, kBoxes[i], typed[i]);
        QCOMPARE(absFrames(&from)->text(), QStringLiteral("111694"));
        QSignalSpy fromSpy(&from, &TimeEntry_w::TimeEntry_Changed);
        QSignalSpy toSpy(&to, &TimeEntry_w::TimeEntry_Changed);

        QTest::mouseClick(find<QPushButton>(&from, "m_Copy"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(QClipboard::Clipboard), QStringLiteral("01:02:03.04"));
        QCOMPARE(fromSpy.count(), 0);
        QCOMPARE(from.m_Timecode.labelMode, ELK_TRUE);

        QTest::mouseClick(find<QPushButton>(&to, "m_Paste"), Qt::LeftButton);
        QCOMPARE(boxes(&to), QStringLiteral("01:02:03:04"));
        QCOMPARE(absFrames(&to)->text(), QStringLiteral("111694"));
        QCOMPARE(toSpy.count(), 1);
        QCOMPARE(toSpy.at(0).at(0).value<ELKTimecode_t*>(), &to.m_Timecode);
    }

    // At drop frame Copy then Paste gives back the same count, into the same
    // entry or into another, whatever either had last taken.
    void dropFrameCopyPasteKeepsTheCount_data()
    {
        QTest::addColumn<QString>("lastEdit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<uint>("frames");
        const auto row = [](const char* tag, const char* edit, const char* text, uint frames) {
            QTest::newRow(tag) << QString(edit) << QString(text) << frames;
        };
        row("spin boxes", "boxes", "01:00:00:00", 107892);
        row("count typed", "type", "2589407", 2589407);
        row("drop-frame label typed and finished", "finish", "00;01;00;02", 1800);
        row("count pasted", "paste", "107892", 107892);
        row("label pasted", "paste", "23:59:59;29", 2589407);
        row("change from 30 fps that altered the count", "rate", "18000", 17982);
    }
    void dropFrameCopyPasteKeepsTheCount()
    {
        QFETCH(QString, lastEdit);
        QFETCH(QString, text);
        QFETCH(uint, frames);
        TimeEntry_w from;
        TimeEntry_w other;
        setRecord(&from, ELK_FR_2997DF, 0, ELK_TRUE);
        setRecord(&other, ELK_FR_2997DF, 777, ELK_FALSE);
        if (lastEdit == "boxes") {
            const QStringList fields = text.split(':');
            for (int i = 0; i < 4; ++i) typeIntoBox(&from, kBoxes[i], fields.at(i));
        } else if (lastEdit == "type" || lastEdit == "finish") {
            typeIntoAbsFrames(&from, text);
            if (lastEdit == "finish") QTest::keyClick(absFrames(&from), Qt::Key_Return);
        } else if (lastEdit == "paste") {
            QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
            QTest::mouseClick(find<QPushButton>(&from, "m_Paste"), Qt::LeftButton);
        } else {
            setRecord(&from, ELK_FR_30, text.toUInt(), ELK_FALSE);
            from.TimeEntry_SetFrameRate(ELK_FR_2997DF);
        }
        QCOMPARE(from.m_Timecode.frames, frames);

        QTest::mouseClick(find<QPushButton>(&from, "m_Copy"), Qt::LeftButton);
        for (TimeEntry_w* to : { &other, &from }) {
            QTest::mouseClick(find<QPushButton>(to, "m_Paste"), Qt::LeftButton);
            QCOMPARE(to->m_Timecode.frames, frames);
        }
    }

    // Pasted text is read by its form, whatever the record's labelMode was:
    // timecode text as a label, anything else as a count.
    void paste_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<ELKFrameRate_t>("rate");
        QTest::addColumn<qint8>("labelModeBefore");
        QTest::addColumn<uint>("frames");
        QTest::addColumn<QString>("label");
        QTest::addColumn<qint8>("labelMode");
        const auto row = [](const char* tag, const QString& text, ELKFrameRate_t rate, int8_t before,
                             uint frames, const char* label, int8_t after) {
            QTest::newRow(tag) << text << rate << before << frames << QString(label) << after;
        };
        row("timecode", "01:02:03:04", ELK_FR_30, ELK_TRUE, 111694, "01:02:03:04", ELK_TRUE);
        row("text without digits clears to midnight", "no time here", ELK_FR_30, ELK_TRUE, 0, "00:00:00:00",
            ELK_FALSE);
        row("empty clipboard clears to midnight", "", ELK_FR_30, ELK_TRUE, 0, "00:00:00:00", ELK_FALSE);
        row("200,000 digits worth 1234", QString(199996, '0') + "1234", ELK_FR_30, ELK_TRUE, 1234,
            "00:00:41:04", ELK_FALSE);
        // The group wraps modulo 2^32 (to 4294967295), then within the day.
        row("200,000 nines wrap", QString(200000, '9'), ELK_FR_30, ELK_TRUE, 23295, "00:12:56:15", ELK_FALSE);
        row("euro sign has no 8-bit form and stops the read", QString::fromUtf8("01:02\u20AC03:04"),
            ELK_FR_30, ELK_TRUE, 94, "00:00:03:04", ELK_TRUE);
        row("drop-frame label that does not exist", "00:01:00:00", ELK_FR_2997DF, ELK_TRUE, 1798,
            "00:00:59:28", ELK_TRUE);
        row("drop-frame label into a record holding a count", "00:01:00:00", ELK_FR_2997DF, ELK_FALSE, 1798,
            "00:00:59:28", ELK_TRUE);
        row("count into a drop-frame record holding a label", "17982", ELK_FR_2997DF, ELK_TRUE, 17982,
            "00:10:00:00", ELK_FALSE);
        row("label with a trailing newline at drop frame", "00:10:00;00\n", ELK_FR_2997DF, ELK_FALSE, 17982,
            "00:10:00:00", ELK_TRUE);
    }
    void paste()
    {
        QFETCH(QString, clipboard);
        QFETCH(ELKFrameRate_t, rate);
        QFETCH(qint8, labelModeBefore);
        QFETCH(uint, frames);
        QFETCH(QString, label);
        QFETCH(qint8, labelMode);
        TimeEntry_w entry;
        setRecord(&entry, rate, 777, labelModeBefore);
        QGuiApplication::clipboard()->setText(clipboard, QClipboard::Clipboard);
        QSignalSpy spy(&entry, &TimeEntry_w::TimeEntry_Changed);

        QTest::mouseClick(find<QPushButton>(&entry, "m_Paste"), Qt::LeftButton);
        QCOMPARE(entry.m_Timecode.frames, frames);
        QCOMPARE(absFrames(&entry)->text(), QString::number(frames));
        QCOMPARE(boxes(&entry), label);
        QCOMPARE(entry.m_Timecode.labelMode, labelMode);
        QCOMPARE(spy.count(), 1);
    }

    void changingTheRate_data()
    {
        QTest::addColumn<ELKFrameRate_t>("fromRate");
        QTest::addColumn<uint>("fromFrames");
        QTest::addColumn<ELKFrameRate_t>("toRate");
        QTest::addColumn<QString>("label");
        QTest::addColumn<uint>("count");
        QTest::addColumn<qint8>("labelMode");
        const auto row = [](const char* tag, ELKFrameRate_t from, uint fromFrames, ELKFrameRate_t to,
                             const char* label, uint count, int8_t labelMode) {
            QTest::newRow(tag) << from << fromFrames << to << QString(label) << count << labelMode;
        };
        // Every start is a count (labelMode ELK_FALSE): the change still keeps the label.
        row("10 s from 30 to 25 keeps the label", ELK_FR_30, 300, ELK_FR_25, "00:00:10:00", 250, ELK_FALSE);
        row("one minute to drop frame lands two frames early", ELK_FR_30, 1800, ELK_FR_2997DF, "00:00:59:28",
            1798, ELK_FALSE);
        row("ten minutes to drop frame keeps the label", ELK_FR_30, 18000, ELK_FR_2997DF, "00:10:00:00",
            17982, ELK_FALSE);
        row("drop frame to 30 keeps the label", ELK_FR_2997DF, 17982, ELK_FR_30, "00:10:00:00", 18000,
            ELK_FALSE);
        row("midnight keeps its count of 0", ELK_FR_25, 0, ELK_FR_2997DF, "00:00:00:00", 0, ELK_TRUE);
    }
    void changingTheRate()
    {
        QFETCH(ELKFrameRate_t, fromRate);
        QFETCH(uint, fromFrames);
        QFETCH(ELKFrameRate_t, toRate);
        QFETCH(QString, label);
        QFETCH(uint, count);
        QFETCH(qint8, labelMode);
        TimeEntry_w entry;
        setRecord(&entry, fromRate, fromFrames, ELK_FALSE);
        QSignalSpy spy(&entry, &TimeEntry_w::TimeEntry_Changed);

        entry.TimeEntry_SetFrameRate(toRate);
        QCOMPARE(entry.m_Timecode.rate, toRate);
        QCOMPARE(boxes(&entry), label);
        QCOMPARE(entry.m_Timecode.frames, count);
        QCOMPARE(absFrames(&entry)->text(), QString::number(count));
        QCOMPARE(entry.m_Timecode.labelMode, labelMode);
        QCOMPARE(spy.count(), 1);
    }

    void updateShowsTheRecordSilently_data()
    {
        QTest::addColumn<ELKFrameRate_t>("rate");
        QTest::addColumn<uint>("frames");
        QTest::addColumn<qint8>("labelMode");
        QTest::addColumn<QString>("label");
        QTest::newRow("last label of a drop-frame day")
            << ELK_FR_2997DF << 2589407u << ELK_FALSE << "23:59:59:29";
        QTest::newRow("last frame of a day at 25") << ELK_FR_25 << 2159999u << ELK_TRUE << "23:59:59:24";
        QTest::newRow("back to midnight") << ELK_FR_30 << 0u << ELK_FALSE << "00:00:00:00";
    }
    void updateShowsTheRecordSilently()
    {
        QFETCH(ELKFrameRate_t, rate);
        QFETCH(uint, frames);
        QFETCH(qint8, labelMode);
        QFETCH(QString, label);
        TimeEntry_w entry;
        typeIntoBox(&entry, "m_Seconds", "7");
        QSignalSpy spy(&entry, &TimeEntry_w::TimeEntry_Changed);

        // As the window writes the result: the record directly, then a redisplay.
        entry.m_Timecode.rate = rate;
        entry.m_Timecode.frames = frames;
        entry.m_Timecode.labelMode = labelMode;
        entry.TimeEntry_Update();
        QCOMPARE(boxes(&entry), label);
        QCOMPARE(absFrames(&entry)->text(), QString::number(frames));
        QCOMPARE(entry.m_Timecode.frames, frames);
        QCOMPARE(entry.m_Timecode.labelMode, labelMode);
        QCOMPARE(spy.count(), 0);
    }
};

QTEST_MAIN(TestTimeEntry)
#include "tst_timeentry.moc"
