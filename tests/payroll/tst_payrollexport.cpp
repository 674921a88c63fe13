#include "PayrollFixture.h"

#include "common/core/SafeWrite.h"

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
    void failedWriteIsReportedNeverSaved();
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
    f.click("导出文本");
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

void TestPayrollExport::failedWriteIsReportedNeverSaved()
{
    PayrollFixture f;
    f.addLine("6222020200012345");
    f.env.write("old.txt", "previous order");
    SafeWrite::setFailAfterBytesForTests(20);
    f.dialogs.expectFile(f.env.path("old.txt"));
    f.dialogs.expect(QStringLiteral("创建文件失败！"));
    QVERIFY(!f.screen.ExportLines());
    QVERIFY(f.screen.unsaved());
    QCOMPARE(f.env.read("old.txt"), QByteArray("previous order"));

    SafeWrite::setFailAfterBytesForTests(-1);
    f.dialogs.expectFile(f.env.path("no/such/folder/x.txt"));
    f.dialogs.expect(QStringLiteral("创建文件失败！"));
    QVERIFY(!f.screen.ExportLines());
    for (const auto& m : f.dialogs.messages) {
        QVERIFY(m.text != QStringLiteral("保存成功"));
    }
    VERIFY_DIALOGS_DONE(f.dialogs);
}

QTEST_MAIN(TestPayrollExport)
#include "tst_payrollexport.moc"
