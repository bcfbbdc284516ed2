// SPDX-License-Identifier: MIT
#include "TimeFPS_w.h"

#include <array>

#include "ui_TimeFPS_w.h"

namespace
{

// The buttons in rate order: a button's index is its ELKFrameRate_t value.
std::array<QRadioButton*, 6> buttonsOf(const Ui::TimeFPS_w* ui)
{
    return { ui->m_F2397, ui->m_F24, ui->m_F25, ui->m_F2997, ui->m_F30D, ui->m_F30 };
}

} // namespace

TimeFPS_w::TimeFPS_w(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::TimeFPS_w)
{
    ui->setupUi(this);
    for (QRadioButton* button : buttonsOf(ui))
        connect(button, SIGNAL(toggled(bool)), this, SLOT(_TimeFPS_Changed(bool)));
    TimeFPS_SetFrameRate(ELK_FR_30);
}

TimeFPS_w::~TimeFPS_w()
{
    delete ui;
}

void TimeFPS_w::TimeFPS_SetFrameRate(ELKFrameRate_t rate)
{
    const auto buttons = buttonsOf(ui);
    const int index = rate;
    buttons[index >= 0 && index < int(buttons.size()) ? index : ELK_FR_30]->setChecked(true);
}

void TimeFPS_w::TimeFPS_ShowDropFrame(bool show)
{
    ui->m_F30D->setVisible(show);
}

void TimeFPS_w::_TimeFPS_Changed(bool checked)
{
    // The button that loses the check reports too; only the new one counts.
    if (!checked) return;

    const ELKFrameRate_t previous = m_Rate;
    const auto buttons = buttonsOf(ui);
    for (int i = 0; i < int(buttons.size()); ++i) {
        if (sender() == buttons[i]) {
            m_Rate = ELKFrameRate_t(i);
            break;
        }
    }
    if (m_Rate != previous) emit TimeFPS_Changed(m_Rate);
}
