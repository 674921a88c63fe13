#pragma once

#include "rosters/core/RosterFormat.h"

#include <QDialog>
#include <QStringList>
#include <QVector>

class CMyEditCtrl;
class QPushButton;
class RowList;

// A modal picker over one roster file: the whole roster in one list, criteria that filter it into
// a second list in the same place, "查找", "返回", "退出", and a row double-clicked or taken with
// Enter as the result. Enter in a criterion searches. "退出" closes with OK and no result; Esc and
// the close box cancel. The file is only read.
class RosterPicker : public QDialog
{
    Q_OBJECT
public:
    enum class Match
    {
        Prefix,
        Substring
    };

    struct Column
    {
        QString caption;
        int width;
        int field;          // index of the roster line's field shown here, from 0
        bool whole = false; // widened to show the longest text of the roster in full
    };
    struct Criterion
    {
        QString label;
        int column;
        Match match;
        int typingLimit;
    };
    struct Config
    {
        QString caption;
        QString fileName;
        RosterFormat::Layout layout;
        QVector<Column> columns;
        QVector<Criterion> criteria;
        QString formatError;
    };

    // Reads the roster at once; a format error is reported before the dialog is shown.
    explicit RosterPicker(const Config& config, QWidget* parent = nullptr);

    // Texts of the picked row, one per column; empty unless a row was picked.
    QString resultAt(int column) const { return m_result.value(column); }
    QStringList results() const { return m_result; }
    bool hasResult() const;

private:
    void loadRoster();
    void fitWholeColumns();
    bool matches(const QStringList& row) const;
    void onSearch();
    void onBack();
    void onExit();
    void pick(const RowList* list, int row);

    Config m_config;
    QVector<CMyEditCtrl*> m_fields;
    QPushButton* m_search;
    QPushButton* m_back;
    QPushButton* m_exit;
    RowList* m_all;
    RowList* m_found;
    QStringList m_result;
};
