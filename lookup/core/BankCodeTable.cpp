#include "lookup/core/BankCodeTable.h"

#include "common/core/CMyTool.h"
#include "lookup/core/GbkBulkDecoder.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

const QString kFileName = QStringLiteral("BankNo.txt");
const QString kOpenFailed = QStringLiteral("打开联行号文件失败，请将联行号文件放在工具可执行程序目录中");
const QString kFormatError = QStringLiteral("导入BankNo.txt文件错误，请更新文件！");

using Units = std::u16string_view; // compares UTF-16 units as unsigned numbers, one by one

// A code of at most 16 ASCII characters other than NUL is kept packed in two integers, one
// byte per character and padded with zero bytes: comparing the integers orders such codes as
// comparing their texts does (a prefix before its extensions), sorting needs no text access,
// and the text need not hold them. Any other code stays in the text before its name.
constexpr size_t kPackable = 16;
constexpr quint64 kNotPacked = ~quint64(0);

struct Slot
{
    quint64 keyHi; // kNotPacked: the code is in the text
    quint64 keyLo;
    qsizetype pos; // the code when not packed, then the name, in the text
    qsizetype codeLen;
    qsizetype nameLen;

    bool packed() const { return keyHi != kNotPacked; }
};

bool pack(Units code, quint64& hi, quint64& lo)
{
    if (code.size() > kPackable) {
        return false;
    }
    for (const char16_t c : code) {
        if (c == 0 || c > 0x7F) {
            return false;
        }
    }
    hi = 0;
    lo = 0;
    for (size_t i = 0; i < kPackable; ++i) {
        const quint64 c = i < code.size() ? code[i] : 0;
        if (i < 8) {
            hi = (hi << 8) | c;
        } else {
            lo = (lo << 8) | c;
        }
    }
    return true;
}

struct Table
{
    QString text;              // names, and the codes that are not packed, each entry closed by "|"
    std::vector<Slot> entries; // ordered by code, one per code
    bool whole = false;        // every line of the file was read
    bool messageAllowed = true;

    // The code's units; a packed code is spelt out into buffer.
    Units code(const Slot& s, char16_t (&buffer)[kPackable]) const
    {
        if (!s.packed()) {
            return Units(reinterpret_cast<const char16_t*>(text.constData()) + s.pos, size_t(s.codeLen));
        }
        for (qsizetype i = 0; i < s.codeLen; ++i) {
            buffer[i] = char16_t(((i < 8 ? s.keyHi : s.keyLo) >> (8 * (7 - i % 8))) & 0xFF);
        }
        return Units(buffer, size_t(s.codeLen));
    }
    QString code(const Slot& s) const
    {
        char16_t buffer[kPackable];
        const Units units = code(s, buffer);
        return QString(reinterpret_cast<const QChar*>(units.data()), qsizetype(units.size()));
    }
    QStringView name(const Slot& s) const
    {
        return QStringView(text.constData() + s.pos + (s.packed() ? 0 : s.codeLen), s.nameLen);
    }

    void clear()
    {
        text = QString();
        entries = std::vector<Slot>();
        whole = false;
    }
};

Table& table()
{
    static Table t;
    return t;
}

int compareCodes(const Table& t, const Slot& a, const Slot& b)
{
    if (a.packed() && b.packed()) {
        if (a.keyHi != b.keyHi) {
            return a.keyHi < b.keyHi ? -1 : 1;
        }
        return a.keyLo == b.keyLo ? 0 : (a.keyLo < b.keyLo ? -1 : 1);
    }
    char16_t bufferA[kPackable];
    char16_t bufferB[kPackable];
    return t.code(a, bufferA).compare(t.code(b, bufferB));
}

// Reads a file in blocks and hands out its lines (without the LF) as byte ranges, so that a large
// file never sits in memory as a whole.
class BlockLineReader
{
public:
    explicit BlockLineReader(QFile& file) : m_file(file), m_buffer(kBlock, Qt::Uninitialized) {}

    // The next line; the range stays valid until the following call.
    bool next(const char*& begin, const char*& end)
    {
        for (;;) {
            const char* base = m_buffer.constData();
            const void* lf = std::memchr(base + m_scan, '\n', size_t(m_end - m_scan));
            if (lf) {
                begin = base + m_pos;
                end = static_cast<const char*>(lf);
                m_pos = m_scan = end - base + 1;
                return true;
            }
            m_scan = m_end;
            if (m_eof) {
                if (m_pos == m_end) {
                    return false;
                }
                begin = base + m_pos;
                end = base + m_end;
                m_pos = m_end;
                return true;
            }
            refill();
        }
    }

private:
    static constexpr qsizetype kBlock = 1 << 20;

