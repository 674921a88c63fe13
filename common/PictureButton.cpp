#include "common/PictureButton.h"

#include "common/Ui.h"

#include <QPainter>

CPictureButton::CPictureButton(const QString& caption, const QPixmap& normal, const QPixmap& pressed,
                               QWidget* parent)
    : QAbstractButton(parent), m_normal(normal), m_pressed(pressed)
{
    Ui::name(this, caption);
    setText(caption);
    setFixedSize(m_normal.size());
    setFocusPolicy(Qt::StrongFocus);
}

void CPictureButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, (isDown() || !isEnabled()) ? m_pressed : m_normal);
}
