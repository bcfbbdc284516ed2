// SPDX-License-Identifier: MIT
// The tape window driven as a user drives it: paste, open, drop, select,
// copy the total, pick timebases.
#include <QtTest>

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTreeWidget>

#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "ELKInput.h"
#include "ELKText.h"
#include "HorodexTape.h"
#include "TimeEntry_w.h"
#include "list_description.h"

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
    void saveKeepsEncoding_data();
    void saveKeepsEncoding();
    void failedSave_data();
    void failedSave();
    void unencodableSavedAsUtf8();
    void unsavedPrompt_data();
    void unsavedPrompt();
    void autosaveRestored();
    void severalTabs();
    void timeline_data();
    void timeline();
    void changedOnDisk_data();
    void changedOnDisk();
    void restoredCopyOfChangedFile_data();
    void restoredCopyOfChangedFile();
    void saveAsEncoding_data();
    void saveAsEncoding();
    void tabKeysAndNames();
    void leftOutNamesTabs();
    void minimumSize();
    void defaultTimebaseSaid();
    void longTextReadAgain();
    void editsReadAgain_data();
    void editsReadAgain();
    void copiedTotalInCalculator_data();
    void copiedTotalInCalculator();

private:
    void paste(const QString& text);
    // Answers the next modal message box with `button`, keeping its text in m_asked.
    void answer(QMessageBox::StandardButton button);
    // Clicks the button of the next message box whose text starts with `text`; Escape when empty.
    void answerWith(const QString& text);
    QString writeFile(const QString& name, const QByteArray& bytes);
    QString total(int row, int column, int child = -1) const;

    std::unique_ptr<HorodexTape> m_window;
    QTemporaryDir m_dir;
    QString m_asked;
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
    // No copies left by an earlier test.
    QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).removeRecursively();
    QGuiApplication::clipboard()->clear();
    m_window = std::make_unique<HorodexTape>();
    ELKTimebase_t base;
    ELKTimebase_Set(&base, 25, 1, ELK_FALSE);
    m_window->setTimebase(base);
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
    auto* editor = m_window->currentEditor();
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
        << 3 << QStringList { "00:23:36:15", "35415", "0:23:36.600" } << "1 line left out: Untitled 1"
        << QStringList();
    QTest::newRow("two bad lines") << "25"
                                   << "a 00:00:01:29\nb 00:00:02:25\n"
                                   << 2 << QStringList { "00:00:00:00", "0", "0:00:00.000" }
                                   << "2 lines left out: Untitled 2" << QStringList();
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
    m_window->setTimebase(base);
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
    QCOMPARE(QApplication::focusWidget(), m_window->currentEditor());
    paste(edl); // so that "Copy the unique length" can be ticked
    // Tab reaches every part once, in the order they are laid out, and comes back.
    const QList<QWidget*> order { find<QTableView>(m_window.get(), "m_table"),
        find<QTreeWidget>(m_window.get(), "m_totals"), find<QComboBox>(m_window.get(), "m_timebase"),
        find<QComboBox>(m_window.get(), "m_showAt"), find<QCheckBox>(m_window.get(), "m_copyUnique"),
        m_window->findChild<QWidget*>(QStringLiteral("m_copyTotal")), m_window->currentEditor() };
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    // The table selected a line on the way; keys typed back in the editor add to it.
    const QString before = m_window->currentEditor()->toPlainText();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_X);
    QCOMPARE(m_window->currentEditor()->toPlainText().size(), before.size() + 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), order.at(order.size() - 2));

    // Ctrl+V pastes into the current tab wherever the focus is, replacing nothing.
    QGuiApplication::clipboard()->setText(acts);
    order.first()->setFocus();
    QTest::keyClick(order.first(), Qt::Key_Down);
    QTest::keyClick(order.first(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(m_window->currentEditor()->toPlainText().size(), before.size() + acts.size());
    QVERIFY(m_window->currentEditor()->toPlainText().contains(acts));
}

void tst_Tape::errorsMarked_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("fault"); // the text marked on that line, from the faulty group on
    QTest::addColumn<QString>("reason");

    QTest::newRow("frames past the rate") << acts + "Act 3   00:00:01:29\n"
                                          << 3 << "29"
                                          << "frames 29 at 25 fps";
    QTest::newRow("a broken record out in an EDL")
        << edl + "004  B  V  C  01:00:00:00 01:00:01:00 00:00:30:00 00:00:3X:00\n"
        << 7 << "X:00"
        << "stray character in a time";
    QTest::newRow("a label drop frame skips") << "a 00:01:00;00\n"
                                              << 1 << "00:01:00;00"
                                              << "00:01:00;00 does not exist at 29.97df";
    QTest::newRow("a timeline's own reason: an ALE time past its rate")
        << "Heading\nFPS\t24\n\nColumn\nName\tStart\tEnd\n\nData\nA\t23:59:59:29\t23:59:59:30\n"
        << 8 << "29"
        << "frames 29 at 24 fps";
    QTest::newRow("two groups, with how to write them")
        << "Intro 1:30\n"
        << 1 << "1:30"
        << "a time needs three or four digit groups: write 00:01:30 or 00:00:01:30";
}

void tst_Tape::errorsMarked()
{
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(QString, fault);
    QFETCH(QString, reason);

    if (reason.contains(QStringLiteral("29.97df"))) {
        ELKTimebase_t base;
        ELKTimebase_FromText(&base, "29.97df", -1);
        m_window->setTimebase(base);
    }
    paste(text);
    auto* editor = m_window->currentEditor();
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
    QCOMPARE(model->index(row, 1).data().toString(), reason);
    QCOMPARE(find<QTableView>(m_window.get(), "m_table")->columnSpan(row, 1), 6); // the reason reads across
    // The tooltip holds the line, or for a timeline, whose readers keep no line, the reason.
    const QString tip = model->index(row, 1).data(Qt::ToolTipRole).toString();
    QVERIFY2(tip.contains(text.split('\n').at(line - 1)) || tip == reason, qPrintable(tip));
}

