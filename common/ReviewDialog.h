#pragma once

#include "common/core/OrderReview.h"

#include <QDialog>
#include <functional>
#include <optional>

class CMyEditCtrl;
class QLabel;
class QPushButton;
class RowList;

// What the review of an order found before its export, line by line: the clerk goes back to a
// line (返回修改, the default, or 转到该行 for the one picked) or exports all the same (仍然导出).
// The control totals the payroll system gave can be entered and checked here; the full edition
// also compares with the order exported last time (与上次比较).
class ReviewDialog : public QDialog
{
    Q_OBJECT
public:
    struct Source
    {
        // The review of the order as it stands, with the control totals and the previous order.
        std::function<QVector<OrderReview::Finding>(const OrderReview::Expected&,
                                                    const OrderReview::Previous*)>
            run;
        // Reads a previous order; the message to show when it cannot be read.
        std::function<std::optional<QString>(const QString& path, OrderReview::Previous*)> readPrevious;
        QString previousFilter; // of the file dialog that asks for it
        QString count;          // the order's 总笔数 and 总金额 as the footer shows them
        QString total;
    };
    enum class Outcome
    {
        Back,
        ExportAnyway,
        GoToLine
    };

    ReviewDialog(const Source& source, QWidget* parent);

    // The review without control totals or comparison, as an export runs it first.
    bool hasFindings() const { return !m_findings.isEmpty(); }
    // Asks for the previous order and reviews against it; false when none was chosen or it could
    // not be read (the clerk has been told).
    bool comparePrevious();

    Outcome outcome() const { return m_outcome; }
    int chosenLine() const { return m_line; }

private:
    void rerun();
    void showFindings();
    void goToLine();
    std::optional<OrderReview::Expected> expected();

    Source m_source;
    QVector<OrderReview::Finding> m_findings;
    std::optional<OrderReview::Previous> m_previous;
    QString m_previousName;
    CMyEditCtrl* m_count;
    CMyEditCtrl* m_total;
    CMyEditCtrl* m_share;
    QLabel* m_summary;
    QLabel* m_compared;
    RowList* m_list;
    QPushButton* m_goTo;
    Outcome m_outcome = Outcome::Back;
    int m_line = 0;
};
