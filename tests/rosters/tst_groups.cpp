#include "Faults.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "common/CMyEditCtrl.h"
#include "common/RowList.h"
#include "rosters/CGROUPDlg.h"
#include "rosters/CNewGroupDlg.h"
#include "rosters/core/GroupNames.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
const QByteArray kDefault = gbk(QStringLiteral("代发工资|其他代发|批量提现|"));

// Answers the name dialog that the next action opens.
void answerNameDialog(const QString& name, bool ok = true)
{
    QTimer::singleShot(0, [name, ok] {
        auto* dlg = qobject_cast<CNewGroupDlg*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        QCOMPARE(dlg->windowTitle(), QStringLiteral("请输入新的组名称"));
        dlg->findChild<CMyEditCtrl*>(QStringLiteral("新的组名称"))->setText(name);
        QTest::mouseClick(dlg->findChild<QPushButton*>(ok ? QStringLiteral("确定") : QStringLiteral("取消")),
                          Qt::LeftButton);
    });
}

QStringList names(const CGROUPDlg& dlg)
{
    return dlg.groups();
}
} // namespace

class TestGroups : public QObject
{
    Q_OBJECT
private slots:
    void defaultFileIsCreated();
    void openNeedsASelection();
    void newGroupCreatesItsFile();
    void renameWithoutRosterFile();
    void deleteRemovesItsFile();
    void defaultGroupIsProtected();
    void groupListedTwiceKeepsItsRoster();
    void refusedNames_data();
    void refusedNames();
    void longestNamesThatFitAreSaved_data();
    void longestNamesThatFitAreSaved();
    void namesAreDecodedBeforeSplitting();
    void undecodableFileIsNeverReplaced();
    void namesFromTheFileAreChecked();
    void renameOntoAnExistingRoster();
    // group.txt is smaller than a page of the test file system.
    void newGroupThatCannotBeSavedIsNotListed_data() { Faults::addAllRows(false); }
    void newGroupThatCannotBeSavedIsNotListed();
    void renameThatCannotBeSavedKeepsTheRoster_data() { Faults::addAllRows(false); }
    void renameThatCannotBeSavedKeepsTheRoster();
    void deleteThatCannotBeSavedKeepsTheRoster_data() { Faults::addAllRows(false); }
    void deleteThatCannotBeSavedKeepsTheRoster();
    void newRosterThatCannotBeCreatedIsReported_data();
    void newRosterThatCannotBeCreatedIsReported();
    void rosterThatCannotFollowItsGroupIsReported();
};

void TestGroups::defaultFileIsCreated()
{
    TestEnv env;
    CGROUPDlg dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("代发收款账户管理组列表"));
    QCOMPARE(names(dlg), (QStringList{QStringLiteral("代发工资"), QStringLiteral("其他代发"),
                                      QStringLiteral("批量提现")}));
    QCOMPARE(env.read("group.txt"), kDefault);
    QCOMPARE(kDefault.size(), 27);
    QVERIFY(dlg.findChild<QLabel*>(QStringLiteral("用法"))
                ->text()
                .startsWith(QStringLiteral("用户选择需要维护的组名称")));
    CGROUPDlg importing(true);
    QVERIFY(importing.findChild<QLabel*>(QStringLiteral("用法"))
                ->text()
                .startsWith(QStringLiteral("用户选择需要导入名册")));
    QVERIFY(!dlg.findChild<QPushButton*>(QStringLiteral("新建组"))->isVisible());
}

void TestGroups::openNeedsASelection()
{
    TestEnv env;
    ScriptedDialogs d;
    CGROUPDlg dlg;
    dlg.show();
    dlg.findChild<RowList*>()->selectRow(1);
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("打开")), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.chosenGroup(), QStringLiteral("其他代发"));

    CGROUPDlg again;
    again.show();
    again.findChild<RowList*>()->clearRowSelection();
    d.expect(QStringLiteral("请选择组"));
    QTest::keyClick(again.findChild<RowList*>(), Qt::Key_Return);
    QVERIFY(again.isVisible());
    VERIFY_DIALOGS_DONE(d);
}

