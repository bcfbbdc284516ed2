// SPDX-License-Identifier: MIT
#include <QtTest>

#include <array>

#include "ELKTimecode.h"
#include "elk_test_support.h"

Q_DECLARE_METATYPE(ELKFrameRate_t)

namespace
{

using Fields = std::array<int, 4>; // hours, minutes, seconds, frames

Fields fieldsOf(const ELKTimecode_t& tc)
{
    uint8_t out[4];
    if (ELKTimecode_GetFields(&tc, out, 4) != 4) return { -1, -1, -1, -1 };
    return { out[0], out[1], out[2], out[3] };
}

// Drop-frame labels the slow, obvious way: one label per frame.
struct LabelStepper {
    Fields f { 0, 0, 0, 0 };
    void step()
    {
        if (++f[3] == 30) f[3] = 0, ++f[2];
        if (f[2] == 60) f[2] = 0, ++f[1];
        if (f[1] == 60) f[1] = 0, ++f[0];
        if (f[0] == 24) f[0] = 0;
        if (f[1] % 10 != 0 && f[2] == 0 && f[3] == 0) f[3] = 2;
    }
};

const uint32_t kNominal[] = { 24, 24, 25, 30, 30, 30 };

} // namespace

class TestTimecode : public QObject
{
    Q_OBJECT

private slots:
    void freshRecord()
    {
        ELKTimecode_t tc;
        tc.frames = 77;
        tc.rate = ELK_FR_25;
        tc.labelMode = 0;
        ELKTimecode_Init(&tc);
        QCOMPARE(tc.frames, 0u);
        QCOMPARE(tc.rate, ELK_FR_30);
        QCOMPARE(tc.labelMode, ELK_TRUE);
        QCOMPARE(sizeof(ELKFrameRate_t), size_t(1));
        ELKTimecode_Destroy(&tc);
    }

