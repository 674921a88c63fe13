#include "app/CMySplitter.h"

#include <QPainter>

CMySplitter::CMySplitter(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("splitter"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CMySplitter::setPanes(QWidget* left, QWidget* right)
{
    m_left = left;
    m_right = right;
    left->setParent(this);
    right->setParent(this);
    layoutPanes();
}

void CMySplitter::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    layoutPanes();
}

void CMySplitter::layoutPanes()
{
    if (m_left) {
        m_left->setGeometry(0, 0, LeftWidth, height());
    }
    if (m_right) {
        m_right->setGeometry(LeftWidth + BarWidth, 0, qMax(0, width() - LeftWidth - BarWidth), height());
    }
}

void CMySplitter::paintEvent(QPaintEvent*)
{
    // Only the bar is painted: its left half light grey, its right half the bank's red.
    QPainter p(this);
    const int half = BarWidth / 2;
    p.fillRect(LeftWidth, 0, half, height(), QColor(238, 238, 238));
    p.fillRect(LeftWidth + half, 0, BarWidth - half, height(), QColor(196, 0, 1));
}
