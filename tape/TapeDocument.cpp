// SPDX-License-Identifier: MIT
#include "TapeDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

#include "ELKInput.h"
#include "ELKString.h"
#include "ELKText.h"

namespace
{

// A file the editor could still hold; past this it is not a list.
constexpr qint64 maxFileBytes = 64 * 1024 * 1024;
// Past this many characters a reading takes longer than a keystroke may, so it
// waits for a pause in typing and runs in the background.
constexpr qsizetype backgroundChars = 1 << 20;
constexpr int pauseMs = 150;

// The position in `line` of a column counted in characters from 1.
int positionOfColumn(const QString& line, int32_t column)
{
    int position = 0;
    for (int32_t c = 1; c < column && position < line.size(); ++c)
        position += line.at(position).isHighSurrogate() && position + 1 < line.size() ? 2 : 1;
    return std::min(position, int(line.size()));
}

// U+2029 ends a line in the editor, so it does for the reader too.
QByteArray listBytes(QString text)
{
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text.toUtf8();
}

std::shared_ptr<ELKList_t> readList(const QString& text, ELKTimebase_t base)
{
    const QByteArray bytes = listBytes(text);
    std::shared_ptr<ELKList_t> list(new ELKList_t, [](ELKList_t* l) {
        ELKList_Destroy(l);
        delete l;
    });
    ELKList_Init(list.get(), &base);
    ELKInput_ReadBytes(list.get(), bytes.constData(), bytes.size(), nullptr);
    return list;
}

} // namespace

TapeDocument::TapeDocument(QWidget* parent)
    : ListEditor(parent)
{
    static int lastId = 0;
    m_id = ++lastId;
    setPlaceholderText(tr("Paste a list of times or an EDL here (Ctrl+V), or open a file (Ctrl+O).\n\n"
                          "One entry a line: a label, then a duration or an in and an out.\n"
                          "Act 1   00:12:34:05\n"
                          "Act 2   01:00:00:00 01:11:02:10"));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(true);
    ELKTimebase_Set(&m_base, 25, 1, ELK_FALSE);
    m_readTimer.setSingleShot(true);
    m_readTimer.setInterval(pauseMs);
    connect(this, &QPlainTextEdit::textChanged, this, &TapeDocument::textEdited);
    connect(&m_readTimer, &QTimer::timeout, this, &TapeDocument::startBackgroundRead);
    connect(&m_reading, &QFutureWatcher<std::shared_ptr<ELKList_t>>::finished, this,
        &TapeDocument::backgroundReadDone);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TapeDocument::markErrors);
}

TapeDocument::~TapeDocument()
{
    m_reading.waitForFinished();
}

QString TapeDocument::load(const QString& path)
{
    const QString name = QDir::toNativeSeparators(path);
    // An FCPXML bundle (NAME.fcpxmld) is read through the Info.fcpxml inside it.
    const QString bundled = QDir(path).filePath(QStringLiteral("Info.fcpxml"));
    const QFileInfo info(QFileInfo(path).isDir() && QFileInfo(bundled).isFile() ? bundled : path);
    QFile file(info.filePath());
    if (info.isDir()) return tr("%1 is a folder, not a list.").arg(name);
    // Opening a pipe would wait for a writer, and a device may never end.
    if (info.exists() && !info.isFile()) return tr("%1 is not a regular file.").arg(name);
    if (!file.open(QIODevice::ReadOnly)) return tr("Cannot open %1: %2").arg(name, file.errorString());
    // A bounded read: a device or a huge file must not fill the memory.
    QByteArray bytes = file.read(maxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) return tr("Cannot read %1: %2").arg(name, file.errorString());
    if (bytes.size() > maxFileBytes)
        return tr("%1 is larger than %2 MiB, too large for a list.").arg(name).arg(maxFileBytes >> 20);
    ELKText_t decoded;
    if (ELKText_Decode(&decoded, bytes.constData(), bytes.size()) != ELK_OK)
        return tr("%1 is too large for the memory left.").arg(name);
    QByteArray utf8 = decoded.owned ? QByteArray(decoded.utf8, decoded.length)
                                    : bytes.sliced(bytes.size() - decoded.length);
    const int8_t encoding = decoded.encoding, lineEnd = decoded.lineEnd, binary = decoded.binary;
    ELKText_Destroy(&decoded);
    bytes = QByteArray();
    if (binary == ELK_TRUE) return tr("%1 is not a text file.").arg(name);

    m_path = info.absoluteFilePath();
    m_encoding = encoding;
    m_lineEnd = lineEnd;
    {
        // The rate the file declares, as its first input gives it.
        ELKList_t own;
        ELKList_Init(&own, &m_base);
        const ELKReadOptions_t options { ELK_RATE_OWN };
        ELKInput_ReadBytes(&own, utf8.constData(), utf8.size(), &options);
        m_hasOwnRate = own.inputs > 0 && own.inputList[0].hasRate == ELK_TRUE;
        if (m_hasOwnRate) m_ownRate = own.inputList[0].rate;
        ELKList_Destroy(&own);
    }
    // Read from the bytes: the totals are shown before the editor, which
    // takes longer, holds the text.
    if (utf8.contains("\xE2\x80\xA9")) utf8.replace("\xE2\x80\xA9", "\n");
    ++m_revision;
    m_readTimer.stop();
    m_model.read(utf8, m_base);
    emit listRead(true);
    setText(std::move(utf8));
    document()->setModified(false);
    markErrors();
    return QString();
}

