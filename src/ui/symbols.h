#pragma once

#include <QColor>
#include <QIcon>

// The few system symbols the window uses, drawn here so that they show
// without an icon theme.
namespace symbols {
QIcon squareAndArrowDown(const QColor& color);
QIcon checkmarkCircleFill(const QColor& color);
QIcon xmarkCircleFill(const QColor& color);
// Two chevrons pointing the way more items lie: right, or left in a
// right-to-left layout.
QIcon chevronsForward(const QColor& color, Qt::LayoutDirection direction);
} // namespace symbols
