#include "payroll/core/PayrollLine.h"

#include "common/core/CMyTool.h"
#include "common/core/Clock.h"
#include "common/core/Gbk.h"
#include "common/core/SpreadsheetRows.h"
#include "lookup/core/BankCodeTable.h"
#include "rosters/core/RosterDocument.h"

#include <QFileInfo>
#include <algorithm>
#include <utility>

namespace PayrollCheck {

bool check(Entry& e, const CheckReporter& report)
{
    const QString exportDelims = QStringLiteral(",");
    const QString rosterDelims = QStringLiteral(",|");

    e.account = CMyTool::TidyField(e.account);
    if (e.account.isEmpty()) {
        return report.fail(QStringLiteral("请保证收款账号长度至少为10位"));
    }
    if (!CMyTool::IsAllDigits(e.account)) {
        return report.fail(QStringLiteral("收款账号请输入数字"));
    }
    if (e.account.size() < 10) {
        return report.fail(QStringLiteral("请保证收款账号长度至少为10位"));
    }
    if (!report.fits(e.account, QStringLiteral("收款账号"))) {
        return false;
    }

    e.name = CMyTool::TidyField(e.name);
    if (e.name.isEmpty()) {
        return report.fail(QStringLiteral("请输入户名"));
    }
    if (!report.fieldSafe(e.name, QStringLiteral("收款人名称"), rosterDelims)) {
        return false;
    }
    // The bank name is taken as typed (no line break can go to a file); it has no check of its own.
    e.bankName = CMyTool::RemoveNewlines(e.bankName);
    if (!report.fieldSafe(e.bankName, QStringLiteral("开户行"), rosterDelims)) {
        return false;
    }

    e.amount = CMyTool::TidyField(e.amount);
    if (!report.amount(&e.amount, QStringLiteral("请输入转账金额"))) {
        return false;
    }

    e.routingCode = CMyTool::TidyField(e.routingCode);
    if (e.routingCode.isEmpty()) {
        return report.fail(QStringLiteral("请输入行号"));
    }
    if (!report.fieldSafe(e.routingCode, QStringLiteral("联行号"), rosterDelims)) {
        return false;
    }

    e.purpose = CMyTool::TidyField(e.purpose);
    return report.fieldSafe(e.purpose, QStringLiteral("付款用途"), exportDelims);
}

} // namespace PayrollCheck

namespace PayrollExport {

QString header()
{
    return ImportLayout::payrollText().textColumns(u',');
}

QByteArray build(const QVector<PayrollLine>& lines)
{
    QString text = header() + QStringLiteral("\r\n");
    for (int i = 0; i < lines.size(); ++i) {
        const PayrollLine& l = lines.at(i);
        const QStringList fields{l.seq,     QString(), l.routingCode, l.account, l.name,   l.amount,
                                 QString(), l.purpose, QString(),     QString(), QString()};
        QStringList clean;
        for (const QString& f : fields) {
            clean << CMyTool::RemoveNewlines(f);
        }
        if (i > 0) {
            text += QStringLiteral("\r\n");
        }
        text += clean.join(QLatin1Char(','));
    }
    return Gbk::encode(text);
}

QString defaultFileName()
{
    return QStringLiteral("跨行代发") + Clock::today().toString(QStringLiteral("-yyyyMMdd")) +
           QStringLiteral(".txt");
}

} // namespace PayrollExport

namespace PayrollImport {

namespace {
bool digitsOnly(const QString& text, qsizetype min, qsizetype max)
{
    return text.size() >= min && text.size() <= max && CMyTool::IsAllDigits(text);
}

// "500.00", "500": what follows the thousands separator of an amount.
bool looksLikeThousandsTail(const QString& text)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? text : text.left(point);
    return digitsOnly(whole, 3, 3) && (point < 0 || CMyTool::IsAllDigits(text.mid(point + 1)));
}

// 20201231, 2020-12-31, 2020/12/31, 2020.12.31: a date, and not the tail of a purpose.
bool looksLikeDate(const QString& text)
{
    if (text.isEmpty() || !text.at(0).isDigit()) {
        return false;
    }
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') ||
               c == QLatin1Char('/') || c == QLatin1Char('.');
    });
}
} // namespace

