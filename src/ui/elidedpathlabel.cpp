#include "ui/elidedpathlabel.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

ElidedPathLabel::ElidedPathLabel(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setCursor(Qt::IBeamCursor);
    setAccessibleName(tr("Profile folder path"));
}

void ElidedPathLabel::setText(const QString& text)
{
    if (m_text == text)
        return;
    m_text = text;
    setToolTip(text);
    setAccessibleDescription(text);
    updateGeometry();
    update();
}

void ElidedPathLabel::copy() const
{
    QApplication::clipboard()->setText(m_text);
}

QSize ElidedPathLabel::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(m_text) + 4, fontMetrics().height() + 2};
}

QSize ElidedPathLabel::minimumSizeHint() const
{
    return {fontMetrics().horizontalAdvance(QStringLiteral("\u2026")) * 4,
            fontMetrics().height() + 2};
}

void ElidedPathLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QString shown = fontMetrics().elidedText(m_text, Qt::ElideMiddle, width() - 2);
    const QRect textRect = rect().adjusted(1, 0, -1, 0);
    if (m_selected) {
        const QRect selection = fontMetrics().boundingRect(
            textRect, Qt::AlignLeading | Qt::AlignVCenter | Qt::TextForceLeftToRight, shown);
        painter.fillRect(selection, palette().color(QPalette::Highlight));
        painter.setPen(palette().color(QPalette::HighlightedText));
    } else {
        QColor secondary = palette().color(QPalette::WindowText);
        secondary.setAlphaF(0.55f);
        painter.setPen(secondary);
    }
    // A path reads left to right in every script.
    painter.drawText(textRect, Qt::AlignLeading | Qt::AlignVCenter | Qt::TextForceLeftToRight,
                     shown);
    // It takes the focus to be copied from: it shows it has it.
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.backgroundColor = palette().color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void ElidedPathLabel::focusInEvent(QFocusEvent* event)
{
    // Reached by the keyboard, the whole path is selected, ready to copy.
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        m_selected = !m_text.isEmpty();
    update();
    QWidget::focusInEvent(event);
}

void ElidedPathLabel::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    m_selected = !m_text.isEmpty();
    update();
    QWidget::mousePressEvent(event);
}

void ElidedPathLabel::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        m_selected = !m_text.isEmpty();
        update();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ElidedPathLabel::focusOutEvent(QFocusEvent* event)
{
    if (event->reason() != Qt::PopupFocusReason) {
        m_selected = false;
        update();
    }
    QWidget::focusOutEvent(event);
}

void ElidedPathLabel::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addAction(tr("Copy"), this, &ElidedPathLabel::copy);
    menu.exec(event->globalPos());
}
