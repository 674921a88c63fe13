#pragma once

#include "ReviewDriver.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "batch/CPILIANGDlg.h"
#include "common/CMyEditCtrl.h"
#include "common/RowList.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

// The batch screen with a temporary program directory and scripted dialogs.
struct BatchFixture
{
    TestEnv env;
    ScriptedDialogs dialogs;
    CPILIANGDlg screen;

    BatchFixture()
    {
        screen.resize(790, 560);
        screen.show();
    }

    QPushButton* button(const QString& caption) const { return screen.findChild<QPushButton*>(caption); }
    CMyEditCtrl* field(const QString& name) const { return screen.findChild<CMyEditCtrl*>(name); }
    RowList* list() const { return screen.findChild<RowList*>(QStringLiteral("批量明细")); }
    QString label(const QString& name) const { return screen.findChild<QLabel*>(name)->text(); }
    void click(const QString& caption) const { QTest::mouseClick(button(caption), Qt::LeftButton); }

    void fill(const QString& account, const QString& name, const QString& amount) const
    {
        field(QStringLiteral("收款人账户"))->setText(account);
        field(QStringLiteral("收款人名称"))->setText(name);
        field(QStringLiteral("金额"))->setText(amount);
    }
    void addLine(const QString& account, const QString& name = QStringLiteral("甲公司"),
                 const QString& amount = QStringLiteral("100"))
    {
        click(QStringLiteral("新增"));
        fill(account, name, amount);
        click(QStringLiteral("确定"));
    }
    QStringList column(int c) const
    {
        QStringList out;
        for (int r = 0; r < list()->count(); ++r) {
            out << list()->text(r, c);
        }
        return out;
    }
    // Imports the given lines through the hidden text import.
    void importText(const QByteArray& bytes, const QString& name = QStringLiteral("batch.txt"))
    {
        env.write(name, bytes);
        dialogs.expectFile(env.path(name));
        click(QStringLiteral("导入文本"));
    }
};
