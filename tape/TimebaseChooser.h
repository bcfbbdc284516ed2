// SPDX-License-Identifier: MIT
// A chooser of timebases that holds each as a value (ELKTimebase_t), so
// that its text is never read back: the named ones, and any other a file or
// the command line brought.
#ifndef TIMEBASECHOOSER_H
#define TIMEBASECHOOSER_H

#include <QComboBox>

#include <vector>

#include "ELKDuration.h"

class TimebaseChooser : public QComboBox
{
    Q_OBJECT

public:
    explicit TimebaseChooser(QWidget* parent = nullptr);

    // Lists the named timebases after the items already there (the form's "Off").
    void listTimebases();
    // The timebase shown, or null on an item before them.
    const ELKTimebase_t* timebase() const;
    // Shows `base`, listing it first if it is not named.
    void showTimebase(const ELKTimebase_t& base);

signals:
    // The user or the program moved the chooser to `base`.
    void timebaseChanged(const ELKTimebase_t& base);

private:
    std::vector<ELKTimebase_t> m_timebases; // item by item, from m_first
    int m_first = 0;
};

#endif
