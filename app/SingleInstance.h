#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

// One running copy per user session. The marker is a lock file in the user's own folder that
// names the process holding it, so the marker of a run that crashed counts as free again, and so
// does a marker that names nothing at all.
class SingleInstance
{
public:
    explicit SingleInstance(const QString& lockPath = defaultLockPath());
    // True when this process now holds the marker (it keeps it until it ends).
    bool acquire();

    static QString defaultLockPath();

private:
    std::unique_ptr<QLockFile> m_lock;
};
