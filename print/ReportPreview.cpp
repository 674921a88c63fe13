#include "print/ReportPreview.h"

#include "print/CPreParent.h"
#include "print/RowListReportSource.h"

void showReportPreview(QWidget* owner, const ReportLayout& layout, const RowListModel* list, int kind)
{
    const RowListReportSource source(list);
    if (source.rowCount() <= 0) {
        return;
    }
    ReportRequest request;
    request.rowCount = source.rowCount();
    request.owner = owner;
    request.source = &source;
    request.kind = kind;
    CPreParent preview(request, ReportRenderer(layout), owner);
    preview.exec();
}
