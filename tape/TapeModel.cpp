// SPDX-License-Identifier: MIT
#include "TapeModel.h"

#include <cstring>

#include <QColor>

#include <algorithm>

const ELKList_t TapeModel::empty {};

TapeModel::TapeModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

int TapeModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entryCount + m_errorCount);
}

int TapeModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : RunningColumn + 1;
}

QVariant TapeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount()) return QVariant();
    const int64_t i = itemOf(index.row());
    const int column = index.column();

    if (role == Qt::TextAlignmentRole)
        return column == LabelColumn || column == TrackColumn ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                                              : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (i < 0) {
        const ELKListError_t& e = errors()[-1 - i];
        if (role == Qt::ForegroundRole) return errorColor();
        // The line as read; timeline readers keep none, so their reason instead.
        if (role == Qt::ToolTipRole) return e.textLength > 0 ? poolText(e.text, e.textLength) : reasonText(e);
        if (role != Qt::DisplayRole) return QVariant();
        if (column == LineColumn) return QString::number(e.line);
        if (column == LabelColumn) return reasonText(e);
        return QVariant();
    }

    if (role != Qt::DisplayRole) return QVariant();
    const ELKListEntry_t& e = entries()[i];
    switch (column) {
    case LineColumn:
        return QString::number(e.line);
    case LabelColumn:
        return poolText(e.label, e.labelLength);
    case TrackColumn:
        return poolText(e.track, e.trackLength);
    case InColumn:
        return e.hasInOut == ELK_TRUE ? labelText(e.in) : QVariant();
    case OutColumn:
        return e.hasInOut == ELK_TRUE ? labelText(e.out) : QVariant();
    case DurationColumn:
        return labelText(e.duration);
    case RunningColumn:
        return labelText(e.running - m_runningBefore);
    }
    return QVariant();
}

QVariant TapeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QVariant();
    switch (section) {
    case LineColumn:
        return tr("Line");
    case LabelColumn:
        return tr("Label or reel");
    case TrackColumn:
        return tr("Track");
    case InColumn:
        return tr("In");
    case OutColumn:
        return tr("Out");
    case DurationColumn:
        return tr("Duration");
    case RunningColumn:
        return tr("Running total");
    }
    return QVariant();
}

void TapeModel::detach()
{
    beginResetModel();
    m_list = &empty;
    m_entries = m_entryCount = m_errors = m_errorCount = 0;
    m_errorRows.clear();
}

void TapeModel::attach(const ELKList_t* list, int32_t firstInput, int32_t inputs)
{
    m_list = list;
    m_firstInput = firstInput;
    m_inputs = inputs;
    // Each input's entries and errors follow the inputs before it.
    const int32_t end = firstInput + inputs;
    const auto entryAt = [list](int32_t input) {
        return std::lower_bound(list->entries, list->entries + list->entryCount, input,
                   [](const ELKListEntry_t& e, int32_t i) { return e.input < i; })
            - list->entries;
    };
    const auto errorAt = [list](int32_t input) {
        return std::lower_bound(list->errors, list->errors + list->errorCount, input,
                   [](const ELKListError_t& e, int32_t i) { return e.input < i; })
            - list->errors;
    };
    m_entries = entryAt(firstInput);
    m_entryCount = entryAt(end) - m_entries;
    m_errors = errorAt(firstInput);
    m_errorCount = errorAt(end) - m_errors;
    m_runningBefore = m_entryCount > 0 ? entries()[0].running - entries()[0].duration : 0;
    m_sum = m_entryCount > 0 ? entries()[m_entryCount - 1].running - m_runningBefore : 0;
    m_lines = std::max(m_entryCount > 0 ? entries()[m_entryCount - 1].line : 0,
        m_errorCount > 0 ? errors()[m_errorCount - 1].line : 0);
    listRows();
    endResetModel();
}

void TapeModel::listRows()
{
    // Both arrays come in line order; merged, the table keeps the editor's order.
    m_errorRows.clear();
    m_errorRows.reserve(size_t(m_errorCount));
    const ELKListEntry_t* entry = entries();
    for (int64_t error = 0; error < m_errorCount; ++error) {
        entry = std::lower_bound(entry, entries() + m_entryCount, errors()[error].line,
            [](const ELKListEntry_t& e, int64_t line) { return e.line < line; });
        m_errorRows.push_back(error + (entry - entries()));
    }
}

int64_t TapeModel::lineOfRow(int row) const
{
    if (row < 0 || row >= rowCount()) return 0;
    return lineOf(itemOf(row));
}

