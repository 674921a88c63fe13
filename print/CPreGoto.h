#pragma once

#include <QDialog>

class QAbstractSpinBox;

// "转到页": asks for a page number between 1 and the page count.
class CPreGoto : public QDialog
{
    Q_OBJECT
public:
    CPreGoto(int currentPage, int pageCount, QWidget* parent = nullptr);

    // The chosen page, valid after the dialog was accepted.
    int page() const { return m_page; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void confirm();
    // Brings a whole number into 1..page count; other texts are left for confirm() to report.
    void clampField();

    QAbstractSpinBox* m_field;
    int m_pageCount;
    int m_page;
};
