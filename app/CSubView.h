#pragma once

#include <QWidget>

class CDAIFADlg;
class CDFBook;
class CPILIANGDlg;
class CPLBookDlg;
class CWelcomDlg;

using BatchScreen = CPILIANGDlg;
using BooksHost = CPLBookDlg;
using RosterScreen = CDFBook;

// The right pane: owns every working screen for the whole run, shows one at a time and switches
// on the posted screen-switch message.
class CSubView : public QWidget
{
    Q_OBJECT
public:
    explicit CSubView(QWidget* parent = nullptr);

    int currentCode() const { return m_current; }
    CDAIFADlg* payroll() const { return m_payroll; }
    BatchScreen* batch() const { return m_batch; }
    CWelcomDlg* welcome() const { return m_welcome; }
    BooksHost* books() const { return m_books; }
    RosterScreen* roster() const { return m_roster; }

    // Before the program closes: offers to export unsaved lines. False keeps the program open.
    bool confirmExit();

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void switchTo(int code, int mode);
    bool leaveCheck(int code);
    void undo();
    void hideAllBut(QWidget* shown);

    CDAIFADlg* m_payroll;
    BatchScreen* m_batch;
    CWelcomDlg* m_welcome;
    BooksHost* m_books;
    RosterScreen* m_roster;
    int m_current = 0;
};
