#include "ui/icons.h"

#include <QPainter>
#include <QPainterPath>

namespace fractan::ui {
namespace {

QPixmap ChartPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x4e, 0x79));
    painter.drawRoundedRect(QRectF(0, 0, s, s), s * 0.15, s * 0.15);
    painter.setPen(QPen(QColor(0xf2, 0xa9, 0x00), s * 0.08, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(s * 0.18, s * 0.80), QPointF(s * 0.84, s * 0.22));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    const QPointF points[] = {{0.22, 0.70}, {0.36, 0.66}, {0.48, 0.50}, {0.62, 0.44}, {0.76, 0.26}};
    for (const QPointF& p : points) painter.drawEllipse(QPointF(p.x() * s, p.y() * s), s * 0.055, s * 0.055);
    return pixmap;
}

QPixmap Dot(const QColor& color) {
    const int size = 20;
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(color.darker(140), 1.5));
    painter.setBrush(color);
    painter.drawEllipse(QRectF(2, 2, size - 4, size - 4));
    return pixmap;
}

}  // namespace

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) icon.addPixmap(ChartPixmap(size));
    return icon;
}

QPixmap IdleIcon() { return Dot(QColor(0x3c, 0xa0, 0x4a)); }
QPixmap BusyIcon() { return Dot(QColor(0xe6, 0x8a, 0x00)); }
QPixmap ErrorIcon() { return Dot(QColor(0xd0, 0x30, 0x30)); }

}  // namespace fractan::ui
