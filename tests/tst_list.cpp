// SPDX-License-Identifier: MIT
#include <QtTest>

#include "ELKInput.h"
#include "ELKListBuilder.h"
#include "ELKString.h"
#include "ELKText.h"
#include "elk_test_support.h"
#include "list_description.h"

namespace
{

ELKTimebase_t timebase(const char* name)
{
    ELKTimebase_t tb;
    ELKTimebase_FromText(&tb, name, -1);
    return tb;
}

QByteArray pool(const ELKList_t& l, int64_t at, int32_t length)
{
    return QByteArray(l.text + at, length);
}

// A count as the label it is at the list's timebase: "00:12:34:05".
QByteArray label(const ELKList_t& l, int64_t frames)
{
    ELKDuration_t d;
    ELKDuration_Init(&d, &l.base);
    d.frames = frames;
    char out[ELK_DURATION_TEXT_MAX];
    return QByteArray(out, ELKDuration_ToText(&d, out, sizeof out, ELK_FALSE));
}

// "line label/track in-out duration", in and out only where given.
QByteArray entries(const ELKList_t& l)
{
    QByteArrayList out;
    for (int64_t i = 0; i < l.entryCount; ++i) {
        const ELKListEntry_t& e = l.entries[i];
        QByteArray s = QByteArray::number(e.line) + ' ' + pool(l, e.label, e.labelLength);
        if (e.trackLength) s += '/' + pool(l, e.track, e.trackLength);
        if (e.hasInOut == ELK_TRUE) s += ' ' + label(l, e.in) + '-' + label(l, e.out);
        out << s + ' ' + label(l, e.duration);
    }
    return out.join("; ");
}

QByteArray reason(const ELKList_t& l, const ELKListError_t& e)
{
    char text[ELK_LIST_REASON_MAX];
    return QByteArray(text, ELKList_ErrorText(&l, &e, text, sizeof text));
}

QByteArray errors(const ELKList_t& l)
{
    QByteArrayList out;
    for (int64_t i = 0; i < l.errorCount; ++i) {
        const ELKListError_t& e = l.errors[i];
        out << QByteArray::number(e.line) + ':' + QByteArray::number(e.column) + ' ' + reason(l, e);
    }
    return out.join("; ");
}

// "sum S unique U | track sum unique | ..."
QByteArray totals(const ELKList_t& l)
{
    QByteArray s
        = "sum " + label(l, l.sum) + " unique " + (l.hasUnique == ELK_TRUE ? label(l, l.unique) : "-");
    for (int32_t i = 0; i < l.trackCount; ++i) {
        const ELKListTrack_t& t = l.tracks[i];
        s += " | " + pool(l, t.name, t.nameLength) + ' ' + label(l, t.sum) + ' ' + label(l, t.unique);
    }
    return s;
}

// "format name rate entries/errors/left out total unique length" per input, '-' for none.
QByteArray inputs(const ELKList_t& l)
{
    static const char* const formats[]
        = { "none", "list", "edl", "fcpxml", "xmeml", "otio", "ale", "srt", "vtt" };
    QByteArrayList out;
    for (int32_t i = 0; i < l.inputs; ++i) {
        const ELKListInput_t& in = l.inputList[i];
        char rate[ELK_DURATION_TEXT_MAX] = "-";
        if (in.hasRate == ELK_TRUE) ELKTimebase_ToText(&in.rate, rate, sizeof rate);
        const auto maybe = [&](int8_t has, int64_t n) { return has == ELK_TRUE ? label(l, n) : "-"; };
        out << QByteArray(formats[in.format]) + ' '
                + (in.hasName == ELK_TRUE ? pool(l, in.name, in.nameLength) : "-") + ' ' + rate + ' '
                + QByteArray::number(in.entries) + '/' + QByteArray::number(in.errors) + '/'
                + QByteArray::number(in.leftOut) + ' ' + label(l, in.total) + ' '
                + maybe(in.hasUnique, in.unique) + ' ' + maybe(in.hasLength, in.length);
    }
    return out.join("; ");
}

int8_t readExact(ELKList_t* l, const QByteArray& text)
{
    const auto exact = exactCopy(text);
    return ELKList_Read(l, exact.get(), text.size());
}

// Reads texts as inputs of one list at rate.
void readAll(ELKList_t* l, const char* rate, const QByteArrayList& texts)
{
    const ELKTimebase_t tb = timebase(rate);
    ELKList_Init(l, &tb);
    for (const QByteArray& t : texts) {
        const ELKText_t text { t.constData(), t.size(), nullptr, ELK_TEXT_UTF8, ELK_LINE_LF, ELK_FALSE };
        ELKInput_ReadText(l, &text, nullptr);
    }
}

const QByteArray kEvent1 = "001  R1  V  C  00:00:00:00 00:00:01:00 01:00:00:00 01:00:01:00\n";

} // namespace