void TestGroups::newGroupCreatesItsFile()
{
    TestEnv env;
    ScriptedDialogs d;
    env.write(QStringLiteral("销售部.txt"), gbk(QStringLiteral("|6222020200000001|张三|1.00|||\r\n")));
    CGROUPDlg dlg;
    answerNameDialog(QStringLiteral("  奖金组  "));
    dlg.NewGroup();
    QCOMPARE(names(dlg).last(), QStringLiteral("奖金组"));
    QCOMPARE(env.read("group.txt"), kDefault + gbk(QStringLiteral("奖金组|")));
    QVERIFY(env.exists(QStringLiteral("奖金组.txt")));
    QCOMPARE(env.read(QStringLiteral("奖金组.txt")).size(), 0);
    // A roster that already exists is kept as it is.
    answerNameDialog(QStringLiteral("销售部"));
    dlg.NewGroup();
    QCOMPARE(env.read(QStringLiteral("销售部.txt")),
             gbk(QStringLiteral("|6222020200000001|张三|1.00|||\r\n")));
    answerNameDialog(QStringLiteral("不要了"), false);
    dlg.NewGroup();
    QCOMPARE(names(dlg).size(), 5);
    VERIFY_DIALOGS_DONE(d);
}

void TestGroups::renameWithoutRosterFile()
{
    TestEnv env;
    ScriptedDialogs d;
    CGROUPDlg dlg;
    dlg.findChild<RowList*>()->selectRow(2);
    answerNameDialog(QStringLiteral("提现"));
    dlg.RenameGroup();
    QCOMPARE(env.read("group.txt"), gbk(QStringLiteral("代发工资|其他代发|提现|")));
    QVERIFY(!env.exists(QStringLiteral("提现.txt")));

    env.write(QStringLiteral("其他代发.txt"), "x");
    dlg.findChild<RowList*>()->selectRow(1);
    answerNameDialog(QStringLiteral("其他"));
    dlg.RenameGroup();
    QVERIFY(!env.exists(QStringLiteral("其他代发.txt")));
    QCOMPARE(env.read(QStringLiteral("其他.txt")), QByteArray("x"));
    VERIFY_DIALOGS_DONE(d);
}

void TestGroups::deleteRemovesItsFile()
{
    TestEnv env;
    ScriptedDialogs d;
    env.write(QStringLiteral("其他代发.txt"), "x");
    CGROUPDlg dlg;
    dlg.findChild<RowList*>()->selectRow(1);
    d.expect(QStringLiteral("确认删除此条信息？"), Msg::No, QStringLiteral("删除"));
    dlg.DeleteGroup();
    QVERIFY(env.exists(QStringLiteral("其他代发.txt")));
    d.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes, QStringLiteral("删除"));
    dlg.DeleteGroup();
    QVERIFY(!env.exists(QStringLiteral("其他代发.txt")));
    QCOMPARE(env.read("group.txt"), gbk(QStringLiteral("代发工资|批量提现|")));
    QCOMPARE(dlg.findChild<RowList*>()->text(1, 0), QStringLiteral("2"));
    QCOMPARE(dlg.findChild<RowList*>()->selectedRow(), 1);
    VERIFY_DIALOGS_DONE(d);
}

void TestGroups::groupListedTwiceKeepsItsRoster()
{
    // group.txt may name a group twice: the roster stays while any entry names it.
    TestEnv env;
    ScriptedDialogs d;
    env.write("group.txt", gbk(QStringLiteral("代发工资|一月|一月|")));
    env.write(QStringLiteral("一月.txt"), "x");
    CGROUPDlg dlg;
    dlg.findChild<RowList*>()->selectRow(1);
    answerNameDialog(QStringLiteral("二月"));
    dlg.RenameGroup();
    QCOMPARE(env.read("group.txt"), gbk(QStringLiteral("代发工资|二月|一月|")));
    QCOMPARE(env.read(QStringLiteral("一月.txt")), QByteArray("x"));
    QVERIFY(!env.exists(QStringLiteral("二月.txt")));

    env.write("group.txt", gbk(QStringLiteral("代发工资|一月|一月|")));
    CGROUPDlg again;
    d.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes, QStringLiteral("删除"));
    again.findChild<RowList*>()->selectRow(2);
    again.DeleteGroup();
    QCOMPARE(env.read(QStringLiteral("一月.txt")), QByteArray("x"));
    d.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes, QStringLiteral("删除"));
    again.DeleteGroup();
    QVERIFY(!env.exists(QStringLiteral("一月.txt")));
    QCOMPARE(env.read("group.txt"), gbk(QStringLiteral("代发工资|")));
    VERIFY_DIALOGS_DONE(d);
}

