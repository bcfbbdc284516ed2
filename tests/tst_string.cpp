// SPDX-License-Identifier: MIT
#include <QtTest>

#include <memory>

#include "ELKString.h"
#include "elk_test_support.h"

namespace
{

QByteArray textOf(const ELKString_t& s)
{
    return QByteArray(s.data, s.length);
}

} // namespace

class TestString : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { ELK_UseHeap(); }

    void states()
    {
        ELKString_t s;
        QCOMPARE(ELKString_Init(&s), &s);
        QCOMPARE(ptr(s.data), ptr(&ELK_EmptyText));
        QCOMPARE(s.length, 0);
        QCOMPARE(s.owned, ELK_FALSE);
        QCOMPARE(ELKString_IsEmpty(&s), ELK_TRUE);

        QCOMPARE(ELKString_Assign(&s, "hello", -1), 5);
        QCOMPARE(s.owned, ELK_TRUE);
        QCOMPARE(s.data[5], '\0');
        QCOMPARE(textOf(s), QByteArray("hello"));
        QCOMPARE(ELKString_IsEmpty(&s), ELK_FALSE);
        QCOMPARE(ptr(ELKString_GetData(&s)), ptr(s.data));

        ELKString_Clear(&s);
        QCOMPARE(ptr(s.data), ptr(&ELK_EmptyText));
        QCOMPARE(s.owned, ELK_FALSE);

        QCOMPARE(ELKString_Assign(&s, "abc", 3), 3);
        ELKString_Destroy(&s);
        QCOMPARE(ptr(s.data), ptr(nullptr));
        QCOMPARE(s.length, 0);
        QCOMPARE(s.owned, ELK_TRUE); // left as it was
        QCOMPARE(ELKString_IsEmpty(&s), ELK_TRUE);
        ELKString_Destroy(&s); // a second destroy frees nothing (ASan would see a double free)
        ELKString_Clear(&s);
        QCOMPARE(ptr(s.data), ptr(&ELK_EmptyText));
    }

    void isEmpty()
    {
        QCOMPARE(ELKString_IsEmpty(nullptr), ELK_TRUE);
        ELKString_t s;
        ELKString_InitWith(&s, "abc", 0);
        QCOMPARE(ELKString_IsEmpty(&s), ELK_TRUE);
        ELKString_InitWith(&s, "abc", -5);
        QCOMPARE(s.length, 3);
        QCOMPARE(ELKString_IsEmpty(&s), ELK_FALSE);
        ELKString_InitWith(&s, nullptr, -1);
        QCOMPARE(ptr(s.data), ptr(nullptr));
        QCOMPARE(s.length, 0);
        QCOMPARE(ELKString_IsEmpty(&s), ELK_TRUE);
    }

    void lentTextIsNotCopied()
    {
        const char text[] = "01:02:03:04 and more";
        ELKString_t s;
        ELKString_InitWith(&s, text, 5);
        QCOMPARE(ptr(s.data), ptr(text));
        QCOMPARE(s.length, 5);
        QCOMPARE(s.owned, ELK_FALSE);
        ELKString_Destroy(&s); // lent text is the caller's: not freed
        QCOMPARE(text[0], '0');
    }

    void assign_data()
    {
        QTest::addColumn<bool>("nullSource");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("owned");
        QTest::newRow("null source, 11: blanks") << true << QByteArray() << 11 << QByteArray(11, ' ') << 3;
        QTest::newRow("given length cuts the source")
            << false << QByteArray("123456") << 3 << QByteArray("123") << 3;
        QTest::newRow("negative length measures")
            << false << QByteArray("123456") << -1 << QByteArray("123456") << 3;
        QTest::newRow("length 0 gives the empty state")
            << false << QByteArray("abc") << 0 << QByteArray() << -3;
        QTest::newRow("null source, negative length") << true << QByteArray() << -1 << QByteArray() << -3;
        QTest::newRow("empty source, negative length") << false << QByteArray("") << -1 << QByteArray() << -3;
    }
    void assign()
    {
        QFETCH(bool, nullSource);
        QFETCH(QByteArray, source);
        QFETCH(int, length);
        QFETCH(QByteArray, text);
        QFETCH(int, owned);
        ELKString_t s;
        ELKString_Init(&s);
        ELKString_Assign(&s, "previous owned text", -1); // must be freed, not leaked
        QCOMPARE(ELKString_Assign(&s, nullSource ? nullptr : source.constData(), length), int(text.size()));
        QCOMPARE(textOf(s), text);
        QCOMPARE(int(s.owned), owned);
        if (owned == ELK_TRUE)
            QCOMPARE(s.data[s.length], '\0');
        else
            QCOMPARE(ptr(s.data), ptr(&ELK_EmptyText));
        ELKString_Destroy(&s);
    }

    // Only owned text is ever freed: a lent text stays the caller's.
    void replacingLentText()
    {
        char text[] = "lent text";
        ELKString_t s;
        ELKString_InitWith(&s, text, -1);
        QCOMPARE(ELKString_Assign(&s, "new", -1), 3);
        QCOMPARE(s.owned, ELK_TRUE);
        ELKString_Destroy(&s);
        ELKString_InitWith(&s, text, -1);
        ELKString_Clear(&s);
        QCOMPARE(ptr(s.data), ptr(&ELK_EmptyText));
        QCOMPARE(QByteArray(text), QByteArray("lent text"));
    }

    // Assigning a string from part of its own text must copy before freeing.
    void assignFromOwnText()
    {
        ELKString_t s;
        ELKString_Init(&s);
        ELKString_Assign(&s, "hello world", -1);
        QCOMPARE(ELKString_Assign(&s, s.data + 6, 5), 5);
        QCOMPARE(textOf(s), QByteArray("world"));
        QCOMPARE(ELKString_Assign(&s, s.data, -1), 5);
        QCOMPARE(textOf(s), QByteArray("world"));
        QCOMPARE(ELKString_Assign(&s, s.data + 1, 0), 0);
        QCOMPARE(ptr(s.data), ptr(&ELK_EmptyText));
        ELKString_Destroy(&s);
    }

    void uintToDigits_data()
    {
        QTest::addColumn<int>("capacity");
        QTest::addColumn<uint>("value");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("7 in 2") << 2 << 7u << 1 << QByteArray("7");
        QTest::newRow("42 in 2") << 2 << 42u << 2 << QByteArray("42");
        QTest::newRow("0 in 2") << 2 << 0u << 1 << QByteArray("0");
        QTest::newRow("99 in 2") << 2 << 99u << 2 << QByteArray("99");
        QTest::newRow("100 in 2 fails") << 2 << 100u << -2 << QByteArray();
        QTest::newRow("0 in 0 fails") << 0 << 0u << -2 << QByteArray();
        QTest::newRow("negative capacity fails") << -1 << 5u << -2 << QByteArray();
        QTest::newRow("largest in 10") << 10 << 4294967295u << 10 << QByteArray("4294967295");
        QTest::newRow("largest in 9 fails") << 9 << 4294967295u << -2 << QByteArray();
    }
    void uintToDigits()
    {
        QFETCH(int, capacity);
        QFETCH(uint, value);
        QFETCH(int, result);
        QFETCH(QByteArray, written);
        QByteArray out(12, '#');
        QCOMPARE(ELK_UIntToDigits(out.data(), capacity, value), result);
        QCOMPARE(out, written + QByteArray(12 - written.size(), '#')); // nothing beyond, nothing on failure
        QCOMPARE(ELK_UIntToDigits(nullptr, capacity, value), -2);
    }

    void digitsToUInt_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<uint>("value");
        QTest::addColumn<int>("status");
        QTest::newRow("0042") << QByteArray("0042") << 42u << 2;
        QTest::newRow("12 then a colon") << QByteArray("12:") << 12u << -2;
        QTest::newRow("blank then 7") << QByteArray(" 7") << 7u << -2;
        QTest::newRow("12a34 stops at the letter") << QByteArray("12a34") << 12u << -2;
        QTest::newRow("no digits") << QByteArray("abc") << 0u << -2;
        QTest::newRow("empty") << QByteArray("") << 0u << -2;
        QTest::newRow("minus sign is not a digit") << QByteArray("-5") << 5u << -2;
        QTest::newRow("largest 32-bit") << QByteArray("4294967295") << 4294967295u << 2;
        QTest::newRow("2^32 overflows to 0") << QByteArray("4294967296") << 0u << -2;
        QTest::newRow("4294967300 overflows") << QByteArray("4294967300") << 4u << -2;
        QTest::newRow("eleven nines overflow")
            << QByteArray("99999999999") << uint(99999999999ull % 4294967296ull) << -2;
        QTest::newRow("leading zeros do not overflow") << QByteArray("0000000000042") << 42u << 2;
        QTest::newRow("high bytes before digits") << QByteArray("\x80\xff"
                                                                "12")
                                                  << 12u << -2;
        QTest::newRow("trailing newline") << QByteArray("12\n") << 12u << -2;
    }
    void digitsToUInt()
    {
        QFETCH(QByteArray, text);
        QFETCH(uint, value);
        QFETCH(int, status);
        const auto exact = exactCopy(text);
        int8_t st = 0;
        QCOMPARE(ELK_DigitsToUInt(exact.get(), int32_t(text.size()), &st), value);
        QCOMPARE(int(st), status);
        QCOMPARE(ELK_DigitsToUInt(exact.get(), int32_t(text.size()), nullptr), value);
    }

    void digitsToUIntSpan()
    {
        int8_t st = 0;
        QCOMPARE(ELK_DigitsToUInt("1234", 2, &st), 12u); // only the span counts
        QCOMPARE(st, ELK_OK);
        QCOMPARE(ELK_DigitsToUInt("1234", -1, &st), 1234u);
        QCOMPARE(st, ELK_OK);
        QCOMPARE(ELK_DigitsToUInt(nullptr, 4, &st), 0u);
        QCOMPARE(st, ELK_ERROR);
        QCOMPARE(ELK_DigitsToUInt("1234", 0, &st), 0u);
        QCOMPARE(st, ELK_ERROR);

        const QByteArray many(10000, '7');
        const auto exact = exactCopy(many);
        QCOMPARE(ELK_DigitsToUInt(exact.get(), int32_t(many.size()), &st), 1908874353u); // modulo 2^32
        QCOMPARE(st, ELK_ERROR);
    }

    void arena()
    {
        char block[16];
        ELK_UseArena(block, sizeof block);
        const uint32_t before = ELK_BytesRequested;

        void* a = ELK_Alloc(10);
        QCOMPARE(a, static_cast<void*>(block));
        QCOMPARE(ELK_Alloc(6), static_cast<void*>(block + 10)); // back to back, no alignment
        QCOMPARE(ELK_ArenaRemaining, 0u);
        QCOMPARE(ELK_Alloc(1), static_cast<void*>(nullptr));
        QCOMPARE(ptr(ELK_ArenaNext), ptr(block + 16));
        QCOMPARE(ELK_BytesRequested - before, 17u); // counts the refused request too
        ELK_Free(a); // arena bytes are never given back
        QCOMPARE(ELK_ArenaRemaining, 0u);
        QCOMPARE(ELK_Alloc(0), static_cast<void*>(block + 16));

        ELK_UseArena(block, 5);
        QCOMPARE(ELK_Alloc(6), static_cast<void*>(nullptr));
        QCOMPARE(ELK_ArenaRemaining, 5u);
        QCOMPARE(ptr(ELK_ArenaNext), ptr(block));
        QCOMPARE(ELK_Alloc(5), static_cast<void*>(block));
    }

    // A failed allocation leaves a released string that nothing frees later.
    void assignWhenMemoryRunsOut()
    {
        char block[8];
        ELK_UseArena(block, sizeof block);
        ELKString_t s;
        ELKString_Init(&s);
        QCOMPARE(ELKString_Assign(&s, "1234", -1), 4);
        QCOMPARE(ptr(s.data), ptr(block));
        QCOMPARE(ELKString_Assign(&s, nullptr, 11), 0);
        QCOMPARE(ptr(s.data), ptr(nullptr));
        QCOMPARE(s.length, 0);
        QCOMPARE(s.owned, ELK_TRUE);
        QCOMPARE(ELKString_IsEmpty(&s), ELK_TRUE);
        ELKString_Destroy(&s);

        // From the empty state a failed allocation keeps owned false.
        ELKString_Init(&s);
        QCOMPARE(ELKString_Assign(&s, "12345678901", -1), 0);
        QCOMPARE(ptr(s.data), ptr(nullptr));
        QCOMPARE(s.owned, ELK_FALSE);
        ELKString_Destroy(&s);
        ELK_UseHeap();
        QCOMPARE(ELK_ArenaMode, ELK_FALSE);
        void* p = ELK_Alloc(1);
        QVERIFY(p && p != block);
        ELK_Free(p);
    }
};

QTEST_GUILESS_MAIN(TestString)
#include "tst_string.moc"
