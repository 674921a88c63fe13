#include "common/core/ImportLayout.h"

#include "common/core/Amount.h"
#include "common/core/CMyTool.h"
#include "common/core/SpreadsheetWriter.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace {
using Kind = ImportColumn::Kind;

ImportLayout layout(QVector<ImportColumn> columns)
{
    ImportLayout l;
    l.columns = std::move(columns);
    for (int i = 0; i < l.columns.size(); ++i) {
        if (l.columns.at(i).kind == Kind::Amount) {
            l.amountColumn = i;
        }
    }
    for (int i = int(l.columns.size()) - 1; i >= 0; --i) {
        if (l.columns.at(i).kind == Kind::Digits) {
            l.accountColumn = i; // the first digits column is the account
        }
    }
    return l;
}
} // namespace

const ImportLayout& ImportLayout::payrollWorkbook()
{
    static const ImportLayout l = layout({{QStringLiteral("收款人账号"), Kind::Digits},
                                          {QStringLiteral("收款人名称"), Kind::Text},
                                          {QStringLiteral("开户行"), Kind::Text},
                                          {QStringLiteral("联行号"), Kind::Digits},
                                          {QStringLiteral("金额"), Kind::Amount},
                                          {QStringLiteral("付款用途"), Kind::Text}});
    return l;
}

const ImportLayout& ImportLayout::payrollText()
{
    static const ImportLayout l = [] {
        ImportLayout t = layout({{QStringLiteral("序号"), Kind::Text},
                                 {QStringLiteral("业务序号"), Kind::Text},
                                 {QStringLiteral("收款人行号"), Kind::Digits},
                                 {QStringLiteral("收款人账号"), Kind::Digits},
                                 {QStringLiteral("收款人姓名"), Kind::Text},
                                 {QStringLiteral("金额"), Kind::Amount},
                                 {QStringLiteral("收款人地址"), Kind::Text},
                                 {QStringLiteral("附言"), Kind::Text},
                                 {QStringLiteral("日期"), Kind::Text},
                                 {QStringLiteral("流水号"), Kind::Text},
                                 {QStringLiteral("接收行行号"), Kind::Text}});
        t.accountColumn = 3; // the routing code comes first in this layout
        return t;
    }();
    return l;
}

const ImportLayout& ImportLayout::batch()
{
    static const ImportLayout l = layout({{QStringLiteral("收款人账户"), Kind::Digits},
                                          {QStringLiteral("收款人名称"), Kind::Text},
                                          {QStringLiteral("金额"), Kind::Amount}});
    return l;
}

const ImportLayout& ImportLayout::roster()
{
    static const ImportLayout l = layout({{QStringLiteral("收款人账号"), Kind::Digits},
                                          {QStringLiteral("金额"), Kind::Amount},
                                          {QStringLiteral("收款人名称"), Kind::Text},
                                          {QStringLiteral("备注"), Kind::Text}});
    return l;
}

QStringList ImportLayout::captions() const
{
    QStringList out;
    for (const ImportColumn& c : columns) {
        out << c.caption;
    }
    return out;
}

QString ImportLayout::workbookColumns() const
{
    QStringList out;
    for (int i = 0; i < columns.size(); ++i) {
        out << QStringLiteral("%1 %2").arg(QChar(u'A' + i)).arg(columns.at(i).caption);
    }
    return out.join(QStringLiteral("  "));
}

QString ImportLayout::textColumns(QChar separator) const
{
    const QString joined = captions().join(separator);
    return separator == u'|' ? separator + joined + separator : joined;
}

QStringList ImportLayout::workbookNames()
{
    return {QStringLiteral("payroll"), QStringLiteral("batch"), QStringLiteral("roster")};
}

const ImportLayout* ImportLayout::workbook(const QString& name)
{
    if (name == QLatin1String("payroll")) {
        return &payrollWorkbook();
    }
    if (name == QLatin1String("batch")) {
        return &batch();
    }
    if (name == QLatin1String("roster")) {
        return &roster();
    }
    return nullptr;
}