    void refill()
    {
        const qsizetype carried = m_end - m_pos;
        if (carried > 0 && m_pos > 0) {
            std::memmove(m_buffer.data(), m_buffer.constData() + m_pos, size_t(carried));
        }
        m_scan -= m_pos;
        m_pos = 0;
        m_end = carried;
        if (m_buffer.size() - m_end < kBlock) {
            m_buffer.resize(m_end + kBlock); // a line longer than a block
        }
        const qint64 n = m_file.read(m_buffer.data() + m_end, m_buffer.size() - m_end);
        if (n <= 0) {
            m_eof = true;
        } else {
            m_end += n;
        }
    }

    QFile& m_file;
    QByteArray m_buffer;
    qsizetype m_pos = 0;  // start of the next line
    qsizetype m_scan = 0; // bytes before this hold no LF of the next line
    qsizetype m_end = 0;  // end of the data in the buffer
    bool m_eof = false;
};

std::optional<QString> once(const QString& text)
{
    Table& t = table();
    if (!t.messageAllowed) {
        return std::nullopt;
    }
    t.messageAllowed = false;
    return text;
}

// Reads the lines of the file into t (text and entries in file order). Returns false on a line
// that is not valid GBK or has no "|"; the lines before it stay.
bool readLines(QFile& file, Table& t)
{
    const GbkBulkDecoder& decoder = GbkBulkDecoder::instance();
    // Decoding never gives more units than bytes, so the file size is room enough; only the
    // part used is ever touched.
    t.text.resize(qsizetype(qMax<qint64>(file.size(), 64)));
    char16_t* text = reinterpret_cast<char16_t*>(t.text.data());
    t.entries.reserve(size_t(file.size() / 48 + 16));
    qsizetype used = 0;

    BlockLineReader reader(file);
    const char* begin = nullptr;
    const char* end = nullptr;
    bool ok = true;
    while (reader.next(begin, end)) {
        if (const void* cr = std::memchr(begin, '\r', size_t(end - begin))) {
            end = static_cast<const char*>(cr); // a line ends at its first CR
        }
        if (begin == end) {
            continue; // blank lines carry nothing
        }
        if (t.text.size() - used < end - begin) {
            t.text.resize(qMax(t.text.size() * 2, used + (end - begin)));
            text = reinterpret_cast<char16_t*>(t.text.data());
        }
        const qsizetype n = decoder.decode(begin, end, text + used);
        if (n < 0) {
            ok = false;
            break;
        }
        const QStringView line(text + used, n);
        const qsizetype bar = line.indexOf(QLatin1Char('|'));
        if (bar < 0) {
            ok = false;
            break;
        }
        const QStringView rest = line.mid(bar + 1);
        if (rest.isEmpty()) {
            continue; // a code without a name is accepted and not stored
        }
        const qsizetype nameEnd = rest.indexOf(QLatin1Char('|'));
        const qsizetype nameLen = nameEnd < 0 ? rest.size() : nameEnd;
        Slot s{0, 0, used, bar, nameLen};
        char16_t* at = text + used;
        if (!pack(Units(at, size_t(bar)), s.keyHi, s.keyLo)) {
            s.keyHi = kNotPacked;
            at += bar; // the code stays, the name follows it
        }
        std::memmove(at, text + used + bar + 1, size_t(nameLen) * sizeof(char16_t));
        // A separator after every entry keeps positions distinct (names may be empty), so the
        // position tells the file order when duplicate codes are sorted.
        at[nameLen] = u'|';
        used = at - text + nameLen + 1;
        t.entries.push_back(s);
    }
    t.text.truncate(used);
    return ok;
}

// Orders the entries by code; of several lines with one code the last one read stays.
void order(Table& t)
{
    auto less = [&t](const Slot& a, const Slot& b) {
        const int c = compareCodes(t, a, b);
        return c < 0 || (c == 0 && a.pos < b.pos);
    };
    if (!std::is_sorted(t.entries.begin(), t.entries.end(), less)) {
        std::sort(t.entries.begin(), t.entries.end(), less);
    }
    size_t kept = 0;
    for (size_t i = 0; i < t.entries.size(); ++i) {
        if (i + 1 < t.entries.size() && compareCodes(t, t.entries[i], t.entries[i + 1]) == 0) {
            continue;
        }
        t.entries[kept++] = t.entries[i];
    }
    t.entries.resize(kept);
}

