#include "support/darkpalette.h"
#include "ui/datetext.h"
#include "ui/foldersection.h"
#include "ui/profilelistmodel.h"
#include "ui/segmentedcontrol.h"
#include "ui/statusrow.h"
#include "ui/textstyles.h"
#include "uitesting.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QScopeGuard>
#include <QStyleFactory>
#include <QTextLayout>

using ui_testing::rowOption;
using ui_testing::TestWindow;

namespace {

// The colour a pixel shows when `top` is painted at `opacity` over `bottom`.
QColor over(const QColor& top, const QColor& bottom, qreal opacity)
{
    return QColor::fromRgbF(float(top.redF() * opacity + bottom.redF() * (1 - opacity)),
                            float(top.greenF() * opacity + bottom.greenF() * (1 - opacity)),
                            float(top.blueF() * opacity + bottom.blueF() * (1 - opacity)));
}

QImage render(const std::function<void(QPainter&)>& draw)
{
    QImage image(320, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    draw(painter);
    return image;
}

QStringList strings(std::initializer_list<const char*> items)
{
    QStringList list;
    for (const char* item : items)
        list.append(QString::fromUtf8(item));
    return list;
}

} // namespace

class ProfileRowsTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void onlyALeftClickOnOneButtonTriggersIt_data();
    void onlyALeftClickOnOneButtonTriggersIt();
    void keysActOnTheCurrentRow_data();
    void keysActOnTheCurrentRow();
    void contextMenuOffersEveryAction();
    void nothingActsWhilePelvaroRuns();
    void screenReadersSeeEachRowsActions();
    void themeChangeKeepsTheListReadable();
    void rowButtonsLookAsTheStyleDrawsThem();
    void dimmedAndColouredTextsAreReadable_data();
    void dimmedAndColouredTextsAreReadable();
    void datesAreOneLaidOutText_data();
    void datesAreOneLaidOutText();
    void rowDatesFollowDirectionAndFont();
    void folderPickerIsAGroupOfChoices();
    void datesFollowALocaleChange();
};

void ProfileRowsTest::cleanup()
{
    QApplication::setPalette(QApplication::style()->standardPalette());
    QApplication::setLayoutDirection(Qt::LeftToRight);
}

void ProfileRowsTest::onlyALeftClickOnOneButtonTriggersIt_data()
{
    // Steps: "press B X", "release B X", "move X", "leave", where B is a
    // mouse button (L, R, M) and X a place: a button of row 0 (start,
    // duplicate, rename, delete), row 1's start button (other), or the
    // empty viewport below the rows (outside).
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("left click") << strings({"press L start", "release L start"})
                                << strings({"start"});
    QTest::newRow("released on another button")
        << strings({"press L start", "release L duplicate"}) << QStringList{};
    QTest::newRow("right click") << strings({"press R start", "release R start"}) << QStringList{};
    QTest::newRow("middle click on delete")
        << strings({"press M delete", "release M delete"}) << QStringList{};
    QTest::newRow("dragged off the row, right click later")
        << strings({"press L start", "move other", "release L other", "press R start",
                    "release R start"})
        << QStringList{};
    QTest::newRow("released outside the rows, middle click later")
        << strings({"press L delete", "move outside", "release L outside", "press M delete",
                    "release M delete"})
        << QStringList{};
    QTest::newRow("left the view, right release later")
        << strings({"press L rename", "leave", "release R rename"}) << QStringList{};
    QTest::newRow("right release while left is held")
        << strings({"press L rename", "release R rename", "release L rename"})
        << strings({"rename"});
    QTest::newRow("second click after an aborted one")
        << strings(
               {"press L start", "release L outside", "press L duplicate", "release L duplicate"})
        << strings({"duplicate"});
}

