// SPDX-License-Identifier: MIT
#include <QtTest>

#include "ELKDuration.h"
#include "ELKTimecodeText.h"
#include "elk_test_support.h"

namespace
{

constexpr int kNamedCount = 15;
constexpr qint64 kUnchanged = 777; // what a failed reader must leave behind

ELKTimebase_t base(const QByteArray& name)
{
    ELKTimebase_t tb {};
    if (ELKTimebase_FromText(&tb, name.constData(), int32_t(name.size())) != ELK_OK) qFatal("bad timebase");
    return tb;
}

QByteArray baseName(const ELKTimebase_t& tb)
{
    char out[ELK_DURATION_TEXT_MAX];
    const int32_t n = ELKTimebase_ToText(&tb, out, sizeof out);
    return n < 0 ? QByteArray() : QByteArray(out, n);
}

ELKDuration_t duration(const QByteArray& tb, qint64 frames = 0)
{
    const ELKTimebase_t b = base(tb);
    ELKDuration_t d;
    ELKDuration_Init(&d, &b);
    d.frames = frames;
    return d;
}

// The text forms, written and read by one table each.
enum Form { Label, Clipboard, RealTime, Feet35, Feet16 };

QByteArray write(const ELKDuration_t& d, int form = Label)
{
    char out[ELK_DURATION_TEXT_MAX];
    int32_t n;
    if (form == RealTime)
        n = ELKDuration_ToRealTime(&d, out, sizeof out);
    else if (form >= Feet35)
        n = ELKDuration_ToFeet(&d, form == Feet35 ? ELK_FEET_35MM : ELK_FEET_16MM, out, sizeof out);
    else
        n = ELKDuration_ToText(&d, out, sizeof out, form == Clipboard ? ELK_TRUE : ELK_FALSE);
    return n < 0 ? QByteArray("error") : QByteArray(out, n);
}

// Reads from an exact-size copy (no zero byte after it). Gives the count, or
// "fault@offset" with the count checked unchanged.
QByteArray read(const QByteArray& tb, int form, const QByteArray& input)
{
    ELKDuration_t d = duration(tb, kUnchanged);
    const auto exact = exactCopy(input);
    const int32_t n = int32_t(input.size());
    int32_t at = -1;
    int8_t fault = ELK_DURATION_FAULT_NONE;
    int8_t r;
    if (form == RealTime)
        r = ELKDuration_FromRealTime(&d, exact.get(), n, &at, &fault);
    else if (form >= Feet35)
        r = ELKDuration_FromFeet(
            &d, form == Feet35 ? ELK_FEET_35MM : ELK_FEET_16MM, exact.get(), n, &at, &fault);
    else
        r = ELKDuration_FromText(&d, exact.get(), n, &at, &fault);
    if (r == ELK_OK) return QByteArray::number(d.frames);
    if (d.frames != kUnchanged) return "changed on error";
    return ELKDuration_FaultText(fault) + QByteArray("@") + QByteArray::number(at);
}

QByteArray escaped(const char* text)
{
    return QByteArray(text).replace('\t', "\\t").replace('\r', "\\r").replace('\n', "\\n");
}

// "12x at 25", or for a fault "unexpected character: 12x at 25".
QByteArray rowName(const char* input, const char* tb, const char* result = "")
{
    const char* at = std::strchr(result, '@');
    return (at ? QByteArray(result, int(at - result)) + ": " : QByteArray()) + escaped(input) + " at " + tb;
}

qint64 countOf(const ELKTimebase_t& tb, uint64_t h, uint64_t m, uint64_t s, uint64_t f)
{
    ELKDuration_t d;
    ELKDuration_Init(&d, &tb);
    if (ELKDuration_SetFields(&d, ELK_FALSE, h, m, s, f) != ELK_OK) return -1;
    return d.frames;
}

// The count of a label "[-]H:MM:SS;FF" worked out here: drop frame skips
// nominal/15 labels in every minute started but each tenth.
qint64 labelCount(const char* label, uint32_t nominal, bool dropFrame)
{
    const bool negative = *label == '-';
    unsigned long long h, m, s, f;
    if (std::sscanf(label + negative, "%llu:%llu:%llu%*[:;]%llu", &h, &m, &s, &f) != 4) qFatal("bad label");
    const unsigned long long minutes = h * 60 + m;
    unsigned long long n = (minutes * 60 + s) * nominal + f;
    if (dropFrame) n -= nominal / 15 * (minutes - minutes / 10);
    return negative ? -qint64(n) : qint64(n);
}
} // namespace

