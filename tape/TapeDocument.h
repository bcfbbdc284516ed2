// SPDX-License-Identifier: MIT
// One input of the tape: the file a tab's text came from with that file's
// encoding and line ends, and what the file was when last read or written,
// so that a change made by another program is seen before a save would
// overwrite it. The text itself is the editor's document, held once; a file
// just loaded waits here, decoded, until the editor takes it.
#ifndef TAPEDOCUMENT_H
#define TAPEDOCUMENT_H

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QPointer>
#include <QTextDocument>

#include <optional>

#include "TapeModel.h"

// What a file was when last read or written: a change of any is another program's.
struct TapeDiskStamp {
    qint64 size = -1; // -1: not known
    qint64 modifiedMs = 0; // since the epoch
    QByteArray hash;
};

class TapeDocument : public QObject
{
    Q_OBJECT

public:
    // What the file on disk is now, beside what this document last read or wrote.
    enum DiskState { Unchanged, Changed, Deleted };

    explicit TapeDocument(QObject* parent = nullptr);

    // Loads a list, an EDL or a timeline (FCPXML, an .fcpxmld bundle through
    // its Info.fcpxml, FCP7 XML, OpenTimelineIO, ALE): UTF-8, UTF-16 with a
    // byte-order mark or Windows-1252, any line ends. Returns why it could
    // not, or an empty string; the document is unchanged on failure.
    QString load(const QString& path);
    // Writes the text to `path` through a temporary file, in `encoding` and
    // `lineEnd` (ELKTextEncoding_t, ELKLineEnd_t). Returns why it could not,
    // or an empty string; on success the document is that file, in that
    // encoding. `unencodable` says whether a character the encoding cannot
    // hold was the reason. A failed write leaves the file on disk as it was.
    QString save(const QString& path, int encoding, int lineEnd, bool* unencodable = nullptr);
    // Puts back a copy kept by autosave: its text and file, and the file as
    // it was when the copy was taken (unknown: the next save asks).
    void restore(
        const QByteArray& text, const QString& path, int encoding, int lineEnd, const TapeDiskStamp& stamp);
    const TapeDiskStamp& diskStamp() const { return m_stamp; }

    // The file a path names, as one name whatever way it is written: the
    // canonical path, a bundle's through its Info.fcpxml. Empty when there is none.
    static QString canonicalFile(const QString& path);
    DiskState diskState() const;

    // The text as the reader takes it, UTF-8: the editor's, '\n' between
    // lines, or the text loaded while the editor has not taken it.
    QByteArray text() const;
    // Its length in characters, about.
    qsizetype textSize() const;
    // The editor's document, which holds the text once shown.
    void setTextDocument(QTextDocument* document) { m_textDocument = document; }
    // Hands the text loaded to the editor, whose document then holds it alone.
    QByteArray takeLoadedText();
    // An editor's text as the reader takes it, '\n' between its lines.
    static QString listText(const QTextDocument* document);

    QString filePath() const { return m_path; }
    // The file's name, or "Untitled", "Untitled 2", ...
    QString displayName() const;
    // Which "Untitled" a document without a file is, from 1.
    int untitledNumber() const { return m_untitled; }
    void setUntitledNumber(int number) { m_untitled = number; }
    int encoding() const { return m_encoding; }
    int lineEnd() const { return m_lineEnd; }
    // The timebase the file declares, if it declares one (its first input's).
    bool ownRate(ELKTimebase_t* rate) const;

    // A number for the tab, unique in the process: the name of its autosave copy.
    int id() const { return m_id; }
    // Edited since its last autosave copy.
    bool isCopyDue() const { return m_copyDue; }
    void setCopyDue(bool due) { m_copyDue = due; }
    // How often the reader has read all of this text since it was loaded: a
    // file is read once when opened, and again only for a change of timebase.
    int parses() const { return m_parses; }
    void countParse() { ++m_parses; }

    TapeModel* model() { return &m_model; }
    const TapeModel* model() const { return &m_model; }

signals:
    // Another program changed or removed the file.
    void changedOnDisk();

private:
    // Remembers the file as it is now, holding `content`, and watches it.
    void stamp(const char* content, int64_t length);
    void watch();

    // Loaded, not yet shown: the editor's document takes it.
    void setLoadedText(const QByteArray& utf8);

    TapeModel m_model;
    std::optional<QByteArray> m_loaded;
    QPointer<QTextDocument> m_textDocument;
    QString m_path; // the file read: a bundle's Info.fcpxml
    int m_encoding = 0;
    int m_lineEnd = 0;
    int m_untitled = 1;
    int m_id;
    int m_parses = 0;
    bool m_copyDue = false;
    TapeDiskStamp m_stamp;
    QFileSystemWatcher m_watcher;
};

#endif
