// SPDX-License-Identifier: MIT
#include "TapeTable.h"

#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>
#include <cstdlib>

TapeTable::TapeTable(QWidget* parent)
    : QTableView(parent)
{
    // Fixed row heights from the font: measuring contents would visit all 100,000 rows.
    const QFontMetrics metrics(font());
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(metrics.height() + metrics.height() / 3);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TapeTable::spanErrorRows);
}

void TapeTable::fit()
{
    const TapeModel* model = tapeModel();
    if (!model) return;
    // Sized from what the columns can hold, not by visiting every row; the label takes the rest.
    const ELKList_t& list = model->list();
    const QFontMetrics metrics(font());
    const int padding = 3 * metrics.averageCharWidth();
    QHeaderView* header = horizontalHeader();
    auto fit = [&](int column, const QString& widest) {
        const QString heading = model->headerData(column, Qt::Horizontal).toString();
        header->resizeSection(column,
            std::max(metrics.horizontalAdvance(widest), header->fontMetrics().horizontalAdvance(heading))
                + padding);
    };
    fit(TapeModel::LineColumn,
        QString(QString::number(std::max<int64_t>(model->lines(), 1)).size(), QLatin1Char('0')));
    QString track;
    for (int32_t i = 0; i < list.trackCount; ++i) {
        const QString name = QString::fromUtf8(list.text + list.tracks[i].name, list.tracks[i].nameLength);
        if (name.size() > track.size()) track = name;
    }
    fit(TapeModel::TrackColumn, track);
    // Every time fits below a day, or below the sum; the sign may be there.
    const int64_t sum = model->sum();
    ELKDuration_t widest { 0, list.base };
    ELKDuration_SetFields(&widest, ELK_FALSE, 24, 0, 0, 0);
    widest.frames = -std::max(widest.frames - 1, sum == INT64_MIN ? INT64_MAX : std::abs(sum));
    for (int column = TapeModel::InColumn; column <= TapeModel::RunningColumn; ++column)
        fit(column, durationText(widest));
    header->setSectionResizeMode(TapeModel::LabelColumn, QHeaderView::Stretch);
    header->setStretchLastSection(false);
    spanErrorRows();
}

void TapeTable::spanErrorRows()
{
    // Only the rows in view: spanning 100,000 error rows costs more than reading them.
    clearSpans();
    const TapeModel* model = tapeModel();
    if (!model) return;
    const int first = std::max(0, rowAt(0));
    int last = rowAt(viewport()->height());
    if (last < 0) last = model->rowCount() - 1;
    for (int row = first; row <= last; ++row)
        if (model->isErrorRow(row))
            setSpan(row, TapeModel::LabelColumn, 1, TapeModel::RunningColumn - TapeModel::LabelColumn + 1);
}

void TapeTable::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    spanErrorRows();
}
