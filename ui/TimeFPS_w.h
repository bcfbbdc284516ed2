// SPDX-License-Identifier: MIT
// A row of six radio buttons, one per frame rate, that announces every change
// of choice.
#ifndef TIMEFPS_W_H
#define TIMEFPS_W_H

#include <QWidget>

#include "ELKMetaTypes.h"
#include "ELKTimecode.h"

namespace Ui
{
class TimeFPS_w;
}

class TimeFPS_w : public QWidget
{
    Q_OBJECT

public:
    explicit TimeFPS_w(QWidget* parent = nullptr);
    ~TimeFPS_w() override;

    // Checks the button of rate; a value outside the six checks "30". The
    // button's toggle, not this call, updates the rate and emits.
    void TimeFPS_SetFrameRate(ELKFrameRate_t rate);
    void TimeFPS_ShowDropFrame(bool show);

signals:
    void TimeFPS_Changed(ELKFrameRate_t);

private slots:
    void _TimeFPS_Changed(bool);

private:
    Ui::TimeFPS_w* ui;
    ELKFrameRate_t m_Rate = ELK_FR_30;
};

#endif