void TestGroups::defaultGroupIsProtected()
{
    TestEnv env;
    ScriptedDialogs d;
    CGROUPDlg dlg;
    dlg.findChild<RowList*>()->selectRow(0);
    d.expect(QStringLiteral("默认组不能更改或删除"));
    dlg.RenameGroup();
    d.expect(QStringLiteral("默认组不能更改或删除"));
    dlg.DeleteGroup();
    dlg.findChild<RowList*>()->clearRowSelection();
    d.expect(QStringLiteral("请选择组"));
    dlg.DeleteGroup();
    QCOMPARE(env.read("group.txt"), kDefault);
    VERIFY_DIALOGS_DONE(d);
}

void TestGroups::refusedNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString chars = QStringLiteral("组名称不能包含下列字符：\\ / : * ? \" < > |");
    QTest::newRow("empty") << "   " << QStringLiteral("请输入新组名");
    for (const char* c : {"\\", "/", ":", "*", "?", "\"", "<", ">", "|"}) {
        QTest::newRow(c) << QStringLiteral("a%1b").arg(QLatin1String(c)) << chars;
    }
    QTest::newRow("not gbk") << QStringLiteral("组¥") << QStringLiteral("新的组名称中含有无法保存的字符");
    QTest::newRow("duplicate") << QStringLiteral(" 其他代发 ") << QStringLiteral("该组名称已存在");
    QTest::newRow("data file") << "KuaHangAcc" << QStringLiteral("该组名称已存在");
    QTest::newRow("device") << "com3" << QStringLiteral("该组名称已存在");
    QTest::newRow("bankno") << "bankno" << QStringLiteral("该组名称已存在");
    // Windows opens these as devices whatever follows the dot.
    QTest::newRow("device with an extension") << "NUL.abc" << QStringLiteral("该组名称已存在");
    QTest::newRow("device .txt") << "CON.txt" << QStringLiteral("该组名称已存在");
    QTest::newRow("device with a space") << "lpt1 .x" << QStringLiteral("该组名称已存在");
    QTest::newRow("tab") << QStringLiteral("工资\t组") << QStringLiteral("新的组名称中含有无法保存的字符");
    QTest::newRow("control byte") << QStringLiteral("工资\x01")
                                  << QStringLiteral("新的组名称中含有无法保存的字符");
    QTest::newRow("ends in a dot") << QStringLiteral("工资.")
                                   << QStringLiteral("新的组名称中含有无法保存的字符");
    QTest::newRow("dot dot") << ".." << QStringLiteral("新的组名称中含有无法保存的字符");
    // "<name>.txt" beyond the 255 bytes a name may have here.
#ifndef Q_OS_WIN
    // 84 hanzi and ".txt" are 256 bytes of UTF-8; Windows counts 88 UTF-16 units and takes them.
    QTest::newRow("84 hanzi") << QString(84, QChar(0x7EC4)) << QStringLiteral("新的组名称过长，无法保存");
#endif
    QTest::newRow("252 letters") << QString(252, QLatin1Char('a')) << QStringLiteral("新的组名称过长，无法保存");
}

void TestGroups::longestNamesThatFitAreSaved_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("80 hanzi") << QString(80, QChar(0x7EC4));
    QTest::newRow("83 hanzi") << QString(83, QChar(0x7EC4));
#ifdef Q_OS_WIN
    QTest::newRow("84 hanzi") << QString(84, QChar(0x7EC4));
