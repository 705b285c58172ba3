#include "ui/rowbuttonpointer.h"

#include <QAbstractItemView>
#include <QMouseEvent>

RowButtonPointer::RowButtonPointer(HitTest hitTest, QObject* parent)
    : QObject(parent), m_hitTest(std::move(hitTest))
{
}

bool RowButtonPointer::isPressed(const QModelIndex& index, int button) const
{
    return m_pressedButton == button && m_pressedIndex.isValid() && m_pressedIndex == index;
}

bool RowButtonPointer::isHovered(const QModelIndex& index, int button) const
{
    return m_hoverButton == button && m_hoverIndex.isValid() && m_hoverIndex == index;
}

void RowButtonPointer::updateRow(const QPersistentModelIndex& index) const
{
    if (m_view && index.isValid())
        m_view->viewport()->update(m_view->visualRect(index));
}

void RowButtonPointer::letGo()
{
    const QPersistentModelIndex pressed = m_pressedIndex;
    m_pressedButton.reset();
    m_pressedIndex = QPersistentModelIndex();
    updateRow(pressed);
}

void RowButtonPointer::forgetMouse()
{
    letGo();
    setHover({}, std::nullopt);
}

void RowButtonPointer::setHover(const QPersistentModelIndex& index, std::optional<int> button)
{
    if (m_hoverIndex == index && m_hoverButton == button)
        return;
    const QPersistentModelIndex previous = m_hoverIndex;
    m_hoverIndex = button ? index : QPersistentModelIndex();
    m_hoverButton = button;
    updateRow(previous);
    updateRow(m_hoverIndex);
}

void RowButtonPointer::attach(QAbstractItemView* view)
{
    m_view = view;
    view->viewport()->installEventFilter(this);
    view->installEventFilter(this);
}

bool RowButtonPointer::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_view)
        return false;
    if (watched == m_view) {
        if (event->type() == QEvent::EnabledChange)
            forgetMouse();
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
        // The view only hands a release over a row to the row; one anywhere
        // else must let go of the press too.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
            !m_view->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).isValid())
            letGo();
        break;
    case QEvent::MouseMove: {
        const QPoint position = static_cast<QMouseEvent*>(event)->position().toPoint();
        const QModelIndex index = m_view->indexAt(position);
        if (m_pressedIndex.isValid() && index != m_pressedIndex)
            letGo(); // left the row
        std::optional<int> hovered;
        if (index.isValid() && m_view->isEnabled()) {
            QStyleOptionViewItem option;
            option.initFrom(m_view->viewport());
            option.rect = m_view->visualRect(index);
            option.direction = m_view->layoutDirection();
            option.fontMetrics = m_view->fontMetrics();
            option.widget = m_view;
            hovered = m_hitTest(option, position);
        }
        setHover(index, hovered);
        break;
    }
    case QEvent::Leave:
        forgetMouse();
        break;
    default:
        break;
    }
    return false;
}

bool RowButtonPointer::rowEvent(QEvent* event, const QStyleOptionViewItem& option,
                                const QModelIndex& index)
{
    if (!(option.state & QStyle::State_Enabled))
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        letGo();
        m_pressedButton = m_hitTest(option, mouse->position().toPoint());
        m_pressedIndex = m_pressedButton ? QPersistentModelIndex(index) : QPersistentModelIndex();
        updateRow(m_pressedIndex);
        return m_pressedButton.has_value();
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        // Another button's release neither triggers nor lets go.
        if (mouse->button() != Qt::LeftButton)
            return false;
        const std::optional<int> pressed = m_pressedButton;
        const bool sameRow = m_pressedIndex.isValid() && m_pressedIndex == index;
        letGo();
        if (pressed && sameRow && m_hitTest(option, mouse->position().toPoint()) == pressed) {
            emit buttonTriggered(*pressed, index);
            return true;
        }
        return pressed.has_value();
    }
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        if (const std::optional<int> button = m_hitTest(option, mouse->position().toPoint())) {
            // A quick second click on a button is a second press of it.
            m_pressedButton = button;
            m_pressedIndex = index;
            updateRow(m_pressedIndex);
            return true;
        }
        emit rowDoubleClicked(index);
        return true;
    }
    default:
        return false;
    }
}
