#pragma once

#include "common/RowList.h"
#include "print/ReportRenderer.h"
#include "print/ReportRequest.h"
#include "print/RowListReportSource.h"
#include "print/core/Pagination.h"

#include <QFile>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRegularExpression>
#include <QStringList>

// Shared by the print tests: lists to print, a page rendered at a chosen resolution, a surface that
// records the texts drawn on it, and a page count of a PDF file.

// A payroll list of n rows: 序号, 收款人账号, 收款人名称, 开户行, 联行号, 金额, 付款用途.
inline void fillPayroll(RowListModel& model, int n)
{
    for (int i = 1; i <= n; ++i) {
        model.appendRow({QString::number(i), QStringLiteral("62220200%1").arg(i, 8, 10, QLatin1Char('0')),
                         QStringLiteral("张三%1").arg(i), QStringLiteral("中国工商银行北京分行"),
                         QStringLiteral("102100000000"), QStringLiteral("%1.00").arg(i * 100),
                         QStringLiteral("工资")});
    }
}

// A batch list of n rows: 序号, 收款人账号, 收款人名称, 金额.
inline void fillBatch(RowListModel& model, int n)
{
    for (int i = 1; i <= n; ++i) {
        model.appendRow({QString::number(i), QStringLiteral("6222%1").arg(i, 12, 10, QLatin1Char('0')),
                         QStringLiteral("李四%1").arg(i), QStringLiteral("%1.50").arg(i)});
    }
}

inline ReportRequest requestFor(const ReportSource& source, int page = 1, int kind = 1)
{
    ReportRequest r;
    r.rowCount = source.rowCount();
    r.pageCount = Pagination::pageCount(r.rowCount);
    r.currentPage = page;
    r.source = &source;
    r.kind = kind;
    return r;
}

// One A4 sheet at dpi (254 dpi: one millimetre is ten pixels), drawn in preview mode.
inline QImage renderSheet(const ReportRenderer& renderer, const ReportRequest& request, int dpi = 254)
{
    QImage image(dpi * 2100 / 254, dpi * 2970 / 254, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    ReportRequest preview = request;
    preview.printMode = ReportRequest::Preview;
    renderer.render(image, preview);
    return image;
}

inline bool ink(const QImage& image, int x, int y)
{
    return qGray(image.pixel(x, y)) < 128;
}

// Dark pixels in the rectangle [x0, x1) x [y0, y1).
inline int inkCount(const QImage& image, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            n += ink(image, x, y) ? 1 : 0;
        }
    }
    return n;
}

// An A4 surface (254 dpi unless told) that keeps every text drawn on it, in drawing order, with
// where it starts (the left end of its baseline) and its font.
class TextRecorder : public QPaintDevice
{
public:
    explicit TextRecorder(int dpi = 254) : m_dpi(dpi), m_engine(this) {}
    QPaintEngine* paintEngine() const override { return const_cast<Engine*>(&m_engine); }
    struct Item
    {
        QString text;
        QPointF start;
        QFont font;
    };
    QStringList texts;
    QList<Item> items;
    QString all() const { return texts.join(QString()); }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth:
            return 2100 * m_dpi / 254;
        case PdmHeight:
            return 2970 * m_dpi / 254;
        case PdmWidthMM:
            return 210;
        case PdmHeightMM:
            return 297;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return m_dpi;
        case PdmDepth:
            return 32;
        case PdmNumColors:
            return 0x7fffffff;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(QPaintDevice::devicePixelRatioFScale());
        }
        return 0;
    }

private:
    class Engine : public QPaintEngine
    {
    public:
        explicit Engine(TextRecorder* owner) : QPaintEngine(AllFeatures), m_owner(owner) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF& p, const QTextItem& item) override
        {
            m_owner->texts << item.text();
            m_owner->items << Item{item.text(), painter()->transform().map(p), item.font()};
        }
        Type type() const override { return User; }

    private:
        TextRecorder* m_owner;
    };
    int m_dpi;
    Engine m_engine;
};

// Texts drawn for one page in preview mode.
inline QString pageTexts(const ReportRenderer& renderer, const ReportRequest& request)
{
    TextRecorder recorder;
    QPainter painter(&recorder);
    renderer.drawPage(painter, request, request.currentPage, true);
    painter.end();
    return recorder.all();
}

// Number of page objects in a PDF file.
inline int pdfPageCount(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QString pdf = QString::fromLatin1(f.readAll());
    return int(pdf.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}
