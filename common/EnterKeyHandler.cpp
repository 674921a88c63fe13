#include "common/EnterKeyHandler.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

EnterKeyHandler::EnterKeyHandler(QWidget* root, Mode mode) : QObject(root), m_root(root), m_mode(mode)
{
    root->installEventFilter(this);
    const auto children = root->findChildren<QWidget*>();
    for (QWidget* w : children) {
        w->installEventFilter(this);
    }
}

void EnterKeyHandler::setAction(QWidget* button, std::function<void()> action)
{
    m_actions.insert(button, std::move(action));
}

bool EnterKeyHandler::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) {
        return false;
    }
    auto action = m_actions.constFind(watched);
    if (action != m_actions.constEnd()) {
        (*action)();
        return true;
    }
    if (m_mode == Mode::MoveFocus) {
        if (auto* w = qobject_cast<QWidget*>(watched)) {
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QCoreApplication::sendEvent(w, &tab);
        }
    }
    return true;
}
