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

#include "AutosaveSession.h"
#include "TapeSaver.h"
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
    // Saves a tab as Ctrl+S does (TapeSaver::save).
    bool saveDocument(TapeEditor* editor, bool askForName = false);

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

    // Connects a new tab's editor to the window.
    void wireEditor(TapeEditor* editor);
    void closeTab(int index);
    void showDocument();
    void listRead(bool ahead);
    void timebaseMoved(TapeDocument* document);
    void updateTitle();
    void showTotals();
    void fitTotals();
    void copyTotal();
    void selectLine(const QModelIndex& current);
    void selectRowOfCursor();
    void openDialog();

    Ui::HorodexTape ui;
    TapeSession m_session;
    QString m_title;
    AutosaveSession m_autosave;
    TapeSaver* m_saver;
    QTimer m_autosaveTimer;
    int m_totalsHeight = 0; // what the totals' rows need
    bool m_selecting = false; // a row and its line are being selected together
};

#endif
