// SPDX-License-Identifier: MIT
// What the tape holds, apart from its widgets: the tabs' documents and one
// list that reads all their texts at the tape's timebase, as horodex-tc sum
// reads its files. The totals are that list's; each tab's table shows its
// own inputs of it. An edit reads again only the lines it touched; a change
// of timebase reads the texts again, never the files. Where more than the
// lines decide, a long text is read in the background, so that typing in it
// stays quick.
#ifndef TAPESESSION_H
#define TAPESESSION_H

#include <QList>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <memory>
#include <thread>

#include "ELKList.h"
#include "TapeDocument.h"

// The tape's timebase when nothing chose one: 30, as the calculator opens.
constexpr ELKFrameRate_t tapeDefaultRate = ELK_FR_30;

class TapeSession : public QObject
{
    Q_OBJECT

public:
    struct Reading;

    explicit TapeSession(QObject* parent = nullptr);
    ~TapeSession() override;

    // A new empty document, the first free "Untitled" number its name.
    TapeDocument* addDocument();
    void removeDocument(TapeDocument* document);
    QList<TapeDocument*> documents() const { return m_documents; }
    // The document of the file `path` names, a bundle too, or null.
    TapeDocument* documentOfFile(const QString& path) const;

    ELKTimebase_t timebase() const { return m_base; }
    // Where the timebase came from (ELKRateFrom_t).
    ELKRateFrom_t rateFrom() const { return m_rateFrom; }
    // Reads every document again at `base`, which came from `rateFrom`. A
    // fixed timebase (--rate) holds for the run: no file moves it.
    void setTimebase(
        const ELKTimebase_t& base, ELKRateFrom_t rateFrom = ELK_RATE_FROM_OPTION, bool fixed = false);
    bool isTimebaseFixed() const { return m_fixed; }

    // Reads every document now. A document opened just now may bring its own
    // rate as the timebase, while no other input holds entries; the
    // timebaseMoved signal then says so. `ahead` when an editor does not hold
    // the new text yet.
    void read(TapeDocument* opened = nullptr, bool ahead = false);
    // Reads every document now, `document` as `text`, which its editor is
    // about to hold: a long paste's totals come before the editor lays it out.
    void readAhead(TapeDocument* document, const QByteArray& text);
    // Reads every document in the background; the latest reading wins.
    void readLater();
    // Reads again lines [first, first + removed) of `document`, now `lines`
    // (ELKInput_ReadAgain; `head` is the text through its first line that is
    // not blank, null for none known). Where more than those lines decide,
    // every document is read again, a long text in the background.
    void edited(TapeDocument* document, int64_t first, int64_t removed, const QByteArray& lines,
        const QByteArray& head);

    const ELKList_t& list() const;

signals:
    // A new reading is in the list and the documents' models.
    void listRead(bool ahead);
    // The timebase moved to the one `document` declares.
    void timebaseMoved(TapeDocument* document);

private:
    void readWith(TapeDocument* opened, bool ahead, TapeDocument* document, const QByteArray& text);
    void adopt(std::shared_ptr<Reading> reading);
    // Shows a new reading, or the one shown changed in place, in the documents' models.
    void attach(std::shared_ptr<Reading> reading = nullptr);
    void startBackgroundRead();
    void backgroundReadDone();

    QList<TapeDocument*> m_documents;
    std::shared_ptr<Reading> m_reading; // the one the models show
    ELKTimebase_t m_base {};
    ELKRateFrom_t m_rateFrom = ELK_RATE_FROM_DEFAULT;
    bool m_fixed = false;
    uint64_t m_revision = 0; // counts changes of text, documents or timebase: a stale reading is dropped
    uint64_t m_backgroundRevision = 0;
    bool m_readAgain = false; // a change came while the background reading ran
    // A thread of its own that raises a flag when done, looked at by a
    // timer; it is joined before its reading is taken. Nothing but the flag
    // and the join passes between the threads, so ThreadSanitizer sees all.
    std::thread m_background;
    std::atomic<bool> m_backgroundDone { false };
    QTimer m_backgroundPoll;
    std::shared_ptr<Reading> m_backgroundReading; // written by that thread only until the join
};

#endif
