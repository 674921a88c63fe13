#include "ReportTestUtil.h"
#include "TestEnv.h"
#include "print/CPreView.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

class TestCPreView : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void pageAtScreenSize();
    void scrollRangesAndSteps();
    void resizeScrollsBackToCorner();
    void wheelAccumulatesSteps();
    void wheelStepFromLinesPerNotch();
    void paintsPageHalfAnInchFromScrolledOrigin();

private:
    void wheel(int delta);

    TestEnv* m_env = nullptr;
    RowListModel m_model;
    RowListReportSource* m_source = nullptr;
    ReportRenderer m_renderer{ReportLayout::payroll()};
    ReportRequest m_request;
    CPreView* m_view = nullptr;
};

void TestCPreView::init()
{
    m_env = new TestEnv;
    m_model.clear();
    fillPayroll(m_model, 40);
    m_source = new RowListReportSource(&m_model);
    m_request = requestFor(*m_source, 1);
    m_view = new CPreView(m_renderer, m_request);
    m_view->resize(500, 400);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view));
}

void TestCPreView::cleanup()
{
    delete m_view;
    delete m_source;
    delete m_env;
    QApplication::setWheelScrollLines(3);
}

void TestCPreView::wheel(int delta)
{
    const QPointF pos(50, 50);
    QWheelEvent e(pos, m_view->viewport()->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_view->viewport(), &e);
}

void TestCPreView::pageAtScreenSize()
{
    const int dpiX = m_view->logicalDpiX();
    const int dpiY = m_view->logicalDpiY();
    QCOMPARE(m_view->pageSize(), QSize(dpiX * 2100 / 254, dpiY * 2970 / 254));
    QCOMPARE(m_view->renderPage(), renderSheet(m_renderer, m_request, dpiY));
}

void TestCPreView::scrollRangesAndSteps()
{
    const QSize visible = m_view->viewport()->size();
    const QSize page = m_view->pageSize();
    QScrollBar* h = m_view->horizontalScrollBar();
    QScrollBar* v = m_view->verticalScrollBar();
    QCOMPARE(h->minimum(), 0);
    QCOMPARE(h->maximum(), page.width() + m_view->logicalDpiX() - visible.width());
    QCOMPARE(v->maximum(), page.height() + m_view->logicalDpiY() - visible.height());
    QCOMPARE(h->pageStep(), visible.width());
    QCOMPARE(v->pageStep(), visible.height());

    v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(v->value(), 15);
    h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(h->value(), 15);
    v->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(v->value(), 15 + visible.height());
    v->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(v->value(), v->maximum());
}

void TestCPreView::resizeScrollsBackToCorner()
{
    m_view->horizontalScrollBar()->setValue(120);
    m_view->verticalScrollBar()->setValue(300);
    m_view->resize(600, 450);
    QTRY_COMPARE(m_view->viewport()->width(), 600 - m_view->verticalScrollBar()->width());
    QCOMPARE(m_view->horizontalScrollBar()->value(), 0);
    QCOMPARE(m_view->verticalScrollBar()->value(), 0);
    QCOMPARE(m_view->horizontalScrollBar()->pageStep(), m_view->viewport()->width());
    QCOMPARE(m_view->pageOrigin(), QPoint(m_view->logicalDpiX() / 2, m_view->logicalDpiY() / 2));
}

void TestCPreView::wheelAccumulatesSteps()
{
    QApplication::setWheelScrollLines(3); // one whole step is 40
    QScrollBar* v = m_view->verticalScrollBar();
    wheel(-120);
    QCOMPARE(v->value(), 45);
    wheel(-20);
    QCOMPARE(v->value(), 45);
    wheel(-30);
    QCOMPARE(v->value(), 60); // 50 accumulated: one line, 10 carried
    wheel(-30);
    QCOMPARE(v->value(), 75);
    wheel(20);
    QCOMPARE(v->value(), 75); // nothing carried after that step, so half a step up does nothing yet
    wheel(20);
    QCOMPARE(v->value(), 60);
}

void TestCPreView::wheelStepFromLinesPerNotch()
{
    QCOMPARE(CPreView::wheelStep(3), 40);
    QCOMPARE(CPreView::wheelStep(1), 120);
    QCOMPARE(CPreView::wheelStep(0), 0);
    QCOMPARE(CPreView::wheelStep(-1), 0);
    QCOMPARE(CPreView::wheelStep(200), 0);
}

void TestCPreView::paintsPageHalfAnInchFromScrolledOrigin()
{
    const int half = m_view->logicalDpiX() / 2;
    QImage shot = m_view->viewport()->grab().toImage();
    QCOMPARE(shot.pixel(half, half), qRgb(0, 0, 0));                 // the sheet frame's corner
    QCOMPARE(shot.pixel(half + 10, half + 10), qRgb(255, 255, 255)); // inside the sheet
    const QRgb a = shot.pixel(0, 0);
    const QRgb b = shot.pixel(1, 0);
    QVERIFY(a != b);
    QVERIFY(a == qRgb(128, 128, 128) || a == qRgb(0, 0, 0));
    QVERIFY(b == qRgb(128, 128, 128) || b == qRgb(0, 0, 0));
    QCOMPARE(shot.pixel(1, 1), a);

    m_view->horizontalScrollBar()->setValue(30);
    m_view->verticalScrollBar()->setValue(20);
    QCOMPARE(m_view->pageOrigin(), QPoint(half - 30, m_view->logicalDpiY() / 2 - 20));
    shot = m_view->viewport()->grab().toImage();
    QCOMPARE(shot.pixel(half - 30, half - 20), qRgb(0, 0, 0));
    QCOMPARE(shot.pixel(half - 20, half - 10), qRgb(255, 255, 255));
}

QTEST_MAIN(TestCPreView)
#include "tst_cpreview.moc"
