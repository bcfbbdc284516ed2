// SPDX-License-Identifier: MIT
#include "HorodexTape.h"

#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QSettings>
#include <QStringDecoder>
#include <QTextBlock>

#include <algorithm>

namespace
{

// A file the editor could still hold; past this it is not a list.
constexpr qint64 maxFileBytes = 64 * 1024 * 1024;

const QColor errorColor(0xc0, 0x1c, 0x28);
const QColor errorLineColor(0xfb, 0xe3, 0xe4);

bool readTimebase(const QString& text, ELKTimebase_t* base)
{
    const QByteArray bytes = text.toUtf8();
    return ELKTimebase_FromText(base, bytes.constData(), int32_t(bytes.size())) == ELK_OK;
}

QString timebaseText(const ELKTimebase_t& base)
{
    char text[ELK_DURATION_TEXT_MAX];
    return QString::fromLatin1(text, std::max(0, ELKTimebase_ToText(&base, text, ELK_DURATION_TEXT_MAX)));
}

QString runningTimeText(const ELKDuration_t& d)
{
    char text[ELK_DURATION_TEXT_MAX];
    return QString::fromLatin1(text, std::max(0, ELKDuration_ToRealTime(&d, text, ELK_DURATION_TEXT_MAX)));
}

// Files from editing systems are UTF-8 or Latin-1, with any line end.
QString decodeText(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The position in `line` of a column counted in characters from 1.
int positionOfColumn(const QString& line, int32_t column)
{
    int position = 0;
    for (int32_t c = 1; c < column && position < line.size(); ++c)
        position += line.at(position).isHighSurrogate() && position + 1 < line.size() ? 2 : 1;
    return std::min(position, int(line.size()));
}

QUrl firstLocalFile(const QMimeData* mime)
{
    if (mime && mime->hasUrls())
        for (const QUrl& url : mime->urls())
            if (url.isLocalFile()) return url;
    return QUrl();
}

} // namespace

HorodexTape::HorodexTape(QWidget* parent)
    : QMainWindow(parent)
{
    ui.setupUi(this);
    m_title = windowTitle();
    ui.m_editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ui.m_table->setModel(&m_model);
    // Fixed sizes from the font: measuring contents would visit all 100,000 rows.
    const QFontMetrics metrics(ui.m_table->font());
    const int padding = 2 * metrics.averageCharWidth();
    ui.m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ui.m_table->verticalHeader()->setDefaultSectionSize(metrics.height() + metrics.height() / 3);
    ui.m_table->setColumnWidth(
        TapeModel::LineColumn, metrics.horizontalAdvance(QStringLiteral("000000")) + padding);
    ui.m_table->setColumnWidth(
        TapeModel::LabelColumn, metrics.horizontalAdvance(QStringLiteral("A001C003_MM")) + padding);
    ui.m_table->setColumnWidth(
        TapeModel::TrackColumn, metrics.horizontalAdvance(QStringLiteral("AA/V")) + padding);
    for (int column = TapeModel::InColumn; column <= TapeModel::RunningColumn; ++column)
        ui.m_table->setColumnWidth(
            column, metrics.horizontalAdvance(QStringLiteral("000:00:00:00")) + padding);
    ui.m_totals->header()->setStretchLastSection(false);
    ui.m_splitter->setSizes({ 2 * width() / 5, 3 * width() / 5 });
    ui.m_verticalSplitter->setStretchFactor(0, 2);
    ui.m_verticalSplitter->setStretchFactor(1, 1);
    for (int column = 1; column < ui.m_totals->columnCount(); ++column)
        ui.m_totals->headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);

    ELKTimebase_t base;
    for (int32_t i = 0; ELKTimebase_Named(&base, i) == ELK_OK; ++i) {
        ui.m_timebase->addItem(timebaseText(base));
        ui.m_showAt->addItem(timebaseText(base));
    }
    // The last choice, else 30 as the calculator opens.
    ELKTimebase_FromRate(&base, ELK_FR_30);
    readTimebase(QSettings().value(QStringLiteral("timebase")).toString(), &base);
    HorodexTape_SetTimebase(base);

