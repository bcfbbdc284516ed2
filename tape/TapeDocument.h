// SPDX-License-Identifier: MIT
// One input of the tape: a list or EDL in an editor tab of its own, with the
// file it came from, that file's encoding and line ends, and its own reading,
// so that an edit re-reads only this tab. A long text is re-read in the
// background, so that typing in it stays quick.
#ifndef TAPEDOCUMENT_H
#define TAPEDOCUMENT_H

#include <QFutureWatcher>
#include <QTimer>

#include <memory>

#include "ListEditor.h"
#include "TapeModel.h"

class TapeDocument : public ListEditor
{
    Q_OBJECT

public:
    explicit TapeDocument(QWidget* parent = nullptr);
    ~TapeDocument() override;

    // Loads a list, an EDL or a timeline (FCPXML, an .fcpxmld bundle through
    // its Info.fcpxml, FCP7 XML, OpenTimelineIO, ALE): UTF-8, UTF-16 with a
    // byte-order mark or Windows-1252, any line ends. Returns why it could
    // not, or an empty string; the text is kept on failure.
    QString load(const QString& path);
    // Writes the text to `path` through a temporary file, in the encoding and
    // line end the file was read with (UTF-8 and LF for new text). Returns why
    // it could not, or an empty string; on success the document is that file,
    // unmodified. A failed write leaves the file on disk as it was.
    QString saveAs(const QString& path);
    // Puts back a copy kept by autosave: its text, file and unsaved mark.
    void restore(const QString& text, const QString& path, int encoding, int lineEnd, bool modified);

    QString filePath() const { return m_path; }
    // The file's name, or "Untitled".
    QString displayName() const;
    // The timebase the file loaded declares, if it declares one.
    bool ownRate(ELKTimebase_t* rate) const;
    int encoding() const { return m_encoding; }
    int lineEnd() const { return m_lineEnd; }
    // Empty, unmodified and without a file: a file opened may take its place.
    bool isUntouched() const;
    // The text as the reader takes it, '\n' between lines.
    QString listText() const;

    // A number for the tab, unique in the process: the name of its autosave copy.
    int id() const { return m_id; }
    // Edited since its last autosave copy.
    bool isCopyDue() const { return m_copyDue; }
    void setCopyDue(bool due) { m_copyDue = due; }

    // Reads the text afresh at `base`, now.
    void setTimebase(const ELKTimebase_t& base);
    const TapeModel& model() const { return m_model; }
    // For the table view.
    TapeModel* tableModel() { return &m_model; }

    // Marks the errors on the lines the editor shows; marking all of a long
    // list would lay out every line.
    void markErrors();
    // Selects `line` (from 1) and scrolls sideways, if need be, to `column`.
    void selectLine(int64_t line, int32_t column);

signals:
    // The model holds a new reading; `ahead` when the editor does not hold
    // that text yet, and will take a while to.
    void listRead(bool ahead);

protected:
    void insertFromMimeData(const QMimeData* source) override;
    void focusInEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void textEdited();
    void readNow(const QString& text, bool ahead = false);
    // Puts UTF-8 text in the editor as a new text: nothing to undo, nothing to
    // read. Frees the bytes as they go in.
    void setText(QByteArray utf8);
    void startBackgroundRead();
    void backgroundReadDone();

    TapeModel m_model;
    int m_id;
    bool m_copyDue = false;
    ELKTimebase_t m_base {};
    QString m_path;
    int m_encoding = 0;
    int m_lineEnd = 0;
    bool m_hasOwnRate = false;
    ELKTimebase_t m_ownRate {};
    bool m_settingText = false; // the text is being set by this class, and read already
    uint64_t m_revision = 0; // counts changes of text or timebase, so a stale reading is dropped
    QTimer m_readTimer; // a pause in typing before a long text is read
    QFutureWatcher<std::shared_ptr<ELKList_t>> m_reading;
    uint64_t m_readingRevision = 0;
};

#endif
