#pragma once

#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyleOptionViewItem>

#include <functional>
#include <optional>

class QAbstractItemView;
class QEvent;

// The mouse on buttons that a delegate paints into a view's rows, handled
// as push buttons are: only a left press and a left release on the same
// button trigger it; leaving the row, releasing anywhere else or the view
// turning disabled lets go; the button under the mouse is hovered. Buttons
// are numbered by the delegate, which says where they sit.
class RowButtonPointer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RowButtonPointer)

public:
    // The button at a point of a row laid out as `option` says, if any.
    using HitTest = std::function<std::optional<int>(const QStyleOptionViewItem& option,
                                                     const QPoint& position)>;

    explicit RowButtonPointer(HitTest hitTest, QObject* parent = nullptr);

    // Follows the view's mouse beyond the rows: releases and leaving.
    void attach(QAbstractItemView* view);
    // A mouse event the view hands to a row; whether it was taken.
    bool rowEvent(QEvent* event, const QStyleOptionViewItem& option, const QModelIndex& index);

    bool isPressed(const QModelIndex& index, int button) const;
    bool isHovered(const QModelIndex& index, int button) const;

signals:
    void buttonTriggered(int button, const QModelIndex& index);
    // A double click on a row outside its buttons.
    void rowDoubleClicked(const QModelIndex& index);

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void letGo();
    void forgetMouse();
    void setHover(const QPersistentModelIndex& index, std::optional<int> button);
    void updateRow(const QPersistentModelIndex& index) const;

    HitTest m_hitTest;
    QPersistentModelIndex m_pressedIndex;
    std::optional<int> m_pressedButton;
    QPersistentModelIndex m_hoverIndex;
    std::optional<int> m_hoverButton;
    QPointer<QAbstractItemView> m_view;
};