    connect(ui.m_editor, &QPlainTextEdit::textChanged, this, &HorodexTape::Recompute);
    connect(ui.m_editor, &ListEditor::ListEditor_Inserting, this, &HorodexTape::ReadAhead);
    connect(ui.m_timebase, &QComboBox::currentIndexChanged, this, &HorodexTape::Recompute);
    // Only the user's choice is kept; --rate is for one run.
    connect(ui.m_timebase, &QComboBox::activated, this,
        [this] { QSettings().setValue(QStringLiteral("timebase"), ui.m_timebase->currentText()); });
    connect(ui.m_showAt, &QComboBox::currentIndexChanged, this, &HorodexTape::ShowTotals);
    connect(ui.m_copyTotal, &QPushButton::clicked, ui.m_actionCopyTotal, &QAction::trigger);
    connect(ui.m_actionCopyTotal, &QAction::triggered, this, &HorodexTape::CopyTotal);
    connect(ui.m_actionOpen, &QAction::triggered, this, &HorodexTape::OpenDialog);
    connect(ui.m_actionQuit, &QAction::triggered, this, &QWidget::close);
    connect(ui.m_actionAbout, &QAction::triggered, this, &HorodexTape::About);
    connect(ui.m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        &HorodexTape::SelectLine);
    connect(ui.m_editor->verticalScrollBar(), &QScrollBar::valueChanged, this, &HorodexTape::MarkErrors);
    ui.m_editor->viewport()->installEventFilter(this);
    connect(ui.m_table->verticalScrollBar(), &QScrollBar::valueChanged, this, &HorodexTape::SpanErrorRows);
    ui.m_table->viewport()->installEventFilter(this);

    Recompute();
    ui.m_editor->setFocus();
}

QString HorodexTape::HorodexTape_Open(const QString& path)
{
    const QString name = QDir::toNativeSeparators(path);
    QFile file(path);
    const QFileInfo info(path);
    if (info.isDir()) return tr("%1 is a folder, not a list.").arg(name);
    // Opening a pipe would wait for a writer, and a device may never end.
    if (info.exists() && !info.isFile()) return tr("%1 is not a regular file.").arg(name);
    if (!file.open(QIODevice::ReadOnly)) return tr("Cannot open %1: %2").arg(name, file.errorString());
    // A bounded read: a device or a huge file must not fill the memory.
    const QByteArray bytes = file.read(maxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) return tr("Cannot read %1: %2").arg(name, file.errorString());
    if (bytes.size() > maxFileBytes)
        return tr("%1 is larger than %2 MiB, too large for a list.").arg(name).arg(maxFileBytes >> 20);

    ui.m_editor->setPlainText(decodeText(bytes));
    setWindowTitle(m_title + QStringLiteral(" \u2014 ") + QFileInfo(path).fileName());
    return QString();
}

void HorodexTape::HorodexTape_SetTimebase(const ELKTimebase_t& base)
{
    int index = ui.m_timebase->count();
    for (int i = 0; i < ui.m_timebase->count(); ++i) {
        const ELKTimebase_t item = timebase(i);
        if (ELKTimebase_Equal(&item, &base) == ELK_TRUE) index = i;
    }
    if (index == ui.m_timebase->count()) ui.m_timebase->addItem(timebaseText(base));
    ui.m_timebase->setCurrentIndex(index);
}

void HorodexTape::HorodexTape_ShowMessage(const QString& message)
{
    ui.m_statusBar->showMessage(message);
}

void HorodexTape::dragEnterEvent(QDragEnterEvent* event)
{
    if (firstLocalFile(event->mimeData()).isValid()) event->acceptProposedAction();
}

void HorodexTape::dropEvent(QDropEvent* event)
{
    const QUrl url = firstLocalFile(event->mimeData());
    if (!url.isValid()) return;
    event->acceptProposedAction();
    const QString error = HorodexTape_Open(url.toLocalFile());
    if (!error.isEmpty()) QMessageBox::warning(this, m_title, error);
}

