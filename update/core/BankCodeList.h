#pragma once

#include <QByteArray>

// Whether a downloaded body is a routing-code list that may replace BankNo.txt. It is fed piece
// by piece as the body arrives, so the body is never held whole; only the line in progress is
// kept. A body is a list when it is complete (its length is the announced Content-Length, or,
// when none was announced, it ends with a line end), at least one line names a code and a bank,
// and every line that is not blank is strict GBK of the form code "|" name ["|" ...] with a code
// of digits only. Lines are split as BankNo.txt is read: at LF, each line ending at its first CR.
class BankCodeListCheck
{
public:
    // No line of the list comes near this; a body with a longer one is not a list.
    static constexpr qsizetype kLineLimit = 64 * 1024;
    // The real list is about 12 MB; a body far beyond that is no list.
    static constexpr qint64 kSizeLimit = 64 * 1024 * 1024;

    void add(const QByteArray& bytes);
    // After the last byte: true when the whole body is a list. contentLength is the length the
    // server announced, or -1 when it announced none.
    bool isList(qint64 contentLength) const;

    qint64 size() const { return m_size; }
    // False once the bytes so far can no longer begin a list: a bad line, or too much.
    bool canBeList() const { return !m_bad && m_size <= kSizeLimit; }

private:
    void takeLine(const QByteArray& line);

    QByteArray m_partial; // bytes after the last LF
    qint64 m_size = 0;
    int m_entries = 0;
    bool m_bad = false;
};

// The same check for a body at hand.
bool IsBankCodeList(const QByteArray& body, qint64 contentLength = -1);
