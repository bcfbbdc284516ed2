// SPDX-License-Identifier: MIT
#include "TapeEditor.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>
#include <climits>
#include <utility>

#include "ELKChars.h"

namespace
{

// Past this many characters select all leaves the X11 primary selection alone.
constexpr qsizetype longText = 1 << 20;
// A paste at least this long is read whole before the editor lays it out.
constexpr int longPaste = 1 << 16;

// The position in `line` of a column counted in characters from 1.
int positionOfColumn(const QString& line, int32_t column)
{
    int position = 0;
    for (int32_t c = 1; c < column && position < line.size(); ++c)
        position += line.at(position).isHighSurrogate() && position + 1 < line.size() ? 2 : 1;
    return std::min(position, int(line.size()));
}

} // namespace

TapeEditor::TapeEditor(TapeDocument* document, TapeSession* session, QWidget* parent)
    : ListEditor(parent)
    , m_document(document)
    , m_session(session)
{
    setPlaceholderText(tr("Paste a list of times or an EDL here (Ctrl+V), or open a file (Ctrl+O).\n\n"
                          "One entry a line: a label, then a duration or an in and an out.\n"
                          "Act 1   00:12:34:05\n"
                          "Act 2   01:00:00:00 01:11:02:10"));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(true);
    m_document->setTextDocument(this->document());
    connect(this->document(), &QTextDocument::contentsChange, this, &TapeEditor::contentsChanged);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TapeEditor::markErrors);
}

void TapeEditor::showText()
{
    setText(m_document->takeLoadedText());
    document()->setModified(false);
    markErrors();
}

bool TapeEditor::isUntouched() const
{
    return m_document->filePath().isEmpty() && !document()->isModified() && document()->isEmpty();
}

QString TapeEditor::listText() const
{
    return TapeDocument::listText(document());
}

void TapeEditor::pasteAtCursor()
{
    if (!hasFocus()) {
        QTextCursor cursor = textCursor();
        cursor.clearSelection();
        setTextCursor(cursor);
    }
    setFocus();
    paste();
}

void TapeEditor::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText() || isReadOnly()) {
        ListEditor::insertFromMimeData(source);
        return;
    }
    // The base class builds a whole second document from the text before
    // inserting it, which doubles the cost of a paste of 100,000 lines.
    QString text = source->text();
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    // Every character that ends a line in the editor, so that the reading ahead sees its lines.
    for (const QChar end : { QChar(u'\r'), QChar(QChar::ParagraphSeparator), QChar(0xFDD0), QChar(0xFDD1) })
        text.replace(end, QLatin1Char('\n'));
    if (text.size() < longPaste) {
        insertPlainText(text);
    } else {
        // The totals of the whole new text are shown first: the editor takes
        // longer to lay out a long paste than the list takes to read.
        const QTextCursor cursor = textCursor();
        QString whole = TapeDocument::listText(document());
        whole.replace(cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart(), text);
        m_session->readAhead(m_document, whole.toUtf8());
        whole.clear();
        m_settingText = true;
        insertPlainText(text);
        m_settingText = false;
    }
    ensureCursorVisible();
    markErrors();
}

void TapeEditor::keyPressEvent(QKeyEvent* event)
{
    // Select all would also hand a long text to the X11 primary selection,
    // a copy of it all at once, which costs seconds in a 50 MB list; there it
    // selects only, and Ctrl+C still copies.
    if (event == QKeySequence::SelectAll && document()->characterCount() >= longText) {
        selectAll();
        event->accept();
        return;
    }
    ListEditor::keyPressEvent(event);
}

void TapeEditor::focusInEvent(QFocusEvent* event)
{
    // A line the table selected is shown, not taken: the keys typed after
    // tabbing back in would replace it.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason) {
        QTextCursor cursor = textCursor();
        cursor.clearSelection();
        setTextCursor(cursor);
    }
    ListEditor::focusInEvent(event);
}

void TapeEditor::resizeEvent(QResizeEvent* event)
{
    ListEditor::resizeEvent(event);
    markErrors();
}

void TapeEditor::contentsChanged(int position, int, int added)
{
    const int blocks = document()->blockCount();
    const int before = std::exchange(m_blocks, blocks);
    if (m_settingText) return;
    // The lines the edit left, from the one it began in to the one it ended in;
    // as many lines went as stood there less the lines it added.
    const QTextBlock first = document()->findBlock(position);
    QTextBlock last = document()->findBlock(position + added);
    if (!last.isValid()) last = document()->lastBlock();
    const int64_t removed = int64_t(last.blockNumber() - first.blockNumber() + 1) - (blocks - before);
    QString lines;
    for (QTextBlock block = first;; block = block.next()) {
        lines += block.text();
        if (block == last) break;
        lines += QLatin1Char('\n');
    }
    if (last.next().isValid()) lines += QLatin1Char('\n');
    m_session->edited(m_document, first.blockNumber() + 1, removed, lines.toUtf8(), head());
    markErrors();
}

