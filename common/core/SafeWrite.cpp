#include "common/core/SafeWrite.h"

#include <QFile>
#include <QSaveFile>

namespace {
qint64 g_failAfter = -1;
}

namespace SafeWrite {

bool writeFile(const QString& path, const QByteArray& data, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    QByteArray payload = data;
    bool injected = false;
    if (g_failAfter >= 0 && g_failAfter < data.size()) {
        payload.truncate(g_failAfter);
        injected = true;
    }
    if (file.write(payload) != payload.size() || injected) {
        if (error) {
            *error = injected ? QStringLiteral("No space left on device") : file.errorString();
        }
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    return true;
}

bool readFile(const QString& path, QByteArray* data)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    *data = file.readAll();
    return file.error() == QFileDevice::NoError;
}

void setFailAfterBytesForTests(qint64 bytes)
{
    g_failAfter = bytes;
}

} // namespace SafeWrite
