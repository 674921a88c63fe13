#pragma once

#include "print/core/ReportSource.h"

class RowListModel;

// Reads report rows straight from a screen's list, so the report shows what the operator sees.
class RowListReportSource : public ReportSource
{
public:
    explicit RowListReportSource(const RowListModel* model) : m_model(model) {}

    int rowCount() const override;
    QString text(int row, int column) const override;

private:
    const RowListModel* m_model;
};
