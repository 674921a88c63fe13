#pragma once

#include "common/PictureButton.h"

#include <QVector>
#include <QWidget>

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
