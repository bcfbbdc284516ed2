// SPDX-License-Identifier: MIT
#include "TimeEntry_w.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <algorithm>
#include <cstdint>

#include "ELKString.h"
#include "ELKTimecodeText.h"
#include "ui_TimeEntry_w.h"

namespace
{

// Timecode text is a label; any other text is a frame count.
bool IsTimecodeText(const QByteArray& bytes)
{
    return bytes.contains(':') || bytes.contains('.') || bytes.contains(';');
}

// Reads text by its form, whatever was edited last, so that "00:10:00.00"
// from Copy comes back as the same time at drop frame, and "17982" as the
// same count. The parser reads from the right, so text beyond what a counted
// string can hold loses its left end.
void ReadByForm(ELKTimecode_t* tc, const QByteArray& bytes)
{
    tc->labelMode = IsTimecodeText(bytes) ? ELK_TRUE : ELK_FALSE;
    const qsizetype count = std::min<qsizetype>(bytes.size(), INT32_MAX);
    ELKString_t text;
    ELKString_InitWith(&text, bytes.constData() + (bytes.size() - count), static_cast<int32_t>(count));
    ELKTimecode_FromString(tc, &text);
    ELKString_Destroy(&text);
}

} // namespace

TimeEntry_w::TimeEntry_w(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::TimeEntry_w)
{
    ui->setupUi(this);
    ELKTimecode_Init(&m_Timecode);

    connect(ui->m_AbsFrames, SIGNAL(textChanged(const QString&)), this,
        SLOT(_TimeEntry_AbsFramesChanged(const QString&)));
    connect(ui->m_AbsFrames, SIGNAL(editingFinished()), this, SLOT(_TimeEntry_AbsFramesChangeComplete()));
    connect(ui->m_Hours, SIGNAL(valueChanged(int)), this, SLOT(_TimeEntry_ValueChanged()));
    connect(ui->m_Minutes, SIGNAL(valueChanged(int)), this, SLOT(_TimeEntry_ValueChanged()));
    connect(ui->m_Seconds, SIGNAL(valueChanged(int)), this, SLOT(_TimeEntry_ValueChanged()));
    connect(ui->m_Frames, SIGNAL(valueChanged(int)), this, SLOT(_TimeEntry_ValueChanged()));
    ui->m_AbsFrames->installEventFilter(this);
}

TimeEntry_w::~TimeEntry_w()
{
    ELKTimecode_Destroy(&m_Timecode);
    delete ui;
}

void TimeEntry_w::TimeEntry_SetFrameRate(ELKFrameRate_t rate)
{
    ELKTimecode_SetFrameRate(&m_Timecode, rate, ELK_TRUE);
    // Unguarded on purpose: a view whose display changes marks which one now
    // holds the truth, so a changed frame count leaves labelMode ELK_FALSE.
    UpdateFields();
    UpdateAbsFrames();
    emit TimeEntry_Changed(&m_Timecode);
}

void TimeEntry_w::TimeEntry_Update()
{
    m_UpdatingFields = true;
    m_UpdatingAbsFrames = true;
    UpdateFields();
    UpdateAbsFrames();
    m_UpdatingFields = false;
    m_UpdatingAbsFrames = false;
}

void TimeEntry_w::UpdateFields()
{
    uint8_t fields[4] = {};
    ELKTimecode_GetFields(&m_Timecode, fields, 4);

    const bool wasUpdating = m_UpdatingFields;
    m_UpdatingFields = true;
    QSpinBox* const boxes[] = { ui->m_Hours, ui->m_Minutes, ui->m_Seconds, ui->m_Frames };
    for (int i = 0; i < 4; ++i)
        if (boxes[i]->value() != fields[i]) boxes[i]->setValue(fields[i]);
    m_UpdatingFields = wasUpdating;
}

void TimeEntry_w::UpdateAbsFrames()
{
    const bool wasUpdating = m_UpdatingAbsFrames;
    m_UpdatingAbsFrames = true;
    ui->m_AbsFrames->setText(QString::number(ELKTimecode_GetFrames(&m_Timecode)));
    m_UpdatingAbsFrames = wasUpdating;
}

void TimeEntry_w::_TimeEntry_ValueChanged()
{
    if (!m_UpdatingAbsFrames) m_Timecode.labelMode = ELK_TRUE;
    if (m_UpdatingFields) return;

    m_UpdatingFields = true;
    ELKTimecode_Set(&m_Timecode, static_cast<uint32_t>(ui->m_Hours->value()),
        static_cast<uint32_t>(ui->m_Minutes->value()), static_cast<uint32_t>(ui->m_Seconds->value()),
        static_cast<uint32_t>(ui->m_Frames->value()));
    // The boxes keep what was typed (60 seconds stays 60) until the next full refresh.
    UpdateAbsFrames();
    emit TimeEntry_Changed(&m_Timecode);
    m_UpdatingFields = false;
}

void TimeEntry_w::_TimeEntry_AbsFramesChanged(const QString& text)
{
    if (!m_UpdatingFields) m_Timecode.labelMode = ELK_FALSE;
    if (m_UpdatingAbsFrames) return;

    const QByteArray bytes = text.toLatin1();
    // A half-typed timecode would read as nonsense; it is read when editing finishes.
    if (IsTimecodeText(bytes)) return;

    m_UpdatingAbsFrames = true;
    ReadByForm(&m_Timecode, bytes);
    UpdateFields();
    m_UpdatingAbsFrames = false;
}

void TimeEntry_w::_TimeEntry_AbsFramesChangeComplete()
{
    m_AbsFramesFinished = true;
    if (!m_UpdatingFields) m_Timecode.labelMode = ELK_FALSE;

    const QByteArray bytes = ui->m_AbsFrames->text().toLatin1();
    if (IsTimecodeText(bytes)) ReadByForm(&m_Timecode, bytes);

    // Also puts the text in canonical form ("0012" becomes "12").
    TimeEntry_Update();
    emit TimeEntry_Changed(&m_Timecode);
}

void TimeEntry_w::on_m_Copy_clicked()
{
    ELKString_t text;
    ELKString_Init(&text);
    ELKTimecode_ToString(&m_Timecode, &text, ELK_FALSE);
    QApplication::clipboard()->setText(QString::fromLatin1(text.data, text.length), QClipboard::Clipboard);
    ELKString_Destroy(&text);
}

void TimeEntry_w::on_m_Paste_clicked()
{
    ReadByForm(&m_Timecode, QApplication::clipboard()->text(QClipboard::Clipboard).toLatin1());
    TimeEntry_Update();
    emit TimeEntry_Changed(&m_Timecode);
}

bool TimeEntry_w::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != ui->m_AbsFrames || event->type() != QEvent::FocusOut)
        return QWidget::eventFilter(watched, event);

    // Qt 6 reports editingFinished on focus loss only if the text was set or
    // edited since the last report; let the line edit handle the loss, then
    // finish here if it did not, so that every loss finishes exactly once.
    // The event is delivered here directly, so a filter installed on the line
    // edit before this one would not see it.
    m_AbsFramesFinished = false;
    ui->m_AbsFrames->event(event);
    const QWidget* popup = QApplication::activePopupWidget();
    const bool ownMenu = static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason && popup
        && popup->parentWidget() == ui->m_AbsFrames;
    if (!m_AbsFramesFinished && !ownMenu) _TimeEntry_AbsFramesChangeComplete();
    return true;
}
