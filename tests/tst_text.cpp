// SPDX-License-Identifier: MIT
// Text decoding, encoding and line splitting, checked against byte strings
// written out by hand from the published encodings.
#include <QtTest>

#include "ELKString.h"
#include "ELKText.h"
#include "elk_test_support.h"

namespace
{

const QByteArray kMaxLine(int(ELK_LINE_MAX), 'x');

QByteArray bytes(const char* text, int length)
{
    return QByteArray(text, length);
}

// "number@offset:text", long texts as their length; " too long" when flagged.
QByteArray describe(const ELKLine_t& line)
{
    QByteArray s = QByteArray::number(line.number) + '@' + QByteArray::number(line.offset) + ':';
    s += line.length > 16 ? QByteArray::number(line.length) + " bytes"
                          : QByteArray(line.text, int(line.length));
    return line.tooLong == ELK_TRUE ? s + " too long" : s;
}

} // namespace

class tst_Text : public QObject
{
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void encode_data();
    void encode();
    void stream_data();
    void stream();
    void lines_data();
    void lines();
};

void tst_Text::decode_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("utf8");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<int>("lineEnd");
    QTest::addColumn<bool>("binary");

    auto row = [](const char* tag, const QByteArray& in, const QByteArray& out, int encoding,
                   int lineEnd = ELK_LINE_LF,
                   bool binary = false) { QTest::newRow(tag) << in << out << encoding << lineEnd << binary; };
    row("empty", {}, {}, ELK_TEXT_UTF8);
    row("ASCII", "a\nb", "a\nb", ELK_TEXT_UTF8);
    row("UTF-8 with its mark",
        "\xEF\xBB\xBF"
        "Caf\xC3\xA9\r\n",
        "Caf\xC3\xA9\r\n", ELK_TEXT_UTF8_BOM, ELK_LINE_CRLF);
    row("UTF-16LE with its mark",
        bytes("\xFF\xFE"
              "A\0\xE9\0\r\0\n\0",
            10),
        "A\xC3\xA9\r\n", ELK_TEXT_UTF16LE, ELK_LINE_CRLF);
    row("UTF-16BE with its mark, en dash", bytes("\xFE\xFF\0A\x20\x13\0\r", 8), "A\xE2\x80\x93\r",
        ELK_TEXT_UTF16BE, ELK_LINE_CR);
    row("UTF-16 surrogate pair", "\xFF\xFE\x3C\xD8\xAC\xDF", "\xF0\x9F\x8E\xAC", ELK_TEXT_UTF16LE);
    row("UTF-16 lone surrogate and odd last byte",
        bytes("\xFF\xFE\x00\xD8"
              "A\0"
              "B",
            7),
        "\xEF\xBF\xBD"
        "A\xEF\xBF\xBD",
        ELK_TEXT_UTF16LE);
    row("Windows-1252 curly quotes and en dash",
        "\x93"
        "Act 1\x94 \x96 5",
        "\xE2\x80\x9C"
        "Act 1\xE2\x80\x9D \xE2\x80\x93 5",
        ELK_TEXT_CP1252);
    row("Windows-1252 euro, Z caron, Y diaeresis", "\x80\x8E\x9F", "\xE2\x82\xAC\xC5\xBD\xC5\xB8",
        ELK_TEXT_CP1252);
    row("Windows-1252 undefined byte keeps its C1 code point", "\x81\x8D\x8F\x90\x9D",
        "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D", ELK_TEXT_CP1252);
    row("Latin-1 letter", "Caf\xE9", "Caf\xC3\xA9", ELK_TEXT_CP1252);
    row("overlong slash is not UTF-8", "\xC0\xAF", "\xC3\x80\xC2\xAF", ELK_TEXT_CP1252);
    row("encoded surrogate is not UTF-8", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC", ELK_TEXT_CP1252);
    row("past U+10FFFF is not UTF-8", "\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC",
        ELK_TEXT_CP1252);
    row("sequence cut at the end is not UTF-8", "a\xC3", "a\xC3\x83", ELK_TEXT_CP1252);
    row("one stray byte makes the whole text Windows-1252", "\xC3\xA9\x96", "\xC3\x83\xC2\xA9\xE2\x80\x93",
        ELK_TEXT_CP1252);
    row("after a UTF-8 mark a stray byte alone is Windows-1252", "\xEF\xBB\xBF\xC3\xA9\x96",
        "\xC3\xA9\xE2\x80\x93", ELK_TEXT_UTF8_BOM);
    row("NUL near the start is binary", bytes("ab\0", 3), bytes("ab\0", 3), ELK_TEXT_UTF8, ELK_LINE_LF, true);
    row("NUL past 8 KiB is text", QByteArray(8192, 'a') + '\0', QByteArray(8192, 'a') + '\0', ELK_TEXT_UTF8);
    row("NUL in UTF-16 is binary", bytes("\xFF\xFE\0\0", 4), bytes("\0", 1), ELK_TEXT_UTF16LE, ELK_LINE_LF,
        true);
}

