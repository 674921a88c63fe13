#include "ReportTestUtil.h"
#include "TestEnv.h"
#include "print/CPreParent.h"
#include "print/CPreView.h"

#include <QDir>
#include <QFontInfo>
#include <QTest>

// Renders sample pages at 150 dpi into <build>/print-pictures, for a look at the finished lists.
class TestReportPictures : public QObject
{
    Q_OBJECT
private slots:
    void fontsHaveSimplifiedChinese();
    void writePictures();
    void writePreviewWindow();
};

namespace {

bool chineseFamily(const QFont& font)
{
    const QString family = QFontInfo(font).family();
    return family == QStringLiteral("黑体") || family == QStringLiteral("楷书") ||
           family == QStringLiteral("SimHei") || family == QStringLiteral("KaiTi") ||
           family.contains(QStringLiteral("CJK SC"));
}

QString pictureDir()
{
    const QString dir = QStringLiteral(DXBK_BUILD_DIR "/print-pictures");
    QDir().mkpath(dir);
    return dir;
}

} // namespace

void TestReportPictures::fontsHaveSimplifiedChinese()
{
    QImage surface(10, 10, QImage::Format_RGB32);
    surface.setDotsPerMeterX(qRound(150 / 0.0254));
    surface.setDotsPerMeterY(qRound(150 / 0.0254));
    for (const ReportLayout& layout : {ReportLayout::payroll(), ReportLayout::batch()}) {
        const ReportRenderer renderer(layout);
        QVERIFY2(chineseFamily(renderer.titleFont(surface)),
                 qPrintable(QFontInfo(renderer.titleFont(surface)).family()));
        QVERIFY2(chineseFamily(renderer.bodyFont(surface)),
                 qPrintable(QFontInfo(renderer.bodyFont(surface)).family()));
    }
    const ReportRenderer payroll(ReportLayout::payroll());
    QCOMPARE(payroll.titleFont(surface).pixelSize(), 14 * 150 / 72);
    QCOMPARE(payroll.bodyFont(surface).pixelSize(), 7 * 149 / 72);
    QCOMPARE(ReportRenderer(ReportLayout::batch()).bodyFont(surface).pixelSize(), 6 * 149 / 72);
}

void TestReportPictures::writePictures()
{
    TestEnv env;
    const QStringList names = {
        QStringLiteral("张伟"), QStringLiteral("王芳"),
        QStringLiteral("李娜"), QStringLiteral("刘洋"),
        QStringLiteral("陈静"), QStringLiteral("北京市朝阳区某某某某科技发展有限公司第一分公司")};
    RowListModel payroll;
    for (int i = 1; i <= 35; ++i) {
        payroll.appendRow(
            {QString::number(i),
             i == 3 ? QStringLiteral("622202000012345678901234567890")
                    : QStringLiteral("6222020%1").arg(i * 7919, 12, 10, QLatin1Char('0')),
             names.at(i % names.size()), QStringLiteral("中国工商银行北京朝阳支行"),
             QStringLiteral("102100004951"),
             i == 5 ? QStringLiteral("123456789012345678901234567890.00")
                    : QStringLiteral("%1.%2").arg(1000 + i * 37).arg(i % 100, 2, 10, QLatin1Char('0')),
             i % 2 ? QStringLiteral("十二月工资") : QStringLiteral("年终奖金及绩效奖励，含交通补贴")});
    }
    RowListModel batch;
    for (int i = 1; i <= 12; ++i) {
        batch.appendRow({QString::number(i),
                         QStringLiteral("6222%1").arg(i * 104729, 15, 10, QLatin1Char('0')),
                         names.at(i % names.size()), QStringLiteral("%1.00").arg(500 * i)});
    }
    RowListReportSource payrollSource(&payroll);
    RowListReportSource batchSource(&batch);
    const ReportRenderer payrollReport(ReportLayout::payroll());
    const ReportRenderer batchReport(ReportLayout::batch());
    struct Picture
    {
        QString name;
        QImage image;
    };
    const QList<Picture> pictures = {
        {QStringLiteral("payroll-page1.png"), renderSheet(payrollReport, requestFor(payrollSource, 1), 150)},
        {QStringLiteral("payroll-page2.png"), renderSheet(payrollReport, requestFor(payrollSource, 2), 150)},
        {QStringLiteral("batch-page1.png"), renderSheet(batchReport, requestFor(batchSource, 1), 150)}};
    for (const Picture& p : pictures) {
        QCOMPARE(p.image.size(), QSize(150 * 2100 / 254, 150 * 2970 / 254));
        const QString path = pictureDir() + QLatin1Char('/') + p.name;
        QVERIFY2(p.image.save(path), qPrintable(path));
        QVERIFY(QImage(path).size() == p.image.size());
        qInfo("%s", qPrintable(path));
    }
}

void TestReportPictures::writePreviewWindow()
{
    TestEnv env;
    RowListModel model;
    fillPayroll(model, 35);
    RowListReportSource source(&model);
    ReportRequest request;
    request.rowCount = model.rowCount();
    request.source = &source;
    CPreParent preview(request, ReportRenderer(ReportLayout::payroll()));
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    const QImage shot = preview.grab().toImage();
    // The sheet's frame starts half an inch into the page view.
    const QPoint corner = preview.view()->viewport()->mapTo(&preview, preview.view()->pageOrigin());
    QCOMPARE(shot.pixel(corner), qRgb(0, 0, 0));
    const QString path = pictureDir() + QStringLiteral("/preview-window.png");
    QVERIFY(shot.save(path));
    qInfo("%s", qPrintable(path));
}

QTEST_MAIN(TestReportPictures)
#include "tst_reportpictures.moc"
