// SPDX-License-Identifier: MIT
#include "TotalsPane.h"

#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>
#include <cstring>

namespace
{

QString runningTimeText(const ELKDuration_t& d)
{
    char text[ELK_DURATION_TEXT_MAX];
    return QString::fromLatin1(text, std::max(0, ELKDuration_ToRealTime(&d, text, ELK_DURATION_TEXT_MAX)));
}

// A format's name for people, keyed by the library's name for it.
QString formatText(int8_t format)
{
    static const struct {
        const char* code;
        const char* shown;
    } names[] = { { "list", QT_TRANSLATE_NOOP("TotalsPane", "list") },
        { "edl", QT_TRANSLATE_NOOP("TotalsPane", "EDL") },
        { "fcpxml", QT_TRANSLATE_NOOP("TotalsPane", "FCPXML") },
        { "xmeml", QT_TRANSLATE_NOOP("TotalsPane", "FCP7 XML") },
        { "otio", QT_TRANSLATE_NOOP("TotalsPane", "OpenTimelineIO") },
        { "ale", QT_TRANSLATE_NOOP("TotalsPane", "ALE") } };
    const char* code = ELKList_FormatName(format);
    if (!code) return QString();
    for (const auto& name : names)
        if (!std::strcmp(name.code, code)) return TotalsPane::tr(name.shown);
    return QString::fromLatin1(code);
}

} // namespace

QString timebaseText(const ELKTimebase_t& base)
{
    char text[ELK_DURATION_TEXT_MAX];
    return QString::fromLatin1(text, std::max(0, ELKTimebase_ToText(&base, text, ELK_DURATION_TEXT_MAX)));
}

TotalsPane::TotalsPane(QWidget* parent)
    : QTreeWidget(parent)
{
}

void TotalsPane::showTotals(const TapeSession& session, const ELKTimebase_t* at)
{
    const ELKList_t& list = session.list();
    m_base = list.base;
    m_at = at;
    if (header()->stretchLastSection()) {
        header()->setStretchLastSection(false);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        for (int column = TimecodeColumn; column < columnCount(); ++column)
            headerItem()->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    }
    clear();
    auto* sumItem = new QTreeWidgetItem(this, { tr("Sum") });
    setTotal(sumItem, list.sum);
    auto* uniqueItem = new QTreeWidgetItem(this, { tr("Unique length") });
    setTotal(uniqueItem, list.unique);
    uniqueItem->setHidden(list.hasUnique != ELK_TRUE);
    for (int32_t i = 0; i < list.trackCount; ++i) {
        const ELKListTrack_t& track = list.tracks[i];
        const QString name = QString::fromUtf8(list.text + track.name, track.nameLength);
        setTotal(new QTreeWidgetItem(sumItem, { name }), track.sum);
        setTotal(new QTreeWidgetItem(uniqueItem, { name }), track.unique);
    }
    auto* lengthItem = new QTreeWidgetItem(this, { tr("Length") });
    setTotal(lengthItem, list.length);
    lengthItem->setHidden(list.hasLength != ELK_TRUE);
    // One row per input, when there are several, in the order of the tabs.
    if (list.inputs > 1)
        for (const TapeDocument* document : session.documents()) {
            const TapeModel* model = document->model();
            for (int32_t i = model->firstInput(); i < model->firstInput() + model->inputCount(); ++i)
                setTotal(
                    new QTreeWidgetItem(this, { inputText(*document, list, i) }), list.inputList[i].total);
        }
    expandAll();

    setColumnHidden(AtColumn, !at);
    setColumnHidden(FramesAtColumn, !at);
    const QString atText = at ? timebaseText(*at) : QString();
    headerItem()->setText(AtColumn, tr("At %1").arg(atText));
    headerItem()->setText(FramesAtColumn, tr("Frames at %1").arg(atText));
    fitColumns(sumItem);
}

QString TotalsPane::inputText(const TapeDocument& document, const ELKList_t& list, int32_t index)
{
    // A tab holds a list or EDL, or a timeline file of one project or more.
    const ELKListInput_t& input = list.inputList[index];
    QString name = document.displayName();
    if (input.hasName == ELK_TRUE)
        name = tr("%1, %2").arg(name, QString::fromUtf8(list.text + input.name, input.nameLength));
    QStringList about;
    if (input.format > ELK_FORMAT_NONE) about << formatText(input.format);
    if (input.hasRate == ELK_TRUE) about << tr("at %1").arg(timebaseText(input.rate));
    // Beside an own rate that is not the tape's: the length at that rate, then at the tape's, as sum prints
    // them.
    const QString length = durationText(ELKDuration_t { input.length, list.base });
    if (input.hasOwnLength == ELK_TRUE && ELKTimebase_Equal(&input.rate, &list.base) != ELK_TRUE)
        about << tr("length %1 (%2 at %3)")
                     .arg(durationText(ELKDuration_t { input.ownLength, input.rate }), length,
                         timebaseText(list.base));
    else if (input.hasLength == ELK_TRUE)
        about << tr("length %1").arg(length);
    return about.isEmpty() ? name : tr("%1: %2").arg(name, about.join(QStringLiteral(", ")));
}

void TotalsPane::setTotal(QTreeWidgetItem* item, int64_t frames)
{
    for (int column = TimecodeColumn; column < columnCount(); ++column)
        item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    const ELKDuration_t d { frames, m_base };
    item->setText(TimecodeColumn, durationText(d));
    item->setText(FramesColumn, QString::number(frames));
    item->setText(RunningTimeColumn, runningTimeText(d));
    ELKDuration_t converted = d;
    const bool shown = m_at && ELKDuration_ConvertRealTime(&converted, m_at) == ELK_OK;
    item->setText(AtColumn, shown ? durationText(converted) : QString());
    item->setText(FramesAtColumn, shown ? QString::number(converted.frames) : QString());
}

void TotalsPane::fitColumns(QTreeWidgetItem* anyRow)
{
    int width = 0;
    for (int column = 0; column < columnCount(); ++column) {
        resizeColumnToContents(column);
        if (!isColumnHidden(column)) width += columnWidth(column);
    }
    // No taller than its rows.
    int rows = 0;
    for (QTreeWidgetItemIterator item(this, QTreeWidgetItemIterator::NotHidden); *item; ++item) ++rows;
    int height = header()->sizeHint().height() + 2 * frameWidth() + rows * visualItemRect(anyRow).height();
    if (width > viewport()->width()) height += horizontalScrollBar()->sizeHint().height();
    m_neededHeight = height;
}
