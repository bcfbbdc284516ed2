// SPDX-License-Identifier: MIT
// A tab's editor: the text of one document, with the line numbers in the
// margin and the lines left out of the totals marked. Its document holds the
// text; each edit has the session read again the lines it touched.
#ifndef TAPEEDITOR_H
#define TAPEEDITOR_H

#include "ListEditor.h"
#include "TapeSession.h"

class TapeEditor : public ListEditor
{
    Q_OBJECT

public:
    TapeEditor(TapeDocument* document, TapeSession* session, QWidget* parent = nullptr);

    TapeDocument* tapeDocument() const { return m_document; }
    // Shows the text the document loaded as a new text: nothing to undo, unmodified.
    void showText();
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
    // Has the session read the lines an edit touched.
    void contentsChanged(int position, int removed, int added);
    // The text from its start through its first line that is not blank; null past a thousand blank lines.
    QByteArray head() const;
    // Puts UTF-8 text in the editor as a new text: nothing to undo, nothing to read.
    void setText(QByteArray utf8);

    TapeDocument* m_document;
    TapeSession* m_session;
    bool m_settingText = false; // the text is being set by this class, and read already
    int m_blocks = 1; // lines before the edit in hand
};

#endif
