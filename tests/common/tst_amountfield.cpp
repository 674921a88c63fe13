#include "ScriptedDialogs.h"
#include "common/CMyEditCtrl.h"
#include "common/Ui.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
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
    void editingKeys_data();
    void editingKeys();
    void backspaceAndCaretKeysPass();
    void composedTextFollowsTheTypingRule();
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

void TestAmountField::editingKeys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selectFrom"); // -1: the cursor at the end, nothing selected
    QTest::addColumn<int>("selectLength");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<QString>("expectedClipboard");
    QTest::addColumn<QString>("message");

    const QKeySequence paste(Qt::CTRL | Qt::Key_V);
    const QString refused = QStringLiteral("金额格式错误");
    QTest::newRow("Ctrl+A, Ctrl+C copies all")
        << "1500.50" << -1 << 0 << "old" << QKeySequence(Qt::CTRL | Qt::Key_A, Qt::CTRL | Qt::Key_C)
        << "1500.50"
        << "1500.50" << QString();
    QTest::newRow("Ctrl+X cuts") << "1500.50" << 0 << 4 << "old" << QKeySequence(Qt::CTRL | Qt::Key_X)
                                 << ".50"
                                 << "1500" << QString();
    QTest::newRow("Ctrl+Z undoes a typed digit")
        << "12" << -1 << 0 << "old" << QKeySequence(QKeyCombination(Qt::Key_3), Qt::CTRL | Qt::Key_Z) << "12"
        << "old" << QString();
    QTest::newRow("redo after undo") << "12" << -1 << 0 << "old"
                                     << QKeySequence(QKeyCombination(Qt::Key_3), Qt::CTRL | Qt::Key_Z,
                                                     QKeySequence(QKeySequence::Redo)[0])
                                     << "123"
                                     << "old" << QString();
    QTest::newRow("Ctrl+V pastes an amount") << "" << -1 << 0 << "1500.50" << paste << "1500.50"
                                             << "1500.50" << QString();
    QTest::newRow("Shift+Insert pastes an amount")
        << "" << -1 << 0 << "88.8" << QKeySequence(Qt::SHIFT | Qt::Key_Insert) << "88.8"
        << "88.8" << QString();
    QTest::newRow("paste replaces the selection") << "1500.50" << 5 << 2 << "75" << paste << "1500.75"
                                                  << "75" << QString();
    QTest::newRow("pasted comma refused") << "12" << -1 << 0 << "1,500" << paste << "12"
                                          << "1,500" << refused;
    QTest::newRow("pasted letters refused") << "12" << -1 << 0 << "abc" << paste << "12"
                                            << "abc" << refused;
    QTest::newRow("pasted third decimal refused") << "1.2" << -1 << 0 << "34" << paste << "1.2"
                                                  << "34" << refused;
}

void TestAmountField::editingKeys()
{
    QFETCH(QString, text);
    QFETCH(int, selectFrom);
    QFETCH(int, selectLength);
    QFETCH(QString, clipboard);
    QFETCH(QKeySequence, keys);
    QFETCH(QString, expectedText);
    QFETCH(QString, expectedClipboard);
    QFETCH(QString, message);

    ScriptedDialogs dialogs;
    QLabel capital;
    Ui::bindAmountField(m_field, &capital, m_field);
    m_field->setText(text);
    if (selectFrom >= 0) {
        m_field->setSelection(selectFrom, selectLength);
    }
    QGuiApplication::clipboard()->setText(clipboard);
    if (!message.isEmpty()) {
        dialogs.expect(message, Msg::Ok, QStringLiteral("错误提示"));
    }
    QTest::keySequence(m_field, keys);
    QCoreApplication::processEvents(); // the posted notice, if any
    QCOMPARE(m_field->text(), expectedText);
    QCOMPARE(QGuiApplication::clipboard()->text(), expectedClipboard);
    VERIFY_DIALOGS_DONE(dialogs);
}

void TestAmountField::composedTextFollowsTheTypingRule()
{
    QSignalSpy rejected(m_field, &CMyEditCtrl::amountKeyRejected);
    for (const QString& text : {QStringLiteral("1.2.3"), QStringLiteral("1.234"), QStringLiteral("12.5")}) {
        QInputMethodEvent e;
        e.setCommitString(text);
        QCoreApplication::sendEvent(m_field, &e);
    }
    QCOMPARE(m_field->text(), QStringLiteral("12.5"));
    QTRY_COMPARE(rejected.count(), 2);
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
