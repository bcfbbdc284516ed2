// SPDX-License-Identifier: MIT
// The current tab's entries and left-out lines as a table. Sized and spanned
// from what the model can hold and from the rows in view only, so that a
// list of 100,000 lines shows as fast as a short one.
#ifndef TAPETABLE_H
#define TAPETABLE_H

#include <QTableView>

#include "TapeModel.h"

class TapeTable : public QTableView
{
    Q_OBJECT

public:
    explicit TapeTable(QWidget* parent = nullptr);

    TapeModel* tapeModel() const { return static_cast<TapeModel*>(model()); }
    // After a new reading: column widths and the spans of the error rows.
    void fit();
    // Lets the reasons of the error rows in view read across the empty columns.
    void spanErrorRows();

protected:
    void resizeEvent(QResizeEvent* event) override;
};

#endif
