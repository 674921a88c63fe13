#include "BatchFixture.h"
#include "Faults.h"
#include "Workbooks.h"

#include "common/core/ImportLayout.h"
#include "common/core/SpreadsheetReader.h"
#include "common/core/SpreadsheetWriter.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {
QString summary(int read, int added)
{
    return QStringLiteral("总共导入%1条信息\r\n成功导入%2条信息").arg(read).arg(added);
}

void importWorkbook(BatchFixture& f, const QString& path)
{
    f.dialogs.expectFile(path);
    f.click(QStringLiteral("导入Excel"));
}
} // namespace

class TestBatchSpreadsheet : public QObject
{
    Q_OBJECT
private slots:
    void emptyRowIsSkippedUncounted_data() { addWorkbookRows("batch_rows"); }
    void emptyRowIsSkippedUncounted();
    void numberCellsAndADate_data() { addWorkbookRows("batch_number"); }
    void numberCellsAndADate();
    void activeSheetIsRead_data() { addWorkbookRows("batch_active_second"); }
    void activeSheetIsRead();
    void usedRangeBelowRowOne_data() { addWorkbookRows("batch_offset"); }
    void usedRangeBelowRowOne();
    void limitOf1000();
    void templateReadsBackAsAHeader();
    void unreadableWorkbook();
    void hostileWorkbookKeepsTheLines_data();
    void hostileWorkbookKeepsTheLines();
    void exportWritesOneTextSheet();
    void exportFailureLeavesNothing();
    void exportNameAgreesWithItsContent();
    void exportThatCannotBeWrittenIsReported_data();
    void exportThatCannotBeWrittenIsReported();
};

