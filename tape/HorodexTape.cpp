// SPDX-License-Identifier: MIT
#include "HorodexTape.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>

#include "SaveDialogs.h"

namespace
{

// The pause after the last edit before unsaved tabs are copied aside.
constexpr int autosaveMs = 2000;

QStringList localFiles(const QMimeData* mime)
{
    QStringList paths;
    if (mime && mime->hasUrls())
        for (const QUrl& url : mime->urls())
            if (url.isLocalFile()) paths << url.toLocalFile();
    return paths;
}

} // namespace

HorodexTape::HorodexTape(QWidget* parent)
    : QMainWindow(parent)
{
    ui.setupUi(this);
    m_title = windowTitle();
    m_saver = new TapeSaver(this, m_title, ui.m_tabs, &m_session, &m_autosave);
    connect(m_saver, &TapeSaver::message, this, &HorodexTape::showMessage);
    connect(m_saver, &TapeSaver::clean, this, [this](TapeEditor* editor) {
        editor->tapeDocument()->setCopyDue(true);
        autosave();
        updateTitle();
    });
    connect(&m_session, &TapeSession::listRead, this, &HorodexTape::listRead);
    connect(&m_session, &TapeSession::timebaseMoved, this, &HorodexTape::timebaseMoved);
    createChoosers();
    createTabs();
    createActions();
    m_autosaveTimer.setSingleShot(true);
    m_autosaveTimer.setInterval(autosaveMs);
    connect(&m_autosaveTimer, &QTimer::timeout, this, &HorodexTape::autosave);
    ui.m_tabs->addEditor()->setFocus();
}

HorodexTape::~HorodexTape() = default;

void HorodexTape::createChoosers()
{
    ui.m_timebase->listTimebases();
    ui.m_showAt->listTimebases();
    // The last choice, else the default.
    ELKTimebase_t base;
    const QByteArray chosen = QSettings().value(QStringLiteral("timebase")).toString().toUtf8();
    const bool kept = ELKTimebase_FromText(&base, chosen.constData(), int32_t(chosen.size())) == ELK_OK;
    if (!kept) ELKTimebase_FromRate(&base, tapeDefaultRate);
    m_session.setTimebase(base, kept ? ELK_RATE_FROM_OPTION : ELK_RATE_FROM_DEFAULT);
    ui.m_timebase->showTimebase(base);

    connect(ui.m_timebase, &TimebaseChooser::timebaseChanged, this, [this](const ELKTimebase_t& chosen) {
        const ELKTimebase_t current = m_session.timebase();
        if (ELKTimebase_Equal(&chosen, &current) != ELK_TRUE) m_session.setTimebase(chosen);
    });
    // Only the user's choice is kept; --rate is for one run.
    connect(ui.m_timebase, &QComboBox::activated, this,
        [this] { QSettings().setValue(QStringLiteral("timebase"), ui.m_timebase->currentText()); });
    connect(ui.m_showAt, &QComboBox::currentIndexChanged, this, &HorodexTape::showTotals);
}

void HorodexTape::createTabs()
{
    ui.m_tabs->setSession(&m_session);
    connect(ui.m_tabs, &TapeTabs::editorAdded, this, &HorodexTape::wireEditor);
    connect(ui.m_tabs, &QTabWidget::currentChanged, this, &HorodexTape::showDocument);
    connect(ui.m_tabs, &QTabWidget::tabCloseRequested, this, &HorodexTape::closeTab);
    ui.m_splitter->setSizes({ 2 * width() / 5, 3 * width() / 5 });
    ui.m_table->viewport()->installEventFilter(this);
    ui.m_verticalSplitter->setStretchFactor(0, 1);
    ui.m_verticalSplitter->setStretchFactor(1, 0);
    // At the smallest the editors keep their lines (TapeTabs), and the totals scroll.
    ui.m_totals->setMinimumHeight(3 * QFontMetrics(ui.m_totals->font()).height());
    ui.m_leftOut->setCursor(Qt::PointingHandCursor);
    ui.m_leftOut->installEventFilter(this);
}

