#include "common/CMyEditCtrl.h"

#include "common/core/AppInfo.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QRegularExpression>
#include <limits>

CMyEditCtrl::CMyEditCtrl(QWidget* parent) : QLineEdit(parent)
{
    // Text dropped in would bypass the typing limit; the platform's edit control takes none.
    setAcceptDrops(false);
    // Never cut by Qt's own limit: the program's texts go in whole.
    setMaxLength(std::numeric_limits<int>::max());
}

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

CMyEditCtrl::KeyVerdict CMyEditCtrl::amountVerdict(const QString& t, qsizetype cursor, QChar k)
{
    const bool digit = k >= QLatin1Char('0') && k <= QLatin1Char('9');
    if (!digit && k != QLatin1Char('.')) {
        return KeyVerdict::Reject;
    }
    const qsizetype p = t.indexOf(QLatin1Char('.'));
    if (p < 0) {
        return KeyVerdict::Accept;
    }
    if (k == QLatin1Char('.')) {
        return KeyVerdict::Discard; // a second point
    }
    // Two decimals already: no further digit after the point.
    if (p + 2 < t.size() && cursor > p) {
        return KeyVerdict::Discard;
    }
    return KeyVerdict::Accept;
}

CMyEditCtrl::KeyVerdict CMyEditCtrl::amountVerdict(const QString& inserted) const
{
    // Each character as if typed in turn, into the text with the selection taken out.
    QString t = text();
    qsizetype cursor = cursorPosition();
    if (hasSelectedText()) {
        cursor = selectionStart();
        t.remove(cursor, selectionLength());
    }
    for (QChar k : inserted) {
        const KeyVerdict v = amountVerdict(t, cursor, k);
        if (v != KeyVerdict::Accept) {
            return v;
        }
        t.insert(cursor++, k);
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

QString CMyEditCtrl::fitting(const QString& inserted) const
{
    if (m_typingLimit <= 0) {
        return inserted;
    }
    const qsizetype room = m_typingLimit - (text().size() - selectedText().size());
    if (room <= 0) {
        return QString();
    }
    qsizetype n = std::min(room, inserted.size());
    // Never half of a character outside the basic plane.
    if (n > 0 && n < inserted.size() && inserted.at(n - 1).isHighSurrogate()) {
        --n;
    }
    return inserted.left(n);
}

void CMyEditCtrl::pasteFitting(int clipboardMode)
{
    if (isReadOnly()) {
        return;
    }
    QString clip = QGuiApplication::clipboard()->text(static_cast<QClipboard::Mode>(clipboardMode));
    // A one-line field takes the first line of what was copied.
    const qsizetype lineEnd = clip.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    if (lineEnd >= 0) {
        clip.truncate(lineEnd);
    }
    const QString part = fitting(clip);
    if (part.isEmpty() && !hasSelectedText()) {
        return;
    }
    // An amount goes in only as it could have been typed, or not at all.
    if (m_amount && amountVerdict(part) != KeyVerdict::Accept) {
        postRejection();
        return;
    }
    insert(part);
}

void CMyEditCtrl::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::Paste)) {
        pasteFitting(QClipboard::Clipboard);
        e->accept();
        return;
    }
    if (e->matches(QKeySequence::SelectAll) || e->matches(QKeySequence::Copy) ||
        e->matches(QKeySequence::Cut) || e->matches(QKeySequence::Undo) || e->matches(QKeySequence::Redo)) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    switch (e->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        QLineEdit::keyPressEvent(e);
        return;
    default:
        break;
    }

    const bool control = (e->modifiers() & Qt::ControlModifier) && !(e->modifiers() & Qt::AltModifier);
    const bool letterKey = e->key() >= Qt::Key_A && e->key() <= Qt::Key_Z;
    QString typed = e->text();
    if (control && (letterKey || !typed.isEmpty())) {
        // Any other Ctrl+letter types a control character.
        typed = QString(QChar(letterKey ? e->key() - Qt::Key_A + 1 : 0x1));
    }
    if (typed.isEmpty()) {
        QLineEdit::keyPressEvent(e); // caret movement and the like
        return;
    }

    if (m_amount) {
        switch (amountVerdict(typed)) {
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
        // Composed text into an amount goes in only as it could have been typed, like a paste.
        if (m_amount && amountVerdict(commit) != KeyVerdict::Accept) {
            e->accept();
            postRejection();
            return;
        }
        const QString part = fitting(commit);
        if (part.size() < commit.size()) {
            // Composed text goes in as far as it fits, like pasted text.
            QInputMethodEvent cut(e->preeditString(), e->attributes());
            cut.setCommitString(part, e->replacementStart(), e->replacementLength());
            QLineEdit::inputMethodEvent(&cut);
            e->accept();
            return;
        }
    }
    QLineEdit::inputMethodEvent(e);
}

void CMyEditCtrl::contextMenuEvent(QContextMenuEvent* e)
{
    QMenu* menu = createStandardContextMenu();
    // The standard menu names its paste item with this very text (translated, and followed by
    // the shortcut).
    const QString pasteText = QLineEdit::tr("&Paste");
    for (QAction* a : menu->actions()) {
        if (a->text().startsWith(pasteText)) {
            a->disconnect();
            connect(a, &QAction::triggered, this, [this] { pasteFitting(QClipboard::Clipboard); });
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
    e->accept();
}

void CMyEditCtrl::mouseReleaseEvent(QMouseEvent* e)
{
    // The middle button pastes the selection on X11 desktops.
    if (e->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        pasteFitting(QClipboard::Selection);
        e->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(e);
}

void CMyEditCtrl::focusOutEvent(QFocusEvent* e)
{
    QLineEdit::focusOutEvent(e);
    emit focusLost();
}
