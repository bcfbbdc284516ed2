// SPDX-License-Identifier: MIT
// The library read from several threads at once, as the tape's background
// reading and Python threads that release the GIL do: each list is its own,
// so each thread's totals are those of a read alone. Run under
// ThreadSanitizer, this is where shared state would show as a race.
#include <QtTest>

#include <thread>
#include <vector>

#include "ELKInput.h"

namespace
{

struct Totals {
    int64_t entries = -1, errors = -1, sum = -1;
    bool operator==(const Totals& o) const { return entries == o.entries && errors == o.errors && sum == o.sum; }
};

Totals readOnce(const QByteArray& text)
{
    ELKTimebase_t tb;
    ELKTimebase_Set(&tb, 25, 1, ELK_FALSE);
    ELKList_t l;
    ELKList_Init(&l, &tb);
    const ELKReadOptions_t options { ELK_RATE_OWN };
    ELKInput_ReadBytes(&l, text.constData(), text.size(), &options);
    const Totals t { l.entryCount, l.errorCount, l.sum };
    ELKList_Destroy(&l);
    return t;
}

QByteArray repeated(const QByteArray& line, int times)
{
    QByteArray text;
    for (int i = 0; i < times; ++i) text += line;
    return text;
}

} // namespace

class TestThreads : public QObject
{
    Q_OBJECT

private slots:
    void concurrentReads_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("entries");
        QTest::addColumn<qint64>("sum"); // frames at 25, worked out by hand
        QTest::newRow("plain list, 2,000 lines of 1 s")
            << repeated("Shot 00:00:01:00\n", 2000) << qint64(2000) << qint64(2000 * 25);
        QTest::newRow("EDL, 1,000 events of 2 s")
            << "TITLE: T\n"
                + repeated("001  AX  V  C  01:00:00:00 01:00:02:00 01:00:00:00 01:00:02:00\n", 1000)
            << qint64(1000) << qint64(1000 * 50);
        QTest::newRow("FCPXML at 25, 500 clips of 1 s")
            << "<fcpxml version=\"1.10\"><resources><format id=\"r1\" frameDuration=\"1/25s\"/></resources>"
               "<project name=\"P\"><sequence format=\"r1\"><spine>"
                + repeated("<clip name=\"c\" duration=\"1s\"/>", 500) + "</spine></sequence></project></fcpxml>"
            << qint64(500) << qint64(500 * 25);
    }
    void concurrentReads()
    {
        QFETCH(QByteArray, text);
        QFETCH(qint64, entries);
        QFETCH(qint64, sum);
        const Totals alone = readOnce(text);
        QCOMPARE(alone.entries, entries);
        QCOMPARE(alone.sum, sum);
        std::vector<Totals> got(4);
        std::vector<std::thread> threads;
        for (Totals& t : got)
            threads.emplace_back([&t, &text] {
                for (int i = 0; i < 5; ++i) t = readOnce(text);
            });
        for (std::thread& t : threads) t.join();
        for (const Totals& t : got) QVERIFY(t == alone);
    }
};

QTEST_GUILESS_MAIN(TestThreads)
#include "tst_threads.moc"
