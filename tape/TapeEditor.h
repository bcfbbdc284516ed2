// SPDX-License-Identifier: MIT
// A tab's editor: the text of one document, with the line numbers in the
// margin and the lines left out of the totals marked. Each edit goes to the
// document and the session reads it; a long text waits for a pause in typing.
#ifndef TAPEEDITOR_H
#define TAPEEDITOR_H

#include <QTimer>

#include "ListEditor.h"
#include "TapeSession.h"

class TapeEditor : public ListEditor
{
    Q_OBJECT

public:
    TapeEditor(TapeDocument* document, TapeSession* session, QWidget* parent = nullptr);

    TapeDocument* tapeDocument() const { return m_document; }
    // Shows the document's text as a new text: nothing to undo, unmodified.
    void showText();
    // Gives the document the editor's text now, if an edit is still waiting
    // for a pause in typing, and has it read.
    void flush();
    // Empty, unmodified and without a file: a file opened may take its place.
    bool isUntouched() const;
    // The text as the reader takes it, '\n' between lines.
    QString listText() const;

    // Pastes at the cursor, for Ctrl+V from elsewhere in the window: a line
    // the table selected is not the user's selection to replace.
    void pasteAtCursor();
    // Marks the errors on the lines the editor shows; marking all of a long
    // list would lay out every line.
    void markErrors();
    // Selects `line` (from 1) and scrolls sideways, if need be, to `column`.
    void selectLine(int64_t line, int32_t column);

protected:
    void insertFromMimeData(const QMimeData* source) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void textEdited();
    // Puts UTF-8 text in the editor as a new text: nothing to undo, nothing to read.
    void setText(const QByteArray& utf8);

    TapeDocument* m_document;
    TapeSession* m_session;
    bool m_settingText = false; // the text is being set by this class, and read already
    QTimer m_pause; // a pause in typing before a long text is read
};

#endif
