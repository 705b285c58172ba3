#include "ui/textstyles.h"

#include <algorithm>
#include <cmath>

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

namespace {

double relativeLuminance(const QColor& color)
{
    const auto channel = [](double value) {
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

} // namespace

double text_styles::contrastRatio(const QColor& a, const QColor& b)
{
    const double first = relativeLuminance(a);
    const double second = relativeLuminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

QColor text_styles::readableOn(const QColor& hue, const QColor& background, double minimumRatio)
{
    const bool darkBackground = relativeLuminance(background) < 0.18;
    QColor color = hue.toHsl();
    for (int step = 0; step < 100 && contrastRatio(color, background) < minimumRatio; ++step) {
        const double lightness = color.lightnessF() + (darkBackground ? 0.01 : -0.01);
        color.setHslF(color.hslHueF(), color.hslSaturationF(), std::clamp(lightness, 0.0, 1.0));
    }
    return color.toRgb();
}
