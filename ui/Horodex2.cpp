// SPDX-License-Identifier: MIT
#include "Horodex2.h"

#include <QMessageBox>

Horodex2::Horodex2(QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags)
{
    ui.setupUi(this);
    ui.m_FPS->TimeFPS_ShowDropFrame(true);
    EnableTimeOptions(ELK_FR_30);

    // The result must take a new rate before the operands do: each operand's
    // conversion recomputes, and the copy into the result is refused while
    // the two rates differ.
    connect(ui.m_FPS, SIGNAL(TimeFPS_Changed(ELKFrameRate_t)), ui.m_TimeResult,
        SLOT(TimeEntry_SetFrameRate(ELKFrameRate_t)));
    connect(ui.m_FPS, SIGNAL(TimeFPS_Changed(ELKFrameRate_t)), ui.m_Time1,
        SLOT(TimeEntry_SetFrameRate(ELKFrameRate_t)));
    connect(ui.m_FPS, SIGNAL(TimeFPS_Changed(ELKFrameRate_t)), ui.m_Time2,
        SLOT(TimeEntry_SetFrameRate(ELKFrameRate_t)));
    connect(ui.m_FPS, SIGNAL(TimeFPS_Changed(ELKFrameRate_t)), this, SLOT(EnableTimeOptions(ELKFrameRate_t)));
    connect(ui.m_Time1, SIGNAL(TimeEntry_Changed(ELKTimecode_t*)), this, SLOT(Horodex_PerformOp()));
    connect(ui.m_Time2, SIGNAL(TimeEntry_Changed(ELKTimecode_t*)), this, SLOT(Horodex_PerformOp()));
    connect(ui.m_OpAdd, SIGNAL(clicked()), this, SLOT(Horodex_PerformOp()));
    connect(ui.m_OpSubtract, SIGNAL(clicked()), this, SLOT(Horodex_PerformOp()));
    connect(ui.m_Close, SIGNAL(clicked()), this, SLOT(close()));
    connect(ui.m_About, SIGNAL(clicked()), this, SLOT(Horodex_About()));
}

void Horodex2::Horodex_PerformOp()
{
    ELKTimecode_t* result = &ui.m_TimeResult->m_Timecode;
    ELKTimecode_Copy(result, &ui.m_Time1->m_Timecode, ELK_TRUE);
    // The second operand is a bare count; at drop frame a label mode would
    // make the library read it as a drop-frame label.
    result->labelMode = ELK_FALSE;

    const uint32_t n = ELKTimecode_GetFrames(&ui.m_Time2->m_Timecode);
    if (ui.m_OpAdd->isChecked())
        ELKTimecode_Add(result, n, 0, 0, 0);
    else if (ui.m_OpSubtract->isChecked())
        ELKTimecode_Subtract(result, n, 0, 0, 0);

    ui.m_TimeResult->TimeEntry_Update();
}

void Horodex2::Horodex_About()
{
    QString text;
    text += tr("Horodex\n");
    text += tr("Version 2.0\n\n");
    text += tr("The Horodex developers\n");
    text += tr("Timecode arithmetic for film and video editors\n\n");
    text += tr("Copyright (C) 2025-2026 The Horodex developers\n");
    text += tr("At home on horodex.example. All rights reserved.\n\n");
    text += tr("https://horodex.example");
    QMessageBox::information(this, tr("About"), text, QMessageBox::Ok, QMessageBox::NoButton);
}

void Horodex2::EnableTimeOptions(ELKFrameRate_t rate)
{
    // Only 29.97 offers a choice: actual time is drop frame, time code is
    // non-drop. 23.976 is always time code; 24, 25 and 30 agree either way.
    bool realTime = true;
    bool enabled = false;
    switch (rate) {
    case ELK_FR_2397:
        realTime = false;
        break;
    case ELK_FR_2997:
        realTime = false;
        enabled = true;
        break;
    case ELK_FR_2997DF:
        enabled = true;
        break;
    default:
        break;
    }
    ui.m_radRealTime->setChecked(realTime);
    ui.m_radVideoTime->setChecked(!realTime);
    ui.m_radRealTime->setEnabled(enabled);
    ui.m_radVideoTime->setEnabled(enabled);
}

void Horodex2::on_m_radRealTime_clicked()
{
    if (ui.m_Time1->m_Timecode.rate == ELK_FR_2997) ui.m_FPS->TimeFPS_SetFrameRate(ELK_FR_2997DF);
}

void Horodex2::on_m_radVideoTime_clicked()
{
    if (ui.m_Time1->m_Timecode.rate == ELK_FR_2997DF) ui.m_FPS->TimeFPS_SetFrameRate(ELK_FR_2997);
}
