#include "common/CMyEditCtrl.h"

#include "common/core/AppInfo.h"

#include <QCoreApplication>
#include <QKeyEvent>

CMyEditCtrl::CMyEditCtrl(QWidget* parent) : QLineEdit(parent) {}

bool CMyEditCtrl::event(QEvent* e)
{
    if (e->type() == AppInfo::WM_AMOUNTKEYREJECTED) {
        emit amountKeyRejected();
        return true;
    }
    return QLineEdit::event(e);
}

void CMyEditCtrl::postRejection()
{
    QCoreApplication::postEvent(this, new QEvent(AppInfo::WM_AMOUNTKEYREJECTED));
}

CMyEditCtrl::KeyVerdict CMyEditCtrl::amountVerdict(QChar k) const
{
    const bool digit = k >= QLatin1Char('0') && k <= QLatin1Char('9');
    const bool backspace = k == QLatin1Char('\b');
    if (!digit && k != QLatin1Char('.') && !backspace) {
        return KeyVerdict::Reject;
    }
    const QString t = text();
    const qsizetype p = t.indexOf(QLatin1Char('.'));
    if (p < 0) {
        return KeyVerdict::Accept;
    }
    if (k == QLatin1Char('.')) {
        return KeyVerdict::Discard; // a second point
    }
    if (backspace) {
        return KeyVerdict::Accept;
    }
    // Two decimals already: no further digit after the point.
    if (p + 2 < t.size() && cursorPosition() > p) {
        return KeyVerdict::Discard;
    }
    return KeyVerdict::Accept;
}

bool CMyEditCtrl::exceedsLimit(const QString& inserted) const
{
    if (m_typingLimit <= 0) {
        return false;
    }
    return text().size() - selectedText().size() + inserted.size() > m_typingLimit;
}

void CMyEditCtrl::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Delete:
        QLineEdit::keyPressEvent(e);
        return;
    default:
        break;
    }

    const bool control = (e->modifiers() & Qt::ControlModifier) && !(e->modifiers() & Qt::AltModifier);
    const bool letterKey = e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z;
    QString typed = e->text();
    if (e->key() == Qt::Key_Backspace) {
        typed = QStringLiteral("\b");
    } else if (control && (letterKey || !typed.isEmpty())) {
        // Ctrl+letter types a control character, clipboard shortcuts included.
        typed = QString(QChar(letterKey ? e->key() - Qt::Key_A + 1 : 0x1));
    }
    if (typed.isEmpty()) {
        QLineEdit::keyPressEvent(e); // caret movement and the like
        return;
    }

    if (m_amount) {
        switch (amountVerdict(typed.at(0))) {
        case KeyVerdict::Reject:
            e->accept();
            postRejection();
            return;
        case KeyVerdict::Discard:
            e->accept();
            return;
        case KeyVerdict::Accept:
            break;
        }
    }
    const bool printable = typed.at(0) >= QLatin1Char(' ') && typed.at(0) != QChar(0x7F) && !control;
    if (printable && exceedsLimit(typed)) {
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void CMyEditCtrl::inputMethodEvent(QInputMethodEvent* e)
{
    const QString commit = e->commitString();
    if (!commit.isEmpty()) {
        if (m_amount) {
            for (QChar c : commit) {
                if ((c < QLatin1Char('0') || c > QLatin1Char('9')) && c != QLatin1Char('.')) {
                    e->accept();
                    postRejection();
                    return;
                }
            }
        }
        if (exceedsLimit(commit)) {
            e->accept();
            return;
        }
    }
    QLineEdit::inputMethodEvent(e);
}

void CMyEditCtrl::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    emit focusLost();
}
