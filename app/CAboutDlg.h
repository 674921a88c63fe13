#pragma once

#include <QDialog>

// "关于岱溪银行跨行代发助手": the product's name and version.
class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