// The editor would insert a dropped file's name as text; a file dropped on it opens instead.
bool HorodexTape::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui.m_table->viewport() && event->type() == QEvent::Resize) SpanErrorRows();
    if (watched != ui.m_editor->viewport()) return QMainWindow::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Resize:
        MarkErrors();
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (firstLocalFile(static_cast<QDropEvent*>(event)->mimeData()).isValid()) {
            static_cast<QDropEvent*>(event)->acceptProposedAction();
            return true;
        }
        break;
    case QEvent::Drop:
        if (firstLocalFile(static_cast<QDropEvent*>(event)->mimeData()).isValid()) {
            dropEvent(static_cast<QDropEvent*>(event));
            return true;
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void HorodexTape::Recompute()
{
    // Raw text keeps one line per block: plain text would also break at U+2028.
    QString text = ui.m_editor->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    const bool readAlready = !m_readAhead.isNull() && text == m_readAhead;
    m_readAhead = QString();
    if (readAlready)
        MarkErrors();
    else
        Read(text);
}

void HorodexTape::ReadAhead(const QString& text)
{
    Read(text);
    m_readAhead = text;
    // Shown now: the editor takes longer to lay out a long paste than the totals take to compute.
    ui.m_table->doItemsLayout();
    ui.m_totals->doItemsLayout();
    ui.m_table->viewport()->repaint();
    ui.m_totals->viewport()->repaint();
    ui.m_leftOut->repaint();
}

void HorodexTape::Read(const QString& text)
{
    m_model.TapeModel_Read(text.toUtf8(), timebase(ui.m_timebase->currentIndex()));
    SpanErrorRows();
    ShowTotals();
    MarkErrors();
}

void HorodexTape::SpanErrorRows()
{
    // A reason reads across the columns that an error row leaves empty. Only
    // the rows in view: spanning 100,000 error rows costs more than reading them.
    ui.m_table->clearSpans();
    const int first = std::max(0, ui.m_table->rowAt(0));
    int last = ui.m_table->rowAt(ui.m_table->viewport()->height());
    if (last < 0) last = m_model.rowCount() - 1;
    for (int row = first; row <= last; ++row)
        if (m_model.isErrorRow(row))
            ui.m_table->setSpan(
                row, TapeModel::LabelColumn, 1, TapeModel::RunningColumn - TapeModel::LabelColumn + 1);
}

void HorodexTape::ShowTotals()
{
    const ELKList_t& list = m_model.list();
    QTreeWidgetItem* sum = ui.m_totals->topLevelItem(0);
    QTreeWidgetItem* unique = ui.m_totals->topLevelItem(1);
    const bool showAt = ui.m_showAt->currentIndex() > 0;
    ui.m_totals->setColumnHidden(4, !showAt);
    ui.m_totals->setColumnHidden(5, !showAt);

    setTotal(sum, list.sum);
    setTotal(unique, list.unique);
    unique->setHidden(list.hasUnique != ELK_TRUE);
    qDeleteAll(sum->takeChildren());
    qDeleteAll(unique->takeChildren());
    for (int32_t i = 0; i < list.trackCount; ++i) {
        const ELKListTrack_t& track = list.tracks[i];
        const QString name = QString::fromUtf8(list.text + track.name, track.nameLength);
        setTotal(new QTreeWidgetItem(sum, { name }), track.sum);
        setTotal(new QTreeWidgetItem(unique, { name }), track.unique);
    }
    sum->setExpanded(true);
    unique->setExpanded(true);
    for (int column = 0; column < ui.m_totals->columnCount(); ++column)
        ui.m_totals->resizeColumnToContents(column);

    ui.m_copyUnique->setEnabled(list.hasUnique == ELK_TRUE);
    // Spelt out here: "%n line(s)" reads right only where a translation is loaded.
    if (list.errorCount == 0)
        ui.m_leftOut->clear();
    else if (list.errorCount == 1)
        ui.m_leftOut->setText(tr("1 line left out of the totals, marked in the list."));
    else
        ui.m_leftOut->setText(
            tr("%1 lines left out of the totals, marked in the list.").arg(list.errorCount));
}

void HorodexTape::setTotal(QTreeWidgetItem* item, int64_t frames) const
{
    const ELKDuration_t d { frames, m_model.list().base };
    item->setText(1, durationText(d));
    item->setText(2, QString::number(frames));
    item->setText(3, runningTimeText(d));

    ELKTimebase_t at;
    ELKDuration_t converted = d;
    const bool shown = ui.m_showAt->currentIndex() > 0 && readTimebase(ui.m_showAt->currentText(), &at)
        && ELKDuration_ConvertRealTime(&converted, &at) == ELK_OK;
    item->setText(4, shown ? durationText(converted) : QString());
    item->setText(5, shown ? QString::number(converted.frames) : QString());
    for (int column = 1; column < item->columnCount(); ++column)
        item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
}

void HorodexTape::MarkErrors()
{
    const ELKList_t& list = m_model.list();
    QPlainTextEdit* editor = ui.m_editor;
    QList<QTextEdit::ExtraSelection> marks;
    const int64_t first = editor->cursorForPosition(QPoint(0, 0)).blockNumber() + 1;
    const int64_t last = editor->cursorForPosition(QPoint(0, editor->viewport()->height())).blockNumber() + 1;
    const ELKListError_t* begin = list.errors;
    const ELKListError_t* end = begin + list.errorCount;
    const ELKListError_t* error = std::lower_bound(
        begin, end, first, [](const ELKListError_t& e, int64_t line) { return e.line < line; });

    for (; error != end && error->line <= last; ++error) {
        const QTextBlock block = editor->document()->findBlockByNumber(int(error->line - 1));
        if (!block.isValid()) continue;
        QTextEdit::ExtraSelection line;
        line.cursor = QTextCursor(block);
        line.format.setBackground(errorLineColor);
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
        fault.format.setForeground(errorColor);
        fault.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        fault.format.setUnderlineColor(errorColor);
        marks << fault;
    }
    editor->setExtraSelections(marks);
}

void HorodexTape::CopyTotal()
{
    const ELKList_t& list = m_model.list();
    const bool unique = ui.m_copyUnique->isChecked() && list.hasUnique == ELK_TRUE;
    const ELKDuration_t total { unique ? list.unique : list.sum, list.base };
    // The calculator's clipboard form, so that it pastes there as the same time.
    char text[ELK_DURATION_TEXT_MAX];
    const int32_t length = ELKDuration_ToText(&total, text, ELK_DURATION_TEXT_MAX, ELK_TRUE);
    QGuiApplication::clipboard()->setText(QString::fromLatin1(text, std::max(0, length)));
}

void HorodexTape::SelectLine(const QModelIndex& current)
{
    if (!current.isValid()) return;
    const QTextBlock block
        = ui.m_editor->document()->findBlockByNumber(int(m_model.lineOfRow(current.row()) - 1));
    if (!block.isValid()) return;
    // Anchored at the end, so the view scrolls to where the line starts.
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + block.length() - 1);
    cursor.setPosition(block.position(), QTextCursor::KeepAnchor);
    ui.m_editor->setTextCursor(cursor);
}

void HorodexTape::OpenDialog()
{
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Open a list or EDL"), QString(), tr("EDLs and lists (*.edl *.txt *.csv);;All files (*)"));
    if (path.isEmpty()) return;
    const QString error = HorodexTape_Open(path);
    if (!error.isEmpty()) QMessageBox::warning(this, m_title, error);
}

void HorodexTape::About()
{
    QString text;
    text += tr("Horodex Tape\n");
    text += tr("Version %1\n\n").arg(QCoreApplication::applicationVersion());
    text += tr("Totals of timecode lists and EDLs at any frame rate\n\n");
    text += tr("Copyright (C) 2025-2026 The Horodex developers\n\n");
    text += tr("https://horodex.example");
    QMessageBox::about(this, tr("About Horodex Tape"), text);
}

ELKTimebase_t HorodexTape::timebase(int index) const
{
    ELKTimebase_t base;
    ELKTimebase_FromRate(&base, ELK_FR_30);
    readTimebase(ui.m_timebase->itemText(index), &base);
    return base;
}
