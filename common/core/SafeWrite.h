#pragma once

#include <QByteArray>
#include <QString>

// Every data file is written through here: the bytes go to a temporary file that replaces the
// old one only when everything was written, so a full disk or a crash never leaves half a file.
namespace SafeWrite {

// Returns true when the file now holds exactly data; otherwise the old file is untouched and
// error (if given) says why.
bool writeFile(const QString& path, const QByteArray& data, QString* error = nullptr);

// Reads the whole file; false when it cannot be opened.
bool readFile(const QString& path, QByteArray* data);

// Test hook: the next writes fail after this many bytes, as on a full disk (-1 switches it off).
void setFailAfterBytesForTests(qint64 bytes);

} // namespace SafeWrite