QStringList ImportLayout::listing()
{
    return {
        QStringLiteral("payroll  跨行代发工资“导入Excel”，dxbk-cli convert：") +
            payrollWorkbook().workbookColumns(),
        QStringLiteral("         跨行代发工资“导入文本”，dxbk-cli check、convert：") +
            payrollText().textColumns(u','),
        QStringLiteral("batch    行内批量转账“导入Excel”：") + batch().workbookColumns(),
        QStringLiteral("         行内批量转账“导入文本”：") + batch().textColumns(u'|'),
        QStringLiteral("roster   代发账户名册“导入Excel”：") + roster().workbookColumns(),
    };
}

bool ImportLayout::writeTemplate(const QString& path, QString* error) const
{
    SpreadsheetWriter sheet(QStringLiteral("Sheet1"));
    for (int i = 0; i < columns.size(); ++i) {
        sheet.setText(1, i + 1, columns.at(i).caption);
    }
    return sheet.save(path, error);
}

bool ImportLayout::isHeader(const QStringList& fields) const
{
    // A digit anywhere in the account or the amount makes the row a payee, however mistyped
    // ("6222-0202-...", "￥8500"): it is checked and refused with its number, never skipped unseen.
    const auto anyDigit = [](const QString& text) {
        return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isDigit(); });
    };
    const QString account = CMyTool::TrimSpaces(fields.value(accountColumn));
    const QString amount = CMyTool::TrimSpaces(fields.value(amountColumn));
    QString canonical;
    return !anyDigit(account) && !anyDigit(amount) &&
           Amount::check(amount, &canonical) != Amount::Problem::None;
}

std::optional<QString> ImportLayout::cellText(const SpreadsheetCell& cell, Kind kind, QString* reason)
{
    if (cell.isEmpty() || cell.isText()) {
        return cell.text();
    }
    if (!cell.isNumber()) {
        *reason = QStringLiteral("单元格是日期、逻辑值、错误值或没有结果的公式，不是文本");
        return std::nullopt;
    }
    const double v = cell.number();
    if (kind == Kind::Text) {
        *reason = QStringLiteral("该列须为文本，单元格是数字%1").arg(QString::number(v, 'G', 15));
        return std::nullopt;
    }
    // What is paid must be what the sheet shows: no format that rounds, scales, hides or pads it.
    const SpreadsheetCell::Shape shape = cell.shape();
    const auto altered = [&](const QString& text) {
        *reason = QStringLiteral(
                      "单元格的数字格式显示的不是存储的数字%1（四舍五入、百分比、千位缩放、补零或隐藏），"
                      "请设置成文本或常规格式")
                      .arg(text);
        return std::nullopt;
    };
    if (kind == Kind::Amount) {
        const QString text = QString::number(v, 'f', QLocale::FloatingPointShortest);
        const qsizetype point = text.indexOf(QLatin1Char('.'));
        const qsizetype decimals = point < 0 ? 0 : text.size() - point - 1;
        if (shape.altered ||
            (shape.decimals != SpreadsheetCell::Shape::AsStored && decimals > shape.decimals)) {
            return altered(text);
        }
        return text;
    }
    if (v >= 0 && v < 1e15 && std::floor(v) == v) {
        const QString text = QString::number(v, 'f', 0);
        if (shape.altered || shape.zeros > text.size()) {
            return altered(text);
        }
        return text;
    }
    // As a spreadsheet program shows it: 6.22202E+18.
    const QString shown = QString::number(v, 'G', 6);
    *reason = v >= 1e15 ? QStringLiteral("数字%1超过15位，表格已丢失它的末尾几位").arg(shown)
                        : QStringLiteral("数字%1不是账号或行号").arg(shown);
    return std::nullopt;
}

QString ImportLayout::cellName(int row, int column)
{
    QString letters;
    for (int c = column; c > 0; c = (c - 1) / 26) {
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    }
    return QStringLiteral("第%1行%2列").arg(row).arg(letters);
}
