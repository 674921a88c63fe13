#pragma once

#include <QWidget>

class CPLBook;
class CPLBook2;
class QAbstractButton;
class QRadioButton;

// The account-book host: two pages, the in-bank and the interbank account book, chosen with two
// radio buttons. Every page switch reloads the page shown.
class CPLBookDlg : public QWidget
{
    Q_OBJECT
public:
    explicit CPLBookDlg(QWidget* parent = nullptr);

    // The action of the radio button 行内账户名册; the screen host calls it on every entry.
    void SelectFirstBook();
    void SelectSecondBook();

    CPLBook* inBankBook() const { return m_inBank; }
    CPLBook2* interbankBook() const { return m_interbank; }

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void showPage(bool first);

    bool m_switching = false;
    bool m_pressedShown = false; // the button pressed is the page already shown
    QRadioButton* m_first;
    QRadioButton* m_second;
    QAbstractButton* m_batchRoster;
    QAbstractButton* m_payrollRoster;
    CPLBook* m_inBank;
    CPLBook2* m_interbank;
};
