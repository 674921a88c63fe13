#include "ReportTestUtil.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"

#include <QFontMetricsF>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <tuple>

namespace {

// Rows y in [y0, y1) where column x has ink.
QVector<int> inkRows(const QImage& image, int x, int y0, int y1)
{
    QVector<int> rows;
    for (int y = y0; y < y1; ++y) {
        if (ink(image, x, y)) {
            rows << y;
        }
    }
    return rows;
}

bool lineDown(const QImage& image, int x, int y0, int y1)
{
    return inkCount(image, x, y0, x + 1, y1 + 1) == y1 - y0 + 1;
}

} // namespace

class TestReportRenderer : public QObject
{
    Q_OBJECT
private slots:
    void singleRowPageGeometry();
    void laterPageStartsHigherWithoutTitle();
    void fullPagesEndAt235mm();
    void millimetresCutPerPosition_data();
    void millimetresCutPerPosition();
    void previewDrawsSheetFrame();
    void textKeepsOffTheLines_data();
    void textKeepsOffTheLines();
    void longNameClippedAtItsRightLine();
    void textsAreDrawnWhole();
    void accountsAndAmountsFitTheirCellsOnPaper();
    void titles_data();
    void titles();
    void summaryOnLastPageOnly_data();
    void summaryOnLastPageOnly();
    void pageShowsItsRowsAndFooter();
    void batchColumns();
    void printsEveryPageAsOneJob();
    void printerThatCannotStart();
};

void TestReportRenderer::singleRowPageGeometry()
{
    TestEnv env;
    RowListModel model;
    fillPayroll(model, 1);
    RowListReportSource source(&model);
    const QImage page = renderSheet(ReportRenderer(ReportLayout::payroll()), requestFor(source));

    // Header top at 25 mm, header bottom at 32 mm, the one row ends at 39 mm (1 mm = 10 px).
    QCOMPARE(inkRows(page, 1500, 5, 2960), (QVector<int>{250, 320, 390}));
    for (int x : {150, 250, 650, 900, 1180, 1950}) {
        QVERIFY2(lineDown(page, x, 250, 390), qPrintable(QString::number(x)));
    }
    // The side lines stop under the last row; the summary's three bands follow, then the footer.
    QCOMPARE(inkCount(page, 150, 391, 151, 401), 0);
    QCOMPARE(inkCount(page, 1950, 391, 1951, 401), 0);
    for (int top : {390, 460, 530}) {
        QVERIFY2(inkCount(page, 150, top + 1, 1000, top + 70) > 50, qPrintable(QString::number(top)));
    }
    QVERIFY(inkCount(page, 150, 601, 1000, 670) > 50);  // 报表日期
    QVERIFY(inkCount(page, 1000, 601, 1951, 670) > 50); // 第 1 页/共 1 页
    QCOMPARE(inkCount(page, 1951, 391, 2090, 670), 0);  // right-aligned on the table's right line
    QCOMPARE(inkCount(page, 5, 670, 2090, 2960), 0);
    // The title sits in its band between 10 and 20 mm.
    QVERIFY(inkCount(page, 5, 100, 2090, 200) > 100);
    QCOMPARE(inkCount(page, 5, 5, 2090, 100), 0);
    QCOMPARE(inkCount(page, 5, 200, 2090, 250), 0);
}

void TestReportRenderer::laterPageStartsHigherWithoutTitle()
{
    TestEnv env;
    RowListModel model;
    fillPayroll(model, 31);
    RowListReportSource source(&model);
    const QImage page = renderSheet(ReportRenderer(ReportLayout::payroll()), requestFor(source, 2));

    QCOMPARE(inkRows(page, 1500, 5, 2960), (QVector<int>{180, 250, 320, 390}));
    QVERIFY(lineDown(page, 150, 180, 390));
    QVERIFY(lineDown(page, 1950, 180, 390));
    QCOMPARE(inkCount(page, 5, 5, 2090, 180), 0); // no title
    QVERIFY(inkCount(page, 150, 391, 1951, 670) > 100);
    QCOMPARE(inkCount(page, 5, 670, 2090, 2960), 0);
}

