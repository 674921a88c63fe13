#include "cli/Cli.h"

#include "common/core/Amount.h"
#include "common/core/CMyTool.h"
#include "common/core/Clock.h"
#include "common/core/ImportLayout.h"
#include "common/core/OrderReview.h"
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
#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace {

const QString kUsage = QStringLiteral(
    "用法：\n"
    "  dxbk-cli check 文件... [--split] [核对选项] [--json]\n"
    "      按代发工资界面“导入文本”的规则逐行检查代发文件：每个问题一行（文件:行号: 提示），\n"
    "      然后是整份代发的提醒（文件:行号: 提醒：……），最后是总笔数和总金额。\n"
    "      一份代发至多200笔；--split 时超过200笔的文件也逐行查完。\n"
    "  dxbk-cli convert 输入文件 -o 输出文件 [--skip-invalid] [--split [--overwrite]] [核对选项]\n"
    "                   [--strict] [--json]\n"
    "      把工作簿（.xlsx、.xls，“导入Excel”的格式）或导入格式的文本文件转成银行的代发文件，\n"
    "      与界面“导入”后“导出文本”所得逐字节相同。有行被拒绝或没有一行可导出时什么也不写；\n"
    "      输出文件不能是输入文件。\n"
    "      --skip-invalid  跳过被拒绝的行（逐一列出），其余照常写出\n"
    "      --split         超过200笔时分成多个文件（跨行代发-YYYYMMDD-1.txt、-2.txt……），\n"
    "                      每个文件至多200笔；输出文件为文件夹时用默认文件名。已有同名的\n"
    "                      一组文件时什么也不写\n"
    "      --overwrite     与 --split 同用：整组替换已有的同名文件（多出的旧文件随后删除）\n"
    "      --strict        有提醒时也不写出文件\n"
    "  核对选项（整份代发的检查：重复的收款账号、联行号、银联卡号校验位、与kuahangacc.txt中的户名，\n"
    "  只查一个文件时还可以）：\n"
    "      --compare 上次的文件    与上次导出的代发文件比较：新增、缺少的收款人，账号、联行号的变化，\n"
    "                              金额的大幅变动\n"
    "      --max-change 百分比     金额变动超过此比例时提醒（默认30）\n"
    "      --expect-count 笔数     应有的总笔数\n"
    "      --expect-total 金额     应有的总金额\n"
    "      --bankno 路径           联行号文件（默认程序目录中的BankNo.txt）\n"
    "  dxbk-cli banks [--bankno 路径] 开户行或联行号 [--json]\n"
    "      按“联行号查询”的规则列出联行号：开户行名称的片段（可用一个“%”连接两段），\n"
    "      或完整的联行号；默认读取程序目录中的BankNo.txt。\n"
    "  dxbk-cli template payroll|batch|roster 文件.xlsx [--overwrite]\n"
    "      写出一个空的导入工作簿：第一行是表头，各列为文本格式，填好后照常导入。\n"
    "      已有同名文件时什么也不写（加 --overwrite 替换）。\n"
    "  --json  以JSON输出同样的结果\n"
    "  --help  显示本说明\n"
    "退出状态：0 全部有效（或找到），没有提醒；1 有行被拒绝（或未找到）；2 用法错误，或文件无法\n"
    "读取、写入；3 没有被拒绝的行，但有提醒（convert 仍写出文件，加 --strict 时不写）。\n");

// The usage, then every import layout as the core declares it.
QString usage()
{
    QString text =
        kUsage +
        QStringLiteral("导入的格式（各列的次序；第一行的账号和金额都不含数字时，它是表头，不读）：\n");
    for (const QString& line : ImportLayout::listing()) {
        text += QStringLiteral("  ") + line + QLatin1Char('\n');
    }
    return text;
}

const QString kUsageError = QStringLiteral("用法错误，请用 dxbk-cli --help 查看用法");

using PayrollFile::Problem;
using PayrollFile::Reading;

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

