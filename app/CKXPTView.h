#pragma once

#include <QWidget>

class CFormDlg;

// The left pane: holds the navigation bar and passes every screen-switch message on to it.
class CKXPTView : public QWidget
{
    Q_OBJECT
public:
    explicit CKXPTView(QWidget* parent = nullptr);
    CFormDlg* navigationBar() const { return m_bar; }

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    CFormDlg* m_bar;
};
