// SPDX-License-Identifier: MIT
// The calculator window: a rate selector, two operands, Add or Subtract and
// the result, wired so that every edit and every change of rate recomputes.
#ifndef HORODEX2_H
#define HORODEX2_H

#include <QWidget>

#include "ELKMetaTypes.h"
#include "ELKTimecode.h"
#include "ui_Horodex2.h"

class Horodex2 : public QWidget
{
    Q_OBJECT

public:
    explicit Horodex2(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

private slots:
    // The result becomes the first operand plus or minus the second.
    void Horodex_PerformOp();
    void Horodex_About();
    // Matches the actual-time and time-code options to a frame rate.
    void EnableTimeOptions(ELKFrameRate_t rate);
    void on_m_radRealTime_clicked();
    void on_m_radVideoTime_clicked();

private:
    // The form points at the children; the object tree owns them.
    Ui::Horodex2Class ui;
};

#endif