void TestReportRenderer::fullPagesEndAt235mm()
{
    TestEnv env;
    RowListModel model;
    fillPayroll(model, 90);
    RowListReportSource source(&model);
    const ReportRenderer renderer(ReportLayout::payroll());
    for (int p : {1, 2, 3}) {
        const QImage page = renderSheet(renderer, requestFor(source, p));
        const QVector<int> lines = inkRows(page, 1500, 5, 2960);
        QCOMPARE(lines.size(), p == 1 ? 31 : 32);
        QCOMPARE(lines.constLast(), 2350);
        QVERIFY(lineDown(page, 150, p == 1 ? 250 : 180, 2350));
        QCOMPARE(inkCount(page, 150, 2351, 151, 2361), 0);
        QVERIFY(inkCount(page, 150, 2351, 1951, 2420) > 100);
        QCOMPARE(inkCount(page, 5, 2420, 2090, 2960), 0);
    }
    // The last page holds the one remaining row, the summary and the footer right under it.
    const QImage last = renderSheet(renderer, requestFor(source, 4));
    QCOMPARE(inkRows(last, 1500, 5, 2960), (QVector<int>{180, 250, 320}));
    QVERIFY(inkCount(last, 150, 531, 1951, 600) > 100);
    QCOMPARE(inkCount(last, 5, 600, 2090, 2960), 0);
}

void TestReportRenderer::millimetresCutPerPosition_data()
{
    QTest::addColumn<int>("dpi");
    QTest::newRow("150") << 150;
    QTest::newRow("96") << 96;
    QTest::newRow("600") << 600;
}

void TestReportRenderer::millimetresCutPerPosition()
{
    QFETCH(int, dpi);
    TestEnv env;
    RowListModel model;
    fillPayroll(model, 3);
    RowListReportSource source(&model);
    const QImage page = renderSheet(ReportRenderer(ReportLayout::payroll()), requestFor(source), dpi);
    auto units = [dpi](double mm) { return int(mm * (dpi * 10.0 / 254)); };

    QVector<int> expected;
    for (int k = 0; k <= 4; ++k) {
        expected << units(25 + 7 * k);
    }
    QCOMPARE(inkRows(page, units(150), 3, page.height() - 3), expected);
    QVERIFY(lineDown(page, units(15), units(25), units(53)));
    QVERIFY(lineDown(page, units(195), units(25), units(53)));
    QVERIFY(lineDown(page, units(118), units(25), units(53)));
}

void TestReportRenderer::previewDrawsSheetFrame()
{
    TestEnv env;
    RowListModel model;
    fillPayroll(model, 1);
    RowListReportSource source(&model);
    QImage page(2100, 2970, QImage::Format_RGB32);
    page.fill(Qt::red);
    page.setDotsPerMeterX(10000);
    page.setDotsPerMeterY(10000);
    ReportRequest request = requestFor(source);
    ReportRenderer(ReportLayout::payroll()).render(page, request);

    for (const QPoint& pt : {QPoint(0, 0), QPoint(1, 1500), QPoint(2099, 1500), QPoint(1000, 2969)}) {
        QCOMPARE(page.pixel(pt), qRgb(0, 0, 0));
    }
    QCOMPARE(page.pixel(1000, 2900), qRgb(255, 255, 255)); // filled white inside
    QCOMPARE(page.pixel(3, 3), qRgb(255, 255, 255));
}

void TestReportRenderer::textKeepsOffTheLines_data()
{
    QTest::addColumn<bool>("isBatch");
    QTest::addColumn<int>("column"); // list column
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("fromMm"); // the cell's lines
    QTest::addColumn<double>("toMm");
    const QString tooLong = QStringLiteral("123456789012345678901234567890123456789.00");
    QTest::newRow("payroll amount") << false << 5 << QStringLiteral("1500.50") << 90.0 << 118.0;
    QTest::newRow("payroll amount shrunk to its cell") << false << 5 << tooLong << 90.0 << 118.0;
    QTest::newRow("payroll account shrunk to its cell")
        << false << 1 << QStringLiteral("622202020001234567890123456789") << 25.0 << 65.0;
    QTest::newRow("batch amount") << true << 3 << QStringLiteral("200.00") << 95.0 << 120.0;
    QTest::newRow("batch amount shrunk to its cell") << true << 3 << tooLong << 95.0 << 120.0;
}

