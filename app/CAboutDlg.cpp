#include "app/CAboutDlg.h"

#include "common/Pictures.h"
#include "common/Ui.h"
#include "common/core/AppInfo.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("CAboutDlg"));
    setWindowTitle(QStringLiteral("关于岱溪银行跨行代发助手"));
    Ui::setDialogBackground(this);

    auto* icon = new QLabel(this);
    icon->setPixmap(Pictures::appIcon(48));
    auto* text = new QLabel(AppInfo::productName() + QLatin1Char(' ') + AppInfo::versionText() +
                                QStringLiteral("\n\n版权所有 (C) 岱溪银行"),
                            this);
    Ui::name(text, QStringLiteral("版本信息"));
    QPushButton* ok = Ui::button(this, QStringLiteral("确定"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(text, 1);
    auto* col = new QVBoxLayout(this);
    col->addLayout(row);
    col->addWidget(ok, 0, Qt::AlignRight);
}