    void rates_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<double>("fps");
        QTest::addColumn<double>("nominal");
        QTest::newRow("23.976") << 0 << 23.976 << 24.0;
        QTest::newRow("24") << 1 << 24.0 << 24.0;
        QTest::newRow("25") << 2 << 25.0 << 25.0;
        QTest::newRow("29.97 non-drop") << 3 << 29.97 << 30.0;
        QTest::newRow("29.97 drop frame") << 4 << 29.97 << 30.0;
        QTest::newRow("30") << 5 << 30.0 << 30.0;
        QTest::newRow("invalid 6") << 6 << 0.0 << 0.0;
        QTest::newRow("invalid 127") << 127 << 0.0 << 0.0;
        QTest::newRow("invalid -1 (byte 0xFF)") << -1 << 0.0 << 0.0;
        QTest::newRow("invalid -128") << -128 << 0.0 << 0.0;
    }
    void rates()
    {
        QFETCH(int, rate);
        QFETCH(double, fps);
        QFETCH(double, nominal);
        const double got = ELKTimecode_RateToFps(ELKFrameRate_t(rate));
        QCOMPARE(got, fps);
        QCOMPARE(ELK_Ceil(got), nominal);
    }

    void rounding_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("floor");
        QTest::addColumn<double>("ceil");
        QTest::newRow("2.5") << 2.5 << 2.0 << 3.0;
        QTest::newRow("integral 2") << 2.0 << 2.0 << 2.0;
        QTest::newRow("-2.5") << -2.5 << -3.0 << -2.0;
        QTest::newRow("-2") << -2.0 << -2.0 << -2.0;
        QTest::newRow("small positive") << 1e-300 << 0.0 << 1.0;
        QTest::newRow("small negative") << -1e-300 << -1.0 << -0.0;
        QTest::newRow("23.976") << 23.976 << 23.0 << 24.0;
        QTest::newRow("29.97") << 29.97 << 29.0 << 30.0;
        QTest::newRow("2^31 + 0.5 is not negative") << 2147483648.5 << 2147483648.0 << 2147483649.0;
        QTest::newRow("3,000,000,000.5") << 3000000000.5 << 3000000000.0 << 3000000001.0;
        QTest::newRow("largest 32-bit") << 4294967295.0 << 4294967295.0 << 4294967295.0;
        QTest::newRow("just below 2^32: ceil wraps") << 4294967295.5 << 4294967295.0 << 0.0;
        QTest::newRow("2^32 wraps to 0") << 4294967296.0 << 0.0 << 1.0;
        QTest::newRow("2^32 + 5 wraps to 5") << 4294967301.0 << 5.0 << 6.0;
    }
    void rounding()
    {
        QFETCH(double, x);
        QFETCH(double, floor);
        QFETCH(double, ceil);
        QCOMPARE(ELK_Floor(x), floor);
        QCOMPARE(ELK_Ceil(x), ceil);
    }

    void roundingSpecialValues()
    {
        QCOMPARE(ELK_Floor(0.0), 0.0);
        QCOMPARE(ELK_Ceil(0.0), 0.0);
        QVERIFY(std::isnan(ELK_Floor(std::nan(""))));
        QVERIFY(std::isnan(ELK_Ceil(std::nan(""))));
        const double inf = std::numeric_limits<double>::infinity();
        QCOMPARE(ELK_Floor(inf), inf);
        QCOMPARE(ELK_Ceil(-inf), -inf);
        // Far beyond 2^63 the result is the implementer's, but must stay a defined 32-bit value.
        for (double x : { 1e30, -1e30, 9.3e18 }) {
            const double f = ELK_Floor(x);
            QVERIFY(std::fabs(f) <= 4294967296.0 && f == std::trunc(f));
        }
    }

    void copy()
    {
        const ELKTimecode_t src = record(ELK_FR_2997DF, 1234, ELK_FALSE);
        ELKTimecode_t dst = record(ELK_FR_2997, 99, ELK_TRUE);

        ELKTimecode_Copy(&dst, &src, ELK_TRUE);
        QCOMPARE(dst.frames, 99u); // differing rates: refused
        QCOMPARE(dst.rate, ELK_FR_2997);

        ELKTimecode_Copy(nullptr, &src, ELK_FALSE);
        ELKTimecode_Copy(&dst, nullptr, ELK_FALSE);
        QCOMPARE(dst.frames, 99u);

        ELKTimecode_Copy(&dst, &src, 1); // only ELK_TRUE is true
        QCOMPARE(dst.frames, 1234u);
        QCOMPARE(dst.rate, ELK_FR_2997DF);
        QCOMPARE(dst.labelMode, ELK_FALSE);

        ELKTimecode_t same = record(ELK_FR_2997DF, 5);
        ELKTimecode_Copy(&same, &src, ELK_TRUE);
        QCOMPARE(same.frames, 1234u);
    }

    void set_data()
    {
        QTest::addColumn<ELKFrameRate_t>("rate");
        QTest::addColumn<int>("labelMode");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<uint>("frames");
        QTest::newRow("30: last frame of the day") << ELK_FR_30 << 3 << Fields { 23, 59, 59, 29 } << 2591999u;
        QTest::newRow("25: one hour") << ELK_FR_25 << 3 << Fields { 1, 0, 0, 0 } << 90000u;
        QTest::newRow("23.976 counts 24 labels a second") << ELK_FR_2397 << 3 << Fields { 0, 0, 1, 0 } << 24u;
        QTest::newRow("23.976: one hour") << ELK_FR_2397 << 3 << Fields { 1, 0, 0, 0 } << 86400u;
        QTest::newRow("90 seconds carry into a minute") << ELK_FR_24 << 3 << Fields { 0, 0, 90, 0 } << 2160u;
        QTest::newRow("24 hours wrap to midnight") << ELK_FR_30 << 3 << Fields { 24, 0, 0, 0 } << 0u;
        QTest::newRow("drop frame: first label after the drop")
            << ELK_FR_2997DF << 3 << Fields { 0, 1, 0, 2 } << 1800u;
        QTest::newRow("drop frame: ten minutes") << ELK_FR_2997DF << 3 << Fields { 0, 10, 0, 0 } << 17982u;
        QTest::newRow("drop frame: one hour") << ELK_FR_2997DF << 3 << Fields { 1, 0, 0, 0 } << 107892u;
        QTest::newRow("drop frame: last label of the day")
            << ELK_FR_2997DF << 3 << Fields { 23, 59, 59, 29 } << 2589407u;
        QTest::newRow("drop frame: skipped label reads two earlier")
            << ELK_FR_2997DF << 3 << Fields { 0, 1, 0, 0 } << 1798u;
        QTest::newRow("drop frame, count mode: nominal 30")
            << ELK_FR_2997DF << -3 << Fields { 0, 1, 0, 0 } << 1800u;
        QTest::newRow("drop frame, count mode: wraps at the drop-frame day")
            << ELK_FR_2997DF << -3 << Fields { 23, 59, 59, 29 } << 2591999u % ELK_DROPFRAME_DAY;
        QTest::newRow("drop frame: label 24:00:00;00 wraps to midnight")
            << ELK_FR_2997DF << 3 << Fields { 24, 0, 0, 0 } << 0u;
        QTest::newRow("40,000 hours fold onto 16:00")
            << ELK_FR_30 << 3 << Fields { 40000, 0, 0, 0 } << 16u * 108000;
        QTest::newRow("largest 32-bit frames field") << ELK_FR_30 << 3 << Fields { 0, 0, 0, -1 } << 23295u;
        QTest::newRow("largest 32-bit seconds field") << ELK_FR_30 << 3 << Fields { 0, 0, -1, 0 } << 698850u;
        QTest::newRow("drop frame: largest 32-bit hours field")
            << ELK_FR_2997DF << 3 << Fields { -1, 0, 0, 0 }
            << 15u * 107892; // 2^32 - 1 hours is 15 h into a day
    }
    void set()
    {
        QFETCH(ELKFrameRate_t, rate);
        QFETCH(int, labelMode);
        QFETCH(Fields, fields);
        QFETCH(uint, frames);
        ELKTimecode_t tc = record(rate, 12345, int8_t(labelMode));
        ELKTimecode_Set(
            &tc, uint32_t(fields[0]), uint32_t(fields[1]), uint32_t(fields[2]), uint32_t(fields[3]));
        QCOMPARE(tc.frames, frames);
        QCOMPARE(tc.rate, rate);
        QCOMPARE(int(tc.labelMode), labelMode);
        // Setting is adding to zero.
        ELKTimecode_t added = record(rate, 0, int8_t(labelMode));
        ELKTimecode_Add(
            &added, uint32_t(fields[3]), uint32_t(fields[2]), uint32_t(fields[1]), uint32_t(fields[0]));
        QCOMPARE(added.frames, frames);
    }

    void split_data()
    {
        QTest::addColumn<ELKFrameRate_t>("rate");
        QTest::addColumn<uint>("frames");
        QTest::addColumn<Fields>("fields");
        QTest::newRow("24: last frame") << ELK_FR_24 << 2073599u << Fields { 23, 59, 59, 23 };
        QTest::newRow("25: last frame") << ELK_FR_25 << 2159999u << Fields { 23, 59, 59, 24 };
        QTest::newRow("drop frame 1,799") << ELK_FR_2997DF << 1799u << Fields { 0, 0, 59, 29 };
        QTest::newRow("drop frame 1,800 skips ;00 and ;01")
            << ELK_FR_2997DF << 1800u << Fields { 0, 1, 0, 2 };
        QTest::newRow("drop frame 17,982") << ELK_FR_2997DF << 17982u << Fields { 0, 10, 0, 0 };
        QTest::newRow("drop frame last label") << ELK_FR_2997DF << 2589407u << Fields { 23, 59, 59, 29 };
        QTest::newRow("drop frame day + 0 reads the next day")
            << ELK_FR_2997DF << 2589408u << Fields { 0, 0, 0, 0 };
        QTest::newRow("drop frame 2,591,999") << ELK_FR_2997DF << 2591999u << Fields { 0, 1, 26, 13 };
        QTest::newRow("30: beyond a day, hours kept to a byte")
            << ELK_FR_30 << 4294967295u << Fields { 88, 12, 56, 15 };
        QTest::newRow("25: beyond a day, hours kept to a byte")
            << ELK_FR_25 << 4294967295u << Fields { 105, 51, 31, 20 };
        QTest::newRow("30: exactly one day") << ELK_FR_30 << 2592000u << Fields { 24, 0, 0, 0 };
        QTest::newRow("invalid rate gives zeros") << ELKFrameRate_t(6) << 5000u << Fields { 0, 0, 0, 0 };
        QTest::newRow("invalid rate -1 gives zeros") << ELKFrameRate_t(-1) << 5000u << Fields { 0, 0, 0, 0 };
    }
    void split()
    {
        QFETCH(ELKFrameRate_t, rate);
        QFETCH(uint, frames);
        QFETCH(Fields, fields);
        QCOMPARE(fieldsOf(record(rate, frames)), fields);
    }

    void getFieldsBufferSize()
    {
        const ELKTimecode_t tc = record(ELK_FR_30, 111694);
        uint8_t out[4] = { 9, 9, 9, 9 };
        QCOMPARE(ELKTimecode_GetFields(&tc, out, 3), ELK_ERROR);
        QCOMPARE(ELKTimecode_GetFields(&tc, out, -1), ELK_ERROR);
        QCOMPARE(out[0], uint8_t(9));
        QCOMPARE(ELKTimecode_GetFields(&tc, out, 4), int8_t(4));
        QCOMPARE(Fields({ out[0], out[1], out[2], out[3] }), Fields({ 1, 2, 3, 4 }));
    }

    // Every count of the day splits into in-range fields that set back to it.
    void everyCountRoundTrips()
    {
        for (int r = ELK_FR_2397; r <= ELK_FR_30; ++r) {
            const auto rate = ELKFrameRate_t(r);
            const uint32_t fps = kNominal[r];
            const uint32_t day = rate == ELK_FR_2997DF ? ELK_DROPFRAME_DAY : 86400 * fps;
            ELKTimecode_t tc = record(rate);
            for (uint32_t n = 0; n < day; ++n) {
                tc.frames = n;
                uint8_t f[4];
                ELKTimecode_GetFields(&tc, f, 4);
                if (f[0] > 23 || f[1] > 59 || f[2] > 59 || f[3] >= fps)
                    QFAIL(qPrintable(QString("rate %1 count %2 splits out of range").arg(r).arg(n)));
                ELKTimecode_Set(&tc, f[0], f[1], f[2], f[3]);
                if (tc.frames != n)
                    QFAIL(
                        qPrintable(QString("rate %1 count %2 sets back to %3").arg(r).arg(n).arg(tc.frames)));
            }
        }
    }

    // The constant-time split must match label stepping for every count: the
    // whole nominal day and, beyond it, the counts only direct assignment makes.
    void dropFrameSplitMatchesStepping()
    {
        LabelStepper ref;
        ELKTimecode_t tc = record(ELK_FR_2997DF);
        const uint32_t last = 3 * ELK_DROPFRAME_DAY + 12345;
        for (uint32_t n = 0; n <= last; ++n, ref.step()) {
            tc.frames = n;
            if (fieldsOf(tc) != ref.f) QFAIL(qPrintable(QString("count %1 splits differently").arg(n)));
        }
        // The labels repeat every drop-frame day, up to the largest count.
        for (uint32_t n : { 4294967295u, 4294967295u - 2589408u, 3000000000u, 2589408u * 1000 + 1800 }) {
            tc.frames = n;
            ELKTimecode_t same = record(ELK_FR_2997DF, n % ELK_DROPFRAME_DAY);
            QCOMPARE(fieldsOf(tc), fieldsOf(same));
        }
    }

    void dropFrameToCount_data()
    {
        QTest::addColumn<Fields>("label");
        QTest::addColumn<uint>("count");
        QTest::newRow("midnight") << Fields { 0, 0, 0, 0 } << 0u;
        QTest::newRow("00:01:00;02") << Fields { 0, 1, 0, 2 } << 1800u;
        QTest::newRow("skipped 00:01:00;00") << Fields { 0, 1, 0, 0 } << 1798u;
        QTest::newRow("skipped 00:01:00;01") << Fields { 0, 1, 0, 1 } << 1799u;
        QTest::newRow("00:10:00;00 keeps its labels") << Fields { 0, 10, 0, 0 } << 17982u;
        QTest::newRow("23:59:59;29") << Fields { 23, 59, 59, 29 } << 2589407u;
        QTest::newRow("fields out of range: 99 seconds") << Fields { 0, 0, 99, 0 } << 2968u;
        QTest::newRow("frames field 2^32 - 1") << Fields { 0, 0, 0, -1 } << 23273u;
    }
    void dropFrameToCount()
    {
        QFETCH(Fields, label);
        QFETCH(uint, count);
        QCOMPARE(ELKTimecode_DropFrameToCount(
                     uint32_t(label[3]), uint32_t(label[2]), uint32_t(label[1]), uint32_t(label[0])),
            count);
    }

    void arithmetic_data()
    {
        QTest::addColumn<ELKFrameRate_t>("rate");
        QTest::addColumn<int>("labelMode");
        QTest::addColumn<uint>("start");
        QTest::addColumn<bool>("add");
        QTest::addColumn<Fields>("amount");
        QTest::addColumn<uint>("frames");
        QTest::newRow("30: last frame plus one wraps to midnight")
            << ELK_FR_30 << 3 << 2591999u << true << Fields { 0, 0, 0, 1 } << 0u;
        QTest::newRow("25: midnight minus one")
            << ELK_FR_25 << 3 << 0u << false << Fields { 0, 0, 0, 1 } << 2159999u;
        QTest::newRow("drop frame: midnight minus one frame is 23:59:59;29")
            << ELK_FR_2997DF << -3 << 0u << false << Fields { 0, 0, 0, 1 } << 2589407u;
        QTest::newRow("drop frame: last label plus one frame is midnight")
            << ELK_FR_2997DF << -3 << 2589407u << true << Fields { 0, 0, 0, 1 } << 0u;
        QTest::newRow("drop frame: 23:59:59;29 plus label ;02 is 00:00:00;01")
            << ELK_FR_2997DF << 3 << 2589407u << true << Fields { 0, 0, 0, 2 } << 1u;
        QTest::newRow("drop frame: 00:10:00;00 minus label 00:01:00;02")
            << ELK_FR_2997DF << 3 << 17982u << false << Fields { 0, 1, 0, 2 } << 16182u;
        QTest::newRow("drop frame, count mode: fields at nominal 30")
            << ELK_FR_2997DF << -3 << 0u << true << Fields { 0, 1, 0, 0 } << 1800u;
        QTest::newRow("30: subtract 40,000 hours")
            << ELK_FR_30 << 3 << 0u << false << Fields { 40000, 0, 0, 0 } << 8u * 108000;
        QTest::newRow("30: subtract 2^32 - 1 frames is the true difference")
            << ELK_FR_30 << 3 << 0u << false << Fields { 0, 0, 0, -1 } << 2592000u - 23295u;
        QTest::newRow("30: add 2^32 - 1 seconds")
            << ELK_FR_30 << 3 << 5u << true << Fields { 0, 0, -1, 0 } << 5u + 698850u;
        QTest::newRow("30: a count beyond the day is reduced")
            << ELK_FR_30 << 3 << 4294967295u << true << Fields { 0, 0, 0, 1 } << 23296u;
        QTest::newRow("30: subtract from a count beyond the day")
            << ELK_FR_30 << 3 << 4294967295u << false << Fields { 0, 0, 0, 1 } << 23294u;
        QTest::newRow("invalid rate: add changes nothing")
            << ELKFrameRate_t(6) << 3 << 77u << true << Fields { 1, 2, 3, 4 } << 77u;
        QTest::newRow("invalid rate: subtract changes nothing")
            << ELKFrameRate_t(127) << 3 << 77u << false << Fields { 1, 2, 3, 4 } << 77u;
        QTest::newRow("invalid rate -1: subtract changes nothing")
            << ELKFrameRate_t(-1) << 3 << 77u << false << Fields { 1, 2, 3, 4 } << 77u;
    }
    void arithmetic()
    {
        QFETCH(ELKFrameRate_t, rate);
        QFETCH(int, labelMode);
        QFETCH(uint, start);
        QFETCH(bool, add);
        QFETCH(Fields, amount);
        QFETCH(uint, frames);
        ELKTimecode_t tc = record(rate, start, int8_t(labelMode));
        (add ? ELKTimecode_Add : ELKTimecode_Subtract)(
            &tc, uint32_t(amount[3]), uint32_t(amount[2]), uint32_t(amount[1]), uint32_t(amount[0]));
        QCOMPARE(tc.frames, frames);
    }

    // Subtracting any amount and adding it back restores the time: the
    // difference is exact modulo the day, whatever the size of the amount.
    void subtractThenAddRestores()
    {
        const uint32_t amounts[] = { 0, 1, 1798, 2589407, 2589408, 2591999, 2592000, 99999999, 4294967295u };
        for (int r = ELK_FR_2397; r <= ELK_FR_30; ++r) {
            for (uint32_t a : amounts) {
                ELKTimecode_t tc = record(ELKFrameRate_t(r), 1000, ELK_FALSE);
                ELKTimecode_Subtract(&tc, a, 0, 0, 0);
                ELKTimecode_Add(&tc, a, 0, 0, 0);
                QCOMPARE(tc.frames, 1000u);
            }
        }
    }

    void setFrameRate_data()
    {
        QTest::addColumn<ELKFrameRate_t>("from");
        QTest::addColumn<uint>("start");
        QTest::addColumn<int>("labelMode");
        QTest::addColumn<ELKFrameRate_t>("to");
        QTest::addColumn<int>("mode");
        QTest::addColumn<uint>("frames");
        QTest::addColumn<int>("labelModeAfter");
        QTest::newRow("label kept: 00:00:00:24 at 25 to 24")
            << ELK_FR_25 << 24u << 3 << ELK_FR_24 << 0 << 24u << 3;
        QTest::newRow("label kept: 00:00:00:29 at 30 to 24 carries")
            << ELK_FR_30 << 29u << 3 << ELK_FR_24 << 0 << 29u << 3;
        QTest::newRow("label kept: 00:01:00:00 at 30 to drop frame")
            << ELK_FR_30 << 1800u << 3 << ELK_FR_2997DF << 0 << 1798u << 3;
        QTest::newRow("label kept: 00:10:00;00 drop frame to 30")
            << ELK_FR_2997DF << 17982u << 3 << ELK_FR_30 << 3 << 18000u << 3;
        QTest::newRow("label kept: 00:00:10:00 at 30 to 25")
            << ELK_FR_30 << 300u << -3 << ELK_FR_25 << 3 << 250u << 3;
        QTest::newRow("label kept: 23:59:59:29 at 30 to drop frame")
            << ELK_FR_30 << 2591999u << 3 << ELK_FR_2997DF << 3 << 2589407u << 3;
        QTest::newRow("count kept: 30 to 24 modulo the day")
            << ELK_FR_30 << 2500000u << -3 << ELK_FR_24 << -3 << 426400u << -3;
        QTest::newRow("count kept: 30 to drop frame modulo the drop-frame day")
            << ELK_FR_30 << 2591999u << -3 << ELK_FR_2997DF << 0 << 2591999u % ELK_DROPFRAME_DAY << -3;
        QTest::newRow("same rate: only labelMode changes")
            << ELK_FR_25 << 1234u << 3 << ELK_FR_25 << -3 << 1234u << -3;
        QTest::newRow("mode 0 keeps labelMode") << ELK_FR_25 << 1234u << -3 << ELK_FR_25 << 0 << 1234u << -3;
        QTest::newRow("to an invalid rate leaves zero")
            << ELK_FR_30 << 1234u << 3 << ELKFrameRate_t(6) << 0 << 0u << 3;
        QTest::newRow("from an invalid rate reads midnight")
            << ELKFrameRate_t(-1) << 1234u << 3 << ELK_FR_30 << 0 << 0u << 3;
    }
    void setFrameRate()
    {
        QFETCH(ELKFrameRate_t, from);
        QFETCH(uint, start);
        QFETCH(int, labelMode);
        QFETCH(ELKFrameRate_t, to);
        QFETCH(int, mode);
        QFETCH(uint, frames);
        QFETCH(int, labelModeAfter);
        ELKTimecode_t tc = record(from, start, int8_t(labelMode));
        ELKTimecode_SetFrameRate(&tc, to, int8_t(mode));
        QCOMPARE(tc.frames, frames);
        QCOMPARE(tc.rate, to);
        QCOMPARE(int(tc.labelMode), labelModeAfter);
    }
};

QTEST_GUILESS_MAIN(TestTimecode)
#include "tst_timecode.moc"
