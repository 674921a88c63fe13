#include "ScriptedDialogs.h"
#include "print/CPreGoto.h"

#include <QAbstractSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestCPreGoto : public QObject
{
    Q_OBJECT
private slots:
    void opensWithCurrentPage();
    void arrowsStayWithinPages();
    void focusLossClamps_data();
    void focusLossClamps();
    void okClampsToLastPage();
    void okTakesPageInRange();
    void notANumber();
    void outsideFieldRange_data();
    void outsideFieldRange();
    void enterAndEscapeDoNothing();
    void cancelRejects();

private:
    struct Dialog
    {
        explicit Dialog(int current, int count) : dialog(current, count)
        {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            field = dialog.findChild<QAbstractSpinBox*>(QStringLiteral("页码"));
            edit = field ? field->findChild<QLineEdit*>() : nullptr;
            ok = dialog.findChild<QPushButton*>(QStringLiteral("确定(&O)"));
            cancel = dialog.findChild<QPushButton*>(QStringLiteral("取消(&C)"));
        }
        void type(const QString& text)
        {
            field->setFocus();
            edit->clear();
            QTest::keyClicks(edit, text);
        }
        CPreGoto dialog;
        QAbstractSpinBox* field = nullptr;
        QLineEdit* edit = nullptr;
        QPushButton* ok = nullptr;
        QPushButton* cancel = nullptr;
    };
};

void TestCPreGoto::opensWithCurrentPage()
{
    Dialog d(3, 5);
    QVERIFY(d.field && d.edit && d.ok && d.cancel);
    QCOMPARE(d.dialog.windowTitle(), QStringLiteral("转到页"));
    QCOMPARE(d.edit->text(), QStringLiteral("3"));
    auto* label = d.dialog.findChild<QLabel*>();
    QCOMPARE(label->text(), QStringLiteral("页码(&P):"));
    QCOMPARE(label->buddy(), d.field);
    QVERIFY(d.field->hasFocus());
}

void TestCPreGoto::arrowsStayWithinPages()
{
    Dialog d(4, 5);
    d.field->setFocus();
    QTest::keyClick(d.field, Qt::Key_Up);
    QCOMPARE(d.edit->text(), QStringLiteral("5"));
    QTest::keyClick(d.field, Qt::Key_Up);
    QCOMPARE(d.edit->text(), QStringLiteral("5"));
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(d.field, Qt::Key_Down);
    }
    QCOMPARE(d.edit->text(), QStringLiteral("1"));
}

void TestCPreGoto::focusLossClamps_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");
    QTest::newRow("beyond count") << "9"
                                  << "5";
    QTest::newRow("far beyond") << "1000000"
                                << "5";
    QTest::newRow("zero") << "0"
                          << "1";
    QTest::newRow("negative") << "-3"
                              << "1";
    QTest::newRow("inside") << "4"
                            << "4";
    QTest::newRow("not a number stays for the check") << "abc"
                                                      << "abc";
}

void TestCPreGoto::focusLossClamps()
{
    QFETCH(QString, typed);
    QFETCH(QString, after);
    ScriptedDialogs msgs;
    Dialog d(2, 5);
    d.type(typed);
    QTest::keyClick(d.edit, Qt::Key_Tab);
    QVERIFY(!d.field->hasFocus());
    QCOMPARE(d.edit->text(), after);
    VERIFY_DIALOGS_DONE(msgs);
}

void TestCPreGoto::okClampsToLastPage()
{
    ScriptedDialogs msgs;
    Dialog d(2, 5);
    d.type(QStringLiteral("5000"));
    d.ok->click(); // the shortcut Alt+O leaves the focus in the field
    QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
    QCOMPARE(d.dialog.page(), 5);

    Dialog zero(2, 5);
    zero.type(QStringLiteral("0"));
    QTest::mouseClick(zero.ok, Qt::LeftButton); // the click takes the focus first: 0 becomes 1
    QCOMPARE(zero.dialog.result(), int(QDialog::Accepted));
    QCOMPARE(zero.dialog.page(), 1);
    VERIFY_DIALOGS_DONE(msgs);
}

void TestCPreGoto::okTakesPageInRange()
{
    ScriptedDialogs msgs;
    Dialog d(1, 5);
    d.type(QStringLiteral(" 3 "));
    d.ok->click();
    QCOMPARE(d.dialog.result(), int(QDialog::Accepted));
    QCOMPARE(d.dialog.page(), 3);
    VERIFY_DIALOGS_DONE(msgs);
}

void TestCPreGoto::notANumber()
{
    for (const QString& typed : {QStringLiteral("abc"), QStringLiteral("2.5"), QString(),
                                 QStringLiteral("99999999999999999999999")}) {
        ScriptedDialogs msgs;
        msgs.expect(QStringLiteral("请输入一个整数。"));
        Dialog d(2, 5);
        d.type(typed);
        d.ok->click();
        QVERIFY(d.dialog.isVisible());
        QCOMPARE(d.dialog.result(), int(QDialog::Rejected));
        QVERIFY(d.field->hasFocus());
        QCOMPARE(msgs.messages.at(0).caption, QStringLiteral("DXBK-TOOL"));
        VERIFY_DIALOGS_DONE(msgs);
    }
}

void TestCPreGoto::outsideFieldRange_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("zero") << "0";
    QTest::newRow("negative") << "-1";
    QTest::newRow("above 999999") << "1000000";
}

void TestCPreGoto::outsideFieldRange()
{
    QFETCH(QString, typed);
    ScriptedDialogs msgs;
    msgs.expect(QStringLiteral("请输入一个在 1 和 999999 之间的整数。"));
    Dialog d(2, 5);
    d.type(typed);
    d.ok->click();
    QVERIFY(d.dialog.isVisible());
    QVERIFY(d.field->hasFocus());
    QCOMPARE(d.edit->selectedText(), d.edit->text());
    VERIFY_DIALOGS_DONE(msgs);
}

void TestCPreGoto::enterAndEscapeDoNothing()
{
    ScriptedDialogs msgs;
    Dialog d(2, 5);
    d.type(QStringLiteral("4"));
    QTest::keyClick(d.edit, Qt::Key_Return);
    QTest::keyClick(d.edit, Qt::Key_Enter);
    QTest::keyClick(d.edit, Qt::Key_Escape);
    d.ok->setFocus();
    QTest::keyClick(d.ok, Qt::Key_Escape);
    QVERIFY(d.dialog.isVisible());
    QCOMPARE(d.dialog.result(), int(QDialog::Rejected));
    VERIFY_DIALOGS_DONE(msgs);
}

void TestCPreGoto::cancelRejects()
{
    Dialog d(2, 5);
    d.type(QStringLiteral("4"));
    d.cancel->click();
    QVERIFY(!d.dialog.isVisible());
    QCOMPARE(d.dialog.result(), int(QDialog::Rejected));
    QCOMPARE(d.dialog.page(), 2);
}

QTEST_MAIN(TestCPreGoto)
#include "tst_cpregoto.moc"
