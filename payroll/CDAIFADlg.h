#pragma once

#include "common/OrderScreen.h"
#include "payroll/core/PayrollLine.h"

// The interbank payroll screen (跨行代发): up to 200 lines keyed in, picked or imported, saved
// as the dated export file.
class CDAIFADlg : public OrderScreen
{
    Q_OBJECT
public:
    explicit CDAIFADlg(QWidget* parent = nullptr);

    bool ValidateEntry(int lineNumber, bool importing) override;
    bool ExportLines() override;
    void ImportText();
    void ImportSpreadsheet();

    QVector<PayrollLine> lines() const;

protected:
    void RememberPayee() override;
    // One import for a text file and a workbook alike.
    void importFrom(PayrollSource& source);
    bool PickPayee() override;
    QVector<OrderReview::Line> reviewLines() const override;
    OrderReview::Knowledge reviewKnowledge(const QVector<OrderReview::Line>& order) const override;
    std::optional<QString> readPreviousOrder(const QString& path,
                                             OrderReview::Previous* previous) const override;

private:
    void showEntry(const PayrollCheck::Entry& e);
    // 联行号查询 with what the 联行号 field holds; the picked code and bank name fill the fields.
    void LookUpRoutingCode();
};
