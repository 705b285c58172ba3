#include "ui/profilelistview.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

ProfileListView::ProfileListView(QWidget* parent) : QListView(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

QKeySequence ProfileListView::shortcut(ProfileDelegate::Action action)
{
    switch (action) {
    case ProfileDelegate::Action::start:
        return QKeySequence(Qt::Key_Return);
    case ProfileDelegate::Action::duplicate:
        return QKeySequence(Qt::CTRL | Qt::Key_D);
    case ProfileDelegate::Action::rename:
        return QKeySequence(Qt::Key_F2);
    case ProfileDelegate::Action::remove:
        return QKeySequence(Qt::Key_Delete);
    case ProfileDelegate::Action::history:
        return QKeySequence(Qt::CTRL | Qt::Key_H);
    case ProfileDelegate::Action::compare:
        return QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D);
    case ProfileDelegate::Action::createShortcut:
    case ProfileDelegate::Action::mergeInto:
        return {};
    }
    return {};
}

void ProfileListView::trigger(ProfileDelegate::Action action, const QModelIndex& index)
{
    if (isEnabled() && index.isValid())
        emit actionRequested(action, index);
}

void ProfileListView::keyPressEvent(QKeyEvent* event)
{
    const QModelIndex current = currentIndex();
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (current.isValid()) {
        // Enter on the keypad is Return's twin.
        const QKeySequence pressed(
            QKeyCombination(modifiers, key == Qt::Key_Enter ? Qt::Key_Return : Qt::Key(key)));
        for (const ProfileDelegate::Action action : ProfileDelegate::menuActions(current)) {
            if (pressed == shortcut(action)) {
                trigger(action, current);
                event->accept();
                return;
            }
        }
    }
    if (key == Qt::Key_Menu || (key == Qt::Key_F10 && modifiers == Qt::ShiftModifier)) {
        QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, visualRect(current).center(),
                                    viewport()->mapToGlobal(visualRect(current).center()));
        contextMenuEvent(&menuEvent);
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

QMenu* ProfileListView::contextMenuFor(const QModelIndex& index)
{
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QPersistentModelIndex row(index);
    for (const ProfileDelegate::Action action : ProfileDelegate::menuActions(index)) {
        if (action == ProfileDelegate::Action::history ||
            action == ProfileDelegate::Action::mergeInto)
            menu->addSeparator()->setEnabled(isEnabled());
        QAction* item = menu->addAction(ProfileDelegate::title(action, index));
        item->setShortcut(shortcut(action));
        item->setEnabled(isEnabled());
        connect(item, &QAction::triggered, this, [this, action, row] { trigger(action, row); });
    }
    return menu;
}

void ProfileListView::contextMenuEvent(QContextMenuEvent* event)
{
    QModelIndex index = currentIndex();
    QPoint at = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        index = indexAt(event->pos());
        if (index.isValid())
            setCurrentIndex(index);
    } else if (index.isValid()) {
        const QRect row = visualRect(index);
        at = viewport()->mapToGlobal(QPoint(row.left() + row.height(), row.bottom()));
    }
    if (!index.isValid() || !isEnabled())
        return;
    contextMenuFor(index)->popup(at);
    event->accept();
}

void ProfileListView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    // Qt's view tells screen readers of the new current row itself.
    QListView::currentChanged(current, previous);
    if (!QAccessible::isActive())
        return;
    // The current row is the selected one, for screen readers.
    for (const QModelIndex& row : {previous, current}) {
        if (!row.isValid())
            continue;
        QAccessible::State selected;
        selected.selected = true;
        QAccessibleStateChangeEvent event(this, selected);
        event.setChild(row.row());
        QAccessible::updateAccessibility(&event);
    }
}

void ProfileListView::focusInEvent(QFocusEvent* event)
{
    // The keys act on the current row: there always is one to see.
    if (!currentIndex().isValid() && model() && model()->rowCount() > 0)
        setCurrentIndex(model()->index(0, 0));
    QListView::focusInEvent(event);
    // The list took the focus: a screen reader hears of the row it is on,
    // not only of the list. The application tells of the list itself after
    // this handler, so the row's news follows from the event loop.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (hasFocus() && currentIndex().isValid() && QAccessible::isActive()) {
                QAccessibleEvent focus(this, QAccessible::Focus);
                focus.setChild(currentIndex().row());
                QAccessible::updateAccessibility(&focus);
            }
        },
        Qt::QueuedConnection);
}
