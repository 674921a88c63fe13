#include "cli/Cli.h"

#include "common/core/Amount.h"
#include "common/core/CMyTool.h"
#include "common/core/Clock.h"
#include "common/core/SafeWrite.h"
#include "common/core/SpreadsheetReader.h"
#include "common/core/TextImportFile.h"
#include "lookup/core/BankCodeTable.h"
#include "payroll/core/PayrollLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTextStream>
#include <memory>
#include <optional>
#include <vector>

namespace {

const QString kUsage = QStringLiteral(
    "用法：\n"
    "  dxbk-cli check 文件... [--split] [--json]\n"
    "      按代发工资界面“导入文本”的规则逐行检查代发文件：每个问题一行（文件:行号: 提示），\n"
    "      然后是总笔数和总金额。一份代发至多200笔；--split 时超过200笔的文件也逐行查完。\n"
    "  dxbk-cli convert 输入文件 -o 输出文件 [--skip-invalid] [--split [--overwrite]] [--json]\n"
    "      把工作簿（.xlsx、.xls，“导入Excel”的格式）或导入格式的文本文件转成银行的代发文件，\n"
    "      与界面“导入”后“导出文本”所得逐字节相同。有行被拒绝或没有一行可导出时什么也不写；\n"
    "      输出文件不能是输入文件。\n"
    "      --skip-invalid  跳过被拒绝的行（逐一列出），其余照常写出\n"
    "      --split         超过200笔时分成多个文件（跨行代发-YYYYMMDD-1.txt、-2.txt……），\n"
    "                      每个文件至多200笔；输出文件为文件夹时用默认文件名。已有同名的\n"
    "                      一组文件时什么也不写\n"
    "      --overwrite     与 --split 同用：整组替换已有的同名文件（多出的旧文件随后删除）\n"
    "  dxbk-cli banks [--bankno 路径] 开户行或联行号 [--json]\n"
    "      按“联行号查询”的规则列出联行号：开户行名称的片段（可用一个“%”连接两段），\n"
    "      或完整的联行号；默认读取程序目录中的BankNo.txt。\n"
    "  --json  以JSON输出同样的结果\n"
    "  --help  显示本说明\n"
    "退出状态：0 全部有效（或找到）；1 有行被拒绝（或未找到）；2 用法错误，或文件无法读取、写入。\n");

const QString kUsageError = QStringLiteral("用法错误，请用 dxbk-cli --help 查看用法");

struct Problem
{
    int line;   // the line of the file, or the row of the sheet
    int number; // the line's number among the lines read, as the screen counts it (0: none)
    QString message;
};

// One input read as the payroll screen's import reads it.
struct Reading
{
    std::optional<QString> unreadable; // what keeps the input from being read at all
    QVector<PayrollLine> lines;        // the accepted lines, numbered from 1
    QList<Problem> problems;
    bool stopped = false; // the reading ended early: a format error, a cell not text, the limit

    QStringList amounts() const
    {
        QStringList out;
        for (const PayrollLine& l : lines) {
            out << l.amount;
        }
        return out;
    }
};

Reading readPayroll(const QString& path, bool limit)
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
            r.problems.append({item.location, 0, QStringLiteral("excel格式错误，请将单元格设置成文本格式")});
            r.stopped = true;
            break;
        }
        if (limit && r.lines.size() >= PayrollExport::MaxLines) {
            r.problems.append({item.location, 0, QStringLiteral("已超过代发工具上限200条!导入终止")});
            r.stopped = true;
            break;
        }
        ++read;
        if (item.type == PayrollSource::Item::FormatError) {
            r.problems.append({item.location, read, QStringLiteral("导入文件格式错误，导入失败！")});
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
    }
    return r;
}

QString totalsText(const QStringList& amounts)
{
    const Amount::Totals t = Amount::listTotals(amounts);
    return QStringLiteral("总笔数：%1  总金额：%2").arg(t.count, t.sum);
}

QJsonObject totalsJson(const QStringList& amounts)
{
    const Amount::Totals t = Amount::listTotals(amounts);
    return {{QStringLiteral("count"), t.count.toInt()}, {QStringLiteral("total"), t.sum}};
}

QJsonArray problemsJson(const QList<Problem>& problems)
{
    QJsonArray out;
    for (const Problem& p : problems) {
        QJsonObject o{{QStringLiteral("line"), p.line}, {QStringLiteral("message"), p.message}};
        if (p.number > 0) {
            o.insert(QStringLiteral("number"), p.number);
        }
        out.append(o);
    }
    return out;
}

void printProblems(QTextStream& out, const QString& file, const QList<Problem>& problems)
{
    for (const Problem& p : problems) {
        out << file << ':' << p.line << ": " << p.message << '\n';
    }
}

void printJson(QTextStream& out, const QJsonObject& o)
{
    out << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented));
}

