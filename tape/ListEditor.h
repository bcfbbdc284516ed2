// SPDX-License-Identifier: MIT
// The tape's plain-text editor. Pasted and dropped text goes in as plain text
// in one step, and the window hears of the whole new text first, so that it
// can show the totals of a long paste before the editor has laid it out.
#ifndef LISTEDITOR_H
#define LISTEDITOR_H

#include <QPlainTextEdit>

class ListEditor : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit ListEditor(QWidget* parent = nullptr);

signals:
    // The editor's whole text once the insertion is done, lines ended by '\n'.
    void ListEditor_Inserting(const QString& text);

protected:
    void insertFromMimeData(const QMimeData* source) override;
};

#endif
