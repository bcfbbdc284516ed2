// SPDX-License-Identifier: MIT
// The tape window: lists and EDLs in editor tabs, the current tab's entries
// in a table, and the totals over every tab below, kept up to date on every
// edit. Unsaved tabs are copied aside a moment after each edit, so that the
// next start can bring them back after a crash.
#ifndef HORODEXTAPE_H
#define HORODEXTAPE_H

#include <QMainWindow>
#include <QTimer>

#include "AutosaveSession.h"
#include "ELKDuration.h"
#include "TapeDocument.h"
#include "ui_HorodexTape.h"

class HorodexTape : public QMainWindow
{
    Q_OBJECT

public:
    explicit HorodexTape(QWidget* parent = nullptr);
    ~HorodexTape() override;

    // Opens each file in a tab of its own; an empty, unmodified Untitled tab
    // is reused. With followRate, the timebase moves to the one the first file
    // declares, if it declares one. Returns why each file that could not be
    // opened was not, one message a file; the others open all the same.
    QStringList openFiles(const QStringList& paths, bool followRate = true);
    // Reads every tab at `base`, adding it to the chooser if it is not named.
    void setTimebase(const ELKTimebase_t& base);
    void showMessage(const QString& message, int timeoutMs = 0);
    // Brings back the tabs that tapes which did not close cleanly left
    // unsaved. Returns how many.
    int restoreSession();
    // Writes a copy of every tab edited since its last copy (the timer does
    // this a moment after an edit).
    void autosave();
    // Saves a tab to its file, asking for one when it has none. Returns false,
    // having said why, when it was not saved.
    bool saveDocument(TapeDocument* document, bool askForName = false);

    TapeDocument* currentDocument() const;
    QList<TapeDocument*> documents() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createChoosers();
    void createTabs();
    void createTable();
    void createTotals();
    void createActions();

    TapeDocument* newDocument();
    // Asks whether to save `unsaved` first; false when the user cancelled or a save failed.
    bool maybeSave(const QList<TapeDocument*>& unsaved);
    void closeTab(int index);
    void showDocument();
    void documentRead(bool ahead);
    void documentChanged();
    void updateTitle();
    void showTotals();
    void fitTotals();
    // Lets the reasons of the error rows in view read across the empty columns.
    void spanErrorRows();
    void sizeTableColumns();
    void copyTotal();
    void selectLine(const QModelIndex& current);
    void selectRowOfCursor();
    void pasteAnywhere();
    void openDialog();
    void saveAsDialog();
    void about();
    ELKTimebase_t timebase(int index) const;
    // An input's row in the totals: its tab and name, format, own rate and length.
    QString inputText(const TapeDocument* document, int32_t index) const;
    void setTotal(QTreeWidgetItem* item, int64_t frames, bool valid = true) const;

    Ui::HorodexTape ui;
    QString m_title;
    QString m_lastFolder;
    AutosaveSession m_autosave;
    QTimer m_autosaveTimer;
    int m_totalsHeight = 0; // what the totals' rows need
    int64_t m_sum = 0; // over every tab
    int64_t m_unique = 0;
    bool m_hasUnique = false;
    bool m_totalsValid = true; // false when a total is past what a count holds
    bool m_selecting = false; // a row and its line are being selected together
};

#endif