QString TapeDocument::saveAs(const QString& path)
{
    const QString name = QDir::toNativeSeparators(path);
    const QByteArray text = listText().toUtf8();
    char* out = nullptr;
    int64_t outLength = 0, errorAt = 0;
    if (ELKText_Encode(
            text.constData(), text.size(), int8_t(m_encoding), int8_t(m_lineEnd), &out, &outLength, &errorAt)
        != ELK_OK) {
        if (errorAt < 0) return tr("%1 was not saved: the memory ran short.").arg(name);
        const qsizetype start = text.lastIndexOf('\n', qsizetype(errorAt) - 1) + 1;
        return tr("%1 was not saved: line %2, column %3 holds a character that the file's encoding, "
                  "Windows-1252, cannot hold.")
            .arg(name)
            .arg(text.left(start).count('\n') + 1)
            .arg(QString::fromUtf8(text.constData() + start, errorAt - start).toUcs4().size() + 1);
    }
    const QByteArray bytes(out, outLength);
    ELK_Free(out);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return tr("%1 was not saved: %2").arg(name, file.errorString());
    m_path = QFileInfo(path).absoluteFilePath();
    document()->setModified(false);
    return QString();
}

void TapeDocument::restore(const QString& text, const QString& path, int encoding, int lineEnd, bool modified)
{
    m_path = path;
    // A copy from elsewhere is data: an encoding it names that is not one of ours is UTF-8.
    m_encoding = encoding >= ELK_TEXT_UTF8 && encoding <= ELK_TEXT_CP1252 ? encoding : ELK_TEXT_UTF8;
    m_lineEnd = lineEnd >= ELK_LINE_LF && lineEnd <= ELK_LINE_CR ? lineEnd : ELK_LINE_LF;
    readNow(text, true);
    setText(text.toUtf8());
    document()->setModified(modified);
}

QString TapeDocument::displayName() const
{
    if (m_path.isEmpty()) return tr("Untitled");
    const QFileInfo file(m_path);
    // A bundle's Info.fcpxml goes by the bundle's name.
    const QString folder = file.dir().dirName();
    return folder.endsWith(QLatin1String(".fcpxmld")) && file.fileName() == QLatin1String("Info.fcpxml")
        ? folder
        : file.fileName();
}

bool TapeDocument::ownRate(ELKTimebase_t* rate) const
{
    if (m_hasOwnRate) *rate = m_ownRate;
    return m_hasOwnRate;
}

bool TapeDocument::isUntouched() const
{
    return m_path.isEmpty() && !document()->isModified() && document()->isEmpty();
}

QString TapeDocument::listText() const
{
    // Raw text keeps one line per block: plain text would also break at U+2028.
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

void TapeDocument::setTimebase(const ELKTimebase_t& base)
{
    m_base = base;
    readNow(document()->toRawText());
}

void TapeDocument::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText() || isReadOnly()) {
        ListEditor::insertFromMimeData(source);
        return;
    }
    // The base class builds a whole second document from the text before
    // inserting it, which doubles the cost of a paste of 100,000 lines.
    QString text = source->text();
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    // The totals of the whole new text are shown first: the editor takes
    // longer to lay out a long paste than the list takes to read.
    const QTextCursor cursor = textCursor();
    QString whole = document()->toRawText();
    whole.replace(cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart(), text);
    readNow(whole, true);
    m_settingText = true;
    insertPlainText(text);
    m_settingText = false;
    ensureCursorVisible();
    markErrors();
}

void TapeDocument::focusInEvent(QFocusEvent* event)
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

void TapeDocument::resizeEvent(QResizeEvent* event)
{
    ListEditor::resizeEvent(event);
    markErrors();
}

void TapeDocument::textEdited()
{
    if (m_settingText) return;
    ++m_revision;
    if (document()->characterCount() < backgroundChars) {
        readNow(document()->toRawText());
    } else {
        m_readTimer.start();
        markErrors();
    }
}

void TapeDocument::readNow(const QString& text, bool ahead)
{
    ++m_revision;
    m_readTimer.stop();
    m_model.read(listBytes(text), m_base);
    markErrors();
    emit listRead(ahead);
}

void TapeDocument::setText(QByteArray utf8)
{
    // In pieces of whole lines, from the end: each piece goes in at the start
    // and its bytes are given back at once, so the text is never held whole
    // twice while the document takes it in.
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
        utf8.truncate(start);
        utf8.squeeze();
        end = start;
    }
    cursor.endEditBlock();
    document()->setUndoRedoEnabled(true);
    releaseMargin();
    m_settingText = false;
    moveCursor(QTextCursor::Start);
}

void TapeDocument::startBackgroundRead()
{
    // One reading at a time; the one running reads again when it ends.
    if (m_reading.isRunning()) return;
    m_readingRevision = m_revision;
    m_reading.setFuture(QtConcurrent::run(readList, document()->toRawText(), m_base));
}

void TapeDocument::backgroundReadDone()
{
    const std::shared_ptr<ELKList_t> list = m_reading.result();
    if (m_readingRevision != m_revision) {
        if (!m_readTimer.isActive()) startBackgroundRead();
        return;
    }
    m_model.adopt(list.get());
    markErrors();
    emit listRead(false);
}

void TapeDocument::markErrors()
{
    const ELKList_t& list = m_model.list();
    QList<QTextEdit::ExtraSelection> marks;
    const int64_t first = cursorForPosition(QPoint(0, 0)).blockNumber() + 1;
    const int64_t last = cursorForPosition(QPoint(0, viewport()->height())).blockNumber() + 1;
    const ELKListError_t* error = std::lower_bound(list.errors, list.errors + list.errorCount, first,
        [](const ELKListError_t& e, int64_t line) { return e.line < line; });
    for (; error != list.errors + list.errorCount && error->line <= last; ++error) {
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

void TapeDocument::selectLine(int64_t line, int32_t column)
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
