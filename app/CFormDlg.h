#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QVector>
#include <QWidget>

// A button drawn from two pictures: the normal one (also with the focus) and the pressed one
// (also while disabled, which marks the current screen).
class CPictureButton : public QAbstractButton
{
    Q_OBJECT
public:
    CPictureButton(const QString& caption, QWidget* parent = nullptr);
    QSize sizeHint() const override { return m_normal.size(); }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QPixmap m_normal;
    QPixmap m_pressed;
};

// The navigation bar: five picture buttons that post the screen-switch message to the host and
// follow the current screen.
class CFormDlg : public QWidget
{
    Q_OBJECT
public:
    explicit CFormDlg(QWidget* parent = nullptr);
    // Marks the button of the given screen code as current (disabled); enables the others.
    void showCurrent(int code);
    CPictureButton* button(int index) const { return m_buttons.at(index); }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void onClicked(int index);
    QVector<CPictureButton*> m_buttons;
};
