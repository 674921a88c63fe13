#pragma once

#include "rosters/RosterRecords.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

// Line layouts of the "|"-separated roster files.
namespace RosterFormat {

struct Layout
{
    int fields;      // fields taken from a line
    bool leadingBar; // the line begins with "|"
};
constexpr Layout Interbank{7, false}; // kuahangacc.txt
constexpr Layout InBank{3, true};     // hangneiacc.txt
constexpr Layout Payroll{5, true};    // 代发工资.txt and the group rosters

// The roster line reader: the next line without its line end. CR LF and a lone LF end a line;
// a lone CR stays in the line. Returns nullopt once the data is exhausted (an empty line is an
// empty QByteArray, which is not the end).
std::optional<QByteArray> nextLine(const QByteArray& data, qsizetype& pos);

// Splits one decoded line into layout.fields fields; fields the line does not reach are empty,
// text after the last field is ignored. nullopt: a format error (no leading "|" where one is
// required, or a field not closed by "|").
std::optional<QStringList> split(const QString& line, Layout layout);
// Decodes the line from GBK strictly and splits it; an undecodable line is a format error.
std::optional<QStringList> decodeAndSplit(const QByteArray& line, Layout layout);

// A record as a line of its file, CR LF included.
QByteArray lineOf(const InterbankAccount& a);
QByteArray lineOf(const InBankAccount& a);
QByteArray lineOf(const PayrollRosterEntry& e);

InterbankAccount interbankFrom(const QStringList& fields);
InBankAccount inBankFrom(const QStringList& fields);
PayrollRosterEntry payrollFrom(const QStringList& fields);

// Replace-or-append of one record by account: every line whose key equals key is replaced by
// newLine, every other line is carried over byte for byte; without a match newLine is appended
// (after a CR LF when the last line has none). A missing file is not created. A failed rewrite
// is reported with "文件保存失败：%s". Returns true when the file was rewritten.
bool rememberRecord(QWidget* parent, const QString& fileName, const QString& key, const QByteArray& newLine,
                    const std::function<std::optional<QString>(const QString& line)>& keyOf);

// Writes a whole data file safely; on failure shows "文件保存失败：%s" and returns false.
bool saveDataFile(QWidget* parent, const QString& path, const QByteArray& data);

} // namespace RosterFormat
