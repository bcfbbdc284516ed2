// SPDX-License-Identifier: MIT
// Copies of unsaved tabs, so that a crash or a power cut loses seconds, not a
// session. Each running tape writes into a folder of its own under the
// application's data folder, held by a lock file; a tape that starts later
// takes over only the folders whose owner has gone.
#ifndef AUTOSAVESESSION_H
#define AUTOSAVESESSION_H

#include <QList>
#include <QLockFile>
#include <QString>

#include <memory>
#include <vector>

#include "TapeDocument.h"

class AutosaveSession
{
public:
    struct Copy {
        QString text;
        QString path; // the tab's file, or empty
        int encoding = 0;
        int lineEnd = 0;
        TapeDiskStamp stamp; // the file when the tab last read or wrote it
    };

    // Sessions live in `root`, by default "autosave" in QStandardPaths::AppDataLocation.
    explicit AutosaveSession(const QString& root = QString());
    ~AutosaveSession();

    // Writes the copy of tab `id` through a temporary file. Returns false when it could not.
    bool write(int id, const Copy& copy);
    // Removes the copy of tab `id`.
    void remove(int id);
    // Removes this session's folder with every copy in it: the tape closed cleanly.
    void clear();
    // The copies in the folders of tapes that have gone, in the order their
    // tabs were made. The folders stay, locked, until releaseOrphans().
    QList<Copy> takeOrphans();
    // Removes the folders takeOrphans() read, once their copies are safe elsewhere.
    void releaseOrphans();
    // Keeps edits that a reload is about to discard, in a file that outlives
    // the session ("discarded" beside the copies). Returns its path, or an
    // empty string when it could not be written.
    QString keepDiscarded(const QString& name, const QString& text);

private:
    bool ensureFolder();

    QString m_root;
    QString m_folder; // this session's, once something was written
    std::unique_ptr<QLockFile> m_lock;
    std::vector<std::unique_ptr<QLockFile>> m_orphanLocks;
    QStringList m_orphans;
};

#endif
