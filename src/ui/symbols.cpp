#include "ui/symbols.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <functional>
#include <map>

namespace {

// Draws a symbol on a 16 x 16 design grid at whatever size it is asked for,
// when it is asked for: a window that shows one size draws one.
class DrawnIconEngine final : public QIconEngine
{
public:
    using Drawing = std::function<void(QPainter&)>;

    explicit DrawnIconEngine(Drawing draw) : m_draw(std::move(draw)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        const int side = qMax(1, qMin(size.width(), size.height()));
        const std::pair<int, int> key{side, int(mode)};
        if (const auto found = m_drawn.find(key); found != m_drawn.end())
            return found->second;
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(side / 16.0, side / 16.0);
        m_draw(painter);
        painter.end();
        // Dimmed and selected looks come from the style, as for any icon.
        if (mode != QIcon::Normal) {
            QStyleOption option;
            option.palette = QGuiApplication::palette();
            const QPixmap generated =
                QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
            if (!generated.isNull())
                pixmap = generated;
        }
        m_drawn.emplace(key, pixmap);
        return pixmap;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        QPixmap drawn = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        drawn.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, drawn);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = qMin(size.width(), size.height());
        return {side, side};
    }

    QIconEngine* clone() const override { return new DrawnIconEngine(m_draw); }

    QString key() const override { return QStringLiteral("pelvaro-symbol"); }

private:
    Drawing m_draw;
    std::map<std::pair<int, int>, QPixmap> m_drawn;
};

QIcon drawn(DrawnIconEngine::Drawing draw)
{
    return QIcon(new DrawnIconEngine(std::move(draw)));
}

// The mark is cut out of the disc, so that it shows what lies beneath.
void filledCircleWithCutout(QPainter& painter, const QColor& color, const QPainterPath& mark)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(1, 1, 14, 14));
    painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    painter.setPen(QPen(Qt::black, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(mark);
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

QIcon symbols::chevronsForward(const QColor& color, Qt::LayoutDirection direction)
{
    return drawn([color, direction](QPainter& painter) {
        if (direction == Qt::RightToLeft) {
            painter.translate(16, 0);
            painter.scale(-1, 1);
        }
        painter.setPen(QPen(color, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        for (const qreal left : {3.5, 8.5})
            painter.drawPolyline(
                QPolygonF({QPointF(left, 4), QPointF(left + 4, 8), QPointF(left, 12)}));
    });
}