#endif
    QTest::newRow("251 letters") << QString(251, QLatin1Char('a'));
}

void TestGroups::longestNamesThatFitAreSaved()
{
    QFETCH(QString, name);
    if (runsUnderWine() && (name + QStringLiteral(".txt")).toUtf8().size() > 255) {
        QSKIP("Wine keeps a file name as UTF-8 on the Linux file system, where this one is over 255 bytes");
    }
    TestEnv env;
    ScriptedDialogs d;
    env.write("group.txt", kDefault);
    CGROUPDlg dlg;
    answerNameDialog(name);
    dlg.NewGroup();
    QCOMPARE(names(dlg).last(), name);
    QCOMPARE(env.read("group.txt"), kDefault + gbk(name + QLatin1Char('|')));
    QStringList files{"group.txt", name + QStringLiteral(".txt")};
    files.sort();
    QCOMPARE(Faults::entries(env.dir()), files);
    VERIFY_DIALOGS_DONE(d);
}

void TestGroups::refusedNames()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    TestEnv env;
    ScriptedDialogs d;
    const QStringList others{QStringLiteral("代发工资"), QStringLiteral("其他代发")};
    CNewGroupDlg dlg(others);
    dlg.show();
    dlg.findChild<CMyEditCtrl*>(QStringLiteral("新的组名称"))->setText(name);
    d.expect(message);
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("确定")), Qt::LeftButton);
    QVERIFY(dlg.isVisible()); // the dialog stays open
    QCOMPARE(dlg.result(), 0);
    VERIFY_DIALOGS_DONE(d);
    QVERIFY(GroupNames::problemWith(QStringLiteral("工资二组"), others).isEmpty());
}

void TestGroups::namesAreDecodedBeforeSplitting()
{
    TestEnv env;
    env.write("group.txt", gbk(QStringLiteral("代发工资|王珅组|弢|")));
    CGROUPDlg dlg;
    QCOMPARE(names(dlg),
             (QStringList{QStringLiteral("代发工资"), QStringLiteral("王珅组"), QStringLiteral("弢")}));
}

void TestGroups::undecodableFileIsNeverReplaced()
{
    TestEnv env;
    const QByteArray bad = QByteArray("\x81\x20|") + gbk(QStringLiteral("其他代发|"));
    env.write("group.txt", bad);
    ScriptedDialogs d;
    CGROUPDlg dlg;
    QCOMPARE(names(dlg), QStringList());
    // Refused without a name dialog, and the operator is told.
    d.expect(QStringLiteral("文件保存失败：group.txt"));
    dlg.NewGroup();
    QCOMPARE(env.read("group.txt"), bad);
    VERIFY_DIALOGS_DONE(d);
}

void TestGroups::namesFromTheFileAreChecked()
{
    TestEnv env;
    ScriptedDialogs d;
    // An earlier version, or an editor, may have written names that the dialog refuses.
    QTemporaryDir outside;
    const QString escape = QDir(env.dir()).relativeFilePath(outside.filePath("x"));
    env.write("group.txt",
              gbk(QStringLiteral("代发工资|kuahangacc|BankNo|%1|CON.txt|其他代发|").arg(escape)));
    env.write("kuahangacc.txt", "roster");
    env.write("BankNo.txt", "codes");
    QFile x(outside.filePath("x.txt"));
    QVERIFY(x.open(QIODevice::WriteOnly) && x.write("outside") == 7);
    x.close();
    CGROUPDlg dlg;
    QCOMPARE(names(dlg).size(), 6); // listed all the same
    for (int row = 1; row <= 4; ++row) {
        dlg.findChild<RowList*>()->selectRow(row);
        d.expect(QStringLiteral("默认组不能更改或删除"));
        dlg.DeleteGroup();
        d.expect(QStringLiteral("默认组不能更改或删除"));
        dlg.RenameGroup();
    }
    QCOMPARE(env.read("kuahangacc.txt"), QByteArray("roster"));
    QCOMPARE(env.read("BankNo.txt"), QByteArray("codes"));
    QVERIFY(QFile::exists(outside.filePath("x.txt")));
    QCOMPARE(names(dlg).size(), 6);
    // A sound name next to them still works.
    dlg.findChild<RowList*>()->selectRow(5);
    d.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes, QStringLiteral("删除"));
    dlg.DeleteGroup();
    QCOMPARE(env.read("group.txt"),
             gbk(QStringLiteral("代发工资|kuahangacc|BankNo|%1|CON.txt|").arg(escape)));
    VERIFY_DIALOGS_DONE(d);
}

