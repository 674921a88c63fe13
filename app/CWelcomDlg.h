#pragma once

#include <QWidget>

// The welcome screen: one picture with the bank's emblem and the product name.
class CWelcomDlg : public QWidget
{
    Q_OBJECT
public:
    explicit CWelcomDlg(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* e) override;
};