void HorodexTape::createActions()
{
    connect(ui.m_actionNewTab, &QAction::triggered, this, [this] {
        TapeEditor* editor = ui.m_tabs->addEditor();
        ui.m_tabs->setCurrentWidget(editor);
        editor->setFocus();
    });
    connect(ui.m_actionOpen, &QAction::triggered, this, &HorodexTape::openDialog);
    connect(ui.m_actionSave, &QAction::triggered, this, [this] { saveDocument(currentEditor()); });
    connect(ui.m_actionSaveAs, &QAction::triggered, this, [this] { saveDocument(currentEditor(), true); });
    connect(ui.m_actionCloseTab, &QAction::triggered, this, [this] { closeTab(ui.m_tabs->currentIndex()); });
    connect(ui.m_actionQuit, &QAction::triggered, this, &QWidget::close);
    // The editor takes its own Ctrl+V first; this one serves the rest of the window.
    connect(ui.m_actionPaste, &QAction::triggered, this, [this] { currentEditor()->pasteAtCursor(); });
    connect(ui.m_copyTotal, &QPushButton::clicked, ui.m_actionCopyTotal, &QAction::trigger);
    connect(ui.m_actionCopyTotal, &QAction::triggered, this, &HorodexTape::copyTotal);
    connect(ui.m_actionAbout, &QAction::triggered, this, [this] {
        QMessageBox::about(this, tr("About Horodex Tape"),
            tr("Horodex Tape\nVersion %1\n\nTotals of timecode lists and EDLs at any frame rate\n\n"
               "Copyright (C) 2025-2026 The Horodex developers\n\nhttps://horodex.example")
                .arg(QCoreApplication::applicationVersion()));
    });
}

QStringList HorodexTape::openFiles(const QStringList& paths)
{
    QStringList errors, shownAgain;
    QList<TapeEditor*> loaded;
    TapeEditor* shown = nullptr;
    for (const QString& path : paths) {
        // One tab per file: the totals never count a file twice.
        if (TapeDocument* open = m_session.documentOfFile(path)) {
            shown = ui.m_tabs->editorOf(open);
            shownAgain << open->displayName();
            continue;
        }
        // Opening never replaces typed text: a tab of its own, unless the current one is empty.
        TapeEditor* before = currentEditor();
        TapeEditor* editor = before->isUntouched() ? before : ui.m_tabs->addEditor();
        const QString error = editor->tapeDocument()->load(path);
        if (!error.isEmpty()) {
            errors << error;
            if (editor != before) ui.m_tabs->removeEditor(editor);
            ui.m_tabs->setCurrentWidget(before);
            continue;
        }
        m_saver->lastFolder = QFileInfo(path).absolutePath();
        // Shown at its size first: a change of the editor's width lays out every line again.
        ui.m_tabs->setCurrentWidget(editor);
        loaded << editor;
        shown = editor;
    }
    // A message about an earlier failure is no longer true of the window.
    if (errors.isEmpty()) ui.m_statusBar->clearMessage();
    if (!shownAgain.isEmpty())
        showMessage(tr("%1 is open already: shown in its tab.").arg(shownAgain.join(QStringLiteral(", "))));
    // One reading of them all, shown before the editors, which take longer, hold the text.
    if (!loaded.isEmpty()) m_session.read(loaded.first()->tapeDocument(), true);
    for (TapeEditor* editor : loaded) editor->showText();
    if (shown) {
        ui.m_tabs->setCurrentWidget(shown);
        shown->setFocus();
    }
    showDocument();
    return errors;
}

TapeEditor* HorodexTape::currentEditor() const
{
    return ui.m_tabs->currentEditor();
}

QList<TapeEditor*> HorodexTape::editors() const
{
    return ui.m_tabs->editors();
}

