#pragma once

#include "print/ReportRenderer.h"
#include "print/ReportRequest.h"

#include <QDialog>

#include <functional>
#include <memory>

class CPreView;
class QAction;
class QPrinter;

// "打印预览": pages through a report one sheet at a time and prints the whole report on request.
// It knows nothing of the report's contents; the renderer draws everything.
class CPreParent : public QDialog
{
    Q_OBJECT
public:
    // Opens the printer to print on; nullptr when there is none or it cannot be used.
    using PrinterFactory = std::function<std::unique_ptr<QPrinter>()>;

    CPreParent(const ReportRequest& request, const ReportRenderer& renderer, QWidget* parent = nullptr);

    int currentPage() const { return m_request.currentPage; }
    int pageCount() const { return m_request.pageCount; }
    CPreView* view() const { return m_view; }

    void first();
    void previous();
    void goTo();
    void next();
    void last();
    void printReport();

    // Replaces the system's default printer (tests print into a PDF file); an empty factory restores it.
    static void setPrinterFactory(PrinterFactory factory);

protected:
    void showEvent(QShowEvent* e) override;

private:
    void setPagingEnabled(bool backward, bool forward);
    void showPage(int page);

    ReportRequest m_request;
    ReportRenderer m_renderer;
    CPreView* m_view;
    QAction* m_first;
    QAction* m_previous;
    QAction* m_goto;
    QAction* m_next;
    QAction* m_last;
};
