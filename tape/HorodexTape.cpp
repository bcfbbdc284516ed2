// SPDX-License-Identifier: MIT
#include "HorodexTape.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHash>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QSettings>
#include <QTabBar>
#include <QTextBlock>

#include <algorithm>
#include <vector>

namespace
{

// The pause after the last edit before unsaved tabs are copied aside.
constexpr int autosaveMs = 2000;

enum TotalsColumn { NameColumn, TimecodeColumn, FramesColumn, RunningTimeColumn, AtColumn, FramesAtColumn };

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

QStringList localFiles(const QMimeData* mime)
{
    QStringList paths;
    if (mime && mime->hasUrls())
        for (const QUrl& url : mime->urls())
            if (url.isLocalFile()) paths << url.toLocalFile();
    return paths;
}

// Sum and unique length of one track over every tab.
struct TrackTotal {
    QByteArray name;
    int64_t sum = 0;
    int64_t unique = 0;
};

} // namespace

HorodexTape::HorodexTape(QWidget* parent)
    : QMainWindow(parent)
{
    ui.setupUi(this);
    m_title = windowTitle();
    createChoosers();
    createTabs();
    createTable();
    createTotals();
    createActions();
    m_autosaveTimer.setSingleShot(true);
    m_autosaveTimer.setInterval(autosaveMs);
    connect(&m_autosaveTimer, &QTimer::timeout, this, &HorodexTape::autosave);

    newDocument();
    currentDocument()->setFocus();
}

HorodexTape::~HorodexTape() = default;

void HorodexTape::createChoosers()
{
    ELKTimebase_t base;
    for (int32_t i = 0; ELKTimebase_Named(&base, i) == ELK_OK; ++i) {
        ui.m_timebase->addItem(timebaseText(base));
        ui.m_showAt->addItem(timebaseText(base));
    }
    // The last choice, else 30 as the calculator opens.
    ELKTimebase_FromRate(&base, ELK_FR_30);
    readTimebase(QSettings().value(QStringLiteral("timebase")).toString(), &base);
    setTimebase(base);

    connect(ui.m_timebase, &QComboBox::currentIndexChanged, this, [this](int index) {
        for (TapeDocument* document : documents()) document->setTimebase(timebase(index));
        showTotals();
    });
    // Only the user's choice is kept; --rate is for one run.
    connect(ui.m_timebase, &QComboBox::activated, this,
        [this] { QSettings().setValue(QStringLiteral("timebase"), ui.m_timebase->currentText()); });
    connect(ui.m_showAt, &QComboBox::currentIndexChanged, this, &HorodexTape::showTotals);
}

void HorodexTape::createTabs()
{
    // Tabs switch with Ctrl+Tab or Ctrl+Page Up/Down; Tab goes on to the table.
    ui.m_tabs->tabBar()->setFocusPolicy(Qt::NoFocus);
    connect(ui.m_tabs, &QTabWidget::currentChanged, this, &HorodexTape::showDocument);
    connect(ui.m_tabs, &QTabWidget::tabCloseRequested, this, &HorodexTape::closeTab);
    ui.m_splitter->setSizes({ 2 * width() / 5, 3 * width() / 5 });
}

void HorodexTape::createTable()
{
    // Fixed row heights from the font: measuring contents would visit all 100,000 rows.
    const QFontMetrics metrics(ui.m_table->font());
    ui.m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ui.m_table->verticalHeader()->setDefaultSectionSize(metrics.height() + metrics.height() / 3);
    connect(ui.m_table->verticalScrollBar(), &QScrollBar::valueChanged, this, &HorodexTape::spanErrorRows);
    ui.m_table->viewport()->installEventFilter(this);
}

void HorodexTape::createTotals()
{
    ui.m_totals->header()->setStretchLastSection(false);
    ui.m_totals->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    for (int column = TimecodeColumn; column < ui.m_totals->columnCount(); ++column)
        ui.m_totals->headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    ui.m_verticalSplitter->setStretchFactor(0, 1);
    ui.m_verticalSplitter->setStretchFactor(1, 0);
}

