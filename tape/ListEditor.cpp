// SPDX-License-Identifier: MIT
#include "ListEditor.h"

#include <QPainter>
#include <QTextBlock>

namespace
{

class LineNumberMargin : public QWidget
{
public:
    explicit LineNumberMargin(ListEditor* editor)
        : QWidget(editor)
        , m_editor(editor)
    {
    }

    QSize sizeHint() const override { return QSize(m_editor->lineNumberWidth(), 0); }

protected:
    void paintEvent(QPaintEvent* event) override { m_editor->paintLineNumbers(event); }

private:
    ListEditor* m_editor;
};

} // namespace

ListEditor::ListEditor(QWidget* parent)
    : QPlainTextEdit(parent)
    , m_margin(new LineNumberMargin(this))
{
    // Scroll bars that came and went would change its size, too.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { updateMarginWidth(); });
    connect(this, &QPlainTextEdit::updateRequest, this, &ListEditor::updateMargin);
    updateMarginWidth();
}

int ListEditor::lineNumberWidth(int lines) const
{
    int digits = 1;
    for (int n = std::max(1, lines); n >= 10; n /= 10) ++digits;
    return fontMetrics().horizontalAdvance(QLatin1Char('9')) * (digits + 1);
}

void ListEditor::paintLineNumbers(QPaintEvent* event)
{
    QPainter painter(m_margin);
    painter.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    const int width = m_margin->width() - fontMetrics().horizontalAdvance(QLatin1Char('9')) / 2;
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid() && top <= event->rect().bottom()) {
        const int bottom = top + qRound(blockBoundingRect(block).height());
        if (block.isVisible() && bottom >= event->rect().top())
            painter.drawText(0, top, width, fontMetrics().height(), Qt::AlignRight,
                QString::number(block.blockNumber() + 1));
        block = block.next();
        top = bottom;
    }
}

void ListEditor::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    updateMarginWidth();
}

void ListEditor::holdMarginFor(int lines)
{
    m_heldLines = std::max(lines, 1);
    updateMarginWidth();
}

void ListEditor::releaseMargin()
{
    m_heldLines = 0;
    updateMarginWidth();
}

void ListEditor::updateMarginWidth()
{
    const int width = lineNumberWidth(m_heldLines ? m_heldLines : blockCount());
    setViewportMargins(width, 0, 0, 0);
    const QRect area = contentsRect();
    m_margin->setGeometry(QRect(area.left(), area.top(), width, area.height()));
}

void ListEditor::updateMargin(const QRect& rect, int dy)
{
    if (dy)
        m_margin->scroll(0, dy);
    else
        m_margin->update(0, rect.y(), m_margin->width(), rect.height());
    if (rect.contains(viewport()->rect())) updateMarginWidth();
}