struct Options
{
    bool json = false;
    bool skipInvalid = false;
    bool split = false;
    bool overwrite = false;
    QString output;
    QString bankNo;
    QStringList positional;
};

std::optional<Options> parse(const QStringList& args, const QStringList& allowed)
{
    Options o;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (!a.startsWith(QLatin1String("-")) || a == QLatin1String("-")) {
            o.positional << a;
            continue;
        }
        if (!allowed.contains(a)) {
            return std::nullopt;
        }
        if (a == QLatin1String("--json")) {
            o.json = true;
        } else if (a == QLatin1String("--skip-invalid")) {
            o.skipInvalid = true;
        } else if (a == QLatin1String("--split")) {
            o.split = true;
        } else if (a == QLatin1String("--overwrite")) {
            o.overwrite = true;
        } else if (a == QLatin1String("-o") || a == QLatin1String("--output") ||
                   a == QLatin1String("--bankno")) {
            if (i + 1 >= args.size()) {
                return std::nullopt;
            }
            (a == QLatin1String("--bankno") ? o.bankNo : o.output) = args.at(++i);
        }
    }
    return o;
}

int check(const Options& o, QTextStream& out, QTextStream& err)
{
    if (o.positional.isEmpty()) {
        err << kUsageError << '\n';
        return Cli::Failure;
    }
    int status = Cli::Valid;
    QJsonArray files;
    QStringList allAmounts;
    for (const QString& file : o.positional) {
        // With --split, a file longer than one order is checked whole, as convert --split reads it.
        const Reading r = readPayroll(file, !o.split);
        if (r.unreadable) {
            err << *r.unreadable << '\n';
            status = Cli::Failure;
            files.append(
                QJsonObject{{QStringLiteral("file"), file}, {QStringLiteral("error"), *r.unreadable}});
            continue;
        }
        if (!r.problems.isEmpty() && status == Cli::Valid) {
            status = Cli::Refused;
        }
        allAmounts += r.amounts();
        if (o.json) {
            QJsonObject f = totalsJson(r.amounts());
            f.insert(QStringLiteral("file"), file);
            f.insert(QStringLiteral("problems"), problemsJson(r.problems));
            files.append(f);
        } else {
            printProblems(out, file, r.problems);
            out << file << ": " << totalsText(r.amounts()) << '\n';
        }
    }
    if (o.json) {
        QJsonObject result = totalsJson(allAmounts);
        result.insert(QStringLiteral("files"), files);
        result.insert(QStringLiteral("valid"), status == Cli::Valid);
        printJson(out, result);
    } else if (o.positional.size() > 1) {
        out << QStringLiteral("合计：") << totalsText(allAmounts) << '\n';
    }
    return status;
}

// An output that names a folder: one that is there, or a name ending in a separator.
bool isFolder(const QString& output)
{
    return QFileInfo(output).isDir() || output.endsWith(QLatin1Char('/')) ||
           output.endsWith(QLatin1Char('\\'));
}

// The file an order is written to: OUTPUT itself, or the program's dated name inside it when
// it is a folder.
QString orderName(const QString& output)
{
    return isFolder(output) ? QDir(output).filePath(PayrollExport::defaultFileName()) : output;
}

// Split orders take "-1", "-2", ... before the extension of name.
QString partName(const QString& name, int part)
{
    const QFileInfo info(name);
    const QString suffix = info.suffix();
    const QString stem = suffix.isEmpty() ? name : name.left(name.size() - suffix.size() - 1);
    return suffix.isEmpty() ? QStringLiteral("%1-%2").arg(stem).arg(part)
                            : QStringLiteral("%1-%2.%3").arg(stem).arg(part).arg(suffix);
}

// The files of name's series already there: name itself and its numbered parts.
QStringList seriesOf(const QString& name)
{
    const QFileInfo info(name);
    const QString suffix = info.suffix();
    const QString stem = suffix.isEmpty() ? info.fileName() : info.completeBaseName();
    const QRegularExpression part(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(stem) + QStringLiteral("(-[0-9]+)?") +
        (suffix.isEmpty() ? QString() : QRegularExpression::escape(QLatin1Char('.') + suffix))));
    QStringList out;
    const QDir folder = info.dir();
    for (const QString& file : folder.entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name)) {
        if (part.match(file).hasMatch()) {
            out << folder.filePath(file);
        }
    }
    return out;
}

// The same file, however it is spelled: a relative path, an absolute one, a link.
bool sameFile(const QString& a, const QString& b)
{
    const QString target = QFileInfo(b).canonicalFilePath();
    return !target.isEmpty() && QFileInfo(a).canonicalFilePath() == target;
}

