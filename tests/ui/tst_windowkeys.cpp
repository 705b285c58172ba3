// Focus and shortcuts need a real window system: these run under Xvfb with
// the xcb platform, where the key bindings of the desktop (Ctrl+Q to quit)
// exist and the active window has the keyboard.

#include "ui/alertdialog.h"
#include "ui/appdelegate.h"
#include "ui/elidedpathlabel.h"
#include "ui/foldersection.h"
#include "ui/segmentedcontrol.h"
#include "ui/startupfeedback.h"
#include "uitesting.h"

#include <QAccessible>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <xcb/xcb.h>

using ui_testing::TestWindow;

namespace {

// The window, active and with its menus, as a user meets it.
struct ActiveWindow : TestWindow
{
    std::unique_ptr<AppDelegate> delegate;
    bool active = false;

    explicit ActiveWindow(const QStringList& profiles) : TestWindow(profiles)
    {
        delegate = std::make_unique<AppDelegate>(*state, *window);
        delegate->applicationDidFinishLaunching();
        window->activateWindow();
        active = QTest::qWaitForWindowActive(window.get());
    }
};

// Presses Tab until `target` has the focus; false if it never gets it.
bool tabTo(QWidget* target)
{
    for (int i = 0; i < 20; ++i) {
        if (target->hasFocus())
            return true;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    return target->hasFocus();
}

} // namespace

class WindowKeysTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void tabReachesTheRowsAndReturnStarts();
    void pathLabelShowsItsFocus();
    void deleteConfirmationDefaultsToCancel();
    void returnClosesTheErrorAlert();
    void startHandedOverEndsItsStartupFeedback();
    void screenReadersFollowTheCurrentRow();
    void sessionNewsIsAnnounced();
    void controlQAsksBeforeQuittingARunningProfile();
};

void WindowKeysTest::initTestCase()
{
    if (QGuiApplication::platformName() != u"xcb")
        QSKIP("These need the xcb platform (run under Xvfb).");
}

void WindowKeysTest::tabReachesTheRowsAndReturnStarts()
{
    ActiveWindow window({QStringLiteral("Alpha.plist"), QStringLiteral("Beta.plist")});
    QVERIFY(window.active);
    QVERIFY(tabTo(window.list()));
    // The current row is the first, and the keys act on it.
    QCOMPARE(window.list()->currentIndex().row(), 0);
    QTest::keyClick(window.list(), Qt::Key_Down);
    QTest::keyClick(window.list(), Qt::Key_Return);
    QCOMPARE(window.state->activeProfileName(),
             std::optional<QString>(QStringLiteral("Beta.plist")));
    QTest::keyClick(window.list(), Qt::Key_F2);
    AlertDialog* rename = nullptr;
    QVERIFY(QTest::qWaitFor([&] { return (rename = window.view->visibleDialog()) != nullptr; }));
    QCOMPARE(rename->title(), QStringLiteral("Rename Profile"));
    QVERIFY(QTest::qWaitFor([&] { return rename->textField()->hasFocus(); }));
    QTest::keyClick(rename->textField(), Qt::Key_Escape);
    QTRY_VERIFY(!window.view->visibleDialog());
}

void WindowKeysTest::pathLabelShowsItsFocus()
{
    ActiveWindow window({});
    QVERIFY(window.active);
    ElidedPathLabel* path = window.view->folderSection()->defaultPath();
    QVERIFY(tabTo(path));
    // Selected, ready to copy, and drawn with a focus frame: the picture
    // differs from the one without focus.
    QImage focused(path->size(), QImage::Format_RGB32);
    path->render(&focused);
    window.view->folderSection()->picker()->segment(0)->setFocus();
    QTRY_VERIFY(!path->hasFocus());
    QImage unfocused(path->size(), QImage::Format_RGB32);
    path->render(&unfocused);
    QVERIFY(focused != unfocused);
}

