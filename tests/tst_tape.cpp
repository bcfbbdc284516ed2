// SPDX-License-Identifier: MIT
// The tape window driven as a user drives it: paste, open, drop, select,
// copy the total, pick timebases.
#include <QtTest>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTreeWidget>

#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include "HorodexTape.h"

namespace
{

template <class T> T* find(const QObject* parent, const char* name)
{
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    if (!child) qFatal("no child named %s", name);
    return child;
}

const QString acts = QStringLiteral("Act 1   00:12:34:05\nAct 2   01:00:00:00 01:11:02:10\n");
const QString edl
    = QStringLiteral("TITLE: REEL 1\nFCM: NON-DROP FRAME\n\n"
                     "001  A001C003 V     C        01:00:10:00 01:00:22:12 00:00:00:00 00:00:12:12\n"
                     "002  A001C007 V     C        02:14:03:05 02:14:09:00 00:00:12:12 00:00:18:07\n"
                     "003  AX       A2    C        00:00:00:00 00:00:30:00 00:00:00:00 00:00:30:00\n");

} // namespace

class tst_Tape : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void pasteShowsTotals_data();
    void pasteShowsTotals();
    void editorHasFocus();
    void errorsMarked_data();
    void errorsMarked();
    void selectionSelectsLine();
    void copyTotal_data();
    void copyTotal();
    void showAt();
    void open_data();
    void open();
    void keptTimebase();

private:
    void paste(const QString& text);
    QString total(int row, int column, int child = -1) const;

    std::unique_ptr<HorodexTape> m_window;
};

void tst_Tape::initTestCase()
{
    // Settings go to a test location, not the user's.
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Horodex"));
    QCoreApplication::setApplicationName(QStringLiteral("tst_tape"));
}

void tst_Tape::init()
{
    QSettings().clear();
    QGuiApplication::clipboard()->clear();
    m_window = std::make_unique<HorodexTape>();
    ELKTimebase_t base;
    ELKTimebase_Set(&base, 25, 1, ELK_FALSE);
    m_window->HorodexTape_SetTimebase(base);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_Tape::cleanup()
{
    m_window.reset();
}

void tst_Tape::paste(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    auto* editor = find<QPlainTextEdit>(m_window.get(), "m_editor");
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
}

// Row 0 is the sum, row 1 the unique length; children are tracks.
QString tst_Tape::total(int row, int column, int child) const
{
    const QTreeWidgetItem* item = find<QTreeWidget>(m_window.get(), "m_totals")->topLevelItem(row);
    if (child >= 0) item = item->child(child);
    return item ? item->text(column) : QStringLiteral("(none)");
}

void tst_Tape::pasteShowsTotals_data()
{
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QStringList>("sum"); // timecode, frames, running time
    QTest::addColumn<QString>("leftOut");
    QTest::addColumn<QStringList>("tracks"); // "name sum unique" in frames

    QTest::newRow("a duration and an in-out pair at 25")
        << "25" << acts << 2 << QStringList { "00:23:36:15", "35415", "0:23:36.600" } << QString()
        << QStringList();
    QTest::newRow("a bad line is left out and said in words")
        << "25" << acts + "Act 3   00:00:01:29\n"
        << 3 << QStringList { "00:23:36:15", "35415", "0:23:36.600" }
        << "1 line left out of the totals, marked in the list." << QStringList();
    QTest::newRow("two bad lines") << "25"
                                   << "a 00:00:01:29\nb 00:00:02:25\n"
                                   << 2 << QStringList { "00:00:00:00", "0", "0:00:00.000" }
                                   << "2 lines left out of the totals, marked in the list." << QStringList();
    QTest::newRow("an EDL totals each track")
        << "25" << edl << 3 << QStringList { "00:00:48:07", "1207", "0:00:48.280" } << QString()
        << QStringList { "V 457 457", "A2 750 750" };
}

void tst_Tape::pasteShowsTotals()
{
    QFETCH(QString, rate);
    QFETCH(QString, text);
    QFETCH(int, rows);
    QFETCH(QStringList, sum);
    QFETCH(QString, leftOut);
    QFETCH(QStringList, tracks);

    ELKTimebase_t base;
    QCOMPARE(ELKTimebase_FromText(&base, rate.toLatin1().constData(), -1), ELK_OK);
    m_window->HorodexTape_SetTimebase(base);
    paste(text);

    QCOMPARE(find<QTableView>(m_window.get(), "m_table")->model()->rowCount(), rows);
    QCOMPARE((QStringList { total(0, 1), total(0, 2), total(0, 3) }), sum);
    QCOMPARE(find<QLabel>(m_window.get(), "m_leftOut")->text(), leftOut);
    QStringList shownTracks;
    for (int i = 0; i < find<QTreeWidget>(m_window.get(), "m_totals")->topLevelItem(0)->childCount(); ++i)
        shownTracks << total(0, 0, i) + ' ' + total(0, 2, i) + ' ' + total(1, 2, i);
    QCOMPARE(shownTracks, tracks);
}

void tst_Tape::editorHasFocus()
{
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(QApplication::focusWidget(), find<QPlainTextEdit>(m_window.get(), "m_editor"));
    // Tab leaves the editor for the table, so every part is reachable from the keyboard.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), find<QTableView>(m_window.get(), "m_table"));
}

void tst_Tape::errorsMarked_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("fault"); // the text marked on that line, from the faulty group on

    QTest::newRow("frames past the rate") << acts + "Act 3   00:00:01:29\n" << 3 << "29";
    QTest::newRow("a broken record out in an EDL")
        << edl + "004  B  V  C  01:00:00:00 01:00:01:00 00:00:30:00 00:00:3X:00\n"
        << 7 << "X:00";
}

