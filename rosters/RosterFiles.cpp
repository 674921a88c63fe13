#include "rosters/RosterFiles.h"

#include "common/Dialogs.h"
#include "common/core/CMyTool.h"
#include "common/core/SafeWrite.h"

namespace RosterFiles {

RosterDocument::LoadResult load(QWidget* parent, RosterDocument& doc, RecordCheckMode mode)
{
    QStringList messages;
    const RosterDocument::LoadResult result = doc.load(mode, &messages);
    for (const QString& m : std::as_const(messages)) {
        Msg::show(parent, m);
    }
    return result;
}

bool save(QWidget* parent, RosterDocument& doc)
{
    if (doc.formatError()) {
        return false;
    }
    if (doc.save()) {
        return true;
    }
    Msg::show(parent, RosterFormat::saveFailedMessage(doc.path()));
    return false;
}

bool writeFile(QWidget* parent, const QString& path, const QByteArray& data)
{
    if (SafeWrite::writeFile(path, data)) {
        return true;
    }
    Msg::show(parent, RosterFormat::saveFailedMessage(path));
    return false;
}

bool remember(QWidget* parent, const QString& fileName, const QString& key, const QByteArray& newLine,
              const std::function<std::optional<QString>(const QString& line)>& keyOf)
{
    switch (RosterFormat::rememberRecord(fileName, key, newLine, keyOf)) {
    case RosterFormat::RememberResult::Missing:
        return false;
    case RosterFormat::RememberResult::Saved:
        return true;
    case RosterFormat::RememberResult::Failed:
    case RosterFormat::RememberResult::Unreadable: // the line is taken, the payee not kept
        break;
    }
    Msg::show(parent, RosterFormat::saveFailedMessage(CMyTool::DataFilePath(fileName)));
    return false;
}

} // namespace RosterFiles
