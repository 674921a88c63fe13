#pragma once

#include "common/core/FieldCheck.h"
#include "rosters/core/RosterFormat.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// One roster file held whole: the records shown on a screen, and the lines the screen does not
// show (records its check refused), which every save writes back unchanged at their place.
class RosterDocument
{
public:
    enum class Kind
    {
        Interbank,
        InBank,
        Payroll
    };
    enum class LoadResult
    {
        Missing,
        Loaded,
        FormatError,
        Unreadable // there, but it could not be read ("文件读取失败："); nothing may be saved
    };

    // The fields a screen shows for one record, in order:
    //   Interbank: account, name, bank name, bank code
    //   InBank:    account, name
    //   Payroll:   account, name, amount, remark
    using Record = QStringList;

    RosterDocument(Kind kind, const QString& fileName);

    QString fileName() const { return m_fileName; }
    Kind kind() const { return m_kind; }

    // Reads the file from the program directory (GBK, or UTF-8 as an editor may have saved it).
    // Blank lines are kept in their place; a line that cannot be split, decoded or held in GBK
    // gives the file's format message and ends the load, keeping what was read before it.
    // Records refused by the check are kept aside, not shown. messages (if
    // given) receives what the operator is to be told, in order: the check's message of each
    // refused record (unless silent), then the format message.
    LoadResult load(RecordCheckMode mode, QStringList* messages = nullptr);
    // After a format error the lines behind the faulty one are unknown, after a failed read all of
    // them: nothing may be saved.
    bool formatError() const { return m_formatError; }

    int rowCount() const { return int(m_rows.size()); }
    const Record& row(int r) const { return m_entries.at(m_rows.at(r)).record; }
    void setRow(int r, const Record& record);
    void appendRow(const Record& record);
    void removeRow(int r);

    // Rewrites the whole file; false when that failed (the file keeps its old bytes) or while
    // formatError().
    bool save();
    QString path() const;
    QByteArray serialize() const;

    // Runs the record check of this kind, trimming (and completing) the fields in place.
    static bool check(Kind kind, Record& record, const CheckReporter& report);
    static QByteArray lineOf(Kind kind, const Record& record);
    static RosterFormat::Layout layoutOf(Kind kind);
    static Record recordFromFields(Kind kind, const QStringList& fields);
    static QString formatMessage(Kind kind);

    // The names the roster's book shows for each of the given accounts (a missing or faulty file
    // gives what could be read, nothing said).
    static QHash<QString, QStringList> namesByAccount(Kind kind, const QString& fileName,
                                                      const QStringList& accounts);

private:
    struct Entry
    {
        bool shown;
        Record record;  // shown entries
        QByteArray raw; // the line as read, for entries not shown
    };
    void reindex();

    Kind m_kind;
    QString m_fileName;
    QVector<Entry> m_entries;
    QVector<int> m_rows; // entry index of each shown row
    bool m_formatError = false;
};
