#include "app/SingleInstance.h"

#include <QDir>

SingleInstance::SingleInstance(const QString& lockPath) : m_lock(std::make_unique<QLockFile>(lockPath))
{
    // Never stale by age: only a holder that no longer runs frees the marker.
    m_lock->setStaleLockTime(0);
}

bool SingleInstance::acquire()
{
    return m_lock->tryLock(0);
}

QString SingleInstance::defaultLockPath()
{
    return QDir(QDir::tempPath()).filePath(QStringLiteral("岱溪银行跨行代发助手.exe.lock"));
}
