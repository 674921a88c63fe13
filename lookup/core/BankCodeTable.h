#pragma once

#include <QString>
#include <QVector>
#include <functional>
#include <optional>

// The routing codes (联行号) of BankNo.txt with their bank names: one table for the whole run,
// ordered by code (UTF-16 units compared one by one), one name per code. Used on the
// user-interface thread only.
class BankCodeTable
{
public:
    struct Entry
    {
        QString name;
        QString code;
    };

    enum class LoadStatus
    {
        Loaded,
        CannotOpen,
        FormatError // a line that is not valid GBK or has no "|"; the lines before it are kept
    };
    // Fills the table from the file at path, replacing what it held.
    static LoadStatus loadFrom(const QString& path);

    // Reads BankNo.txt from the program directory, unless the table already holds entries.
    // Returns the message the operator is to see, at most once per run (the first problem only).
    static std::optional<QString> load();
    // Whether the table holds the whole of BankNo.txt, reading it from the program directory if
    // the table is empty; says nothing to the operator. A list read only in part (a faulty line)
    // is not kept: a code missing from it proves nothing, and the lookup reports it when opened.
    static bool loadWhole();
    // Empties the table and reads the file again (after a new list has been downloaded).
    static std::optional<QString> reload();

    // Entries in table order whose name holds the name criterion and whose code equals the code
    // criterion. The name criterion is split at its first "%" into two texts that must both occur
    // (a leading "%" is an ordinary character). With every criterion empty nothing is listed.
    static QVector<Entry> search(const QString& nameText, const QString& codeText);
    // The same matches handed over one by one, for filling a large list without a copy between.
    static void forEachMatch(const QString& nameText, const QString& codeText,
                             const std::function<void(QString name, QString code)>& visit);

    static qsizetype size();
    static std::optional<QString> nameOf(const QString& code);

    // The load messages are shown at most once per run; tests start each case afresh.
    static void resetMessageFlagForTests();
};