int convert(const Options& o, QTextStream& out, QTextStream& err)
{
    if (o.positional.size() != 1 || o.output.isEmpty()) {
        err << kUsageError << '\n';
        return Cli::Failure;
    }
    const QString input = o.positional.first();
    Reading r = readPayroll(input, !o.split);
    if (r.unreadable) {
        err << *r.unreadable << '\n';
        return Cli::Failure;
    }
    // A reading that ended early leaves lines unread: the order would not be the file's.
    bool writes = !r.stopped && (r.problems.isEmpty() || o.skipInvalid);
    QJsonObject result;
    QJsonArray outputs;
    int status = r.problems.isEmpty() ? Cli::Valid : Cli::Refused;
    if (!o.json) {
        printProblems(out, input, r.problems);
        if (!writes && !r.problems.isEmpty()) {
            out << QStringLiteral("有%1条信息未通过检查，未写出文件").arg(r.problems.size()) << '\n';
        } else if (!r.problems.isEmpty()) {
            out << QStringLiteral("已跳过%1条信息").arg(r.problems.size()) << '\n';
        }
    }
    // An order without a line is nothing the bank could pay; the screen never exports one either.
    if (writes && r.lines.isEmpty()) {
        if (!o.json) {
            out << QStringLiteral("没有可导出的代发信息，未写出文件") << '\n';
        }
        writes = false;
        status = Cli::Refused;
    }
    if (writes) {
        QVector<QVector<PayrollLine>> orders;
        if (o.split && r.lines.size() > PayrollExport::MaxLines) {
            for (int start = 0; start < r.lines.size(); start += PayrollExport::MaxLines) {
                QVector<PayrollLine> part = r.lines.mid(start, PayrollExport::MaxLines);
                for (int i = 0; i < part.size(); ++i) {
                    part[i].seq = QString::number(i + 1); // every order is numbered from 1
                }
                orders.append(part);
            }
        } else {
            orders.append(r.lines);
        }
        const QString name = orderName(o.output);
        QStringList names;
        for (int k = 1; k <= orders.size(); ++k) {
            names << (orders.size() > 1 ? partName(name, k) : name);
        }
        for (const QString& n : std::as_const(names)) {
            if (sameFile(input, n)) {
                err << QStringLiteral("输出文件不能是输入文件：%1").arg(n) << '\n';
                return Cli::Failure;
            }
        }
        // A folder that holds two runs' orders looks like one series and may be uploaded whole.
        const QStringList earlier = o.split ? seriesOf(name) : QStringList();
        if (!earlier.isEmpty() && !o.overwrite) {
            err << QStringLiteral("已有同名的代发文件，未写出文件（加 --overwrite 整组替换）：") << '\n';
            for (const QString& e : earlier) {
                err << e << '\n';
            }
            return Cli::Failure;
        }
        if (isFolder(o.output) && !QDir().mkpath(o.output)) {
            err << QStringLiteral("创建文件失败！") << ' ' << o.output << '\n';
            return Cli::Failure;
        }
        // Every order is written whole under a name of its own first; only then do they take
        // their names, so a failure leaves every file that was there as it was.
        std::vector<std::unique_ptr<SafeWrite::NewFile>> parts;
        QString failed;
        // A name that cannot take its order (a folder, a read-only file) is found before any
        // order has taken its name.
        for (const QString& n : std::as_const(names)) {
            if (failed.isEmpty() && !SafeWrite::canReplace(n)) {
                failed = n;
            }
        }
        for (int k = 0; k < orders.size() && failed.isEmpty(); ++k) {
            parts.push_back(std::make_unique<SafeWrite::NewFile>());
            SafeWrite::NewFile& part = *parts.back();
            if (!part.createFor(names.at(k)) || !part.write(PayrollExport::build(orders.at(k))) ||
                !part.finish()) {
                failed = names.at(k);
            }
        }
        // What each name held before, to be put back should a later order fail to take its name.
        QList<std::optional<QByteArray>> held;
        for (int k = 0; k < orders.size() && failed.isEmpty(); ++k) {
            QByteArray bytes;
            const SafeWrite::ReadResult r = SafeWrite::read(names.at(k), &bytes);
            if (r == SafeWrite::ReadResult::Unreadable) {
                failed = names.at(k);
            }
            held.append(r == SafeWrite::ReadResult::Read ? std::optional<QByteArray>(bytes) : std::nullopt);
        }
        int placed = 0;
        for (; placed < orders.size() && failed.isEmpty(); ++placed) {
            if (!parts.at(placed)->replace(names.at(placed))) {
                failed = names.at(placed);
                break;
            }
        }
        if (!failed.isEmpty()) {
            err << QStringLiteral("创建文件失败！") << ' ' << failed << '\n';
            // All orders or none: the ones already placed give their names back.
            for (int k = 0; k < placed; ++k) {
                const bool restored = held.at(k) ? SafeWrite::writeFile(names.at(k), *held.at(k))
                                                 : QFile::remove(names.at(k));
                if (!restored) {
                    err << QStringLiteral("恢复文件失败：%1").arg(names.at(k)) << '\n';
                }
            }
            status = Cli::Failure;
        } else {
            // The earlier series' parts beyond the new ones go only now that the new are in place.
            for (const QString& e : earlier) {
                if (!names.contains(e) && !QFile::remove(e)) {
                    err << QStringLiteral("删除文件失败：%1").arg(e) << '\n';
                    status = Cli::Failure;
                }
            }
            for (int k = 0; k < orders.size(); ++k) {
                QStringList amounts;
                for (const PayrollLine& l : orders.at(k)) {
                    amounts << l.amount;
                }
                QJsonObject f = totalsJson(amounts);
                f.insert(QStringLiteral("file"), names.at(k));
                outputs.append(f);
            }
        }
        if (!o.json) {
            for (const QJsonValue& f : std::as_const(outputs)) {
                const QJsonObject fo = f.toObject();
                out << fo.value(QStringLiteral("file")).toString()
                    << QStringLiteral(": 总笔数：%1  总金额：%2")
                           .arg(fo.value(QStringLiteral("count")).toInt())
                           .arg(fo.value(QStringLiteral("total")).toString())
                    << '\n';
            }
        }
    }
    if (o.json) {
        result = totalsJson(r.amounts());
        result.insert(QStringLiteral("input"), input);
        result.insert(QStringLiteral("problems"), problemsJson(r.problems));
        result.insert(QStringLiteral("skipped"), writes ? int(r.problems.size()) : 0);
        result.insert(QStringLiteral("outputs"), outputs);
        result.insert(QStringLiteral("valid"), status == Cli::Valid);
        printJson(out, result);
    }
    return status;
}

