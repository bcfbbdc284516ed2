// SPDX-License-Identifier: MIT
#include <QtTest>

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>

#include "TimeFPS_w.h"

namespace
{

// Buttons in layout order; the index is the rate each one stands for.
const char* const kButtons[] = { "m_F2397", "m_F24", "m_F25", "m_F2997", "m_F30D", "m_F30" };

QRadioButton* button(const TimeFPS_w& fps, int rate)
{
    auto* b = fps.findChild<QRadioButton*>(kButtons[rate]);
    if (!b) qFatal("no button %s", kButtons[rate]);
    return b;
}

int checkedRate(const TimeFPS_w& fps)
{
    int found = -1;
    for (int rate = 0; rate < 6; ++rate)
        if (button(fps, rate)->isChecked()) {
            if (found != -1) return -2; // two checked: exclusivity broken
            found = rate;
        }
    return found;
}

ELKFrameRate_t byteRate(int value)
{
    return static_cast<ELKFrameRate_t>(static_cast<int8_t>(value));
}

} // namespace

class TestTimeFPS : public QObject
{
    Q_OBJECT

private slots:
    void formMatchesTheDesign()
    {
        TimeFPS_w fps;
        QCOMPARE(fps.objectName(), QStringLiteral("TimeFPS_w"));
        QCOMPARE(fps.size(), QSize(415, 52));
        QCOMPARE(fps.windowTitle(), QStringLiteral("Frames Per Second"));

        auto* grid = qobject_cast<QGridLayout*>(fps.layout());
        QVERIFY(grid);
        QCOMPARE(grid->objectName(), QStringLiteral("gridLayout"));
        QCOMPARE(grid->spacing(), 6);
        QCOMPARE(grid->contentsMargins(), QMargins(0, 0, 0, 0));
        QCOMPARE(grid->count(), 1);
        auto* group = fps.findChild<QGroupBox*>("m_FPSGroup");
        QVERIFY(group);
        QCOMPARE(grid->itemAt(0)->widget(), group);
        int row, column, rowSpan, columnSpan;
        grid->getItemPosition(0, &row, &column, &rowSpan, &columnSpan);
        QCOMPARE(QList<int>({ row, column, rowSpan, columnSpan }), QList<int>({ 0, 0, 1, 1 }));
        QCOMPARE(group->title(), QStringLiteral("Frames Per Second"));

        auto* row6 = qobject_cast<QHBoxLayout*>(group->layout());
        QVERIFY(row6);
        QCOMPARE(row6->objectName(), QStringLiteral("horizontalLayout"));
        QCOMPARE(row6->spacing(), 6);
        QCOMPARE(row6->contentsMargins(), QMargins(11, 11, 11, 11));

        // The buttons are siblings inside the group (so one exclusive set),
        // created, laid out and tab-ordered in rate order.
        const QStringList texts = { "23.97", "24", "25", "29.97 Non Drop", "29.97 Drop Frame", "30" };
        QCOMPARE(row6->count(), 6);
        QCOMPARE(group->children().size(), 7);
        QCOMPARE(group->children().at(0), row6);
        for (int rate = 0; rate < 6; ++rate) {
            QRadioButton* b = button(fps, rate);
            QCOMPARE(b->parent(), group);
            QCOMPARE(group->children().at(rate + 1), b);
            QCOMPARE(row6->itemAt(rate)->widget(), b);
            QCOMPARE(row6->stretch(rate), 0);
            QCOMPARE(b->text(), texts[rate]);
            if (rate < 5) QCOMPARE(b->nextInFocusChain(), button(fps, rate + 1));
        }
        QCOMPARE(checkedRate(fps), int(ELK_FR_30));
    }

