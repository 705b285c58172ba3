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
} // namespace text_styles
