#pragma once

#include <QString>

// How a record check reports its first failure.
enum class RecordCheckMode
{
    Plain,    // the message alone
    Numbered, // "您所导入的文件中第%d条，" before the message
    Silent    // no message; the record is simply refused
};

// Collects the first failure of one check. The screens show message(); other callers (the
// command-line companion, tests) read it. Checks stop at the first failure, so only one is kept.
class CheckReporter
{
public:
    explicit CheckReporter(RecordCheckMode mode = RecordCheckMode::Plain, int lineNumber = 0)
        : m_mode(mode), m_line(lineNumber)
    {
    }
    // Records the failure and returns false, so checks can `return r.fail(...)`.
    bool fail(const QString& message) const;

    // A text field that goes to a file whose fields are separated by one of delimiters, and that
    // is stored in GBK: refuses the delimiters, control characters and characters GBK cannot
    // hold ("%s中含有无法保存的字符"), and text too long for the layouts (fits).
    bool fieldSafe(const QString& value, const QString& label, const QString& delimiters) const;
    // A field of at most CMyTool::MaxFieldBytes bytes of GBK ("%s过长，不能超过256字节").
    bool fits(const QString& value, const QString& label) const;

    // An amount: emptyMessage when empty, "金额格式错误" when it is not a payable amount,
    // "转账金额不能为0" for zero. On success the amount is replaced by its stored form (7.50).
    bool amount(QString* amount, const QString& emptyMessage) const;

    bool failed() const { return m_failed; }
    // The failure as the check names it ("请输入户名"); empty when nothing failed.
    QString failure() const { return m_failure; }
    // What the operator is told: the failure, with the line prefix when numbered; empty when
    // nothing failed or the mode is silent.
    QString message() const;
    RecordCheckMode mode() const { return m_mode; }
    int lineNumber() const { return m_line; }

private:
    RecordCheckMode m_mode;
    int m_line;
    mutable bool m_failed = false;
    mutable QString m_failure;
};
