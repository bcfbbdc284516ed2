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
#include <QStyle>
#include <QTabBar>
#include <QTextBlock>

#include "ELKText.h"
#include "SaveDialogs.h"

namespace
{

// The pause after the last edit before unsaved tabs are copied aside.
constexpr int autosaveMs = 2000;
// The lines an editor keeps at the window's smallest.
constexpr int minimumEditorLines = 8;

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
    connect(&m_session, &TapeSession::listRead, this, &HorodexTape::listRead);
    connect(&m_session, &TapeSession::timebaseMoved, this, &HorodexTape::timebaseMoved);
    createChoosers();
    createTabs();
    createActions();
    m_autosaveTimer.setSingleShot(true);
    m_autosaveTimer.setInterval(autosaveMs);
    connect(&m_autosaveTimer, &QTimer::timeout, this, &HorodexTape::autosave);
    newEditor()->setFocus();
}

HorodexTape::~HorodexTape()
{
    qApp->removeEventFilter(this);
}

void HorodexTape::createChoosers()
{
    ELKTimebase_t base;
    for (int32_t i = 0; ELKTimebase_Named(&base, i) == ELK_OK; ++i) {
        m_timebases.push_back(base);
        ui.m_timebase->addItem(timebaseText(base));
        ui.m_showAt->addItem(timebaseText(base));
    }
    // The last choice, else the default.
    const QByteArray chosen = QSettings().value(QStringLiteral("timebase")).toString().toUtf8();
    const bool kept = ELKTimebase_FromText(&base, chosen.constData(), int32_t(chosen.size())) == ELK_OK;
    if (!kept) ELKTimebase_FromRate(&base, tapeDefaultRate);
    m_session.setTimebase(base, kept ? ELK_RATE_FROM_OPTION : ELK_RATE_FROM_DEFAULT);
    showChosenTimebase();

    connect(ui.m_timebase, &QComboBox::currentIndexChanged, this, [this](int index) {
        const ELKTimebase_t current = m_session.timebase();
        if (index >= 0 && ELKTimebase_Equal(&m_timebases[size_t(index)], &current) != ELK_TRUE)
            m_session.setTimebase(m_timebases[size_t(index)]);
    });
    // Only the user's choice is kept; --rate is for one run.
    connect(ui.m_timebase, &QComboBox::activated, this,
        [this] { QSettings().setValue(QStringLiteral("timebase"), ui.m_timebase->currentText()); });
    connect(ui.m_showAt, &QComboBox::currentIndexChanged, this, &HorodexTape::showTotals);
}