void TestReportRenderer::textKeepsOffTheLines()
{
    QFETCH(bool, isBatch);
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(double, fromMm);
    QFETCH(double, toMm);
    TestEnv env;
    QStringList row(isBatch ? 4 : 7);
    row[0] = QStringLiteral("1");
    row[column] = text;
    RowListModel model;
    model.appendRow(row);
    RowListReportSource source(&model);
    const ReportLayout layout = isBatch ? ReportLayout::batch() : ReportLayout::payroll();
    const QImage page = renderSheet(ReportRenderer(layout), requestFor(source));
    // The first row's band is 32 to 39 mm; 1 mm is 10 px. A 1.5 mm strip inside either line stays
    // paper-white, and the text is right beside it.
    auto touched = [&](int x0, int x1) {
        int n = 0;
        for (int y = 321; y < 390; ++y) {
            for (int x = x0; x < x1; ++x) {
                n += page.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
            }
        }
        return n;
    };
    const int left = int(fromMm * 10);
    const int right = int(toMm * 10);
    QCOMPARE(touched(left + 1, left + 15), 0);
    QCOMPARE(touched(right - 15, right), 0);
    if (column == layout.amountListColumn) {
        QVERIFY(touched(right - 40, right - 15) > 20);
    } else {
        QVERIFY(touched(left + 15, left + 40) > 20);
    }
}

void TestReportRenderer::longNameClippedAtItsRightLine()
{
    TestEnv env;
    const QString longName =
        QStringLiteral("北京市朝阳区某某某某某某某某科技发展有限公司第一分公司第二营业部");
    RowListModel model;
    model.appendRow(
        {QStringLiteral("1"), QStringLiteral("6222"), longName, QString(), QString(), QString(), QString()});
    RowListReportSource source(&model);
    const QImage page = renderSheet(ReportRenderer(ReportLayout::payroll()), requestFor(source));
    QVERIFY(inkCount(page, 860, 321, 900, 390) > 20);
    QCOMPARE(inkCount(page, 901, 321, 1180, 390), 0);

    RowListModel batch;
    batch.appendRow({QStringLiteral("1"), QStringLiteral("6222"), longName, QStringLiteral("1.00")});
    RowListReportSource batchSource(&batch);
    const QImage batchPage = renderSheet(ReportRenderer(ReportLayout::batch()), requestFor(batchSource));
    QVERIFY(inkCount(batchPage, 1900, 321, 1950, 390) > 20);
    QCOMPARE(inkCount(batchPage, 1951, 321, 2090, 390), 0);
}

void TestReportRenderer::textsAreDrawnWhole()
{
    TestEnv env;
    const QString account = QStringLiteral("123456789012345678901234567890");
    const QString purpose = QString(140, QLatin1Char('x'));
    RowListModel model;
    model.appendRow({QStringLiteral("123456"), account,
                     QStringLiteral("一二三四五六七八九十一二三四五六七八九十"), QString(), QString(),
                     QStringLiteral("12345678901234567890.00"), purpose});
    RowListReportSource source(&model);
    TextRecorder recorder;
    QPainter painter(&recorder);
    ReportRenderer(ReportLayout::payroll()).drawPage(painter, requestFor(source), 1, true);
    painter.end();
    QVERIFY(recorder.texts.contains(QStringLiteral("123456")));
    QVERIFY(recorder.texts.contains(account));
    QVERIFY(recorder.texts.contains(QStringLiteral("12345678901234567890.00")));
    QVERIFY(recorder.all().contains(QStringLiteral("一二三四五六七八九十一二三四五六七八九十")));
    QVERIFY(recorder.texts.contains(purpose)); // 备注 shows the payment purpose

    // A sequence number that fits its cell shows all of its digits.
    RowListModel five;
    five.appendRow({QStringLiteral("12345")});
    RowListModel six;
    six.appendRow({QStringLiteral("123456")});
    RowListReportSource fiveSource(&five);
    RowListReportSource sixSource(&six);
    const ReportRenderer renderer(ReportLayout::payroll());
    const QImage a = renderSheet(renderer, requestFor(fiveSource));
    const QImage b = renderSheet(renderer, requestFor(sixSource));
    auto rightmostInk = [](const QImage& img) {
        for (int x = 249; x > 150; --x) {
            if (inkCount(img, x, 321, x + 1, 390) > 0) {
                return x;
            }
        }
        return 0;
    };
    QVERIFY(rightmostInk(b) > rightmostInk(a) + 5);
    QVERIFY(rightmostInk(b) < 250);
}