void ProfileRowsTest::onlyALeftClickOnOneButtonTriggersIt()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    TestWindow window({QStringLiteral("Alpha.plist"), QStringLiteral("Beta.plist")});
    QVERIFY(window.exposed);
    ProfileListView* list = window.list();
    ProfileDelegate* delegate = window.delegate();
    QStringList triggered;
    connect(delegate, &ProfileDelegate::actionTriggered, this,
            [&](ProfileDelegate::Action action, const QModelIndex&) {
                triggered.append(strings({"start", "duplicate", "rename", "delete"})[int(action)]);
            });
    const auto place = [&](const QString& name) {
        if (name == u"outside")
            return QPoint(10, list->viewport()->height() - 5);
        if (name == u"other")
            return delegate->buttonRect(rowOption(list, 1), ProfileDelegate::Action::start)
                .center();
        const int action = int(strings({"start", "duplicate", "rename", "delete"}).indexOf(name));
        return delegate->buttonRect(rowOption(list, 0), ProfileDelegate::Action(action)).center();
    };
    const auto button = [](const QString& letter) {
        return letter == u"L"   ? Qt::LeftButton
               : letter == u"R" ? Qt::RightButton
                                : Qt::MiddleButton;
    };
    QWidget* viewport = list->viewport();
    for (const QString& step : std::as_const(steps)) {
        const QStringList words = step.split(u' ');
        if (words.at(0) == u"press") {
            QTest::mousePress(viewport, button(words.at(1)), {}, place(words.at(2)));
        } else if (words.at(0) == u"release") {
            QTest::mouseRelease(viewport, button(words.at(1)), {}, place(words.at(2)));
        } else if (words.at(0) == u"move") {
            QMouseEvent move(QEvent::MouseMove, place(words.at(1)),
                             viewport->mapToGlobal(place(words.at(1))), Qt::NoButton,
                             Qt::LeftButton, {});
            QApplication::sendEvent(viewport, &move);
        } else if (words.at(0) == u"leave") {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(viewport, &leave);
        } else {
            QFAIL(qPrintable(u"unknown step " + step));
        }
    }
    QCOMPARE(triggered, expected);
    // No button is left drawn pressed.
    for (const ProfileDelegate::Action action : ProfileDelegate::actions())
        QVERIFY(!delegate->isPressed(list->model()->index(0, 0), action));
}

void ProfileRowsTest::keysActOnTheCurrentRow_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("action");
    QTest::newRow("Return starts")
        << int(Qt::Key_Return) << 0 << int(ProfileDelegate::Action::start);
    QTest::newRow("Enter starts") << int(Qt::Key_Enter) << int(Qt::KeypadModifier)
                                  << int(ProfileDelegate::Action::start);
    QTest::newRow("Ctrl+D duplicates")
        << int(Qt::Key_D) << int(Qt::ControlModifier) << int(ProfileDelegate::Action::duplicate);
    QTest::newRow("F2 renames") << int(Qt::Key_F2) << 0 << int(ProfileDelegate::Action::rename);
    QTest::newRow("Delete asks") << int(Qt::Key_Delete) << 0
                                 << int(ProfileDelegate::Action::remove);
}

void ProfileRowsTest::keysActOnTheCurrentRow()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, action);
    TestWindow window({QStringLiteral("Alpha.plist"), QStringLiteral("Beta.plist")});
    QVERIFY(window.exposed);
    ProfileListView* list = window.list();
    QSignalSpy requested(list, &ProfileListView::actionRequested);
    list->setCurrentIndex(list->model()->index(1, 0));
    QTest::keyClick(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(requested.count(), 1);
    QCOMPARE(requested.first().at(0).value<ProfileDelegate::Action>(),
             ProfileDelegate::Action(action));
    QCOMPARE(requested.first().at(1).toModelIndex().row(), 1);
    // The section carries them out as the buttons would.
    if (ProfileDelegate::Action(action) == ProfileDelegate::Action::rename)
        QCOMPARE(window.view->renameTarget()->fileName(), QStringLiteral("Beta.plist"));
    if (ProfileDelegate::Action(action) == ProfileDelegate::Action::remove)
        QCOMPARE(window.view->deleteTarget()->fileName(), QStringLiteral("Beta.plist"));
    if (ProfileDelegate::Action(action) == ProfileDelegate::Action::start)
        QCOMPARE(window.state->activeProfileName(),
                 std::optional<QString>(QStringLiteral("Beta.plist")));
}

void ProfileRowsTest::contextMenuOffersEveryAction()
{
    TestWindow window({QStringLiteral("Alpha.plist")});
    QVERIFY(window.exposed);
    ProfileListView* list = window.list();
    QMenu* menu = list->contextMenuFor(list->model()->index(0, 0));
    QStringList titles;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        titles.append(action->text());
        QVERIFY(action->isEnabled());
    }
    QCOMPARE(titles, (strings({"Start", "Duplicate", "Rename", "Delete", "History\u2026",
                               "Compare\u2026", "Create Shortcut\u2026"})));
    QSignalSpy requested(list, &ProfileListView::actionRequested);
    menu->actions().at(1)->trigger();
    QCOMPARE(requested.count(), 1);
    QCOMPARE(requested.first().at(0).value<ProfileDelegate::Action>(),
             ProfileDelegate::Action::duplicate);
    QTRY_COMPARE(window.state->profiles().size(), 2);
    delete menu;
}

