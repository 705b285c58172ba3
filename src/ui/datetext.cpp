#include "ui/datetext.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <array>

namespace {

// The advance of each ASCII digit and of the widest, for one font on one
// device; asked for by every row's date, measured once.
struct DigitWidths
{
    std::array<qreal, 10> advances{};
    qreal widest = 0;
};

const DigitWidths& digitWidths(const QFont& font, QPaintDevice* device)
{
    thread_local QString measuredKey;
    thread_local int measuredDpi = -1;
    thread_local DigitWidths measured;
    const int dpi = device ? device->logicalDpiY() : 0;
    if (font.key() != measuredKey || dpi != measuredDpi) {
        const QFontMetricsF metrics(font, device);
        measured = {};
        for (int digit = 0; digit < 10; ++digit) {
            measured.advances[size_t(digit)] = metrics.horizontalAdvance(QChar(u'0' + digit));
            measured.widest = std::max(measured.widest, measured.advances[size_t(digit)]);
        }
        measuredKey = font.key();
        measuredDpi = dpi;
    }
    return measured;
}

} // namespace

std::unique_ptr<QTextLayout> DateText::lay(const QString& text, const QFont& font,
                                           QPaintDevice* device, int width,
                                           Qt::LayoutDirection direction)
{
    // One layout for the whole text keeps the order of mixed scripts and
    // the shaping of joined ones. Only where every character runs left to
    // right do digits get one width, so that the dates of consecutive rows
    // line up whatever the font does with its digits.
    auto layout = std::make_unique<QTextLayout>(text, font, device);
    QTextOption textOption(Qt::AlignLeading);
    textOption.setTextDirection(direction);
    textOption.setWrapMode(QTextOption::NoWrap);
    layout->setTextOption(textOption);
    const bool leftToRightOnly =
        direction == Qt::LeftToRight && std::all_of(text.cbegin(), text.cend(), [](QChar c) {
            const QChar::Direction d = c.direction();
            return d != QChar::DirR && d != QChar::DirAL && d != QChar::DirRLE &&
                   d != QChar::DirRLO && d != QChar::DirRLI && d != QChar::DirAN;
        });
    if (leftToRightOnly) {
        const DigitWidths& digits = digitWidths(font, device);
        const qreal widest = digits.widest;
        QList<QTextLayout::FormatRange> ranges;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (!c.isDigit())
                continue;
            const qreal advance = c >= u'0' && c <= u'9'
                                      ? digits.advances[size_t(c.unicode() - u'0')]
                                      : QFontMetricsF(font, device).horizontalAdvance(c);
            if (advance >= widest)
                continue;
            QTextLayout::FormatRange range;
            range.start = int(i);
            range.length = 1;
            QFont spaced = font;
            spaced.setLetterSpacing(QFont::AbsoluteSpacing, widest - advance);
            range.format.setFont(spaced);
            ranges.append(range);
        }
        layout->setFormats(ranges);
    }
    layout->beginLayout();
    QTextLine line = layout->createLine();
    if (line.isValid())
        line.setLineWidth(width);
    layout->endLayout();
    return layout;
}

void DateText::draw(QPainter* painter, const QRect& rect, const QTextLayout& layout)
{
    if (layout.lineCount() == 0)
        return;
    const QTextLine line = layout.lineAt(0);
    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);
    layout.draw(painter, QPointF(rect.left(), rect.top() + (rect.height() - line.height()) / 2));
    painter->restore();
}

void DateText::draw(QPainter* painter, const QRect& rect, const QString& text, const QFont& font,
                    Qt::LayoutDirection direction)
{
    draw(painter, rect, *lay(text, font, painter->device(), rect.width(), direction));
}