void tst_Tape::selectionSelectsLine()
{
    paste(edl);
    auto* table = find<QTableView>(m_window.get(), "m_table");
    QTest::mouseClick(
        table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(1, 2)).center());
    const QTextCursor cursor = m_window->currentEditor()->textCursor();
    QCOMPARE(cursor.blockNumber() + 1, 5);
    QCOMPARE(cursor.selectedText(), edl.split('\n').at(4));

    // And back: the cursor on a line selects its row.
    TapeEditor* document = m_window->currentEditor();
    document->setTextCursor(QTextCursor(document->document()->findBlockByNumber(5)));
    QCOMPARE(table->currentIndex().row(), 2);

    // An error row shows its fault, scrolled sideways if need be: the record out at the line's end.
    paste(edl + "004  B  V  C  01:00:00:00 01:00:01:00 00:00:30:00 00:00:3X:00\n");
    find<QSplitter>(m_window.get(), "m_splitter")->setSizes({ 200, 900 });
    QTest::qWait(50);
    QTest::mouseClick(
        table->viewport(), Qt::LeftButton, {}, table->visualRect(table->model()->index(3, 2)).center());
    QTextCursor fault(document->document()->findBlockByNumber(6));
    fault.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, int(fault.block().text().indexOf("3X")));
    const QRect shown = document->cursorRect(fault);
    QVERIFY(document->horizontalScrollBar()->value() > 0);
    QVERIFY2(shown.left() >= 0 && shown.right() <= document->viewport()->width(),
        qPrintable(QStringLiteral("the fault at %1 is off-screen: the editor shows 0 to %2")
                       .arg(shown.left())
                       .arg(document->viewport()->width())));
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
    QTest::keyClick(m_window->currentEditor(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
}

// A 59.94 drop-frame hour delivered at 23.976 runs 86,313.6 frames there.
void tst_Tape::showAt()
{
    ELKTimebase_t base;
    ELKTimebase_FromText(&base, "59.94df", -1);
    m_window->setTimebase(base);
    paste(QStringLiteral("programme 01:00:00;00\n"));
    auto* showAt = find<QComboBox>(m_window.get(), "m_showAt");
    showAt->setCurrentIndex(showAt->findText(QStringLiteral("23.976")));
    QCOMPARE(total(0, 2), QStringLiteral("215784"));
    QCOMPARE(total(0, 4), QStringLiteral("00:59:56:10"));
    QCOMPARE(total(0, 5), QStringLiteral("86314"));
    const QTreeWidgetItem* headings = find<QTreeWidget>(m_window.get(), "m_totals")->headerItem();
    QCOMPARE(headings->text(4) + ", " + headings->text(5), QStringLiteral("At 23.976, Frames at 23.976"));
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
        QWidget* viewport = m_window->currentEditor()->viewport();
        // Qt sends a drop only to the widget that took the drag's entry.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent event(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    } else {
        QCOMPARE(m_window->openFiles({ path }), QStringList());
    }
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Horodex Tape \u2014 acts.txt[*]"));
    QCOMPARE(total(0, 2), QStringLiteral("35415"));
    QCOMPARE(find<QTableView>(m_window.get(), "m_table")->model()->rowCount(), 2);

    // A file that cannot be read says so and leaves the list as it was.
    QCOMPARE(m_window->openFiles({ dir.filePath(QStringLiteral("missing.edl")) }).size(), 1);
    QCOMPARE(m_window->openFiles({ dir.path() }).size(), 1);
#ifdef Q_OS_UNIX
    // A pipe would block the open until a writer came.
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("pipe.edl")));
    QCOMPARE(mkfifo(fifo.constData(), 0600), 0);
    QCOMPARE(m_window->openFiles({ QFile::decodeName(fifo) }).size(), 1);
#endif
    QCOMPARE(total(0, 2), QStringLiteral("35415"));
    QCOMPARE(find<QTabWidget>(m_window.get(), "m_tabs")->count(), 1);
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
    m_window->setTimebase(base);

    HorodexTape next;
    QCOMPARE(find<QComboBox>(&next, "m_timebase")->currentText(), chosen);
}

void tst_Tape::answer(QMessageBox::StandardButton button)
{
    QTimer::singleShot(10, this, [this, button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return answer(button);
        m_asked = box->text();
        if (button == QMessageBox::Cancel)
            QTest::keyClick(box, Qt::Key_Escape);
        else
            box->button(button)->click();
    });
}

void tst_Tape::answerWith(const QString& text)
{
    QTimer::singleShot(10, this, [this, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return answerWith(text);
        m_asked = box->text();
        for (QAbstractButton* button : box->buttons())
            if (!text.isEmpty() && button->text().remove(QLatin1Char('&')).startsWith(text))
                return button->click();
        QTest::keyClick(box, Qt::Key_Escape);
    });
}

QString tst_Tape::writeFile(const QString& name, const QByteArray& bytes)
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(name));
    return file.fileName();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

QByteArray utf16le(const QString& text)
{
    QByteArray bytes;
    for (const QChar c : text) bytes += char(c.unicode() & 0xFF), bytes += char(c.unicode() >> 8);
    return bytes;
}

// A line typed at the end of a file and saved goes out in the file's own
// encoding and line end, and the rest of the file with it, byte for byte.
void tst_Tape::saveKeepsEncoding_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("UTF-8 with LF") << QByteArray("Acte \xC3\xA9 00:00:10:00\n")
                                   << QByteArray("Acte \xC3\xA9 00:00:10:00\nx 00:00:01:00\n");
    QTest::newRow("Windows-1252 with CRLF, curly quotes and all")
        << QByteArray("Acte \xE9 \x93un\x94 00:00:10:00\r\n")
        << QByteArray("Acte \xE9 \x93un\x94 00:00:10:00\r\nx 00:00:01:00\r\n");
    QTest::newRow("UTF-8 with a byte-order mark and CR") << QByteArray("\xEF\xBB\xBF"
                                                                       "a 00:00:10:00\r")
                                                         << QByteArray("\xEF\xBB\xBF"
                                                                       "a 00:00:10:00\rx 00:00:01:00\r");
    QTest::newRow("UTF-16LE with a byte-order mark and CRLF")
        << utf16le(QStringLiteral("\uFEFFa 00:00:10:00\r\n"))
        << utf16le(QStringLiteral("\uFEFFa 00:00:10:00\r\nx 00:00:01:00\r\n"));
    // Over a MiB of UTF-8 but under a million characters: the editor takes
    // it in pieces, and it is still read at once on each keystroke.
    QByteArray longer("a 00:00:10:00\n");
    for (int i = 0; i < 40000; ++i)
        longer += QStringLiteral("\u00E9\u00E9\u00E9\u00E9\u00E9%1 00:00:00:00\n")
                      .arg(i, 5, 10, QLatin1Char('0'))
                      .toUtf8();
    QTest::newRow("UTF-8 longer than a piece") << longer << longer + "x 00:00:01:00\n";
}

