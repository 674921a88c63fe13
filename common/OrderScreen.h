#pragma once

#include "common/ReviewDialog.h"
#include "common/RowList.h"
#include "common/core/OrderReview.h"

#include <QStringList>
#include <QVector>
#include <QWidget>
#include <optional>

class CMyEditCtrl;
class QGridLayout;
class QLabel;
class QPushButton;

// What the two order screens share: an entry of a few fields with the capital amount, a list of
// numbered lines with their count and total, and the add / change / cancel / delete / leave
// commands with the unsaved mark. Each screen adds its checks, its file and its payee roster.
class OrderScreen : public QWidget
{
    Q_OBJECT
public:
    struct Field
    {
        QString label; // "收款人名称：" (the field is named without the colon)
        int typingLimit;
        bool amount = false;
    };
    struct Config
    {
        QString name;           // object name of the screen
        QString listName;       // object name of the line list
        QVector<Field> fields;  // in the order of the list columns after "序号"
        QVector<int> formOrder; // order of the fields in the entry group
        int nameField;          // the field beside which the picker button stands
        QString pickCaption;
        QString importCaption; // the visible import button
        QString exportCaption; // the visible export button
        QVector<RowList::Column> columns;
        int maxLines;
        QString limitMessage;    // refusal of one more line
        QString exitCaption;     // caption of the unsaved question
        bool totalsOfferExport;  // RefreshTotals enables the export button when lines exist
        bool pickWhileModifying; // the picker button stays offered while a line is changed
        QString previousFilter;  // of the file dialog asking for last time's order
    };

    bool unsaved() const { return m_unsaved; }
    void ClearLines();
    void ResetEntry(bool clear);
    void RefreshTotals();
    virtual bool ValidateEntry(int lineNumber, bool importing) = 0;
    virtual bool ExportLines() = 0;
    // Every export the clerk asks for: the review of the whole order first; with nothing found
    // the export goes on at once, else the clerk sees the findings and decides.
    bool exportReviewed();
    // 与上次比较: the review against the order exported last time, shown whatever it finds.
    void compareWithPrevious();

    int lineCount() const { return m_list->count(); }
    QStringList line(int r) const { return m_list->rows()->row(r); }

protected:
    OrderScreen(const Config& config, QWidget* parent);

    virtual void RememberPayee() = 0;
    // Fills the entry from a roster picker; false when nothing was picked.
    virtual bool PickPayee() = 0;
    // The order's lines as the review sees them, what the program knows about them, and how
    // last time's order is read.
    virtual QVector<OrderReview::Line> reviewLines() const = 0;
    virtual OrderReview::Knowledge reviewKnowledge(const QVector<OrderReview::Line>& order) const = 0;
    virtual std::optional<QString> readPreviousOrder(const QString& path,
                                                     OrderReview::Previous* previous) const = 0;
    // "与上次比较" among the full edition's buttons, offered while the list holds a line.
    void addCompareButton();

    CMyEditCtrl* field(int i) const { return m_fields.at(i); }
    int fieldCount() const { return int(m_fields.size()); }
    RowList* list() const { return m_list; }
    // A button of the full edition, below the others (two to a row, or one across both columns);
    // the standard edition creates it hidden.
    QPushButton* addExtraButton(const QString& caption, bool wide = false);
    // "打印": offered in the full edition whenever the list holds a line; the standard edition
    // keeps it disabled.
    void enableWithLines(QPushButton* button);
    void setUnsaved(bool on) { m_unsaved = on; }
    int nextSequenceNumber() const;
    // Appends a line numbered seq holding the entry fields as they are.
    void appendFromEntry(int seq);
    // The field texts after the checks: trimmed values written back, amount completed.
    void setFieldText(int i, const QString& text);
    // Start of an import, once the file is open.
    void startImport();
    // A spreadsheet cell that is not text ends an import: the message, an empty entry and the
    // footer for the lines that came in before it; no summary.
    void stopImportAtCell(int imported, const QString& where);
    // End of an import: the summary, and the unsaved mark when lines came in. unread lines of the
    // file were left by the limit; hint then tells how to import them.
    void finishImport(int read, int imported, int unread = 0, const QString& hint = QString());
    bool atLimit() const { return m_list->count() >= m_config.maxLines; }

    QPushButton* importButton() const { return m_import; }
    QPushButton* exportButton() const { return m_export; }

private:
    ReviewDialog::Source reviewSource() const;
    bool decideAfterReview(ReviewDialog& dialog);
    void onSelectionChanged();
    void onAdd();
    void onPick();
    void onModify();
    void onConfirm();
    void onCancel();
    void onDelete();
    void onExit();
    void setEntryEnabled(bool on);
    void viewState();

    Config m_config;
    QVector<CMyEditCtrl*> m_fields;
    int m_amountField = -1;
    QLabel* m_capital;
    QPushButton* m_pick;
    QPushButton* m_add;
    QPushButton* m_confirm;
    QPushButton* m_modify;
    QPushButton* m_cancel;
    QPushButton* m_import;
    QPushButton* m_export;
    QPushButton* m_delete;
    QPushButton* m_exit;
    static constexpr int kExtraRow = 5;
    QGridLayout* m_buttons;
    int m_extraCount = 0;
    RowList* m_list;
    QLabel* m_count;
    QLabel* m_total;
    bool m_unsaved = false;
    bool m_modifying = false;
};
