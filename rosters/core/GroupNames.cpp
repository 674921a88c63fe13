#include "rosters/core/GroupNames.h"

#include "common/core/CMyTool.h"
#include "common/core/FieldCheck.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace GroupNames {

namespace {

const QString kDuplicate = QStringLiteral("该组名称已存在");
// The name dialog's field is "新的组名称：".
const QString kLabel = QStringLiteral("新的组名称");

// Windows opens these as devices whatever extension follows them ("NUL.abc" is NUL).
bool isDeviceName(const QString& name)
{
    static const QStringList devices = [] {
        QStringList d{QStringLiteral("CON"),   QStringLiteral("PRN"),    QStringLiteral("AUX"),
                      QStringLiteral("NUL"),   QStringLiteral("CONIN$"), QStringLiteral("CONOUT$"),
                      QStringLiteral("CLOCK$")};
        for (const QString& port : {QStringLiteral("COM"), QStringLiteral("LPT")}) {
            for (const QString& digit :
                 {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                  QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"),
                  QStringLiteral("8"), QStringLiteral("9"), QStringLiteral("¹"), QStringLiteral("²"),
                  QStringLiteral("³")}) {
                d << port + digit;
            }
        }
        return d;
    }();
    QString base = name.section(QLatin1Char('.'), 0, 0);
    while (base.endsWith(QLatin1Char(' '))) {
        base.chop(1);
    }
    return devices.contains(base, Qt::CaseInsensitive);
}

// The program's own data files, which a group's roster may not replace.
bool isDataFileName(const QString& name)
{
    static const QStringList files{QStringLiteral("kuahangacc"), QStringLiteral("hangneiacc"),
                                   QStringLiteral("group"), QStringLiteral("BankNo")};
    return files.contains(name, Qt::CaseInsensitive);
}

// Whether the program folder takes a file of this name: its file system counts the limit in
// bytes of the names it stores (UTF-8 here, UTF-16 units on Windows).
bool fitsProgramFolder(const QString& fileName)
{
#ifdef Q_OS_WIN
    return fileName.size() <= 255;
#else
    const QString folder = QFileInfo(CMyTool::DataFilePath(fileName)).path();
    const long limit = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return QFile::encodeName(fileName).size() <= (limit > 0 ? limit : 255);
#endif
}

} // namespace

QString problemWith(const QString& name, const QStringList& otherNames)
{
    if (name.isEmpty()) {
        return QStringLiteral("请输入新组名");
    }
    // Path separators, drives and the rest of what a Windows file name cannot hold.
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    if (std::any_of(name.cbegin(), name.cend(), [](QChar c) { return forbidden.contains(c); })) {
        return QStringLiteral("组名称不能包含下列字符：\\ / : * ? \" < > |");
    }
    // Control characters and what GBK cannot hold, as every field check refuses them.
    const CheckReporter field(RecordCheckMode::Plain);
    if (!field.fieldSafe(name, kLabel, QString())) {
        return field.message();
    }
    // Windows drops a final dot or space from a file name, so "a." would name the file of "a";
    // "." and ".." name folders.
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' '))) {
        return kLabel + QStringLiteral("中含有无法保存的字符");
    }
    // A name whose roster could never be saved is better refused now than at every save.
    if (!fitsProgramFolder(name + QStringLiteral(".txt"))) {
        return kLabel + QStringLiteral("过长，无法保存");
    }
    if (isDeviceName(name) || isDataFileName(name) || otherNames.contains(name, Qt::CaseInsensitive)) {
        return kDuplicate;
    }
    return QString();
}

bool isProtected(const QString& name)
{
    return name == QStringLiteral("代发工资") || !problemWith(name).isEmpty();
}

} // namespace GroupNames