int64_t TapeModel::itemOf(int row) const
{
    const auto at = std::lower_bound(m_errorRows.begin(), m_errorRows.end(), row);
    const int64_t before = at - m_errorRows.begin();
    return at != m_errorRows.end() && *at == row ? -1 - before : row - before;
}

QString TapeModel::reasonText(const ELKListError_t& e) const
{
    const auto number = [&e](int i, int width = 0) {
        return QStringLiteral("%1").arg(e.value[i], width, 10, QLatin1Char('0'));
    };
    // What a reader of another format names: the rate a time was read at, or a field.
    const QString detail = poolText(e.detail, e.detailLength);
    ELKTimebase_t base = m_list->base;
    if (!detail.isEmpty() && (e.fault == ELK_FAULT_FRAMES || e.fault == ELK_FAULT_NO_SUCH_LABEL))
        ELKTimebase_FromText(&base, m_list->text + e.detail, e.detailLength);
    const auto rate = [&base](bool dropFrame) {
        ELKTimebase_t tb = base;
        tb.dropFrame = dropFrame ? ELK_TRUE : ELK_FALSE;
        char text[ELK_DURATION_TEXT_MAX];
        const int32_t length = ELKTimebase_ToText(&tb, text, ELK_DURATION_TEXT_MAX);
        return length > 0 ? QString::fromLatin1(text, length) : QString::number(tb.nominal);
    };
    // By code, so that a translation can word each; no default, so that a new code is a warning here.
    QString reason;
    switch (ELKListFault_t(e.fault)) {
    case ELK_FAULT_NONE:
    case ELK_FAULT_COUNT:
        break;
    case ELK_FAULT_FIVE_GROUPS:
        reason = tr("more than four digit groups");
        break;
    case ELK_FAULT_STRAY_CHARACTER:
        reason = tr("stray character in a time");
        break;
    case ELK_FAULT_GROUP_DIGITS:
        reason = tr("a digit group needs two digits");
        break;
    case ELK_FAULT_FRAME_DIGITS:
        reason = tr("frames need two digits");
        break;
    case ELK_FAULT_WIDE_FRAME_DIGITS:
        reason = tr("frames need two or three digits");
        break;
    case ELK_FAULT_LIST_GROUPS:
        reason = e.value[0] == 2
            ? tr("a time needs three or four digit groups: write 00:%1:%2 or 00:00:%1:%2")
                  .arg(number(1, 2), number(2, 2))
            : tr("a time needs three or four digit groups");
        break;
    case ELK_FAULT_EDL_GROUPS:
        reason = tr("a time needs four digit groups");
        break;
    case ELK_FAULT_MINUTES:
        reason = tr("minutes %1 at or above 60").arg(number(0));
        break;
    case ELK_FAULT_SECONDS:
        reason = tr("seconds %1 at or above 60").arg(number(0));
        break;
    case ELK_FAULT_FRAMES:
        reason = tr("frames %1 at %2 fps").arg(number(0), rate(false));
        break;
    case ELK_FAULT_NO_SUCH_LABEL:
        reason = tr("%1:%2:%3;%4 does not exist at %5")
                     .arg(number(0, 2), number(1, 2), number(2, 2), number(3, base.nominal > 100 ? 3 : 2),
                         rate(true));
        break;
    case ELK_FAULT_TIME_TOO_LARGE:
        reason = tr("time too large");
        break;
    case ELK_FAULT_TOTAL_TOO_LARGE:
        reason = tr("total too large");
        break;
    case ELK_FAULT_BAD_TIME:
        reason = tr("time cannot be read");
        break;
    case ELK_FAULT_THREE_TIMES:
        reason = tr("three or more times on a line");
        break;
    case ELK_FAULT_SIGNED_IN_OUT:
        reason = tr("sign on an in or out time");
        break;
    case ELK_FAULT_OUT_DAY_BEFORE_IN:
        reason = tr("out more than a day before in");
        break;
    case ELK_FAULT_DURATION_MISMATCH:
        reason = tr("duration %1 does not match out \u2212 in %2")
                     .arg(labelText(int64_t(e.value[0])), labelText(int64_t(e.value[1])));
        break;
    case ELK_FAULT_NOT_FOUR_TIMES:
        reason = tr("event line does not end in four times");
        break;
    case ELK_FAULT_OUT_BEFORE_IN:
        reason = tr("record out before record in");
        break;
    case ELK_FAULT_NO_TRANSITION:
        reason = tr("no transition before the times");
        break;
    case ELK_FAULT_NO_TRANSITION_DURATION:
        reason = tr("transition without its duration");
        break;
    case ELK_FAULT_NO_TRACK:
        reason = tr("no track before the transition");
        break;
    case ELK_FAULT_NO_REEL:
        reason = tr("no reel before the track");
        break;
    case ELK_FAULT_TIME_OUTSIDE_EVENT:
        reason = tr("time on a line that is not an event");
        break;
    case ELK_FAULT_NO_MEMORY:
        reason = tr("out of memory: this and later lines left out");
        break;
    case ELK_FAULT_LINE_TOO_LONG:
        reason = tr("line too long");
        break;
    case ELK_FAULT_NOT_TEXT:
        reason = tr("not a text file");
        break;
    case ELK_FAULT_TOO_LARGE:
        reason = tr("larger than 1 GiB");
        break;
    case ELK_FAULT_NOT_WELL_FORMED:
        reason = tr("not well-formed");
        break;
    case ELK_FAULT_NO_TIMELINE:
        reason = tr("no timeline in this file");
        break;
    case ELK_FAULT_CANNOT_OPEN:
        reason = QString::fromLocal8Bit(std::strerror(int(e.value[0])));
        break;
    case ELK_FAULT_FOLDER:
        reason = tr("a folder, not a list");
        break;
    case ELK_FAULT_NOT_A_TIME:
        reason = tr("%1 is not a time").arg(detail);
        break;
    case ELK_FAULT_NOT_A_FRAME_COUNT:
        reason = tr("%1 is not a whole frame count").arg(detail);
        break;
    case ELK_FAULT_MISSING:
        reason = tr("no %1").arg(detail);
        break;
    case ELK_FAULT_NEGATIVE_DURATION:
        reason = tr("negative duration");
        break;
    case ELK_FAULT_TOO_DEEP:
        reason = tr("nested too deeply");
        break;
    case ELK_FAULT_NOT_A_LANE:
        reason = tr("lane %1 is not a whole number other than 0").arg(detail);
        break;
    case ELK_FAULT_NO_SEQUENCE:
        reason = tr("project without a sequence");
        break;
    case ELK_FAULT_NO_TRANSITION_BEFORE:
        reason = tr("start -1 without a transition before it");
        break;
    case ELK_FAULT_NO_TRANSITION_AFTER:
        reason = tr("end -1 without a transition after it");
        break;
    case ELK_FAULT_END_BEFORE_START:
        reason = tr("end before start");
        break;
    case ELK_FAULT_NO_RANGE:
        reason = tr("clip with neither source_range nor available_range");
        break;
    case ELK_FAULT_NO_COLUMN:
        reason = tr("no %1 column").arg(detail);
        break;
    case ELK_FAULT_NO_END:
        reason = tr("neither End nor Duration");
        break;
    case ELK_FAULT_CUE_TIME:
        reason = tr("a cue time is written 00:01:02,500 or 00:01:02.500");
        break;
    case ELK_FAULT_CUE_ARROW:
        reason = tr("no --> between the cue times");
        break;
    case ELK_FAULT_CUE_END_BEFORE_START:
        reason = tr("cue ends before it starts");
        break;
    case ELK_FAULT_XML_NOT_TIMELINE:
        reason = tr("XML root <%1> is not a timeline Horodex reads (fcpxml, xmeml)").arg(detail);
        break;
    case ELK_FAULT_JSON_NOT_OTIO:
        reason = tr("JSON that is not an OpenTimelineIO file");
        break;
    }
    if (reason.isEmpty()) reason = tr("no fault");
    // A parser's own words follow its reason.
    if (e.fault == ELK_FAULT_NOT_WELL_FORMED && !detail.isEmpty()) reason += QStringLiteral(": ") + detail;
    return reason;
}

int TapeModel::rowOfLine(int64_t line) const
{
    int low = 0, high = rowCount(); // the first row at or past the line
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (lineOfRow(middle) < line)
            low = middle + 1;
        else
            high = middle;
    }
    return low < rowCount() && lineOfRow(low) == line ? low : -1;
}

int32_t TapeModel::faultColumn(int row) const
{
    return isErrorRow(row) ? errors()[-1 - itemOf(row)].column : 0;
}

QString TapeModel::poolText(int64_t offset, int32_t length) const
{
    return length > 0 ? QString::fromUtf8(m_list->text + offset, length) : QString();
}

QString TapeModel::labelText(int64_t frames) const
{
    return durationText(ELKDuration_t { frames, m_list->base });
}

QColor errorColor()
{
    return QColor(0xc0, 0x1c, 0x28);
}

QString durationText(const ELKDuration_t& d)
{
    char text[ELK_DURATION_TEXT_MAX];
    const int32_t length = ELKDuration_ToText(&d, text, ELK_DURATION_TEXT_MAX, ELK_FALSE);
    return QString::fromLatin1(text, length > 0 ? length : 0);
}
