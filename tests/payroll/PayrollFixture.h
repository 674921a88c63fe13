#pragma once

#include "ReviewDriver.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "common/CMyEditCtrl.h"
#include "common/RowList.h"
#include "payroll/CDAIFADlg.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

// The payroll screen with a temporary program directory and scripted dialogs.
struct PayrollFixture
{
    TestEnv env;
    ScriptedDialogs dialogs;
    CDAIFADlg screen;

    PayrollFixture()
    {
        screen.resize(790, 560);
        screen.show();
    }

    QPushButton* button(const QString& caption) const { return screen.findChild<QPushButton*>(caption); }
    CMyEditCtrl* field(const QString& name) const { return screen.findChild<CMyEditCtrl*>(name); }
    RowList* list() const { return screen.findChild<RowList*>(QStringLiteral("代发明细")); }
    QString label(const QString& name) const { return screen.findChild<QLabel*>(name)->text(); }
    QString count() const { return label(QStringLiteral("总笔数")); }
    QString total() const { return label(QStringLiteral("总金额")); }

    void click(const QString& caption) const { QTest::mouseClick(button(caption), Qt::LeftButton); }

    void fill(const QString& account, const QString& name, const QString& bank, const QString& code,
              const QString& amount, const QString& purpose) const
    {
        field(QStringLiteral("收款人账号"))->setText(account);
        field(QStringLiteral("收款人名称"))->setText(name);
        field(QStringLiteral("开户行"))->setText(bank);
        field(QStringLiteral("联行号"))->setText(code);
        field(QStringLiteral("金额"))->setText(amount);
        field(QStringLiteral("付款用途"))->setText(purpose);
    }

    // 新增, fill, 确定: a line that passes every check.
    void addLine(const QString& account, const QString& name = QStringLiteral("张三"),
                 const QString& amount = QStringLiteral("100"),
                 const QString& bank = QStringLiteral("中国银行海安支行"),
                 const QString& code = QStringLiteral("104306114010"),
                 const QString& purpose = QStringLiteral("工资"))
    {
        click(QStringLiteral("新增"));
        fill(account, name, bank, code, amount, purpose);
        click(QStringLiteral("确定"));
    }

    QStringList row(int r) const { return list()->rows()->row(r); }
    QStringList column(int c) const
    {
        QStringList out;
        for (int r = 0; r < list()->count(); ++r) {
            out << list()->text(r, c);
        }
        return out;
    }

    // Which of the given controls are enabled, as a string of 1 and 0 in the given order.
    QString enabled(const QStringList& names) const
    {
        QString out;
        for (const QString& n : names) {
            QWidget* w = screen.findChild<QWidget*>(n);
            out += (w && w->isEnabled()) ? QLatin1Char('1') : QLatin1Char('0');
        }
        return out;
    }
};
