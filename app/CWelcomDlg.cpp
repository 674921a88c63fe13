#include "app/CWelcomDlg.h"

#include "common/EnterKeyHandler.h"
#include "common/Pictures.h"
#include "common/Ui.h"

#include <QPainter>

CWelcomDlg::CWelcomDlg(QWidget* parent) : QWidget(parent)
{
    Ui::name(this, QStringLiteral("欢迎"));
    setFocusPolicy(Qt::StrongFocus);
    new EnterKeyHandler(this, EnterKeyHandler::Mode::Swallow);
}

void CWelcomDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, Pictures::welcome(size()));
}