struct Options;

QString findingKind(OrderReview::Finding::Kind kind)
{
    using K = OrderReview::Finding::Kind;
    switch (kind) {
    case K::Count:
        return QStringLiteral("count");
    case K::Total:
        return QStringLiteral("total");
    case K::PreviousUnread:
        return QStringLiteral("previous-unread");
    case K::Duplicate:
        return QStringLiteral("duplicate-account");
    case K::RoutingCodeForm:
        return QStringLiteral("routing-code-form");
    case K::RoutingCodeUnknown:
        return QStringLiteral("routing-code-unknown");
    case K::BankNameDiffers:
        return QStringLiteral("bank-name-differs");
    case K::CardCheckDigit:
        return QStringLiteral("card-check-digit");
    case K::RosterName:
        return QStringLiteral("roster-name");
    case K::NewPayee:
        return QStringLiteral("new-payee");
    case K::AccountChanged:
        return QStringLiteral("account-changed");
    case K::NameChanged:
        return QStringLiteral("name-changed");
    case K::RoutingCodeChanged:
        return QStringLiteral("routing-code-changed");
    case K::AmountChanged:
        return QStringLiteral("amount-changed");
    case K::MissingPayee:
        return QStringLiteral("missing-payee");
    }
    return QString();
}

QJsonArray findingsJson(const QVector<OrderReview::Finding>& findings)
{
    QJsonArray out;
    for (const OrderReview::Finding& f : findings) {
        QJsonArray lines;
        for (int n : f.lines) {
            lines.append(n);
        }
        QJsonObject o{{QStringLiteral("kind"), findingKind(f.kind)},
                      {QStringLiteral("lines"), lines},
                      {QStringLiteral("message"), f.text}};
        if (f.previousLine > 0) {
            o.insert(QStringLiteral("previousLine"), f.previousLine);
        }
        out.append(o);
    }
    return out;
}

// A finding is told at the first line it concerns; one about last time's order alone at that
// order's line; a total at the file.
void printFindings(QTextStream& out, const QString& file, const QString& previousFile,
                   const QVector<OrderReview::Finding>& findings)
{
    for (const OrderReview::Finding& f : findings) {
        if (!f.lines.isEmpty()) {
            out << file << ':' << f.lines.first();
        } else if (f.previousLine > 0) {
            out << previousFile << ':' << f.previousLine;
        } else {
            out << file;
        }
        out << QStringLiteral(": 提醒：") << f.text << '\n';
    }
}

struct Options
{
    bool json = false;
    bool skipInvalid = false;
    bool split = false;
    bool overwrite = false;
    bool strict = false;
    QString output;
    QString bankNo;
    QString compare;
    std::optional<int> changePercent;
    OrderReview::Expected expected;
    QStringList positional;

