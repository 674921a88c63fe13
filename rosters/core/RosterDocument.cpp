#include "rosters/core/RosterDocument.h"

#include "common/core/CMyTool.h"
#include "common/core/Gbk.h"
#include "common/core/SafeWrite.h"
#include "common/core/TextImportFile.h"

#include <QSet>

RosterDocument::RosterDocument(Kind kind, const QString& fileName) : m_kind(kind), m_fileName(fileName) {}

RosterFormat::Layout RosterDocument::layoutOf(Kind kind)
{
    switch (kind) {
    case Kind::Interbank:
        return RosterFormat::Interbank;
    case Kind::InBank:
        return RosterFormat::InBank;
    case Kind::Payroll:
        break;
    }
    return RosterFormat::Payroll;
}

QString RosterDocument::formatMessage(Kind kind)
{
    switch (kind) {
    case Kind::Interbank:
        return QStringLiteral("导入跨行账户文件格式错误，kuahangacc.txt导入失败！");
    case Kind::InBank:
        return QStringLiteral("导入行内账户文件格式错误，hangneiacc.txt导入失败！");
    case Kind::Payroll:
        break;
    }
    return QStringLiteral("导入代发账户文件格式错误");
}

RosterDocument::Record RosterDocument::recordFromFields(Kind kind, const QStringList& f)
{
    switch (kind) {
    case Kind::Interbank:
        return {f.value(0), f.value(1), f.value(3), f.value(6)};
    case Kind::InBank:
        return {f.value(0), f.value(1)};
    case Kind::Payroll:
        break;
    }
    return {f.value(0), f.value(1), f.value(2), f.value(3)};
}

bool RosterDocument::check(Kind kind, Record& r, const CheckReporter& report)
{
    switch (kind) {
    case Kind::Interbank: {
        InterbankAccount a{r.value(0), r.value(1), r.value(2), r.value(3)};
        const bool ok = CheckInterbankAccount(a, report);
        r = {a.account, a.name, a.bankName, a.bankCode};
        return ok;
    }
    case Kind::InBank: {
        InBankAccount a{r.value(0), r.value(1)};
        const bool ok = CheckInBankAccount(a, report);
        r = {a.account, a.name};
        return ok;
    }
    case Kind::Payroll:
        break;
    }
    PayrollRosterEntry e{r.value(0), r.value(1), r.value(2), r.value(3)};
    const bool ok = CheckRosterEntry(e, report);
    r = {e.account, e.name, e.amount, e.remark};
    return ok;
}

QByteArray RosterDocument::lineOf(Kind kind, const Record& r)
{
    switch (kind) {
    case Kind::Interbank:
        return RosterFormat::lineOf(InterbankAccount{r.value(0), r.value(1), r.value(2), r.value(3)});
    case Kind::InBank:
        return RosterFormat::lineOf(InBankAccount{r.value(0), r.value(1)});
    case Kind::Payroll:
        break;
    }
    return RosterFormat::lineOf(PayrollRosterEntry{r.value(0), r.value(1), r.value(2), r.value(3)});
}

