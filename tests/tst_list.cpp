// SPDX-License-Identifier: MIT
#include <QtTest>

#include "ELKListBuilder.h"
#include "ELKString.h"
#include "ELKText.h"
#include "elk_test_support.h"

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
    static const char* const formats[] = { "none", "list", "edl", "fcpxml", "xmeml", "otio", "ale" };
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
            { "three times on a line", "25", false, "3 00:00:01:00 00:00:02:00 00:00:03:00",
                "27 three or more times on a line" },
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

    // What people paste: each time is counted or is an error at its column, never lost as text.
    void paste_data()
    {
        QTest::addColumn<QByteArray>("text");
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
        QByteArray utf16("\xFF\xFE");
        for (const char c : QByteArray("A 00:01:00:00")) utf16 += QByteArray(1, c) + '\0';
        QTest::newRow("UTF-16 with its byte-order mark") << utf16 << QByteArray("[A] 00:01:00:00");
    }
    void paste()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, read);
        const ELKTimebase_t tb = timebase("25");
        ELKList_t l;
        ELKList_Init(&l, &tb);
        readExact(&l, text);
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
