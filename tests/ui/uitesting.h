#pragma once

#include "ui/profiledelegate.h"

#include <QListView>
#include <QStyleOptionViewItem>
#include <QtTest>

namespace ui_testing {

inline QStyleOptionViewItem rowOption(QListView* view, int row)
{
    QStyleOptionViewItem option;
    option.rect = view->visualRect(view->model()->index(row, 0));
    option.fontMetrics = view->fontMetrics();
    option.font = view->font();
    option.widget = view;
    option.state = QStyle::State_Enabled;
    return option;
}

inline void clickRowButton(QListView* view, int row, ProfileDelegate::Action action)
{
    auto* delegate = static_cast<ProfileDelegate*>(view->itemDelegate());
    const QRect rect = delegate->buttonRect(rowOption(view, row), action);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
}

inline void doubleClickRowText(QListView* view, int row)
{
    const QRect rect = view->visualRect(view->model()->index(row, 0));
    const QPoint point(rect.left() + 20, rect.center().y());
    // As the window system delivers it: a click, then the double-click.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, point);
}

} // namespace ui_testing
