#pragma once

#include "batch/core/BatchLine.h"
#include "common/OrderScreen.h"
#include "common/core/TextImportFile.h"

#include <functional>
#include <optional>

// The in-bank batch transfer screen (批量转账): up to 1000 lines paying accounts held at the bank,
// saved as a spreadsheet.
class CPILIANGDlg : public OrderScreen
{
    Q_OBJECT
public:
    explicit CPILIANGDlg(QWidget* parent = nullptr);

    bool ValidateEntry(int lineNumber, bool importing) override;
    bool ExportLines() override;
    void ImportText();
    void ImportSpreadsheet();
    // The entries of a payroll roster group, chosen in the group list, as batch lines.
    void ImportRoster();

protected:
    void RememberPayee() override;
    void importLines(TextImportFile& file,
                     const std::function<std::optional<BatchLine::Entry>(const QString&)>& parse,
                     bool fromRoster);
    bool PickPayee() override;
    QVector<OrderReview::Line> reviewLines() const override;
    OrderReview::Knowledge reviewKnowledge(const QVector<OrderReview::Line>& order) const override;
    std::optional<QString> readPreviousOrder(const QString& path,
                                             OrderReview::Previous* previous) const override;
};
