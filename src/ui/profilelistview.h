#pragma once

#include "ui/profiledelegate.h"

#include <QListView>

// The list of profile rows. Besides the painted buttons, every row action is
// reachable by keyboard on the current row (Return or Enter starts, Ctrl+D
// duplicates, F2 renames, Delete asks to delete, Ctrl+H shows the history,
// Ctrl+Shift+D compares), in a context menu (right
// click, the Menu key, Shift+F10), and by screen readers as the row's
// actions. While the list is disabled none of them is.
class ProfileListView final : public QListView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProfileListView)

public:
    explicit ProfileListView(QWidget* parent = nullptr);

    // The keys of an action, as the context menu shows them.
    static QKeySequence shortcut(ProfileDelegate::Action action);
    // Carries out `action` on the row at `index`, as its button would.
    void trigger(ProfileDelegate::Action action, const QModelIndex& index);
    // The menu of the row at `index`, built for tests and for the menu key.
    QMenu* contextMenuFor(const QModelIndex& index);

signals:
    void actionRequested(ProfileDelegate::Action action, const QModelIndex& index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void focusInEvent(QFocusEvent* event) override;
};
