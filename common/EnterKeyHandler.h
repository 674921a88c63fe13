#pragma once

#include <QHash>
#include <QObject>
#include <functional>

class QWidget;

// Enter never closes a screen or dialog. On a command button registered here it runs that
// command; elsewhere it moves the focus like Tab (or is swallowed).
class EnterKeyHandler : public QObject
{
public:
    enum class Mode
    {
        MoveFocus,
        Swallow
    };

    // Watches root and every widget below it; create it once the screen's controls exist.
    EnterKeyHandler(QWidget* root, Mode mode);
    void setAction(QWidget* button, std::function<void()> action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_root;
    Mode m_mode;
    QHash<QObject*, std::function<void()>> m_actions;
};
