// SPDX-License-Identifier: MIT
// The editor tabs: one per document of the session, named after it, marked
// when unsaved or changed on disk, and switched with Ctrl+Page Up/Down from
// wherever the focus is in the window.
#ifndef TAPETABS_H
#define TAPETABS_H

#include <QTabWidget>

#include "TapeEditor.h"

class TapeTabs : public QTabWidget
{
    Q_OBJECT

public:
    explicit TapeTabs(QWidget* parent = nullptr);

    void setSession(TapeSession* session) { m_session = session; }
    // A tab with a new, empty document.
    TapeEditor* addEditor();
    // Closes a tab and lets its document go.
    void removeEditor(TapeEditor* editor);
    TapeEditor* currentEditor() const { return static_cast<TapeEditor*>(currentWidget()); }
    QList<TapeEditor*> editors() const;
    TapeEditor* editorOf(const TapeDocument* document) const;
    // Names each tab after its document, with " *" while unsaved.
    void showNames();
    // The lines left out of the totals, by tab: "2 lines left out: reel2.edl 1, Untitled 2 1".
    QString leftOutText() const;
    // Shows the first line left out, in the first tab that has one.
    void showFirstLeftOut();
    // Marks a tab whose file changed on disk while it held edits, or clears the mark.
    void markChangedOnDisk(TapeEditor* editor, bool changed);

signals:
    void editorAdded(TapeEditor* editor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TapeSession* m_session = nullptr;
};

#endif
