// SPDX-License-Identifier: MIT
#include "TapeDocument.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdlib>
#include <cstring>

#include "ELKInput.h"
#include "ELKString.h"
#include "ELKText.h"

namespace
{

// A file the editor could still hold; past this it is not a list.
constexpr qint64 maxFileBytes = 64 * 1024 * 1024;
const QString bundleFile = QStringLiteral("Info.fcpxml");

// A fingerprint of a file's bytes to tell another program's change, not a
// seal against tampering: Qt's hash of byte arrays, fast enough to take at
// every save of a 50 MB file.
QByteArray contentHash(const char* bytes, int64_t length)
{
    const size_t hash = qHash(QByteArrayView(bytes, qsizetype(length)), size_t(0x48524458));
    return QByteArray(reinterpret_cast<const char*>(&hash), sizeof hash);
}

QByteArray contentHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    if (file.size() == 0) return contentHash("", 0);
    const uchar* mapped = file.map(0, file.size());
    if (mapped) return contentHash(reinterpret_cast<const char*>(mapped), file.size());
    const QByteArray bytes = file.readAll();
    return contentHash(bytes.constData(), bytes.size());
}

} // namespace

TapeDocument::TapeDocument(QObject* parent)
    : QObject(parent)
{
    static int lastId = 0;
    m_id = ++lastId;
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, [this] {
        // A program that saves by renaming a new file over the old one ends the watch.
        watch();
        if (diskState() != Unchanged) emit changedOnDisk();
    });
}

QString TapeDocument::load(const QString& path)
{
    const QString name = QDir::toNativeSeparators(path);
    const QFileInfo given(path);
    // The library reads a bundle (NAME.fcpxmld) through the Info.fcpxml inside it.
    const QFileInfo info(given.isDir() ? QDir(path).filePath(bundleFile) : path);
    // Opening a pipe would wait for a writer, and a device may never end.
    if (info.exists() && !info.isFile()) return tr("%1 is not a regular file.").arg(name);
    if (info.size() > maxFileBytes)
        return tr("%1 is larger than %2 MiB, too large for a list.").arg(name).arg(maxFileBytes >> 20);
    char* bytes = nullptr;
    int64_t length = 0;
    int8_t fault = ELK_FAULT_NONE;
    int32_t error = 0;
    ELKInput_Load(QFile::encodeName(path).constData(), &bytes, &length, &fault, &error);
    switch (fault) {
    case ELK_FAULT_NONE:
        break;
    case ELK_FAULT_FOLDER:
        return tr("%1 is a folder, not a list.").arg(name);
    case ELK_FAULT_NOT_TEXT:
        return tr("%1 is not a text file.").arg(name);
    case ELK_FAULT_TOO_LARGE:
        return tr("%1 is larger than %2 MiB, too large for a list.").arg(name).arg(maxFileBytes >> 20);
    default:
        return tr("Cannot open %1: %2").arg(name, QString::fromLocal8Bit(std::strerror(error)));
    }
    ELKText_t decoded;
    const int8_t decodedOk = ELKText_Decode(&decoded, bytes, length);
    if (decodedOk != ELK_OK) {
        std::free(bytes);
        return tr("%1 is too large for the memory left.").arg(name);
    }
    if (decoded.binary == ELK_TRUE) {
        ELKText_Destroy(&decoded);
        std::free(bytes);
        return tr("%1 is not a text file.").arg(name);
    }
    m_path = info.absoluteFilePath();
    stamp(bytes, length);
    // The decoded text may be the file's bytes themselves.
    setLoadedText(QByteArray(decoded.utf8, qsizetype(decoded.length)));
    m_encoding = decoded.encoding;
    m_lineEnd = decoded.lineEnd;
    ELKText_Destroy(&decoded);
    std::free(bytes);
    return QString();
}

QString TapeDocument::save(const QString& path, int encoding, int lineEnd, bool* unencodable)
{
    if (unencodable) *unencodable = false;
    const QString name = QDir::toNativeSeparators(path);
    const QByteArray utf8 = text();
    char* out = nullptr;
    int64_t outLength = 0, errorAt = 0;
    if (ELKText_Encode(
            utf8.constData(), utf8.size(), int8_t(encoding), int8_t(lineEnd), &out, &outLength, &errorAt)
        != ELK_OK) {
        if (errorAt < 0) return tr("%1 was not saved: the memory ran short.").arg(name);
        if (unencodable) *unencodable = true;
        const qsizetype start = utf8.lastIndexOf('\n', qsizetype(errorAt) - 1) + 1;
        return tr("%1 was not saved: line %2, column %3 holds a character that the file's encoding, "
                  "Windows-1252, cannot hold.")
            .arg(name)
            .arg(utf8.left(start).count('\n') + 1)
            .arg(QString::fromUtf8(utf8.constData() + start, errorAt - start).toUcs4().size() + 1);
    }
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) && file.write(out, outLength) == outLength;
    if (!written || !file.commit()) {
        ELK_Free(out);
        return tr("%1 was not saved: %2").arg(name, file.errorString());
    }
    m_path = QFileInfo(path).absoluteFilePath();
    m_encoding = encoding;
    m_lineEnd = lineEnd;
    stamp(out, outLength);
    ELK_Free(out);
    return QString();
}