class TestList : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { ELK_UseHeap(); }

    void read_data()
    {
        QTest::addColumn<QByteArray>("rate");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("entries");
        QTest::addColumn<QByteArray>("errors");
        QTest::addColumn<QByteArray>("totals");

        // Plain lists.
        QTest::newRow("csv, minutes-seconds-frames, signed duration, heading, comment, labels with numbers")
            << QByteArray("25")
            << QByteArray("Reel lengths\nAct 1,00:12:34:05\nAct 2\t10:00:00\nTrim -00:00:10:00\n"
                          "  # 99:99:99:99\n\nScene 12 Version 1.5 +00:00:01:00\n")
            << QByteArray("2 Act 1 00:12:34:05; 3 Act 2 00:10:00:00; 4 Trim -00:00:10:00; "
                          "7 Scene 12 Version 1.5 00:00:01:00")
            << QByteArray() << QByteArray("sum 00:22:25:05 unique -");
        QTest::newRow("in and out across midnight adds a drop-frame day")
            << QByteArray("29.97df")
            << QByteArray("Night 23:59:59;29 00:00:00;00\nDay 00:00:10;00 00:00:20;00")
            << QByteArray("1 Night 23:59:59;29-00:00:00;00 00:00:00;01; "
                          "2 Day 00:00:10;00-00:00:20;00 00:00:10;00")
            << QByteArray() << QByteArray("sum 00:00:10;01 unique 00:00:10;01");
        QTest::newRow("byte-order mark, CRLF and CR line ends")
            << QByteArray("25")
            << QByteArray("\xEF\xBB\xBF"
                          "A 00:00:01:00\r\nB 00:00:02:00\r\rC 00:00:03:00\r")
            << QByteArray("1 A 00:00:01:00; 2 B 00:00:02:00; 4 C 00:00:03:00") << QByteArray()
            << QByteArray("sum 00:00:06:00 unique -");
        QTest::newRow("three-digit frames above 100 fps")
            << QByteArray("120") << QByteArray("a 00:00:01:100\n") << QByteArray("1 a 00:00:01:100")
            << QByteArray() << QByteArray("sum 00:00:01:100 unique -");
        QTest::newRow("a total past 64 bits is an error, never wrapped")
            << QByteArray("25") << QByteArray("b 100000000000000:00:00:00\nc 100000000000000:00:00:00\n")
            << QByteArray("1 b 100000000000000:00:00:00") << QByteArray("2:3 total too large")
            << QByteArray("sum 100000000000000:00:00:00 unique -");
        QTest::newRow("a NUL byte: not a text file, nothing totalled")
            << QByteArray("25") << QByteArray("A 00:00:01:00\n\0B 00:00:01:00\n", 29) << QByteArray()
            << QByteArray("0:0 not a text file") << QByteArray("sum 00:00:00:00 unique -");
        QTest::newRow("a line over 1 MiB is too long, and the next is read")
            << QByteArray("25") << QByteArray(ELK_LINE_MAX + 1, '1') + "\nA 00:00:01:00\n"
            << QByteArray("2 A 00:00:01:00") << QByteArray("1:1 line too long")
            << QByteArray("sum 00:00:01:00 unique -");
        QTest::newRow("empty") << QByteArray("25") << QByteArray() << QByteArray() << QByteArray()
                               << QByteArray("sum 00:00:00:00 unique -");
        QTest::newRow("in, out and the duration that confirms them; a zero-length marker")
            << QByteArray("25")
            << QByteArray("Name\tIn\tOut\tDuration\nA\t00:00:01:00\t00:00:03:00\t00:00:02:00\n"
                          "B 23:59:59:24 00:00:00:24 00:00:01:00\nC 00:00:05:00 00:00:05:00 00:00:00:00\n")
            << QByteArray("2 A 00:00:01:00-00:00:03:00 00:00:02:00; 3 B 23:59:59:24-00:00:00:24 00:00:01:00; "
                          "4 C 00:00:05:00-00:00:05:00 00:00:00:00")
            << QByteArray() << QByteArray("sum 00:00:03:00 unique 00:00:03:00");

        // Subtitles: each end rounded once (ms x num / (1000 x den), halves away from zero).
        QTest::newRow("SubRip at 25, CRLF and a mark: 4.5 s is 112.5 frames, so 113")
            << QByteArray("25")
            << QByteArray("\xEF\xBB\xBF"
                          "1\r\n00:00:01,000 --> 00:00:04,500\r\nHi\r\n\r\n"
                          "2\r\n00:00:04,520 --> 00:00:06,000\r\nTwo lines\r\nof text\r\n")
            << QByteArray("2 Hi 00:00:01:00-00:00:04:13 00:00:03:13; 6 Two lines 00:00:04:13-00:00:06:00 "
                          "00:00:01:12")
            << QByteArray() << QByteArray("sum 00:00:05:00 unique 00:00:05:00");
        QTest::newRow("SubRip at 29.97df: a minute of running time is 1798.2 frames")
            << QByteArray("29.97df") << QByteArray("\n\n7\n00:00:00,000 --> 00:01:00,000\nA\n")
            << QByteArray("4 A 00:00:00;00-00:00:59;28 00:00:59;28") << QByteArray()
            << QByteArray("sum 00:00:59;28 unique 00:00:59;28");
        QTest::newRow("WebVTT at 23.976: hours optional, settings and identifiers are no times")
            << QByteArray("23.976")
            << QByteArray("WEBVTT\n\nintro\n00:00.000 --> 00:01.001 align:end line:0\nA\n\n"
                          "00:00:01.001 --> 00:00:02.002\nB\n")
            << QByteArray("4 A 00:00:00:00-00:00:01:00 00:00:01:00; 7 B 00:00:01:00-00:00:02:00 00:00:01:00")
            << QByteArray() << QByteArray("sum 00:00:02:00 unique 00:00:02:00");
        QTest::newRow("overlapping cues count once in the unique length; a cue without text")
            << QByteArray("25")
            << QByteArray("1\n00:00:00,000 --> 00:00:02,000\nA\n\n2\n00:00:01,000 --> 00:00:03,000\n\n"
                          "3\n00:00:04,000 --> 00:00:04,000\nC\n")
            << QByteArray("2 A 00:00:00:00-00:00:02:00 00:00:02:00; 6  00:00:01:00-00:00:03:00 00:00:02:00; "
                          "9 C 00:00:04:00-00:00:04:00 00:00:00:00")
            << QByteArray() << QByteArray("sum 00:00:04:00 unique 00:00:03:00");

        // EDLs.
        QTest::newRow("dissolve: a zero-length cut, then the D line with the same number")
            << QByteArray("25")
            << QByteArray("TITLE: CUT\n" + kEvent1
                   + "002  R1  V  C        00:00:05:00 00:00:05:00 01:00:01:00 01:00:01:00\n"
                     "002  R2  V  D    025 00:00:10:00 00:00:15:00 01:00:01:00 01:00:06:00\n")
            << QByteArray(
                   "2 R1/V 01:00:00:00-01:00:01:00 00:00:01:00; 3 R1/V 01:00:01:00-01:00:01:00 00:00:00:00; "
                   "4 R2/V 01:00:01:00-01:00:06:00 00:00:05:00")
            << QByteArray() << QByteArray("sum 00:00:06:00 unique 00:00:06:00 | V 00:00:06:00 00:00:06:00");
        QTest::newRow("audio tracks, overlapping events, wipes and keys, tabs and long reel names")
            << QByteArray("25")
            << QByteArray("001 R1 A C 00:00:00:00 00:00:10:00 01:00:00:00 01:00:10:00\n"
                          "002 R1 A2 W001 010 00:00:00:00 00:00:10:00 01:00:00:00 01:00:10:00\n"
                          "003\tA LONG REEL\tA\tKB 005\t00:00:00:00 00:00:10:00 01:00:05:00 01:00:15:00  \n"
                          "004   R3   AA/V   KO 010   00:00:00:00 00:00:01:00 01:00:20:00 01:00:21:00\n")
            << QByteArray(
                   "1 R1/A 01:00:00:00-01:00:10:00 00:00:10:00; 2 R1/A2 01:00:00:00-01:00:10:00 00:00:10:00; "
                   "3 A LONG REEL/A 01:00:05:00-01:00:15:00 00:00:10:00; "
                   "4 R3/AA/V 01:00:20:00-01:00:21:00 00:00:01:00")
            << QByteArray()
            << QByteArray("sum 00:00:31:00 unique 00:00:16:00 | A 00:00:20:00 00:00:15:00 | "
                          "A2 00:00:10:00 00:00:10:00 | AA/V 00:00:01:00 00:00:01:00");
        QTest::newRow("FCM switches the reading; ';' alone does not")
            << QByteArray("29.97")
            << QByteArray("001 R V C 00:00:00;00 00:00:01;00 00:01:00;00 00:01:00;02\n"
                          "FCM: DROP FRAME\n"
                          "002 R V C 00:00:00;00 00:00:01;00 00:01:00;02 00:01:00;04\n"
                          "003 R V C 00:00:00;00 00:00:01;00 00:10:00;00 00:10:00;01\n"
                          "FCM:  Non-Drop Frame\n"
                          "005 R V C 00:00:00:00 00:00:01:00 00:01:00:00 00:01:00:02\n")
            << QByteArray(
                   "1 R/V 00:01:00:00-00:01:00:02 00:00:00:02; 3 R/V 00:01:00:00-00:01:00:02 00:00:00:02; "
                   "4 R/V 00:09:59:12-00:09:59:13 00:00:00:01; 6 R/V 00:01:00:00-00:01:00:02 00:00:00:02")
            << QByteArray() << QByteArray("sum 00:00:00:07 unique 00:00:00:03 | V 00:00:00:07 00:00:00:03");
        QTest::newRow("FCM changes nothing without a drop-frame form")
            << QByteArray("25") << QByteArray("FCM: DROP FRAME\n" + kEvent1)
            << QByteArray("2 R1/V 01:00:00:00-01:00:01:00 00:00:01:00") << QByteArray()
            << QByteArray("sum 00:00:01:00 unique 00:00:01:00 | V 00:00:01:00 00:00:01:00");
        QTest::newRow("drop-frame EDL with source times at another rate")
            << QByteArray("29.97df")
            << QByteArray("TITLE: DF\r\nFCM: DROP FRAME\r\n"
                          "001 SND A C 00:00:00:59 00:00:01:59 00:59:59;29 01:00:00;00\r\n")
            << QByteArray("3 SND/A 00:59:59;29-01:00:00;00 00:00:00;01") << QByteArray()
            << QByteArray("sum 00:00:00;01 unique 00:00:00;01 | A 00:00:00;01 00:00:00;01");
        QTest::newRow("notes of every kind")
            << QByteArray("25")
            << QByteArray(
                   "TITLE: NOTES\nFCM: NON-DROP FRAME\n* FROM CLIP NAME: A.MOV 00:00:00:99\n"
                   "M2   R1       050.0                00:00:00:00\nAUD  3    4\n>>> SOURCE R1 R1.MOV\n"
                   "REM note\nEFFECTS NAME IS CROSS DISSOLVE\nSPLIT:    AUDIO DELAY=  00:00:00:12\n\n"
                   + kEvent1)
            << QByteArray("11 R1/V 01:00:00:00-01:00:01:00 00:00:01:00") << QByteArray()
            << QByteArray("sum 00:00:01:00 unique 00:00:01:00 | V 00:00:01:00 00:00:01:00");
    }

    void read()
    {
        QFETCH(QByteArray, rate);
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, entries);
        QFETCH(QByteArray, errors);
        QFETCH(QByteArray, totals);
        const ELKTimebase_t tb = timebase(rate.constData());
        ELKList_t l;
        ELKList_Init(&l, &tb);
        const int8_t result = readExact(&l, text);
        QCOMPARE(::entries(l), entries);
        QCOMPARE(::errors(l), errors);
        QCOMPARE(::totals(l), totals);
        QCOMPARE(result, errors.isEmpty() ? ELK_OK : ELK_ERROR);
        for (int64_t i = 0; i < l.entryCount; ++i)
            QCOMPARE(l.entries[i].running, (i ? l.entries[i - 1].running : 0) + l.entries[i].duration);
        ELKList_Destroy(&l);
    }

    // One line that cannot be read, between lines that can: the error and its column.
    void fault_data()
    {
        QTest::addColumn<QByteArray>("rate");
        QTest::addColumn<bool>("edl");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("error"); // column and reason
        const struct {
            const char* name;
            const char* rate;
            bool edl;
            const char* line;
            const char* error;
        } rows[] = {
            { "minutes at 60", "25", false, "x 00:60:00:00", "6 minutes 60 at or above 60" },
            { "seconds past 60", "25", false, "00:00:75:00", "7 seconds 75 at or above 60" },
            { "frames past the rate", "25", false, "00:00:00:29", "10 frames 29 at 25 fps" },
            { "frames past 120 fps", "120", false, "b 00:00:00:120", "12 frames 120 at 120 fps" },
            { "one-digit frames", "25", false, "bad 00:10:00:0", "14 frames need two digits" },
            { "four-digit frames above 100 fps", "120", false, "c 00:00:00:1000",
                "12 frames need two or three digits" },
            { "a one-digit middle group", "25", false, "bad 00:1:00:00", "8 a digit group needs two digits" },
            { "column in UTF-8 characters", "25", false, "Caf\xC3\xA9 00:00:0:00",
                "12 a digit group needs two digits" },
            { "column in Latin-1 bytes", "25", false, "Caf\xE9 00:00:0:00",
                "12 a digit group needs two digits" },
            { "a duration that is not out - in", "25", false, "3 00:00:01:00 00:00:02:00 00:00:03:00",
                "27 duration 00:00:03:00 does not match out \xE2\x88\x92 in 00:00:01:00" },
            { "four times on a line", "25", false, "4 00:00:01:00 00:00:02:00 00:00:01:00 00:00:01:00",
                "27 three or more times on a line" },
            { "a sign on a duration beside in and out", "25", false, "5 00:00:01:00 00:00:02:00 -00:00:01:00",
                "27 sign on an in or out time" },
            { "a sign on an in time", "25", false, "sign -00:00:01:00 00:00:02:00",
                "6 sign on an in or out time" },
            { "five digit groups", "25", false, "five 00:00:00:00:00", "18 more than four digit groups" },
            { "a letter in a time", "25", false, "stray 00:00:0x:00", "14 stray character in a time" },
            { "out more than a day before in", "25", false, "late 48:00:00:00 01:00:00:00",
                "18 out more than a day before in" },
            { "a time past 64 bits", "25", false, "a 99999999999999999999:00:00:00", "3 time too large" },
            { "an event of three times", "25", true, "001 R V C 00:00:00:00 00:00:01:00 01:00:00:00",
                "9 event line does not end in four times" },
            { "record out before record in", "25", true,
                "002 R V C 00:00:00:00 00:00:01:00 01:00:05:00 01:00:04:00",
                "47 record out before record in" },
            { "an unknown transition", "25", true,
                "003 R V X 00:00:00:00 00:00:01:00 01:00:00:00 01:00:01:00",
                "9 no transition before the times" },
            { "a dissolve without its duration", "25", true,
                "004 R V D 00:00:00:00 00:00:01:00 01:00:00:00 01:00:01:00",
                "9 transition without its duration" },
            { "an unknown track", "25", true, "005 R Q C 00:00:00:00 00:00:01:00 01:00:00:00 01:00:01:00",
                "7 no track before the transition" },
            { "no reel", "25", true, "006 V C 00:00:00:00 00:00:01:00 01:00:00:00 01:00:01:00",
                "5 no reel before the track" },
            { "three-digit record frames at 25", "25", true,
                "007 R V C 00:00:00:00 00:00:01:00 01:00:00:00 01:00:01:100", "56 frames need two digits" },
            { "record frames past the rate", "25", true,
                "008 R V C 00:00:00:00 00:00:01:00 01:00:00:25 01:00:01:00", "44 frames 25 at 25 fps" },
            { "a one-digit hour", "25", true, "009 R V C 0:00:00:00 00:00:01:00 01:00:00:00 01:00:01:00",
                "11 a digit group needs two digits" },
            { "a drop-frame label that does not exist", "29.97df", true,
                "004 R V C 00:00:00;00 00:00:01;00 00:01:00;00 00:01:00;04",
                "35 00:01:00;00 does not exist at 29.97df" },
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << QByteArray(row.rate) << row.edl << QByteArray(row.line)
                                    << QByteArray(row.error);
    }
    void fault()
    {
        QFETCH(QByteArray, rate);
        QFETCH(bool, edl);
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, error);
        const ELKTimebase_t tb = timebase(rate.constData());
        ELKList_t l;
        ELKList_Init(&l, &tb);
        const QByteArray good = edl ? kEvent1 : QByteArray("ok 00:00:01:00\n");
        QCOMPARE(readExact(&l, (edl ? "TITLE: X\n" : "") + good + line + '\n' + good), ELK_ERROR);
        QCOMPARE(errors(l), QByteArray::number(edl ? 3 : 2) + ':' + error);
        QCOMPARE(l.entryCount, 2);
        ELKList_Destroy(&l);
    }

    // One SubRip cue timing that cannot be read, between cues that can: its error and
    // column, and its text is no label.
    void cueFault_data()
    {
        QTest::addColumn<QByteArray>("timing");
        QTest::addColumn<QByteArray>("error"); // column and reason
        const char* const cueTime = "a cue time is written 00:01:02,500 or 00:01:02.500";
        const char* rows[][3] = {
            { "no milliseconds", "00:00:01 --> 00:00:02,000", "1" },
            { "two-digit milliseconds", "00:00:01,000 --> 00:00:02,00", "27" },
            { "a letter after the end", "00:00:01,000 --> 00:00:02,000x", "30" },
            { "four groups before the milliseconds", "1:00:00:01,000 --> 00:00:02,000", "9" },
            { "a one-digit second", "00:00:1,000 --> 00:00:02,000", "7" },
            { "no end", "00:00:01,000 -->", "17" },
            { "no start", " --> 00:00:01,000", "2" },
        };
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QByteArray(row[1]) << QByteArray(row[2]) + ' ' + cueTime;
        QTest::newRow("minutes past 59")
            << QByteArray("00:61:00,000 --> 00:62:00,000") << QByteArray("4 minutes 61 at or above 60");
        QTest::newRow("seconds past 59 without hours")
            << QByteArray("00:00,000 --> 00:75,000") << QByteArray("18 seconds 75 at or above 60");
        QTest::newRow("an end before its start")
            << QByteArray("00:00:05,000 --> 00:00:04,999") << QByteArray("18 cue ends before it starts");
        QTest::newRow("an arrow of one dash")
            << QByteArray("00:00:01,000 -> 00:00:02,000") << QByteArray("1 no --> between the cue times");
        QTest::newRow("hours past 64 bits of milliseconds")
            << QByteArray("99999999999999:00:00,000 --> 99999999999999:00:01,000")
            << QByteArray("1 time too large");
    }
    void cueFault()
    {
        QFETCH(QByteArray, timing);
        QFETCH(QByteArray, error);
        const ELKTimebase_t tb = timebase("25");
        ELKList_t l;
        ELKList_Init(&l, &tb);
        const QByteArray text = "1\n00:00:01,000 --> 00:00:02,000\nA\n\n2\n" + timing
            + "\nB 00:00:09:00\n\n3\n00:00:03,000 --> 00:00:04,000\nC\n";
        QCOMPARE(readExact(&l, text), ELK_ERROR);
        QCOMPARE(l.inputList[0].format, int8_t(ELK_FORMAT_SRT));
        QCOMPARE(errors(l), "6:" + error);
        QCOMPARE(entries(l),
            QByteArray("2 A 00:00:01:00-00:00:02:00 00:00:01:00; 10 C 00:00:03:00-00:00:04:00 00:00:01:00"));
        ELKList_Destroy(&l);
    }

    // What people paste and editors export, read as a file is: each time is counted or is an
    // error at its column, never lost as text.
    void paste_data()
    {
        QTest::addColumn<QByteArray>("text"); // the file; null for a folder
        QTest::addColumn<QByteArray>("read"); // "[label] duration; ...", or the errors
        const char* rows[][3] = {
            { "quoted CSV fields, as spreadsheets export them", "\"Act 1\",\"00:12:34:05\"",
                "[Act 1] 00:12:34:05" },
            { "a comma inside quotes does not separate", "\"Smith, John\",00:00:01:00",
                "[Smith, John] 00:00:01:00" },
            { "doubled quotes inside quotes stand for one", "\"The \"\"Best\"\" Cut\",00:00:01:00",
                "[The \"Best\" Cut] 00:00:01:00" },
            { "a quote inside a field is text", "5\" floppy 00:00:01:00", "[5\" floppy] 00:00:01:00" },
            { "a no-break space before the time",
                "Caf\xC3\xA9\xC2\xA0"
                "00:00:30:00",
                "[Caf\xC3\xA9] 00:00:30:00" },
            { "a no-break space ending the line", "A 00:00:30:00\xC2\xA0", "[A] 00:00:30:00" },
            { "a narrow no-break space and an ideographic space",
                "A\xE2\x80\xAF"
                "B\xE3\x80\x80"
                "00:00:01:00",
                "[A B] 00:00:01:00" },
            { "an en dash as a minus",
                "Tag \xE2\x80\x93"
                "00:00:05:00",
                "[Tag] -00:00:05:00" },
            { "a Unicode minus",
                "Tag \xE2\x88\x92"
                "00:00:05:00",
                "[Tag] -00:00:05:00" },
            { "an em dash as a minus",
                "Tag \xE2\x80\x94"
                "00:00:05:00",
                "[Tag] -00:00:05:00" },
            { "a colon and a blank between label and time", "TRT: 00:05:00:00", "[TRT] 00:05:00:00" },
            { "a label glued to its time by a colon", "TRT:00:05:00:00", "[TRT] 00:05:00:00" },
            { "an equals sign between label and time", "TRT = 00:05:00:00", "[TRT] 00:05:00:00" },
            { "a label ending in a digit glued to four groups", "Take2:01:00:10:00", "[Take2] 01:00:10:00" },
            { "digits glued before a colon may be the hours", "B/01:00:00:00",
                "1:1 stray character in a time" },
            { "semicolon-separated quoted fields", "\"Act 1\";\"01:12:34:05\"",
                "1:8 a digit group needs two digits" },
            { "a time in parentheses", "(00:05:00:00)", "[] 00:05:00:00" },
            { "a time in brackets", "Act 1 [00:05:00:00]", "[Act 1] 00:05:00:00" },
            { "a time in quotes after a label", "Intro \"00:05:00:00\"", "[Intro] 00:05:00:00" },
            { "a time after an equals sign", "Total =00:05:00:00", "[Total] 00:05:00:00" },
            { "a time in curly quotes",
                "Act \xE2\x80\x9C"
                "00:05:00:00\xE2\x80\x9D",
                "[Act] 00:05:00:00" },
            { "a time in guillemets",
                "Akt \xC2\xAB"
                "00:05:00:00\xC2\xBB",
                "[Akt] 00:05:00:00" },
            { "brackets in a label stay", "(Director's cut) 00:01:00:00", "[(Director's cut)] 00:01:00:00" },
            { "a letter O among the frames", "00:05:00:0O", "1:11 stray character in a time" },
            { "five groups of one digit", "1:2:3:4:5", "1:3 a digit group needs two digits" },
            { "minutes and seconds alone", "Intro 1:30",
                "1:7 a time needs three or four digit groups: write 00:01:30 or 00:00:01:30" },
            { "a clock time", "Lunch 12:30pm", "1:12 stray character in a time" },
            { "an aspect ratio", "Aspect 16:9", "1:11 frames need two digits" },
            { "a version of three groups", "Build 1.2.3", "1:9 a digit group needs two digits" },
            { "a number in a label is text", "Scene 12 00:00:01:00", "[Scene 12] 00:00:01:00" },
            { "a version in a label is text", "v1.2 00:00:01:00", "[v1.2] 00:00:01:00" },
            { "a TITLE: heading in a plain list", "TITLE: Episode 5\nAct 1 00:10:00:00\nAct 2 00:12:00:00",
                "[Act 1] 00:10:00:00; [Act 2] 00:12:00:00" },
            { "a time in an EDL on a line that is no event and no note",
                "TITLE: X\n001  R1  V  C  00:00:00:00 00:00:01:00 01:00:00:00 01:00:01:00\nFINAL 01:00:00:00",
                "3:7 time on a line that is not an event" },
            { "Windows-1252 curly quotes", "\x93Intro\x94 00:00:01:00",
                "[\xE2\x80\x9CIntro\xE2\x80\x9D] 00:00:01:00" },
        };
        for (const auto& row : rows) QTest::newRow(row[0]) << QByteArray(row[1]) << QByteArray(row[2]);
        const auto utf16 = [](const QByteArray& text) {
            QByteArray out("\xFF\xFE");
            for (const char c : text) out += QByteArray(1, c) + '\0';
            return out;
        };
        QTest::newRow("UTF-16 with its byte-order mark")
            << utf16("A 00:01:00:00") << QByteArray("[A] 00:01:00:00");
        // As Premiere Pro exports markers: UTF-16 LE after its mark, tabs, a heading of the columns.
        QTest::newRow("a Premiere marker list, a zero-length marker among them")
            << utf16("Marker Name\tDescription\tIn\tOut\tDuration\tMarker Type\r\n"
                     "Intro\t\t00:00:05:00\t00:00:10:00\t00:00:05:00\tComment\r\n"
                     "Flash\tframe 12\t00:00:12:12\t00:00:12:12\t00:00:00:00\tComment\r\n")
            << QByteArray("[Intro Comment] 00:00:05:00; [Flash frame 12 Comment] 00:00:00:00");
        QTest::newRow("a marker whose duration is not out - in")
            << QByteArray("M\t00:00:05:00\t00:00:09:00\t00:00:05:00\tComment")
            << QByteArray("1:27 duration 00:00:05:00 does not match out \xE2\x88\x92 in 00:00:04:00");
        QTest::newRow("SubRip whose cue text holds 12:30")
            << QByteArray("1\n00:00:01,000 --> 00:00:04,500\nMeet me at 12:30\n- At 12:30:00?\n\n"
                          "2\n00:00:05,000 --> 00:00:06,020\nOK\n")
            << QByteArray("[Meet me at 12:30] 00:00:03:13; [OK] 00:00:01:01");
        QTest::newRow("WebVTT with its header, NOTE and STYLE blocks and cue settings")
            << QByteArray(
                   "WEBVTT - Episode 5\nKind: captions\n\nNOTE recorded 12:30\nat 00:00:05.000\n\n"
                   "STYLE\n::cue { color: red }\n\nintro\n00:01.000 --> 00:02.500 align:start position:10%\n"
                   "Hello\nagain 00:00:01.000\n\n01:00:00.020 --> 01:00:00.060 line:0\n<v Bob>Hi\n")
            << QByteArray("[Hello] 00:00:01:13; [<v Bob>Hi] 00:00:00:01");
        QTest::newRow("SubRip whose timing lost its arrow") << QByteArray(
            "1\n00:00:01,000 -> 00:00:02,000\nA\n") << QByteArray("2:1 no --> between the cue times");
        // Read at 25 unless the input declares a rate: this EDL is read at 29.97df, where ;29 exists.
        QTest::newRow("an EDL with FCM: DROP FRAME counts at 29.97df") << QByteArray(
            "TITLE: DF\nFCM: DROP FRAME\n001 R V C 00:00:00;00 00:00:01;00 00:00:59;29 00:01:00;02\n")
                                                                       << QByteArray("[R] 00:00:00;01");
        QTest::newRow("an EDL with FCM: NON-DROP FRAME declares no rate")
            << QByteArray("FCM: NON-DROP FRAME\n001 R V C 00:00:00:00 00:00:01:00 00:00:59:24 00:01:00:02\n")
            << QByteArray("[R] 00:00:00:03");
        QTest::newRow("XML that is no timeline")
            << QByteArray("<?xml version=\"1.0\"?>\n<filter name=\"blur\"><at>00:00:01:00</at></filter>\n")
            << QByteArray("0:0 XML root <filter> is not a timeline Horodex reads (fcpxml, xmeml)");
        QTest::newRow("XML without a declaration") << QByteArray("<settings><a>00:00:01:00</a></settings>")
                                                   << QByteArray("0:0 XML root <settings> is not a timeline "
                                                                 "Horodex reads (fcpxml, xmeml)");
        QTest::newRow("a long root name is cut at a character")
            << "<" + QByteArray("\xC3\xA9").repeated(40) + "/>"
            << "0:0 XML root <" + QByteArray("\xC3\xA9").repeated(24)
                + "> is not a timeline Horodex reads (fcpxml, xmeml)";
        QTest::newRow("a declared XML that is not well-formed")
            << QByteArray("<?xml version=\"1.0\"?>\n<filter>")
            << QByteArray("2:8 not well-formed: Start-end tags mismatch");
        QTest::newRow("a tag before a time is a label when it does not parse as XML")
            << QByteArray("<b>Act 1 00:00:01:00") << QByteArray("[<b>Act 1] 00:00:01:00");
        QTest::newRow("JSON that is no OpenTimelineIO file")
            << QByteArray("{\"name\": \"cut\", \"duration\": \"00:01:00:00\"}")
            << QByteArray("0:0 JSON that is not an OpenTimelineIO file");
        QTest::newRow("a brace before a time is a label when it is no JSON")
            << QByteArray("{Intro} 00:00:01:00") << QByteArray("[{Intro}] 00:00:01:00");
        QTest::newRow("a folder that is no bundle") << QByteArray() << QByteArray("0:0 a folder, not a list");
    }
    void paste()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, read);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("input")));
        QVERIFY(text.isNull() ? QDir(dir.path()).mkdir(QStringLiteral("input"))
                              : file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        const ELKTimebase_t tb = timebase("25");
        ELKList_t l;
        ELKList_Init(&l, &tb);
        const ELKReadOptions_t own { ELK_RATE_OWN };
        ELKInput_ReadFile(&l, QFile::encodeName(file.fileName()).constData(), &own);
        QByteArrayList got;
        for (int64_t i = 0; i < l.entryCount; ++i) {
            const ELKListEntry_t& e = l.entries[i];
            got << '[' + pool(l, e.label, e.labelLength) + "] " + label(l, e.duration);
        }
        QCOMPARE(l.errorCount ? errors(l) : got.join("; "), read);
        ELKList_Destroy(&l);
    }

    // Each input keeps its own record timeline and FCM reading; tracks merge by name.
    void severalInputs()
    {
        const ELKTimebase_t tb = timebase("29.97");
        ELKList_t l;
        ELKList_Init(&l, &tb);
        QCOMPARE(
            readExact(&l, "FCM: DROP FRAME\n001 R V C 00:00:00:00 00:00:01:00 00:01:00;02 00:01:00;04\n"),
            ELK_OK);
        QCOMPARE(readExact(&l,
                     "001 R V C 00:00:00:00 00:00:01:00 00:01:00:00 00:01:00:03\n"
                     "002 R A C 00:00:00:00 00:00:01:00 00:01:00:00 00:01:00:01\n"),
            ELK_OK);
        QCOMPARE(readExact(&l, "B 00:00:01;00\n"), ELK_OK);
        QCOMPARE(l.inputs, 3);
        QCOMPARE(l.lines, 5);
        QCOMPARE(l.edl, ELK_TRUE);
        QCOMPARE(entries(l),
            QByteArray(
                "2 R/V 00:01:00:00-00:01:00:02 00:00:00:02; 1 R/V 00:01:00:00-00:01:00:03 00:00:00:03; "
                "2 R/A 00:01:00:00-00:01:00:01 00:00:00:01; 1 B 00:00:01:00"));
        QCOMPARE(l.entries[3].input, 2);
        QCOMPARE(totals(l),
            QByteArray("sum 00:00:01:06 unique 00:00:00:05 | V 00:00:00:05 00:00:00:05 | A 00:00:00:01 "
                       "00:00:00:01"));
        ELKList_Destroy(&l);
    }

    // Readers of other formats add inputs through the builder; each input keeps its own figures.
    void builder()
    {
        const ELKTimebase_t tb = timebase("25"), own = timebase("23.976");
        ELKList_t l;
        ELKList_Init(&l, &tb);
        QCOMPARE(ELKList_BeginInput(&l, ELK_FORMAT_FCPXML), ELK_OK);
        ELKList_SetInputName(&l, "Cut 3", 5);
        ELKList_SetInputRate(&l, &own, ELK_RATE_KEEP);
        QCOMPARE(ELKList_AddEntry(&l, 4, "A", 1, "Primary", 7, ELK_TRUE, 0, 100, 100), ELK_OK);
        QCOMPARE(ELKList_AddEntry(&l, 5, "B", 1, "Primary", 7, ELK_TRUE, 100, 250, 150), ELK_OK);
        QCOMPARE(ELKList_AddEntry(&l, 6, "T", 1, "Lane 1", 6, ELK_TRUE, 50, 150, 100), ELK_OK);
        QCOMPARE(ELKList_AddEntry(&l, 7, "X", 1, nullptr, 0, ELK_TRUE, 20, 10, -10), ELK_ERROR);
        ELKList_LeaveOut(&l);
        QCOMPARE(ELKList_AddError(&l, 12, 5, ELK_FAULT_NOT_WELL_FORMED, "mismatched tag", 14), ELK_OK);
        const uint64_t skipped[4] = { 0, 1, 0, 0 };
        QCOMPARE(ELKList_AddError(&l, 13, 9, ELK_FAULT_NO_SUCH_LABEL, "29.97df", 7, skipped), ELK_OK);
        ELKList_SetLength(&l, 250);
        ELKList_SetOwnLength(&l, 240); // 10 s at 23.976
        QCOMPARE(ELKList_EndInput(&l), ELK_ERROR);
        // Rows of a log are separate material: overlaps still add up.
        QCOMPARE(ELKList_BeginInput(&l, ELK_FORMAT_ALE), ELK_OK);
        QCOMPARE(ELKList_AddEntry(&l, 8, "C1", 2, nullptr, 0, ELK_TRUE, 0, 50, 50), ELK_OK);
        QCOMPARE(ELKList_AddEntry(&l, 9, "C2", 2, nullptr, 0, ELK_TRUE, 25, 75, 50), ELK_OK);
        QCOMPARE(ELKList_EndInput(&l), ELK_OK);
        QCOMPARE(readExact(&l, "TITLE: R\n" + kEvent1), ELK_OK);
        QCOMPARE(readExact(&l, "A 00:00:01:00\n"), ELK_OK);
        QCOMPARE(inputs(l),
            QByteArray(
                "fcpxml Cut 3 23.976 3/3/1 00:00:14:00 00:00:10:00 00:00:10:00; "
                "ale - - 2/0/0 00:00:04:00 00:00:04:00 -; edl - - 1/0/0 00:00:01:00 00:00:01:00 00:00:01:00; "
                "list - - 1/0/0 00:00:01:00 - -"));
        QCOMPARE(errors(l),
            QByteArray("7:1 record out before record in; 12:5 not well-formed: mismatched tag; "
                       "13:9 00:01:00;00 does not exist at 29.97df"));
        QCOMPARE(totals(l),
            QByteArray("sum 00:00:20:00 unique 00:00:15:00 | Primary 00:00:10:00 00:00:10:00 | "
                       "Lane 1 00:00:04:00 00:00:04:00 | V 00:00:01:00 00:00:01:00"));
        QCOMPARE(l.hasLength, ELK_TRUE);
        QCOMPARE(label(l, l.length), QByteArray("00:00:11:00"));
        QCOMPARE(l.leftOut, 1);
        // Only an input with a rate of its own has a length at it; the EDL and list have none.
        QCOMPARE(l.inputList[0].hasOwnLength, ELK_TRUE);
        QCOMPARE(l.inputList[0].ownLength, 240);
        for (int32_t i = 1; i < l.inputs; ++i) QCOMPARE(l.inputList[i].hasOwnLength, ELK_FALSE);
        QCOMPARE(l.entries[6].input, 3);
        ELKList_Destroy(&l);
    }

    void refusesBadArguments()
    {
        ELKTimebase_t tb = timebase("25");
        ELKList_t l;
        ELKList_Init(&l, &tb);
        QCOMPARE(ELKList_Read(nullptr, "A 00:00:01:00", 13), ELK_ERROR);
        QCOMPARE(ELKList_Read(&l, nullptr, 1), ELK_ERROR);
        QCOMPARE(ELKList_Read(&l, "A 00:00:01:00", -1), ELK_ERROR);
        QCOMPARE(ELKList_Read(&l, nullptr, 0), ELK_OK);
        tb = ELKTimebase_t { 0, 0, 0, ELK_FALSE };
        ELKList_t unset;
        ELKList_Init(&unset, &tb);
        QCOMPARE(ELKList_Read(&unset, "A 00:00:01:00", 13), ELK_ERROR);
        QCOMPARE(l.inputs + unset.inputs, 1);
        ELKList_Destroy(&unset);
        ELKList_Destroy(&l);
    }

    // An edit of lines [first, first + removed) of the first text, read
    // again, leaves the list as a new read of the edited text; or, where
    // that needs more than the lines, says so and leaves it as it was.
    void readAgain_data()
    {
        QTest::addColumn<QByteArray>("rate");
        QTest::addColumn<QByteArrayList>("texts");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<bool>("again");

        const QByteArray list
            = "Act 1 00:12:34:05\nAct 2 00:10:00:00\n# note\nAct 3 00:00:01:00 00:00:05:00\n";
        const QByteArray edl = "TITLE: REEL 1\nFCM: NON-DROP FRAME\n"
                               "001  R1  V  C  00:00:00:00 00:00:01:00 01:00:00:00 01:00:01:00\n"
                               "* FROM CLIP NAME: A.MOV\n"
                               "002  R2  A  C  00:00:00:00 00:00:02:00 01:00:00:12 01:00:02:12\n"
                               "003  R3  V  D 012  00:00:00:00 00:00:03:00 01:00:01:00 01:00:04:00\n";
        QTest::newRow("list: a duration changed") << QByteArray("25") << QByteArrayList { list } << 2 << 1
                                                  << QByteArray("Act 2 00:10:00:01") << true;
        QTest::newRow("list: a line split in two")
            << QByteArray("25") << QByteArrayList { list } << 1 << 1
            << QByteArray("Act 1 00:12:34:05\nAct 1b 00:00:00:10") << true;
        QTest::newRow("list: two lines joined") << QByteArray("25") << QByteArrayList { list } << 1 << 2
                                                << QByteArray("Act 1 00:12:34:05Act 2 00:10:00:00") << true;
        QTest::newRow("list: a good line turns bad, an in and out goes")
            << QByteArray("25") << QByteArrayList { list } << 3 << 2 << QByteArray("Act 2b 00:61:00:00")
            << true;
        QTest::newRow("list: typed on the empty last line")
            << QByteArray("25") << QByteArrayList { list } << 5 << 1 << QByteArray("Act 4 00:00:00:24")
            << true;
        QTest::newRow("list: Enter at the end of the last line")
            << QByteArray("25") << QByteArrayList { "A 00:00:01:00\nB 00:00:02:00" } << 2 << 1
            << QByteArray("B 00:00:02:00\n") << true;
        QTest::newRow("list: all lines deleted")
            << QByteArray("25") << QByteArrayList { list } << 1 << 5 << QByteArray() << true;
        QTest::newRow("list: lines pasted before the first")
            << QByteArray("29.97df") << QByteArrayList { list } << 1 << 1
            << QByteArray("X 00:01:00;02 00:01:00;10\nY 00:00:10;00\nAct 1 00:12:34:05") << true;
        QTest::newRow("EDL: a record out moved, lengths and uniques follow")
            << QByteArray("25") << QByteArrayList { edl } << 3 << 1
            << QByteArray("001  R1  V  C  00:00:00:00 00:00:01:00 01:00:00:00 01:00:09:00") << true;
        QTest::newRow("EDL: an event deleted")
            << QByteArray("25") << QByteArrayList { edl } << 6 << 1 << QByteArray() << true;
        QTest::newRow("EDL: an event of a known track added, one left bad")
            << QByteArray("25") << QByteArrayList { edl } << 6 << 1
            << QByteArray(
                   edl.split('\n')[5] + "\n004  R4  A  C  00:00:00:00 00:00:02:00 01:00:05:00 01:00:07:30")
            << true;
        QTest::newRow("EDL: read drop frame after FCM, as the lines before left it")
            << QByteArray("29.97df")
            << QByteArrayList { "FCM: NON-DROP FRAME\n001  R1  V  C  00:00:00:00 00:01:00:00 00:01:00:00 "
                                "00:02:00:00\n"
                                "FCM: DROP FRAME\n002  R2  V  C  00:00:00:00 00:01:00:00 00:01:00;00 "
                                "00:02:00;00\n" }
            << 4 << 1 << QByteArray("002  R2  V  C  00:00:00:00 00:01:00:00 00:01:00;02 00:02:00;02") << true;
        QTest::newRow("EDL: the first of two inputs edited, the second's running totals follow")
            << QByteArray("25") << QByteArrayList { edl, edl } << 5 << 1
            << QByteArray("002  R2  A  C  00:00:00:00 00:00:02:00 01:00:00:00 01:00:09:00") << true;

        // Where more than the lines decide, the list is left for a whole read.
        QTest::newRow("an FCM line among those edited") << QByteArray("29.97df") << QByteArrayList { edl }
                                                        << 2 << 1 << QByteArray("FCM: DROP FRAME") << false;
        QTest::newRow("an FCM line typed") << QByteArray("29.97df") << QByteArrayList { edl } << 4 << 1
                                           << QByteArray("FCM: DROP FRAME") << false;
        QTest::newRow("an event typed before the FCM: DROP FRAME that declared the rate")
            << QByteArray("29.97df")
            << QByteArrayList { "TITLE: X\n\nFCM: DROP FRAME\n001  R1  V  C  00:00:00:00 00:00:01:00 "
                                "00:00:00:00 00:00:01:00\n" }
            << 2 << 1 << QByteArray("000  R0  V  C  00:00:00:00 00:00:01:00 00:00:00:00 00:00:01:00")
            << false;
        QTest::newRow("a list gains an event line: it is an EDL")
            << QByteArray("25") << QByteArrayList { list } << 3 << 1 << QByteArray(edl.split('\n')[2])
            << false;
        QTest::newRow("an EDL loses its events: it may be a list")
            << QByteArray("25") << QByteArrayList { edl } << 3 << 4 << QByteArray() << false;
        QTest::newRow("a track that is new")
            << QByteArray("25") << QByteArrayList { edl } << 3 << 1
            << QByteArray("001  R1  A2  C  00:00:00:00 00:00:01:00 01:00:00:00 01:00:01:00") << false;
        QTest::newRow("a track that now comes first")
            << QByteArray("25") << QByteArrayList { edl } << 3 << 1 << QByteArray("* gone") << false;
        QTest::newRow("a track's last event deleted")
            << QByteArray("25") << QByteArrayList { edl } << 5 << 1 << QByteArray() << false;
        QTest::newRow("a first line that opens XML")
            << QByteArray("25") << QByteArrayList { list } << 1 << 1 << QByteArray("<xmeml>") << false;
        QTest::newRow("a first line that may head an ALE, in any case")
            << QByteArray("25") << QByteArrayList { list } << 1 << 1 << QByteArray("heading") << false;
        QTest::newRow("a first line that may number a SubRip cue")
            << QByteArray("25") << QByteArrayList { list } << 1 << 1 << QByteArray("1") << false;
        QTest::newRow("a subtitle file")
            << QByteArray("25") << QByteArrayList { "WEBVTT\n\n00:01.000 --> 00:02.000\nHi\n" } << 4 << 1
            << QByteArray("Ho") << false;
        QTest::newRow("lines past the end")
            << QByteArray("25") << QByteArrayList { list } << 7 << 1 << QByteArray("X 00:00:01:00") << false;
    }

    void readAgain()
    {
        QFETCH(QByteArray, rate);
        QFETCH(QByteArrayList, texts);
        QFETCH(int, first);
        QFETCH(int, removed);
        QFETCH(QByteArray, lines);
        QFETCH(bool, again);

        // The edit, done on the text's lines as an editor holds them.
        QByteArrayList edited = texts[0].split('\n');
        const bool follows = first - 1 + removed < edited.size();
        edited.erase(edited.begin() + std::min<qsizetype>(first - 1, edited.size()),
            edited.begin() + std::min<qsizetype>(first - 1 + removed, edited.size()));
        const QByteArrayList added = lines.split('\n');
        for (qsizetype i = 0; i < added.size() && first - 1 <= edited.size(); ++i)
            edited.insert(first - 1 + i, added[i]);
        QByteArrayList after = texts;
        after[0] = edited.join('\n');
        const QByteArray replaced = lines + (follows ? "\n" : "");

        ELKList_t l, expected, before;
        readAll(&l, rate.constData(), texts);
        readAll(&before, rate.constData(), texts);
        readAll(&expected, rate.constData(), after);
        const int8_t result = ELKInput_ReadAgain(&l, 0, first, removed, replaced.constData(), replaced.size(),
            after[0].constData(), after[0].size());
        QCOMPARE(result == ELK_OK, again);
        QCOMPARE(QString::fromStdString(describeList(l)),
            QString::fromStdString(describeList(again ? expected : before)));
        // And again, back to the text as it was.
        if (again) {
            const QByteArrayList old = texts[0].split('\n').mid(first - 1, removed);
            const QByteArray back = old.join('\n') + (follows ? "\n" : "");
            QCOMPARE(ELKInput_ReadAgain(&l, 0, first, added.size(), back.constData(), back.size(),
                         texts[0].constData(), texts[0].size()),
                ELK_OK);
            QCOMPARE(QString::fromStdString(describeList(l)), QString::fromStdString(describeList(before)));
        }
        ELKList_Destroy(&l);
        ELKList_Destroy(&expected);
        ELKList_Destroy(&before);
    }

    // A shortage of memory is reported as an error on the line it struck, never as success.
    void outOfMemory()
    {
        QByteArray text;
        for (int i = 0; i < 1000; ++i) text += "Clip " + QByteArray::number(i) + " 00:00:01:00\n";
        static char arena[16384];
        ELK_UseArena(arena, sizeof arena);
        const ELKTimebase_t tb = timebase("25");
        ELKList_t l;
        ELKList_Init(&l, &tb);
        QCOMPARE(readExact(&l, text), ELK_ERROR);
        QCOMPARE(l.errorCount, 1);
        QVERIFY(l.entryCount > 0 && l.entryCount < 1000);
        QCOMPARE(l.errors[0].line, l.entryCount + 1);
        QCOMPARE(reason(l, l.errors[0]), QByteArray("out of memory: this and later lines left out"));
        QCOMPARE(l.sum, 25 * l.entryCount);
        ELKList_Destroy(&l);
    }
};

QTEST_GUILESS_MAIN(TestList)
#include "tst_list.moc"
