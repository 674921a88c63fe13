#pragma once

#include <QMainWindow>
#include <functional>

class CMySplitter;

// The fixed-size main window: menu, the two panes, exit confirmation and About box.
class CMainFrame : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int OuterWidth = 905;
    static constexpr int OuterHeight = 660;
    static constexpr int Left = 50;
    static constexpr int Top = 50;

    CMainFrame(QWidget* navigationView, QWidget* screenHost);

    QWidget* navigationView() const { return m_navigation; }
    QWidget* screenHost() const { return m_host; }
    // Asked before the exit confirmation; returns false to keep the program open.
    void setBeforeExit(std::function<bool()> check) { m_beforeExit = std::move(check); }

    void showAbout();

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void keepPlace();

    QWidget* m_navigation;
    QWidget* m_host;
    CMySplitter* m_splitter;
    std::function<bool()> m_beforeExit;
    bool m_placing = false;
};
