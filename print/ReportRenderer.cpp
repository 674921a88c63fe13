#include "print/ReportRenderer.h"

#include "common/Dialogs.h"
#include "common/core/Amount.h"
#include "common/core/CMyTool.h"
#include "common/core/Clock.h"
#include "print/ReportRequest.h"
#include "print/core/Pagination.h"
#include "print/core/ReportSource.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QStringList>

#include <algorithm>

namespace {

constexpr double kRowMm = 7;
constexpr double kInsetMm = 1.5;
constexpr double kSheetWidthMm = 210;
constexpr double kSheetHeightMm = 297;

// Millimetres to device units of one surface, cut to whole units.
class Units
{
public:
    explicit Units(const QPaintDevice* d)
        : m_perMmX(d->logicalDpiX() * 10.0 / 254), m_perMmY(d->logicalDpiY() * 10.0 / 254)
    {
    }
    int x(double mm) const { return int(mm * m_perMmX); }
    int y(double mm) const { return int(mm * m_perMmY); }

private:
    double m_perMmX;
    double m_perMmY;
};

// The pixels from x0 up to (not including) x1, y0 up to y1: a cell ends where the next one's line is.
QRect bandRect(int x0, int x1, int y0, int y1)
{
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

// The report faces are the ones the bank's forms use; where they are missing, a CJK family keeps
// the Chinese readable with simplified glyph forms.
QFont reportFont(const QString& face, const QStringList& fallbacks, int pixels)
{
    QFont font;
    font.setFamilies(QStringList{face} + fallbacks);
    font.setPixelSize(std::max(1, pixels));
    font.setWeight(QFont::Normal);
    return font;
}

// Single line, clipped by the cell only: a long account is printed whole or visibly cut at the
// cell's edge, never shortened to a character count.
void cellText(QPainter& p, const QRect& cell, const QRect& textRect, int align, const QString& text,
              bool whole = false)
{
    if (text.isEmpty()) {
        return;
    }
    p.save();
    p.setClipRect(cell, Qt::IntersectClip);
    if (whole) {
        // Smaller, never cut: a digit missing from an account is a payment to someone else.
        QFont font = p.font();
        const qreal room = textRect.width();
        qreal width = QFontMetricsF(font, p.device()).horizontalAdvance(text);
        while (width > room && font.pixelSize() > 1) {
            font.setPixelSize(
                std::max(1, std::min(font.pixelSize() - 1, int(font.pixelSize() * room / width))));
            width = QFontMetricsF(font, p.device()).horizontalAdvance(text);
        }
        p.setFont(font);
    }
    p.drawText(textRect, align | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, text);
    p.restore();
}

} // namespace

QString ReportRenderer::title(const ReportRequest& request) const
{
    return m_layout.title(request.kind);
}

QFont ReportRenderer::titleFont(const QPaintDevice& surface) const
{
    return reportFont(QStringLiteral("黑体"), {QStringLiteral("SimHei"), QStringLiteral("Noto Sans CJK SC")},
                      14 * surface.logicalDpiY() / 72);
}

QFont ReportRenderer::bodyFont(const QPaintDevice& surface) const
{
    return reportFont(
        QStringLiteral("楷书"),
        {QStringLiteral("KaiTi"), QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")},
        m_layout.bodyFontPoints * (surface.logicalDpiY() - 1) / 72);
}

bool ReportRenderer::render(QPaintDevice& surface, const ReportRequest& request) const
{
    if (request.printMode == ReportRequest::Print) {
        auto* printer = dynamic_cast<QPrinter*>(&surface);
        return printer && print(*printer, request);
    }
    QPainter painter(&surface);
    drawPage(painter, request, request.currentPage, true);
    return true;
}

void ReportRenderer::drawPage(QPainter& p, const ReportRequest& request, int page, bool sheetFrame) const
{
    const Units u(p.device());
    const QFont previousFont = p.font();
    p.save();
    p.setPen(QPen(Qt::black, 0));
    p.setBrush(Qt::NoBrush);

    if (sheetFrame) {
        // A 2-unit pen centred inside the sheet so that the whole frame stays visible.
        const QRect sheet = bandRect(u.x(0), u.x(kSheetWidthMm), u.y(0), u.y(kSheetHeightMm));
        p.save();
        p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(sheet).adjusted(1, 1, -1, -1));
        p.restore();
    }

    if (page == 1) {
        p.setFont(titleFont(*p.device()));
        const QRect band = bandRect(u.x(0), u.x(kSheetWidthMm), u.y(10), u.y(20));
        p.drawText(band, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, title(request));
    }

    p.setFont(bodyFont(*p.device()));
    const int left = u.x(m_layout.tableLeftMm);
    const int right = u.x(m_layout.tableRightMm);
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;
    auto cellRect = [&](const ReportColumn& c, double topMm) {
        return bandRect(u.x(c.fromMm), u.x(c.toMm), u.y(topMm), u.y(topMm + kRowMm));
    };
    auto separators = [&](double topMm) {
        for (int i = 1; i < m_layout.columns.size(); ++i) {
            const int x = u.x(m_layout.columns.at(i).fromMm);
            p.drawLine(x, u.y(topMm), x, u.y(topMm + kRowMm));
        }
    };

    const int available = request.source ? std::min(request.rowCount, request.source->rowCount()) : 0;
    const int first = Pagination::pageStart(page);
    const int last = first + Pagination::pageRows(page, available);
    const double tableTopMm = page == 1 ? 25 : 18;
    double bandMm = tableTopMm;
    // A page of its own for the summary has no table.
    if (page == 1 || last > first) {
        p.drawLine(left, u.y(tableTopMm), right, u.y(tableTopMm));
        for (const ReportColumn& c : m_layout.columns) {
            const QRect cell = cellRect(c, tableTopMm);
            cellText(p, cell, cell, Qt::AlignHCenter, c.caption);
        }
        separators(tableTopMm);
        bandMm += kRowMm;
        p.drawLine(left, u.y(bandMm), right, u.y(bandMm));
    }
    for (int row = first; row < last; ++row) {
        for (const ReportColumn& c : m_layout.columns) {
            if (c.listColumn < 0) {
                continue;
            }
            // The text keeps off the grid lines on both sides; the cell alone clips it.
            const QRect cell = cellRect(c, bandMm);
            QRect inner = cell;
            inner.setLeft(u.x(c.fromMm + kInsetMm));
            inner.setRight(u.x(c.toMm - kInsetMm) - 1);
            cellText(p, cell, inner, c.alignRight ? Qt::AlignRight : Qt::AlignLeft,
                     request.source->text(row, c.listColumn), c.whole);
        }
        separators(bandMm);
        bandMm += kRowMm;
        p.drawLine(left, u.y(bandMm), right, u.y(bandMm));
    }
    if (bandMm > tableTopMm) {
        p.drawLine(left, u.y(tableTopMm), left, u.y(bandMm));
        p.drawLine(right, u.y(tableTopMm), right, u.y(bandMm));
    }

    if (page == request.pageCount) {
        // The summary under the last row: totals as the screen's footer shows them, the sum in
        // words, and the lines the clerk and the checker sign on.
        static_assert(Pagination::kSummaryRows == 3, "the summary has three lines");
        QStringList amounts;
        for (int row = 0; row < available; ++row) {
            amounts << request.source->text(row, m_layout.amountListColumn);
        }
        const Amount::Totals totals = Amount::listTotals(amounts);
        const QStringList lines[] = {
            {QStringLiteral("总笔数：") + totals.count, QStringLiteral("总金额：") + totals.sum},
            {QStringLiteral("大写金额：") + CMyTool::CapitalAmount(totals.sum).value_or(QString())},
            {QStringLiteral("经办：________"), QStringLiteral("复核：________")}};
        const int textLeft = u.x(m_layout.tableLeftMm + kInsetMm);
        const int middle = u.x((m_layout.tableLeftMm + m_layout.tableRightMm) / 2);
        for (const QStringList& line : lines) {
            const int top = u.y(bandMm);
            const int bottom = u.y(bandMm + kRowMm);
            p.drawText(bandRect(textLeft, middle, top, bottom), Qt::AlignLeft | flags, line.at(0));
            if (line.size() > 1) {
                p.drawText(bandRect(middle, right, top, bottom), Qt::AlignLeft | flags, line.at(1));
            }
            bandMm += kRowMm;
        }
    }

    const QRect footer = bandRect(left, right, u.y(bandMm), u.y(bandMm + kRowMm));
    p.drawText(footer, Qt::AlignLeft | flags,
               QStringLiteral("报表日期:") + Clock::today().toString(QStringLiteral("yyyy-MM-dd")));
    p.drawText(footer, Qt::AlignRight | flags,
               QStringLiteral("第 %1 页/共 %2 页").arg(page).arg(request.pageCount));

    p.restore();
    p.setFont(previousFont);
}

bool ReportRenderer::print(QPrinter& printer, const ReportRequest& request) const
{
    printer.setDocName(title(request));
    printer.setFullPage(true); // positions are measured from the sheet's corner, not the printable area
    QPainter painter;
    if (!painter.begin(&printer)) {
        Msg::show(request.owner, QStringLiteral("连接到打印机失败!"), QStringLiteral("错误"), Msg::Ok,
                  Msg::Icon::Critical);
        return false;
    }
    for (int page = 1; page <= request.pageCount; ++page) {
        if (page > 1 && !printer.newPage()) {
            Msg::show(request.owner, QStringLiteral("打印失败!"), QStringLiteral("错误"), Msg::Ok,
                      Msg::Icon::Critical);
            printer.abort();
            painter.end();
            return false;
        }
        drawPage(painter, request, page, false);
    }
    painter.end();
    return true;
}
