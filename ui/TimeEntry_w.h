// SPDX-License-Identifier: MIT
// Edits one time of day in two views that follow each other: hours, minutes,
// seconds and frames in four spin boxes, and the absolute frame count in a
// line edit. Copy and Paste exchange the time with the clipboard as text.
#ifndef TIMEENTRY_W_H
#define TIMEENTRY_W_H

#include <QWidget>

#include "ELKMetaTypes.h"
#include "ELKTimecode.h"

namespace Ui
{
class TimeEntry_w;
}

class TimeEntry_w : public QWidget
{
    Q_OBJECT

private:
    Ui::TimeEntry_w* ui; // owned; declared first, before the record

public:
    explicit TimeEntry_w(QWidget* parent = nullptr);
    ~TimeEntry_w() override;

    // The time shown. Whoever writes it calls TimeEntry_Update() afterwards.
    ELKTimecode_t m_Timecode;

signals:
    // Carries &m_Timecode after a user edit, a paste or a change of rate.
    void TimeEntry_Changed(ELKTimecode_t*);

public slots:
    // Converts to a rate keeping hours, minutes, seconds and frames; emits.
    void TimeEntry_SetFrameRate(ELKFrameRate_t);
    // Shows m_Timecode in both views; emits nothing.
    void TimeEntry_Update();

private slots:
    void _TimeEntry_ValueChanged();
    void _TimeEntry_AbsFramesChanged(const QString&);
    void _TimeEntry_AbsFramesChangeComplete();
    void on_m_Copy_clicked();
    void on_m_Paste_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateFields();
    void UpdateAbsFrames();

    // Guards that tell the widget's own display updates from user edits.
    bool m_UpdatingFields = false;
    bool m_UpdatingAbsFrames = false;
    // Set whenever editing of m_AbsFrames finishes; see eventFilter().
    bool m_AbsFramesFinished = false;
};

#endif
