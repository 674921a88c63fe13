#include "app/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>
#include <QThread>

SingleInstance::SingleInstance(const QString& lockPath) : m_lock(std::make_unique<QLockFile>(lockPath))
{
    // Never stale by age: a holder that runs keeps the marker however long it runs.
    m_lock->setStaleLockTime(0);
}

bool SingleInstance::acquire()
{
    if (m_lock->tryLock(0)) {
        return true;
    }
    if (m_lock->error() != QLockFile::LockFailedError) {
        // No marker can be made here (a folder that cannot be written): that is no other copy
        // running, and must not keep the program from starting.
        return true;
    }
    // A marker that names no process (left empty or damaged by a power cut between creating and
    // writing it) can never be told stale by its holder, so it would block every later start.
    // Another copy may be writing its marker this very moment: look once more a little later.
    qint64 pid = 0;
    QString host;
    QString app;
    if (m_lock->getLockInfo(&pid, &host, &app)) {
        return false;
    }
    QThread::msleep(250);
    if (m_lock->getLockInfo(&pid, &host, &app)) {
        return m_lock->tryLock(0);
    }
    m_lock->removeStaleLockFile();
    return m_lock->tryLock(0);
}

QString SingleInstance::defaultLockPath()
{
    // One copy per user session, as on the operators' PCs: the marker lives in the user's own
    // runtime folder (the per-user temporary folder where there is none), never in a folder that
    // all users share.
#ifdef Q_OS_WIN
    // The user's own temporary folder; the runtime location there is the profile folder itself.
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
#else
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) {
        dir = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    }
#endif
    return QDir(dir).filePath(QStringLiteral("岱溪银行跨行代发助手.exe.lock"));
}