const Slot* find(const Table& t, const QString& code)
{
    const Units wanted(reinterpret_cast<const char16_t*>(code.constData()), size_t(code.size()));
    quint64 hi = 0;
    quint64 lo = 0;
    const bool packed = pack(wanted, hi, lo);
    auto compare = [&](const Slot& s) {
        if (packed && s.packed()) {
            return s.keyHi != hi ? (s.keyHi < hi ? -1 : 1) : (s.keyLo == lo ? 0 : (s.keyLo < lo ? -1 : 1));
        }
        char16_t buffer[kPackable];
        return t.code(s, buffer).compare(wanted);
    };
    const auto it = std::partition_point(t.entries.begin(), t.entries.end(),
                                         [&](const Slot& s) { return compare(s) < 0; });
    return it != t.entries.end() && compare(*it) == 0 ? &*it : nullptr;
}

} // namespace

BankCodeTable::LoadStatus BankCodeTable::loadFrom(const QString& path)
{
    Table& t = table();
    t.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return LoadStatus::CannotOpen;
    }
    const bool ok = readLines(file, t);
    file.close();
    order(t);
    t.whole = ok;
    return ok ? LoadStatus::Loaded : LoadStatus::FormatError;
}

std::optional<QString> BankCodeTable::load()
{
    if (!table().entries.empty()) {
        return std::nullopt;
    }
    switch (loadFrom(CMyTool::DataFilePath(kFileName))) {
    case LoadStatus::CannotOpen:
        return once(kOpenFailed);
    case LoadStatus::FormatError:
        return once(kFormatError);
    case LoadStatus::Loaded:
        break;
    }
    return std::nullopt;
}

bool BankCodeTable::loadWhole()
{
    Table& t = table();
    if (t.entries.empty()) {
        loadFrom(CMyTool::DataFilePath(kFileName));
    }
    if (!t.whole) {
        // A list read only in part is left for the lookup to read again and report.
        t.clear();
    }
    return t.whole;
}

std::optional<QString> BankCodeTable::reload()
{
    table().clear();
    return load();
}

QVector<BankCodeTable::Entry> BankCodeTable::search(const QString& nameText, const QString& codeText)
{
    QVector<Entry> out;
    forEachMatch(nameText, codeText, [&out](QString name, QString code) {
        out.append(Entry{std::move(name), std::move(code)});
    });
    return out;
}

void BankCodeTable::forEachMatch(const QString& nameText, const QString& codeText,
                                 const std::function<void(QString name, QString code)>& visit)
{
    // "中国银行%海安": both parts must occur, in either order. A "%" at the start is an ordinary
    // character, and so is every "%" after the first.
    QString n1 = nameText;
    QString n2;
    const qsizetype percent = nameText.indexOf(QLatin1Char('%'));
    if (percent > 0) {
        n1 = nameText.left(percent);
        n2 = nameText.mid(percent + 1);
    }
    if (n1.isEmpty() && n2.isEmpty() && codeText.isEmpty()) {
        return;
    }
    const Table& t = table();
    auto matches = [&](const Slot& s) {
        const QStringView name = t.name(s);
        return (n1.isEmpty() || name.contains(n1)) && (n2.isEmpty() || name.contains(n2));
    };
    if (!codeText.isEmpty()) {
        if (const Slot* s = find(t, codeText); s && matches(*s)) {
            visit(t.name(*s).toString(), t.code(*s));
        }
        return;
    }
    for (const Slot& s : t.entries) {
        if (matches(s)) {
            visit(t.name(s).toString(), t.code(s));
        }
    }
}

qsizetype BankCodeTable::size()
{
    return qsizetype(table().entries.size());
}

std::optional<QString> BankCodeTable::nameOf(const QString& code)
{
    const Table& t = table();
    if (const Slot* s = find(t, code)) {
        return t.name(*s).toString();
    }
    return std::nullopt;
}

void BankCodeTable::resetMessageFlagForTests()
{
    table().messageAllowed = true;
}