void TapeDocument::restore(
    const QByteArray& text, const QString& path, int encoding, int lineEnd, const TapeDiskStamp& stamp)
{
    setLoadedText(text);
    m_path = path;
    // A copy from elsewhere is data: an encoding it names that is not one of ours is UTF-8.
    m_encoding = encoding >= ELK_TEXT_UTF8 && encoding <= ELK_TEXT_CP1252 ? encoding : ELK_TEXT_UTF8;
    m_lineEnd = lineEnd >= ELK_LINE_LF && lineEnd <= ELK_LINE_CR ? lineEnd : ELK_LINE_LF;
    m_stamp = stamp;
    watch();
}

QByteArray TapeDocument::text() const
{
    if (m_loaded || !m_textDocument) return m_loaded.value_or(QByteArray());
    return listText(m_textDocument).toUtf8();
}

QString TapeDocument::listText(const QTextDocument* document)
{
    // Raw text keeps one line per block, U+2029 between them: plain text would also break at U+2028.
    QString text = document->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

qsizetype TapeDocument::textSize() const
{
    if (m_loaded || !m_textDocument) return m_loaded ? m_loaded->size() : 0;
    return m_textDocument->characterCount();
}

QByteArray TapeDocument::takeLoadedText()
{
    QByteArray text = std::move(m_loaded).value_or(QByteArray());
    m_loaded.reset();
    return text;
}

void TapeDocument::setLoadedText(const QByteArray& utf8)
{
    m_loaded = utf8;
    // What ends a line in the editor (U+2029, and U+FDD0 and U+FDD1, Qt's
    // frame marks) ends it for the reader too, so that their lines agree.
    for (const char* end : { "\xE2\x80\xA9", "\xEF\xB7\x90", "\xEF\xB7\x91" })
        if (m_loaded->contains(end)) m_loaded->replace(end, "\n");
    m_parses = 0;
}

QString TapeDocument::canonicalFile(const QString& path)
{
    const QFileInfo given(path);
    return QFileInfo(given.isDir() ? QDir(path).filePath(bundleFile) : path).canonicalFilePath();
}

TapeDocument::DiskState TapeDocument::diskState() const
{
    if (m_path.isEmpty()) return Unchanged;
    const QFileInfo now(m_path);
    if (!now.exists()) return Deleted;
    // A copy restored after a crash may not know what it was copied from.
    if (m_stamp.size < 0) return Changed;
    if (now.size() != m_stamp.size || now.lastModified().toMSecsSinceEpoch() != m_stamp.modifiedMs)
        return Changed;
    // The same size and time: a change within the clock's grain, or a time set back, shows in the content.
    return contentHash(m_path) == m_stamp.hash ? Unchanged : Changed;
}

QString TapeDocument::displayName() const
{
    if (m_path.isEmpty()) return m_untitled > 1 ? tr("Untitled %1").arg(m_untitled) : tr("Untitled");
    const QFileInfo file(m_path);
    // A bundle's Info.fcpxml goes by the bundle's name.
    const QString folder = file.dir().dirName();
    return folder.endsWith(QLatin1String(".fcpxmld")) && file.fileName() == bundleFile ? folder
                                                                                       : file.fileName();
}

bool TapeDocument::ownRate(ELKTimebase_t* rate) const
{
    const ELKList_t& list = m_model.list();
    for (int32_t i = m_model.firstInput(); i < m_model.firstInput() + m_model.inputCount(); ++i)
        if (list.inputList[i].hasRate == ELK_TRUE) {
            *rate = list.inputList[i].rate;
            return true;
        }
    return false;
}

void TapeDocument::stamp(const char* content, int64_t length)
{
    const QFileInfo now(m_path);
    m_stamp = { now.size(), now.lastModified().toMSecsSinceEpoch(), contentHash(content, length) };
    watch();
}

void TapeDocument::watch()
{
    if (!m_watcher.files().isEmpty()) m_watcher.removePaths(m_watcher.files());
    if (!m_path.isEmpty() && QFileInfo::exists(m_path)) m_watcher.addPath(m_path);
}