void HorodexTape::createActions()
{
    connect(ui.m_actionNewTab, &QAction::triggered, this, [this] {
        TapeDocument* document = newDocument();
        ui.m_tabs->setCurrentWidget(document);
        document->setFocus();
    });
    connect(ui.m_actionOpen, &QAction::triggered, this, &HorodexTape::openDialog);
    connect(ui.m_actionSave, &QAction::triggered, this, [this] { saveDocument(currentDocument()); });
    connect(ui.m_actionSaveAs, &QAction::triggered, this, &HorodexTape::saveAsDialog);
    connect(ui.m_actionCloseTab, &QAction::triggered, this, [this] { closeTab(ui.m_tabs->currentIndex()); });
    connect(ui.m_actionQuit, &QAction::triggered, this, &QWidget::close);
    // The editor takes its own Ctrl+V first; this one serves the rest of the window.
    connect(ui.m_actionPaste, &QAction::triggered, this, &HorodexTape::pasteAnywhere);
    connect(ui.m_copyTotal, &QPushButton::clicked, ui.m_actionCopyTotal, &QAction::trigger);
    connect(ui.m_actionCopyTotal, &QAction::triggered, this, &HorodexTape::copyTotal);
    connect(ui.m_actionAbout, &QAction::triggered, this, &HorodexTape::about);
}

TapeDocument* HorodexTape::newDocument()
{
    auto* document = new TapeDocument;
    if (currentDocument()) document->setGeometry(currentDocument()->geometry());
    document->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    document->setTimebase(timebase(ui.m_timebase->currentIndex()));
    document->viewport()->installEventFilter(this);
    connect(document, &TapeDocument::listRead, this, &HorodexTape::documentRead);
    connect(document, &QPlainTextEdit::textChanged, this, &HorodexTape::documentChanged);
    connect(document, &QPlainTextEdit::modificationChanged, this, &HorodexTape::updateTitle);
    connect(document, &QPlainTextEdit::cursorPositionChanged, this, &HorodexTape::selectRowOfCursor);
    ui.m_tabs->addTab(document, document->displayName());
    // Tab order: the bar above, the editor, then the table and the totals.
    setTabOrder(ui.m_copyTotal, document);
    setTabOrder(document, ui.m_table);
    showTotals();
    return document;
}

TapeDocument* HorodexTape::currentDocument() const
{
    return static_cast<TapeDocument*>(ui.m_tabs->currentWidget());
}

QList<TapeDocument*> HorodexTape::documents() const
{
    QList<TapeDocument*> list;
    for (int i = 0; i < ui.m_tabs->count(); ++i) list << static_cast<TapeDocument*>(ui.m_tabs->widget(i));
    return list;
}

QStringList HorodexTape::openFiles(const QStringList& paths, bool followRate)
{
    QStringList errors;
    TapeDocument* shown = nullptr;
    TapeDocument* first = nullptr;
    for (const QString& path : paths) {
        // Opening never replaces typed text: a tab of its own, unless the current one is empty.
        TapeDocument* before = currentDocument();
        TapeDocument* document = before->isUntouched() ? before : newDocument();
        // Shown at its size first: a change of the editor's width lays out every line again.
        ui.m_tabs->setCurrentWidget(document);
        const QString error = document->load(path);
        if (!error.isEmpty()) {
            errors << error;
            if (document != before) {
                ui.m_tabs->removeTab(ui.m_tabs->indexOf(document));
                delete document;
                ui.m_tabs->setCurrentWidget(before);
            }
            continue;
        }
        m_lastFolder = QFileInfo(path).absolutePath();
        ui.m_tabs->setTabText(ui.m_tabs->indexOf(document), document->displayName());
        ui.m_tabs->setTabToolTip(
            ui.m_tabs->indexOf(document), QDir::toNativeSeparators(document->filePath()));
        shown = document;
        if (!first) first = document;
    }
    // The timebase the first file declares, which the user may change after.
    ELKTimebase_t own;
    if (followRate && first && first->ownRate(&own)) setTimebase(own);
    if (shown) {
        ui.m_tabs->setCurrentWidget(shown);
        shown->setFocus();
    }
    // A message about an earlier failure is no longer true of the window.
    if (errors.isEmpty()) ui.m_statusBar->clearMessage();
    showDocument();
    showTotals();
    return errors;
}

