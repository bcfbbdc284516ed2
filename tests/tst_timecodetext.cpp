// SPDX-License-Identifier: MIT
#include <QtTest>

#include <memory>

#include "ELKTimecodeText.h"
#include "elk_test_support.h"

Q_DECLARE_METATYPE(ELKFrameRate_t)

namespace
{

// Parses bytes from an exact-size heap block with no zero byte after it.
int8_t parse(ELKTimecode_t* tc, const QByteArray& bytes)
{
    const auto exact = exactCopy(bytes);
    ELKString_t s;
    ELKString_InitWith(&s, bytes.isEmpty() ? nullptr : exact.get(), int32_t(bytes.size()));
    const int8_t result = ELKTimecode_FromString(tc, &s);
    ELKString_Destroy(&s);
    return result;
}

QByteArray format(const ELKTimecode_t& tc, int8_t colonBeforeFrames, int8_t* result = nullptr)
{
    ELKString_t s;
    ELKString_Init(&s);
    const int8_t r = ELKTimecode_ToString(&tc, &s, colonBeforeFrames);
    if (result) *result = r;
    const QByteArray text(s.data, s.length);
    ELKString_Destroy(&s);
    return text;
}

uint32_t frameCount(uint32_t h, uint32_t m, uint32_t s, uint32_t f)
{
    ELKTimecode_t tc = record(ELK_FR_30);
    ELKTimecode_Set(&tc, h, m, s, f);
    return tc.frames;
}

} // namespace

