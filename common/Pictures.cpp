#include "common/Pictures.h"

#include "common/core/AppInfo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kRed(196, 0, 1);

QFont captionFont(int pixelSize, bool bold = false)
{
    QFont f;
    f.setFamilies(
        {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Microsoft YaHei"), QStringLiteral("SimHei")});
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

// The bank's emblem: a red coin with its square hole above a white river wave.
void drawEmblem(QPainter& p, const QRectF& r)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = r.width();
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawEllipse(r);
    p.setPen(QPen(Qt::white, qMax<qreal>(1, w * 0.03)));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(r.adjusted(w * 0.08, w * 0.08, -w * 0.08, -w * 0.08));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const qreal hole = w * 0.24;
    p.drawRect(QRectF(r.center().x() - hole / 2, r.center().y() - hole * 0.8, hole, hole));
    p.setPen(QPen(Qt::white, qMax<qreal>(1, w * 0.05), Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 2; ++i) {
        const qreal y = r.center().y() + w * (0.2 + i * 0.1);
        QPainterPath wave;
        wave.moveTo(r.left() + w * 0.24, y);
        wave.cubicTo(r.left() + w * 0.4, y - w * 0.07, r.left() + w * 0.6, y + w * 0.07, r.right() - w * 0.24,
                     y);
        p.drawPath(wave);
    }
    p.restore();
}

void drawSymbol(QPainter& p, const QString& caption, const QRectF& r, const QColor& ink)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ink, 2));
    p.setBrush(Qt::NoBrush);
    if (caption.contains(QStringLiteral("名册"))) {
        // a book
        p.drawRoundedRect(r.adjusted(4, 2, -4, -2), 2, 2);
        p.drawLine(QPointF(r.left() + 9, r.top() + 2), QPointF(r.left() + 9, r.bottom() - 2));
        for (int i = 0; i < 3; ++i) {
            const qreal y = r.top() + 9 + i * 6;
            p.drawLine(QPointF(r.left() + 13, y), QPointF(r.right() - 8, y));
        }
    } else if (caption.contains(QStringLiteral("代扣"))) {
        p.drawEllipse(r.adjusted(6, 2, -6, -2));
        p.drawLine(QPointF(r.left() + 10, r.center().y()), QPointF(r.right() - 10, r.center().y()));
    } else {
        // a stack of coins with an arrow: money leaving for other accounts
        for (int i = 0; i < 3; ++i) {
            p.drawEllipse(QRectF(r.left() + 4, r.bottom() - 10 - i * 6, 20, 8));
        }
        p.drawLine(QPointF(r.left() + 28, r.center().y()), QPointF(r.right() - 4, r.center().y()));
        p.drawLine(QPointF(r.right() - 4, r.center().y()), QPointF(r.right() - 10, r.center().y() - 5));
        p.drawLine(QPointF(r.right() - 4, r.center().y()), QPointF(r.right() - 10, r.center().y() + 5));
        if (caption.contains(QStringLiteral("行内"))) {
            p.drawRect(QRectF(r.left() + 30, r.top() + 2, 12, 8));
        }
    }
    p.restore();
}

// The face every picture button shares: a rounded plate, light when up, the bank's red when
// pressed (or marking the current screen or page).
QPixmap buttonFace(const QSize& size, bool pressed, qreal radius)
{
    QPixmap pm(size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, size.height());
    if (pressed) {
        g.setColorAt(0, QColor(196, 0, 1));
        g.setColorAt(1, QColor(140, 0, 0));
    } else {
        g.setColorAt(0, QColor(255, 255, 255));
        g.setColorAt(1, QColor(232, 222, 232));
    }
    p.setPen(QPen(pressed ? QColor(120, 0, 0) : QColor(190, 170, 190), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), radius, radius);
    return pm;
}

} // namespace

namespace Pictures {

QPixmap appIcon(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    drawEmblem(p, QRectF(1, 1, size - 2, size - 2));
    return pm;
}

QPixmap navigationFace(const QString& caption, bool pressed)
{
    const bool small = caption == QStringLiteral("代扣");
    QPixmap pm = buttonFace(small ? QSize(64, 64) : QSize(68, 74), pressed, 6);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink = pressed ? Qt::white : kRed;
    drawSymbol(p, caption, QRectF(8, 6, pm.width() - 16, 34), ink);
    p.setPen(pressed ? Qt::white : QColor(60, 40, 60));
    p.setFont(captionFont(caption.size() > 5 ? 10 : 11));
    p.drawText(QRectF(0, 42, pm.width(), pm.height() - 44),
               Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, caption);
    return pm;
}

QPixmap pageFace(const QString& caption, bool pressed)
{
    QPixmap pm = buttonFace(QSize(120, 28), pressed, 5);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(pressed ? Qt::white : QColor(60, 40, 60));
    p.setFont(captionFont(13, pressed));
    // Room on both sides: the caption never touches the edges.
    p.drawText(QRectF(8, 0, pm.width() - 16, pm.height()), Qt::AlignCenter | Qt::TextSingleLine, caption);
    return pm;
}

QPixmap navigationTile()
{
    QPixmap pm(16, 16);
    pm.fill(QColor(248, 242, 248));
    QPainter p(&pm);
    p.setPen(QColor(238, 228, 238));
    p.drawLine(0, 15, 15, 0);
    return pm;
}

QPixmap welcome(const QSize& size)
{
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, QColor(255, 255, 255));
    g.setColorAt(1, QColor(248, 236, 240));
    p.fillRect(pm.rect(), g);
    // a red band at the bottom, like the bank's letterhead
    p.fillRect(QRect(0, size.height() - 36, size.width(), 36), kRed);
    const int emblem = qMin(size.width(), size.height()) / 4;
    const QRectF emblemRect((size.width() - emblem) / 2.0, size.height() * 0.2, emblem, emblem);
    drawEmblem(p, emblemRect);
    p.setPen(kRed);
    p.setFont(captionFont(qMax(18, size.height() / 14), true));
    p.drawText(QRectF(0, emblemRect.bottom() + 24, size.width(), size.height() / 8.0), Qt::AlignCenter,
               AppInfo::productName());
    p.setPen(QColor(110, 90, 110));
    p.setFont(captionFont(qMax(12, size.height() / 32)));
    p.drawText(QRectF(0, emblemRect.bottom() + 24 + size.height() / 8.0, size.width(), 30), Qt::AlignCenter,
               QStringLiteral("跨行代发 · 收款人名册 · 联行号查询"));
    return pm;
}

} // namespace Pictures