void TestReportRenderer::accountsAndAmountsFitTheirCellsOnPaper()
{
    TestEnv env;
    // At printer resolution and with the fonts installed here, a 30-digit account is wider than its
    // 账号 cell in the body font: it is drawn smaller, never cut. A long name is not shrunk.
    const int dpi = 600;
    const QString account = QStringLiteral("622202020001234567890123456789");
    const QString amount = QStringLiteral("1234567890123.45");
    const QString name = QStringLiteral("北京市朝阳区某某科技发展有限公司");
    RowListModel model;
    model.appendRow({QStringLiteral("1"), account, name, QString(), QString(), amount, QString()});
    RowListReportSource source(&model);
    const ReportRenderer renderer(ReportLayout::payroll());
    TextRecorder recorder(dpi);
    QPainter painter(&recorder);
    renderer.drawPage(painter, requestFor(source), 1, false);
    painter.end();
    const double perMm = dpi / 25.4;
    auto extent = [&](const QString& text) {
        for (const TextRecorder::Item& item : recorder.items) {
            if (item.text == text) {
                return std::make_tuple(item.start.x(),
                                       item.start.x() +
                                           QFontMetricsF(item.font, &recorder).horizontalAdvance(text),
                                       item.font.pixelSize());
            }
        }
        return std::make_tuple(-1.0, -1.0, 0);
    };
    const int bodyPixels = renderer.bodyFont(recorder).pixelSize();
    QVERIFY2(QFontMetricsF(renderer.bodyFont(recorder), &recorder).horizontalAdvance(account) >
                 (65 - 26.5) * perMm,
             "the account fits in the body font: the test would prove nothing");
    const auto [accountLeft, accountRight, accountPixels] = extent(account);
    QVERIFY(accountPixels > 0 && accountPixels < bodyPixels);
    QVERIFY(accountLeft >= int(26.5 * perMm) - 1);
    QVERIFY(accountRight <= int(65 * perMm) + 0.5);
    const auto [amountLeft, amountRight, amountPixels] = extent(amount);
    QVERIFY(amountLeft >= int(90 * perMm) - 1);
    QVERIFY(amountRight <= int(118 * perMm) + 0.5);
    QVERIFY(amountPixels > 0);
    QCOMPARE(std::get<2>(extent(name)), bodyPixels);
    // Texts that fit keep the body font.
    RowListModel fits;
    fits.appendRow(
        {QStringLiteral("1"), QStringLiteral("6222020200012345"), name, QString(), QString(), "100.00", ""});
    RowListReportSource fitsSource(&fits);
    TextRecorder plain(dpi);
    QPainter plainPainter(&plain);
    renderer.drawPage(plainPainter, requestFor(fitsSource), 1, false);
    plainPainter.end();
    for (const TextRecorder::Item& item : plain.items) {
        if (item.text == QStringLiteral("6222020200012345") || item.text == QStringLiteral("100.00")) {
            QCOMPARE(item.font.pixelSize(), bodyPixels);
        }
    }
}

