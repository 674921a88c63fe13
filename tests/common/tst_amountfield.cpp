#include "common/CMyEditCtrl.h"

#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

class TestAmountField : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void digitsAndOnePoint();
    void thirdDecimalRefusedAfterPointAcceptedBefore();
    void letterIsRejectedWithPostedNotice();
    void clipboardShortcutsAreRejected();
    void backspaceAndCaretKeysPass();
    void typingLimitRestrictsKeystrokesOnly();

private:
    CMyEditCtrl* m_field = nullptr;
};

void TestAmountField::init()
{
    m_field = new CMyEditCtrl;
    m_field->setAmountFilter(true);
    m_field->setTypingLimit(13);
    m_field->show();
    m_field->setFocus();
}

void TestAmountField::cleanup()
{
    delete m_field;
    m_field = nullptr;
}

void TestAmountField::digitsAndOnePoint()
{
    QTest::keyClicks(m_field, "12.3.4");
    QCOMPARE(m_field->text(), QStringLiteral("12.34"));
}

void TestAmountField::thirdDecimalRefusedAfterPointAcceptedBefore()
{
    QSignalSpy rejected(m_field, &CMyEditCtrl::amountKeyRejected);
    QTest::keyClicks(m_field, "1.23");
    QTest::keyClick(m_field, Qt::Key_4);
    QCOMPARE(m_field->text(), QStringLiteral("1.23"));
    m_field->setCursorPosition(2); // right after the point
    QTest::keyClick(m_field, Qt::Key_9);
    QCOMPARE(m_field->text(), QStringLiteral("1.23"));
    m_field->setCursorPosition(0);
    QTest::keyClick(m_field, Qt::Key_5);
    QCOMPARE(m_field->text(), QStringLiteral("51.23"));
    QCoreApplication::processEvents();
    QCOMPARE(rejected.count(), 0); // refused digits are silent
}

void TestAmountField::letterIsRejectedWithPostedNotice()
{
    QSignalSpy rejected(m_field, &CMyEditCtrl::amountKeyRejected);
    QTest::keyClicks(m_field, "12");
    QTest::keyClick(m_field, Qt::Key_A);
    QCOMPARE(m_field->text(), QStringLiteral("12"));
    // The notice is posted: it arrives after the keystroke has been discarded.
    QCOMPARE(rejected.count(), 0);
    QTRY_COMPARE(rejected.count(), 1);
    QKeyEvent fullWidthComma(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("，"));
    QCoreApplication::sendEvent(m_field, &fullWidthComma);
    QTRY_COMPARE(rejected.count(), 2);
    QCOMPARE(m_field->text(), QStringLiteral("12"));
}

void TestAmountField::clipboardShortcutsAreRejected()
{
    QSignalSpy rejected(m_field, &CMyEditCtrl::amountKeyRejected);
    m_field->setText("12");
    QTest::keyClick(m_field, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(m_field, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(m_field, Qt::Key_X, Qt::ControlModifier);
    QTRY_COMPARE(rejected.count(), 3);
    QCOMPARE(m_field->text(), QStringLiteral("12"));
}

void TestAmountField::backspaceAndCaretKeysPass()
{
    QTest::keyClicks(m_field, "12.34");
    QTest::keyClick(m_field, Qt::Key_Backspace);
    QCOMPARE(m_field->text(), QStringLiteral("12.3"));
    QTest::keyClick(m_field, Qt::Key_Home);
    QCOMPARE(m_field->cursorPosition(), 0);
    QTest::keyClick(m_field, Qt::Key_Delete);
    QCOMPARE(m_field->text(), QStringLiteral("2.3"));
}

void TestAmountField::typingLimitRestrictsKeystrokesOnly()
{
    QTest::keyClicks(m_field, "12345678901234567");
    QCOMPARE(m_field->text(), QStringLiteral("1234567890123"));
    // Text the program sets is never cut.
    m_field->setText("123456789012345678.00");
    QCOMPARE(m_field->text(), QStringLiteral("123456789012345678.00"));

    CMyEditCtrl name;
    name.setTypingLimit(3);
    name.show();
    QTest::keyClicks(&name, "abcdef");
    QCOMPARE(name.text(), QStringLiteral("abc"));
    name.selectAll();
    QTest::keyClicks(&name, "xy");
    QCOMPARE(name.text(), QStringLiteral("xy"));
}

QTEST_MAIN(TestAmountField)
#include "tst_amountfield.moc"
