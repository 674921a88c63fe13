#include "PayrollFixture.h"
#include "batch/CPILIANGDlg.h"
#include "rosters/CDFBook.h"
#include "rosters/CNewGroupDlg.h"
#include "rosters/CPLBook.h"
#include "rosters/CPLBook2.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTest>

// What the operator puts into a field by other means than typing key by key: pasted text and
// text composed by an input method.
class TestEditField : public QObject
{
    Q_OBJECT
private slots:
    void pasteIsCutToTheLimit();
    void contextMenuPasteIsCutToTheLimit();
    void composedTextIsCutToTheLimit();
    void programTextIsNeverCut();
    void pastedAccountIsConfirmedAndExportedCut();
    void everyLimitedFieldOfEveryScreen();
};

namespace {
void paste(CMyEditCtrl* field, const QString& text, Qt::Key key = Qt::Key_V,
           Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
{
    QGuiApplication::clipboard()->setText(text);
    field->setFocus();
    QTest::keyClick(field, key, modifiers);
}

void compose(CMyEditCtrl* field, const QString& text)
{
    QInputMethodEvent e;
    e.setCommitString(text);
    QCoreApplication::sendEvent(field, &e);
}
} // namespace

void TestEditField::pasteIsCutToTheLimit()
{
    CMyEditCtrl field;
    field.setTypingLimit(30);
    field.show();
    const QString forty = QStringLiteral("1234567890").repeated(4);
    paste(&field, forty);
    QCOMPARE(field.text(), forty.left(30));
    // Full: nothing more goes in; a selection makes room.
    paste(&field, QStringLiteral("99"), Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(field.text(), forty.left(30));
    field.setSelection(0, 5);
    paste(&field, QStringLiteral("abcdefgh"));
    QCOMPARE(field.text(), QStringLiteral("abcde") + forty.mid(5, 25));
    // A one-line field takes the first line of what was copied.
    field.clear();
    paste(&field, QStringLiteral("第一行\r\n第二行"));
    QCOMPARE(field.text(), QStringLiteral("第一行"));
    // Never half of a character outside the basic plane.
    CMyEditCtrl three;
    three.setTypingLimit(3);
    three.show();
    paste(&three, QStringLiteral("ab") + QString::fromUcs4(U"\U00020000"));
    QCOMPARE(three.text(), QStringLiteral("ab"));
}

void TestEditField::contextMenuPasteIsCutToTheLimit()
{
    CMyEditCtrl field;
    field.setTypingLimit(5);
    field.show();
    QGuiApplication::clipboard()->setText(QStringLiteral("1234567890"));
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(2, 2), field.mapToGlobal(QPoint(2, 2)));
    QCoreApplication::sendEvent(&field, &e);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QAction* pasteAction = nullptr;
    for (QAction* a : menu->actions()) {
        if (a->text().startsWith(QLineEdit::tr("&Paste"))) {
            pasteAction = a;
        }
    }
    QVERIFY(pasteAction);
    pasteAction->trigger();
    menu->close();
    QCOMPARE(field.text(), QStringLiteral("12345"));
}

void TestEditField::composedTextIsCutToTheLimit()
{
    CMyEditCtrl field;
    field.setTypingLimit(4);
    field.show();
    field.setFocus();
    compose(&field, QStringLiteral("张三"));
    compose(&field, QStringLiteral("欧阳娜娜"));
    QCOMPARE(field.text(), QStringLiteral("张三欧阳"));
    compose(&field, QStringLiteral("李"));
    QCOMPARE(field.text(), QStringLiteral("张三欧阳"));
}

void TestEditField::programTextIsNeverCut()
{
    CMyEditCtrl field;
    field.setTypingLimit(20);
    const QString long100k(100000, QChar(0x738B));
    field.setText(long100k);
    QCOMPARE(field.text().size(), 100000);
    field.insert(QStringLiteral("x")); // by the program too
    QCOMPARE(field.text().size(), 100001);
}

void TestEditField::pastedAccountIsConfirmedAndExportedCut()
{
    PayrollFixture f;
    f.click(QStringLiteral("新增"));
    f.fill(QString(), QStringLiteral("张三"), QStringLiteral("中国银行"), "104306114010", "100", "");
    CMyEditCtrl* account = f.field(QStringLiteral("收款人账号"));
    paste(account, QStringLiteral("6222020200012345678901234567890123456789"));
    QCOMPARE(account->text().size(), 30);
    f.click(QStringLiteral("确定"));
    QCOMPARE(f.row(0).at(1), QStringLiteral("622202020001234567890123456789"));
    f.dialogs.expectFile(f.env.path("order.txt"));
    f.dialogs.expect(QStringLiteral("保存成功"));
    QVERIFY(f.screen.ExportLines());
    QVERIFY(f.env.read("order.txt").contains(",622202020001234567890123456789,"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestEditField::everyLimitedFieldOfEveryScreen()
{
    TestEnv env;
    ScriptedDialogs dialogs;
    CDAIFADlg payroll;
    CPILIANGDlg batch;
    CPLBook inBank;
    CPLBook2 interbank;
    CDFBook roster;
    CNewGroupDlg group({});
    int checked = 0;
    for (QWidget* screen :
         std::initializer_list<QWidget*>{&payroll, &batch, &inBank, &interbank, &roster, &group}) {
        screen->show();
        for (CMyEditCtrl* field : screen->findChildren<CMyEditCtrl*>()) {
            if (field->typingLimit() <= 0) {
                continue;
            }
            field->setEnabled(true);
            field->clear();
            const QString tooLong = QString(field->typingLimit() + 7, QLatin1Char('7'));
            paste(field, tooLong);
            QVERIFY2(field->text().size() == field->typingLimit(),
                     qPrintable(screen->objectName() + "/" + field->objectName()));
            ++checked;
        }
    }
    QCOMPARE(checked, 6 + 3 + 2 + 4 + 4 + 1 + 2); // the roster's search amounts are limited too
    VERIFY_DIALOGS_DONE(dialogs);
}

QTEST_MAIN(TestEditField)
#include "tst_editfield.moc"
