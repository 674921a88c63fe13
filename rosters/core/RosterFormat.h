#pragma once

#include "common/core/Gbk.h"
#include "rosters/core/RosterRecords.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

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

// The roster line reader: the next line without its line end (CR LF, a lone LF or a lone CR).
// Returns nullopt once the data is exhausted (an empty line is an empty QByteArray, which is not
// the end).
std::optional<QByteArray> nextLine(const QByteArray& data, qsizetype& pos);

// Splits one decoded line into layout.fields fields; fields the line does not reach are empty,
// text after the last field is ignored. nullopt: a format error (no leading "|" where one is
// required, or a field not closed by "|").
std::optional<QStringList> split(const QString& line, Layout layout);
// Decodes the line strictly (GBK, or UTF-8 for a roster saved as UTF-8 by an editor) and splits
// it; an undecodable line is a format error.
std::optional<QStringList> decodeAndSplit(const QByteArray& line, Layout layout,
                                          Gbk::FileEncoding encoding = Gbk::FileEncoding::Gbk);

// A record as a line of its file, CR LF included.
QByteArray lineOf(const InterbankAccount& a);
QByteArray lineOf(const InBankAccount& a);
QByteArray lineOf(const PayrollRosterEntry& e);

InterbankAccount interbankFrom(const QStringList& fields);
InBankAccount inBankFrom(const QStringList& fields);
PayrollRosterEntry payrollFrom(const QStringList& fields);

enum class RememberResult
{
    Missing, // the roster is not there; it is created by its book, not here
    Saved,
    Unreadable, // the roster is there but cannot be read: it is left alone
    Failed      // the rewrite failed; the file keeps its old bytes
};
// Replace-or-append of one record by account: every line whose key equals key is replaced by
// newLine, every other line is carried over byte for byte; without a match newLine is appended
// (after a CR LF when the last line has none). A missing file is not created. A roster that an
// editor saved as UTF-8 is written back in GBK whole (Failed when a line cannot be).
RememberResult rememberRecord(const QString& fileName, const QString& key, const QByteArray& newLine,
                              const std::function<std::optional<QString>(const QString& line)>& keyOf);

// "文件保存失败：%s" with the file's name: what the operator is told when a data file could not
// be written.
QString saveFailedMessage(const QString& path);
// "文件读取失败：%s": a data file that is there but cannot be read.
QString readFailedMessage(const QString& path);

} // namespace RosterFormat