RosterDocument::LoadResult RosterDocument::load(RecordCheckMode mode, QStringList* messages)
{
    m_entries.clear();
    m_rows.clear();
    m_formatError = false;
    QByteArray data;
    switch (SafeWrite::read(path(), &data)) {
    case SafeWrite::ReadResult::Missing:
        return LoadResult::Missing;
    case SafeWrite::ReadResult::Unreadable:
        // Its records are unknown, not absent: nothing may be saved over them.
        if (messages) {
            messages->append(RosterFormat::readFailedMessage(path()));
        }
        m_formatError = true;
        return LoadResult::Unreadable;
    case SafeWrite::ReadResult::Read:
        break;
    }
    // A roster edited by hand may come back as UTF-8; it is read as such and saved as GBK again.
    const Gbk::FileEncoding encoding = Gbk::detect(data);
    qsizetype pos = Gbk::markLength(encoding);
    int lineNumber = 0;
    while (std::optional<QByteArray> line = RosterFormat::nextLine(data, pos)) {
        if (line->isEmpty()) {
            // A stray blank line must not hide the records after it; it stays where it is.
            m_entries.append({false, Record(), QByteArray()});
            continue;
        }
        ++lineNumber;
        // A line longer than the layout, or one in another encoding than the file's, is refused
        // like a record the check refuses, and kept as it is.
        if (const auto problem = TextImportFile::screen(*line, encoding);
            problem != TextImportFile::Problem::None) {
            if (messages && mode != RecordCheckMode::Silent) {
                messages->append(TextImportFile::refusal(problem, lineNumber));
            }
            m_entries.append({false, Record(), *line});
            continue;
        }
        const std::optional<QString> text = Gbk::decode(*line, encoding);
        // A roster saved as UTF-8 goes back as GBK: a line GBK cannot hold could not be kept.
        const bool holdable = text && (encoding == Gbk::FileEncoding::Gbk || Gbk::canEncode(*text));
        const std::optional<QStringList> fields =
            holdable ? RosterFormat::split(*text, layoutOf(m_kind)) : std::nullopt;
        if (!fields) {
            if (messages) {
                messages->append(formatMessage(m_kind));
            }
            m_formatError = true;
            break;
        }
        Record record = recordFromFields(m_kind, *fields);
        const CheckReporter report(mode, lineNumber);
        if (check(m_kind, record, report)) {
            m_entries.append({true, record, QByteArray()});
        } else {
            if (messages && !report.message().isEmpty()) {
                messages->append(report.message());
            }
            m_entries.append({false, Record(), Gbk::encode(*text)});
        }
    }
    reindex();
    return m_formatError ? LoadResult::FormatError : LoadResult::Loaded;
}

void RosterDocument::reindex()
{
    m_rows.clear();
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries.at(i).shown) {
            m_rows.append(i);
        }
    }
}

void RosterDocument::setRow(int r, const Record& record)
{
    m_entries[m_rows.at(r)].record = record;
}

void RosterDocument::appendRow(const Record& record)
{
    m_entries.append({true, record, QByteArray()});
    m_rows.append(int(m_entries.size()) - 1);
}

void RosterDocument::removeRow(int r)
{
    m_entries.removeAt(m_rows.at(r));
    reindex();
}

QByteArray RosterDocument::serialize() const
{
    QByteArray out;
    for (const Entry& e : m_entries) {
        out += e.shown ? lineOf(m_kind, e.record) : e.raw + "\r\n";
    }
    return out;
}

QHash<QString, QStringList> RosterDocument::namesByAccount(Kind kind, const QString& fileName,
                                                           const QStringList& accounts)
{
    QHash<QString, QStringList> out;
    QByteArray data;
    if (SafeWrite::read(CMyTool::DataFilePath(fileName), &data) != SafeWrite::ReadResult::Read) {
        return out;
    }
    const Gbk::FileEncoding encoding = Gbk::detect(data);
    // A roster of thousands is read for a few hundred accounts: only the lines that begin with one
    // of them are decoded and checked, each as the book checks it (a line the book would not show
    // names nobody). Lines after a faulty one count too; a reminder may know more than the book.
    QSet<QByteArray> wanted;
    for (const QString& a : accounts) {
        wanted.insert(encoding == Gbk::FileEncoding::Gbk ? Gbk::encode(a) : a.toUtf8());
    }
    const qsizetype start = kind == Kind::Interbank ? 0 : 1; // the other layouts open with "|"
    qsizetype pos = Gbk::markLength(encoding);
    while (const std::optional<QByteArray> line = RosterFormat::nextLine(data, pos)) {
        const qsizetype bar = line->indexOf('|', start);
        if (bar < 0 || (start == 1 && !line->startsWith('|')) ||
            !wanted.contains(line->mid(start, bar - start).trimmed()) ||
            TextImportFile::screen(*line, encoding) != TextImportFile::Problem::None) {
            continue;
        }
        const std::optional<QString> text = Gbk::decode(*line, encoding);
        const std::optional<QStringList> fields =
            text ? RosterFormat::split(*text, layoutOf(kind)) : std::nullopt;
        if (!fields) {
            continue;
        }
        Record rec = recordFromFields(kind, *fields);
        if (check(kind, rec, CheckReporter(RecordCheckMode::Silent)) &&
            !out.value(rec.value(0)).contains(rec.value(1))) {
            out[rec.value(0)].append(rec.value(1));
        }
    }
    return out;
}

QString RosterDocument::path() const
{
    return CMyTool::DataFilePath(m_fileName);
}

bool RosterDocument::save()
{
    if (m_formatError) {
        return false;
    }
    return SafeWrite::writeFile(path(), serialize());
}
