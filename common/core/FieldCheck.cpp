#include "common/core/FieldCheck.h"

#include "common/core/Amount.h"
#include "common/core/CMyTool.h"
#include "common/core/Gbk.h"

#include <algorithm>

bool CheckReporter::fail(const QString& message) const
{
    if (!m_failed) {
        m_failed = true;
        m_failure = message;
    }
    return false;
}

QString CheckReporter::message() const
{
    switch (m_mode) {
    case RecordCheckMode::Plain:
        return m_failure;
    case RecordCheckMode::Numbered:
        return m_failed ? QStringLiteral("您所导入的文件中第%1条，").arg(m_line) + m_failure : QString();
    case RecordCheckMode::Silent:
        break;
    }
    return QString();
}

bool CheckReporter::fieldSafe(const QString& value, const QString& label, const QString& delimiters) const
{
    for (QChar d : delimiters) {
        if (value.contains(d)) {
            return fail(QStringLiteral("%1中不能含有字符“%2”").arg(label, d));
        }
    }
    // Control characters (a tab among them) would reach the bank's parser as they are.
    const bool control = std::any_of(value.cbegin(), value.cend(),
                                     [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
    if (control || !Gbk::canEncode(value)) {
        return fail(QStringLiteral("%1中含有无法保存的字符").arg(label));
    }
    return fits(value, label);
}

bool CheckReporter::fits(const QString& value, const QString& label) const
{
    // Every character takes a byte at least: a long text is refused before it is converted.
    if (value.size() > CMyTool::MaxFieldBytes || Gbk::encode(value).size() > CMyTool::MaxFieldBytes) {
        return fail(QStringLiteral("%1过长，不能超过%2字节").arg(label).arg(CMyTool::MaxFieldBytes));
    }
    return true;
}

bool CheckReporter::amount(QString* amount, const QString& emptyMessage) const
{
    QString canonical;
    switch (Amount::check(*amount, &canonical)) {
    case Amount::Problem::Empty:
        return fail(emptyMessage);
    case Amount::Problem::Format:
        return fail(QStringLiteral("金额格式错误"));
    case Amount::Problem::Zero:
        return fail(QStringLiteral("转账金额不能为0"));
    case Amount::Problem::None:
        break;
    }
    *amount = canonical;
    return true;
}
