#pragma once

#include <QAbstractButton>
#include <QPixmap>

// A button drawn from two pictures: the normal one (also with the focus) and the pressed one
// (also while disabled, which marks the current screen or page). Its caption is in the picture
// and is its accessible name.
class CPictureButton : public QAbstractButton
{
    Q_OBJECT
public:
    CPictureButton(const QString& caption, const QPixmap& normal, const QPixmap& pressed,
                   QWidget* parent = nullptr);
    QSize sizeHint() const override { return m_normal.size(); }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QPixmap m_normal;
    QPixmap m_pressed;
};
