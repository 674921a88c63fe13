#include "print/RowListReportSource.h"

#include "common/RowList.h"

int RowListReportSource::rowCount() const
{
    return m_model ? m_model->rowCount() : 0;
}

QString RowListReportSource::text(int row, int column) const
{
    return m_model ? m_model->text(row, column) : QString();
}