class TestTimecodeText : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { ELK_UseHeap(); }

    void format_data()
    {
        QTest::addColumn<ELKFrameRate_t>("rate");
        QTest::addColumn<uint>("frames");
        QTest::addColumn<int>("colonBeforeFrames");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("01:02:03.04") << ELK_FR_30 << 111694u << -3 << QByteArray("01:02:03.04");
        QTest::newRow("colon before frames") << ELK_FR_30 << 111694u << 3 << QByteArray("01:02:03:04");
        QTest::newRow("0 is not ELK_TRUE") << ELK_FR_30 << 111694u << 0 << QByteArray("01:02:03.04");
        QTest::newRow("1 is not ELK_TRUE") << ELK_FR_30 << 111694u << 1 << QByteArray("01:02:03.04");
        QTest::newRow("midnight") << ELK_FR_30 << 0u << -3 << QByteArray("00:00:00.00");
        QTest::newRow("last frame of the day") << ELK_FR_30 << 2591999u << -3 << QByteArray("23:59:59.29");
        QTest::newRow("drop frame label") << ELK_FR_2997DF << 1800u << -3 << QByteArray("00:01:00.02");
        QTest::newRow("drop frame last label")
            << ELK_FR_2997DF << 2589407u << -3 << QByteArray("23:59:59.29");
        QTest::newRow("beyond a day, two-digit hours")
            << ELK_FR_30 << 4294967295u << -3 << QByteArray("88:12:56.15");
        QTest::newRow("invalid rate reads midnight")
            << ELKFrameRate_t(9) << 1234u << -3 << QByteArray("00:00:00.00");
    }
    void format()
    {
        QFETCH(ELKFrameRate_t, rate);
        QFETCH(uint, frames);
        QFETCH(int, colonBeforeFrames);
        QFETCH(QByteArray, text);
        int8_t result = 0;
        QCOMPARE(::format(record(rate, frames), int8_t(colonBeforeFrames), &result), text);
        QCOMPARE(result, ELK_OK);
    }

    void formatFailures()
    {
        const ELKTimecode_t tc = record(ELK_FR_25, 4294967295u); // splits with 105 hours
        ELKString_t s;
        ELKString_Init(&s);
        ELKString_Assign(&s, "old text", -1);
        QCOMPARE(ELKTimecode_ToString(&tc, &s, ELK_FALSE), ELK_ERROR);
        QCOMPARE(ptr(s.data), ptr(&ELK_EmptyText)); // empty, never partly written; old text freed
        QCOMPARE(s.length, 0);
        QCOMPARE(ELKTimecode_ToString(&tc, nullptr, ELK_FALSE), ELK_ERROR);

        char block[11]; // one byte short of the text and its zero byte
        ELK_UseArena(block, sizeof block);
        const ELKTimecode_t ok = record(ELK_FR_30, 5);
        QCOMPARE(ELKTimecode_ToString(&ok, &s, ELK_FALSE), ELK_ERROR);
        QCOMPARE(ptr(s.data), ptr(&ELK_EmptyText));
        ELKString_Destroy(&s);
    }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<uint>("h");
        QTest::addColumn<uint>("m");
        QTest::addColumn<uint>("s");
        QTest::addColumn<uint>("f");
        QTest::addColumn<int>("result");
        QTest::newRow("colons") << QByteArray("01:02:03:04") << 1u << 2u << 3u << 4u << 2;
        QTest::newRow("dot before frames") << QByteArray("01:02:03.04") << 1u << 2u << 3u << 4u << 2;
        QTest::newRow("semicolon before frames") << QByteArray("01:02:03;04") << 1u << 2u << 3u << 4u << 2;
        QTest::newRow("blanks") << QByteArray("01 02 03 04") << 1u << 2u << 3u << 4u << 2;
        QTest::newRow("two groups: seconds and frames") << QByteArray("1:2") << 0u << 0u << 1u << 2u << 2;
        QTest::newRow("three groups") << QByteArray("1:2:3") << 0u << 1u << 2u << 3u << 2;
        QTest::newRow("lone number is frames") << QByteArray("123") << 0u << 0u << 0u << 123u << 2;
        QTest::newRow("out-of-range fields carry")
            << QByteArray("99:99:99:99") << 99u << 99u << 99u << 99u << 2;
        QTest::newRow("empty group is 0") << QByteArray("01::04") << 0u << 1u << 0u << 4u << 2;
        QTest::newRow("leading separator") << QByteArray(":04") << 0u << 0u << 0u << 4u << 2;
        QTest::newRow("leading blank") << QByteArray(" 01:02:03:04") << 1u << 2u << 3u << 4u << 2;
        QTest::newRow("fifth group ignored") << QByteArray("1:01:02:03:04") << 1u << 2u << 3u << 4u << 2;
        QTest::newRow("junk left of the fourth separator ignored")
            << QByteArray("x1:02:03:04:05") << 2u << 3u << 4u << 5u << 2;
        QTest::newRow("trailing blank") << QByteArray("01:02:03:04 ") << 1u << 2u << 3u << 4u << -2;
        QTest::newRow("trailing separator") << QByteArray("01:02:03:04:") << 1u << 2u << 3u << 4u << -2;
        QTest::newRow("trailing newline from the clipboard")
            << QByteArray("01:02:03.04\n") << 1u << 2u << 3u << 4u << -2;
        QTest::newRow("trailing letters") << QByteArray("12ab") << 0u << 0u << 0u << 12u << -2;
        QTest::newRow("leading letter") << QByteArray("x01:02:03:04") << 1u << 2u << 3u << 4u << -2;
        QTest::newRow("letter inside a group stops the walk")
            << QByteArray("01:02:0x3:04") << 0u << 0u << 3u << 4u << -2;
        QTest::newRow("units are not separators") << QByteArray("1h2m") << 0u << 0u << 0u << 2u << -2;
        QTest::newRow("minus is not a separator") << QByteArray("1-2") << 0u << 0u << 0u << 2u << -2;
        QTest::newRow("tab is not a separator") << QByteArray("1\t2") << 0u << 0u << 0u << 2u << -2;
        QTest::newRow("high bytes") << QByteArray("\x80\xff"
                                                  "1:2")
                                    << 0u << 0u << 1u << 2u << -2;
        QTest::newRow("'?' from a character with no 8-bit form")
            << QByteArray("1?2") << 0u << 0u << 0u << 2u << -2;
        QTest::newRow("largest group value")
            << QByteArray("4294967295") << 0u << 0u << 0u << 4294967295u << 2;
        QTest::newRow("overflowing group is an error")
            << QByteArray("1:4294967296") << 0u << 0u << 1u << 0u << -2;
        QTest::newRow("leading zeros do not overflow")
            << QByteArray("000000000000012") << 0u << 0u << 0u << 12u << 2;
    }
    void parse()
    {
        QFETCH(QByteArray, text);
        QFETCH(uint, h);
        QFETCH(uint, m);
        QFETCH(uint, s);
        QFETCH(uint, f);
        QFETCH(int, result);
        ELKTimecode_t tc = record(ELK_FR_30, 999, ELK_FALSE);
        QCOMPARE(int(::parse(&tc, text)), result);
        QCOMPARE(tc.frames, frameCount(h, m, s, f));
        QCOMPARE(tc.rate, ELK_FR_30);
        QCOMPARE(tc.labelMode, ELK_FALSE);
    }

    void parseWithoutDigits_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("letters") << QByteArray("ab");
        QTest::newRow("lone colon") << QByteArray(":");
        QTest::newRow("only separators") << QByteArray(" .:; ");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("tabs and newlines") << QByteArray("\t\n\r\n");
        QTest::newRow("high bytes") << QByteArray("\x80\x9f\xc3\xa9\xff");
    }
    void parseWithoutDigits()
    {
        QFETCH(QByteArray, text);
        // An invalid rate shows that frames is zeroed directly, not through the arithmetic.
        ELKTimecode_t tc = record(ELKFrameRate_t(6), 999);
        QCOMPARE(::parse(&tc, text), ELK_ERROR);
        QCOMPARE(tc.frames, 0u);
    }

    void parseNullString()
    {
        ELKTimecode_t tc = record(ELK_FR_30, 999);
        QCOMPARE(ELKTimecode_FromString(&tc, nullptr), ELK_ERROR);
        QCOMPARE(tc.frames, 999u);
        ELKString_t released;
        ELKString_Init(&released);
        ELKString_Destroy(&released);
        QCOMPARE(ELKTimecode_FromString(&tc, &released), ELK_ERROR);
        QCOMPARE(tc.frames, 0u);
    }

    void parseLongInput()
    {
        ELKTimecode_t tc = record(ELK_FR_30);
        const QByteArray digits(10000, '9');
        QCOMPARE(::parse(&tc, digits), ELK_ERROR); // overflows, still sets a time of day
        QVERIFY(tc.frames < 2592000);

        QByteArray megabyte(1 << 20, ':');
        megabyte.replace(megabyte.size() - 11, 11, "01:02:03:04");
        QCOMPARE(::parse(&tc, megabyte), ELK_OK);
        QCOMPARE(tc.frames, 111694u);

        QByteArray noise(1 << 20, '\0');
        for (int i = 0; i < noise.size(); ++i) noise[i] = char((i * 7919) & 0xff);
        ::parse(&tc, noise);
        QVERIFY(tc.frames < 2592000);
    }

    void parseUsesRateAndLabelMode_data()
    {
        QTest::addColumn<ELKFrameRate_t>("rate");
        QTest::addColumn<int>("labelMode");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<uint>("frames");
        QTest::newRow("25") << ELK_FR_25 << 3 << QByteArray("01:00:00:00") << 90000u;
        QTest::newRow("drop frame label") << ELK_FR_2997DF << 3 << QByteArray("00:10:00;00") << 17982u;
        QTest::newRow("drop frame, count mode") << ELK_FR_2997DF << -3 << QByteArray("00:10:00;00") << 18000u;
        QTest::newRow("drop frame wraps at its day")
            << ELK_FR_2997DF << -3 << QByteArray("23:59:59;29") << 2591u;
        QTest::newRow("invalid rate keeps zero")
            << ELKFrameRate_t(-1) << 3 << QByteArray("01:00:00:00") << 0u;
    }
    void parseUsesRateAndLabelMode()
    {
        QFETCH(ELKFrameRate_t, rate);
        QFETCH(int, labelMode);
        QFETCH(QByteArray, text);
        QFETCH(uint, frames);
        ELKTimecode_t tc = record(rate, 5, int8_t(labelMode));
        ::parse(&tc, text);
        QCOMPARE(tc.frames, frames);
        QCOMPARE(tc.rate, rate);
        QCOMPARE(int(tc.labelMode), labelMode);
    }

    // Text written for every count of the day reads back to the same count.
    void everyCountReadsBack()
    {
        for (int r = ELK_FR_2397; r <= ELK_FR_30; ++r) {
            const auto rate = ELKFrameRate_t(r);
            const uint32_t day = rate == ELK_FR_2997DF
                ? ELK_DROPFRAME_DAY
                : uint32_t(ELK_Ceil(ELKTimecode_RateToFps(rate))) * 86400;
            ELKTimecode_t tc = record(rate);
            for (uint32_t n = 0; n < day; ++n) {
                tc.frames = n;
                ELKString_t s;
                ELKString_Init(&s);
                const int8_t written = ELKTimecode_ToString(&tc, &s, n % 2 ? ELK_TRUE : ELK_FALSE);
                tc.frames = 12345;
                const int8_t read = ELKTimecode_FromString(&tc, &s);
                ELKString_Destroy(&s);
                if (written != ELK_OK || read != ELK_OK || tc.frames != n)
                    QFAIL(qPrintable(
                        QString("rate %1 count %2 reads back as %3").arg(r).arg(n).arg(tc.frames)));
            }
        }
    }

    // In count mode a drop-frame label reads back at the nominal 30 frames a
    // second: ahead by the labels skipped so far.
    void dropFrameCountModeReadsAhead_data()
    {
        QTest::addColumn<uint>("written");
        QTest::addColumn<uint>("read");
        QTest::newRow("first minute: no labels skipped") << 1799u << 1799u;
        QTest::newRow("00:01:00;02") << 1800u << 1802u;
        QTest::newRow("00:10:00;00") << 17982u << 18000u;
        QTest::newRow("last label wraps at the drop-frame day") << 2589407u << 2591u;
    }
    void dropFrameCountModeReadsAhead()
    {
        QFETCH(uint, written);
        QFETCH(uint, read);
        ELKTimecode_t tc = record(ELK_FR_2997DF, written, ELK_FALSE);
        ::parse(&tc, ::format(tc, ELK_FALSE));
        QCOMPARE(tc.frames, read);
    }
};

QTEST_GUILESS_MAIN(TestTimecodeText)
#include "tst_timecodetext.moc"