void TestGroups::renameOntoAnExistingRoster()
{
    TestEnv env;
    ScriptedDialogs d;
    env.write(QStringLiteral("其他代发.txt"), "mine");
    env.write(QStringLiteral("年终奖.txt"), "theirs"); // a roster no group lists any more
    CGROUPDlg dlg;
    dlg.findChild<RowList*>()->selectRow(1);
    // The name dialog refuses the name and stays open; then it is cancelled.
    QTimer::singleShot(0, [&d] {
        auto* nameDlg = qobject_cast<CNewGroupDlg*>(QApplication::activeModalWidget());
        QVERIFY(nameDlg);
        nameDlg->findChild<CMyEditCtrl*>(QStringLiteral("新的组名称"))->setText(QStringLiteral("年终奖"));
        d.expect(QStringLiteral("该组名称已存在"));
        QTest::mouseClick(nameDlg->findChild<QPushButton*>(QStringLiteral("确定")), Qt::LeftButton);
        QVERIFY(nameDlg->isVisible());
        QTest::mouseClick(nameDlg->findChild<QPushButton*>(QStringLiteral("取消")), Qt::LeftButton);
    });
    dlg.RenameGroup();
    QCOMPARE(env.read(QStringLiteral("其他代发.txt")), QByteArray("mine"));
    QCOMPARE(env.read(QStringLiteral("年终奖.txt")), QByteArray("theirs"));
    QCOMPARE(env.read("group.txt"), kDefault);
    VERIFY_DIALOGS_DONE(d);
}

void TestGroups::newGroupThatCannotBeSavedIsNotListed()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    TestEnv env;
    Faults::Injector injector(fault, env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    ScriptedDialogs d;
    env.write("group.txt", kDefault);
    CGROUPDlg dlg;
    QVERIFY2(injector.inject(kDefault.size() + gbk(QStringLiteral("奖金组|")).size()),
             qPrintable(injector.error()));
    answerNameDialog(QStringLiteral("奖金组"));
    d.expect(QStringLiteral("文件保存失败：group.txt"));
    dlg.NewGroup();
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(env.read("group.txt"), kDefault);
    // No group, and no roster for it.
    QCOMPARE(Faults::entries(env.dir()), QStringList{"group.txt"});
    QCOMPARE(names(dlg), (QStringList{QStringLiteral("代发工资"), QStringLiteral("其他代发"),
                                      QStringLiteral("批量提现")}));
    VERIFY_DIALOGS_DONE(d);
}

void TestGroups::renameThatCannotBeSavedKeepsTheRoster()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    TestEnv env;
    Faults::Injector injector(fault, env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    ScriptedDialogs d;
    env.write("group.txt", kDefault);
    env.write(QStringLiteral("其他代发.txt"), "roster");
    CGROUPDlg dlg;
    dlg.findChild<RowList*>()->selectRow(1);
    QVERIFY2(injector.inject(gbk(QStringLiteral("代发工资|其他|批量提现|")).size()),
             qPrintable(injector.error()));
    answerNameDialog(QStringLiteral("其他"));
    d.expect(QStringLiteral("文件保存失败：group.txt"));
    dlg.RenameGroup();
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(env.read("group.txt"), kDefault);
    QCOMPARE(env.read(QStringLiteral("其他代发.txt")), QByteArray("roster"));
    QCOMPARE(Faults::entries(env.dir()), (QStringList{"group.txt", QStringLiteral("其他代发.txt")}));
    QCOMPARE(names(dlg).at(1), QStringLiteral("其他代发"));
    VERIFY_DIALOGS_DONE(d);
}

