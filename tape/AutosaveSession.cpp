// SPDX-License-Identifier: MIT
#include "AutosaveSession.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace
{

const QString lockName = QStringLiteral("lock");

QString copyName(int id)
{
    return QStringLiteral("%1.tape").arg(id, 8, 10, QLatin1Char('0'));
}

} // namespace

AutosaveSession::AutosaveSession(const QString& root)
    : m_root(root.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/autosave")
            : root)
{
}

AutosaveSession::~AutosaveSession() = default;

bool AutosaveSession::ensureFolder()
{
    if (m_lock) return true;
    const QString folder = m_root + QLatin1Char('/')
        + QStringLiteral("%1-%2")
              .arg(QCoreApplication::applicationPid())
              .arg(QDateTime::currentMSecsSinceEpoch());
    if (!QDir().mkpath(folder)) return false;
    auto lock = std::make_unique<QLockFile>(folder + QLatin1Char('/') + lockName);
    // A lock is stale only when its owner has gone, however long that owner runs.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) return false;
    m_folder = folder;
    m_lock = std::move(lock);
    return true;
}

bool AutosaveSession::write(int id, const Copy& copy)
{
    if (!ensureFolder()) return false;
    // One line of what the tab was, then its text.
    const QJsonObject about { { QStringLiteral("file"), copy.path },
        { QStringLiteral("encoding"), copy.encoding }, { QStringLiteral("lineEnd"), copy.lineEnd },
        { QStringLiteral("size"), copy.stamp.size }, { QStringLiteral("modified"), copy.stamp.modifiedMs },
        { QStringLiteral("hash"), QString::fromLatin1(copy.stamp.hash.toHex()) } };
    QSaveFile file(m_folder + QLatin1Char('/') + copyName(id));
    return file.open(QIODevice::WriteOnly)
        && file.write(QJsonDocument(about).toJson(QJsonDocument::Compact)) >= 0 && file.write("\n") == 1
        && file.write(copy.text.toUtf8()) >= 0 && file.commit();
}

void AutosaveSession::remove(int id)
{
    if (m_lock) QFile::remove(m_folder + QLatin1Char('/') + copyName(id));
}

void AutosaveSession::clear()
{
    if (!m_lock) return;
    m_lock->unlock();
    m_lock.reset();
    QDir(m_folder).removeRecursively();
    m_folder.clear();
}

QList<AutosaveSession::Copy> AutosaveSession::takeOrphans()
{
    QList<Copy> copies;
    const QDir root(m_root);
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString folder = root.filePath(name);
        if (folder == m_folder || m_orphans.contains(folder)) continue;
        auto lock = std::make_unique<QLockFile>(folder + QLatin1Char('/') + lockName);
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0)) continue; // its tape is still running
        QStringList files = QDir(folder).entryList({ QStringLiteral("*.tape") }, QDir::Files, QDir::Name);
        for (const QString& fileName : files) {
            QFile file(QDir(folder).filePath(fileName));
            if (!file.open(QIODevice::ReadOnly)) continue;
            const QByteArray about = file.readLine();
            const QJsonObject object = QJsonDocument::fromJson(about).object();
            Copy copy;
            copy.path = object.value(QStringLiteral("file")).toString();
            copy.encoding = object.value(QStringLiteral("encoding")).toInt();
            copy.lineEnd = object.value(QStringLiteral("lineEnd")).toInt();
            copy.stamp.size = object.value(QStringLiteral("size")).toInteger(-1);
            copy.stamp.modifiedMs = object.value(QStringLiteral("modified")).toInteger();
            copy.stamp.hash = QByteArray::fromHex(object.value(QStringLiteral("hash")).toString().toLatin1());
            copy.text = QString::fromUtf8(file.readAll());
            copies << copy;
        }
        m_orphans << folder;
        m_orphanLocks.push_back(std::move(lock));
    }
    return copies;
}

void AutosaveSession::releaseOrphans()
{
    for (auto& lock : m_orphanLocks) lock->unlock();
    m_orphanLocks.clear();
    for (const QString& folder : m_orphans) QDir(folder).removeRecursively();
    m_orphans.clear();
}

QString AutosaveSession::keepDiscarded(const QString& name, const QString& text)
{
    const QString folder = m_root + QStringLiteral("-discarded");
    if (!QDir().mkpath(folder)) return QString();
    const QString path = folder + QLatin1Char('/')
        + QStringLiteral("%1 %2.txt")
              .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HHmmss.zzz")), name);
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 && file.commit() ? path
                                                                                              : QString();
}
