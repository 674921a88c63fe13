#include "print/CPreGoto.h"

#include "common/Dialogs.h"
#include "common/Ui.h"

#include <QAbstractSpinBox>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace {

constexpr int kMaxTyped = 999999;

std::optional<qlonglong> wholeNumber(const QString& text)
{
    bool ok = false;
    const qlonglong n = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qlonglong>(n) : std::nullopt;
}

// A number field with arrows that takes any text: the dialog itself tells the operator what is wrong
// with it, instead of silently refusing keys.
class PageField : public QAbstractSpinBox
{
public:
    PageField(int value, int maximum, QWidget* parent) : QAbstractSpinBox(parent), m_maximum(maximum)
    {
        lineEdit()->setText(QString::number(value));
    }
    QString text() const { return lineEdit()->text(); }
    void setNumber(qlonglong n) { lineEdit()->setText(QString::number(n)); }

    QValidator::State validate(QString&, int&) const override { return QValidator::Acceptable; }
    void fixup(QString&) const override {}
    void stepBy(int steps) override
    {
        const qlonglong now = wholeNumber(text()).value_or(1);
        setNumber(std::clamp<qlonglong>(now + steps, 1, m_maximum));
        selectAll();
    }

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

private:
    int m_maximum;
};

} // namespace

CPreGoto::CPreGoto(int currentPage, int pageCount, QWidget* parent)
    : QDialog(parent), m_pageCount(std::max(1, pageCount)), m_page(currentPage)
{
    setWindowTitle(QStringLiteral("转到页"));
    auto* label = new QLabel(QStringLiteral("页码(&P):"), this);
    auto* field = new PageField(currentPage, m_pageCount, this);
    m_field = field;
    Ui::name(m_field, QStringLiteral("页码"));
    label->setBuddy(m_field);
    m_field->installEventFilter(this);
    QPushButton* ok = Ui::button(this, QStringLiteral("确定(&O)"));
    QPushButton* cancel = Ui::button(this, QStringLiteral("取消(&C)"));
    connect(ok, &QPushButton::clicked, this, &CPreGoto::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_field, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* main = new QVBoxLayout(this);
    main->addLayout(row);
    main->addLayout(buttons);
    setFixedSize(sizeHint());
    m_field->setFocus();
}

void CPreGoto::keyPressEvent(QKeyEvent* e)
{
    // Only the two buttons close this dialog.
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        e->accept();
        return;
    default:
        QDialog::keyPressEvent(e);
    }
}

bool CPreGoto::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_field && e->type() == QEvent::FocusOut) {
        // A message box or another window taking over is no edit that is finished.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            clampField();
        }
    }
    return QDialog::eventFilter(watched, e);
}

void CPreGoto::clampField()
{
    auto* field = static_cast<PageField*>(m_field);
    const std::optional<qlonglong> n = wholeNumber(field->text());
    if (n && (*n > m_pageCount || *n <= 0)) {
        field->setNumber(*n > m_pageCount ? m_pageCount : 1);
    }
}

void CPreGoto::confirm()
{
    auto* field = static_cast<PageField*>(m_field);
    const std::optional<qlonglong> n = wholeNumber(field->text());
    QString problem;
    if (!n) {
        problem = QStringLiteral("请输入一个整数。");
    } else if (*n < 1 || *n > kMaxTyped) {
        problem = QStringLiteral("请输入一个在 %1 和 %2 之间的整数。").arg(1).arg(kMaxTyped);
    }
    if (!problem.isEmpty()) {
        Msg::show(this, problem, QString(), Msg::Ok, Msg::Icon::Warning);
        m_field->setFocus();
        m_field->selectAll();
        return;
    }
    clampField();
    m_page = int(wholeNumber(field->text()).value_or(1));
    accept();
}