class TestDuration : public QObject
{
    Q_OBJECT

private slots:
    void timebaseText_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("written"); // empty: ELK_ERROR
        const char* rows[][2] = {
            { "29.97df", "29.97df" },
            { "29.97 DF", "29.97df" },
            { "59.94NDF", "59.94" },
            { "23.98", "23.976" },
            { "30000/1001", "29.97" },
            { "60000/1001df", "59.94df" },
            { " 120000/2002 Df\n", "59.94df" },
            { "24", "24" },
            { "100", "100" },
            { "2000/2", "1000" },
            { "90000/1001df", "90000/1001df" },
            { "1000000/999999", "1000000/999999" },
            { "30df", "" },
            { "23.976df", "" },
            { "25 ndf", "25" },
            { "0", "" },
            { "1001", "" },
            { "1000001/1000001", "" },
            { "29.970", "" },
            { "29.97 d", "" },
            { "", "" },
            { "df", "" },
            { "30000/", "" },
            { "/1001", "" },
            { "1/0", "" },
            { "18446744073709551617", "" },
        };
        for (const auto& row : rows)
            QTest::newRow(escaped(row[0]).constData()) << QByteArray(row[0]) << QByteArray(row[1]);
    }
    void timebaseText()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, written);
        ELKTimebase_t tb = base("25");
        const auto exact = exactCopy(input);
        const int8_t result = ELKTimebase_FromText(&tb, exact.get(), int32_t(input.size()));
        QCOMPARE(result, written.isEmpty() ? ELK_ERROR : ELK_OK);
        QCOMPARE(baseName(tb), written.isEmpty() ? QByteArray("25") : written);
    }

    void namedTimebases()
    {
        ELKTimebase_t tb;
        for (int i = 0; i < kNamedCount; ++i) {
            QCOMPARE(ELKTimebase_Named(&tb, i), ELK_OK);
            const ELKTimebase_t back = base(baseName(tb));
            QCOMPARE(ELKTimebase_Equal(&tb, &back), ELK_TRUE);
        }
        QCOMPARE(ELKTimebase_Named(&tb, kNamedCount), ELK_ERROR);
        QCOMPARE(ELKTimebase_FromRate(&tb, ELK_FR_2997DF), ELK_OK);
        QCOMPARE(baseName(tb), QByteArray("29.97df"));
        QCOMPARE(ELKTimebase_FromRate(&tb, ELKFrameRate_t(6)), ELK_ERROR);
    }

    // Every count of the calculator's day at its six rates: fields, clipboard
    // text and reading back agree with the time of day.
    void calculatorDay()
    {
        ELKString_t s;
        ELKString_Init(&s);
        for (int rate = ELK_FR_2397; rate <= ELK_FR_30; ++rate) {
            ELKTimecode_t tc = record(ELKFrameRate_t(rate));
            ELKDuration_t d, back;
            ELKDuration_FromTimecode(&d, &tc);
            back = d;
            const uint32_t day = rate == ELK_FR_2997DF ? ELK_DROPFRAME_DAY : 86400 * d.base.nominal;
            for (uint32_t n = 0; n < day; ++n) {
                tc.frames = n;
                d.frames = n;
                uint8_t expected[4];
                ELKTimecode_GetFields(&tc, expected, 4);
                ELKDurationFields_t f;
                ELKDuration_GetFields(&d, &f);
                char out[ELK_DURATION_TEXT_MAX];
                const int32_t length = ELKDuration_ToText(&d, out, sizeof out, ELK_TRUE);
                ELKTimecode_ToString(&tc, &s, ELK_FALSE);
                back.frames = -1;
                ELKDuration_FromText(&back, out, length, nullptr);
                if (f.hours != expected[0] || f.minutes != expected[1] || f.seconds != expected[2]
                    || f.frames != expected[3] || f.negative != ELK_FALSE || length != s.length
                    || std::memcmp(out, s.data, size_t(length)) != 0 || back.frames != n)
                    QFAIL(qPrintable(QString("rate %1, count %2: %3").arg(rate).arg(n).arg(out)));
            }
        }
        ELKString_Destroy(&s);
    }

    // Count to label and back against labels stepped one frame at a time.
    void dropFrameStepping_data()
    {
        QTest::addColumn<QByteArray>("tb");
        QTest::addColumn<qint64>("hours");
        QTest::newRow("29.97 DF, a day") << QByteArray("29.97df") << qint64(24);
        QTest::newRow("59.94 DF, a day") << QByteArray("59.94df") << qint64(24);
        QTest::newRow("119.88 DF, a day") << QByteArray("119.88df") << qint64(24);
        QTest::newRow("89.91 DF, an hour") << QByteArray("90000/1001df") << qint64(1);
    }
    void dropFrameStepping()
    {
        QFETCH(QByteArray, tb);
        QFETCH(qint64, hours);
        ELKDuration_t d = duration(tb);
        const uint32_t fps = d.base.nominal, skip = fps / 15;
        uint64_t h = 0, m = 0, s = 0, f = 0;
        for (int64_t n = 0; h < uint64_t(hours); ++n) {
            d.frames = n;
            ELKDurationFields_t got;
            ELKDuration_GetFields(&d, &got);
            if (got.hours != h || got.minutes != m || got.seconds != s || got.frames != f
                || countOf(d.base, h, m, s, f) != n)
                QFAIL(qPrintable(QString("count %1 is %2").arg(n).arg(::write(d).constData())));
            if (++f == fps) f = 0, ++s;
            if (s == 60) s = 0, ++m;
            if (m == 60) m = 0, ++h;
            if (m % 10 != 0 && s == 0 && f == 0) f = skip;
        }
    }

    // Both sides of every minute boundary of an hour, and the skipped labels.
    void dropFrameMinutes_data()
    {
        QTest::addColumn<QByteArray>("tb");
        QTest::newRow("59.94 DF") << QByteArray("59.94df");
        QTest::newRow("119.88 DF") << QByteArray("119.88df");
    }
    void dropFrameMinutes()
    {
        QFETCH(QByteArray, tb);
        const ELKTimebase_t b = base(tb);
        const uint64_t fps = b.nominal, skip = fps / 15;
        for (uint64_t m = 1; m <= 60; ++m) {
            const qint64 before = countOf(b, 0, m - 1, 59, fps - 1);
            const uint64_t first = m % 10 == 0 ? 0 : skip;
            QCOMPARE(countOf(b, 0, m, 0, first), before + 1);
            for (uint64_t f = 0; f < first; ++f)
                QCOMPARE(countOf(b, 0, m, 0, f), before + 1 - qint64(first - f));
        }
    }

    // Round trips through fields and text at every named timebase, near zero
    // and at both ends of the 64-bit range.
    void roundTrip_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < kNamedCount; ++i) {
            ELKTimebase_t tb;
            ELKTimebase_Named(&tb, i);
            QTest::newRow(baseName(tb).constData()) << i;
        }
    }
    void roundTrip()
    {
        QFETCH(int, index);
        ELKDuration_t d, back;
        ELKTimebase_Named(&d.base, index);
        back = d;
        const int64_t span = 660 * int64_t(d.base.nominal); // past a tenth minute
        const int64_t starts[] = { -span, INT64_MIN, INT64_MAX - 2 * span };
        for (int64_t start : starts) {
            for (int64_t n = start; n < start + 2 * span; ++n) {
                d.frames = n;
                ELKDurationFields_t f;
                ELKDuration_GetFields(&d, &f);
                char out[ELK_DURATION_TEXT_MAX];
                const int32_t length = ELKDuration_ToText(&d, out, sizeof out, ELK_FALSE);
                back.frames = kUnchanged;
                if (ELKDuration_SetFields(&back, f.negative, f.hours, f.minutes, f.seconds, f.frames)
                        != ELK_OK
                    || back.frames != n || ELKDuration_FromText(&back, out, length, nullptr) != ELK_OK
                    || back.frames != n)
                    QFAIL(qPrintable(QString("count %1 wrote %2").arg(n).arg(out)));
            }
        }
    }

    void read_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<QByteArray>("tb");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("count"); // or fault@offset
        const struct {
            Form form;
            const char *tb, *input, *count;
        } rows[] = {
            { Label, "59.94df", "00:40:00;00", "143856" },
            { Label, "59.94df", "00:42:00;04", "151052" },
            { Label, "29.97df", "00:01:00;00", "1798" },
            { Label, "29.97df", "00:00:90;00", "2698" }, // carries to 00:01:30;00 first
            { Label, "24", "25:00:00:00", "2160000" },
            { Label, "25", " \t1...\r\n", "90000" },
            { Label, "25", "1,2 3;4", "93079" },
            { Label, "25", "+90s", "2250" },
            { Label, "25", "-12f", "-12" },
            { Label, "25", "2H", "180000" },
            { Label, "25", "1h 30m", "135000" },
            { Label, "25", "2m10s4f", "3254" },
            { Label, "25", "-0", "0" },
            { Label, "1", "-9223372036854775808", "-9223372036854775808" },
            { Label, "1", "9223372036854775808", "value out of range@0" },
            { Label, "25", "-99999999999999999999", "value out of range@1" },
            { Label, "25", "106751991167300:38:45:08", "value out of range@0" },
            { Label, "25", "1:2:3:4:5", "more than four groups@7" },
            { Label, "25", "12x", "unexpected character@2" },
            { Label, "25", "1h30", "number without its unit@2" },
            { Label, "25", "30m1h", "unit out of place@4" },
            { Label, "25", "1:30s", "unit out of place@4" },
            { Label, "25", "h", "unit out of place@0" },
            { Label, "25", "", "empty value@0" },
            { Label, "25", " - ", "incomplete value@2" },
            { Label, "25", "::", "no digit@0" },
            { Label, "25", "1\t2", "unexpected character@1" },
            { RealTime, "25", "-90.5", "-2263" }, // -2262.5 rounds away from zero
            { RealTime, "25", "12", "300" },
            { RealTime, "25", "1:02:03.5", "93088" },
            { RealTime, "25", "2:03.250", "3081" },
            { RealTime, "25", "75:00", "112500" },
            { RealTime, "25", ".02", "1" },
            { RealTime, "25", "5.", "125" },
            { RealTime, "23.976", "0.02085416666666666666666666666666666666667", "1" }, // just past half
            { RealTime, "23.976", "0.02085416666666666666666666666666666666666", "0" },
            { RealTime, "25", "1:60.0", "minutes or seconds at or above 60@2" },
            { RealTime, "25", "1:2:3:4", "unexpected character@5" },
            { RealTime, "25", "1::2", "empty field@2" },
            { RealTime, "25", "01:02:03;04", "unexpected character@8" },
            { RealTime, "25", ".", "incomplete value@1" },
            { RealTime, "1000", "9999999999999999", "value out of range@0" },
            { Feet16, "24", " -3+5 ", "-125" },
            { Feet35, "24", "1+16", "frames at or above a foot@2" },
            { Feet35, "24", "12", "incomplete value@2" },
            { Feet16, "24", "1+2x", "unexpected character@3" },
            { Feet35, "24", "576460752303423488+0", "value out of range@0" },
        };
        for (const auto& row : rows)
            QTest::newRow(rowName(row.input, row.tb, row.count).constData())
                << int(row.form) << QByteArray(row.tb) << QByteArray(row.input) << QByteArray(row.count);
    }
    void read()
    {
        QFETCH(int, form);
        QFETCH(QByteArray, tb);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, count);
        QCOMPARE(::read(tb, form, input), count);
    }

    // Each written text also reads back to its count.
    void write_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<QByteArray>("tb");
        QTest::addColumn<qint64>("frames");
        QTest::addColumn<QByteArray>("written");
        const struct {
            Form form;
            const char* tb;
            qint64 frames;
            const char* written;
        } rows[] = {
            { Label, "25", -1, "-00:00:00:01" },
            { Label, "29.97df", 1800, "00:01:00;02" },
            { Clipboard, "29.97df", 1800, "00:01:00.02" },
            { Label, "120", 7, "00:00:00:007" },
            { Label, "100", 99, "00:00:00:99" },
            { Label, "24", 2160000, "25:00:00:00" },
            { Label, "1", INT64_MIN, "-2562047788015215:30:08:00" },
            { RealTime, "29.97", 108000, "1:00:03.600" },
            { RealTime, "400", -1, "-0:00:00.003" }, // 2.5 ms rounds away from zero
            { RealTime, "24", 0, "0:00:00.000" },
            { RealTime, "1/1000000", INT64_MIN, "-2562047788015215502222:13:20.000" },
            { Feet35, "24", 1455, "90+15" },
            { Feet16, "24", -125, "-3+05" },
            { Feet35, "24", INT64_MIN, "-576460752303423488+00" },
        };
        for (const auto& row : rows)
            QTest::newRow(rowName(row.written, row.tb).constData())
                << int(row.form) << QByteArray(row.tb) << row.frames << QByteArray(row.written);
    }
    void write()
    {
        QFETCH(int, form);
        QFETCH(QByteArray, tb);
        QFETCH(qint64, frames);
        QFETCH(QByteArray, written);
        const ELKDuration_t d = duration(tb, frames);
        QCOMPARE(::write(d, form), written);
        QCOMPARE(::read(tb, form, written), QByteArray::number(frames));
        char out[ELK_DURATION_TEXT_MAX];
        QCOMPARE(ELKDuration_ToText(&d, out, int32_t(::write(d).size()), ELK_FALSE), ELK_ERROR);
    }

    // One hour between every ordered pair of named timebases, against the
    // rational written out here: count x den1 x num2 / (num1 x den2).
    void convertRealTimeAllPairs()
    {
        for (int i = 0; i < kNamedCount; ++i) {
            for (int j = 0; j < kNamedCount; ++j) {
                ELKTimebase_t from, to;
                ELKTimebase_Named(&from, i);
                ELKTimebase_Named(&to, j);
                for (const int sign : { 1, -1 }) {
                    ELKDuration_t d;
                    ELKDuration_Init(&d, &from);
                    ELKDuration_SetFields(&d, sign < 0 ? ELK_TRUE : ELK_FALSE, 1, 0, 0, 0);
                    const quint64 top = quint64(sign * d.frames) * from.den * to.num;
                    const quint64 bottom = quint64(from.num) * to.den;
                    const qint64 expected
                        = sign * qint64(top / bottom + (2 * (top % bottom) >= bottom ? 1 : 0));
                    QCOMPARE(ELKDuration_ConvertRealTime(&d, &to), ELK_OK);
                    QCOMPARE(d.frames, expected);
                    QCOMPARE(ELKTimebase_Equal(&d.base, &to), ELK_TRUE);
                }
            }
        }
    }

    void convert_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<qint64>("frames");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<bool>("byLabel");
        QTest::addColumn<QByteArray>("result"); // text at the new timebase, or "error"
        QTest::newRow("40 min 59.94 DF to 23.976")
            << QByteArray("59.94df") << qint64(143856) << QByteArray("23.976") << false
            << QByteArray("00:39:57:14");
        QTest::newRow("by label, frames carry")
            << QByteArray("30") << qint64(29) << QByteArray("25") << true << QByteArray("00:00:01:04");
        QTest::newRow("by label into drop frame")
            << QByteArray("25") << qint64(-1500) << QByteArray("29.97df") << true
            << QByteArray("-00:00:59;28");
        QTest::newRow("running time overflow")
            << QByteArray("1") << qint64(INT64_MAX) << QByteArray("1000") << false << QByteArray("error");
        QTest::newRow("label overflow")
            << QByteArray("1") << qint64(INT64_MIN) << QByteArray("2") << true << QByteArray("error");
    }
    void convert()
    {
        QFETCH(QByteArray, from);
        QFETCH(qint64, frames);
        QFETCH(QByteArray, to);
        QFETCH(bool, byLabel);
        QFETCH(QByteArray, result);
        ELKDuration_t d = duration(from, frames);
        const ELKTimebase_t target = base(to);
        const int8_t r
            = byLabel ? ELKDuration_ConvertLabel(&d, &target) : ELKDuration_ConvertRealTime(&d, &target);
        QCOMPARE(r == ELK_OK ? ::write(d) : QByteArray("error"), result);
        if (r != ELK_OK) QCOMPARE(d.frames, frames);
    }

    // A value of frames alone is a count at every timebase; only seconds,
    // minutes or hours carry and drop.
    void loneCount_data()
    {
        QTest::addColumn<QByteArray>("tb");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("label");
        const char* rows[][3] = {
            { "29.97df", "1799", "00:00:59;29" },
            { "29.97df", "1800", "00:01:00;02" },
            { "29.97df", "17982", "00:10:00;00" },
            { "29.97df", "107892", "01:00:00;00" },
            { "29.97df", "-1800", "-00:01:00;02" },
            { "29.97df", "+17983", "00:10:00;01" },
            { "29.97df", "1800f", "00:01:00;02" },
            { "29.97df", "-107892F", "-01:00:00;00" },
            { "29.97df", "2589409", "24:00:00;01" }, // a day and a frame
            { "29.97df", "1:00", "00:00:01;00" },
            { "29.97df", "00:00:90;00", "00:01:30;00" },
            { "59.94df", "3600", "00:01:00;04" },
            { "59.94df", "-3600f", "-00:01:00;04" },
            { "59.94df", "215784", "01:00:00;00" },
            { "59.94df", "5178820", "24:00:00;04" },
            { "119.88df", "7200", "00:01:00;008" },
            { "119.88df", "-431568", "-01:00:00;000" },
            { "119.88df", "10357640f", "24:00:00;008" },
        };
        for (const auto& row : rows)
            QTest::newRow(rowName(row[1], row[0]).constData())
                << QByteArray(row[0]) << QByteArray(row[1]) << QByteArray(row[2]);
    }
    void loneCount()
    {
        QFETCH(QByteArray, tb);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, label);
        const ELKTimebase_t b = base(tb);
        const qint64 expected = labelCount(label.constData(), b.nominal, b.dropFrame == ELK_TRUE);
        QCOMPARE(::read(tb, Label, input), QByteArray::number(expected));
        ELKDuration_t d = duration(tb);
        QCOMPARE(ELKDuration_FromTextStrict(&d, input.constData(), int32_t(input.size()), nullptr, nullptr),
            ELK_OK);
        QCOMPARE(d.frames, expected);
        QCOMPARE(::write(d), label);
    }

    // The strict reading refuses labels drop frame skips, written or reached
    // by a carry, and gives them back; units are durations.
    void strict_data()
    {
        QTest::addColumn<QByteArray>("tb");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("result"); // the label read, or "error@offset" and the label skipped
        const char* rows[][3] = {
            { "29.97df", "00:01:00;00", "error@0 00:01:00;00" },
            { "29.97df", " -00:01:00;01", "error@1 -00:01:00;01" },
            { "29.97df", "00:00:60;00", "error@0 00:01:00;00" },
            { "29.97df", "0:1800", "error@0 00:01:00;00" },
            { "59.94df", "10:21:00;03", "error@0 10:21:00;03" },
            { "119.88df", "00:01:00;007", "error@0 00:01:00;007" },
            { "29.97df", "00:10:00;00", "00:10:00;00" }, { "29.97", "00:01:00:00", "00:01:00:00" },
            { "29.97df", "1m", "00:00:59;28" }, { "29.97df", "1m2f", "00:01:00;02" },
            { "29.97df", "1:2:3:4:5", "error@7" },
            { "119.88df", "77775070770077700:6", "error@0" }, // past 64 bits before skipped
        };
        for (const auto& row : rows)
            QTest::newRow(rowName(row[1], row[0]).constData())
                << QByteArray(row[0]) << QByteArray(row[1]) << QByteArray(row[2]);
    }
    void strict()
    {
        QFETCH(QByteArray, tb);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, result);
        ELKDuration_t d = duration(tb, kUnchanged);
        const auto exact = exactCopy(input);
        int32_t at = -1;
        ELKDurationFields_t f;
        int8_t fault = ELK_DURATION_FAULT_NONE;
        QByteArray got
            = ELKDuration_FromTextStrict(&d, exact.get(), int32_t(input.size()), &at, &f, &fault) == ELK_OK
            ? ::write(d)
            : d.frames == kUnchanged ? "error@" + QByteArray::number(at)
                                     : QByteArray("changed on error");
        if (ELKDuration_LabelExists(&d.base, &f) == ELK_FALSE)
            got += QString::asprintf(" %s%02llu:%02u:%02u;%0*u", f.negative == ELK_TRUE ? "-" : "",
                static_cast<unsigned long long>(f.hours), f.minutes, f.seconds, d.base.nominal > 100 ? 3 : 2,
                f.frames)
                       .toLatin1();
        QCOMPARE(got, result);
        QCOMPARE(
            fault == ELK_DURATION_FAULT_NO_SUCH_LABEL, ELKDuration_LabelExists(&d.base, &f) == ELK_FALSE);
    }

    void scale_data()
    {
        QTest::addColumn<qint64>("frames");
        QTest::addColumn<bool>("divide");
        QTest::addColumn<QByteArray>("factor");
        QTest::addColumn<qint64>("result"); // kUnchanged: ELK_ERROR
        const struct {
            qint64 frames;
            bool divide;
            const char* factor;
            qint64 result;
        } rows[] = {
            { 7, false, "3", 21 }, { -5, false, " -1.5 ", 8 }, // 7.5 rounds away from zero
            { 100, false, "2/3", 67 }, { -3, false, ".5", -2 }, { 10, true, "4", 3 }, { 10, true, "2/3", 15 },
            { INT64_MIN, true, "18446744073709551615", -1 }, // the largest factor, just past half
            { 10, true, "0.000", kUnchanged }, { 10, false, "1/0", kUnchanged },
            { INT64_MAX, false, "1.0000000001", kUnchanged }, { INT64_MIN, false, "-1", kUnchanged },
            { 1, false, "1.00000000000000000001", kUnchanged }, // more digits than 64 bits hold
        };
        for (const auto& row : rows)
            QTest::newRow(
                qPrintable(QString("%1 %2 %3").arg(row.frames).arg(row.divide ? '/' : '*').arg(row.factor)))
                << row.frames << row.divide << QByteArray(row.factor) << row.result;
        for (const char* bad : { "", "x", "1/", "/2", ".", "1e3", "2/-3", "1.5/2", "--1" })
            QTest::newRow(qPrintable(QString("not a number: '%1'").arg(bad)))
                << qint64(1) << false << QByteArray(bad) << kUnchanged;
    }
    void scale()
    {
        QFETCH(qint64, frames);
        QFETCH(bool, divide);
        QFETCH(QByteArray, factor);
        QFETCH(qint64, result);
        ELKDuration_t d = duration("25", frames);
        const auto exact = exactCopy(factor);
        const int32_t n = int32_t(factor.size());
        const int8_t r
            = divide ? ELKDuration_Divide(&d, exact.get(), n) : ELKDuration_Multiply(&d, exact.get(), n);
        QCOMPARE(r, result == kUnchanged ? ELK_ERROR : ELK_OK);
        QCOMPARE(d.frames, result == kUnchanged ? frames : result);
    }

    void addSubtract_data()
    {
        QTest::addColumn<QByteArray>("tb");
        QTest::addColumn<qint64>("a");
        QTest::addColumn<bool>("subtract");
        QTest::addColumn<qint64>("b");
        QTest::addColumn<qint64>("result"); // kUnchanged: ELK_ERROR
        QTest::newRow("1 + 2") << QByteArray("25") << qint64(1) << false << qint64(2) << qint64(3);
        QTest::newRow("1 - 2 goes below zero")
            << QByteArray("25") << qint64(1) << true << qint64(2) << qint64(-1);
        QTest::newRow("max + 1 overflows")
            << QByteArray("25") << qint64(INT64_MAX) << false << qint64(1) << kUnchanged;
        QTest::newRow("0 - min overflows")
            << QByteArray("25") << qint64(0) << true << qint64(INT64_MIN) << kUnchanged;
        QTest::newRow("min - -1 fits")
            << QByteArray("25") << qint64(INT64_MIN) << true << qint64(-1) << qint64(INT64_MIN + 1);
        QTest::newRow("two rates") << QByteArray("29.97") << qint64(1) << false << qint64(1) << kUnchanged;
    }
    void addSubtract()
    {
        QFETCH(QByteArray, tb);
        QFETCH(qint64, a);
        QFETCH(bool, subtract);
        QFETCH(qint64, b);
        QFETCH(qint64, result);
        ELKDuration_t x = duration("25", a);
        const ELKDuration_t y = duration(tb, b);
        const int8_t r = subtract ? ELKDuration_Subtract(&x, &y) : ELKDuration_Add(&x, &y);
        QCOMPARE(r, result == kUnchanged ? ELK_ERROR : ELK_OK);
        QCOMPARE(x.frames, result == kUnchanged ? a : result);
    }

    void skippedText_data()
    {
        QTest::addColumn<QByteArray>("tb");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("29.97df") << QByteArray("29.97df") << QByteArray("00:01:00;00")
                                 << QByteArray("00:01:00;00 does not exist at 29.97df");
        QTest::newRow("negative, by a carry") << QByteArray("59.94df") << QByteArray("-00:00:60;03")
                                              << QByteArray("-00:01:00;03 does not exist at 59.94df");
        QTest::newRow("three frame digits") << QByteArray("119.88df") << QByteArray("100:01:00;07")
                                            << QByteArray("100:01:00;007 does not exist at 119.88df");
    }
    void skippedText()
    {
        QFETCH(QByteArray, tb);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, text);
        ELKDuration_t d = duration(tb);
        ELKDurationFields_t skipped;
        int32_t at;
        QCOMPARE(ELKDuration_FromTextStrict(&d, input.constData(), -1, &at, &skipped), ELK_ERROR);
        char out[ELK_DURATION_TEXT_MAX + 32];
        const int32_t n = ELKDuration_SkippedText(&d.base, &skipped, out, sizeof out);
        QCOMPARE(QByteArray(out, qMax(n, 0)), text);
        QCOMPARE(ELKDuration_SkippedText(&d.base, &skipped, out, int32_t(text.size())), ELK_ERROR);
    }
};

QTEST_GUILESS_MAIN(TestDuration)
#include "tst_duration.moc"