void TestReportRenderer::titles_data()
{
    QTest::addColumn<bool>("isBatch");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("title");
    QTest::newRow("payroll list") << false << ReportLayout::PayrollKind << QStringLiteral("代发清单");
    QTest::newRow("payroll layout, kind 0") << false << 0 << QStringLiteral("批量提现清单");
    QTest::newRow("batch") << true << 0 << QStringLiteral("批量转账记录");
    QTest::newRow("batch, payroll kind")
        << true << ReportLayout::PayrollKind << QStringLiteral("批量转账记录");
}

void TestReportRenderer::titles()
{
    QFETCH(bool, isBatch);
    QFETCH(int, kind);
    QFETCH(QString, title);
    TestEnv env;
    RowListModel model;
    fillPayroll(model, 40);
    RowListReportSource source(&model);
    const ReportRenderer renderer(isBatch ? ReportLayout::batch() : ReportLayout::payroll());
    QCOMPARE(renderer.title(requestFor(source, 1, kind)), title);
    QVERIFY(pageTexts(renderer, requestFor(source, 1, kind))
                .startsWith(title + renderer.layout().columns.at(0).caption));
    // Only the first page carries it.
    QVERIFY(
        pageTexts(renderer, requestFor(source, 2, kind)).startsWith(renderer.layout().columns.at(0).caption));
}

void TestReportRenderer::summaryOnLastPageOnly_data()
{
    QTest::addColumn<bool>("isBatch");
    QTest::addColumn<QStringList>("amounts");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("summary"); // empty: the page has none
    QTest::addColumn<bool>("table");
    QTest::addColumn<QString>("footer");
    const QStringList two = {QStringLiteral("1500.50"), QStringLiteral("200")};
    const QString twoSummary = QStringLiteral("总笔数：2总金额：1700.50大写金额：壹仟柒佰元伍角"
                                              "经办：________复核：________");
    QTest::newRow("payroll, two rows")
        << false << two << 1 << twoSummary << true << QStringLiteral("第 1 页/共 1 页");
    QTest::newRow("batch, two rows") << true << two << 1 << twoSummary << true
                                     << QStringLiteral("第 1 页/共 1 页");
    // 40 rows of 100.00: page 1 has 29, page 2 the other 11 and the summary.
    const QStringList forty(40, QStringLiteral("100.00"));
    const QString fortySummary = QStringLiteral("总笔数：40总金额：4000.00大写金额：肆仟元"
                                                "经办：________复核：________");
    QTest::newRow("payroll, 40 rows, page 1")
        << false << forty << 1 << QString() << true << QStringLiteral("第 1 页/共 2 页");
    QTest::newRow("payroll, 40 rows, page 2")
        << false << forty << 2 << fortySummary << true << QStringLiteral("第 2 页/共 2 页");
    QTest::newRow("batch, 40 rows, page 2")
        << true << forty << 2 << fortySummary << true << QStringLiteral("第 2 页/共 2 页");
    // Rows that fill their last page leave no room: the summary takes a page of its own.
    const QStringList full(29, QStringLiteral("0.01"));
    const QString fullSummary = QStringLiteral("总笔数：29总金额：0.29大写金额：贰角玖分"
                                               "经办：________复核：________");
    QTest::newRow("payroll, 29 rows, page 1")
        << false << full << 1 << QString() << true << QStringLiteral("第 1 页/共 2 页");
    QTest::newRow("payroll, 29 rows, summary page")
        << false << full << 2 << fullSummary << false << QStringLiteral("第 2 页/共 2 页");
    QTest::newRow("batch, 29 rows, summary page")
        << true << full << 2 << fullSummary << false << QStringLiteral("第 2 页/共 2 页");
}