QByteArray TapeEditor::head() const
{
    QByteArray head;
    QTextBlock block = document()->begin();
    for (int n = 0; block.isValid() && n < 1000; block = block.next(), ++n) {
        const QByteArray line = block.text().toUtf8();
        head += line + '\n';
        if (std::any_of(line.cbegin(), line.cend(), [](char c) { return !ELKChar_IsBlankOrLineEnd(c); }))
            return head;
    }
    return block.isValid() ? QByteArray() : head;
}

void TapeEditor::setText(QByteArray utf8)
{
    // In pieces of whole lines, from the end: each piece goes in at the start,
    // and what is left of the UTF-8 shrinks, so that the text is never held
    // whole twice while the document takes it in.
    constexpr qsizetype piece = 1 << 20;
    m_settingText = true;
    holdMarginFor(int(std::min<qsizetype>(utf8.count('\n') + 1, INT_MAX)));
    document()->setUndoRedoEnabled(false);
    document()->clear();
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (qsizetype end = utf8.size(); end > 0;) {
        const qsizetype start = end > piece ? utf8.lastIndexOf('\n', end - piece) + 1 : 0;
        cursor.setPosition(0);
        cursor.insertText(QString::fromUtf8(utf8.constData() + start, end - start));
        end = start;
        utf8.truncate(end);
        utf8.squeeze();
    }
    cursor.endEditBlock();
    document()->setUndoRedoEnabled(true);
    releaseMargin();
    m_blocks = document()->blockCount();
    m_settingText = false;
    moveCursor(QTextCursor::Start);
}

void TapeEditor::markErrors()
{
    const TapeModel& model = *m_document->model();
    const ELKListError_t* errors = model.errors();
    const int64_t count = model.errorCount();
    QList<QTextEdit::ExtraSelection> marks;
    const int64_t first = cursorForPosition(QPoint(0, 0)).blockNumber() + 1;
    const int64_t last = cursorForPosition(QPoint(0, viewport()->height())).blockNumber() + 1;
    const ELKListError_t* error = std::lower_bound(
        errors, errors + count, first, [](const ELKListError_t& e, int64_t line) { return e.line < line; });
    for (; error != errors + count && error->line <= last; ++error) {
        const QTextBlock block = document()->findBlockByNumber(int(error->line - 1));
        if (!block.isValid()) continue;
        QTextEdit::ExtraSelection line;
        line.cursor = QTextCursor(block);
        QColor shade = errorColor();
        shade.setAlpha(32);
        line.format.setBackground(shade);
        line.format.setProperty(QTextFormat::FullWidthSelection, true);
        marks << line;

        // The fault: its token from the column on, or the last character when the line ended too soon.
        const QString text = block.text();
        int start = positionOfColumn(text, error->column);
        if (start == text.size() && start > 0) --start;
        int stop = start;
        while (stop < text.size() && !text.at(stop).isSpace() && text.at(stop) != QLatin1Char(',')) ++stop;
        if (stop == start) stop = std::min(int(text.size()), start + 1);
        if (stop == start) continue;
        QTextEdit::ExtraSelection fault;
        fault.cursor = QTextCursor(block);
        fault.cursor.setPosition(block.position() + start);
        fault.cursor.setPosition(block.position() + stop, QTextCursor::KeepAnchor);
        fault.format.setForeground(errorColor());
        fault.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        fault.format.setUnderlineColor(errorColor());
        marks << fault;
    }
    setExtraSelections(marks);
}

void TapeEditor::selectLine(int64_t line, int32_t column)
{
    const QTextBlock block = document()->findBlockByNumber(int(line - 1));
    if (!block.isValid()) return;
    // Anchored at the end, so the view scrolls to where the line starts.
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + block.length() - 1);
    cursor.setPosition(block.position(), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    if (column <= 0) return;
    // Then sideways to the fault, with a few characters of it in view.
    QTextCursor at(block);
    at.setPosition(block.position() + positionOfColumn(block.text(), column));
    const int right = cursorRect(at).right() + 12 * fontMetrics().averageCharWidth();
    if (right > viewport()->width())
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + right - viewport()->width());
}