void HorodexTape::setTimebase(const ELKTimebase_t& base)
{
    int index = ui.m_timebase->count();
    for (int i = 0; i < ui.m_timebase->count(); ++i) {
        const ELKTimebase_t item = timebase(i);
        if (ELKTimebase_Equal(&item, &base) == ELK_TRUE) index = i;
    }
    if (index == ui.m_timebase->count()) ui.m_timebase->addItem(timebaseText(base));
    ui.m_timebase->setCurrentIndex(index);
}

void HorodexTape::showMessage(const QString& message, int timeoutMs)
{
    ui.m_statusBar->showMessage(message, timeoutMs);
}

int HorodexTape::restoreSession()
{
    const QList<AutosaveSession::Copy> copies = m_autosave.takeOrphans();
    for (const AutosaveSession::Copy& copy : copies) {
        TapeDocument* document = currentDocument()->isUntouched() ? currentDocument() : newDocument();
        document->restore(copy.text, copy.path, copy.encoding, copy.lineEnd, true);
        document->setCopyDue(true);
        ui.m_tabs->setTabText(ui.m_tabs->indexOf(document), document->displayName());
    }
    // Copied into this session before the old one goes.
    autosave();
    m_autosave.releaseOrphans();
    if (!copies.isEmpty()) {
        showDocument();
        showMessage(copies.size() == 1
                ? tr("Restored 1 unsaved tab from a tape that did not close.")
                : tr("Restored %1 unsaved tabs from tapes that did not close.").arg(copies.size()));
    }
    return int(copies.size());
}

void HorodexTape::autosave()
{
    m_autosaveTimer.stop();
    for (TapeDocument* document : documents()) {
        if (!document->isCopyDue()) continue;
        if (!document->document()->isModified())
            m_autosave.remove(document->id());
        else if (!m_autosave.write(document->id(),
                     { document->listText(), document->filePath(), document->encoding(),
                         document->lineEnd() }))
            continue;
        document->setCopyDue(false);
    }
}

bool HorodexTape::saveDocument(TapeDocument* document, bool askForName)
{
    QString path = document->filePath();
    if (path.isEmpty() || askForName) {
        const QString folder = path.isEmpty() ? m_lastFolder : QFileInfo(path).absolutePath();
        path = QFileDialog::getSaveFileName(this, tr("Save the list"),
            QDir(folder).filePath(path.isEmpty() ? tr("list.txt") : QFileInfo(path).fileName()),
            tr("Lists, EDLs and timelines (*.edl *.txt *.csv *.fcpxml *.xml *.otio *.ale);;All files (*)"));
        if (path.isEmpty()) return false;
    }
    const QString error = document->saveAs(path);
    if (!error.isEmpty()) {
        QMessageBox::warning(this, m_title, error);
        return false;
    }
    m_lastFolder = QFileInfo(path).absolutePath();
    const int index = ui.m_tabs->indexOf(document);
    ui.m_tabs->setTabText(index, document->displayName());
    ui.m_tabs->setTabToolTip(index, QDir::toNativeSeparators(document->filePath()));
    document->setCopyDue(true);
    autosave();
    updateTitle();
    showMessage(tr("Saved %1").arg(QDir::toNativeSeparators(path)), 3000);
    return true;
}

