#pragma once

#include <QString>

class QWidget;

// How a record check reports its first failure.
enum class RecordCheckMode
{
    Plain,    // the message alone
    Numbered, // "您所导入的文件中第%d条，" before the message
    Silent    // no message; the record is simply refused
};

// Shows the first failure of one check in the chosen mode.
class CheckReporter
{
public:
    CheckReporter(QWidget* parent, RecordCheckMode mode, int lineNumber)
        : m_parent(parent), m_mode(mode), m_line(lineNumber)
    {
    }
    // Shows the message (unless silent) and returns false, so checks can `return r.fail(...)`.
    bool fail(const QString& message) const;

    // A text field that goes to a file whose fields are separated by one of delimiters, and that
    // is stored in GBK: refuses the delimiters and characters GBK cannot hold.
    bool fieldSafe(const QString& value, const QString& label, const QString& delimiters) const;

    // An amount: emptyMessage when empty, "金额格式错误" when it is not a payable amount,
    // "转账金额不能为0" for zero. On success the amount is replaced by its stored form (7.50).
    bool amount(QString* amount, const QString& emptyMessage) const;

private:
    QWidget* m_parent;
    RecordCheckMode m_mode;
    int m_line;
};
