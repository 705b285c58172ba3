#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <QTextLayout>

#include <memory>

class QPainter;
class QPaintDevice;

// A row's date as one laid-out line of text. In a left-to-right text whose
// digits differ in width, each digit is given the width of the widest, so
// that the dates of consecutive rows line up.
class DateText
{
public:
    static std::unique_ptr<QTextLayout> lay(const QString& text, const QFont& font,
                                            QPaintDevice* device, int width,
                                            Qt::LayoutDirection direction);
    // Draws a laid-out date centred in `rect`'s height, clipped to it.
    static void draw(QPainter* painter, const QRect& rect, const QTextLayout& layout);
    static void draw(QPainter* painter, const QRect& rect, const QString& text, const QFont& font,
                     Qt::LayoutDirection direction);
};