void HorodexTape::createTabs()
{
    // Tabs switch with Ctrl+Tab or Ctrl+Page Up/Down from anywhere; Tab goes on to the table.
    ui.m_tabs->tabBar()->setFocusPolicy(Qt::NoFocus);
    qApp->installEventFilter(this);
    connect(ui.m_tabs, &QTabWidget::currentChanged, this, &HorodexTape::showDocument);
    connect(ui.m_tabs, &QTabWidget::tabCloseRequested, this, &HorodexTape::closeTab);
    ui.m_splitter->setSizes({ 2 * width() / 5, 3 * width() / 5 });
    ui.m_table->viewport()->installEventFilter(this);
    ui.m_verticalSplitter->setStretchFactor(0, 1);
    ui.m_verticalSplitter->setStretchFactor(1, 0);
    // At the smallest the editor keeps its lines, and the totals scroll.
    const QFontMetrics fixed(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ui.m_tabs->setMinimumHeight(minimumEditorLines * fixed.lineSpacing() + 4 * fixed.height());
    ui.m_totals->setMinimumHeight(3 * fixed.height());
    ui.m_leftOut->setCursor(Qt::PointingHandCursor);
    ui.m_leftOut->installEventFilter(this);
}

void HorodexTape::createActions()
{
    connect(ui.m_actionNewTab, &QAction::triggered, this, [this] {
        TapeEditor* editor = newEditor();
        ui.m_tabs->setCurrentWidget(editor);
        editor->setFocus();
    });
    connect(ui.m_actionOpen, &QAction::triggered, this, &HorodexTape::openDialog);
    connect(ui.m_actionSave, &QAction::triggered, this, [this] { saveDocument(currentEditor()); });
    connect(ui.m_actionSaveAs, &QAction::triggered, this, [this] { saveDocument(currentEditor(), true); });
    connect(ui.m_actionCloseTab, &QAction::triggered, this, [this] { closeTab(ui.m_tabs->currentIndex()); });
    connect(ui.m_actionQuit, &QAction::triggered, this, &QWidget::close);
    // The editor takes its own Ctrl+V first; this one serves the rest of the window.
    connect(ui.m_actionPaste, &QAction::triggered, this, &HorodexTape::pasteAnywhere);
    connect(ui.m_copyTotal, &QPushButton::clicked, ui.m_actionCopyTotal, &QAction::trigger);
    connect(ui.m_actionCopyTotal, &QAction::triggered, this, &HorodexTape::copyTotal);
    connect(ui.m_actionAbout, &QAction::triggered, this, [this] {
        QMessageBox::about(this, tr("About Horodex Tape"),
            tr("Horodex Tape\nVersion %1\n\nTotals of timecode lists and EDLs at any frame rate\n\n"
               "Copyright (C) 2025-2026 The Horodex developers\n\nhttps://horodex.example")
                .arg(QCoreApplication::applicationVersion()));
    });
}

TapeEditor* HorodexTape::newEditor()
{
    TapeDocument* document = m_session.addDocument();
    auto* editor = new TapeEditor(document, &m_session);
    if (currentEditor()) editor->setGeometry(currentEditor()->geometry());
    editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    editor->viewport()->installEventFilter(this);
    connect(editor, &QPlainTextEdit::textChanged, this, [this, document] {
        document->setCopyDue(true);
        m_autosaveTimer.start();
    });
    connect(editor, &QPlainTextEdit::modificationChanged, this, &HorodexTape::updateTitle);
    connect(editor, &QPlainTextEdit::cursorPositionChanged, this, &HorodexTape::selectRowOfCursor);
    connect(document, &TapeDocument::changedOnDisk, this, [this, document] { changedOnDisk(document); });
    ui.m_tabs->addTab(editor, document->displayName());
    // Tab order: the bar above, the editor, then the table and the totals.
    setTabOrder(ui.m_copyTotal, editor);
    setTabOrder(editor, ui.m_table);
    updateTitle();
    return editor;
}

TapeEditor* HorodexTape::currentEditor() const
{
    return static_cast<TapeEditor*>(ui.m_tabs->currentWidget());
}

QList<TapeEditor*> HorodexTape::editors() const
{
    QList<TapeEditor*> list;
    for (int i = 0; i < ui.m_tabs->count(); ++i) list << static_cast<TapeEditor*>(ui.m_tabs->widget(i));
    return list;
}

TapeEditor* HorodexTape::editorOf(const TapeDocument* document) const
{
    for (TapeEditor* editor : editors())
        if (editor->tapeDocument() == document) return editor;
    return nullptr;
}

QStringList HorodexTape::openFiles(const QStringList& paths)
{
    QStringList errors, shownAgain;
    QList<TapeEditor*> loaded;
    TapeEditor* shown = nullptr;
    for (const QString& path : paths) {
        // One tab per file: the totals never count a file twice.
        if (TapeDocument* open = m_session.documentOfFile(path)) {
            shown = editorOf(open);
            shownAgain << open->displayName();
            continue;
        }
        // Opening never replaces typed text: a tab of its own, unless the current one is empty.
        TapeEditor* before = currentEditor();
        TapeEditor* editor = before->isUntouched() ? before : newEditor();
        const QString error = editor->tapeDocument()->load(path);
        if (!error.isEmpty()) {
            errors << error;
            if (editor != before) {
                m_session.removeDocument(editor->tapeDocument());
                delete editor;
                ui.m_tabs->setCurrentWidget(before);
            }
            continue;
        }
        m_lastFolder = QFileInfo(path).absolutePath();
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

void HorodexTape::setTimebase(const ELKTimebase_t& base, bool fixed)
{
    m_session.setTimebase(base, ELK_RATE_FROM_OPTION, fixed);
    showChosenTimebase();
}

void HorodexTape::showMessage(const QString& message, int timeoutMs)
{
    ui.m_statusBar->showMessage(message, timeoutMs);
}

int HorodexTape::restoreSession()
{
    const QList<AutosaveSession::Copy> copies = m_autosave.takeOrphans();
    for (const AutosaveSession::Copy& copy : copies) {
        TapeEditor* editor = currentEditor()->isUntouched() ? currentEditor() : newEditor();
        editor->tapeDocument()->restore(
            copy.text.toUtf8(), copy.path, copy.encoding, copy.lineEnd, copy.stamp);
        editor->tapeDocument()->setCopyDue(true);
        m_session.read(nullptr, true);
        editor->showText();
        editor->document()->setModified(true);
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
    for (TapeEditor* editor : editors()) {
        TapeDocument* document = editor->tapeDocument();
        if (!document->isCopyDue()) continue;
        if (!editor->document()->isModified())
            m_autosave.remove(document->id());
        else if (!m_autosave.write(document->id(),
                     { editor->listText(), document->filePath(), document->encoding(), document->lineEnd(),
                         document->diskStamp() }))
            continue;
        document->setCopyDue(false);
    }
}

bool HorodexTape::saveDocument(TapeEditor* editor, bool askForName)
{
    TapeDocument* document = editor->tapeDocument();
    const QString path = document->filePath();
    if (!path.isEmpty() && !askForName && document->diskState() == TapeDocument::Changed) {
        const SaveDialogs::ChangedAnswer answer
            = SaveDialogs::askChanged(this, m_title, document->displayName());
        activateWindow();
        switch (answer) {
        case SaveDialogs::Overwrite:
            break;
        case SaveDialogs::Reload:
            reload(editor);
            return false;
        case SaveDialogs::SaveAs:
            return saveDocument(editor, true);
        case SaveDialogs::Cancel:
            return false;
        }
    } else if (path.isEmpty() || askForName) {
        const QString folder = path.isEmpty() ? m_lastFolder : QFileInfo(path).absolutePath();
        const SaveDialogs::Choice choice = SaveDialogs::askSaveAs(this,
            QDir(folder).filePath(path.isEmpty() ? tr("list.txt") : QFileInfo(path).fileName()),
            document->encoding(), document->lineEnd());
        activateWindow();
        return !choice.path.isEmpty() && saveDocumentAs(editor, choice.path, choice.encoding, choice.lineEnd);
    }
    return saveDocumentAs(editor, path, document->encoding(), document->lineEnd());
}

bool HorodexTape::saveDocumentAs(TapeEditor* editor, const QString& path, int encoding, int lineEnd)
{
    TapeDocument* document = editor->tapeDocument();
    // Another tab holding that file would overwrite this save with its own.
    const TapeDocument* other = m_session.documentOfFile(path);
    if (other && other != document) {
        QMessageBox::warning(this, m_title,
            tr("%1 is open in another tab: save there, or close that tab first.")
                .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    editor->flush();
    bool unencodable = false;
    const QString error = document->save(path, encoding, lineEnd, &unencodable);
    if (!error.isEmpty()) {
        if (!unencodable) {
            QMessageBox::warning(this, m_title, error);
            return false;
        }
        // A way out: the same file in UTF-8, which holds every character.
        const int answer
            = QMessageBox::warning(this, m_title, error + QLatin1Char('\n') + tr("Save it as UTF-8?"),
                QMessageBox::Save | QMessageBox::Cancel, QMessageBox::Save);
        activateWindow();
        return answer == QMessageBox::Save && saveDocumentAs(editor, path, ELK_TEXT_UTF8, lineEnd);
    }
    m_lastFolder = QFileInfo(path).absolutePath();
    editor->document()->setModified(false);
    ui.m_tabs->setTabIcon(ui.m_tabs->indexOf(editor), QIcon());
    document->setCopyDue(true);
    autosave();
    updateTitle();
    showMessage(tr("Saved %1").arg(QDir::toNativeSeparators(path)), 3000);
    return true;
}

bool HorodexTape::maybeSave(const QList<TapeEditor*>& unsaved)
{
    if (unsaved.isEmpty()) return true;
    const QString question = unsaved.size() == 1
        ? tr("%1 has changes that are not saved. Save them?")
              .arg(unsaved.first()->tapeDocument()->displayName())
        : tr("%1 tabs have changes that are not saved. Save them?").arg(unsaved.size());
    // Escape is Cancel: the window stays, with its text.
    const int answer = QMessageBox::warning(this, m_title, question,
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    // The keyboard back to the window, even where no window manager gives it.
    activateWindow();
    if (answer != QMessageBox::Save) return answer == QMessageBox::Discard;
    for (TapeEditor* editor : unsaved) {
        ui.m_tabs->setCurrentWidget(editor);
        if (!saveDocument(editor)) return false;
    }
    return true;
}

void HorodexTape::closeTab(int index)
{
    auto* editor = static_cast<TapeEditor*>(ui.m_tabs->widget(index));
    if (!editor || (editor->document()->isModified() && !maybeSave({ editor }))) return;
    m_autosave.remove(editor->tapeDocument()->id());
    ui.m_tabs->removeTab(index);
    m_session.removeDocument(editor->tapeDocument());
    editor->deleteLater();
    // The window always holds a tab to paste into.
    if (ui.m_tabs->count() == 0) newEditor();
    currentEditor()->setFocus();
}

void HorodexTape::closeEvent(QCloseEvent* event)
{
    QList<TapeEditor*> unsaved;
    for (TapeEditor* editor : editors())
        if (editor->document()->isModified()) unsaved << editor;
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

bool HorodexTape::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    // Ctrl+Page Down and Up switch tabs wherever the focus is: the editor and table would take them.
    if (type == QEvent::KeyPress && watched->isWidgetType()
        && static_cast<QWidget*>(watched)->window() == this) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int step = key->key() == Qt::Key_PageDown ? 1 : key->key() == Qt::Key_PageUp ? -1 : 0;
        if (step && key->modifiers() == Qt::ControlModifier) {
            const int count = ui.m_tabs->count();
            ui.m_tabs->setCurrentIndex((ui.m_tabs->currentIndex() + step + count) % count);
            currentEditor()->setFocus();
            return true;
        }
    }
    if (watched == ui.m_leftOut && type == QEvent::MouseButtonRelease) goToFirstLeftOut();
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
    if (!ahead) return;
    // Shown now: the editor takes longer to lay out a long text than the totals take to compute.
    ui.m_table->viewport()->repaint();
    ui.m_totals->viewport()->repaint();
    ui.m_leftOut->repaint();
}

void HorodexTape::timebaseMoved(TapeDocument* document)
{
    showChosenTimebase();
    showMessage(tr("Timebase %1, from %2").arg(timebaseText(m_session.timebase()), document->displayName()));
}

void HorodexTape::changedOnDisk(TapeDocument* document)
{
    TapeEditor* editor = editorOf(document);
    const QString name = document->displayName();
    const int index = ui.m_tabs->indexOf(editor);
    if (document->diskState() == TapeDocument::Deleted) {
        // Its text is all that is left of it.
        editor->document()->setModified(true);
        showMessage(tr("%1 was deleted on disk; its text stays here, unsaved.").arg(name));
    } else if (!editor->document()->isModified()) {
        reload(editor);
    } else {
        ui.m_tabs->setTabIcon(index, style()->standardIcon(QStyle::SP_MessageBoxWarning));
        ui.m_tabs->setTabToolTip(index, tr("%1 changed on disk; saving will ask first.").arg(name));
        showMessage(tr("%1 changed on disk; saving will ask first.").arg(name));
    }
}

void HorodexTape::reload(TapeEditor* editor)
{
    TapeDocument* document = editor->tapeDocument();
    QString kept;
    if (editor->document()->isModified()) {
        kept = m_autosave.keepDiscarded(document->displayName(), editor->listText());
        if (kept.isEmpty()) {
            QMessageBox::warning(this, m_title,
                tr("%1 was not reloaded: its edits could not be kept aside.").arg(document->displayName()));
            return;
        }
    }
    const QString error = document->load(document->filePath());
    if (!error.isEmpty()) {
        QMessageBox::warning(this, m_title, error);
        return;
    }
    m_session.read(nullptr, true);
    editor->showText();
    ui.m_tabs->setTabIcon(ui.m_tabs->indexOf(editor), QIcon());
    ui.m_tabs->setTabToolTip(ui.m_tabs->indexOf(editor), QDir::toNativeSeparators(document->filePath()));
    document->setCopyDue(true);
    autosave();
    updateTitle();
    showMessage(kept.isEmpty() ? tr("%1 changed on disk and was reloaded.").arg(document->displayName())
                               : tr("%1 was reloaded; the edits it held are in %2.")
                                     .arg(document->displayName(), QDir::toNativeSeparators(kept)));
}

void HorodexTape::updateTitle()
{
    for (TapeEditor* editor : editors()) {
        const QString name = editor->tapeDocument()->displayName();
        ui.m_tabs->setTabText(
            ui.m_tabs->indexOf(editor), editor->document()->isModified() ? tr("%1 *").arg(name) : name);
    }
    TapeEditor* current = currentEditor();
    setWindowTitle(current ? m_title + QStringLiteral(" \u2014 ") + current->tapeDocument()->displayName()
                + QStringLiteral("[*]")
                           : m_title + QStringLiteral("[*]"));
    setWindowModified(current && current->document()->isModified());
}

void HorodexTape::showTotals()
{
    const int showAt = ui.m_showAt->currentIndex();
    ui.m_totals->showTotals(m_session, showAt > 0 ? &m_timebases[size_t(showAt - 1)] : nullptr);
    ui.m_totals->setMaximumHeight(ui.m_totals->neededHeight());
    if (ui.m_totals->neededHeight() != m_totalsHeight) {
        m_totalsHeight = ui.m_totals->neededHeight();
        fitTotals();
    }
    ui.m_copyUnique->setEnabled(m_session.list().hasUnique == ELK_TRUE);
    showLeftOut();
}

void HorodexTape::showLeftOut()
{
    // Which tabs hold them, so that each can be found.
    QStringList where;
    int64_t errors = 0;
    for (const TapeDocument* document : m_session.documents()) {
        const int64_t count = document->model()->errorCount();
        if (count > 0) where << tr("%1 %2").arg(document->displayName()).arg(count);
        errors += count;
    }
    // Spelt out here: "%n line(s)" reads right only where a translation is loaded.
    if (errors == 0)
        ui.m_leftOut->clear();
    else if (errors == 1)
        ui.m_leftOut->setText(tr("1 line left out: %1").arg(where.join(QStringLiteral(", "))));
    else
        ui.m_leftOut->setText(tr("%1 lines left out: %2").arg(errors).arg(where.join(QStringLiteral(", "))));
}

void HorodexTape::goToFirstLeftOut()
{
    for (TapeEditor* editor : editors()) {
        const TapeModel* model = editor->tapeDocument()->model();
        if (model->errorCount() == 0) continue;
        ui.m_tabs->setCurrentWidget(editor);
        editor->selectLine(model->errors()[0].line, model->errors()[0].column);
        editor->setFocus();
        return;
    }
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

void HorodexTape::showChosenTimebase()
{
    const ELKTimebase_t base = m_session.timebase();
    size_t index = 0;
    while (index < m_timebases.size() && ELKTimebase_Equal(&m_timebases[index], &base) != ELK_TRUE) ++index;
    if (index == m_timebases.size()) {
        m_timebases.push_back(base);
        ui.m_timebase->addItem(timebaseText(base));
    }
    ui.m_timebase->setCurrentIndex(int(index));
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

void HorodexTape::pasteAnywhere()
{
    // At the cursor: a line the table selected is not the user's selection to replace.
    TapeEditor* editor = currentEditor();
    if (!editor->hasFocus()) {
        QTextCursor cursor = editor->textCursor();
        cursor.clearSelection();
        editor->setTextCursor(cursor);
    }
    editor->setFocus();
    editor->paste();
}

void HorodexTape::openDialog()
{
    // From the current tab's folder, else from where the last file came.
    const QString current = currentEditor()->tapeDocument()->filePath();
    const QString folder = current.isEmpty() ? m_lastFolder : QFileInfo(current).absolutePath();
    const QStringList paths = QFileDialog::getOpenFileNames(this, tr("Open lists, EDLs or timelines"), folder,
        tr("Lists, EDLs and timelines (*.edl *.txt *.csv *.fcpxml *.xml *.otio *.ale);;All files (*)"));
    if (paths.isEmpty()) return;
    const QStringList errors = openFiles(paths);
    if (!errors.isEmpty()) QMessageBox::warning(this, m_title, errors.join(QLatin1Char('\n')));
}