void tst_Tape::saveKeepsEncoding()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);

    const QString path = writeFile(QStringLiteral("reel.edl"), before);
    QCOMPARE(m_window->openFiles({ path }), QStringList());
    TapeEditor* document = m_window->currentEditor();
    QVERIFY(!m_window->isWindowModified());
    document->moveCursor(QTextCursor::End);
    QTest::keyClicks(document, QStringLiteral("x 00:00:01:00"));
    QTest::keyClick(document, Qt::Key_Return);
    QVERIFY(m_window->isWindowModified());
    QCOMPARE(total(0, 2), QStringLiteral("275"));

    QTest::keyClick(document, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(readFile(path), after);
    QVERIFY(!m_window->isWindowModified());
}

void tst_Tape::failedSave_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::addColumn<QString>("reason");

    QTest::newRow("a character Windows-1252 cannot hold: not as UTF-8 either")
        << QStringLiteral("\u2192") << false << "line 2, column 1";
    QTest::newRow("a folder that cannot be written") << QStringLiteral("x") << true << "was not saved";
}

// A save that fails says why, leaves the file on disk as it was and the tab unsaved.
void tst_Tape::failedSave()
{
    QFETCH(QString, typed);
    QFETCH(bool, readOnlyFolder);
    QFETCH(QString, reason);

    const QByteArray before("Acte \xE9 00:00:10:00\n");
    const QString path = writeFile(QStringLiteral("reel.edl"), before);
    QCOMPARE(m_window->openFiles({ path }), QStringList());
    TapeEditor* document = m_window->currentEditor();
    document->moveCursor(QTextCursor::End);
    document->insertPlainText(typed);
    if (readOnlyFolder) {
        if (geteuid() == 0) QSKIP("root writes into any folder");
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    }
    answer(QMessageBox::Cancel); // Escape: neither saved, nor saved as UTF-8
    QVERIFY(!m_window->saveDocument(document));
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY2(m_asked.contains(reason), qPrintable(m_asked));
    QCOMPARE(readFile(path), before);
    QVERIFY(m_window->isWindowModified());
}

// The way out of Windows-1252: the failed save offers UTF-8, and the file is then UTF-8.
void tst_Tape::unencodableSavedAsUtf8()
{
    const QString path = writeFile(QStringLiteral("reel.edl"), "Acte \xE9 00:00:10:00\r\n");
    QCOMPARE(m_window->openFiles({ path }), QStringList());
    TapeEditor* editor = m_window->currentEditor();
    editor->moveCursor(QTextCursor::End);
    editor->insertPlainText(QStringLiteral("\u2192 00:00:01:00"));
    answer(QMessageBox::Save);
    QVERIFY(m_window->saveDocument(editor));
    QVERIFY2(m_asked.contains(QStringLiteral("UTF-8")), qPrintable(m_asked));
    QCOMPARE(readFile(path), QByteArray("Acte \xC3\xA9 00:00:10:00\r\n\xE2\x86\x92 00:00:01:00"));
    QCOMPARE(editor->tapeDocument()->encoding(), int(ELK_TEXT_UTF8));
    QVERIFY(!m_window->isWindowModified());
}

void tst_Tape::unsavedPrompt_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("button");
    QTest::addColumn<bool>("closed");

    QTest::newRow("Escape cancels: the window stays with its text") << QMessageBox::Cancel << false;
    QTest::newRow("discard closes") << QMessageBox::Discard << true;
}

void tst_Tape::unsavedPrompt()
{
    QFETCH(QMessageBox::StandardButton, button);
    QFETCH(bool, closed);

    paste(acts);
    answer(button);
    QCOMPARE(m_window->close(), closed);
    QVERIFY2(m_asked.contains(QStringLiteral("Untitled")), qPrintable(m_asked));
    QCOMPARE(m_window->isVisible(), !closed);
    QCOMPARE(m_window->currentEditor()->toPlainText(), acts);

    // Closing a tab asks the same.
    if (closed) return;
    m_asked.clear();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    answer(QMessageBox::Cancel);
    QTest::keyClick(m_window->currentEditor(), Qt::Key_W, Qt::ControlModifier);
    QVERIFY2(m_asked.contains(QStringLiteral("Untitled")), qPrintable(m_asked));
    QCOMPARE(m_window->currentEditor()->toPlainText(), acts);
}

// A tape that ends without closing leaves copies that the next start brings
// back, each in its tab, with its file and unsaved mark; a tape still running
// keeps its own.
void tst_Tape::autosaveRestored()
{
    paste(acts);
    const QString path = writeFile(QStringLiteral("reel.edl"), edl.toUtf8());
    QCOMPARE(m_window->openFiles({ path }), QStringList());
    m_window->currentEditor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(m_window->currentEditor(), QStringLiteral("* note"));
    // The copy is written a moment after the last edit.
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->currentEditor()->tapeDocument()->isCopyDue(), 5000);
    m_window.reset(); // no close: as if killed

    HorodexTape restored;
    QCOMPARE(restored.restoreSession(), 2);
    const QList<TapeEditor*> tabs = restored.editors();
    QCOMPARE(tabs.size(), 2);
    QCOMPARE(tabs.at(0)->toPlainText(), acts);
    QCOMPARE(tabs.at(0)->tapeDocument()->filePath(), QString());
    QCOMPARE(tabs.at(1)->toPlainText(), edl + QStringLiteral("* note"));
    QCOMPARE(tabs.at(1)->tapeDocument()->filePath(), QFileInfo(path).absoluteFilePath());
    QVERIFY(tabs.at(0)->document()->isModified() && tabs.at(1)->document()->isModified());
    QVERIFY(restored.statusBar()->currentMessage().contains(QStringLiteral("Restored 2")));

    HorodexTape second;
    QCOMPARE(second.restoreSession(), 0);

    // A clean close removes the copies.
    answer(QMessageBox::Discard);
    QVERIFY(restored.close());
    HorodexTape third;
    QCOMPARE(third.restoreSession(), 0);
}

