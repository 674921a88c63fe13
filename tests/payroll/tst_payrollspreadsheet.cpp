#include "PayrollFixture.h"
#include "Workbooks.h"

#include "common/core/SpreadsheetWriter.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <atomic>
#include <thread>

namespace {
QString summary(int read, int imported)
{
    return QStringLiteral("总共导入%1条信息\r\n成功导入%2条信息").arg(read).arg(imported);
}
} // namespace

class TestPayrollSpreadsheet : public QObject
{
    Q_OBJECT
private slots:
    void templateReadsFromRow13_data() { addWorkbookRows("payroll_template"); }
    void templateReadsFromRow13();
    void shortTemplateIsRefused_data() { addWorkbookRows("payroll_template_short"); }
    void shortTemplateIsRefused();
    void headerRowIsSkipped_data() { addWorkbookRows("payroll_header"); }
    void headerRowIsSkipped();
    void numberCells_data() { addWorkbookRows("payroll_numbers"); }
    void numberCells();
    void formatThatRoundsStopsTheImport_data() { addWorkbookRows("payroll_formats"); }
    void formatThatRoundsStopsTheImport();
    void limitOf200();
    void hostileWorkbookKeepsTheLines_data();
    void hostileWorkbookKeepsTheLines();
    void waitCursorWhileReading();

private:
    static void importWorkbook(PayrollFixture& f, const QString& path)
    {
        f.dialogs.expectFile(path);
        f.screen.ImportSpreadsheet();
    }
};