void TestBatchSpreadsheet::emptyRowIsSkippedUncounted()
{
    QFETCH(QString, path);
    BatchFixture f;
    f.dialogs.expect(summary(2, 2));
    importWorkbook(f, path);
    QCOMPARE(f.dialogs.fileRequests.last().filter,
             QStringLiteral("Microsoft Office Excel 工作簿(*.xls;*.xlsx)|*.xls;*.xlsx||"));
    QCOMPARE(f.column(1), (QStringList{"1234567890", "1234567891"})); // the header is never read
    QCOMPARE(f.column(2), (QStringList{QStringLiteral("甲公司"), QStringLiteral("王珅")}));
    QCOMPARE(f.column(3), (QStringList{"100.00", "12.50"}));
    QVERIFY(f.screen.unsaved());
    QVERIFY(!f.button("导出Excel")->isEnabled()); // until a line is selected
    QCOMPARE(f.field("收款人名称")->text(), QString());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

// No header row: the first row is a payee. Numbers come in where the layout takes them; a date
// stops the import at its cell.
void TestBatchSpreadsheet::numberCellsAndADate()
{
    QFETCH(QString, path);
    BatchFixture f;
    f.dialogs.expect(QStringLiteral("您所导入的文件中第2条，金额格式错误"));
    f.dialogs.expect(QStringLiteral("excel格式错误，请将单元格设置成文本格式\r\n"
                                    "第3行C列：单元格是日期、逻辑值、错误值或没有结果的公式，不是文本"));
    importWorkbook(f, path);
    QCOMPARE(f.list()->rows()->row(0),
             (QStringList{"1", "1234567890123", QStringLiteral("甲公司"), "5200.50"}));
    QCOMPARE(f.list()->count(), 1);
    QCOMPARE(f.label("总笔数"), QStringLiteral("1"));
    QCOMPARE(f.label("总金额"), QStringLiteral("5200.50"));
    QVERIFY(f.screen.unsaved());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchSpreadsheet::activeSheetIsRead()
{
    QFETCH(QString, path);
    BatchFixture f;
    f.dialogs.expect(summary(1, 1));
    importWorkbook(f, path);
    QCOMPARE(f.column(2), QStringList{QStringLiteral("活动页")});
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchSpreadsheet::usedRangeBelowRowOne()
{
    QFETCH(QString, path);
    BatchFixture f;
    f.dialogs.expect(summary(3, 3));
    importWorkbook(f, path);
    QCOMPARE(f.column(2),
             (QStringList{QStringLiteral("甲公司"), QStringLiteral("乙公司"), QStringLiteral("丙公司")}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchSpreadsheet::limitOf1000()
{
    BatchFixture f;
    QByteArray fill;
    for (int i = 0; i < 995; ++i) {
        fill += QStringLiteral("|12345%1|公司|1|\r\n").arg(i, 6, 10, QLatin1Char('0')).toUtf8();
    }
    f.dialogs.expect(summary(995, 995));
    f.importText(fill);
    SpreadsheetWriter sheet("Sheet1");
    sheet.setText(1, 1, QStringLiteral("收款人账户"));
    for (int i = 0; i < 10; ++i) {
        sheet.setText(i + 2, 1, QStringLiteral("99999%1").arg(i, 5, 10, QLatin1Char('0')));
        sheet.setText(i + 2, 2, QStringLiteral("公司%1").arg(i));
        sheet.setText(i + 2, 3, "1");
    }
    QVERIFY(sheet.save(f.env.path("ten.xlsx")));
    f.dialogs.expect(QStringLiteral("已超过批量工具上限一千条!导入终止"));
    f.dialogs.expect(summary(6, 5) + QStringLiteral("\r\n已达上限，文件中还有4条未读入"));
    importWorkbook(f, f.env.path("ten.xlsx"));
    QCOMPARE(f.list()->count(), 1000);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchSpreadsheet::templateReadsBackAsAHeader()
{
    BatchFixture f;
    QVERIFY(ImportLayout::batch().writeTemplate(f.env.path("模板.xlsx")));
    f.dialogs.expect(summary(0, 0));
    importWorkbook(f, f.env.path("模板.xlsx"));
    QCOMPARE(f.list()->count(), 0);
    QVERIFY(!f.screen.unsaved());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchSpreadsheet::unreadableWorkbook()
{
    BatchFixture f;
    f.addLine("1234567890");
    f.env.write("broken.xlsx", "PK\x03\x04 not really a workbook");
    f.dialogs.expect(QStringLiteral("文件格式错误，导入失败"));
    importWorkbook(f, f.env.path("broken.xlsx"));
    f.dialogs.expect(QStringLiteral("文件格式错误，导入失败"));
    importWorkbook(f, testData("imports/make_import_fixtures.py"));
    f.dialogs.expectFile(QString());
    f.click("导入Excel");
    QCOMPARE(f.list()->count(), 1);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchSpreadsheet::hostileWorkbookKeepsTheLines_data()
{
    QTest::addColumn<QString>("path");
    for (const char* name : {"fuzz_xlsx_reader/zip-bomb.xlsx", "fuzz_xls_reader/fat-amplified-256k.xls",
                             "fuzz_xls_reader/huge-dimensions.xls"}) {
        QTest::newRow(name) << QStringLiteral(DXBK_SOURCE_DIR "/tests/fuzz/regressions/") +
                                   QLatin1String(name);
    }
}

void TestBatchSpreadsheet::hostileWorkbookKeepsTheLines()
{
    QFETCH(QString, path);
    BatchFixture f;
    f.addLine("6222020200012345678", QStringLiteral("王珅"), "100");
    f.addLine("0001234567", QStringLiteral("甲公司"), "0.5");
    f.dialogs.expect(QStringLiteral("文件格式错误，导入失败"));
    importWorkbook(f, path);
    QCOMPARE(f.column(1), (QStringList{"6222020200012345678", "0001234567"}));
    QCOMPARE(f.column(3), (QStringList{"100.00", "0.50"}));
    QCOMPARE(f.label("总笔数"), QStringLiteral("2"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchSpreadsheet::exportWritesOneTextSheet()
{
    BatchFixture f;
    f.addLine("6222020200012345678", QStringLiteral("王珅"), "100");
    f.addLine("0001234567", QStringLiteral("甲公司"), "0.5");
    f.addLine("1234567891", QStringLiteral("乙公司"), "7");
    f.dialogs.expectFile(f.env.path("order.xlsx"));
    f.dialogs.expect(QStringLiteral("导出成功"));
    answerReview(QStringLiteral("仍然导出")); // a made-up card number
    f.click("导出Excel");
    const ScriptedDialogs::FileRequest request = f.dialogs.fileRequests.last();
    QCOMPARE(request.defaultName, QStringLiteral("行内批量-20201231.xlsx"));
    QCOMPARE(request.filter, QStringLiteral("Excel 文件(*.xlsx)|*.xlsx||"));
    QVERIFY(!f.screen.unsaved());

    SpreadsheetReader reader;
    QVERIFY(reader.open(f.env.path("order.xlsx")));
    QCOMPARE(reader.sheetNames(), QStringList{"kxp-tool"});
    QCOMPARE(reader.usedRange().rowCount, 4);
    QCOMPARE(reader.usedRange().columnCount, 3);
    const QStringList expected{QStringLiteral("收款人账户"),
                               QStringLiteral("收款人名称"),
                               QStringLiteral("金额"),
                               "6222020200012345678",
                               QStringLiteral("王珅"),
                               "100.00",
                               "0001234567",
                               QStringLiteral("甲公司"),
                               "0.50",
                               "1234567891",
                               QStringLiteral("乙公司"),
                               "7.00"};
    for (int r = 1; r <= 4; ++r) {
        for (int c = 1; c <= 3; ++c) {
            QVERIFY(reader.cell(r, c).isText());
            QCOMPARE(reader.cell(r, c).text(), expected.at((r - 1) * 3 + (c - 1)));
        }
    }

    // An independent reader sees the same: one sheet, text cells formatted "@".
#ifdef Q_OS_WIN
    QSKIP("openpyxl is read through the Linux /usr/bin/python3, which a Windows program cannot wait for");
#endif
    if (!QFile::exists("/usr/bin/python3")) {
        QSKIP("python3 is not installed");
    }
    QProcess python;
    python.start("/usr/bin/python3", {"-c",
                                      "import sys, openpyxl\n"
                                      "wb = openpyxl.load_workbook(sys.argv[1])\n"
                                      "ws = wb.active\n"
                                      "print(wb.sheetnames)\n"
                                      "for row in ws.iter_rows():\n"
                                      "    for c in row:\n"
                                      "        print(c.data_type, c.number_format, c.value)\n",
                                      f.env.path("order.xlsx")});
    QVERIFY(python.waitForFinished(60000));
    if (python.exitCode() != 0) {
        QSKIP("openpyxl is not available");
    }
    const QStringList out = QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(out.first(), QStringLiteral("['kxp-tool']"));
    QCOMPARE(out.size(), 13);
    QCOMPARE(out.at(4), QStringLiteral("s @ 6222020200012345678"));
    QCOMPARE(out.at(6), QStringLiteral("s @ 100.00"));
    for (int i = 1; i < out.size(); ++i) {
        QVERIFY2(out.at(i).startsWith("s @ "), qPrintable(out.at(i)));
    }
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchSpreadsheet::exportFailureLeavesNothing()
{
    BatchFixture f;
    f.addLine("1234567890");
    f.dialogs.expectFile(f.env.path("no/such/folder/order.xlsx"));
    f.dialogs.expect(QStringLiteral("创建文件失败！"));
    QVERIFY(!f.screen.ExportLines());
    QVERIFY(f.screen.unsaved());
    f.dialogs.expectFile(QString());
    QVERIFY(!f.screen.ExportLines());
    QCOMPARE(QDir(f.env.dir()).entryList(QDir::Files), QStringList());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchSpreadsheet::exportNameAgreesWithItsContent()
{
    BatchFixture f;
    f.addLine("1234567890");
    // Typed as .xls: the workbook is .xlsx, and so is its name.
    f.dialogs.expectFile(f.env.path("order.xls"));
    f.dialogs.expect(QStringLiteral("导出成功"));
    QVERIFY(f.screen.ExportLines());
    QVERIFY(!f.env.exists("order.xls"));
    QVERIFY(f.env.read("order.xlsx").startsWith("PK"));
    f.dialogs.expectFile(f.env.path("plain"));
    f.dialogs.expect(QStringLiteral("导出成功"));
    QVERIFY(f.screen.ExportLines());
    QVERIFY(f.env.exists("plain.xlsx"));
    // A workbook already there under the name given now is replaced only when the operator says so.
    const QByteArray before = f.env.read("order.xlsx");
    f.addLine("1234567891");
    f.dialogs.expectFile(f.env.path("order.XLS"));
    f.dialogs.expect(QStringLiteral("order.xlsx已存在，是否替换？"), Msg::No);
    QVERIFY(!f.screen.ExportLines());
    QVERIFY(f.screen.unsaved());
    QCOMPARE(f.env.read("order.xlsx"), before);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchSpreadsheet::exportThatCannotBeWrittenIsReported_data()
{
    Faults::addAllRows();
}

void TestBatchSpreadsheet::exportThatCannotBeWrittenIsReported()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    BatchFixture f;
    Faults::Injector injector(fault, f.env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    QByteArray lines;
    for (int i = 0; i < 600; ++i) {
        lines += gbk(QStringLiteral("|6222%1|收款单位%2|%3.%4|\r\n")
                         .arg(i * 7919 % 1000003, 12, 10, QLatin1Char('0'))
                         .arg(i * 31 % 997)
                         .arg(i * 13 % 5000 + 1)
                         .arg(i % 100, 2, 10, QLatin1Char('0')));
    }
    f.dialogs.expect(summary(600, 600));
    f.importText(lines);
    QCOMPARE(f.list()->count(), 600);
    QVERIFY(f.screen.unsaved());
    // The workbook the export is to write, for its size.
    SpreadsheetWriter sheet(QStringLiteral("kxp-tool"));
    sheet.setText(1, 1, QStringLiteral("收款人账户"));
    sheet.setText(1, 2, QStringLiteral("收款人名称"));
    sheet.setText(1, 3, QStringLiteral("金额"));
    for (int r = 0; r < f.list()->count(); ++r) {
        for (int c = 1; c <= 3; ++c) {
            sheet.setText(r + 2, c, f.list()->text(r, c));
        }
    }
    QTemporaryDir elsewhere;
    QVERIFY(sheet.save(elsewhere.filePath("probe.xlsx")));
    QFile probe(elsewhere.filePath("probe.xlsx"));
    QVERIFY(probe.open(QIODevice::ReadOnly));
    const QByteArray workbook = probe.readAll();
    f.env.write("order.xlsx", "an earlier export");

    QVERIFY2(injector.inject(workbook.size()), qPrintable(injector.error()));
    f.dialogs.expectFile(f.env.path("order.xlsx"));
    f.dialogs.expect(QStringLiteral("创建文件失败！"));
    answerReview(QStringLiteral("仍然导出")); // a made-up card number
    f.click("导出Excel");
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QVERIFY(f.screen.unsaved());
    QCOMPARE(f.env.read("order.xlsx"), QByteArray("an earlier export"));
    QCOMPARE(Faults::entries(f.env.dir()), (QStringList{"batch.txt", "order.xlsx"}));
    QCOMPARE(f.dialogs.messages.last().text, QStringLiteral("创建文件失败！"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

QTEST_MAIN(TestBatchSpreadsheet)
#include "tst_batchspreadsheet.moc"