// Tabs total as several inputs of one list: sums add, tracks merge by name,
// one row per input; typed text is never replaced by a file.
void tst_Tape::severalTabs()
{
    paste(acts); // 35415 frames at 25
    const QString reel1 = writeFile(QStringLiteral("reel1.edl"), edl.toUtf8()); // 1207, V 457, A2 750
    const QString reel2 = writeFile(QStringLiteral("reel2.edl"),
        "001  AX  V  C  00:00:00:00 00:00:02:00 01:00:00:00 01:00:02:00\n"); // 50, V 50
    QCOMPARE(m_window->openFiles({ reel1, reel2 }), QStringList());
    auto* tabs = find<QTabWidget>(m_window.get(), "m_tabs");
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Untitled *"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("reel2.edl"));
    QCOMPARE(m_window->editors().first()->toPlainText(), acts);

    QCOMPARE(total(0, 2), QString::number(35415 + 1207 + 50));
    QCOMPARE(total(1, 2), QString::number(16560 + 750 + 50)); // Act 2's in and out, and each reel's own
    QCOMPARE(total(0, 0, 0) + ' ' + total(0, 2, 0), QStringLiteral("V 507"));
    // Length: each EDL's last record out less its first record in; Act 2's out less its in.
    QCOMPARE(total(2, 0) + ' ' + total(2, 2), QStringLiteral("Length %1").arg(16560 + 750 + 50));
    QCOMPARE(total(3, 0) + ' ' + total(3, 2), QStringLiteral("Untitled: list, length 00:11:02:10 35415"));
    QCOMPARE(total(4, 0) + ' ' + total(4, 2), QStringLiteral("reel1.edl: EDL, length 00:00:30:00 1207"));
    QCOMPARE(total(5, 0) + ' ' + total(5, 2), QStringLiteral("reel2.edl: EDL, length 00:00:02:00 50"));
    QTest::keyClick(m_window->currentEditor(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("00:24:26.22"));
    QCOMPARE(m_window->statusBar()->currentMessage(), QStringLiteral("Copied 00:24:26.22"));
    QTest::keyClick(m_window->currentEditor(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(tabs->currentIndex(), 0);
}

// A timeline opens in a tab of its own, an FCPXML bundle through its
// Info.fcpxml, read once. Its own rate becomes the timebase only while no
// other input holds entries and no --rate was given; later files never move it.
void tst_Tape::timeline_data()
{
    QTest::addColumn<QString>("before"); // pasted first
    QTest::addColumn<bool>("fixed"); // 25 given as --rate
    QTest::addColumn<QString>("timebase");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("rows"); // sum, length, the inputs: "name frames"
    QTest::addColumn<int>("at50"); // the sum read again at 50: 150 for the timeline

    QTest::newRow("an empty tape takes the timeline's rate")
        << QString() << false << "23.976"
        << "Timebase 23.976, from Cut.fcpxmld" << QStringList { "Sum 72", "Unique length 72", "Length 72" }
        << 150;
    QTest::newRow("a line left out is no entry: the rate still moves")
        << "a 00:00:01:29\n"
        << false << "23.976"
        << "Timebase 23.976, from Cut.fcpxmld"
        << QStringList { "Sum 72", "Unique length 72", "Length 72", "Untitled: list 0",
               "Cut.fcpxmld, Cut: FCPXML, at 23.976, length 00:00:03:00 72" }
        << 150 + 79; // 00:00:01:29 is a time at 50
    // 2.002 s and 1.001 s at 25: positions 0, 50 and 75, each rounded once.
    QTest::newRow("a list with entries holds the timebase")
        << "a 00:00:01:00\n"
        << false << "25" << QString()
        << QStringList { "Sum 100", "Unique length 75", "Length 75", "Untitled: list 25",
               "Cut.fcpxmld, Cut: FCPXML, at 23.976, length 00:00:03:00 (00:00:03:00 at 25) 75" }
        << 150 + 50;
    QTest::newRow("--rate holds in an empty tape too")
        << QString() << true << "25" << QString() << QStringList { "Sum 75", "Unique length 75", "Length 75" }
        << 150;
}

void tst_Tape::timeline()
{
    QFETCH(QString, before);
    QFETCH(bool, fixed);
    QFETCH(QString, timebase);
    QFETCH(QString, message);
    QFETCH(QStringList, rows);
    QFETCH(int, at50);

    if (fixed) {
        ELKTimebase_t base;
        ELKTimebase_Set(&base, 25, 1, ELK_FALSE);
        m_window->setTimebase(base, true);
    }
    if (!before.isEmpty()) paste(before);
    const QString bundle = m_dir.filePath(QStringLiteral("Cut.fcpxmld"));
    QDir(m_dir.path()).mkdir(QStringLiteral("Cut.fcpxmld"));
    // 48 and 24 frames at 24000/1001.
    writeFile(QStringLiteral("Cut.fcpxmld/Info.fcpxml"),
        R"(<fcpxml version="1.10"><resources><format id="f" frameDuration="1001/24000s"/></resources>
<project name="Cut"><sequence format="f" tcStart="0s"><spine>
<clip name="A" offset="0s" duration="2002/1000s"/><clip name="B" offset="2002/1000s" duration="1001/1000s"/>
</spine></sequence></project></fcpxml>)");
    QCOMPARE(m_window->openFiles({ bundle }), QStringList());
    const TapeDocument* cut = m_window->currentEditor()->tapeDocument();
    QCOMPARE(cut->parses(), 1);
    QCOMPARE(find<QComboBox>(m_window.get(), "m_timebase")->currentText(), timebase);
    QCOMPARE(m_window->statusBar()->currentMessage(), message);
    QCOMPARE(m_window->currentEditor()->tapeDocument()->displayName(), QStringLiteral("Cut.fcpxmld"));
    const auto* totals = find<QTreeWidget>(m_window.get(), "m_totals");
    QStringList shown;
    for (int row = 0; row < totals->topLevelItemCount(); ++row)
        if (!totals->topLevelItem(row)->isHidden())
            shown << totals->topLevelItem(row)->text(0) + ' ' + totals->topLevelItem(row)->text(2);
    QCOMPARE(shown.join(QStringLiteral(" / ")), rows.join(QStringLiteral(" / ")));

    // Opened again, by another name for the same file: its tab, not a second count.
    QCOMPARE(
        m_window->openFiles({ m_dir.filePath(QStringLiteral("./Cut.fcpxmld/Info.fcpxml")) }), QStringList());
    QCOMPARE(find<QTabWidget>(m_window.get(), "m_tabs")->count(), before.isEmpty() ? 1 : 2);
    QCOMPARE(m_window->statusBar()->currentMessage(),
        QStringLiteral("Cut.fcpxmld is open already: shown in its tab."));
    QCOMPARE(cut->parses(), 1);

    // Another timebase reads the text kept, not the file, which may be gone.
    QVERIFY(QDir(bundle).removeRecursively());
    find<QComboBox>(m_window.get(), "m_timebase")->setCurrentText(QStringLiteral("50"));
    QCOMPARE(cut->parses(), 2);
    QCOMPARE(total(0, 0) + ' ' + total(0, 2), QStringLiteral("Sum %1").arg(at50));
}

// Another program changes or removes an open file: a clean tab follows it, a
// tab with edits is marked and Save asks, whatever the answer losing nothing.
void tst_Tape::changedOnDisk_data()
{
    QTest::addColumn<bool>("edited"); // a line typed before the change
    QTest::addColumn<bool>("removed"); // the file deleted rather than changed
    QTest::addColumn<QString>("button"); // the answer to Save's question; none when it must not ask
    QTest::addColumn<QByteArray>("file"); // the file after Save
    QTest::addColumn<QString>("text"); // the tab after Save
    QTest::addColumn<bool>("kept"); // the edits put aside by a reload

    const QByteArray theirs = "a 00:00:10:00\nb 00:00:01:00\n";
    const QString mine = QStringLiteral("a 00:00:10:00\nc 00:00:02:00");
    QTest::newRow("a clean tab reloads")
        << false << false << QString() << theirs << QString::fromUtf8(theirs) << false;
    QTest::newRow("Escape: neither file nor tab changes")
        << true << false << QString() << theirs << mine << false;
    QTest::newRow("Overwrite") << true << false << "Overwrite" << mine.toUtf8() << mine << false;
    QTest::newRow("Reload: the edits kept aside first")
        << true << false << "Reload" << theirs << QString::fromUtf8(theirs) << true;
    QTest::newRow("the same size and time, other bytes: Save asks")
        << true << false << QString() << QByteArray("a 00:00:10:01\n")
        << QStringLiteral("a 00:00:10:00\nc 00:00:02:00") << false;
    QTest::newRow("a deleted file keeps its text, unsaved, and Save writes it again")
        << false << true << QString() << QByteArray("a 00:00:10:00\n") << QStringLiteral("a 00:00:10:00\n")
        << false;
}

void tst_Tape::changedOnDisk()
{
    QFETCH(bool, edited);
    QFETCH(bool, removed);
    QFETCH(QString, button);
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QFETCH(bool, kept);

    const QString path = writeFile(QStringLiteral("acts.txt"), "a 00:00:10:00\n");
    QCOMPARE(m_window->openFiles({ path }), QStringList());
    TapeEditor* editor = m_window->currentEditor();
    if (edited) {
        editor->moveCursor(QTextCursor::End);
        QTest::keyClicks(editor, QStringLiteral("c 00:00:02:00"));
    }
    const QDateTime before = QFileInfo(path).lastModified();
    if (removed) {
        QVERIFY(QFile::remove(path));
    } else if (file.size() == 14) {
        // As a copy that keeps times would leave it.
        writeFile(QStringLiteral("acts.txt"), file);
        QFile touched(path);
        QVERIFY(touched.open(QIODevice::ReadWrite));
        QVERIFY(touched.setFileTime(before, QFileDevice::FileModificationTime));
    } else {
        writeFile(QStringLiteral("acts.txt"), "a 00:00:10:00\nb 00:00:01:00\n");
    }
    const QString name = QStringLiteral("acts.txt");
    QTRY_VERIFY(m_window->statusBar()->currentMessage().startsWith(name));
    auto* tabs = find<QTabWidget>(m_window.get(), "m_tabs");
    if (removed || edited) {
        QVERIFY(m_window->isWindowModified());
        QCOMPARE(tabs->tabText(0), QStringLiteral("acts.txt *"));
        QCOMPARE(tabs->tabIcon(0).isNull(), removed);
    } else {
        QCOMPARE(m_window->statusBar()->currentMessage(),
            QStringLiteral("acts.txt changed on disk and was reloaded."));
        QCOMPARE(editor->toPlainText(), text);
        QCOMPARE(total(0, 2), QStringLiteral("275"));
    }

    const bool asks = edited && !removed;
    m_asked.clear();
    if (asks) answerWith(button);
    QCOMPARE(m_window->saveDocument(editor), asks ? button == QStringLiteral("Overwrite") : true);
    QCOMPARE(!m_asked.isEmpty(), asks);
    QCOMPARE(readFile(path), file);
    QCOMPARE(editor->toPlainText(), text);
    const QDir aside(
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/autosave-discarded");
    QCOMPARE(aside.entryList(QDir::Files).size(), kept ? 1 : 0);
    if (kept)
        QVERIFY(readFile(aside.filePath(aside.entryList(QDir::Files).first())).endsWith("c 00:00:02:00"));
}

// A tab brought back after a crash asks before it overwrites its file only
// when the file changed after the copy was taken.
void tst_Tape::restoredCopyOfChangedFile_data()
{
    QTest::addColumn<bool>("changed");
    QTest::newRow("the file as the copy knew it: saved at once") << false;
    QTest::newRow("the file changed since: Save asks") << true;
}

void tst_Tape::restoredCopyOfChangedFile()
{
    QFETCH(bool, changed);

    const QString path = writeFile(QStringLiteral("acts.txt"), "a 00:00:10:00\n");
    QCOMPARE(m_window->openFiles({ path }), QStringList());
    m_window->currentEditor()->moveCursor(QTextCursor::End);
    QTest::keyClicks(m_window->currentEditor(), QStringLiteral("x 00:00:01:00"));
    m_window->autosave();
    m_window.reset(); // as if killed
    if (changed) writeFile(QStringLiteral("acts.txt"), "a 00:00:10:00\nb 00:00:05:00\n");

    HorodexTape restored;
    QCOMPARE(restored.restoreSession(), 1);
    m_asked.clear();
    if (changed) answerWith(QString());
    QCOMPARE(restored.saveDocument(restored.currentEditor()), !changed);
    QCOMPARE(!m_asked.isEmpty(), changed);
    QCOMPARE(readFile(path),
        changed ? QByteArray("a 00:00:10:00\nb 00:00:05:00\n") : QByteArray("a 00:00:10:00\nx 00:00:01:00"));
    if (changed) answer(QMessageBox::Discard); // still unsaved
    QVERIFY(restored.close());
}

// Save As offers each encoding and line end, the tab's own chosen first.
void tst_Tape::saveAsEncoding_data()
{
    QTest::addColumn<int>("encoding");
    QTest::addColumn<int>("lineEnd");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("the tab's own: Windows-1252, CRLF") << -1 << -1 << QByteArray("Acte \xE9 00:00:10:00\r\n");
    QTest::newRow("UTF-8") << int(ELK_TEXT_UTF8) << int(ELK_LINE_LF)
                           << QByteArray("Acte \xC3\xA9 00:00:10:00\n");
    QTest::newRow("UTF-8 with a byte-order mark") << int(ELK_TEXT_UTF8_BOM) << int(ELK_LINE_CRLF)
                                                  << QByteArray("\xEF\xBB\xBF"
                                                                "Acte \xC3\xA9 00:00:10:00\r\n");
    QTest::newRow("UTF-16") << int(ELK_TEXT_UTF16LE) << int(ELK_LINE_LF)
                            << utf16le(QStringLiteral("\uFEFFActe \u00E9 00:00:10:00\n"));
    QTest::newRow("Windows-1252 with CR")
        << int(ELK_TEXT_CP1252) << int(ELK_LINE_CR) << QByteArray("Acte \xE9 00:00:10:00\r");
}

void tst_Tape::saveAsEncoding()
{
    QFETCH(int, encoding);
    QFETCH(int, lineEnd);
    QFETCH(QByteArray, bytes);

    QCOMPARE(m_window->openFiles({ writeFile(QStringLiteral("reel.edl"), "Acte \xE9 00:00:10:00\r\n") }),
        QStringList());
    // A new name each time: the dialog would ask whether to replace a file it saw.
    static int saved = 0;
    const QString name = QStringLiteral("out%1.txt").arg(++saved);
    const QString path = m_dir.filePath(name);
    QTimer::singleShot(10, this, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        auto* encodings = find<QComboBox>(dialog, "m_encoding");
        auto* lineEnds = find<QComboBox>(dialog, "m_lineEnd");
        // The tab's own, chosen before anything else.
        QCOMPARE(encodings->currentData().toInt(), int(ELK_TEXT_CP1252));
        QCOMPARE(lineEnds->currentData().toInt(), int(ELK_LINE_CRLF));
        if (encoding >= 0) encodings->setCurrentIndex(encodings->findData(encoding));
        if (lineEnd >= 0) lineEnds->setCurrentIndex(lineEnds->findData(lineEnd));
        // Qt's dialog leaves its name field alone while that field has the focus.
        if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
        dialog->selectFile(path);
        // Qt's dialog takes a path in another folder once it has listed that folder: accepting
        // before then would save under the name it suggested.
        const bool taken = QTest::qWaitFor([&] { return dialog->selectedFiles().value(0) == path; }, 5000);
        // Rejected, the save fails below rather than hanging on an open dialog.
        QMetaObject::invokeMethod(dialog, taken ? "accept" : "reject");
    });
    QVERIFY(m_window->saveDocument(m_window->currentEditor(), true));
    QCOMPARE(readFile(path), bytes);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Horodex Tape \u2014 %1[*]").arg(name));
}

// Ctrl+Page Down and Up from every part of the window; new tabs numbered in
// the tab and the window title.
void tst_Tape::tabKeysAndNames()
{
    QTest::keyClick(m_window->currentEditor(), Qt::Key_T, Qt::ControlModifier);
    QTest::keyClick(m_window->currentEditor(), Qt::Key_T, Qt::ControlModifier);
    auto* tabs = find<QTabWidget>(m_window.get(), "m_tabs");
    QCOMPARE(tabs->tabText(0) + ", " + tabs->tabText(1) + ", " + tabs->tabText(2),
        QStringLiteral("Untitled, Untitled 2, Untitled 3"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Horodex Tape \u2014 Untitled 3[*]"));
    const QList<QWidget*> parts { m_window->currentEditor(), find<QTableView>(m_window.get(), "m_table"),
        find<QTreeWidget>(m_window.get(), "m_totals"), find<QComboBox>(m_window.get(), "m_timebase"),
        find<QCheckBox>(m_window.get(), "m_copyUnique") };
    for (QWidget* part : parts) {
        const int before = tabs->currentIndex();
        QTest::keyClick(part, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), (before + 1) % 3);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(tabs->currentIndex(), before);
    }
    QTest::keyClick(m_window->currentEditor(), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Horodex Tape \u2014 Untitled 2[*]"));
    // A closed tab's number is free again.
    QTest::keyClick(m_window->currentEditor(), Qt::Key_W, Qt::ControlModifier);
    QTest::keyClick(m_window->currentEditor(), Qt::Key_T, Qt::ControlModifier);
    QCOMPARE(tabs->tabText(tabs->currentIndex()), QStringLiteral("Untitled 2"));
}

// The left-out line names each tab with its count; a click shows the first.
void tst_Tape::leftOutNamesTabs()
{
    const QString reel2 = writeFile(QStringLiteral("reel2.edl"),
        "001  AX  V  C  00:00:00:00 00:00:02:00 01:00:00:00 01:00:02:00\n"
        "002  AX  V  C  00:00:00:00 00:00:02:29 01:00:02:00 01:00:02:29\n");
    QTest::keyClick(m_window->currentEditor(), Qt::Key_T, Qt::ControlModifier);
    paste(QStringLiteral("a 00:00:01:00\nb 00:00:01:99\n"));
    QCOMPARE(m_window->openFiles({ reel2 }), QStringList());
    auto* leftOut = find<QLabel>(m_window.get(), "m_leftOut");
    QCOMPARE(leftOut->text(), QStringLiteral("2 lines left out: Untitled 2 1, reel2.edl 1"));
    QTest::mouseClick(leftOut, Qt::LeftButton);
    QCOMPARE(find<QTabWidget>(m_window.get(), "m_tabs")->currentIndex(), 1);
    QCOMPARE(m_window->currentEditor()->textCursor().blockNumber(), 1);
}

// At the window's smallest the editor keeps 8 lines, and the totals scroll.
void tst_Tape::minimumSize()
{
    QStringList reels;
    for (int i = 1; i <= 6; ++i)
        reels << writeFile(QStringLiteral("reel%1.edl").arg(i),
            "001  AX  V  C  00:00:00:00 00:00:02:00 01:00:00:00 01:00:02:00\n"
            "002  AX  A  C  00:00:00:00 00:00:02:00 01:00:00:00 01:00:02:00\n");
    QCOMPARE(m_window->openFiles(reels), QStringList());
    m_window->resize(m_window->minimumSizeHint());
    QTRY_COMPARE(m_window->size(), m_window->minimumSizeHint());
    QApplication::processEvents();
    const TapeEditor* editor = m_window->currentEditor();
    QVERIFY2(editor->viewport()->height() >= 8 * editor->fontMetrics().lineSpacing(),
        qPrintable(QString::number(editor->viewport()->height())));
    auto* totals = find<QTreeWidget>(m_window.get(), "m_totals");
    QVERIFY(totals->verticalScrollBar()->maximum() > 0);
}

// A tape whose timebase nothing chose says it counts at the default.
void tst_Tape::defaultTimebaseSaid()
{
    QSettings().clear();
    HorodexTape fresh;
    QGuiApplication::clipboard()->setText(acts);
    QTest::keyClick(fresh.currentEditor(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(fresh.statusBar()->currentMessage(),
        QStringLiteral("Counted at 30 fps, the default: no input declares its rate (choose one above)"));
    QCOMPARE(m_window->statusBar()->currentMessage(), QString()); // 25 was chosen
}

// Past a million characters an edit reads again only the lines it touched,
// and the totals follow at once. One that changes more (a list that gains an
// event line is an EDL) is read on another thread, and an edit made
// meanwhile is not lost.
void tst_Tape::longTextReadAgain()
{
    paste(QStringLiteral("a 00:00:01:00\n").repeated(80000)); // 1.12 million characters
    QCOMPARE(total(0, 2), QStringLiteral("2000000"));
    TapeEditor* editor = m_window->currentEditor();
    editor->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor, QStringLiteral("b 00:00:01:00"));
    QCOMPARE(total(0, 2), QStringLiteral("2000025"));
    QCOMPARE(editor->tapeDocument()->text().right(14), QByteArray("\nb 00:00:01:00"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, QStringLiteral("c 00:00:00:10"));
    QCOMPARE(total(0, 2), QStringLiteral("2000035"));
    QCOMPARE(m_window->session().list().entryCount, 80002);
    editor->setTextCursor(QTextCursor(editor->document()->findBlockByNumber(40000)));
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClick(editor, Qt::Key_Backspace); // "a 00:00:01:0": left out
    QCOMPARE(total(0, 2), QStringLiteral("2000010"));
    QCOMPARE(m_window->session().list().errors[0].line, 40001);

    // Every line but the event is then a time outside an event: one second counted.
    editor->moveCursor(QTextCursor::End);
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(
        editor, QStringLiteral("001  R1  V  C  00:00:00:00 00:00:01:00 01:00:00:00 01:00:01:00"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(
        editor, QStringLiteral("002  R2  V  C  00:00:00:00 00:00:02:00 01:00:01:00 01:00:03:00"));
    QTRY_COMPARE(total(0, 2), QStringLiteral("75"));
    QCOMPARE(m_window->session().list().inputList[0].format, ELK_FORMAT_EDL);
    QCOMPARE(m_window->session().list().errorCount, 80002);

    // Select all + Delete empties it, totals and all.
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(editor->textCursor().selectionEnd() - editor->textCursor().selectionStart(),
        editor->document()->characterCount() - 1);
    QTest::keyClick(editor, Qt::Key_Delete);
    QVERIFY(editor->document()->isEmpty());
    QCOMPARE(total(0, 2), QStringLiteral("0"));
}

// Whatever an edit is, typed, pasted, deleted across lines or undone, the
// totals after it are those a whole reading of the editor's text gives.
// Steps: "at LINE COLUMN", "select LINE COLUMN LINE COLUMN", "type TEXT",
// "paste TEXT" ('|' for a line end), and the keys "enter", "back", "del",
// "undo", "redo".
void tst_Tape::editsReadAgain_data()
{
    QTest::addColumn<QString>("text"); // pasted; or the bytes of a file opened
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("steps");

    QTest::newRow("a record out mistyped, then mended")
        << edl << QByteArray() << QStringList { "at 4 62", "type 7", "back", "at 6 0", "type 1" };
    QTest::newRow("an event split by Enter, joined by Backspace")
        << edl << QByteArray()
        << QStringList { "at 4 20", "enter", "back", "at 5 0", "enter", "enter", "back" };
    QTest::newRow("lines deleted across events, then undone and redone")
        << edl << QByteArray()
        << QStringList { "select 4 10 6 5", "del", "undo", "redo", "type 002  R9  A2 C", "undo", "undo" };
    QTest::newRow("events pasted over a selection")
        << edl << QByteArray()
        << QStringList {
               "select 4 0 5 3",
               "paste 010  AX  V  C  00:00:00:00 00:00:02:00 01:00:00:00 01:00:02:00|"
               "011  AX  A2  C  00:00:00:00 00:00:01:00 01:00:02:00 01:00:03:00|",
               "undo",
           };
    QTest::newRow("list lines typed at the end, then typed over")
        << acts << QByteArray()
        << QStringList { "at 3 0", "type Act 3 00:00:01:00", "enter", "type x 00:61:00:00", "select 1 0 2 5",
               "type Y" };
    QTest::newRow("the first line, then a first line that opens XML")
        << edl << QByteArray() << QStringList { "at 1 0", "type X", "type <", "back", "back" };
    QTest::newRow("a list that gains an event line is an EDL")
        << acts << QByteArray()
        << QStringList { "at 3 0", "type 001  R1  V  C  00:00:00:00 00:00:01:00 01:00:00:00 01:00:01:00",
               "back" };

    // Files whose line ends the editor splits as the reader does.
    const QStringList typeOnLine3 { "at 3 0", "type 1" };
    const char* const lineEnds[][2] = { { "CRLF", "\r\n" }, { "CR", "\r" }, { "U+2029", "\xE2\x80\xA9" },
        { "U+2028, inside a line", "\xE2\x80\xA8" }, { "U+FDD0", "\xEF\xB7\x90" },
        { "U+FDD1", "\xEF\xB7\x91" } };
    for (const auto& [name, end] : lineEnds)
        QTest::newRow(name) << QString()
                            << QByteArray("A 00:00:01:00") + end + "B 00:00:02:00\nC 00:00:03:00\n"
                            << typeOnLine3;
    QTest::newRow("a long paste with U+FDD0 in it") << QStringLiteral("a 00:00:01:00\n").repeated(6000)
            + QStringLiteral("b 00:00:02:00\uFDD0c 00:00:03:00\n")
                                                    << QByteArray() << QStringList { "at 6002 0", "type 1" };
    QTest::newRow("a heading in capitals that becomes an ALE")
        << QString()
        << QByteArray("HEADING\nFPS\t25\n\nCOLUMN\nName\tStart\tDuration\n\nA\t01:00:00:00\t00:00:01:00\n")
        << QStringList { "at 6 0", "type DATA" };
}

void tst_Tape::editsReadAgain()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, file);
    QFETCH(QStringList, steps);
    if (file.isEmpty())
        paste(text);
    else
        QCOMPARE(m_window->openFiles({ writeFile(QStringLiteral("edited.txt"), file) }), QStringList());
    TapeEditor* editor = m_window->currentEditor();
    const auto cursorAt = [editor](const QStringList& words, int at) {
        const QTextBlock block = editor->document()->findBlockByNumber(words[at].toInt() - 1);
        return block.position() + std::min(words[at + 1].toInt(), block.length() - 1);
    };
    for (const QString& step : steps) {
        const QStringList words = step.split(QLatin1Char(' '));
        const QString rest = step.section(QLatin1Char(' '), 1);
        QTextCursor cursor = editor->textCursor();
        if (words[0] == QLatin1String("at")) {
            cursor.setPosition(cursorAt(words, 1));
            editor->setTextCursor(cursor);
        } else if (words[0] == QLatin1String("select")) {
            cursor.setPosition(cursorAt(words, 1));
            cursor.setPosition(cursorAt(words, 3), QTextCursor::KeepAnchor);
            editor->setTextCursor(cursor);
        } else if (words[0] == QLatin1String("type")) {
            QTest::keyClicks(editor, rest);
        } else if (words[0] == QLatin1String("paste")) {
            QGuiApplication::clipboard()->setText(QString(rest).replace(QLatin1Char('|'), QLatin1Char('\n')));
            QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        } else {
            const QHash<QString, QKeySequence> keys { { "enter", Qt::Key_Return },
                { "back", Qt::Key_Backspace }, { "del", Qt::Key_Delete }, { "undo", QKeySequence::Undo },
                { "redo", QKeySequence::Redo } };
            QVERIFY2(keys.contains(words[0]), qPrintable(step));
            QTest::keySequence(editor, keys[words[0]]);
        }
        ELKList_t whole;
        ELKList_Init(&whole, &m_window->session().list().base);
        for (const TapeDocument* document : m_window->session().documents()) {
            const QByteArray bytes = document->text();
            const ELKText_t t { bytes.constData(), bytes.size(), nullptr, ELK_TEXT_UTF8, ELK_LINE_LF,
                ELK_FALSE };
            ELKInput_ReadText(&whole, &t, nullptr);
        }
        const QString expected = QString::fromStdString(describeList(whole));
        ELKList_Destroy(&whole);
        QCOMPARE(QString::fromStdString(describeList(m_window->session().list())), expected);
    }
}

// What the calculator makes of a total the tape copied.
void tst_Tape::copiedTotalInCalculator_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("copied");
    QTest::addColumn<int>("frames"); // the calculator's frame count at 25 after Paste

    QTest::newRow("a total under a day") << "a 00:12:34:05\n"
                                         << "00:12:34.05" << (754 * 25 + 5);
    QTest::newRow("a negative total: its minus sign is ignored") << "a -00:00:05:00\n"
                                                                 << "-00:00:05.00" << 125;
    QTest::newRow("past a day: modulo its day") << "a 99:00:00:00\nb 01:00:00:01\n"
                                                << "100:00:00.01" << (4 * 3600 * 25 + 1);
}

void tst_Tape::copiedTotalInCalculator()
{
    QFETCH(QString, text);
    QFETCH(QString, copied);
    QFETCH(int, frames);

    paste(text);
    QTest::keyClick(m_window->currentEditor(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    TimeEntry_w calculator;
    calculator.TimeEntry_SetFrameRate(ELK_FR_25);
    find<QPushButton>(&calculator, "m_Paste")->click();
    QCOMPARE(int(calculator.m_Timecode.frames), frames);
}

QTEST_MAIN(tst_Tape)
#include "tst_tape.moc"
