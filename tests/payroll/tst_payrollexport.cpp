#include "Faults.h"
#include "PayrollFixture.h"

namespace {
const QByteArray kHeader = gbk(QStringLiteral(
    "序号,业务序号,收款人行号,收款人账号,收款人姓名,金额,收款人地址,附言,日期,流水号,接收行行号\r\n"));
}

class TestPayrollExport : public QObject
{
    Q_OBJECT
private slots:
    void offersDatedNameAndWritesExactBytes();
    void emptyListWritesHeaderOnly();
    void fieldsLoseLineBreaks();
    void cancelledDialogChangesNothing();
    void failedWriteIsReportedNeverSaved_data();
    void failedWriteIsReportedNeverSaved();
    void folderThatDoesNotExistIsReported();
};

void TestPayrollExport::offersDatedNameAndWritesExactBytes()
{
    PayrollFixture f;
    f.addLine("6222020200012345", QStringLiteral("王珅"), "100", QStringLiteral("中国银行"), "104306114010",
              QStringLiteral("十二月工资"));
    f.addLine("6222020200099999", QStringLiteral("李四"), "0.5", QStringLiteral("农业银行"), "103100000026",
              "");
    QVERIFY(f.screen.unsaved());

    f.dialogs.expectFile(f.env.path("out.txt"));
    f.dialogs.expect(QStringLiteral("保存成功"), Msg::Ok, "DXBK-TOOL");
    // The first card number is made up; the clerk exports all the same, and the file is as it was.
    QStringList listed;
    answerReview(QStringLiteral("仍然导出"), &listed);
    f.click("导出文本");
    QCOMPARE(listed, QStringList{QStringLiteral(
                         "1 收款账号6222020200012345是银联卡号，但末位校验码不符，可能输错了一位")});
    const ScriptedDialogs::FileRequest request = f.dialogs.fileRequests.last();
    QVERIFY(request.save);
    QCOMPARE(request.defaultName, QStringLiteral("跨行代发-20201231.txt"));
    QCOMPARE(request.filter, QStringLiteral("Text Files (*.txt)|*.txt||"));
    QCOMPARE(request.defaultSuffix, QString());

    const QByteArray expected =
        kHeader + gbk(QStringLiteral("1,,104306114010,6222020200012345,王珅,100.00,,十二月工资,,,\r\n"
                                     "2,,103100000026,6222020200099999,李四,0.50,,,,,"));
    QCOMPARE(f.env.read("out.txt"), expected);
    // 王 and 珅 in GBK, byte for byte
    QVERIFY(f.env.read("out.txt").contains(QByteArray("\xcd\xf5\xab\x7c")));
    QVERIFY(!f.screen.unsaved());
    QCOMPARE(f.list()->count(), 2); // the lines stay
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollExport::emptyListWritesHeaderOnly()
{
    PayrollFixture f;
    f.dialogs.expectFile(f.env.path("empty.txt"));
    f.dialogs.expect(QStringLiteral("保存成功"));
    QVERIFY(f.screen.ExportLines());
    QCOMPARE(f.env.read("empty.txt"), kHeader);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollExport::fieldsLoseLineBreaks()
{
    QVector<PayrollLine> lines{{"1", "6222020200012345", QStringLiteral("张\r\n三"),
                                QStringLiteral("中国银行"), "104306114010", "1.00",
                                QStringLiteral("工\n资")}};
    QCOMPARE(PayrollExport::build(lines),
             kHeader + gbk(QStringLiteral("1,,104306114010,6222020200012345,张三,1.00,,工资,,,")));
}

void TestPayrollExport::cancelledDialogChangesNothing()
{
    PayrollFixture f;
    f.addLine("6222020200012345");
    f.dialogs.expectFile(QString());
    QVERIFY(!f.screen.ExportLines());
    QVERIFY(f.screen.unsaved());
    QCOMPARE(f.dialogs.messages.size(), 0);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollExport::failedWriteIsReportedNeverSaved_data()
{
    Faults::addAllRows();
}

void TestPayrollExport::failedWriteIsReportedNeverSaved()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    PayrollFixture f;
    Faults::Injector injector(fault, f.env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    // A hundred lines: larger than a page of the test file system.
    QByteArray order = kHeader;
    for (int i = 1; i <= 100; ++i) {
        order += gbk(QStringLiteral("%1,,104306114010,62220202000%2,张三%1,%1.00,,十二月工资,,,\r\n")
                         .arg(i)
                         .arg(i, 5, 10, QLatin1Char('0')));
    }
    f.env.write("order.txt", order);
    f.dialogs.expectFile(f.env.path("order.txt"));
    f.dialogs.expect(QStringLiteral("总共导入100条信息\r\n成功导入100条信息"));
    f.click("导入文本");
    QCOMPARE(f.list()->count(), 100);
    f.env.write("old.txt", "previous order");
    const QByteArray expected = PayrollExport::build(f.screen.lines());
    QVERIFY2(injector.inject(expected.size()), qPrintable(injector.error()));
    f.dialogs.expectFile(f.env.path("old.txt"));
    f.dialogs.expect(QStringLiteral("创建文件失败！"));
    QVERIFY(!f.screen.ExportLines());
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QVERIFY(f.screen.unsaved());
    QCOMPARE(f.list()->count(), 100);
    QCOMPARE(f.env.read("old.txt"), QByteArray("previous order"));
    QCOMPARE(Faults::entries(f.env.dir()), (QStringList{"old.txt", "order.txt"}));
    for (const auto& m : f.dialogs.messages) {
        QVERIFY(m.text != QStringLiteral("保存成功"));
    }
    // Mended, the same export goes through.
    f.dialogs.expectFile(f.env.path("old.txt"));
    f.dialogs.expect(QStringLiteral("保存成功"));
    QVERIFY(f.screen.ExportLines());
    QCOMPARE(f.env.read("old.txt"), expected);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollExport::folderThatDoesNotExistIsReported()
{
    PayrollFixture f;
    f.addLine("6222020200012345");
    f.dialogs.expectFile(f.env.path("no/such/folder/x.txt"));
    f.dialogs.expect(QStringLiteral("创建文件失败！"));
    QVERIFY(!f.screen.ExportLines());
    QVERIFY(f.screen.unsaved());
    for (const auto& m : f.dialogs.messages) {
        QVERIFY(m.text != QStringLiteral("保存成功"));
    }
    VERIFY_DIALOGS_DONE(f.dialogs);
}

QTEST_MAIN(TestPayrollExport)
#include "tst_payrollexport.moc"
