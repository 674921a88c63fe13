#include "common/FieldCheck.h"

#include "common/Amount.h"
#include "common/Dialogs.h"
#include "common/Gbk.h"

bool CheckReporter::fail(const QString& message) const
{
    switch (m_mode) {
    case RecordCheckMode::Plain:
        Msg::show(m_parent, message);
        break;
    case RecordCheckMode::Numbered:
        Msg::show(m_parent, QStringLiteral("您所导入的文件中第%1条，").arg(m_line) + message);
        break;
    case RecordCheckMode::Silent:
        break;
    }
    return false;
}

bool CheckReporter::fieldSafe(const QString& value, const QString& label, const QString& delimiters) const
{
    for (QChar d : delimiters) {
        if (value.contains(d)) {
            return fail(QStringLiteral("%1中不能含有字符“%2”").arg(label, d));
        }
    }
    if (!Gbk::canEncode(value)) {
        return fail(QStringLiteral("%1中含有无法保存的字符").arg(label));
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