void tst_Tape::errorsMarked()
{
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(QString, fault);

    paste(text);
    auto* editor = find<QPlainTextEdit>(m_window.get(), "m_editor");
    const QList<QTextEdit::ExtraSelection> marks = editor->extraSelections();
    QVERIFY(marks.size() >= 2);
    QCOMPARE(marks.at(0).cursor.blockNumber() + 1, line);
    QCOMPARE(marks.at(1).cursor.blockNumber() + 1, line);
    QCOMPARE(marks.at(1).cursor.selectedText(), fault);

    // The table row of that line shows the reason.
    const QAbstractItemModel* model = find<QTableView>(m_window.get(), "m_table")->model();
    int row = 0;
    while (row < model->rowCount() && model->index(row, 0).data().toInt() != line) ++row;
    QVERIFY(row < model->rowCount());
    QVERIFY(!model->index(row, 1).data().toString().isEmpty());
    QCOMPARE(find<QTableView>(m_window.get(), "m_table")->columnSpan(row, 1), 6); // the reason reads across
    QVERIFY(model->index(row, 1).data(Qt::ToolTipRole).toString().contains(text.split('\n').at(line - 1)));
}

void tst_Tape::selectionSelectsLine()
{
    paste(edl);
    auto* table = find<QTableView>(m_window.get(), "m_table");
    QTest::mouseClick(
        table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(1, 2)).center());
    const QTextCursor cursor = find<QPlainTextEdit>(m_window.get(), "m_editor")->textCursor();
    QCOMPARE(cursor.blockNumber() + 1, 5);
    QCOMPARE(cursor.selectedText(), edl.split('\n').at(4));
}

void tst_Tape::copyTotal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("unique");
    QTest::addColumn<QString>("copied");

    QTest::newRow("the sum") << edl << false << "00:00:48.07";
    QTest::newRow("the unique length, when chosen") << edl << true << "00:00:30.00";
    QTest::newRow("unique chosen but no in and out: the sum") << "a 00:00:10:00\n" << true << "00:00:10.00";
    QTest::newRow("hours widen past 99") << "a 99:00:00:00\nb 01:00:00:01\n" << false << "100:00:00.01";
}

