// SPDX-License-Identifier: MIT
#include "TapeSaver.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

#include "ELKText.h"
#include "SaveDialogs.h"

TapeSaver::TapeSaver(
    QWidget* window, const QString& title, TapeTabs* tabs, TapeSession* session, AutosaveSession* autosave)
    : QObject(window)
    , m_window(window)
    , m_title(title)
    , m_tabs(tabs)
    , m_session(session)
    , m_autosave(autosave)
{
}

bool TapeSaver::save(TapeEditor* editor, bool askForName)
{
    TapeDocument* document = editor->tapeDocument();
    const QString path = document->filePath();
    if (path.isEmpty() || askForName) {
        const QString folder = path.isEmpty() ? lastFolder : QFileInfo(path).absolutePath();
        const SaveDialogs::Choice choice = SaveDialogs::askSaveAs(m_window,
            QDir(folder).filePath(path.isEmpty() ? tr("list.txt") : QFileInfo(path).fileName()),
            document->encoding(), document->lineEnd());
        m_window->activateWindow();
        return !choice.path.isEmpty() && saveAs(editor, choice.path, choice.encoding, choice.lineEnd);
    }
    if (document->diskState() == TapeDocument::Changed) {
        const SaveDialogs::ChangedAnswer answer
            = SaveDialogs::askChanged(m_window, m_title, document->displayName());
        // The keyboard back to the window, even where no window manager gives it.
        m_window->activateWindow();
        switch (answer) {
        case SaveDialogs::Overwrite:
            break;
        case SaveDialogs::Reload:
            reload(editor);
            return false;
        case SaveDialogs::SaveAs:
            return save(editor, true);
        case SaveDialogs::Cancel:
            return false;
        }
    }
    return saveAs(editor, path, document->encoding(), document->lineEnd());
}

bool TapeSaver::saveAs(TapeEditor* editor, const QString& path, int encoding, int lineEnd)
{
    TapeDocument* document = editor->tapeDocument();
    // Another tab holding that file would overwrite this save with its own.
    const TapeDocument* other = m_session->documentOfFile(path);
    if (other && other != document) {
        QMessageBox::warning(m_window, m_title,
            tr("%1 is open in another tab: save there, or close that tab first.")
                .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    bool unencodable = false;
    const QString error = document->save(path, encoding, lineEnd, &unencodable);
    if (!error.isEmpty()) {
        if (!unencodable) {
            QMessageBox::warning(m_window, m_title, error);
            return false;
        }
        // A way out: the same file in UTF-8, which holds every character.
        const int answer
            = QMessageBox::warning(m_window, m_title, error + QLatin1Char('\n') + tr("Save it as UTF-8?"),
                QMessageBox::Save | QMessageBox::Cancel, QMessageBox::Save);
        m_window->activateWindow();
        return answer == QMessageBox::Save && saveAs(editor, path, ELK_TEXT_UTF8, lineEnd);
    }
    lastFolder = QFileInfo(path).absolutePath();
    editor->document()->setModified(false);
    m_tabs->markChangedOnDisk(editor, false);
    emit clean(editor);
    emit message(tr("Saved %1").arg(QDir::toNativeSeparators(path)), 3000);
    return true;
}

bool TapeSaver::maybeSave(const QList<TapeEditor*>& unsaved)
{
    if (unsaved.isEmpty()) return true;
    const QString question = unsaved.size() == 1
        ? tr("%1 has changes that are not saved. Save them?")
              .arg(unsaved.first()->tapeDocument()->displayName())
        : tr("%1 tabs have changes that are not saved. Save them?").arg(unsaved.size());
    // Escape is Cancel: the window stays, with its text.
    const int answer = QMessageBox::warning(m_window, m_title, question,
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    m_window->activateWindow();
    if (answer != QMessageBox::Save) return answer == QMessageBox::Discard;
    for (TapeEditor* editor : unsaved) {
        m_tabs->setCurrentWidget(editor);
        if (!save(editor)) return false;
    }
    return true;
}

void TapeSaver::changedOnDisk(TapeDocument* document)
{
    TapeEditor* editor = m_tabs->editorOf(document);
    const QString name = document->displayName();
    if (document->diskState() == TapeDocument::Deleted) {
        // Its text is all that is left of it.
        editor->document()->setModified(true);
        emit message(tr("%1 was deleted on disk; its text stays here, unsaved.").arg(name), 0);
    } else if (!editor->document()->isModified()) {
        reload(editor);
    } else {
        m_tabs->markChangedOnDisk(editor, true);
        emit message(tr("%1 changed on disk; saving will ask first.").arg(name), 0);
    }
}

void TapeSaver::reload(TapeEditor* editor)
{
    TapeDocument* document = editor->tapeDocument();
    const QString name = document->displayName();
    QString kept;
    if (editor->document()->isModified()) {
        kept = m_autosave->keepDiscarded(name, editor->listText());
        if (kept.isEmpty()) {
            QMessageBox::warning(
                m_window, m_title, tr("%1 was not reloaded: its edits could not be kept aside.").arg(name));
            return;
        }
    }
    const QString error = document->load(document->filePath());
    if (!error.isEmpty()) {
        QMessageBox::warning(m_window, m_title, error);
        return;
    }
    m_session->read(nullptr, true);
    editor->showText();
    m_tabs->markChangedOnDisk(editor, false);
    emit clean(editor);
    emit message(kept.isEmpty()
            ? tr("%1 changed on disk and was reloaded.").arg(name)
            : tr("%1 was reloaded; the edits it held are in %2.").arg(name, QDir::toNativeSeparators(kept)),
        0);
}

int TapeSaver::restore()
{
    const QList<AutosaveSession::Copy> copies = m_autosave->takeOrphans();
    for (const AutosaveSession::Copy& copy : copies) {
        TapeEditor* current = m_tabs->currentEditor();
        TapeEditor* editor = current->isUntouched() ? current : m_tabs->addEditor();
        editor->tapeDocument()->restore(
            copy.text.toUtf8(), copy.path, copy.encoding, copy.lineEnd, copy.stamp);
        editor->tapeDocument()->setCopyDue(true);
        m_session->read(nullptr, true);
        editor->showText();
        editor->document()->setModified(true);
    }
    // Copied into this session before the old one goes.
    autosave();
    m_autosave->releaseOrphans();
    if (!copies.isEmpty())
        emit message(copies.size() == 1
                ? tr("Restored 1 unsaved tab from a tape that did not close.")
                : tr("Restored %1 unsaved tabs from tapes that did not close.").arg(copies.size()),
            0);
    return int(copies.size());
}

void TapeSaver::autosave()
{
    for (TapeEditor* editor : m_tabs->editors()) {
        TapeDocument* document = editor->tapeDocument();
        if (!document->isCopyDue()) continue;
        if (!editor->document()->isModified())
            m_autosave->remove(document->id());
        else if (!m_autosave->write(document->id(),
                     { editor->listText(), document->filePath(), document->encoding(), document->lineEnd(),
                         document->diskStamp() }))
            continue;
        document->setCopyDue(false);
    }
}