void TestReportRenderer::summaryOnLastPageOnly()
{
    QFETCH(bool, isBatch);
    QFETCH(QStringList, amounts);
    QFETCH(int, page);
    QFETCH(QString, summary);
    QFETCH(bool, table);
    QFETCH(QString, footer);
    TestEnv env(QDate(2021, 3, 7));
    const ReportLayout layout = isBatch ? ReportLayout::batch() : ReportLayout::payroll();
    RowListModel model;
    if (isBatch) {
        fillBatch(model, int(amounts.size()));
    } else {
        fillPayroll(model, int(amounts.size()));
    }
    for (int r = 0; r < amounts.size(); ++r) {
        model.setText(r, layout.amountListColumn, amounts.at(r));
    }
    RowListReportSource source(&model);
    const QString texts = pageTexts(ReportRenderer(layout), requestFor(source, page));
    QCOMPARE(texts.contains(QStringLiteral("总笔数")), !summary.isEmpty());
    QCOMPARE(texts.contains(layout.columns.at(0).caption), table);
    // The summary closes the page's contents, just above the footer.
    QVERIFY2(texts.endsWith(summary + QStringLiteral("报表日期:2021-03-07") + footer), qPrintable(texts));
}

void TestReportRenderer::pageShowsItsRowsAndFooter()
{
    TestEnv env(QDate(2021, 3, 7));
    RowListModel model;
    fillPayroll(model, 140);
    RowListReportSource source(&model);
    ReportRequest request = requestFor(source, 3);
    QCOMPARE(request.pageCount, 5);
    TextRecorder recorder;
    QPainter painter(&recorder);
    ReportRenderer(ReportLayout::payroll()).drawPage(painter, request, 3, true);
    painter.end();
    for (int seq = 60; seq <= 89; ++seq) {
        QVERIFY2(recorder.texts.contains(QString::number(seq)), qPrintable(QString::number(seq)));
    }
    QVERIFY(!recorder.texts.contains(QStringLiteral("59")));
    QVERIFY(!recorder.texts.contains(QStringLiteral("90")));
    QVERIFY(recorder.all().endsWith(QStringLiteral("报表日期:2021-03-07第 3 页/共 5 页")));
}

void TestReportRenderer::batchColumns()
{
    TestEnv env;
    RowListModel model;
    fillBatch(model, 1);
    RowListReportSource source(&model);
    TextRecorder recorder;
    QPainter painter(&recorder);
    ReportRenderer(ReportLayout::batch()).drawPage(painter, requestFor(source), 1, true);
    painter.end();
    const QString all = recorder.all();
    QVERIFY(all.startsWith(QStringLiteral("批量转账记录客户号付款账号付款账户名称金额收款账号收款账户名称")));
    // The payer columns stay empty: after the captions come amount, payee account, payee name.
    QVERIFY(all.contains(QStringLiteral("收款账户名称1.506222000000000001李四1总笔数")));
}

void TestReportRenderer::printsEveryPageAsOneJob()
{
    TestEnv env;
    QTemporaryDir dir;
    RowListModel model;
    fillPayroll(model, 90);
    RowListReportSource source(&model);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("report.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    ReportRequest request = requestFor(source, 2);
    request.printMode = ReportRequest::Print;
    QVERIFY(ReportRenderer(ReportLayout::payroll()).render(printer, request));
    QCOMPARE(printer.docName(), QStringLiteral("代发清单"));
    QCOMPARE(pdfPageCount(dir.filePath(QStringLiteral("report.pdf"))), 4);
}

void TestReportRenderer::printerThatCannotStart()
{
    TestEnv env;
    ScriptedDialogs d;
    d.expect(QStringLiteral("连接到打印机失败!"), Msg::Ok, QStringLiteral("错误"));
    RowListModel model;
    fillPayroll(model, 3);
    RowListReportSource source(&model);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QStringLiteral("/nonexistent-folder/sub/report.pdf"));
    ReportRequest request = requestFor(source);
    request.printMode = ReportRequest::Print;
    QVERIFY(!ReportRenderer(ReportLayout::batch()).render(printer, request));
    QCOMPARE(d.messages.size(), 1);
    QCOMPARE(d.messages.at(0).icon, Msg::Icon::Critical);
    VERIFY_DIALOGS_DONE(d);
}

QTEST_MAIN(TestReportRenderer)
#include "tst_reportrenderer.moc"
