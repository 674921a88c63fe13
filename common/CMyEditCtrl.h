#pragma once

#include <QLineEdit>

// One-line entry field. The typing limit restricts keystrokes only: text the program sets is
// never cut. As an amount field it lets through digits, one point and backspace only, and reports
// any other typed character with a posted WM_AMOUNTKEYREJECTED.
class CMyEditCtrl : public QLineEdit
{
    Q_OBJECT
public:
    explicit CMyEditCtrl(QWidget* parent = nullptr);

    void setTypingLimit(int characters) { m_typingLimit = characters; }
    int typingLimit() const { return m_typingLimit; }
    void setAmountFilter(bool on) { m_amount = on; }
    bool amountFilter() const { return m_amount; }

signals:
    // Emitted when the posted rejection arrives, after the keystroke has been discarded.
    void amountKeyRejected();
    void focusLost();

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    enum class KeyVerdict
    {
        Accept,
        Discard,
        Reject
    };
    KeyVerdict amountVerdict(QChar k) const;
    bool exceedsLimit(const QString& inserted) const;
    void postRejection();

    int m_typingLimit = 0; // 0: no limit
    bool m_amount = false;
};
