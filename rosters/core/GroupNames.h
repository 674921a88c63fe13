#pragma once

#include <QString>
#include <QStringList>

// Names of the payroll roster groups. Each group's roster is the file "<name>.txt" in the program
// directory, so a name must be a plain file name there: no path, no device, none of the program's
// own data files, nothing Windows would change or refuse.
namespace GroupNames {

// The message refusing a name (already trimmed), or an empty text when it can be used; the same
// rule for a typed name and for one read from group.txt. otherNames are the names of the other
// groups, which it may not repeat.
QString problemWith(const QString& name, const QStringList& otherNames = QStringList());

// A name read from group.txt that the rule refuses is listed but left alone, like the default group.
bool isProtected(const QString& name);

} // namespace GroupNames
