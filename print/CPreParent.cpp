#include "print/CPreParent.h"

#include "common/Dialogs.h"
#include "print/CPreGoto.h"
#include "print/CPreView.h"
#include "print/core/Pagination.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <QPrinterInfo>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

CPreParent::PrinterFactory g_printerFactory;

std::unique_ptr<QPrinter> openDefaultPrinter()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        return nullptr;
    }
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    if (!printer->isValid()) {
        return nullptr;
    }
    return printer;
}

enum class Glyph
{
    First,
    Previous,
    GoTo,
    Next,
    Last,
    Close,
    Print
};

// The toolbar's 16 x 15 pictures, drawn here rather than shipped as files.
QIcon toolIcon(Glyph glyph)
{
    QPixmap pixmap(16, 15);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QColor ink(0, 0, 128);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    auto triangle = [&p](int tipX, int baseX) {
        p.drawPolygon(QPolygon({{tipX, 7}, {baseX, 2}, {baseX, 12}}));
    };
    switch (glyph) {
    case Glyph::First:
        p.drawRect(2, 2, 2, 11);
        triangle(6, 12);
        break;
    case Glyph::Previous:
        triangle(4, 10);
        break;
    case Glyph::Next:
        triangle(11, 5);
        break;
    case Glyph::Last:
        triangle(9, 3);
        p.drawRect(11, 2, 2, 11);
        break;
    case Glyph::GoTo:
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(6, 1, 8, 9);
        p.drawRect(4, 3, 8, 9);
        p.drawRect(2, 5, 8, 9);
        p.drawLine(4, 8, 8, 8);
        p.drawLine(4, 10, 8, 10);
        break;
    case Glyph::Close:
        p.setPen(Qt::black);
        p.setBrush(QColor(160, 96, 32));
        p.drawRect(1, 1, 8, 13);
        p.setBrush(Qt::yellow);
        p.drawRect(7, 7, 1, 1);
        p.setPen(QPen(Qt::darkGreen, 2));
        p.drawLine(9, 7, 14, 7);
        p.drawLine(12, 4, 14, 7);
        p.drawLine(12, 10, 14, 7);
        break;
    case Glyph::Print:
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(Qt::lightGray);
        p.drawRect(1, 6, 13, 5);
        p.setBrush(Qt::white);
        p.drawRect(4, 10, 7, 4);
        p.setPen(Qt::green);
        p.drawPoint(12, 8);
        break;
    }
    p.end();
    return QIcon(pixmap);
}

QFrame* etchedLine(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

CPreParent::CPreParent(const ReportRequest& request, const ReportRenderer& renderer, QWidget* parent)
    : QDialog(parent), m_request(request), m_renderer(renderer)
{
    m_request.pageCount = Pagination::pageCount(m_request.rowCount);
    m_request.currentPage = 1;
    m_request.printMode = ReportRequest::Preview;

    setWindowTitle(QStringLiteral("打印预览"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(60, 70, 120));
    setPalette(pal);
    setAutoFillBackground(true);

    auto* toolbar = new QToolBar(this);
    toolbar->setObjectName(QStringLiteral("toolbar"));
    toolbar->setIconSize(QSize(16, 15));
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar->setAutoFillBackground(true);
    toolbar->setPalette(QApplication::palette(toolbar)); // the icons stay on a light ground
    // The buttons show pictures only, no caption and no tooltip; a screen reader still names them.
    auto add = [toolbar](Glyph glyph, const char* name, const QString& spoken) {
        QAction* a = toolbar->addAction(toolIcon(glyph), QString());
        a->setObjectName(QLatin1String(name));
        toolbar->widgetForAction(a)->setAccessibleName(spoken);
        return a;
    };
    m_first = add(Glyph::First, "first", QStringLiteral("第一页"));
    m_previous = add(Glyph::Previous, "previous", QStringLiteral("上一页"));
    toolbar->addSeparator();
    m_goto = add(Glyph::GoTo, "goto", QStringLiteral("转到页"));
    toolbar->addSeparator();
    m_next = add(Glyph::Next, "next", QStringLiteral("下一页"));
    m_last = add(Glyph::Last, "last", QStringLiteral("最后一页"));
    toolbar->addSeparator();
    QAction* close = add(Glyph::Close, "close", QStringLiteral("关闭"));
    toolbar->addSeparator();
    QAction* print = add(Glyph::Print, "print", QStringLiteral("打印"));
    connect(m_first, &QAction::triggered, this, &CPreParent::first);
    connect(m_previous, &QAction::triggered, this, &CPreParent::previous);
    connect(m_goto, &QAction::triggered, this, &CPreParent::goTo);
    connect(m_next, &QAction::triggered, this, &CPreParent::next);
    connect(m_last, &QAction::triggered, this, &CPreParent::last);
    connect(close, &QAction::triggered, this, &QDialog::reject);
    connect(print, &QAction::triggered, this, &CPreParent::printReport);

    m_view = new CPreView(m_renderer, m_request, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(etchedLine(this));
    layout->addWidget(toolbar);
    layout->addWidget(etchedLine(this));
    layout->addWidget(m_view, 1);

    const bool severalPages = m_request.rowCount > Pagination::kFirstPageRows;
    m_goto->setEnabled(severalPages);
    setPagingEnabled(false, severalPages);
    setWindowState(windowState() | Qt::WindowMaximized);
}

void CPreParent::setPrinterFactory(PrinterFactory factory)
{
    g_printerFactory = std::move(factory);
}

void CPreParent::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (m_request.rowCount <= 0) {
        // Nothing to show: close as soon as the window is up.
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
    }
}

void CPreParent::setPagingEnabled(bool backward, bool forward)
{
    m_first->setEnabled(backward);
    m_previous->setEnabled(backward);
    m_next->setEnabled(forward);
    m_last->setEnabled(forward);
}

void CPreParent::showPage(int page)
{
    m_request.currentPage = page;
    m_view->viewport()->update();
}

void CPreParent::first()
{
    showPage(1);
    setPagingEnabled(false, true);
}

void CPreParent::previous()
{
    showPage(m_request.currentPage - 1);
    setPagingEnabled(m_request.currentPage > 1, true);
}

void CPreParent::next()
{
    showPage(m_request.currentPage + 1);
    setPagingEnabled(true, m_request.currentPage < m_request.pageCount);
}

void CPreParent::last()
{
    showPage(m_request.pageCount);
    setPagingEnabled(true, false);
}

void CPreParent::goTo()
{
    CPreGoto dialog(m_request.currentPage, m_request.pageCount, this);
    if (dialog.exec() == QDialog::Accepted) {
        const int page = dialog.page();
        if (page == 1) {
            first();
        } else if (page == m_request.pageCount) {
            last();
        } else {
            showPage(page);
            setPagingEnabled(true, true);
        }
    }
    m_view->viewport()->update();
}

void CPreParent::printReport()
{
    if (Msg::show(this, QStringLiteral("决定打印当前报表吗?"), QStringLiteral("打印提示"), Msg::Yes | Msg::No,
                  Msg::Icon::Question, Msg::No) != Msg::Yes) {
        return;
    }
    std::unique_ptr<QPrinter> printer = g_printerFactory ? g_printerFactory() : openDefaultPrinter();
    if (!printer) {
        Msg::show(this, QStringLiteral("打印机初始化失败!"), QStringLiteral("错误"), Msg::Ok,
                  Msg::Icon::Critical);
        return;
    }
    ReportRequest job = m_request;
    job.printMode = ReportRequest::Print;
    m_renderer.render(*printer, job);
}
