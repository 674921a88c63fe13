#pragma once

#include <QAbstractScrollArea>

class ReportRenderer;
struct ReportRequest;

// The page view of the print preview: the current page at its real size on a checkered ground,
// half an inch from the scrolled origin.
class CPreView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    CPreView(const ReportRenderer& renderer, const ReportRequest& request, QWidget* parent = nullptr);

    // A4 in screen pixels.
    QSize pageSize() const;
    // Where the page's top-left corner is drawn in the viewport.
    QPoint pageOrigin() const;
    // The current page as the renderer draws it at screen resolution.
    QImage renderPage() const;
    // Wheel movement per line scrolled (a notch is 120); 0 turns the wheel off.
    static int wheelStep(int linesPerNotch);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void updateScrollRanges();

    const ReportRenderer& m_renderer;
    const ReportRequest& m_request;
    int m_wheelAccumulator = 0;
};