void WindowKeysTest::deleteConfirmationDefaultsToCancel()
{
    ActiveWindow window({QStringLiteral("Alpha.plist")});
    QVERIFY(window.active);
    QVERIFY(tabTo(window.list()));
    QTest::keyClick(window.list(), Qt::Key_Delete);
    AlertDialog* confirmation = nullptr;
    QVERIFY(
        QTest::qWaitFor([&] { return (confirmation = window.view->visibleDialog()) != nullptr; }));
    QCOMPARE(confirmation->title(), QStringLiteral("Delete Profile"));
    QPushButton* cancel = confirmation->button(QStringLiteral("Cancel"));
    QVERIFY(QTest::qWaitFor([&] { return cancel->hasFocus(); }));
    QVERIFY(cancel->isDefault());
    QVERIFY(!confirmation->button(QStringLiteral("Delete"))->isDefault());
    // Neither Space nor Return deletes.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTRY_VERIFY(!window.view->visibleDialog());
    QCOMPARE(window.state->profiles().size(), 1);
    QTest::keyClick(window.list(), Qt::Key_Delete);
    QVERIFY(
        QTest::qWaitFor([&] { return (confirmation = window.view->visibleDialog()) != nullptr; }));
    QVERIFY(QTest::qWaitFor([&] { return confirmation->isActiveWindow(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_VERIFY(!window.view->visibleDialog());
    QCOMPARE(window.state->profiles().size(), 1);
    // The alerts cannot be resized.
    QCOMPARE(confirmation->minimumSize(), confirmation->maximumSize());
}

void WindowKeysTest::returnClosesTheErrorAlert()
{
    ActiveWindow window({});
    QVERIFY(window.active);
    window.state->setErrorMessage(QStringLiteral("First"));
    AlertDialog* alert = nullptr;
    QVERIFY(QTest::qWaitFor([&] { return (alert = window.view->visibleDialog()) != nullptr; }));
    // A second error while the first is shown comes after it.
    window.state->setErrorMessage(QStringLiteral("Second"));
    QVERIFY(QTest::qWaitFor([&] { return alert->isActiveWindow(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(QTest::qWaitFor(
        [&] { return window.view->visibleDialog() && window.view->visibleDialog() != alert; }));
    alert = window.view->visibleDialog();
    QCOMPARE(alert->message(), QStringLiteral("Second"));
    QVERIFY(QTest::qWaitFor([&] { return alert->isActiveWindow(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_VERIFY(!window.view->visibleDialog());
    QCOMPARE(window.state->errorMessage(), std::nullopt);
}

// The desktop's Ctrl+Q reaches the quit confirmation, and the real alert
// says what is at stake and offers to quit by default.
void WindowKeysTest::controlQAsksBeforeQuittingARunningProfile()
{
    ActiveWindow window({QStringLiteral("Alpha.plist")});
    QVERIFY(window.active);
    window.state->startProfile(window.state->profiles().first());
    window.env.workspace.launch(QStringLiteral("Pelvaro"));
    QVERIFY(window.state->isPelvaroRunning());
    QString title;
    QString informative;
    QString defaultButton;
    int width = 0;
    bool asked = false;
    QTimer::singleShot(300, this, [&] {
        auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!alert)
            return;
        asked = true;
        title = alert->text();
        informative = alert->informativeText();
        defaultButton = alert->defaultButton() ? alert->defaultButton()->text() : QString();
        width = alert->width();
        for (QAbstractButton* button : alert->buttons()) {
            if (button->text() == u"Don't quit")
                button->click();
        }
    });
    QTest::keyClick(window.window.get(), Qt::Key_Q, Qt::ControlModifier);
    QTRY_VERIFY(asked);
    QCOMPARE(title, QStringLiteral("Pelvaro is still running."));
    QVERIFY(informative.startsWith(u"If you quit Pelvaro Launcher now"));
    QCOMPARE(defaultButton, QStringLiteral("Quit"));
    QVERIFY2(width >= window.window->fontMetrics().averageCharWidth() * 55,
             qPrintable(QString::number(width)));
    QVERIFY(window.window->isVisible());
}

// What a desktop's startup-notification listener receives once the
// window comes forward for a start handed over to it.
void WindowKeysTest::startHandedOverEndsItsStartupFeedback()
{
    xcb_connection_t* listener = xcb_connect(nullptr, nullptr);
    QVERIFY(listener && !xcb_connection_has_error(listener));
    const auto disconnect = qScopeGuard([listener] { xcb_disconnect(listener); });
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(listener)).data;
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(listener, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(listener);
    // Round trip, so that the mask holds before anything is sent.
    free(xcb_get_input_focus_reply(listener, xcb_get_input_focus(listener), nullptr));

    QWidget window;
    window.show();
    startup_feedback::complete(QStringLiteral("pelvaro-test_TIME42 \"quoted\""), {});

    QByteArray message;
    QElapsedTimer timer;
    timer.start();
    while (!message.endsWith('\0') && timer.elapsed() < 5000) {
        xcb_generic_event_t* event = xcb_poll_for_event(listener);
        if (!event) {
            QTest::qWait(10);
            continue;
        }
        if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
            const auto* client = reinterpret_cast<xcb_client_message_event_t*>(event);
            const QByteArray piece(reinterpret_cast<const char*>(client->data.data8), 20);
            message += piece.left(piece.indexOf('\0') + 1 > 0 ? piece.indexOf('\0') + 1 : 20);
        }
        free(event);
    }
    QCOMPARE(message, QByteArray("remove: ID=\"pelvaro-test_TIME42 \\\"quoted\\\"\"") + '\0');
}

namespace {

// What the window tells screen readers, as Qt's bridge receives it.
struct HeardEvent
{
    QAccessible::Event type;
    int child;
    bool selectedChanged;
};
QList<HeardEvent>* heard = nullptr;

void recordEvent(QAccessibleEvent* event)
{
    if (!heard || !qobject_cast<ProfileListView*>(event->object()))
        return;
    const bool selected =
        event->type() == QAccessible::StateChanged &&
        static_cast<QAccessibleStateChangeEvent*>(event)->changedStates().selected;
    heard->append({event->type(), event->child(), selected});
}

} // namespace

// Tabbing into the list speaks its current row, an arrow key speaks the
// next row once, the current row is the selected one, and the row Pelvaro
// runs with says so.
void WindowKeysTest::screenReadersFollowTheCurrentRow()
{
    ActiveWindow window({QStringLiteral("Alpha.plist"), QStringLiteral("Beta.plist")});
    QVERIFY(window.active);
    QList<HeardEvent> events;
    heard = &events;
    QAccessible::installUpdateHandler(recordEvent);
    const auto stop = qScopeGuard([] {
        QAccessible::installUpdateHandler(nullptr);
        heard = nullptr;
    });
    // Qt sends events only while its bridge to screen readers is on: the
    // test runs on a session bus that has it on.
    QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000);
    const auto focusOn = [&](int row) {
        return std::count_if(events.cbegin(), events.cend(), [row](const HeardEvent& event) {
            return event.type == QAccessible::Focus && event.child == row;
        });
    };
    ProfileListView* list = window.list();
    QVERIFY(tabTo(list));
    const auto lastFocus = [&] {
        for (auto it = events.crbegin(); it != events.crend(); ++it) {
            if (it->type == QAccessible::Focus)
                return it->child;
        }
        return -2;
    };
    // The row is the last news, after the list's own.
    QTRY_COMPARE(lastFocus(), 0);
    events.clear();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(focusOn(1), 1);
    QVERIFY(std::any_of(events.cbegin(), events.cend(),
                        [](const HeardEvent& e) { return e.selectedChanged && e.child == 1; }));
    QAccessibleInterface* rows = QAccessible::queryAccessibleInterface(list);
    QVERIFY(rows->child(1)->state().selected);
    QVERIFY(!rows->child(0)->state().selected);
    const QString plain = rows->child(0)->text(QAccessible::Description);
    window.state->startProfile(window.state->profiles().first());
    QCOMPARE(rows->child(0)->text(QAccessible::Description), plain + u", in use by Pelvaro");
    // After the session, the focus is back on the row, not on the folder
    // choice that took it while the list was disabled.
    QTest::keyClick(list, Qt::Key_Up);
    window.env.workspace.launch(QStringLiteral("Pelvaro"));
    QVERIFY(!list->isEnabled());
    window.env.workspace.quit(window.env.workspace.runningApplications().first());
    QTRY_VERIFY(list->isEnabled());
    QTRY_VERIFY(list->hasFocus());
}

// Pelvaro's start and quit and the save-back's outcome appear as
// notifications, which screen readers speak; a label's new text is not.
void WindowKeysTest::sessionNewsIsAnnounced()
{
    ActiveWindow window({QStringLiteral("Work.plist")});
    QVERIFY(window.active);
    QTRY_VERIFY_WITH_TIMEOUT(QAccessible::isActive(), 10000);
    static QStringList* announced = nullptr;
    QStringList news;
    announced = &news;
    QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
        QAccessibleInterface* source = event->accessibleInterface();
        if (announced && event->type() == QAccessible::ObjectShow && source &&
            source->role() == QAccessible::Notification)
            announced->append(source->text(QAccessible::Name));
    });
    const auto stop = qScopeGuard([] {
        QAccessible::installUpdateHandler(nullptr);
        announced = nullptr;
    });
    window.state->startProfile(window.state->profiles().first());
    window.env.workspace.launch(QStringLiteral("Pelvaro"));
    QTRY_COMPARE(news, QStringList{QStringLiteral("Pelvaro is running")});
    window.env.workspace.quit(window.env.workspace.runningApplications().first());
    QTRY_COMPARE(news.size(), 3);
    QCOMPARE(news.at(1), QStringLiteral("Pelvaro is not running"));
    QVERIFY2(news.at(2).startsWith(u"Saved "), qPrintable(news.at(2)));
}

QTEST_MAIN(WindowKeysTest)
#include "tst_windowkeys.moc"
