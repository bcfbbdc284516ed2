// SPDX-License-Identifier: MIT
#include "TapeSession.h"

#include <QFileInfo>

#include <algorithm>
#include <vector>

#include "ELKInput.h"

// One reading of every document: the list, and which of its inputs each document gave.
struct TapeSession::Reading {
    ELKList_t list {};
    std::vector<std::pair<int32_t, int32_t>> inputs; // first and count, per document in order
    ~Reading() { ELKList_Destroy(&list); }
};

namespace
{

// How often the window looks whether a reading in the background is done.
constexpr int pollMs = 10;
// Past this many characters a whole reading takes longer than a keystroke may,
// so one that an edit needs runs in the background.
constexpr qsizetype backgroundChars = 1 << 20;

// Reads the texts in the order of `order`, as horodex-tc sum reads its files,
// so that the tape has no totals of its own. The first of them may bring
// its own rate (ELK_RATE_OWN): the list takes it while it has counted nothing.
std::shared_ptr<TapeSession::Reading> readAll(
    const std::vector<QByteArray>& texts, ELKTimebase_t base, ELKRateFrom_t rateFrom, int opened)
{
    auto reading = std::make_shared<TapeSession::Reading>();
    ELKList_Init(&reading->list, &base, rateFrom);
    reading->inputs.resize(texts.size());
    const auto readOne = [&](size_t i, ELKRatePolicy_t policy) {
        const ELKText_t text { texts[i].constData(), texts[i].size(), nullptr, ELK_TEXT_UTF8, ELK_LINE_LF,
            ELK_FALSE };
        const ELKReadOptions_t options { policy };
        const int32_t first = reading->list.inputs;
        ELKInput_ReadText(&reading->list, &text, &options);
        reading->inputs[i] = { first, reading->list.inputs - first };
    };
    if (opened >= 0) readOne(size_t(opened), ELK_RATE_OWN);
    for (size_t i = 0; i < texts.size(); ++i)
        if (int(i) != opened) readOne(i, ELK_RATE_KEEP);
    return reading;
}

} // namespace

TapeSession::TapeSession(QObject* parent)
    : QObject(parent)
    , m_reading(std::make_shared<Reading>())
{
    ELKTimebase_FromRate(&m_base, tapeDefaultRate);
    ELKList_Init(&m_reading->list, &m_base, m_rateFrom);
    m_backgroundPoll.setInterval(pollMs);
    connect(&m_backgroundPoll, &QTimer::timeout, this, &TapeSession::backgroundReadDone);
}

TapeSession::~TapeSession()
{
    if (m_background.joinable()) m_background.join();
}

TapeDocument* TapeSession::addDocument()
{
    auto* document = new TapeDocument(this);
    int number = 1;
    for (bool taken = true; taken; number += taken ? 1 : 0)
        taken = std::any_of(m_documents.cbegin(), m_documents.cend(), [number](const TapeDocument* d) {
            return d->filePath().isEmpty() && d->untitledNumber() == number;
        });
    document->setUntitledNumber(number);
    m_documents << document;
    read();
    return document;
}

void TapeSession::removeDocument(TapeDocument* document)
{
    m_documents.removeOne(document);
    document->model()->detach();
    document->deleteLater();
    read();
}

TapeDocument* TapeSession::documentOfFile(const QString& path) const
{
    const QString file = TapeDocument::canonicalFile(path);
    if (file.isEmpty()) return nullptr;
    for (TapeDocument* document : m_documents)
        if (!document->filePath().isEmpty() && TapeDocument::canonicalFile(document->filePath()) == file)
            return document;
    return nullptr;
}

void TapeSession::setTimebase(const ELKTimebase_t& base, ELKRateFrom_t rateFrom, bool fixed)
{
    m_base = base;
    m_rateFrom = rateFrom;
    m_fixed = m_fixed || fixed;
    read();
}

