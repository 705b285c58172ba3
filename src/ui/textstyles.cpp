#include "ui/textstyles.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace {
QFont scaled(qreal factor, bool bold = false)
{
    QFont font = QApplication::font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * factor);
    font.setBold(bold);
    return font;
}
} // namespace

QFont text_styles::headline()
{
    return scaled(1.0, true);
}

QFont text_styles::subheadline()
{
    return scaled(0.92);
}

QFont text_styles::callout()
{
    return scaled(0.95);
}

QFont text_styles::caption()
{
    return scaled(0.85);
}

QFont text_styles::small()
{
    return scaled(0.85);
}

QColor text_styles::secondaryColor(const QWidget* widget)
{
    const QPalette palette = widget ? widget->palette() : QApplication::palette();
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.55f);
    return color;
}
