#include "ui/emptystatebox.h"

#include "ui/textstyles.h"

#include <QPainter>
#include <QPainterPath>

EmptyStateBox::EmptyStateBox(QWidget* parent) : QWidget(parent)
{
    setMinimumHeight(220);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void EmptyStateBox::setText(const QString& text)
{
    m_text = text;
    setAccessibleName(text);
    update();
}

void EmptyStateBox::setOpacity(qreal opacity)
{
    m_opacity = opacity;
    update();
}

QSize EmptyStateBox::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(m_text) + 40, 220};
}

void EmptyStateBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_opacity);
    // The 1-point border lies inside the box's edge.
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath rounded;
    rounded.addRoundedRect(frame, 6, 6);
    painter.fillPath(rounded, palette().color(QPalette::Base));
    QColor border = text_styles::secondaryColor(this);
    border.setAlphaF(border.alphaF() * 0.3f);
    painter.setPen(QPen(border, 1));
    painter.drawPath(rounded);
    painter.setPen(text_styles::secondaryColor(this));
    painter.drawText(rect(), Qt::AlignCenter, m_text);
}