int banks(const Options& o, QTextStream& out, QTextStream& err)
{
    if (o.positional.size() != 1) {
        err << kUsageError << '\n';
        return Cli::Failure;
    }
    const QString path = o.bankNo.isEmpty() ? CMyTool::DataFilePath(QStringLiteral("BankNo.txt")) : o.bankNo;
    switch (BankCodeTable::loadFrom(path)) {
    case BankCodeTable::LoadStatus::CannotOpen:
        err << QStringLiteral("打开联行号文件失败，请将联行号文件放在工具可执行程序目录中") << '\n';
        return Cli::Failure;
    case BankCodeTable::LoadStatus::FormatError:
        // The entries before the faulty line are searched all the same, as on the screen.
        err << QStringLiteral("导入BankNo.txt文件错误，请更新文件！") << '\n';
        break;
    case BankCodeTable::LoadStatus::Loaded:
        break;
    }
    // A complete routing code is all digits; anything else is part of a bank's name.
    const QString criterion = o.positional.first();
    const bool code = !criterion.isEmpty() && CMyTool::IsAllDigits(criterion);
    const QVector<BankCodeTable::Entry> found =
        BankCodeTable::search(code ? QString() : criterion, code ? criterion : QString());
    if (o.json) {
        QJsonArray results;
        for (const BankCodeTable::Entry& e : found) {
            results.append(QJsonObject{{QStringLiteral("code"), e.code}, {QStringLiteral("name"), e.name}});
        }
        printJson(out, {{QStringLiteral("count"), int(found.size())}, {QStringLiteral("results"), results}});
    } else {
        for (const BankCodeTable::Entry& e : found) {
            out << e.code << "  " << e.name << '\n';
        }
    }
    return found.isEmpty() ? Cli::Refused : Cli::Valid;
}

} // namespace

namespace Cli {

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    if (arguments.isEmpty()) {
        err << kUsage;
        return Failure;
    }
    const QString command = arguments.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        out << kUsage;
        return Valid;
    }
    const QStringList rest = arguments.mid(1);
    if (rest.contains(QStringLiteral("--help"))) {
        out << kUsage;
        return Valid;
    }
    const QStringList common{QStringLiteral("--json")};
    std::optional<Options> o;
    int status = Failure;
    if (command == QLatin1String("check") &&
        (o = parse(rest, common + QStringList{QStringLiteral("--split")}))) {
        status = check(*o, out, err);
    } else if (command == QLatin1String("convert") &&
               (o = parse(rest, common + QStringList{QStringLiteral("-o"), QStringLiteral("--output"),
                                                     QStringLiteral("--skip-invalid"),
                                                     QStringLiteral("--split"),
                                                     QStringLiteral("--overwrite")}))) {
        status = convert(*o, out, err);
    } else if (command == QLatin1String("banks") &&
               (o = parse(rest, common + QStringList{QStringLiteral("--bankno")}))) {
        status = banks(*o, out, err);
    } else {
        err << kUsageError << '\n';
    }
    out.flush();
    err.flush();
    return status;
}

} // namespace Cli