void tst_Text::decode()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, utf8);
    QFETCH(int, encoding);

    const auto copy = exactCopy(input);
    ELKText_t t;
    QCOMPARE(ELKText_Decode(&t, copy.get(), input.size()), ELK_OK);
    QCOMPARE(QByteArray(t.utf8, int(t.length)), utf8);
    QCOMPARE(int(t.encoding), encoding);
    QTEST(int(t.lineEnd), "lineEnd");
    QTEST(t.binary == ELK_TRUE, "binary");
    // UTF-8 is read in place, not copied.
    if (encoding == ELK_TEXT_UTF8 || (encoding == ELK_TEXT_UTF8_BOM && !t.owned))
        QVERIFY(t.length == 0 || (t.utf8 >= copy.get() && t.utf8 < copy.get() + input.size()));
    ELKText_Destroy(&t);
    QCOMPARE(t.owned, nullptr);
}

void tst_Text::encode_data()
{
    QTest::addColumn<QByteArray>("utf8");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<int>("lineEnd");
    QTest::addColumn<QByteArray>("output"); // empty: fails
    QTest::addColumn<int>("errorAt");

    auto row = [](const char* tag, const QByteArray& in, int encoding, int lineEnd, const QByteArray& out,
                   int errorAt = -1) { QTest::newRow(tag) << in << encoding << lineEnd << out << errorAt; };
    row("UTF-16LE, CRLF", "A\xE2\x80\x93\n", ELK_TEXT_UTF16LE, ELK_LINE_CRLF,
        bytes("\xFF\xFE"
              "A\0\x13\x20\r\0\n\0",
            10));
    row("UTF-16BE, a character past U+FFFF", "\xF0\x9F\x8E\xAC\n", ELK_TEXT_UTF16BE, ELK_LINE_LF,
        bytes("\xFE\xFF\xD8\x3C\xDF\xAC\0\n", 8));
    row("Windows-1252, CR",
        "\xE2\x80\x9C"
        "A\xE2\x80\x9D\xC2\x81\n",
        ELK_TEXT_CP1252, ELK_LINE_CR,
        "\x93"
        "A\x94\x81\r");
    row("UTF-8 with its mark", "a\nb", ELK_TEXT_UTF8_BOM, ELK_LINE_LF,
        "\xEF\xBB\xBF"
        "a\nb");
    row("every line end becomes the one asked", "a\r\nb\rc\n", ELK_TEXT_UTF8, ELK_LINE_CRLF,
        "a\r\nb\r\nc\r\n");
    row("rupee sign has no Windows-1252 byte", "ab\xE2\x82\xB9", ELK_TEXT_CP1252, ELK_LINE_LF, {}, 2);
    row("U+0080 has no Windows-1252 byte", "a\n\xC2\x80", ELK_TEXT_CP1252, ELK_LINE_LF, {}, 2);
    row("text that is not UTF-8", "a\xFF", ELK_TEXT_UTF16LE, ELK_LINE_LF, {}, 1);
}

// Encodes, then decodes what was written and encodes that again: the same bytes.
void tst_Text::encode()
{
    QFETCH(QByteArray, utf8);
    QFETCH(int, encoding);
    QFETCH(int, lineEnd);
    QFETCH(QByteArray, output);

    const auto copy = exactCopy(utf8);
    char* out = nullptr;
    int64_t length = 0, errorAt = 0;
    const int8_t result
        = ELKText_Encode(copy.get(), utf8.size(), int8_t(encoding), int8_t(lineEnd), &out, &length, &errorAt);
    if (output.isEmpty()) {
        QCOMPARE(result, ELK_ERROR);
        QTEST(int(errorAt), "errorAt");
        QCOMPARE(out, nullptr);
        return;
    }
    QCOMPARE(result, ELK_OK);
    QCOMPARE(QByteArray(out, int(length)), output);
    ELKText_t t;
    QCOMPARE(ELKText_Decode(&t, out, length), ELK_OK);
    QCOMPARE(int(t.encoding), encoding);
    QCOMPARE(int(t.lineEnd), lineEnd);
    char* again = nullptr;
    QCOMPARE(ELKText_Encode(t.utf8, t.length, t.encoding, t.lineEnd, &again, &length, &errorAt), ELK_OK);
    QCOMPARE(QByteArray(again, int(length)), output);
    ELK_Free(again);
    ELKText_Destroy(&t);
    ELK_Free(out);
}

