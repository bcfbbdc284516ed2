// SPDX-License-Identifier: MIT
// Saving the tape's tabs without losing anyone's work: Save and Save As with
// the encoding and line ends, a question before a file that changed on disk
// is overwritten, a reload that keeps the edits it discards, and the
// question before unsaved tabs close.
#ifndef TAPESAVER_H
#define TAPESAVER_H

#include <QObject>

#include "AutosaveSession.h"
#include "TapeTabs.h"

class TapeSaver : public QObject
{
    Q_OBJECT

public:
    // Asks its questions over `window`, titled `title`.
    TapeSaver(QWidget* window, const QString& title, TapeTabs* tabs, TapeSession* session,
        AutosaveSession* autosave);

    // Saves a tab to its file, asking for one when it has none or
    // `askForName`; asks first when the file changed on disk. Returns false,
    // having said why, when it was not saved.
    bool save(TapeEditor* editor, bool askForName = false);
    // Saves a tab to `path` in `encoding` and `lineEnd`, as Save As does; a
    // character the encoding cannot hold offers UTF-8.
    bool saveAs(TapeEditor* editor, const QString& path, int encoding, int lineEnd);
    // Asks whether to save `unsaved` first; false when the user cancelled or a save failed.
    bool maybeSave(const QList<TapeEditor*>& unsaved);
    // Another program changed or removed the file of `document`.
    void changedOnDisk(TapeDocument* document);
    // Reads the file again; the tab's edits, if any, are first kept aside.
    void reload(TapeEditor* editor);

    // Brings back the tabs that tapes which did not close cleanly left
    // unsaved, and says so. Returns how many.
    int restore();
    // Writes a copy of every tab edited since its last copy, and removes the
    // copies of tabs saved since.
    void autosave();

    // Where files were last opened or saved: the next dialog starts there.
    QString lastFolder;

signals:
    void message(const QString& text, int timeoutMs);
    // A tab is its file again (saved or reloaded): its autosave copy can go.
    void clean(TapeEditor* editor);

private:
    QWidget* m_window;
    QString m_title;
    TapeTabs* m_tabs;
    TapeSession* m_session;
    AutosaveSession* m_autosave;
};

#endif
