// SPDX-License-Identifier: MIT
// The tape window: lists and EDLs in editor tabs, the current tab's entries
// in a table, and the totals over every tab below, kept up to date on every
// edit. What the tabs hold and read lives in the session; the window wires
// the widgets to it. Unsaved tabs are copied aside a moment after each edit,
// so that the next start can bring them back after a crash.
#ifndef HORODEXTAPE_H
#define HORODEXTAPE_H

#include <QMainWindow>
#include <QTimer>

#include <vector>

#include "AutosaveSession.h"
#include "TapeEditor.h"
#include "TapeSession.h"
#include "ui_HorodexTape.h"

class HorodexTape : public QMainWindow
{
    Q_OBJECT

public:
    explicit HorodexTape(QWidget* parent = nullptr);
    ~HorodexTape() override;

    // Opens each file in a tab of its own; an empty, unmodified Untitled tab
    // is reused, and a file open already is shown in its tab. Returns why
    // each file that could not be opened was not, one message a file; the
    // others open all the same.
    QStringList openFiles(const QStringList& paths);
    // Reads every tab at `base`, adding it to the chooser if it is not named.
    // A fixed timebase (--rate) holds for the run: no file moves it.
    void setTimebase(const ELKTimebase_t& base, bool fixed = false);
    void showMessage(const QString& message, int timeoutMs = 0);
    // Brings back the tabs that tapes which did not close cleanly left
    // unsaved. Returns how many.
    int restoreSession();
    // Writes a copy of every tab edited since its last copy (the timer does
    // this a moment after an edit).
    void autosave();
    // Saves a tab to its file, asking for one when it has none; asks first
    // when the file changed on disk. Returns false, having said why, when it
    // was not saved.
    bool saveDocument(TapeEditor* editor, bool askForName = false);
    // Saves a tab to `path` in `encoding` and `lineEnd`, as Save As does.
    bool saveDocumentAs(TapeEditor* editor, const QString& path, int encoding, int lineEnd);

    TapeEditor* currentEditor() const;
    QList<TapeEditor*> editors() const;
    const TapeSession& session() const { return m_session; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createChoosers();
    void createTabs();
    void createActions();

    TapeEditor* newEditor();
    TapeEditor* editorOf(const TapeDocument* document) const;
    // Asks whether to save `unsaved` first; false when the user cancelled or a save failed.
    bool maybeSave(const QList<TapeEditor*>& unsaved);
    void closeTab(int index);
    void showDocument();
    void listRead(bool ahead);
    void timebaseMoved(TapeDocument* document);
    void changedOnDisk(TapeDocument* document);
    // Reads the file again, its edits first kept aside when it has any.
    void reload(TapeEditor* editor);
    void updateTitle();
    void showTotals();
    void showLeftOut();
    void goToFirstLeftOut();
    void fitTotals();
    void showChosenTimebase();
    void copyTotal();
    void selectLine(const QModelIndex& current);
    void selectRowOfCursor();
    void pasteAnywhere();
    void openDialog();

    Ui::HorodexTape ui;
    TapeSession m_session;
    std::vector<ELKTimebase_t> m_timebases; // the chooser's, item by item
    QString m_title;
    QString m_lastFolder;
    AutosaveSession m_autosave;
    QTimer m_autosaveTimer;
    int m_totalsHeight = 0; // what the totals' rows need
    bool m_selecting = false; // a row and its line are being selected together
};

#endif
