// SPDX-License-Identifier: MIT
// The tape window: a list or EDL in a plain-text editor, its entries in a
// table and its totals below, all recomputed on every edit.
#ifndef HORODEXTAPE_H
#define HORODEXTAPE_H

#include <QMainWindow>

#include "ELKDuration.h"
#include "ListEditor.h"
#include "TapeModel.h"
#include "ui_HorodexTape.h"

class HorodexTape : public QMainWindow
{
    Q_OBJECT

public:
    explicit HorodexTape(QWidget* parent = nullptr);

    // Loads a file into the editor (UTF-8, else Latin-1). Returns why it could
    // not, or an empty string; the editor keeps its text on failure.
    QString HorodexTape_Open(const QString& path);
    // Reads the list at `base`, adding it to the chooser if it is not named.
    void HorodexTape_SetTimebase(const ELKTimebase_t& base);
    void HorodexTape_ShowMessage(const QString& message);

    const TapeModel& model() const { return m_model; }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void Recompute();
    // Reads the text a paste is about to leave, before the editor holds it.
    void ReadAhead(const QString& text);
    void ShowTotals();
    // Marks the errors on the lines the editor shows; marking all of a long
    // list would lay out every line.
    void MarkErrors();
    // Lets the reasons of the error rows in view read across the empty columns.
    void SpanErrorRows();
    void CopyTotal();
    void SelectLine(const QModelIndex& current);
    void OpenDialog();
    void About();

private:
    ELKTimebase_t timebase(int index) const;
    void setTotal(QTreeWidgetItem* item, int64_t frames) const;
    void Read(const QString& text);

    Ui::HorodexTape ui;
    TapeModel m_model;
    QString m_title;
    QString m_readAhead; // the text read ahead of a paste, until the editor holds it
};

#endif
