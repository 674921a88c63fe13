#include "app/CFormDlg.h"

#include "common/Pictures.h"
#include "common/ScreenSwitch.h"
#include "common/Ui.h"
#include "common/core/AppInfo.h"

#include <QPainter>
#include <QVBoxLayout>

namespace {
struct NavItem
{
    const char* caption;
    int code; // -1: no action
    bool shown;
};
const NavItem kItems[] = {
    {"跨行代发工资", ScreenSwitch::PayrollScreen, true},
    {"收款人名册", ScreenSwitch::AccountBooks, true},
    {"行内批量转账", ScreenSwitch::BatchScreen, false},
    {"行内代发工资", ScreenSwitch::BatchScreen, false},
    {"代扣", -1, false},
};
} // namespace

CFormDlg::CFormDlg(QWidget* parent) : QWidget(parent)
{
    Ui::name(this, QStringLiteral("导航"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 16, 0, 0);
    layout->setSpacing(14);
    for (int i = 0; i < int(std::size(kItems)); ++i) {
        const QString caption = QString::fromUtf8(kItems[i].caption);
        auto* b = new CPictureButton(caption, Pictures::navigationFace(caption, false),
                                     Pictures::navigationFace(caption, true), this);
        // The full edition offers the in-bank screens too; 代扣 has no action in either.
        b->setVisible(kItems[i].shown || (AppInfo::fullEdition() && kItems[i].code >= 0));
        layout->addWidget(b, 0, Qt::AlignHCenter);
        connect(b, &QAbstractButton::clicked, this, [this, i] { onClicked(i); });
        m_buttons << b;
    }
    layout->addStretch(1);
}

void CFormDlg::onClicked(int index)
{
    for (int i = 0; i < m_buttons.size(); ++i) {
        m_buttons.at(i)->setEnabled(i != index);
    }
    if (kItems[index].code >= 0) {
        ScreenSwitch::postToHost(kItems[index].code, 0);
    }
}

void CFormDlg::showCurrent(int code)
{
    int current = -1;
    if (code == ScreenSwitch::BatchScreen) {
        current = 2;
    } else if (code == ScreenSwitch::PayrollScreen) {
        current = 0;
    } else if (code == ScreenSwitch::AccountBooks) {
        current = 1;
    }
    for (int i = 0; i < m_buttons.size(); ++i) {
        m_buttons.at(i)->setEnabled(i != current);
    }
}

void CFormDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawTiledPixmap(rect(), Pictures::navigationTile());
}
