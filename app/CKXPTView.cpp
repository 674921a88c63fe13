#include "app/CKXPTView.h"

#include "app/CFormDlg.h"
#include "common/Pictures.h"
#include "common/ScreenSwitch.h"

#include <QPainter>
#include <QVBoxLayout>

CKXPTView::CKXPTView(QWidget* parent) : QWidget(parent), m_bar(new CFormDlg(this))
{
    setObjectName(QStringLiteral("CKXPTView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_bar);
}

bool CKXPTView::event(QEvent* e)
{
    if (e->type() == AppInfo::WM_SWITCHSCREEN) {
        m_bar->showCurrent(static_cast<SwitchScreenEvent*>(e)->code());
        return true;
    }
    return QWidget::event(e);
}

void CKXPTView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawTiledPixmap(rect(), Pictures::navigationTile());
}
