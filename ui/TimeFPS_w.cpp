#include "TimeFPS_w.h"

#include "ui_TimeFPS_w.h"

TimeFPS_w::TimeFPS_w(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::TimeFPS_w)
{
    ui->setupUi(this);
    connect(ui->m_F2397, SIGNAL(toggled(bool)), this, SLOT(_TimeFPS_Changed(bool)));
    connect(ui->m_F24, SIGNAL(toggled(bool)), this, SLOT(_TimeFPS_Changed(bool)));
    connect(ui->m_F25, SIGNAL(toggled(bool)), this, SLOT(_TimeFPS_Changed(bool)));
    connect(ui->m_F2997, SIGNAL(toggled(bool)), this, SLOT(_TimeFPS_Changed(bool)));
    connect(ui->m_F30D, SIGNAL(toggled(bool)), this, SLOT(_TimeFPS_Changed(bool)));
    connect(ui->m_F30, SIGNAL(toggled(bool)), this, SLOT(_TimeFPS_Changed(bool)));
    TimeFPS_SetFrameRate(ELK_FR_30);
}

TimeFPS_w::~TimeFPS_w()
{
    delete ui;
}

void TimeFPS_w::TimeFPS_SetFrameRate(ELKFrameRate_t rate)
{
    QRadioButton* button;
    switch (rate) {
    case ELK_FR_2397:
        button = ui->m_F2397;
        break;
    case ELK_FR_24:
        button = ui->m_F24;
        break;
    case ELK_FR_25:
        button = ui->m_F25;
        break;
    case ELK_FR_2997:
        button = ui->m_F2997;
        break;
    case ELK_FR_2997DF:
        button = ui->m_F30D;
        break;
    default:
        button = ui->m_F30;
        break;
    }
    button->setChecked(true);
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
    const QObject* button = sender();
    if (button == ui->m_F2397)
        m_Rate = ELK_FR_2397;
    else if (button == ui->m_F24)
        m_Rate = ELK_FR_24;
    else if (button == ui->m_F25)
        m_Rate = ELK_FR_25;
    else if (button == ui->m_F2997)
        m_Rate = ELK_FR_2997;
    else if (button == ui->m_F30D)
        m_Rate = ELK_FR_2997DF;
    else if (button == ui->m_F30)
        m_Rate = ELK_FR_30;

    if (m_Rate != previous) emit TimeFPS_Changed(m_Rate);
}
