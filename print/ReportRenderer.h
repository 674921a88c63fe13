#pragma once

#include "print/core/ReportLayout.h"

class QFont;
class QPainter;
class QPaintDevice;
class QPrinter;
struct ReportRequest;

// Draws a report page by page on any surface, in millimetres converted with the surface's own
// resolution. In preview mode it draws the request's current page as one framed sheet; in print
// mode it prints every page as one job.
class ReportRenderer
{
public:
    explicit ReportRenderer(ReportLayout layout) : m_layout(std::move(layout)) {}

    const ReportLayout& layout() const { return m_layout; }
    QString title(const ReportRequest& request) const;
    // The report's fonts at the surface's resolution, sized in device units.
    QFont titleFont(const QPaintDevice& surface) const;
    QFont bodyFont(const QPaintDevice& surface) const;

    // Print mode needs a QPrinter as surface. Returns false when printing failed (already reported).
    bool render(QPaintDevice& surface, const ReportRequest& request) const;
    // Draws page `page` with the painter's device as the sheet; the frame only for the preview.
    void drawPage(QPainter& painter, const ReportRequest& request, int page, bool sheetFrame) const;
    // Runs one print job with pages 1 to request.pageCount; false (after a message) when the job or
    // a page could not be started.
    bool print(QPrinter& printer, const ReportRequest& request) const;

private:
    ReportLayout m_layout;
};