std::optional<Fields> parse(QString line, QString* why)
{
    auto fail = [why](const QString& text) -> std::optional<Fields> {
        if (why) {
            *why = text;
        }
        return std::nullopt;
    };
    while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r'))) {
        line.chop(1);
    }
    const QStringList f = line.split(QLatin1Char(','));
    const qsizetype commas = f.size() - 1;
    if (CMyTool::TrimSpaces(line).isEmpty()) {
        return fail(QStringLiteral("该行是空行"));
    }
    if (commas < 9) {
        return fail(QStringLiteral("该行有%1个逗号，少于格式的10个").arg(commas));
    }
    if (commas > 10) {
        return fail(QStringLiteral("该行有%1个逗号，多于格式的10个（户名或用途中有逗号？）").arg(commas));
    }
    const QString& amount = f.at(5);
    const QString address = CMyTool::TrimSpaces(f.at(6));
    const QString date = CMyTool::TrimSpaces(f.at(8));
    // A comma inside the amount leaves its rest in 收款人地址: "1,500.00" (thousands) or
    // "1500,50" (a decimal comma).
    const QString whole = CMyTool::TrimSpaces(amount);
    if ((digitsOnly(whole, 1, 3) && looksLikeThousandsTail(address)) ||
        (digitsOnly(whole, 1, 13) && digitsOnly(address, 1, 2))) {
        return fail(QStringLiteral("金额中有逗号（千位分隔或小数逗号），请去掉逗号"));
    }
    // A comma in the purpose pushes its tail into 日期: the export leaves 日期 empty, a file made
    // elsewhere may hold a date there, in either layout, never anything else.
    if (!date.isEmpty() && !looksLikeDate(date)) {
        return fail(QStringLiteral("日期一栏不是日期（户名或用途中有逗号？）"));
    }
    return Fields{f.at(2), f.at(3), f.at(4), amount, f.at(7)};
}

bool looksLikeData(const QString& line)
{
    return !ImportLayout::payrollText().isHeader(line.split(QLatin1Char(',')));
}

} // namespace PayrollImport

PayrollSource::PayrollSource(TextImportFile& file) : m_file(&file) {}

PayrollSource::PayrollSource(const SpreadsheetReader& workbook)
{
    const SpreadsheetRange used = workbook.usedRange();
    int firstRow = used.firstRow;
    // The bank's template carries its marker in A1 and its lines from row 13 on.
    if (workbook.cell(1, 1).text().startsWith(QStringLiteral("JIAMBZ"))) {
        m_tooShort = used.isEmpty() || used.lastRow() < 13;
        firstRow = m_tooShort ? used.lastRow() + 1 : 13;
    }
    m_rows.emplace(workbook, ImportLayout::payrollWorkbook(), firstRow);
}

int PayrollSource::remaining() const
{
    return m_file ? m_file->linesLeft() : m_rows->left();
}

PayrollSource::Item PayrollSource::next()
{
    if (m_file) {
        for (;;) {
            const TextImportFile::Line line = m_file->next();
            if (line.end) {
                return {Item::End, m_location, {}};
            }
            const bool first = ++m_location == 1;
            if (line.passedOver()) {
                return {Item::Refused, m_location, {}, line.problem};
            }
            if (!line.text) {
                return {Item::FormatError,
                        m_location,
                        {},
                        line.problem,
                        QStringLiteral("该行不是GBK或UTF-8文本")};
            }
            if (first && !PayrollImport::looksLikeData(*line.text)) {
                continue; // the header
            }
            QString why;
            const std::optional<PayrollImport::Fields> f = PayrollImport::parse(*line.text, &why);
            if (!f) {
                return {Item::FormatError, m_location, {}, line.problem, why};
            }
            // The file carries no bank name.
            return {Item::Line,
                    m_location,
                    {f->account, f->name, QString(), f->routingCode, f->amount, f->purpose}};
        }
    }
    const std::optional<std::pair<int, SpreadsheetRows::Row>> cells =
        m_stopped ? std::nullopt : m_rows->next();
    if (!cells) {
        return {Item::End, m_location, {}};
    }
    const auto& [row, read] = *cells;
    m_location = row;
    if (!read.refusal.isEmpty()) {
        m_stopped = true;
        return {Item::NotText, row, {}, TextImportFile::Problem::None, read.refusal};
    }
    const QStringList& t = read.texts;
    return {Item::Line, row, {t.at(0), t.at(1), t.at(2), t.at(3), t.at(4), t.at(5)}};
}

