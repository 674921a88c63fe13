#pragma once

#include "common/core/FieldCheck.h"
#include "common/core/TextImportFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// One line of the interbank payroll order; the list holds it as a row of seven texts.
struct PayrollLine
{
    QString seq;
    QString account;
    QString name;
    QString bankName;
    QString routingCode;
    QString amount;
    QString purpose;

    QStringList toRow() const { return {seq, account, name, bankName, routingCode, amount, purpose}; }
    static PayrollLine fromRow(const QStringList& r)
    {
        return {r.value(0), r.value(1), r.value(2), r.value(3), r.value(4), r.value(5), r.value(6)};
    }
};

// The checks a payroll line passes before it joins the order, typed or imported, in the order
// the payroll screen runs them. Each field is trimmed in place as its check runs (the bank name
// is taken as typed) and an accepted amount is completed; fields after the first failure are left
// as they were.
namespace PayrollCheck {

struct Entry
{
    QString account;
    QString name;
    QString bankName;
    QString routingCode;
    QString amount;
    QString purpose;
};
bool check(Entry& entry, const CheckReporter& report);

} // namespace PayrollCheck

namespace PayrollExport {

constexpr int MaxLines = 200;

QString header();
// The export file: header line, CR LF, data lines separated by CR LF, no line end after the last.
QByteArray build(const QVector<PayrollLine>& lines);
// "跨行代发-%Y%m%d.txt" for today.
QString defaultFileName();

} // namespace PayrollExport

namespace PayrollImport {

struct Fields
{
    QString routingCode;
    QString account;
    QString name;
    QString amount;
    QString purpose;
};

// One decoded line of an import file (line end included or not). Two layouts are read: the
// export's, with ten commas, and the older one of nine terminated fields whose rest is ignored.
// Fields 3, 4, 5, 6 and 8 are taken. nullopt, a format error, when the fields cannot be told
// apart for certain: fewer than nine or more than ten commas; ten commas with 日期 filled (the
// export leaves it empty, so a comma in the purpose of a nine-field line moved its tail there);
// an amount of one to three digits followed by a 收款人地址 that holds the rest of it ("1,500.00"
// read as 1 and 500.00). No line may come in with another amount or purpose than the file holds.
std::optional<Fields> parse(QString line);
// A first line whose account field holds digits (spaces aside) is a payment, not a header.
bool looksLikeData(const QString& line);

// The data lines of an import file, in order. The first line is the header and is skipped,
// unless it holds a payment; a first line that cannot be decoded is a data line in error.
class DataLines
{
public:
    explicit DataLines(TextImportFile& file) : m_file(file) {}
    struct Line
    {
        bool end;                     // the file has no more data lines
        std::optional<Fields> fields; // empty: not in the layout, the import ends in a format error
    };
    Line next();

private:
    TextImportFile& m_file;
    bool m_first = true;
};

} // namespace PayrollImport