void tst_Text::stream_data()
{
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::addColumn<QByteArray>("utf8");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QByteArray>("line"); // the text as one line decoded alone

    auto row = [](const char* tag, const QByteArrayList& pieces, const QByteArray& utf8, int encoding,
                   const QByteArray& line) { QTest::newRow(tag) << pieces << utf8 << encoding << line; };
    row("plain pieces pass as they are", { "ab", "c\xE9" }, "abc\xE9", ELK_TEXT_UTF8, "abc\xC3\xA9");
    row("UTF-16LE mark cut",
        { "\xFF",
            "\xFE"
            "A",
            bytes("\0\n", 2), bytes("\0", 1) },
        "A\n", ELK_TEXT_UTF16LE, "A\n");
    row("surrogate pair cut", { "\xFF\xFE\x3C", "\xD8\xAC", "\xDF" }, "\xF0\x9F\x8E\xAC", ELK_TEXT_UTF16LE,
        "\xF0\x9F\x8E\xAC");
    row("odd last byte", { bytes("\xFE\xFF\0A\0", 5) }, "A\xEF\xBF\xBD", ELK_TEXT_UTF16BE, "A\xEF\xBF\xBD");
    row("UTF-8 mark cut",
        { "\xEF\xBB",
            "\xBF"
            "a\xC3\xA9" },
        "a\xC3\xA9", ELK_TEXT_UTF8_BOM, "a\xC3\xA9");
    row("the start of a mark that is not one", { "\xEF", "a" },
        "\xEF"
        "a",
        ELK_TEXT_UTF8,
        "\xC3\xAF"
        "a");
}

void tst_Text::stream()
{
    QFETCH(QByteArrayList, pieces);
    ELKTextStream_t s;
    ELKTextStream_Init(&s);
    QByteArray got;
    const char* utf8;
    int64_t length;
    for (const QByteArray& piece : pieces) {
        const auto copy = exactCopy(piece);
        QCOMPARE(ELKTextStream_Decode(&s, copy.get(), piece.size(), ELK_FALSE, &utf8, &length), ELK_OK);
        got += QByteArray(utf8, int(length));
    }
    QCOMPARE(ELKTextStream_Decode(&s, nullptr, 0, ELK_TRUE, &utf8, &length), ELK_OK);
    got += QByteArray(utf8, int(length));
    QTEST(got, "utf8");
    QTEST(int(s.encoding), "encoding");
    const auto copy = exactCopy(got);
    QCOMPARE(ELKTextStream_Line(&s, copy.get(), got.size(), &utf8, &length), ELK_OK);
    QTEST(QByteArray(utf8, int(length)), "line");
    ELKTextStream_Destroy(&s);
}

void tst_Text::lines_data()
{
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::addColumn<QByteArrayList>("lines");

    auto row = [](const char* tag, const QByteArrayList& pieces, const QByteArrayList& lines) {
        QTest::newRow(tag) << pieces << lines;
    };
    row("LF", { "a\nb\n" }, { "1@0:a", "2@2:b" });
    row("CRLF", { "a\r\nb\r\n" }, { "1@0:a", "2@3:b" });
    row("CR", { "a\rb" }, { "1@0:a", "2@2:b" });
    row("mixed", { "1\n2\r3\n" }, { "1@0:1", "2@2:2", "3@4:3" });
    row("blank lines", { "\n\r\n\r" }, { "1@0:", "2@1:", "3@3:" });
    row("CRLF cut between pieces", { "a\r", "\nb" }, { "1@0:a", "2@3:b" });
    row("CR, then CR in the next piece", { "a\r", "\rb" }, { "1@0:a", "2@2:", "3@3:b" });
    row("a line across three pieces", { "ab", "", "c", "d\ne" }, { "1@0:abcd", "2@5:e" });
    row("UTF-8 character cut between pieces", { "Caf\xC3", "\xA9\n" }, { "1@0:Caf\xC3\xA9" });
    row("a line of the longest length", { kMaxLine + "\nb" }, { "1@0:1048576 bytes", "2@1048577:b" });
    row("a line one byte too long", { kMaxLine + "x\r\nb" }, { "1@0:1048576 bytes too long", "2@1048579:b" });
    row("too long across pieces, told once", { kMaxLine.left(1000), kMaxLine, "yy\r", "\nb" },
        { "1@0:1048576 bytes too long", "2@1049580:b" });
    row("too long in a piece of its own", { "a\n", kMaxLine + "x", "y" },
        { "1@0:a", "2@2:1048576 bytes too long" });
    row("the longest length across pieces", { kMaxLine.left(10), kMaxLine.mid(10), "\n" },
        { "1@0:1048576 bytes" });
}

void tst_Text::lines()
{
    QFETCH(QByteArrayList, pieces);
    ELKLines_t s;
    ELKLines_Init(&s);
    QByteArrayList got;
    ELKLine_t line;
    for (const QByteArray& piece : pieces) {
        const auto copy = exactCopy(piece);
        ELKLines_Feed(&s, copy.get(), piece.size());
        int8_t result;
        while ((result = ELKLines_Next(&s, &line)) == ELK_TRUE) got << describe(line);
        QCOMPARE(result, ELK_FALSE);
    }
    if (ELKLines_Finish(&s, &line) == ELK_TRUE) got << describe(line);
    QTEST(got, "lines");
    ELKLines_Destroy(&s);
}

QTEST_GUILESS_MAIN(tst_Text)
#include "tst_text.moc"
