// SPDX-License-Identifier: MIT
// The tape as a table: every counted entry and every line left out, in line
// order. The model holds the library's list and formats cells only when the
// view asks, so that a list of 100,000 lines costs no more than its reading.
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
    ~TapeModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Reads `text` (UTF-8: a list, an EDL or a timeline) afresh at `base` and resets the view.
    void read(const QByteArray& text, const ELKTimebase_t& base);
    // Takes a list read elsewhere (another thread), leaving the old one in `list`.
    void adopt(ELKList_t* list);

    const ELKList_t& list() const { return m_list; }
    // The line (from 1) that a row shows.
    int64_t lineOfRow(int row) const;
    // The first row showing `line`, or -1.
    int rowOfLine(int64_t line) const;
    // The column (characters from 1) of an error row's fault, else 0.
    int32_t faultColumn(int row) const;
    // Whether a row shows a line left out rather than an entry.
    bool isErrorRow(int row) const
    {
        return row >= 0 && size_t(row) < m_rows.size() && m_rows[size_t(row)] < 0;
    }

private:
    void listRows();
    int64_t lineOf(int64_t i) const { return i < 0 ? m_list.errors[-1 - i].line : m_list.entries[i].line; }
    QString poolText(int64_t offset, int32_t length) const;
    // An error's reason in the user's language.
    QString reasonText(const ELKListError_t& e) const;
    QString labelText(int64_t frames) const;

    ELKList_t m_list {};
    std::vector<int64_t> m_rows; // an entry's index, or -1 - an error's index
};

#endif
