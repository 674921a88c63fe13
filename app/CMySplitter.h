#pragma once

#include <QWidget>

// Two fixed panes side by side: the navigation column (100 pixels) and the screen host, with a
// 6-pixel bar between them painted in two colours. The bar cannot be dragged.
class CMySplitter : public QWidget
{
    Q_OBJECT
public:
    static constexpr int LeftWidth = 100;
    static constexpr int BarWidth = 6;

    explicit CMySplitter(QWidget* parent = nullptr);
    void setPanes(QWidget* left, QWidget* right);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void layoutPanes();
    QWidget* m_left = nullptr;
    QWidget* m_right = nullptr;
};
