#include "ui/symbols.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {

// Draws at several sizes on a 16 x 16 design grid.
QIcon drawn(const std::function<void(QPainter&)>& draw)
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void filledCircleWithCutout(QPainter& painter, const QColor& color, const QPainterPath& mark)
{
    QPainterPath circle;
    circle.addEllipse(QRectF(1, 1, 14, 14));
    QPen markPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    QPainterPathStroker stroker(markPen);
    painter.fillPath(circle.subtracted(stroker.createStroke(mark)), color);
}

} // namespace

QIcon symbols::squareAndArrowDown(const QColor& color)
{
    return drawn([color](QPainter& painter) {
        QPen pen(color, 1.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        QPainterPath tray;
        tray.moveTo(5, 6.5);
        tray.lineTo(3, 6.5);
        tray.lineTo(3, 14.5);
        tray.lineTo(13, 14.5);
        tray.lineTo(13, 6.5);
        tray.lineTo(11, 6.5);
        painter.drawPath(tray);
        painter.drawLine(QPointF(8, 1.5), QPointF(8, 10.5));
        painter.drawPolyline(QPolygonF({QPointF(5.5, 8), QPointF(8, 10.5), QPointF(10.5, 8)}));
    });
}

QIcon symbols::checkmarkCircleFill(const QColor& color)
{
    return drawn([color](QPainter& painter) {
        QPainterPath check;
        check.moveTo(4.8, 8.2);
        check.lineTo(7.1, 10.5);
        check.lineTo(11.2, 5.6);
        filledCircleWithCutout(painter, color, check);
    });
}

QIcon symbols::xmarkCircleFill(const QColor& color)
{
    return drawn([color](QPainter& painter) {
        QPainterPath cross;
        cross.moveTo(5.5, 5.5);
        cross.lineTo(10.5, 10.5);
        cross.moveTo(10.5, 5.5);
        cross.lineTo(5.5, 10.5);
        filledCircleWithCutout(painter, color, cross);
    });
}
