#pragma once

#include "common/OrderScreen.h"

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

protected:
    void RememberPayee() override;
    void PickPayee() override;
};