void TestGroups::deleteThatCannotBeSavedKeepsTheRoster()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    TestEnv env;
    Faults::Injector injector(fault, env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    ScriptedDialogs d;
    env.write("group.txt", kDefault);
    env.write(QStringLiteral("其他代发.txt"), "roster");
    CGROUPDlg dlg;
    dlg.findChild<RowList*>()->selectRow(1);
    QVERIFY2(injector.inject(gbk(QStringLiteral("代发工资|批量提现|")).size()), qPrintable(injector.error()));
    d.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes, QStringLiteral("删除"));
    d.expect(QStringLiteral("文件保存失败：group.txt"));
    dlg.DeleteGroup();
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(env.read("group.txt"), kDefault);
    // group.txt still lists the group, so its roster stays.
    QCOMPARE(env.read(QStringLiteral("其他代发.txt")), QByteArray("roster"));
    QCOMPARE(Faults::entries(env.dir()), (QStringList{"group.txt", QStringLiteral("其他代发.txt")}));
    QCOMPARE(names(dlg).size(), 3);
    VERIFY_DIALOGS_DONE(d);
}

void TestGroups::newRosterThatCannotBeCreatedIsReported_data()
{
    // An empty roster: no byte to fail on, and the full-disk cases fail group.txt first.
    Faults::addColumn();
    Faults::addSyncCloseRenameRows();
}

void TestGroups::newRosterThatCannotBeCreatedIsReported()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    // The roster's temporary file is the second save in the folder, after group.txt's; its rename
    // names the roster.
    if (fault.type != Faults::Fault::RenameFails) {
        fault.nth = 2;
    }
    TestEnv env;
    Faults::Injector injector(fault, env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    injector.setFilter(fault.type == Faults::Fault::RenameFails ? QStringLiteral("奖金组.txt")
                                                                 : QStringLiteral("/.dxbk"));
    ScriptedDialogs d;
    env.write("group.txt", kDefault);
    CGROUPDlg dlg;
    QVERIFY2(injector.inject(0), qPrintable(injector.error()));
    answerNameDialog(QStringLiteral("奖金组"));
    d.expect(QStringLiteral("文件保存失败：奖金组.txt"));
    dlg.NewGroup();
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(env.read("group.txt"), kDefault + gbk(QStringLiteral("奖金组|")));
    QCOMPARE(Faults::entries(env.dir()), QStringList{"group.txt"});
    QCOMPARE(names(dlg).last(), QStringLiteral("奖金组"));
    VERIFY_DIALOGS_DONE(d);
}

void TestGroups::rosterThatCannotFollowItsGroupIsReported()
{
    // The roster's own rename fails after group.txt took the new name: the group goes back to its
    // old name (never a name whose file is elsewhere) and the roster is never copied instead.
    const Faults::Fault fault{Faults::Fault::RenameFails, Faults::Fault::FirstByte, 1};
    RUN_IN_FAULT_CHILD(fault);
    TestEnv env;
    Faults::Injector injector(fault, env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    injector.setFilter(QStringLiteral("奖金.txt"));
    ScriptedDialogs d;
    env.write("group.txt", kDefault);
    env.write(QStringLiteral("其他代发.txt"), "roster");
    CGROUPDlg dlg;
    dlg.findChild<RowList*>()->selectRow(1);
    QVERIFY2(injector.inject(0), qPrintable(injector.error()));
    answerNameDialog(QStringLiteral("奖金"));
    d.expect(QStringLiteral("文件保存失败：奖金.txt"));
    dlg.RenameGroup();
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(env.read("group.txt"), kDefault);
    QCOMPARE(names(dlg).at(1), QStringLiteral("其他代发"));
    QCOMPARE(env.read(QStringLiteral("其他代发.txt")), QByteArray("roster"));
    QCOMPARE(Faults::entries(env.dir()), (QStringList{"group.txt", QStringLiteral("其他代发.txt")}));
    VERIFY_DIALOGS_DONE(d);
}

QTEST_MAIN(TestGroups)
#include "tst_groups.moc"