bool HorodexTape::saveDocument(TapeEditor* editor, bool askForName)
{
    return m_saver->save(editor, askForName);
}

void HorodexTape::wireEditor(TapeEditor* editor)
{
    TapeDocument* document = editor->tapeDocument();
    editor->viewport()->installEventFilter(this);
    connect(editor, &QPlainTextEdit::textChanged, this, [this, document] {
        document->setCopyDue(true);
        m_autosaveTimer.start();
    });
    connect(editor, &QPlainTextEdit::modificationChanged, this, &HorodexTape::updateTitle);
    connect(editor, &QPlainTextEdit::cursorPositionChanged, this, &HorodexTape::selectRowOfCursor);
    connect(document, &TapeDocument::changedOnDisk, m_saver,
        [this, document] { m_saver->changedOnDisk(document); });
    // Tab order: the bar above, the editor, then the table and the totals.
    setTabOrder(ui.m_copyTotal, editor);
    setTabOrder(editor, ui.m_table);
    updateTitle();
}

void HorodexTape::setTimebase(const ELKTimebase_t& base, bool fixed)
{
    m_session.setTimebase(base, ELK_RATE_FROM_OPTION, fixed);
    ui.m_timebase->showTimebase(m_session.timebase());
}

void HorodexTape::showMessage(const QString& message, int timeoutMs)
{
    ui.m_statusBar->showMessage(message, timeoutMs);
}

int HorodexTape::restoreSession()
{
    const int restored = m_saver->restore();
    if (restored > 0) showDocument();
    return restored;
}

void HorodexTape::autosave()
{
    m_autosaveTimer.stop();
    m_saver->autosave();
}

void HorodexTape::closeTab(int index)
{
    auto* editor = static_cast<TapeEditor*>(ui.m_tabs->widget(index));
    if (!editor || (editor->document()->isModified() && !m_saver->maybeSave({ editor }))) return;
    m_autosave.remove(editor->tapeDocument()->id());
    ui.m_tabs->removeEditor(editor);
    // The window always holds a tab to paste into.
    if (ui.m_tabs->count() == 0) ui.m_tabs->addEditor();
    currentEditor()->setFocus();
}

