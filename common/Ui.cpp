#include "common/Ui.h"

#include "common/CMyEditCtrl.h"
#include "common/Dialogs.h"
#include "common/core/AppInfo.h"
#include "common/core/CMyTool.h"
#include "common/core/FieldCheck.h"

#include <QLabel>
#include <QPushButton>

namespace Ui {

void setDialogBackground(QWidget* w)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, QColor(248, 242, 248));
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void name(QWidget* w, const QString& name)
{
    w->setObjectName(name);
    if (!qobject_cast<QLabel*>(w)) {
        w->setAccessibleName(name);
    }
}

QPushButton* button(QWidget* parent, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    name(b, caption);
    b->setAutoDefault(false);
    b->setDefault(false);
    // The caption never touches the button's edges, whatever the layout gives it.
    b->setMinimumWidth(b->fontMetrics().horizontalAdvance(caption) + 2 * b->fontMetrics().averageCharWidth() +
                       12);
    return b;
}

QLabel* label(QWidget* parent, const QString& text)
{
    auto* l = new QLabel(text, parent);
    QString n = text;
    n.remove(QStringLiteral("："));
    name(l, n + QStringLiteral("标签"));
    return l;
}

QLabel* valueLabel(QWidget* parent, const QString& objectName, const QString& text, QLabel* caption)
{
    auto* l = new QLabel(text, parent);
    name(l, objectName);
    if (caption) {
        caption->setBuddy(l);
    }
    return l;
}

void readableWhenDisabled(QWidget* w)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Disabled, QPalette::Text, QColor(64, 64, 64));
    pal.setColor(QPalette::Disabled, QPalette::Base, QColor(250, 248, 250));
    w->setPalette(pal);
}

CMyEditCtrl* field(QWidget* parent, const QString& label, int typingLimit)
{
    auto* f = new CMyEditCtrl(parent);
    QString n = label;
    n.remove(QStringLiteral("："));
    name(f, n);
    f->setTypingLimit(typingLimit);
    readableWhenDisabled(f);
    return f;
}

void bindAmountField(CMyEditCtrl* amount, QLabel* capital, QWidget* screen)
{
    amount->setAmountFilter(true);
    QObject::connect(amount, &QLineEdit::textChanged, capital, [capital](const QString& text) {
        if (const auto spelled = CMyTool::CapitalAmount(text)) {
            capital->setText(*spelled);
        }
    });
    QObject::connect(amount, &CMyEditCtrl::focusLost, amount, [amount] {
        if (!amount->text().isEmpty()) {
            amount->setText(CMyTool::NormalizeLeadingZeros(amount->text()));
        }
    });
    QObject::connect(amount, &CMyEditCtrl::amountKeyRejected, screen, [screen] {
        Msg::show(screen, QStringLiteral("金额格式错误"), QStringLiteral("错误提示"));
    });
}

bool showCheck(QWidget* parent, const CheckReporter& check)
{
    const QString message = check.message();
    if (!message.isEmpty()) {
        Msg::show(parent, message);
    }
    return !check.failed();
}

} // namespace Ui
