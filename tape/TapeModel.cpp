// SPDX-License-Identifier: MIT
#include "TapeModel.h"

#include <QColor>

#include <algorithm>

TapeModel::TapeModel(QObject* parent)
    : QAbstractTableModel(parent)
{
    ELKTimebase_t base;
    ELKTimebase_Set(&base, 25, 1, ELK_FALSE);
    ELKList_Init(&m_list, &base);
}

TapeModel::~TapeModel()
{
    ELKList_Destroy(&m_list);
}

int TapeModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TapeModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : RunningColumn + 1;
}

QVariant TapeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size())) return QVariant();
    const int64_t i = m_rows[size_t(index.row())];
    const int column = index.column();

    if (role == Qt::TextAlignmentRole)
        return column == LabelColumn || column == TrackColumn ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                                              : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (i < 0) {
        const ELKListError_t& e = m_list.errors[-1 - i];
        if (role == Qt::ForegroundRole) return errorColor();
        if (role == Qt::ToolTipRole) return poolText(e.text, e.textLength);
        if (role != Qt::DisplayRole) return QVariant();
        if (column == LineColumn) return QString::number(e.line);
        if (column == LabelColumn) {
            char reason[ELK_LIST_REASON_MAX];
            return QString::fromUtf8(reason, ELKList_ErrorText(&m_list, &e, reason, sizeof reason));
        }
        return QVariant();
    }

    if (role != Qt::DisplayRole) return QVariant();
    const ELKListEntry_t& e = m_list.entries[i];
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
        return labelText(e.running);
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

void TapeModel::read(const QByteArray& text, const ELKTimebase_t& base)
{
    beginResetModel();
    ELKList_Destroy(&m_list);
    ELKList_Init(&m_list, &base);
    ELKList_Read(&m_list, text.constData(), text.size());
    listRows();
    endResetModel();
}

void TapeModel::adopt(ELKList_t* list)
{
    beginResetModel();
    std::swap(m_list, *list);
    listRows();
    endResetModel();
}

void TapeModel::listRows()
{
    // Both arrays come in line order; merging them keeps the table in the editor's order.
    m_rows.clear();
    m_rows.reserve(size_t(m_list.entryCount + m_list.errorCount));
    int64_t entry = 0, error = 0;
    while (entry < m_list.entryCount || error < m_list.errorCount) {
        if (error == m_list.errorCount
            || (entry < m_list.entryCount && m_list.entries[entry].line < m_list.errors[error].line))
            m_rows.push_back(entry++);
        else
            m_rows.push_back(-1 - error++);
    }
}

int64_t TapeModel::lineOfRow(int row) const
{
    if (row < 0 || row >= int(m_rows.size())) return 0;
    return lineOf(m_rows[size_t(row)]);
}

QString TapeModel::reasonText(const ELKListError_t& e) const
{
    // The library's reasons by fault, for translation; %1... are the numbers each names.
    static const char* const reasons[] = {
        QT_TR_NOOP("no fault"),
        QT_TR_NOOP("more than four digit groups"),
        QT_TR_NOOP("stray character in a time"),
        QT_TR_NOOP("a digit group needs two digits"),
        QT_TR_NOOP("frames need two digits"),
        QT_TR_NOOP("frames need two or three digits"),
        QT_TR_NOOP("a time needs three or four digit groups"),
        QT_TR_NOOP("a time needs four digit groups"),
        QT_TR_NOOP("minutes %1 at or above 60"),
        QT_TR_NOOP("seconds %1 at or above 60"),
        QT_TR_NOOP("frames %1 at %2 fps"),
        QT_TR_NOOP("label %1:%2:%3;%4 does not exist at drop frame"),
        QT_TR_NOOP("time too large"),
        QT_TR_NOOP("total too large"),
        QT_TR_NOOP("time cannot be read"),
        QT_TR_NOOP("three or more times on a line"),
        QT_TR_NOOP("sign on an in or out time"),
        QT_TR_NOOP("out more than a day before in"),
        QT_TR_NOOP("event line does not end in four times"),
        QT_TR_NOOP("record out before record in"),
        QT_TR_NOOP("no transition before the times"),
        QT_TR_NOOP("transition without its duration"),
        QT_TR_NOOP("no track before the transition"),
        QT_TR_NOOP("no reel before the track"),
        QT_TR_NOOP("out of memory: this and later lines left out"),
        QT_TR_NOOP("line too long"),
        QT_TR_NOOP("not a text file"),
        QT_TR_NOOP("larger than 1 GiB"),
        QT_TR_NOOP("not well-formed"),
        QT_TR_NOOP("no timeline in this file"),
    };
    static_assert(std::size(reasons) == ELK_FAULT_COUNT, "a reason for every fault");
    const int fault = e.fault > ELK_FAULT_NONE && e.fault < ELK_FAULT_COUNT ? e.fault : ELK_FAULT_NONE;
    QString reason = tr(reasons[fault]);
    const auto two = [](uint64_t n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    switch (fault) {
    case ELK_FAULT_MINUTES:
    case ELK_FAULT_SECONDS:
        reason = reason.arg(e.value[0]);
        break;
    case ELK_FAULT_FRAMES: {
        ELKTimebase_t base = m_list.base;
        base.dropFrame = ELK_FALSE;
        char rate[ELK_DURATION_TEXT_MAX];
        const int32_t length = ELKTimebase_ToText(&base, rate, ELK_DURATION_TEXT_MAX);
        reason = reason.arg(e.value[0])
                     .arg(length > 0 ? QString::fromLatin1(rate, length) : QString::number(base.nominal));
        break;
    }
    case ELK_FAULT_NO_SUCH_LABEL:
        reason = reason.arg(two(e.value[0]), two(e.value[1]), two(e.value[2]), two(e.value[3]));
        break;
    default:
        break;
    }
    if (e.detailLength > 0) reason += QStringLiteral(": ") + poolText(e.detail, e.detailLength);
    return reason;
}

int TapeModel::rowOfLine(int64_t line) const
{
    const auto row = std::lower_bound(
        m_rows.begin(), m_rows.end(), line, [this](int64_t i, int64_t l) { return lineOf(i) < l; });
    return row != m_rows.end() && lineOf(*row) == line ? int(row - m_rows.begin()) : -1;
}

int32_t TapeModel::faultColumn(int row) const
{
    return isErrorRow(row) ? m_list.errors[-1 - m_rows[size_t(row)]].column : 0;
}

QString TapeModel::poolText(int64_t offset, int32_t length) const
{
    return length > 0 ? QString::fromUtf8(m_list.text + offset, length) : QString();
}

QString TapeModel::labelText(int64_t frames) const
{
    return durationText(ELKDuration_t { frames, m_list.base });
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
