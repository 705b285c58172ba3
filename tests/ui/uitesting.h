#pragma once

#include "state/launcherstate.h"
#include "support/testenvironment.h"
#include "ui/contentview.h"
#include "ui/mainwindow.h"
#include "ui/profiledelegate.h"
#include "ui/profilelistsection.h"
#include "ui/profilelistview.h"

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

// The launcher's window over a test environment with empty profiles.
struct TestWindow
{
    TestEnvironment env;
    LauncherState* state = nullptr;
    std::unique_ptr<MainWindow> window;
    ContentView* view = nullptr;
    bool exposed = false;

    explicit TestWindow(const QStringList& profiles = {})
    {
        QDir().mkpath(env.defaultFolder());
        for (const QString& name : profiles) {
            if (!test_files::writeBinaryPlist(env.defaultFolder() + u'/' + name,
                                              PlistValue(PlistDictionary())))
                qFatal("cannot write the window's profiles");
        }
        state = &env.makeState();
        window = std::make_unique<MainWindow>(*state);
        view = window->contentView();
        window->resize(820, 600);
        window->show();
        exposed = QTest::qWaitForWindowExposed(window.get());
    }

    ProfileListView* list() const { return view->profileListSection()->listView(); }
    ProfileDelegate* delegate() const { return view->profileListSection()->delegate(); }
};

} // namespace ui_testing