void TapeSession::read(TapeDocument* opened, bool ahead)
{
    readWith(opened, ahead, nullptr, QByteArray());
}

void TapeSession::readAhead(TapeDocument* document, const QByteArray& text)
{
    readWith(nullptr, true, document, text);
}

void TapeSession::readWith(TapeDocument* opened, bool ahead, TapeDocument* document, const QByteArray& text)
{
    ++m_revision;
    m_readAgain = false;
    // Only the first file to bring entries sets the timebase; later ones never move it.
    const bool mayMove = opened && !m_fixed
        && std::none_of(m_documents.cbegin(), m_documents.cend(),
            [opened](const TapeDocument* d) { return d != opened && d->model()->entryCount() > 0; });
    std::vector<QByteArray> texts;
    for (const TapeDocument* d : m_documents) texts.push_back(d == document ? text : d->text());
    adopt(readAll(texts, m_base, m_rateFrom, mayMove ? int(m_documents.indexOf(opened)) : -1));
    const bool moved = ELKTimebase_Equal(&m_reading->list.base, &m_base) != ELK_TRUE;
    if (moved) {
        m_base = m_reading->list.base;
        m_rateFrom = ELK_RATE_FROM_INPUT;
    }
    emit listRead(ahead);
    if (moved) emit timebaseMoved(opened);
}

void TapeSession::readLater()
{
    ++m_revision;
    if (m_background.joinable()) {
        m_readAgain = true;
        return;
    }
    startBackgroundRead();
}

void TapeSession::edited(
    TapeDocument* document, int64_t first, int64_t removed, const QByteArray& lines, const QByteArray& head)
{
    ++m_revision;
    const qsizetype index = m_documents.indexOf(document);
    // A reading in the background has yet to show what came before this edit.
    if (index >= 0 && !m_background.joinable() && !head.isNull()) {
        const auto [input, inputs] = m_reading->inputs[size_t(index)];
        if (inputs == 1
            && ELKInput_ReadAgain(&m_reading->list, input, first, removed, lines.constData(), lines.size(),
                   head.constData(), head.size())
                == ELK_OK) {
            attach();
            emit listRead(false);
            return;
        }
    }
    qsizetype size = 0;
    for (const TapeDocument* d : m_documents) size += d->textSize();
    if (size < backgroundChars)
        read();
    else
        readLater();
}

const ELKList_t& TapeSession::list() const
{
    return m_reading->list;
}

void TapeSession::adopt(std::shared_ptr<Reading> reading)
{
    attach(std::move(reading));
    for (TapeDocument* document : m_documents) document->countParse();
}

void TapeSession::attach(std::shared_ptr<Reading> reading)
{
    for (TapeDocument* document : m_documents) document->model()->detach();
    if (reading) m_reading = std::move(reading);
    for (int i = 0; i < m_documents.size(); ++i) {
        const auto [first, count] = m_reading->inputs[size_t(i)];
        m_documents[i]->model()->attach(&m_reading->list, first, count);
    }
}

void TapeSession::startBackgroundRead()
{
    m_readAgain = false;
    m_backgroundRevision = m_revision;
    std::vector<QByteArray> texts;
    for (const TapeDocument* document : m_documents) texts.push_back(document->text());
    m_backgroundDone = false;
    m_background = std::thread([this, texts = std::move(texts), base = m_base, rateFrom = m_rateFrom] {
        m_backgroundReading = readAll(texts, base, rateFrom, -1);
        m_backgroundDone.store(true, std::memory_order_release);
    });
    m_backgroundPoll.start();
}

void TapeSession::backgroundReadDone()
{
    if (!m_backgroundDone.load(std::memory_order_acquire)) return;
    m_backgroundPoll.stop();
    m_background.join();
    std::shared_ptr<Reading> reading = std::move(m_backgroundReading);
    if (m_backgroundRevision != m_revision) {
        if (m_readAgain) startBackgroundRead();
        return;
    }
    adopt(std::move(reading));
    emit listRead(false);
}
