#include "print/CPreView.h"

#include "print/ReportRenderer.h"
#include "print/ReportRequest.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

constexpr int kLineStep = 15;

QBrush checkerBrush()
{
    QImage tile(2, 2, QImage::Format_RGB32);
    const QRgb grey = qRgb(128, 128, 128);
    const QRgb black = qRgb(0, 0, 0);
    tile.setPixel(0, 0, grey);
    tile.setPixel(1, 1, grey);
    tile.setPixel(1, 0, black);
    tile.setPixel(0, 1, black);
    return QBrush(tile);
}

} // namespace

CPreView::CPreView(const ReportRenderer& renderer, const ReportRequest& request, QWidget* parent)
    : QAbstractScrollArea(parent), m_renderer(renderer), m_request(request)
{
    setObjectName(QStringLiteral("页面"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    horizontalScrollBar()->setSingleStep(kLineStep);
    verticalScrollBar()->setSingleStep(kLineStep);
    updateScrollRanges();
}

QSize CPreView::pageSize() const
{
    return QSize(logicalDpiX() * 2100 / 254, logicalDpiY() * 2970 / 254);
}

QPoint CPreView::pageOrigin() const
{
    return QPoint(logicalDpiX() / 2 - horizontalScrollBar()->value(),
                  logicalDpiY() / 2 - verticalScrollBar()->value());
}

QImage CPreView::renderPage() const
{
    QImage page(pageSize(), QImage::Format_RGB32);
    page.fill(Qt::white);
    // The image carries the screen's resolution, so the renderer's millimetres come out at real size.
    page.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
    page.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
    ReportRequest request = m_request;
    request.printMode = ReportRequest::Preview;
    m_renderer.render(page, request);
    return page;
}

void CPreView::paintEvent(QPaintEvent*)
{
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), checkerBrush());
    p.drawImage(pageOrigin(), renderPage());
}

void CPreView::resizeEvent(QResizeEvent* e)
{
    QAbstractScrollArea::resizeEvent(e);
    updateScrollRanges();
}

void CPreView::updateScrollRanges()
{
    // The page plus an inch of margin can be scrolled into view; every resize starts at the corner.
    const QSize page = pageSize();
    const QSize visible = viewport()->size();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setRange(0, std::max(0, page.width() + logicalDpiX() - visible.width()));
    v->setRange(0, std::max(0, page.height() + logicalDpiY() - visible.height()));
    h->setPageStep(visible.width());
    v->setPageStep(visible.height());
    h->setValue(0);
    v->setValue(0);
}

int CPreView::wheelStep(int linesPerNotch)
{
    return linesPerNotch > 0 ? 120 / linesPerNotch : 0;
}

void CPreView::wheelEvent(QWheelEvent* e)
{
    const int step = wheelStep(QApplication::wheelScrollLines());
    if (step <= 0) {
        e->accept();
        return;
    }
    // Part notches of a fine wheel add up until they make a whole step.
    m_wheelAccumulator += e->angleDelta().y();
    QScrollBar* v = verticalScrollBar();
    while (m_wheelAccumulator >= step) {
        v->triggerAction(QAbstractSlider::SliderSingleStepSub);
        m_wheelAccumulator -= step;
    }
    while (m_wheelAccumulator <= -step) {
        v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        m_wheelAccumulator += step;
    }
    e->accept();
}

void CPreView::scrollContentsBy(int, int)
{
    viewport()->update();
}