void ProfileRowsTest::nothingActsWhilePelvaroRuns()
{
    TestWindow window({QStringLiteral("Alpha.plist")});
    QVERIFY(window.exposed);
    window.env.workspace.launch(QStringLiteral("Pelvaro"));
    ProfileListView* list = window.list();
    QVERIFY(!list->isEnabled());
    QSignalSpy requested(list, &ProfileListView::actionRequested);
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::keyClick(list, Qt::Key_Return);
    list->trigger(ProfileDelegate::Action::remove, list->model()->index(0, 0));
    QMenu* menu = list->contextMenuFor(list->model()->index(0, 0));
    for (QAction* action : menu->actions())
        QVERIFY(!action->isEnabled());
    delete menu;
    QAccessibleInterface* row = QAccessible::queryAccessibleInterface(list)->child(0);
    QVERIFY(row->actionInterface()->actionNames().isEmpty());
    QCOMPARE(requested.count(), 0);
}

void ProfileRowsTest::screenReadersSeeEachRowsActions()
{
    TestWindow window({QStringLiteral("Alpha.plist"), QStringLiteral("Beta.plist")});
    QVERIFY(window.exposed);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(window.list());
    QVERIFY(list);
    QCOMPARE(list->role(), QAccessible::List);
    QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Profiles"));
    QCOMPARE(list->childCount(), 2);
    QAccessibleInterface* beta = list->child(1);
    QVERIFY(beta);
    QCOMPARE(beta->role(), QAccessible::ListItem);
    QCOMPARE(beta->text(QAccessible::Name), QStringLiteral("Beta"));
    QVERIFY(!beta->text(QAccessible::Description).isEmpty());
    QCOMPARE(beta->parent(), list);
    QCOMPARE(list->indexOfChild(beta), 1);
    QAccessibleActionInterface* actions = beta->actionInterface();
    QVERIFY(actions);
    // Stable names for scripts, the menu's titles as the localized ones.
    QCOMPARE(actions->actionNames(), (strings({"start", "duplicate", "rename", "remove", "history",
                                               "compare", "createShortcut"})));
    QCOMPARE(actions->localizedActionName(QStringLiteral("history")),
             QStringLiteral("History\u2026"));
    QCOMPARE(actions->keyBindingsForAction(QStringLiteral("history")), strings({"Ctrl+H"}));
    QCOMPARE(actions->keyBindingsForAction(QStringLiteral("rename")), strings({"F2"}));
    actions->doAction(QStringLiteral("rename"));
    QCOMPARE(window.view->renameTarget()->fileName(), QStringLiteral("Beta.plist"));
    // Rows follow the list.
    QVERIFY(test_files::writeBinaryPlist(window.env.defaultFolder() + u"/Gamma.plist",
                                         PlistValue(PlistDictionary())));
    window.state->reloadProfiles();
    QCOMPARE(list->childCount(), 3);
    QCOMPARE(list->child(2)->text(QAccessible::Name), QStringLiteral("Gamma"));
}

// A dark theme chosen while the window is open: the rows take its colours,
// not white rows with light text.
void ProfileRowsTest::themeChangeKeepsTheListReadable()
{
    TestWindow window({QStringLiteral("Alpha.plist")});
    QVERIFY(window.exposed);
    const QPalette dark = test_palettes::dark();
    QApplication::setPalette(dark);
    QCoreApplication::processEvents();
    const QColor base = window.list()->palette().color(QPalette::Base);
    QCOMPARE(base, dark.color(QPalette::Base));
    QVERIFY(text_styles::contrastRatio(window.list()->palette().color(QPalette::Text), base) >=
            4.5);
    // The rows are drawn on that base, in the theme's text colour.
    QImage row(window.list()->viewport()->size(), QImage::Format_RGB32);
    window.list()->viewport()->render(&row);
    QCOMPARE(QColor(row.pixel(2, 2)), base);
}

