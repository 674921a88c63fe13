#pragma once

#include "print/core/ReportLayout.h"

class QWidget;
class RowListModel;

// What an order screen's "打印" does: previews the list as the given report, modally, owned by the
// screen, with `kind` picking the title (see ReportLayout::title). Nothing happens for an empty list.
void showReportPreview(QWidget* owner, const ReportLayout& layout, const RowListModel* list, int kind = 0);
