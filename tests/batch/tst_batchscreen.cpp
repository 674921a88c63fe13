#include "BatchFixture.h"

#include "Faults.h"
#include "ModalDriver.h"

#include <QApplication>

namespace {
const QStringList kControls{"新增",       "导入Excel",  "批量明细", "确定", "取消", "行内账户选择",
                            "收款人名称", "收款人账户", "金额",     "修改", "删除", "导出Excel"};
const QString kIdle = "111000000000";
const QString kView = "111000000111";
const QString kAdding = "000111111000";

QString enabled(const BatchFixture& f)
{
    QString out;
    for (const QString& n : kControls) {
        QWidget* w = f.screen.findChild<QWidget*>(n);
        out += (w && w->isEnabled()) ? QLatin1Char('1') : QLatin1Char('0');
    }
    return out;
}

QByteArray batchLines(int n, int from = 0)
{
    QByteArray out;
    for (int i = 0; i < n; ++i) {
        out += QStringLiteral("|12345%1|公司%2|1|\r\n")
                   .arg(from + i, 6, 10, QLatin1Char('0'))
                   .arg(from + i)
                   .toUtf8();
    }
    return out;
}
} // namespace

class TestBatchScreen : public QObject
{
    Q_OBJECT
private slots:
    void statesAndHiddenButtons();
    void validationInOrder_data();
    void validationInOrder();
    void amountsAreCompleted();
    void limitOf1000Lines();
    void deleteRenumbersAndSelects();
    void deletingTheOnlyLineClearsUnsaved();
    void selectionLoadsFields();
    void enterMovesFocusOrConfirms();
    void rememberPayeeInBankRoster();
    void rememberPayeeRefusesIncompleteRecordAndReportsFailure_data();
    void rememberPayeeRefusesIncompleteRecordAndReportsFailure();
    void exitAsksWithItsCaption();
    void inBankPickerFillsAccountAndName();
};