bool HorodexTape::maybeSave(const QList<TapeDocument*>& unsaved)
{
    if (unsaved.isEmpty()) return true;
    const QString question = unsaved.size() == 1
        ? tr("%1 has changes that are not saved. Save them?").arg(unsaved.first()->displayName())
        : tr("%1 tabs have changes that are not saved. Save them?").arg(unsaved.size());
    // Escape is Cancel: the window stays, with its text.
    const int answer = QMessageBox::warning(this, m_title, question,
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    // The keyboard back to the window, even where no window manager gives it.
    activateWindow();
    switch (answer) {
    case QMessageBox::Save:
        for (TapeDocument* document : unsaved) {
            ui.m_tabs->setCurrentWidget(document);
            if (!saveDocument(document)) return false;
        }
        return true;
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void HorodexTape::closeTab(int index)
{
    auto* document = static_cast<TapeDocument*>(ui.m_tabs->widget(index));
    if (!document) return;
    if (document->document()->isModified() && !maybeSave({ document })) return;
    m_autosave.remove(document->id());
    ui.m_tabs->removeTab(index);
    document->deleteLater();
    // The window always holds a tab to paste into.
    if (ui.m_tabs->count() == 0) newDocument();
    currentDocument()->setFocus();
    showTotals();
}

void HorodexTape::closeEvent(QCloseEvent* event)
{
    QList<TapeDocument*> unsaved;
    for (TapeDocument* document : documents())
        if (document->document()->isModified()) unsaved << document;
    if (!maybeSave(unsaved)) {
        event->ignore();
        return;
    }
    m_autosave.clear();
    event->accept();
}

void HorodexTape::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void HorodexTape::dropEvent(QDropEvent* event)
{
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    const QStringList errors = openFiles(paths);
    if (!errors.isEmpty()) QMessageBox::warning(this, m_title, errors.join(QLatin1Char('\n')));
}

// The editor would insert a dropped file's name as text; a file dropped on it opens instead.
bool HorodexTape::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui.m_table->viewport()) {
        if (event->type() == QEvent::Resize) spanErrorRows();
        return QMainWindow::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (!localFiles(static_cast<QDropEvent*>(event)->mimeData()).isEmpty()) {
            static_cast<QDropEvent*>(event)->acceptProposedAction();
            return true;
        }
        break;
    case QEvent::Drop:
        if (!localFiles(static_cast<QDropEvent*>(event)->mimeData()).isEmpty()) {
            dropEvent(static_cast<QDropEvent*>(event));
            return true;
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

void HorodexTape::showDocument()
{
    TapeDocument* document = currentDocument();
    if (!document) return;
    if (ui.m_table->model() != document->tableModel()) {
        ui.m_table->setModel(document->tableModel());
        connect(ui.m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &HorodexTape::selectLine, Qt::UniqueConnection);
    }
    sizeTableColumns();
    spanErrorRows();
    updateTitle();
}

void HorodexTape::documentRead(bool ahead)
{
    if (sender() == currentDocument()) {
        sizeTableColumns();
        spanErrorRows();
    }
    showTotals();
    if (!ahead) return;
    // Shown now: the editor takes longer to lay out a long text than the totals take to compute.
    ui.m_table->viewport()->repaint();
    ui.m_totals->viewport()->repaint();
    ui.m_leftOut->repaint();
}

void HorodexTape::documentChanged()
{
    auto* document = static_cast<TapeDocument*>(sender());
    document->setCopyDue(true);
    m_autosaveTimer.start();
}

void HorodexTape::updateTitle()
{
    TapeDocument* current = currentDocument();
    for (TapeDocument* document : documents()) {
        const QString name = document->displayName();
        ui.m_tabs->setTabText(
            ui.m_tabs->indexOf(document), document->document()->isModified() ? tr("%1 *").arg(name) : name);
    }
    setWindowTitle(current && !current->filePath().isEmpty()
            ? m_title + QStringLiteral(" \u2014 ") + current->displayName() + QStringLiteral("[*]")
            : m_title + QStringLiteral("[*]"));
    setWindowModified(current && current->document()->isModified());
}

void HorodexTape::spanErrorRows()
{
    // A reason reads across the columns that an error row leaves empty. Only
    // the rows in view: spanning 100,000 error rows costs more than reading them.
    ui.m_table->clearSpans();
    TapeDocument* document = currentDocument();
    if (!document) return;
    const TapeModel& model = document->model();
    const int first = std::max(0, ui.m_table->rowAt(0));
    int last = ui.m_table->rowAt(ui.m_table->viewport()->height());
    if (last < 0) last = model.rowCount() - 1;
    for (int row = first; row <= last; ++row)
        if (model.isErrorRow(row))
            ui.m_table->setSpan(
                row, TapeModel::LabelColumn, 1, TapeModel::RunningColumn - TapeModel::LabelColumn + 1);
}

void HorodexTape::sizeTableColumns()
{
    // Sized from what the columns can hold, not by visiting every row; the label takes the rest.
    TapeDocument* document = currentDocument();
    const ELKList_t& list = document->model().list();
    const QFontMetrics metrics(ui.m_table->font());
    const int padding = 3 * metrics.averageCharWidth();
    QHeaderView* header = ui.m_table->horizontalHeader();
    auto fit = [&](int column, const QString& widest) {
        const QString heading = document->model().headerData(column, Qt::Horizontal).toString();
        header->resizeSection(column,
            std::max(metrics.horizontalAdvance(widest), header->fontMetrics().horizontalAdvance(heading))
                + padding);
    };
    fit(TapeModel::LineColumn,
        QString(QString::number(std::max<int64_t>(list.lines, 1)).size(), QLatin1Char('0')));
    QString track;
    for (int32_t i = 0; i < list.trackCount; ++i) {
        const QString name = QString::fromUtf8(list.text + list.tracks[i].name, list.tracks[i].nameLength);
        if (name.size() > track.size()) track = name;
    }
    fit(TapeModel::TrackColumn, track);
    // Every time fits below a day, or below the sum; the sign may be there.
    ELKDuration_t widest { 0, list.base };
    ELKDuration_SetFields(&widest, ELK_FALSE, 24, 0, 0, 0);
    widest.frames = -std::max(widest.frames - 1, list.sum == INT64_MIN ? INT64_MAX : std::abs(list.sum));
    for (int column = TapeModel::InColumn; column <= TapeModel::RunningColumn; ++column)
        fit(column, durationText(widest));
    header->setSectionResizeMode(TapeModel::LabelColumn, QHeaderView::Stretch);
    header->setStretchLastSection(false);
}

void HorodexTape::fitTotals()
{
    // The totals show their rows, up to half the window; the splitter may then move them.
    if (!ui.m_verticalSplitter->isVisible()) return;
    const int room = ui.m_verticalSplitter->height();
    const int shown = std::min(m_totalsHeight, room / 2);
    ui.m_verticalSplitter->setSizes({ room - shown, shown });
}

void HorodexTape::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    fitTotals();
}

void HorodexTape::showTotals()
{
    const QList<TapeDocument*> tabs = documents();
    if (tabs.isEmpty()) return;
    // Over every tab, as several inputs of one list: sums add, tracks merge by name.
    int64_t sum = 0, unique = 0, length = 0, errors = 0;
    bool hasUnique = false, hasLength = false, valid = true;
    std::vector<TrackTotal> tracks;
    QHash<QByteArray, size_t> trackIndex;
    for (const TapeDocument* document : tabs) {
        const ELKList_t& list = document->model().list();
        valid = valid && !__builtin_add_overflow(sum, list.sum, &sum)
            && !__builtin_add_overflow(unique, list.unique, &unique);
        hasUnique = hasUnique || list.hasUnique == ELK_TRUE;
        hasLength = hasLength || list.hasLength == ELK_TRUE;
        valid = valid && !__builtin_add_overflow(length, list.length, &length);
        errors += list.errorCount;
        for (int32_t i = 0; i < list.trackCount; ++i) {
            const ELKListTrack_t& t = list.tracks[i];
            const QByteArray name(list.text + t.name, t.nameLength);
            const auto known = trackIndex.constFind(name);
            if (known == trackIndex.cend()) {
                trackIndex.insert(name, tracks.size());
                tracks.push_back({ name, t.sum, t.unique });
            } else {
                TrackTotal& total = tracks[*known];
                valid = valid && !__builtin_add_overflow(total.sum, t.sum, &total.sum)
                    && !__builtin_add_overflow(total.unique, t.unique, &total.unique);
            }
        }
    }

    m_sum = sum;
    m_unique = unique;
    m_hasUnique = hasUnique;
    m_totalsValid = valid;
    ui.m_totals->clear();
    auto* sumItem = new QTreeWidgetItem(ui.m_totals, { tr("Sum") });
    setTotal(sumItem, sum, valid);
    auto* uniqueItem = new QTreeWidgetItem(ui.m_totals, { tr("Unique length") });
    setTotal(uniqueItem, unique, valid);
    uniqueItem->setHidden(!hasUnique);
    for (const TrackTotal& track : tracks) {
        setTotal(new QTreeWidgetItem(sumItem, { QString::fromUtf8(track.name) }), track.sum, valid);
        setTotal(new QTreeWidgetItem(uniqueItem, { QString::fromUtf8(track.name) }), track.unique, valid);
    }
    auto* lengthItem = new QTreeWidgetItem(ui.m_totals, { tr("Length") });
    setTotal(lengthItem, length, valid);
    lengthItem->setHidden(!hasLength);
    // One row per input, when there are several: the reels of a feature.
    int inputs = 0;
    for (const TapeDocument* document : tabs) inputs += document->model().list().inputs;
    if (inputs > 1)
        for (const TapeDocument* document : tabs)
            for (int32_t i = 0; i < document->model().list().inputs; ++i)
                setTotal(new QTreeWidgetItem(ui.m_totals, { inputText(document, i) }),
                    document->model().list().inputList[i].total);
    ui.m_totals->expandAll();

    const bool showAt = ui.m_showAt->currentIndex() > 0;
    ui.m_totals->setColumnHidden(AtColumn, !showAt);
    ui.m_totals->setColumnHidden(FramesAtColumn, !showAt);
    ui.m_totals->headerItem()->setText(AtColumn, tr("At %1").arg(ui.m_showAt->currentText()));
    ui.m_totals->headerItem()->setText(FramesAtColumn, tr("Frames at %1").arg(ui.m_showAt->currentText()));
    int width = 0;
    for (int column = 0; column < ui.m_totals->columnCount(); ++column) {
        ui.m_totals->resizeColumnToContents(column);
        if (!ui.m_totals->isColumnHidden(column)) width += ui.m_totals->columnWidth(column);
    }
    // No taller than its rows.
    int rows = 0;
    for (QTreeWidgetItemIterator item(ui.m_totals, QTreeWidgetItemIterator::NotHidden); *item; ++item) ++rows;
    int height = ui.m_totals->header()->sizeHint().height() + 2 * ui.m_totals->frameWidth()
        + rows * ui.m_totals->visualItemRect(sumItem).height();
    if (width > ui.m_totals->viewport()->width())
        height += ui.m_totals->horizontalScrollBar()->sizeHint().height();
    ui.m_totals->setMaximumHeight(height);
    if (height != m_totalsHeight) {
        m_totalsHeight = height;
        fitTotals();
    }

    ui.m_copyUnique->setEnabled(hasUnique);
    // Spelt out here: "%n line(s)" reads right only where a translation is loaded.
    if (errors == 0)
        ui.m_leftOut->clear();
    else if (errors == 1)
        ui.m_leftOut->setText(tr("1 line left out of the totals, marked in the list."));
    else
        ui.m_leftOut->setText(tr("%1 lines left out of the totals, marked in the list.").arg(errors));
}

QString HorodexTape::inputText(const TapeDocument* document, int32_t index) const
{
    // A tab holds a list or EDL, or a timeline file of one project or more.
    const ELKList_t& list = document->model().list();
    const ELKListInput_t& input = list.inputList[index];
    static const char* const formats[] = { nullptr, QT_TR_NOOP("list"), QT_TR_NOOP("EDL"),
        QT_TR_NOOP("FCPXML"), QT_TR_NOOP("FCP7 XML"), QT_TR_NOOP("OpenTimelineIO"), QT_TR_NOOP("ALE") };
    QString name = document->displayName();
    if (input.hasName == ELK_TRUE)
        name = tr("%1, %2").arg(name, QString::fromUtf8(list.text + input.name, input.nameLength));
    QStringList about;
    if (input.format > ELK_FORMAT_NONE && input.format < int(std::size(formats)))
        about << tr(formats[input.format]);
    if (input.hasRate == ELK_TRUE) about << tr("at %1").arg(timebaseText(input.rate));
    if (input.hasLength == ELK_TRUE)
        about << tr("length %1").arg(durationText(ELKDuration_t { input.length, list.base }));
    return about.isEmpty() ? name : tr("%1: %2").arg(name, about.join(QStringLiteral(", ")));
}

void HorodexTape::setTotal(QTreeWidgetItem* item, int64_t frames, bool valid) const
{
    for (int column = TimecodeColumn; column < ui.m_totals->columnCount(); ++column)
        item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    if (!valid) {
        item->setText(TimecodeColumn, tr("too large"));
        return;
    }
    const ELKDuration_t d { frames, timebase(ui.m_timebase->currentIndex()) };
    item->setText(TimecodeColumn, durationText(d));
    item->setText(FramesColumn, QString::number(frames));
    item->setText(RunningTimeColumn, runningTimeText(d));

    ELKTimebase_t at;
    ELKDuration_t converted = d;
    const bool shown = ui.m_showAt->currentIndex() > 0 && readTimebase(ui.m_showAt->currentText(), &at)
        && ELKDuration_ConvertRealTime(&converted, &at) == ELK_OK;
    item->setText(AtColumn, shown ? durationText(converted) : QString());
    item->setText(FramesAtColumn, shown ? QString::number(converted.frames) : QString());
}

void HorodexTape::copyTotal()
{
    if (!m_totalsValid) return;
    const bool unique = ui.m_copyUnique->isChecked() && m_hasUnique;
    const ELKDuration_t total { unique ? m_unique : m_sum, timebase(ui.m_timebase->currentIndex()) };
    // The calculator's clipboard form, with its sign: other programs read it.
    char text[ELK_DURATION_TEXT_MAX];
    const int32_t length = ELKDuration_ToText(&total, text, ELK_DURATION_TEXT_MAX, ELK_TRUE);
    const QString copied = QString::fromLatin1(text, std::max(0, length));
    QGuiApplication::clipboard()->setText(copied);
    showMessage(tr("Copied %1").arg(copied), 3000);
}

void HorodexTape::selectLine(const QModelIndex& current)
{
    TapeDocument* document = currentDocument();
    if (!current.isValid() || m_selecting || !document) return;
    m_selecting = true;
    document->selectLine(
        document->model().lineOfRow(current.row()), document->model().faultColumn(current.row()));
    m_selecting = false;
}

void HorodexTape::selectRowOfCursor()
{
    TapeDocument* document = currentDocument();
    if (m_selecting || sender() != document) return;
    const int row = document->model().rowOfLine(document->textCursor().blockNumber() + 1);
    if (row < 0 || ui.m_table->currentIndex().row() == row) return;
    m_selecting = true;
    ui.m_table->setCurrentIndex(document->tableModel()->index(row, TapeModel::LabelColumn));
    m_selecting = false;
}

void HorodexTape::pasteAnywhere()
{
    // At the cursor: a line the table selected is not the user's selection to replace.
    TapeDocument* document = currentDocument();
    if (!document->hasFocus()) {
        QTextCursor cursor = document->textCursor();
        cursor.clearSelection();
        document->setTextCursor(cursor);
    }
    document->setFocus();
    document->paste();
}

void HorodexTape::openDialog()
{
    // From the current tab's folder, else from where the last file came.
    const QString current = currentDocument()->filePath();
    const QString folder = current.isEmpty() ? m_lastFolder : QFileInfo(current).absolutePath();
    const QStringList paths = QFileDialog::getOpenFileNames(this, tr("Open lists, EDLs or timelines"), folder,
        tr("Lists, EDLs and timelines (*.edl *.txt *.csv *.fcpxml *.xml *.otio *.ale);;All files (*)"));
    if (paths.isEmpty()) return;
    const QStringList errors = openFiles(paths);
    if (!errors.isEmpty()) QMessageBox::warning(this, m_title, errors.join(QLatin1Char('\n')));
}

void HorodexTape::saveAsDialog()
{
    saveDocument(currentDocument(), true);
}

void HorodexTape::about()
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