void tst_Tape::copyTotal()
{
    QFETCH(QString, text);
    QFETCH(bool, unique);
    QFETCH(QString, copied);

    paste(text);
    find<QCheckBox>(m_window.get(), "m_copyUnique")->setChecked(unique);
    QTest::keyClick(
        find<QPlainTextEdit>(m_window.get(), "m_editor"), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
}

// A 59.94 drop-frame hour delivered at 23.976 runs 86,313.6 frames there.
void tst_Tape::showAt()
{
    ELKTimebase_t base;
    ELKTimebase_FromText(&base, "59.94df", -1);
    m_window->HorodexTape_SetTimebase(base);
    paste(QStringLiteral("programme 01:00:00;00\n"));
    auto* showAt = find<QComboBox>(m_window.get(), "m_showAt");
    showAt->setCurrentIndex(showAt->findText(QStringLiteral("23.976")));
    QCOMPARE(total(0, 2), QStringLiteral("215784"));
    QCOMPARE(total(0, 4), QStringLiteral("00:59:56:10"));
    QCOMPARE(total(0, 5), QStringLiteral("86314"));
}

void tst_Tape::open_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("drop");

    const QByteArray crlf = acts.toUtf8().replace("\n", "\r\n");
    QTest::newRow("CRLF with a byte-order mark") << "\xEF\xBB\xBF" + crlf << false;
    QTest::newRow("Latin-1 label, CR line ends")
        << acts.toUtf8().replace("Act 1", "Acte \xE9").replace("\n", "\r") << false;
    QTest::newRow("dropped on the editor") << acts.toUtf8() << true;
}

void tst_Tape::open()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, drop);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("acts.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    if (drop) {
        QMimeData mime;
        mime.setUrls({ QUrl::fromLocalFile(path) });
        QWidget* viewport = find<QPlainTextEdit>(m_window.get(), "m_editor")->viewport();
        // Qt sends a drop only to the widget that took the drag's entry.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    } else {
        QCOMPARE(m_window->HorodexTape_Open(path), QString());
    }
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Horodex Tape \u2014 acts.txt"));
    QCOMPARE(total(0, 2), QStringLiteral("35415"));
    QCOMPARE(find<QTableView>(m_window.get(), "m_table")->model()->rowCount(), 2);

    // A file that cannot be read says so and leaves the list as it was.
    QVERIFY(!m_window->HorodexTape_Open(dir.filePath(QStringLiteral("missing.edl"))).isEmpty());
    QVERIFY(!m_window->HorodexTape_Open(dir.path()).isEmpty());
#ifdef Q_OS_UNIX
    // A pipe would block the open until a writer came.
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("pipe.edl")));
    QCOMPARE(mkfifo(fifo.constData(), 0600), 0);
    QVERIFY(!m_window->HorodexTape_Open(QFile::decodeName(fifo)).isEmpty());
#endif
    QCOMPARE(total(0, 2), QStringLiteral("35415"));
}

void tst_Tape::keptTimebase()
{
    auto* chooser = find<QComboBox>(m_window.get(), "m_timebase");
    chooser->setFocus();
    QTest::keyClick(chooser, Qt::Key_Down); // 25 -> 29.97
    const QString chosen = chooser->currentText();
    QVERIFY(chosen != QStringLiteral("25"));

    // A timebase set from outside (the command line) is for that run only.
    ELKTimebase_t base;
    ELKTimebase_Set(&base, 50, 1, ELK_FALSE);
    m_window->HorodexTape_SetTimebase(base);

    HorodexTape next;
    QCOMPARE(find<QComboBox>(&next, "m_timebase")->currentText(), chosen);
}

QTEST_MAIN(tst_Tape)
#include "tst_tape.moc"
