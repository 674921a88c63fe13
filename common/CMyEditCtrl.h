#pragma once

#include <QLineEdit>

// One-line entry field. The typing limit restricts what the operator puts in, typed, pasted or
// composed by an input method: like the platform's edit control, pasted and composed text is cut
// to what still fits. Text the program sets is never cut. As an amount field it lets through
// digits and one point with at most two decimals, and reports any other typed character with a
// posted WM_AMOUNTKEYREJECTED. The editing keys work as in any field; a paste goes in only if
// typing it would, and is otherwise refused whole with one WM_AMOUNTKEYREJECTED.
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
    void contextMenuEvent(QContextMenuEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    enum class KeyVerdict
    {
        Accept,
        Discard,
        Reject
    };
    // Typing k at cursor into t.
    static KeyVerdict amountVerdict(const QString& t, qsizetype cursor, QChar k);
    // Typing inserted in place of the selection, one character after the other.
    KeyVerdict amountVerdict(const QString& inserted) const;
    bool exceedsLimit(const QString& inserted) const;
    // The part of text that fits in the room the typing limit leaves.
    QString fitting(const QString& text) const;
    void pasteFitting(int clipboardMode);
    void postRejection();

    int m_typingLimit = 0; // 0: no limit
    bool m_amount = false;
};