void TestBatchScreen::statesAndHiddenButtons()
{
    BatchFixture f;
    QCOMPARE(enabled(f), kIdle);
    QCOMPARE(f.label("总笔数"), QStringLiteral("0"));
    QCOMPARE(f.label("总金额"), QStringLiteral("0.00"));
    QVERIFY(!f.button("导入文本")->isVisible());
    QVERIFY(!f.button("打印")->isVisible());
    f.click("新增");
    QCOMPARE(enabled(f), kAdding);
    f.fill("6222020200012345", QStringLiteral("甲公司"), "0.1");
    QCOMPARE(f.label("大写金额"), QStringLiteral("壹角"));
    f.click("确定");
    QCOMPARE(enabled(f), kView);
    QCOMPARE(f.list()->rows()->row(0),
             (QStringList{"1", "6222020200012345", QStringLiteral("甲公司"), "0.10"}));
    f.addLine("6222020200012346", QStringLiteral("乙公司"), "0.2");
    QCOMPARE(f.label("总金额"), QStringLiteral("0.30"));
    QCOMPARE(f.label("总笔数"), QStringLiteral("2"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchScreen::validationInOrder_data()
{
    QTest::addColumn<QStringList>("fields"); // account, name, amount
    QTest::addColumn<QString>("message");
    QTest::newRow("name blank") << QStringList{"", "   ", ""} << QStringLiteral("请输入收款账户名称");
    QTest::newRow("name bar") << QStringList{"", QStringLiteral("甲|乙"), ""}
                              << QStringLiteral("收款人名称中不能含有字符“|”");
    QTest::newRow("name not gbk") << QStringList{"", QStringLiteral("甲¥"), ""}
                                  << QStringLiteral("收款人名称中含有无法保存的字符");
    QTest::newRow("account empty") << QStringList{" ", QStringLiteral("甲"), ""}
                                   << QStringLiteral("请输入收款账号");
    QTest::newRow("account bar") << QStringList{"12|34", QStringLiteral("甲"), ""}
                                 << QStringLiteral("收款人账户中不能含有字符“|”");
    QTest::newRow("amount empty") << QStringList{"1", QStringLiteral("甲"), " "}
                                  << QStringLiteral("请输入转账金额");
    QTest::newRow("amount letters") << QStringList{"1", QStringLiteral("甲"), "1x"}
                                    << QStringLiteral("金额格式错误");
    QTest::newRow("amount 1.2.3") << QStringList{"1", QStringLiteral("甲"), "1.2.3"}
                                  << QStringLiteral("金额格式错误");
    QTest::newRow("amount 12.345") << QStringList{"1", QStringLiteral("甲"), "12.345"}
                                   << QStringLiteral("金额格式错误");
    for (const char* zero : {"0", "0.00", "0.0", ".00", "000"}) {
        QTest::newRow(zero) << QStringList{"1", QStringLiteral("甲"), zero}
                            << QStringLiteral("转账金额不能为0");
    }
}

void TestBatchScreen::validationInOrder()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, message);
    BatchFixture f;
    f.click("新增");
    f.fill(fields.at(0), fields.at(1), fields.at(2));
    f.dialogs.expect(message, Msg::Ok, "DXBK-TOOL");
    f.click("确定");
    QCOMPARE(enabled(f), kAdding);
    QCOMPARE(f.field("收款人名称")->text(), fields.at(1).trimmed()); // trimmed, left for the operator
    QCOMPARE(f.list()->count(), 0);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchScreen::amountsAreCompleted()
{
    BatchFixture f;
    for (const auto& [typed, stored] :
         {std::pair{"12", "12.00"}, {"12.5", "12.50"}, {"12.", "12.00"}, {"007.5", "7.50"}}) {
        f.addLine("1234567890", QStringLiteral("甲"), typed);
        QCOMPARE(f.column(3).last(), QString(stored));
    }
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchScreen::limitOf1000Lines()
{
    BatchFixture f;
    f.dialogs.expect(QStringLiteral("总共导入1000条信息\r\n成功导入1000条信息"));
    f.importText(batchLines(1000));
    QCOMPARE(f.list()->count(), 1000);
    QCOMPARE(f.label("总金额"), QStringLiteral("1000.00"));
    f.env.write("hangneiacc.txt", "|1234567890|x||\r\n");
    f.click("新增"); // still opens an entry
    f.fill("9999999999", QStringLiteral("乙"), "5");
    f.dialogs.expect(QStringLiteral("已超过批量工具上限一千条!新增失败"));
    f.click("确定");
    QCOMPARE(f.list()->count(), 1000);
    QCOMPARE(enabled(f).left(3), QStringLiteral("111"));
    QCOMPARE(f.field("收款人名称")->text(), QString());
    QCOMPARE(f.env.read("hangneiacc.txt"), QByteArray("|1234567890|x||\r\n"));
    QVERIFY(f.screen.unsaved());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchScreen::deleteRenumbersAndSelects()
{
    BatchFixture f;
    for (int i = 1; i <= 5; ++i) {
        f.addLine(QStringLiteral("123456789%1").arg(i), QStringLiteral("公司%1").arg(i), QString::number(i));
    }
    f.list()->selectRow(2);
    f.dialogs.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes, QStringLiteral("删除"));
    f.click("删除");
    QCOMPARE(f.column(0), (QStringList{"1", "2", "3", "4"}));
    QCOMPARE(f.column(2).at(2), QStringLiteral("公司4"));
    QCOMPARE(f.list()->selectedRow(), 2);
    QCOMPARE(f.field("收款人名称")->text(), QStringLiteral("公司4"));
    f.list()->selectRow(3);
    f.dialogs.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes);
    f.click("删除");
    QCOMPARE(f.list()->selectedRow(), 2);
    QCOMPARE(f.label("总金额"), QStringLiteral("7.00"));
    QVERIFY(f.screen.unsaved());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchScreen::deletingTheOnlyLineClearsUnsaved()
{
    BatchFixture f;
    f.addLine("1234567890");
    f.dialogs.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes);
    f.click("删除");
    QVERIFY(!f.screen.unsaved());
    QCOMPARE(f.label("总笔数"), QStringLiteral("0"));
    QCOMPARE(enabled(f), kIdle);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchScreen::selectionLoadsFields()
{
    BatchFixture f;
    f.addLine("1234567890", QStringLiteral("甲公司"), "1500");
    f.addLine("1234567891", QStringLiteral("乙公司"), "20");
    f.list()->selectRow(0);
    QCOMPARE(f.field("收款人账户")->text(), QStringLiteral("1234567890"));
    QCOMPARE(f.label("大写金额"), QStringLiteral("壹仟伍佰元"));
    // A click into empty list space leaves no line selected and empties the fields.
    QTest::mouseClick(f.list()->viewport(), Qt::LeftButton, {},
                      QPoint(20, f.list()->viewport()->height() - 5));
    QCOMPARE(f.list()->selectedRow(), -1);
    QCOMPARE(f.field("收款人账户")->text(), QString());
    QCOMPARE(f.label("大写金额"), QString());
    QVERIFY(f.button("导出Excel")->isEnabled());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchScreen::enterMovesFocusOrConfirms()
{
    BatchFixture f;
    f.screen.activateWindow();
    f.click("新增");
    f.fill("1234567890", QStringLiteral("甲"), "5");
    f.field("收款人名称")->setFocus();
    QTest::keyClick(f.field("收款人名称"), Qt::Key_Return);
    QCOMPARE(f.screen.focusWidget(), f.field("收款人账户"));
    QTest::keyClick(f.field("收款人账户"), Qt::Key_Return);
    QCOMPARE(f.screen.focusWidget(), f.field("金额"));
    QCOMPARE(f.list()->count(), 0);
    f.button("确定")->setFocus();
    QTest::keyClick(f.button("确定"), Qt::Key_Enter);
    QCOMPARE(f.list()->count(), 1);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchScreen::rememberPayeeInBankRoster()
{
    BatchFixture f;
    f.addLine("1234567890");
    QVERIFY(!f.env.exists("hangneiacc.txt")); // never created here

    const QByteArray first = gbk(QStringLiteral("|1234567891|乙公司||\r\n"));
    const QByteArray target = gbk(QStringLiteral("|1234567890|旧名称||\r\n"));
    const QByteArray last = gbk(QStringLiteral("|1234567892|丙公司||"));
    f.env.write("hangneiacc.txt", first + target + last);
    f.addLine("1234567890", QStringLiteral("王珅商行"));
    const QByteArray record = gbk(QStringLiteral("|1234567890|王珅商行||\r\n"));
    QCOMPARE(f.env.read("hangneiacc.txt"), first + record + last);
    f.addLine("1234567899", QStringLiteral("丁公司"));
    QCOMPARE(f.env.read("hangneiacc.txt"),
             first + record + last + "\r\n" + gbk(QStringLiteral("|1234567899|丁公司||\r\n")));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchScreen::rememberPayeeRefusesIncompleteRecordAndReportsFailure_data()
{
    Faults::addAllRows();
}

void TestBatchScreen::rememberPayeeRefusesIncompleteRecordAndReportsFailure()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    BatchFixture f;
    Faults::Injector injector(fault, f.env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    QByteArray roster = gbk(QStringLiteral("|1234567891|乙公司||\r\n"));
    for (int i = 0; i < 150; ++i) {
        roster += gbk(QStringLiteral("|98765%1|某某公司%1||\r\n").arg(i, 5, 10, QLatin1Char('0')));
    }
    f.env.write("hangneiacc.txt", roster);
    f.addLine("12345", QStringLiteral("短账号")); // the in-bank book would refuse it
    QCOMPARE(f.env.read("hangneiacc.txt"), roster);
    const QByteArray added = roster + gbk(QStringLiteral("|1234567899|甲公司||\r\n"));
    QVERIFY2(injector.inject(added.size()), qPrintable(injector.error()));
    f.dialogs.expect(QStringLiteral("文件保存失败：hangneiacc.txt"));
    f.addLine("1234567899");
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(f.env.read("hangneiacc.txt"), roster);
    QCOMPARE(Faults::entries(f.env.dir()), QStringList{"hangneiacc.txt"});
    QCOMPARE(f.list()->count(), 2); // the line itself is confirmed
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchScreen::exitAsksWithItsCaption()
{
    BatchFixture f;
    f.addLine("1234567890");
    f.dialogs.expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::Cancel, QStringLiteral("批量转账"));
    f.click("退出");
    QVERIFY(f.screen.isVisible());
    f.dialogs.expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::No, QStringLiteral("批量转账"));
    f.click("退出");
    QVERIFY(!f.screen.isVisible());
    QCOMPARE(f.list()->count(), 0);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchScreen::inBankPickerFillsAccountAndName()
{
    BatchFixture f;
    f.env.write("hangneiacc.txt", gbk(QStringLiteral("|1234567890|甲公司||\r\n|1234567891|王珅商行||\r\n")));
    f.screen.activateWindow();
    QTRY_VERIFY(f.screen.isActiveWindow());
    f.click("新增");
    onNextModal([](QWidget* picker) {
        QCOMPARE(picker->windowTitle(), QStringLiteral("行内账户选择"));
        RowList* list = picker->findChildren<RowList*>().first();
        list->setFocus();
        list->selectRow(1);
        QTest::keyClick(list, Qt::Key_Return);
    });
    f.click("行内账户选择");
    QCOMPARE(f.field("收款人账户")->text(), QStringLiteral("1234567891"));
    QCOMPARE(f.field("收款人名称")->text(), QStringLiteral("王珅商行"));
    f.screen.activateWindow(); // as when the picker's window has gone
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.field("金额")));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

QTEST_MAIN(TestBatchScreen)
#include "tst_batchscreen.moc"
