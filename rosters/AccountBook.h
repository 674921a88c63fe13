#pragma once

#include "rosters/core/RosterDocument.h"

#include <QVector>
#include <QWidget>

class CMyEditCtrl;
class QLabel;
class QPushButton;
class QGridLayout;
class RowList;

// What the two account books share: a roster file shown in a list, an entry of a few fields,
// add / change / delete with a duplicate check, and a save after every change.
class AccountBook : public QWidget
{
    Q_OBJECT
public:
    struct Field
    {
        QString label;
        int typingLimit;
    };

    // Loads the roster into the list and returns to browsing (also what "取消" does).
    void Reload();

    RowList* list() const { return m_list; }
    const RosterDocument& document() const { return m_doc; }

protected:
    AccountBook(RosterDocument::Kind kind, const QString& fileName, const QString& frameTitle,
                const QVector<Field>& fields, const QVector<QPair<QString, int>>& columns,
                const QString& exitCaption, QWidget* parent);

    enum class State
    {
        Browsing,
        Entry
    };
    // Controls of a derived book that follow the state.
    virtual void stateChanged(State) {}
    // Call at the end of a derived constructor, once every control exists.
    void finishSetup();

    CMyEditCtrl* field(int i) const { return m_fields.at(i); }
    QGridLayout* fieldGrid() const { return m_grid; }
    QPushButton* addButton(const QString& caption);
    bool hasRows() const;
    bool changesAllowed() const { return !m_doc.formatError(); }
    void appendRecord(const RosterDocument::Record& record);
    int findDuplicate(const RosterDocument::Record& record, int except) const;
    // Saves the roster; after a failure (reported) the list is reloaded from the file.
    bool save();
    void refreshCount();
    void showRows();

    RosterDocument m_doc;

private:
    void browsing();
    void onSelectionChanged();
    void onAdd();
    void onModify();
    void onConfirm();
    void onCancel();
    void onDelete();
    void onExit();
    void openEntry(bool keepTexts);
    RosterDocument::Record entryRecord() const;
    void setEntry(const RosterDocument::Record& record);

    QVector<CMyEditCtrl*> m_fields;
    QGridLayout* m_grid;
    QPushButton* m_add;
    QPushButton* m_confirm;
    QPushButton* m_modify;
    QPushButton* m_cancel;
    QPushButton* m_delete;
    QPushButton* m_exit;
    QWidget* m_buttonBox;
    RowList* m_list;
    QLabel* m_count;
    QString m_exitCaption;
    bool m_modifying = false;
};