void ProfileRowsTest::rowButtonsLookAsTheStyleDrawsThem()
{
    // The rows copy one drawing of each button; after a theme change and
    // while hovered they must still look as the style draws them now.
    TestWindow window({QStringLiteral("Alpha.plist")});
    QVERIFY(window.exposed);
    QListView* list = window.list();
    const auto expected = [&](ProfileDelegate::Action action, QStyle::State extra) {
        const QRect rect = window.delegate()->buttonRect(rowOption(list, 0), action);
        QImage image(rect.size(), QImage::Format_RGB32);
        image.fill(list->palette().color(QPalette::Active, QPalette::Base));
        QPainter painter(&image);
        painter.setFont(list->font());
        QStyleOptionButton button;
        button.initFrom(list);
        button.rect = QRect(QPoint(0, 0), rect.size());
        button.text = ProfileDelegate::title(action);
        button.state = QStyle::State_Enabled | QStyle::State_Raised | extra |
                       (button.state & QStyle::State_Active);
        list->style()->drawControl(QStyle::CE_PushButton, &button, &painter, list);
        return image;
    };
    const auto drawn = [&](ProfileDelegate::Action action) {
        const QRect rect = window.delegate()->buttonRect(rowOption(list, 0), action);
        QImage row(list->viewport()->size(), QImage::Format_RGB32);
        list->viewport()->render(&row);
        return row.copy(rect);
    };
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? test_palettes::dark()
                                      : QApplication::style()->standardPalette());
        QCoreApplication::processEvents();
        for (const ProfileDelegate::Action action : ProfileDelegate::actions())
            QCOMPARE(drawn(action), expected(action, {}));
    }
    const QRect start =
        window.delegate()->buttonRect(rowOption(list, 0), ProfileDelegate::Action::start);
    QTest::mouseMove(list->viewport(), start.center());
    QTRY_VERIFY(
        window.delegate()->isHovered(list->model()->index(0, 0), ProfileDelegate::Action::start));
    QCOMPARE(drawn(ProfileDelegate::Action::start),
             expected(ProfileDelegate::Action::start, QStyle::State_MouseOver));
}

void ProfileRowsTest::dimmedAndColouredTextsAreReadable_data()
{
    QTest::addColumn<bool>("dark");
    QTest::newRow("light theme") << false;
    QTest::newRow("dark theme") << true;
}

void ProfileRowsTest::dimmedAndColouredTextsAreReadable()
{
    QFETCH(bool, dark);
    if (dark)
        QApplication::setPalette(test_palettes::dark());
    TestWindow window({QStringLiteral("Alpha.plist")});
    QVERIFY(window.exposed);
    // Pelvaro runs, with an unknown profile: the list is dimmed and the
    // orange warning shows.
    window.env.workspace.launch(QStringLiteral("Pelvaro"));
    const qreal opacity = window.delegate()->opacity();
    QCOMPARE(opacity, ProfileListSection::dimmedOpacity);
    const QPalette list = window.list()->palette();
    const QColor base = list.color(QPalette::Base);
    const QColor name = over(list.color(QPalette::Active, QPalette::Text), base, opacity);
    QVERIFY2(text_styles::contrastRatio(name, base) >= 4.5,
             qPrintable(QString::number(text_styles::contrastRatio(name, base))));

    const QColor window_ = window.view->palette().color(QPalette::Window);
    QLabel* warning = window.view->statusRow()->warning();
    QVERIFY(warning->isVisible());
    const QColor orange = warning->palette().color(QPalette::WindowText);
    QVERIFY(text_styles::contrastRatio(orange, window_) >= 4.5);
    QVERIFY(orange.hslHue() >= 25 && orange.hslHue() <= 45); // still orange
    QLabel* access = window.view->folderSection()->accessText();
    const QColor green = access->palette().color(QPalette::WindowText);
    QVERIFY(text_styles::contrastRatio(green, window_) >= 4.5);
    QVERIFY(green.hslHue() >= 100 && green.hslHue() <= 160); // still green
}

void ProfileRowsTest::datesAreOneLaidOutText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("direction");
    QTest::newRow("Hebrew") << QStringLiteral("4 \u05D1\u05DE\u05E8\u05E5 2025, 9:41")
                            << int(Qt::RightToLeft);
    QTest::newRow("Arabic") << QStringLiteral(
                                   "\u0664 \u0645\u0627\u0631\u0633 \u0662\u0660\u0662\u0665 "
                                   "\u0669:\u0664\u0661 \u0635")
                            << int(Qt::RightToLeft);
    QTest::newRow("English in a right-to-left window")
        << QStringLiteral("Mar 4, 2025, 9:41 AM") << int(Qt::RightToLeft);
}

