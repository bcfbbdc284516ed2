// SPDX-License-Identifier: MIT
// The totals below the tabs: the sum and unique length with their tracks,
// the length, and a row per input when there are several (the reels of a
// feature), each as timecode, frames and running time, and converted to a
// second timebase when one is chosen. Every number is the session's list's.
#ifndef TOTALSPANE_H
#define TOTALSPANE_H

#include <QTreeWidget>

#include "TapeSession.h"

class TotalsPane : public QTreeWidget
{
    Q_OBJECT

public:
    enum Column { NameColumn, TimecodeColumn, FramesColumn, RunningTimeColumn, AtColumn, FramesAtColumn };

    explicit TotalsPane(QWidget* parent = nullptr);

    // Shows the totals of `session`, converted to `at` as well unless it is null.
    void showTotals(const TapeSession& session, const ELKTimebase_t* at);
    // The height that shows every row, and no more.
    int neededHeight() const { return m_neededHeight; }

    // An input's row: its tab and name, format, own rate and length.
    static QString inputText(const TapeDocument& document, const ELKList_t& list, int32_t index);

private:
    void setTotal(QTreeWidgetItem* item, int64_t frames);
    void fitColumns(QTreeWidgetItem* anyRow);

    ELKTimebase_t m_base {};
    const ELKTimebase_t* m_at = nullptr;
    int m_neededHeight = 0;
};

// A timebase as the choosers name it: "25", "29.97df", "30000/1001".
QString timebaseText(const ELKTimebase_t& base);

#endif