void HorodexTape::closeEvent(QCloseEvent* event)
{
    QList<TapeEditor*> unsaved;
    for (TapeEditor* editor : editors())
        if (editor->document()->isModified()) unsaved << editor;
    if (!m_saver->maybeSave(unsaved)) {
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

bool HorodexTape::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    if (watched == ui.m_leftOut && type == QEvent::MouseButtonRelease) ui.m_tabs->showFirstLeftOut();
    if (watched == ui.m_table->viewport() || watched == ui.m_leftOut)
        return QMainWindow::eventFilter(watched, event);
    // The editor would insert a dropped file's name as text; a file dropped on it opens instead.
    const bool drag = type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop;
    if (drag && !localFiles(static_cast<QDropEvent*>(event)->mimeData()).isEmpty()) {
        if (type == QEvent::Drop)
            dropEvent(static_cast<QDropEvent*>(event));
        else
            static_cast<QDropEvent*>(event)->acceptProposedAction();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void HorodexTape::showDocument()
{
    TapeEditor* editor = currentEditor();
    if (!editor) return;
    TapeModel* model = editor->tapeDocument()->model();
    if (ui.m_table->model() != model) {
        ui.m_table->setModel(model);
        connect(ui.m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &HorodexTape::selectLine, Qt::UniqueConnection);
    }
    ui.m_table->fit();
    editor->markErrors();
    updateTitle();
}

void HorodexTape::listRead(bool ahead)
{
    ui.m_table->fit();
    if (currentEditor()) currentEditor()->markErrors();
    showTotals();
    // Said once there is something counted, as horodex-tc sum says it.
    if (m_session.rateFrom() == ELK_RATE_FROM_DEFAULT && m_session.list().entryCount > 0
        && ui.m_statusBar->currentMessage().isEmpty())
        showMessage(tr("Counted at %1 fps, the default: no input declares its rate (choose one above)")
                        .arg(timebaseText(m_session.timebase())));
    if (!ahead) return;
    // Shown now: the editor takes longer to lay out a long text than the totals take to compute.
    ui.m_table->viewport()->repaint();
    ui.m_totals->viewport()->repaint();
    ui.m_leftOut->repaint();
}

void HorodexTape::timebaseMoved(TapeDocument* document)
{
    ui.m_timebase->showTimebase(m_session.timebase());
    showMessage(tr("Timebase %1, from %2").arg(timebaseText(m_session.timebase()), document->displayName()));
}

void HorodexTape::updateTitle()
{
    ui.m_tabs->showNames();
    TapeEditor* current = currentEditor();
    setWindowTitle(current ? m_title + QStringLiteral(" \u2014 ") + current->tapeDocument()->displayName()
                + QStringLiteral("[*]")
                           : m_title + QStringLiteral("[*]"));
    setWindowModified(current && current->document()->isModified());
}

void HorodexTape::showTotals()
{
    ui.m_totals->showTotals(m_session, ui.m_showAt->timebase());
    ui.m_totals->setMaximumHeight(ui.m_totals->neededHeight());
    if (ui.m_totals->neededHeight() != m_totalsHeight) {
        m_totalsHeight = ui.m_totals->neededHeight();
        fitTotals();
    }
    ui.m_copyUnique->setEnabled(m_session.list().hasUnique == ELK_TRUE);
    ui.m_leftOut->setText(ui.m_tabs->leftOutText());
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

void HorodexTape::copyTotal()
{
    const ELKList_t& list = m_session.list();
    const bool unique = ui.m_copyUnique->isChecked() && list.hasUnique == ELK_TRUE;
    const ELKDuration_t total { unique ? list.unique : list.sum, list.base };
    // The calculator's clipboard form, with its sign: other programs read it.
    char text[ELK_DURATION_TEXT_MAX];
    const int32_t length = ELKDuration_ToText(&total, text, ELK_DURATION_TEXT_MAX, ELK_TRUE);
    const QString copied = QString::fromLatin1(text, std::max(0, length));
    QGuiApplication::clipboard()->setText(copied);
    showMessage(tr("Copied %1").arg(copied), 3000);
}

void HorodexTape::selectLine(const QModelIndex& current)
{
    TapeEditor* editor = currentEditor();
    if (!current.isValid() || m_selecting || !editor) return;
    m_selecting = true;
    const TapeModel* model = editor->tapeDocument()->model();
    editor->selectLine(model->lineOfRow(current.row()), model->faultColumn(current.row()));
    m_selecting = false;
}

void HorodexTape::selectRowOfCursor()
{
    TapeEditor* editor = currentEditor();
    if (m_selecting || sender() != editor) return;
    const TapeModel* model = editor->tapeDocument()->model();
    const int row = model->rowOfLine(editor->textCursor().blockNumber() + 1);
    if (row < 0 || ui.m_table->currentIndex().row() == row) return;
    m_selecting = true;
    ui.m_table->setCurrentIndex(model->index(row, TapeModel::LabelColumn));
    m_selecting = false;
}

void HorodexTape::openDialog()
{
    // From the current tab's folder, else from where the last file came.
    const QString current = currentEditor()->tapeDocument()->filePath();
    const QString folder = current.isEmpty() ? m_saver->lastFolder : QFileInfo(current).absolutePath();
    const QStringList paths = QFileDialog::getOpenFileNames(
        this, tr("Open lists, EDLs or timelines"), folder, SaveDialogs::fileFilter());
    if (paths.isEmpty()) return;
    const QStringList errors = openFiles(paths);
    if (!errors.isEmpty()) QMessageBox::warning(this, m_title, errors.join(QLatin1Char('\n')));
}