// Drawn a character at a time, mixed scripts lose their order and joined
// ones their shapes; the date must be exactly what one layout draws.
void ProfileRowsTest::datesAreOneLaidOutText()
{
    QFETCH(QString, text);
    QFETCH(int, direction);
    // Cantarell, GNOME's font, has digits of different widths.
    QFont font(QStringLiteral("Cantarell"), 12);
    const QRect rect(10, 5, 300, 30);
    const QImage drawn = render([&](QPainter& painter) {
        DateText::draw(&painter, rect, text, font, Qt::LayoutDirection(direction));
    });
    const QImage expected = render([&](QPainter& painter) {
        QTextLayout layout(text, font, painter.device());
        QTextOption option(Qt::AlignLeading);
        option.setTextDirection(Qt::LayoutDirection(direction));
        option.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(rect.width());
        layout.endLayout();
        layout.draw(&painter,
                    QPointF(rect.left(), rect.top() + (rect.height() - line.height()) / 2));
    });
    QCOMPARE(drawn, expected);
}

// Rows keep their dates laid out; a change of direction or font must lay
// them out again, exactly as a first drawing would.
void ProfileRowsTest::rowDatesFollowDirectionAndFont()
{
    TestWindow window({QStringLiteral("Alpha.plist")});
    QVERIFY(window.exposed);
    QListView* list = window.list();
    const QFont appFont = QApplication::font();
    const auto restore = qScopeGuard([&] {
        QApplication::setLayoutDirection(Qt::LeftToRight);
        QApplication::setFont(appFont);
    });
    const auto compareDate = [&] {
        QStyleOptionViewItem option = rowOption(list, 0);
        option.direction = list->layoutDirection();
        const QRect rect = window.delegate()->dateRect(option);
        QImage row(list->viewport()->size(), QImage::Format_RGB32);
        list->viewport()->render(&row);
        QImage expected(rect.size(), QImage::Format_RGB32);
        expected.fill(list->palette().color(QPalette::Active, QPalette::Base));
        QPainter painter(&expected);
        painter.setPen(text_styles::secondaryColor(list));
        DateText::draw(&painter, QRect(QPoint(0, 0), rect.size()),
                       list->model()->index(0, 0).data(ProfileListModel::DateTextRole).toString(),
                       text_styles::callout(), list->layoutDirection());
        painter.end();
        return row.copy(rect) == expected;
    };
    // Cantarell's digits differ in width, which only left-to-right dates
    // even out.
    QApplication::setFont(QFont(QStringLiteral("Cantarell"), 11));
    QCoreApplication::processEvents();
    QVERIFY(compareDate());
    QApplication::setLayoutDirection(Qt::RightToLeft);
    QCoreApplication::processEvents();
    QVERIFY(compareDate());
    QFont larger = QApplication::font();
    larger.setPointSizeF(larger.pointSizeF() * 1.5);
    QApplication::setFont(larger);
    QCoreApplication::processEvents();
    QVERIFY(compareDate());
}

void ProfileRowsTest::folderPickerIsAGroupOfChoices()
{
    TestWindow window;
    QVERIFY(window.exposed);
    QAccessibleInterface* picker =
        QAccessible::queryAccessibleInterface(window.view->folderSection()->picker());
    QCOMPARE(picker->role(), QAccessible::Grouping);
    QCOMPARE(picker->text(QAccessible::Name), QStringLiteral("Folder source"));
    QCOMPARE(picker->childCount(), 2);
    QAccessibleInterface* custom = picker->child(1);
    QCOMPARE(custom->role(), QAccessible::RadioButton);
    QCOMPARE(custom->text(QAccessible::Name), QStringLiteral("Custom folder"));
    QVERIFY(!custom->state().checked);
    custom->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(window.state->folderMode(), FolderMode::custom);
    QVERIFY(custom->state().checked);
    QVERIFY(!picker->child(0)->state().checked);
    QCOMPARE(QAccessible::queryAccessibleInterface(window.view->folderSection()->pathField())
                 ->text(QAccessible::Name),
             QStringLiteral("Path to profile folder"));
}

void ProfileRowsTest::datesFollowALocaleChange()
{
    TestWindow window({QStringLiteral("Alpha.plist")});
    QVERIFY(window.exposed);
    const QModelIndex row = window.list()->model()->index(0, 0);
    const QString before = row.data(ProfileListModel::DateTextRole).toString();
    window.view->profileListSection()->setLocale(QLocale(QLocale::German, QLocale::Germany));
    const QString after = row.data(ProfileListModel::DateTextRole).toString();
    QCOMPARE(after, ProfileListModel::dateText(window.state->profiles().first().modifiedAt,
                                               QLocale(QLocale::German, QLocale::Germany)));
    QVERIFY(after != before);
}

QTEST_MAIN(ProfileRowsTest)
#include "tst_profilerows.moc"
