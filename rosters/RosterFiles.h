#pragma once

#include "rosters/core/RosterDocument.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

// The roster files as the screens use them: the same reading and writing as the core, with the
// operator told what happened.
namespace RosterFiles {

// Loads the document and shows its messages in order (refused records, then a format error).
RosterDocument::LoadResult load(QWidget* parent, RosterDocument& doc, RecordCheckMode mode);
// Saves the document; a failed write shows "文件保存失败：%s".
bool save(QWidget* parent, RosterDocument& doc);
// Writes a whole data file safely; a failure shows "文件保存失败：%s".
bool writeFile(QWidget* parent, const QString& path, const QByteArray& data);
// Replace-or-append of one payee; a failed rewrite shows "文件保存失败：%s".
bool remember(QWidget* parent, const QString& fileName, const QString& key, const QByteArray& newLine,
              const std::function<std::optional<QString>(const QString& line)>& keyOf);

} // namespace RosterFiles