void TestPayrollSpreadsheet::templateReadsFromRow13()
{
    QFETCH(QString, path);
    PayrollFixture f;
    f.dialogs.expect(summary(2, 2));
    importWorkbook(f, path);
    QCOMPARE(f.dialogs.fileRequests.last().filter,
             QStringLiteral("Microsoft Office Excel 工作簿(*.xls;*.xlsx)|*.xls;*.xlsx||"));
    QCOMPARE(f.row(0),
             (QStringList{"1", "6222020200012345", QStringLiteral("王珅"), QStringLiteral("中国银行海安支行"),
                          "104306114010", "8500.00", QStringLiteral("工资")}));
    QCOMPARE(f.row(1).at(5), QStringLiteral("7200.50"));
    QCOMPARE(f.list()->selectedRow(), 0);
    QCOMPARE(f.total(), QStringLiteral("15700.50"));
    QVERIFY(f.screen.unsaved());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollSpreadsheet::shortTemplateIsRefused()
{
    QFETCH(QString, path);
    PayrollFixture f;
    f.dialogs.expect(QStringLiteral("文件格式错误，导入失败"));
    importWorkbook(f, path);
    QCOMPARE(f.list()->count(), 0);
    QVERIFY(!f.screen.unsaved());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollSpreadsheet::headerRowIsSkipped()
{
    QFETCH(QString, path);
    PayrollFixture f;
    f.dialogs.expect(summary(2, 2));
    importWorkbook(f, path);
    QCOMPARE(f.column(2), (QStringList{QStringLiteral("王珅"), QStringLiteral("赵弢")}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

// No header: the first row is a payee; numbers are taken where the layout allows them.
void TestPayrollSpreadsheet::numberCells()
{
    QFETCH(QString, path);
    PayrollFixture f;
    f.dialogs.expect(QStringLiteral("您所导入的文件中第2条，金额格式错误"));
    f.dialogs.expect(QStringLiteral("excel格式错误，请将单元格设置成文本格式\r\n"
                                    "第3行A列：数字6.22202E+18超过15位，表格已丢失它的末尾几位"));
    importWorkbook(f, path);
    QCOMPARE(f.list()->count(), 1);
    QCOMPARE(f.row(0), (QStringList{"1", "622202020001234", QStringLiteral("王珅"), QString(), "104306114010",
                                    "5200.50", QStringLiteral("工资")}));
    QCOMPARE(f.total(), QStringLiteral("5200.50"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

// A currency format shows the amount as stored; a format that rounds 5200.5 to 5201 stops the import.
void TestPayrollSpreadsheet::formatThatRoundsStopsTheImport()
{
    QFETCH(QString, path);
    PayrollFixture f;
    f.dialogs.expect(QStringLiteral(
        "excel格式错误，请将单元格设置成文本格式\r\n第3行E列：单元格的数字格式显示的不是存储的数字"
        "5200.5（四舍五入、百分比、千位缩放、补零或隐藏），请设置成文本或常规格式"));
    importWorkbook(f, path);
    QCOMPARE(f.column(5), QStringList{"1500.00"});
    QCOMPARE(f.total(), QStringLiteral("1500.00"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollSpreadsheet::limitOf200()
{
    PayrollFixture f;
    for (int i = 0; i < 198; ++i) {
        f.addLine(QStringLiteral("62220202%1").arg(i, 8, 10, QLatin1Char('0')), QStringLiteral("张三"), "1");
    }
    SpreadsheetWriter sheet("Sheet1");
    for (int i = 0; i < 5; ++i) {
        sheet.setText(i + 1, 1, QStringLiteral("62220203%1").arg(i, 8, 10, QLatin1Char('0')));
        sheet.setText(i + 1, 2, QStringLiteral("李四"));
        sheet.setText(i + 1, 4, "104306114010");
        sheet.setText(i + 1, 5, "2");
    }
    QVERIFY(sheet.save(f.env.path("five.xlsx")));
    f.dialogs.expect(QStringLiteral("已超过代发工具上限200条!导入终止"));
    f.dialogs.expect(summary(2, 2) + QStringLiteral("\r\n已达上限，文件中还有3条未读入\r\n可用 dxbk-cli "
                                                    "convert --split 把文件分成每份200条以内，再逐份导入"));
    importWorkbook(f, f.env.path("five.xlsx"));
    QCOMPARE(f.list()->count(), 200);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

namespace {
QString regression(const QString& name)
{
    return QStringLiteral(DXBK_SOURCE_DIR "/tests/fuzz/regressions/") + name;
}
} // namespace

// The workbooks that once crashed, froze or exhausted the program: each ends with the format
// message in bounded time, and the lines on the screen stay as they were.
void TestPayrollSpreadsheet::hostileWorkbookKeepsTheLines_data()
{
    QTest::addColumn<QString>("path");
    for (const char* name :
         {"fuzz_xlsx_reader/zip-bomb.xlsx", "fuzz_xlsx_reader/zip-bomb-small-size.xlsx",
          "fuzz_xlsx_reader/many-cells.xlsx", "fuzz_xls_reader/fat-amplified-16k.xls",
          "fuzz_xls_reader/fat-amplified-64k.xls", "fuzz_xls_reader/fat-amplified-256k.xls",
          "fuzz_xls_reader/huge-dimensions.xls"}) {
        QTest::newRow(name) << regression(QLatin1String(name));
    }
}

void TestPayrollSpreadsheet::hostileWorkbookKeepsTheLines()
{
    QFETCH(QString, path);
    PayrollFixture f;
    f.addLine(QStringLiteral("6222020200012345"), QStringLiteral("王珅"), QStringLiteral("8500"));
    f.addLine(QStringLiteral("6222020200012346"), QStringLiteral("赵弢"), QStringLiteral("7200.5"));
    const QStringList first = f.row(0);
    const QStringList second = f.row(1);
    const bool unsaved = f.screen.unsaved();

    f.dialogs.expectFile(path);
    f.dialogs.expect(QStringLiteral("文件格式错误，导入失败"));
    QElapsedTimer timer;
    timer.start();
    f.button(QStringLiteral("导入Excel"))->click(); // the button is created hidden
    QVERIFY2(timer.elapsed() < 60000, QByteArray::number(timer.elapsed()));
    VERIFY_DIALOGS_DONE(f.dialogs);
    QVERIFY(!f.dialogs.messages.last().overrideCursor); // the wait cursor is gone before the message
    QVERIFY(!QGuiApplication::overrideCursor());

    QCOMPARE(f.list()->count(), 2);
    QCOMPARE(f.row(0), first);
    QCOMPARE(f.row(1), second);
    QCOMPARE(f.count(), QStringLiteral("2"));
    QCOMPARE(f.total(), QStringLiteral("15700.50"));
    QCOMPARE(f.screen.unsaved(), unsaved);
}

// Reading a large workbook takes seconds: the wait cursor is up meanwhile, and down afterwards
// whether the workbook was read or refused.
void TestPayrollSpreadsheet::waitCursorWhileReading()
{
    PayrollFixture f;
    // The screen thread is busy reading; a watcher sees the cursor list change.
    std::atomic<bool> seen{false}, stop{false};
    std::thread watcher([&] {
        while (!stop) {
            seen = seen || QGuiApplication::overrideCursor() != nullptr;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    f.dialogs.expectFile(regression(QStringLiteral("fuzz_xlsx_reader/many-cells.xlsx")));
    f.dialogs.expect(QStringLiteral("文件格式错误，导入失败"));
    f.button(QStringLiteral("导入Excel"))->click();
    stop = true;
    watcher.join();
    QVERIFY(seen);
    QVERIFY(!QGuiApplication::overrideCursor());

    f.dialogs.expect(summary(2, 2));
    importWorkbook(f, testData(QStringLiteral("imports/payroll_template.openpyxl.xlsx")));
    QVERIFY(!f.dialogs.messages.last().overrideCursor);
    QVERIFY(!QGuiApplication::overrideCursor());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

QTEST_MAIN(TestPayrollSpreadsheet)
#include "tst_payrollspreadsheet.moc"
