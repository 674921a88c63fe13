#include "update/core/BankCodeList.h"

#include "common/core/Gbk.h"

#include <optional>

namespace {

enum class LineKind
{
    Blank,
    CodeOnly, // a code without a name: loaded as nothing, but no damage
    Entry,
    Bad
};

LineKind kindOf(const QByteArray& bytes)
{
    QByteArray line = bytes;
    const qsizetype cr = line.indexOf('\r');
    if (cr >= 0) {
        line.truncate(cr);
    }
    if (line.isEmpty()) {
        return LineKind::Blank;
    }
    // Decoded whole before it is split: 0x7C is also the second byte of some GBK characters.
    const std::optional<QString> text = Gbk::decode(line);
    if (!text) {
        return LineKind::Bad;
    }
    const qsizetype bar = text->indexOf(QLatin1Char('|'));
    if (bar <= 0) {
        return LineKind::Bad;
    }
    for (qsizetype i = 0; i < bar; ++i) {
        const QChar c = text->at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return LineKind::Bad;
        }
    }
    const qsizetype nameEnd = text->indexOf(QLatin1Char('|'), bar + 1);
    return (nameEnd < 0 ? text->size() : nameEnd) > bar + 1 ? LineKind::Entry : LineKind::CodeOnly;
}

} // namespace

void BankCodeListCheck::takeLine(const QByteArray& line)
{
    if (line.size() > kLineLimit) {
        m_bad = true;
        return;
    }
    switch (kindOf(line)) {
    case LineKind::Blank:
    case LineKind::CodeOnly:
        break;
    case LineKind::Entry:
        ++m_entries;
        break;
    case LineKind::Bad:
        m_bad = true;
        break;
    }
}

void BankCodeListCheck::add(const QByteArray& bytes)
{
    m_size += bytes.size();
    if (m_bad) {
        return;
    }
    qsizetype start = 0;
    for (;;) {
        const qsizetype lf = bytes.indexOf('\n', start);
        if (lf < 0) {
            break;
        }
        if (m_partial.isEmpty()) {
            takeLine(bytes.mid(start, lf - start));
        } else {
            m_partial += bytes.mid(start, lf - start);
            takeLine(m_partial);
            m_partial.clear();
        }
        if (m_bad) {
            return;
        }
        start = lf + 1;
    }
    m_partial += bytes.mid(start);
    if (m_partial.size() > kLineLimit) {
        m_bad = true;
        m_partial.clear();
    }
}

bool BankCodeListCheck::isList(qint64 contentLength) const
{
    if ((contentLength >= 0 && m_size != contentLength) || m_size > kSizeLimit) {
        return false;
    }
    if (m_partial.isEmpty()) {
        return !m_bad && m_entries > 0;
    }
    // Without an announced length, a body that stops inside a line may have been cut off.
    if (contentLength < 0) {
        return false;
    }
    BankCodeListCheck whole = *this;
    whole.takeLine(m_partial);
    return !whole.m_bad && whole.m_entries > 0;
}

bool IsBankCodeList(const QByteArray& body, qint64 contentLength)
{
    BankCodeListCheck check;
    check.add(body);
    return check.isList(contentLength);
}
