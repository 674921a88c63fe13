#pragma once

#include <QString>
#include <QVector>
#include <functional>
#include <optional>

class QWidget;

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

    // Reads BankNo.txt from the program directory, unless the table already holds entries.
    static void load(QWidget* parent = nullptr);
    // Empties the table and reads the file again (after a new list has been downloaded).
    static void reload(QWidget* parent = nullptr);

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
