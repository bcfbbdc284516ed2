// SPDX-License-Identifier: MIT
// A plain-text editor with the line numbers in a margin on its left, so that
// a line the table names is easy to find.
#ifndef LISTEDITOR_H
#define LISTEDITOR_H

#include <QPlainTextEdit>

class ListEditor : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit ListEditor(QWidget* parent = nullptr);

    // The margin's width: room for the largest line number.
    int lineNumberWidth() const { return lineNumberWidth(blockCount()); }
    int lineNumberWidth(int lines) const;
    // Paints the numbers of the lines in view into the margin.
    void paintLineNumbers(QPaintEvent* event);

protected:
    void resizeEvent(QResizeEvent* event) override;

    // Sets the margin for `lines` lines ahead of a text that long, and keeps
    // it while the text goes in. A change of the editor's width lays out
    // every line again, which costs a long text more than the text itself.
    void holdMarginFor(int lines);
    void releaseMargin();

private:
    void updateMarginWidth();
    void updateMargin(const QRect& rect, int dy);

    QWidget* m_margin;
    int m_heldLines = 0; // the lines the margin is held for, or 0
};

#endif