    void metaObjectMatchesTheInterface()
    {
        const QMetaObject& mo = TimeFPS_w::staticMetaObject;
        QCOMPARE(mo.className(), "TimeFPS_w");
        QCOMPARE(mo.methodCount() - mo.methodOffset(), 2);
        QCOMPARE(mo.propertyCount() - mo.propertyOffset(), 0);
        QCOMPARE(mo.enumeratorCount() - mo.enumeratorOffset(), 0);
        QCOMPARE(mo.classInfoCount() - mo.classInfoOffset(), 0);
        QCOMPARE(mo.constructorCount(), 0);

        const QMetaMethod signal = mo.method(mo.methodOffset());
        QCOMPARE(signal.methodSignature(), QByteArray("TimeFPS_Changed(ELKFrameRate_t)"));
        QCOMPARE(signal.methodType(), QMetaMethod::Signal);
        const QMetaMethod slot = mo.method(mo.methodOffset() + 1);
        QCOMPARE(slot.methodSignature(), QByteArray("_TimeFPS_Changed(bool)"));
        QCOMPARE(slot.methodType(), QMetaMethod::Slot);
        QCOMPARE(slot.access(), QMetaMethod::Private);
        for (const QMetaMethod& m : { signal, slot }) {
            QCOMPARE(m.typeName(), "void");
            QCOMPARE(m.parameterNames(), QList<QByteArray>({ QByteArray() }));
        }
    }

    void clickingAButton_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("emissions");
        QTest::newRow("23.97 from 30 emits once") << int(ELK_FR_2397) << 1;
        QTest::newRow("24 from 30 emits once") << int(ELK_FR_24) << 1;
        QTest::newRow("25 from 30 emits once") << int(ELK_FR_25) << 1;
        QTest::newRow("29.97 non drop from 30 emits once") << int(ELK_FR_2997) << 1;
        QTest::newRow("drop frame from 30 emits once") << int(ELK_FR_2997DF) << 1;
        QTest::newRow("30 while already checked emits nothing") << int(ELK_FR_30) << 0;
    }
    void clickingAButton()
    {
        QFETCH(int, rate);
        QFETCH(int, emissions);
        TimeFPS_w fps;
        fps.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fps));
        QSignalSpy spy(&fps, &TimeFPS_w::TimeFPS_Changed);

        QTest::mouseClick(button(fps, rate), Qt::LeftButton);
        QCOMPARE(checkedRate(fps), rate);
        QCOMPARE(spy.count(), emissions);
        if (emissions) QCOMPARE(int(spy.at(0).at(0).value<ELKFrameRate_t>()), rate);
    }

    // Every byte value from every checked rate: the six rates check their
    // button, anything else checks "30"; one emission exactly when the checked
    // button changes.
    void setFrameRateOverEveryByte()
    {
        TimeFPS_w fps;
        QSignalSpy spy(&fps, &TimeFPS_w::TimeFPS_Changed);
        for (int start = 0; start < 6; ++start) {
            for (int value = 0; value < 256; ++value) {
                fps.TimeFPS_SetFrameRate(ELKFrameRate_t(start));
                spy.clear();

                fps.TimeFPS_SetFrameRate(byteRate(value));
                const int expected = value < 6 ? value : int(ELK_FR_30);
                QCOMPARE(checkedRate(fps), expected);
                QCOMPARE(spy.count(), expected == start ? 0 : 1);
                if (!spy.isEmpty()) QCOMPARE(int(spy.at(0).at(0).value<ELKFrameRate_t>()), expected);
            }
        }
    }

    void slotWithoutSenderChangesNothing()
    {
        TimeFPS_w fps;
        fps.TimeFPS_SetFrameRate(ELK_FR_25);
        QSignalSpy spy(&fps, &TimeFPS_w::TimeFPS_Changed);
        QVERIFY(QMetaObject::invokeMethod(&fps, "_TimeFPS_Changed", Q_ARG(bool, true)));
        QCOMPARE(spy.count(), 0);
        // The remembered rate is still 25, so going to 30 is a change.
        fps.TimeFPS_SetFrameRate(ELK_FR_30);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<ELKFrameRate_t>(), ELK_FR_30);
    }

    void showDropFrameHidesOnlyThatButton()
    {
        TimeFPS_w fps;
        fps.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fps));
        fps.TimeFPS_ShowDropFrame(false);
        for (int rate = 0; rate < 6; ++rate) QCOMPARE(button(fps, rate)->isVisible(), rate != ELK_FR_2997DF);
        fps.TimeFPS_ShowDropFrame(true);
        QVERIFY(button(fps, ELK_FR_2997DF)->isVisible());
    }
};

QTEST_MAIN(TestTimeFPS)
#include "tst_timefps.moc"
