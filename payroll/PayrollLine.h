#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

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

namespace PayrollExport {

constexpr int MaxLines = 200;

QString header();
// The export file: header line, CR LF, data lines separated by CR LF, no line end after the last.
QByteArray build(const QVector<PayrollLine>& lines);
// "跨行代发-%Y%m%d.txt" for today.
QString defaultFileName();

} // namespace PayrollExport