    bool reviewsOneOrder() const { return !compare.isEmpty() || expected.count || expected.totalFen; }
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
        } else if (a == QLatin1String("--strict")) {
            o.strict = true;
        } else if (a == QLatin1String("--compare") || a == QLatin1String("--max-change") ||
                   a == QLatin1String("--expect-count") || a == QLatin1String("--expect-total")) {
            if (i + 1 >= args.size()) {
                return std::nullopt;
            }
            const QString value = args.at(++i);
            bool number = false;
            if (a == QLatin1String("--compare")) {
                o.compare = value;
            } else if (a == QLatin1String("--expect-total")) {
                QString canonical;
                if (Amount::check(value, &canonical) != Amount::Problem::None) {
                    return std::nullopt;
                }
                o.expected.totalFen = Amount::toFen(canonical);
            } else {
                const int n = value.toInt(&number);
                if (!number || n < 0 || (a == QLatin1String("--max-change") && n > 10000)) {
                    return std::nullopt;
                }
                (a == QLatin1String("--max-change") ? o.changePercent : o.expected.count) = n;
            }
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

// What every review of this run shares: the routing-code list and the previous order.
struct ReviewSetup
{
    bool codeList = false;
    std::optional<OrderReview::Previous> previous;
};

std::optional<ReviewSetup> prepareReview(const Options& o, QTextStream& err)
{
    ReviewSetup s;
    const QString path = o.bankNo.isEmpty() ? CMyTool::DataFilePath(QStringLiteral("BankNo.txt")) : o.bankNo;
    switch (BankCodeTable::loadFrom(path)) {
    case BankCodeTable::LoadStatus::CannotOpen:
        // Without the list the codes are checked for their form only; a list named and missing is
        // a mistake of the command.
        if (!o.bankNo.isEmpty()) {
            err << QStringLiteral("打开联行号文件失败，请将联行号文件放在工具可执行程序目录中") << '\n';
            return std::nullopt;
        }
        break;
    case BankCodeTable::LoadStatus::FormatError:
        // A list read only in part cannot tell a missing code.
        err << QStringLiteral("导入BankNo.txt文件错误，请更新文件！") << '\n';
        break;
    case BankCodeTable::LoadStatus::Loaded:
        s.codeList = true;
        break;
    }
    if (!o.compare.isEmpty()) {
        OrderReview::Previous p;
        p.changePercent = o.changePercent.value_or(OrderReview::DefaultChangePercent);
        if (const std::optional<QString> message = PayrollReview::readPrevious(o.compare, &p)) {
            err << *message << '\n';
            return std::nullopt;
        }
        s.previous = p;
    }
    return s;
}

QVector<OrderReview::Finding> reviewOf(const Reading& r, const Options& o, const ReviewSetup& s)
{
    const QVector<OrderReview::Line> order = PayrollReview::linesOf(r.lines, r.locations);
    return OrderReview::review(order, PayrollReview::knowledge(order, s.codeList), o.expected,
                               s.previous ? &*s.previous : nullptr);
}

int check(const Options& o, QTextStream& out, QTextStream& err)
{
    // A comparison and control totals belong to one order.
    if (o.positional.isEmpty() || (o.reviewsOneOrder() && o.positional.size() > 1)) {
        err << kUsageError << '\n';
        return Cli::Failure;
    }
    const std::optional<ReviewSetup> setup = prepareReview(o, err);
    if (!setup) {
        return Cli::Failure;
    }
    int status = Cli::Valid;
    bool findings = false;
    QJsonArray files;
    QStringList allAmounts;
    for (const QString& file : o.positional) {
        // With --split, a file longer than one order is checked whole, as convert --split reads it.
        const Reading r = PayrollFile::read(file, !o.split);
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
        const QVector<OrderReview::Finding> found = reviewOf(r, o, *setup);
        findings = findings || !found.isEmpty();
        allAmounts += r.amounts();
        if (o.json) {
            QJsonObject f = totalsJson(r.amounts());
            f.insert(QStringLiteral("file"), file);
            f.insert(QStringLiteral("problems"), problemsJson(r.problems));
            f.insert(QStringLiteral("findings"), findingsJson(found));
            files.append(f);
        } else {
            printProblems(out, file, r.problems);
            printFindings(out, file, o.compare, found);
            out << file << ": " << totalsText(r.amounts()) << '\n';
        }
    }
    if (status == Cli::Valid && findings) {
        status = Cli::Findings;
    }
    if (o.json) {
        QJsonObject result = totalsJson(allAmounts);
        result.insert(QStringLiteral("files"), files);
        result.insert(QStringLiteral("valid"), status == Cli::Valid || status == Cli::Findings);
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

// One name, however it is spelled ("out.txt", "./out.txt", "dir//out.txt").
QString spelledOut(const QString& path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// Why the orders may not take names (one line each, or empty when they may): the input among
// them or among the earlier series' files, two of them one file, or an earlier series that only
// --overwrite replaces. extra gets the earlier files that no new order replaces.
QString refusalOf(const QString& input, const QStringList& names, const QStringList& earlier, bool overwrite,
                  QStringList* extra)
{
    // The input is never written over, nor removed with the earlier series (an earlier file that
    // is a link goes as a link, and what it names stays).
    const auto goesAsALink = [&](const QString& n) {
        return !names.contains(n) && QFileInfo(n).isSymbolicLink();
    };
    for (const QString& n : names + earlier) {
        if (!goesAsALink(n) && SafeWrite::sameFile(input, n)) {
            return QStringLiteral("输出文件不能是输入文件：%1\n").arg(n);
        }
    }
    for (const QString& e : earlier) {
        if (std::none_of(names.begin(), names.end(),
                         [&](const QString& n) { return spelledOut(n) == spelledOut(e); })) {
            *extra << e;
        }
    }
    // Two names of the run that are one file (an order linked to another) would leave one order
    // where two were counted, or remove one just written.
    QStringList touched = names;
    for (const QString& e : std::as_const(*extra)) {
        if (!goesAsALink(e)) {
            touched << e;
        }
    }
    for (int a = 0; a < touched.size(); ++a) {
        for (int b = a + 1; b < touched.size(); ++b) {
            if (SafeWrite::sameFile(touched.at(a), touched.at(b))) {
                return QStringLiteral("输出文件中有两个是同一个文件：\n%1\n%2\n")
                    .arg(touched.at(a), touched.at(b));
            }
        }
    }
    // A folder that holds two runs' orders looks like one series and may be uploaded whole.
    if (!earlier.isEmpty() && !overwrite) {
        return QStringLiteral("已有同名的代发文件，未写出文件（加 --overwrite 整组替换）：\n") +
               earlier.join(QLatin1Char('\n')) + QLatin1Char('\n');
    }
    return QString();
}

// Writes each of bytes to its name of names, and removes the extra files, all or nothing: when
// anything fails, every file that was there keeps its bytes and its name, no new file stays and
// the folders made for output go again. What failed has been told on err.
bool putInPlace(const QString& output, const QStringList& names, const QVector<QByteArray>& bytes,
                const QStringList& extra, QTextStream& err)
{
    // The folders this run makes, deepest first.
    QStringList made;
    for (QString f = QDir::cleanPath(QFileInfo(output).absoluteFilePath());
         isFolder(output) && !QFileInfo::exists(f) && !QFileInfo(f).isSymbolicLink() && !QDir(f).isRoot();
         f = QFileInfo(f).path()) {
        made << f; // a drive that is not there ends it too: its root is its own folder
    }
    const auto removeMade = [&] {
        for (const QString& f : std::as_const(made)) {
            QDir().rmdir(f);
        }
    };
    if (isFolder(output) && !QDir().mkpath(output)) {
        err << QStringLiteral("创建文件失败！") << ' ' << output << '\n';
        removeMade();
        return false;
    }
    QString failed;
    // A name that cannot take its order (a folder, a read-only file) or an earlier file that may
    // not go is found before any order has taken its name. An earlier file that is a link goes as
    // a link: what it names stays untouched.
    for (const QString& n : names + extra) {
        if (failed.isEmpty() && !(extra.contains(n) && QFileInfo(n).isSymbolicLink()) &&
            !SafeWrite::canReplace(n)) {
            failed = n;
        }
    }
    // Every order is written whole under a name of its own first; only then do they take their
    // names.
    std::vector<std::unique_ptr<SafeWrite::NewFile>> parts;
    for (int k = 0; k < names.size() && failed.isEmpty(); ++k) {
        parts.push_back(std::make_unique<SafeWrite::NewFile>());
        SafeWrite::NewFile& part = *parts.back();
        if (!part.createFor(names.at(k)) || !part.write(bytes.at(k)) || !part.finish()) {
            failed = names.at(k);
        }
    }
    // What each name held before, to be put back should a later step fail.
    QList<std::optional<QByteArray>> held;
    for (int k = 0; k < names.size() && failed.isEmpty(); ++k) {
        QByteArray old;
        const SafeWrite::ReadResult r = SafeWrite::read(names.at(k), &old);
        if (r == SafeWrite::ReadResult::Unreadable) {
            failed = names.at(k);
        }
        held.append(r == SafeWrite::ReadResult::Read ? std::optional<QByteArray>(old) : std::nullopt);
    }
    int placed = 0;
    for (; placed < names.size() && failed.isEmpty(); ++placed) {
        if (!parts.at(placed)->replace(names.at(placed))) {
            failed = names.at(placed);
            break;
        }
    }
    // The extra files go only now that the orders are in place: each is first moved out of sight,
    // so that should one not go, all can still come back.
    QList<QPair<QString, QString>> setAside;
    for (int k = 0; k < extra.size() && failed.isEmpty(); ++k) {
        const QString aside = SafeWrite::moveAside(extra.at(k));
        if (aside.isEmpty()) {
            failed = extra.at(k);
            break;
        }
        setAside.append({extra.at(k), aside});
    }
    if (failed.isEmpty()) {
        // A name just given up can hardly fail to go; should one, it takes its own name back and
        // the clerk is told, the new orders being in place.
        bool removed = true;
        for (const auto& [e, aside] : std::as_const(setAside)) {
            if (!QFile::remove(aside)) {
                err << QStringLiteral("删除文件失败：%1").arg(e) << '\n';
                SafeWrite::moveFile(aside, e);
                removed = false;
            }
        }
        return removed;
    }
    // An earlier file that cannot go is told as such, any other failure as the order's.
    err << (extra.contains(failed) ? QStringLiteral("删除文件失败：") : QStringLiteral("创建文件失败！ "))
        << failed << '\n';
    for (const auto& [e, aside] : std::as_const(setAside)) {
        if (!SafeWrite::moveFile(aside, e)) {
            err << QStringLiteral("恢复文件失败：%1").arg(e) << '\n';
        }
    }
    // The orders placed give their names back, and so does the one that failed: its rename may
    // have been done when what failed was the sync after it.
    for (int k = 0; k < held.size() && k <= placed; ++k) {
        QByteArray now;
        const SafeWrite::ReadResult r = SafeWrite::read(names.at(k), &now);
        bool restored = true;
        if (held.at(k) && (r != SafeWrite::ReadResult::Read || now != *held.at(k))) {
            restored = SafeWrite::writeFile(names.at(k), *held.at(k));
        } else if (!held.at(k) && r != SafeWrite::ReadResult::Missing) {
            restored = QFile::remove(names.at(k));
        }
        if (!restored) {
            err << QStringLiteral("恢复文件失败：%1").arg(names.at(k)) << '\n';
        }
    }
    parts.clear(); // the temporary files go, so that the folders made for them can go too
    removeMade();
    return false;
}

int convert(const Options& o, QTextStream& out, QTextStream& err)
{
    if (o.positional.size() != 1 || o.output.isEmpty()) {
        err << kUsageError << '\n';
        return Cli::Failure;
    }
    const QString input = o.positional.first();
    const std::optional<ReviewSetup> setup = prepareReview(o, err);
    if (!setup) {
        return Cli::Failure;
    }
    Reading r = PayrollFile::read(input, !o.split);
    if (r.unreadable) {
        err << *r.unreadable << '\n';
        return Cli::Failure;
    }
    // The lines that would be written are reviewed, whole, however they are split.
    const QVector<OrderReview::Finding> found = reviewOf(r, o, *setup);
    // A reading that ended early leaves lines unread: the order would not be the file's.
    bool writes = !r.stopped && (r.problems.isEmpty() || o.skipInvalid);
    QJsonObject result;
    QJsonArray outputs;
    int status = !r.problems.isEmpty() ? Cli::Refused : found.isEmpty() ? Cli::Valid : Cli::Findings;
    if (!o.json) {
        printProblems(out, input, r.problems);
        printFindings(out, input, o.compare, found);
        if (!writes && !r.problems.isEmpty()) {
            out << QStringLiteral("有%1条信息未通过检查，未写出文件").arg(r.problems.size()) << '\n';
        } else if (!r.problems.isEmpty()) {
            out << QStringLiteral("已跳过%1条信息").arg(r.problems.size()) << '\n';
        }
    }
    if (writes && o.strict && !found.isEmpty()) {
        if (!o.json) {
            out << QStringLiteral("有%1条提醒，未写出文件").arg(found.size()) << '\n';
        }
        writes = false;
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
        QStringList extra;
        const QString refused =
            refusalOf(input, names, o.split ? seriesOf(name) : QStringList(), o.overwrite, &extra);
        QVector<QByteArray> bytes;
        for (const QVector<PayrollLine>& order : std::as_const(orders)) {
            bytes.append(PayrollExport::build(order));
        }
        if (!refused.isEmpty()) {
            err << refused;
            status = Cli::Failure;
        } else if (!putInPlace(o.output, names, bytes, extra, err)) {
            status = Cli::Failure;
        } else {
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
        result.insert(QStringLiteral("findings"), findingsJson(found));
        result.insert(QStringLiteral("skipped"), writes ? int(r.problems.size()) : 0);
        result.insert(QStringLiteral("outputs"), outputs);
        result.insert(QStringLiteral("valid"), status == Cli::Valid || status == Cli::Findings);
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

int writeTemplate(const Options& o, QTextStream& out, QTextStream& err)
{
    const QString path = o.positional.at(1);
    const QFileInfo target(path);
    // A link counts as there even when it leads nowhere.
    if ((target.exists() || target.isSymbolicLink()) && !o.overwrite) {
        err << QStringLiteral("已有同名文件，未写出（加 --overwrite 替换）：%1").arg(path) << '\n';
        return Cli::Failure;
    }
    QString error;
    if (!ImportLayout::workbook(o.positional.at(0))->writeTemplate(path, &error)) {
        err << QStringLiteral("创建文件失败！ %1").arg(path) << '\n';
        return Cli::Failure;
    }
    out << path << '\n';
    return Cli::Valid;
}

} // namespace

namespace Cli {

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    if (arguments.isEmpty()) {
        err << usage();
        return Failure;
    }
    const QString command = arguments.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        out << usage();
        return Valid;
    }
    const QStringList rest = arguments.mid(1);
    if (rest.contains(QStringLiteral("--help"))) {
        out << usage();
        return Valid;
    }
    const QStringList common{QStringLiteral("--json"),         QStringLiteral("--compare"),
                             QStringLiteral("--max-change"),   QStringLiteral("--expect-count"),
                             QStringLiteral("--expect-total"), QStringLiteral("--bankno")};
    std::optional<Options> o;
    int status = Failure;
    if (command == QLatin1String("check") &&
        (o = parse(rest, common + QStringList{QStringLiteral("--split")}))) {
        status = check(*o, out, err);
    } else if (command == QLatin1String("convert") &&
               (o = parse(rest,
                          common + QStringList{QStringLiteral("-o"), QStringLiteral("--output"),
                                               QStringLiteral("--skip-invalid"), QStringLiteral("--split"),
                                               QStringLiteral("--overwrite"), QStringLiteral("--strict")}))) {
        status = convert(*o, out, err);
    } else if (command == QLatin1String("template") && (o = parse(rest, {QStringLiteral("--overwrite")})) &&
               o->positional.size() == 2 && ImportLayout::workbook(o->positional.at(0))) {
        status = writeTemplate(*o, out, err);
    } else if (command == QLatin1String("banks") &&
               (o = parse(rest, {QStringLiteral("--json"), QStringLiteral("--bankno")}))) {
        status = banks(*o, out, err);
    } else {
        err << kUsageError << '\n';
    }
    out.flush();
    err.flush();
    return status;
}

} // namespace Cli
