#pragma once

#include "common/core/FieldCheck.h"

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

// One decoded line of an import file in the export layout (line end included or not). Fields
// 3, 4, 5, 6 and 8 are taken; nullopt when the line has fewer than nine or more than ten commas
// (an amount typed as 1,500.00 must not pass as 1.00).
std::optional<Fields> parse(QString line);
// A first line whose account field holds digits is a payment, not a header.
bool looksLikeData(const QString& line);

} // namespace PayrollImport
