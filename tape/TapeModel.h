// SPDX-License-Identifier: MIT
// One tab as a table: every counted entry and every line left out, in line
// order. The model shows the tab's part of the session's list (its inputs)
// and formats cells only when the view asks, so that a list of 100,000 lines
// costs no more than its reading.
#ifndef TAPEMODEL_H
#define TAPEMODEL_H

#include <QAbstractTableModel>
#include <QByteArray>
#include <QColor>

#include <vector>

#include "ELKList.h"

// A duration's label, "[-]HH:MM:SS:FF" (';' at drop frame).
QString durationText(const ELKDuration_t& d);
// The one colour of faults: error rows, marks in the editor.
QColor errorColor();

class TapeModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { LineColumn, LabelColumn, TrackColumn, InColumn, OutColumn, DurationColumn, RunningColumn };

    explicit TapeModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Before the list shown goes: the view lets go of its rows.
    void detach();
    // Shows inputs [firstInput, firstInput + inputs) of `list`, which outlives the next detach().
    void attach(const ELKList_t* list, int32_t firstInput, int32_t inputs);

    // The whole list; the tab's own part is entries() and errors().
    const ELKList_t& list() const { return *m_list; }
    const ELKListEntry_t* entries() const { return m_list->entries + m_entries; }
    int64_t entryCount() const { return m_entryCount; }
    const ELKListError_t* errors() const { return m_list->errors + m_errors; }
    int64_t errorCount() const { return m_errorCount; }
    int32_t firstInput() const { return m_firstInput; }
    int32_t inputCount() const { return m_inputs; }
    // The last line that holds an entry or an error, and the tab's own sum.
    int64_t lines() const { return m_lines; }
    int64_t sum() const { return m_sum; }
    // The line (from 1) that a row shows.
    int64_t lineOfRow(int row) const;
    // The first row showing `line`, or -1.
    int rowOfLine(int64_t line) const;
    // The column (characters from 1) of an error row's fault, else 0.
    int32_t faultColumn(int row) const;
    // Whether a row shows a line left out rather than an entry.
    bool isErrorRow(int row) const { return row >= 0 && row < rowCount() && itemOf(row) < 0; }

private:
    void listRows();
    int64_t lineOf(int64_t i) const { return i < 0 ? errors()[-1 - i].line : entries()[i].line; }
    // What a row shows: an entry's index in the range, or -1 - an error's.
    int64_t itemOf(int row) const;
    QString poolText(int64_t offset, int32_t length) const;
    // An error's reason in the user's language.
    QString reasonText(const ELKListError_t& e) const;
    QString labelText(int64_t frames) const;

    static const ELKList_t empty;
    const ELKList_t* m_list = &empty;
    int64_t m_entries = 0, m_entryCount = 0; // the tab's range of the list's entries
    int64_t m_errors = 0, m_errorCount = 0;
    int32_t m_firstInput = 0, m_inputs = 0;
    int64_t m_lines = 0, m_sum = 0;
    int64_t m_runningBefore = 0; // the running total of the tabs before this one
    // The rows that show errors, in order; the others show the entries in
    // order. A long list has few errors: no row of its own for each entry.
    std::vector<int64_t> m_errorRows;
};

#endif