namespace PayrollFile {

QStringList Reading::amounts() const
{
    QStringList out;
    for (const PayrollLine& l : lines) {
        out << l.amount;
    }
    return out;
}

Reading read(const QString& path, bool limit)
{
    Reading r;
    SpreadsheetReader workbook;
    TextImportFile text;
    std::optional<PayrollSource> source;
    // A workbook is known by its content; anything else is a text file in the import layout.
    if (workbook.open(path)) {
        source.emplace(workbook);
        if (source->templateTooShort()) {
            r.unreadable = QStringLiteral("文件格式错误，导入失败");
            return r;
        }
    } else if (workbook.error() == SpreadsheetError::NotSpreadsheet) {
        if (!text.load(path)) {
            r.unreadable = QStringLiteral("文件读取失败：%1").arg(QFileInfo(path).fileName());
            return r;
        }
        source.emplace(text);
    } else if (workbook.error() == SpreadsheetError::CannotOpen) {
        r.unreadable = QStringLiteral("文件读取失败：%1").arg(QFileInfo(path).fileName());
        return r;
    } else {
        r.unreadable = QStringLiteral("文件格式错误，导入失败");
        return r;
    }

    int read = 0;
    for (;;) {
        const PayrollSource::Item item = source->next();
        if (item.type == PayrollSource::Item::End) {
            break;
        }
        if (item.type == PayrollSource::Item::NotText) {
            r.problems.append(
                {item.location, 0, QStringLiteral("excel格式错误，请将单元格设置成文本格式 ") + item.detail});
            r.stopped = true;
            break;
        }
        if (limit && r.lines.size() >= PayrollExport::MaxLines) {
            r.problems.append({item.location, 0,
                               QStringLiteral("已超过代发工具上限200条!导入终止 文件中还有%1条未读入，"
                                              "可用 convert --split 分成每份200条以内")
                                   .arg(1 + source->remaining())});
            r.stopped = true;
            break;
        }
        ++read;
        if (item.type == PayrollSource::Item::FormatError) {
            r.problems.append(
                {item.location, read, QStringLiteral("导入文件格式错误，导入失败！ ") + item.detail});
            r.stopped = true;
            break;
        }
        if (item.type == PayrollSource::Item::Refused) {
            r.problems.append({item.location, read, TextImportFile::refusal(item.problem, read)});
            continue;
        }
        PayrollCheck::Entry e = item.entry;
        const CheckReporter report(RecordCheckMode::Numbered, read);
        if (!PayrollCheck::check(e, report)) {
            r.problems.append({item.location, read, report.message()});
            continue;
        }
        const QString seq = QString::number(r.lines.size() + 1);
        r.lines.append({seq, e.account, e.name, e.bankName, e.routingCode, e.amount, e.purpose});
        r.locations.append(item.location);
    }
    return r;
}

} // namespace PayrollFile

namespace PayrollReview {

QVector<OrderReview::Line> linesOf(const QVector<PayrollLine>& lines, const QVector<int>& numbers)
{
    QVector<OrderReview::Line> out;
    for (int i = 0; i < lines.size(); ++i) {
        const PayrollLine& l = lines.at(i);
        const int number = i < numbers.size() ? numbers.at(i) : l.seq.toInt();
        out.append({number, l.account, l.name, l.bankName, l.routingCode, l.amount});
    }
    return out;
}

OrderReview::Knowledge knowledge(const QVector<OrderReview::Line>& order, bool codeList)
{
    OrderReview::Knowledge k;
    k.routingCodes = true;
    if (codeList) {
        k.bankNameOf = [](const QString& code) { return BankCodeTable::nameOf(code); };
    }
    k.rosterFile = QStringLiteral("kuahangacc.txt");
    k.rosterNames = RosterDocument::namesByAccount(RosterDocument::Kind::Interbank, k.rosterFile,
                                                   OrderReview::accountsOf(order));
    return k;
}

std::optional<QString> readPrevious(const QString& path, OrderReview::Previous* previous)
{
    const PayrollFile::Reading r = PayrollFile::read(path, false);
    if (r.unreadable) {
        return r.unreadable;
    }
    previous->lines = linesOf(r.lines, r.locations);
    previous->unread = int(r.problems.size());
    return std::nullopt;
}

} // namespace PayrollReview
