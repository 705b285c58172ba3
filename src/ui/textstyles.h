#pragma once

#include <QColor>
#include <QFont>

class QWidget;

// The desktop's text styles, scaled from the application font, and the
// secondary (dimmed) text colour.
namespace text_styles {
QFont headline();
QFont subheadline();
QFont callout();
QFont caption();
QFont small();
QColor secondaryColor(const QWidget* widget);
// The WCAG contrast ratio of two colours, from 1 to 21.
double contrastRatio(const QColor& a, const QColor& b);
// `hue` made darker or lighter, as `background` needs, until text in it
// reads at `minimumRatio` against `background`; still the same hue.
QColor readableOn(const QColor& hue, const QColor& background, double minimumRatio = 4.5);
} // namespace text_styles
