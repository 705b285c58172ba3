#include "plist/plistreader.h"
#include "plist/plistwriter.h"
#include "state/launcherstate.h"
#include "support/plisttesting.h"
#include "support/testenvironment.h"
#include "ui/alertdialog.h"
#include "ui/appdelegate.h"
#include "ui/changetree.h"
#include "ui/comparedialog.h"
#include "ui/contentview.h"
#include "ui/elidedpathlabel.h"
#include "ui/emptystatebox.h"
#include "ui/foldersection.h"
#include "ui/historydialog.h"
#include "ui/mainwindow.h"
#include "ui/mergedialog.h"
#include "ui/profilelistmodel.h"
#include "ui/profilelistsection.h"
#include "ui/profilelistview.h"
#include "ui/segmentedcontrol.h"
#include "ui/statusrow.h"
#include "uitesting.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTranslator>

using ui_testing::clickRowButton;

namespace {

struct Window : ui_testing::TestWindow
{
    explicit Window(const QStringList& profiles = {}) : TestWindow(profiles) { QVERIFY(exposed); }

    AlertDialog* waitForDialog() const
    {
        if (!QTest::qWaitFor([&] { return view->visibleDialog() != nullptr; }, 2000))
            return nullptr;
        return view->visibleDialog();
    }
};

} // namespace

class ContentViewTest : public QObject
{
    Q_OBJECT

private slots:
    void layout();
    void statusRow_data();
    void statusRow();
    void folderRowAndAccessLine_data();
    void folderRowAndAccessLine();
    void pathFieldStoresEveryEditAndSubmitsOnReturn();
    void emptyStateTexts();
    void rowActions_data();
    void rowActions();
    void doubleClickOutsideButtonsStarts();
    void renameDialog();
    void createDialogOpensEmptyEachTime();
    void deleteDialog_data();
    void deleteDialog();
    void shortcutFollowsRenameAndGoesWithDelete();
    void errorAlertClearsAndReopens();
    void errorAfterRenameWaitsForTheDialogToClose();
    void quitConfirmation_data();
    void quitConfirmation();
    void closingTheWindowAsksToQuit();
    void menuRemovalRule();
    void germanTranslation();
    void savedNoticeLeadsToTheHistory();
    void compareWithPreferencesAndProfiles();
    void toolDialogsCloseWhenTheirProfileGoes_data();
    void toolDialogsCloseWhenTheirProfileGoes();
    void savedNoticeTellsOfChangesMadeElsewhere();
    void conflictingCopyMergesIntoItsProfile_data();
    void conflictingCopyMergesIntoItsProfile();
};

void ContentViewTest::layout()
{
    Window w;
    QCOMPARE(w.window->objectName(), QStringLiteral("main"));
    QCOMPARE(w.window->windowTitle(), QStringLiteral("Pelvaro Launcher"));
    w.window->resize(300, 200);
    QTRY_VERIFY(w.view->width() >= ContentView::minimumWidth);
    QVERIFY(w.view->height() >= ContentView::minimumHeight);
    QCOMPARE(w.window->maximumWidth(), QWIDGETSIZE_MAX);
    SegmentedControl* picker = w.view->folderSection()->picker();
    QCOMPARE(picker->accessibleName(), QStringLiteral("Folder source"));
    QCOMPARE(picker->titleAt(0), QStringLiteral("Default"));
    QCOMPARE(picker->titleAt(1), QStringLiteral("Custom folder"));
    QVERIFY(picker->width() < w.view->width() / 2);
    QCOMPARE(w.view->statusRow()->indicator()->size(), QSize(12, 12));
    QPushButton* quitAndNew = w.view->statusRow()->quitAndNewButton();
    QCOMPARE(quitAndNew->text().replace(QStringLiteral("&&"), QStringLiteral("&")),
             QStringLiteral("Quit & New Profile"));
    QCOMPARE(quitAndNew->toolTip(),
             QStringLiteral("Quit Pelvaro and create a new profile from its current settings"));
    QVERIFY(!quitAndNew->icon().isNull());
}

void ContentViewTest::statusRow_data()
{
    QTest::addColumn<QString>("launch");
    QTest::addColumn<bool>("withProfile");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("warning");
    QTest::newRow("not running") << QString() << false << QStringLiteral("Pelvaro is not running")
                                 << false;
    QTest::newRow("Pelvaro with profile")
        << QStringLiteral("Pelvaro") << true << QStringLiteral("Pelvaro is running") << false;
    QTest::newRow("Pelvaro MD with profile")
        << QStringLiteral("Pelvaro MD") << true << QStringLiteral("Pelvaro MD is running") << false;
    QTest::newRow("unknown profile")
        << QStringLiteral("Pelvaro") << false << QStringLiteral("Pelvaro is running") << true;
}

void ContentViewTest::statusRow()
{
    QFETCH(QString, launch);
    QFETCH(bool, withProfile);
    QFETCH(QString, text);
    QFETCH(bool, warning);
    Window w({QStringLiteral("Work.plist")});
    if (withProfile)
        w.state->startProfile(w.state->profiles().first());
    if (!launch.isEmpty())
        w.env.workspace.launch(launch);
    const bool running = !launch.isEmpty();
    StatusRow* row = w.view->statusRow();
    QCOMPARE(row->indicator()->isRunning(), running);
    QCOMPARE(row->indicator()->fillColor(),
             running ? QColor(0x34, 0xC7, 0x59) : QColor(0xFF, 0x3B, 0x30));
    QCOMPARE(row->statusText()->text(), text);
    QCOMPARE(row->warning()->isVisibleTo(w.window.get()), warning);
    QCOMPARE(row->quitAndNewButton()->isEnabled(), running);
    ProfileListSection* list = w.view->profileListSection();
    QCOMPARE(list->content()->isEnabled(), !running);
    QCOMPARE(list->contentOpacity(), running ? 0.6 : 1.0);
    QVERIFY(w.view->folderSection()->isEnabled());
}

void ContentViewTest::folderRowAndAccessLine_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<bool>("customRow");
    QTest::addColumn<QString>("accessText");
    QTest::newRow("default, ok") << QStringLiteral("default") << false
                                 << QStringLiteral("Read/write access OK");
    QTest::newRow("custom, empty path")
        << QStringLiteral("custom-empty") << true << QStringLiteral(" ");
    QTest::newRow("custom, missing folder")
        << QStringLiteral("custom-missing") << true << QStringLiteral("Folder does not exist.");
}

void ContentViewTest::folderRowAndAccessLine()
{
    QFETCH(QString, mode);
    QFETCH(bool, customRow);
    QFETCH(QString, accessText);
    Window w;
    FolderSection* section = w.view->folderSection();
    const int accessHeight = section->accessText()->parentWidget()->height();
    if (mode == u"custom-missing")
        w.state->setCustomFolderPath(w.env.root() + u"/missing");
    if (mode != u"default")
        w.state->setFolderMode(FolderMode::custom);
    QCOMPARE(section->showsCustomRow(), customRow);
    QCOMPARE(section->picker()->selectedIndex(), customRow ? 1 : 0);
    QCOMPARE(section->accessText()->text(), accessText);
    QCOMPARE(section->accessText()->parentWidget()->height(), accessHeight);
    QCOMPARE(section->accessIcon()->pixmap().isNull(), accessText == u" ");
    if (!customRow) {
        QCOMPARE(section->defaultPath()->text(), w.env.defaultFolder());
        section->defaultPath()->copy();
        QCOMPARE(QGuiApplication::clipboard()->text(), w.env.defaultFolder());
    } else {
        QCOMPARE(section->pathField()->placeholderText(), QStringLiteral("Path to profile folder"));
        QCOMPARE(section->chooseButton()->text(), QStringLiteral("Choose\u2026"));
    }
}

void ContentViewTest::pathFieldStoresEveryEditAndSubmitsOnReturn()
{
    Window w;
    w.state->setFolderMode(FolderMode::custom);
    const QString folder = w.env.makeFolder(QStringLiteral("typed"));
    QLineEdit* field = w.view->folderSection()->pathField();
    QSignalSpy stored(w.state, &LauncherState::customFolderPathChanged);
    QTest::keyClicks(field, folder);
    QCOMPARE(stored.count(), folder.size());
    QCOMPARE(w.env.userDefaults->stringForKey(QStringLiteral("customFolderPath")),
             std::optional<QString>(folder));
    QCOMPARE(w.state->folderAccessStatus(), AccessStatus::untested());
    QVERIFY(!w.state->folderMonitorSource());
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(w.state->folderAccessStatus(), AccessStatus::ok());
    QVERIFY(w.state->folderMonitorSource());
}

void ContentViewTest::emptyStateTexts()
{
    Window w;
    ProfileListSection* section = w.view->profileListSection();
    QVERIFY(!section->showsList());
    QCOMPARE(section->emptyBox()->text(), QStringLiteral("No profile files found in folder."));
    w.state->setFolderMode(FolderMode::custom);
    QCOMPARE(section->emptyBox()->text(),
             QStringLiteral("Choose a Profile Folder to see available profiles."));
    QVERIFY(section->emptyBox()->minimumHeight() >= 220);
    w.state->setFolderMode(FolderMode::defaultFolder);
    QVERIFY(test_files::writeBinaryPlist(w.env.defaultFolder() + u"/New.plist",
                                         PlistValue(PlistDictionary())));
    w.state->reloadProfiles();
    QVERIFY(section->showsList());
}

void ContentViewTest::rowActions_data()
{
    QTest::addColumn<int>("action");
    QTest::newRow("start") << int(ProfileDelegate::Action::start);
    QTest::newRow("duplicate") << int(ProfileDelegate::Action::duplicate);
    QTest::newRow("rename") << int(ProfileDelegate::Action::rename);
    QTest::newRow("delete") << int(ProfileDelegate::Action::remove);
}

void ContentViewTest::rowActions()
{
    QFETCH(int, action);
    Window w({QStringLiteral("a.b.plist"), QStringLiteral("Work.plist")});
    clickRowButton(w.list(), 0, ProfileDelegate::Action(action));
    switch (ProfileDelegate::Action(action)) {
    case ProfileDelegate::Action::start:
        QCOMPARE(w.state->activeProfileName(), std::optional<QString>(QStringLiteral("a.b.plist")));
        QCOMPARE(w.env.workspace.openedLocations.size(), 1);
        break;
    case ProfileDelegate::Action::duplicate:
        QVERIFY(QFile::exists(w.env.defaultFolder() + u"/a.b Copy.plist"));
        break;
    case ProfileDelegate::Action::rename: {
        AlertDialog* dialog = w.waitForDialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->title(), QStringLiteral("Rename Profile"));
        QCOMPARE(dialog->textField()->text(), QStringLiteral("a.b"));
        QCOMPARE(w.view->renameTarget()->fileName(), QStringLiteral("a.b.plist"));
        break;
    }
    case ProfileDelegate::Action::remove: {
        AlertDialog* dialog = w.waitForDialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->title(), QStringLiteral("Delete Profile"));
        QVERIFY(QFile::exists(w.env.defaultFolder() + u"/a.b.plist"));
        break;
    }
    case ProfileDelegate::Action::history:
    case ProfileDelegate::Action::compare:
    case ProfileDelegate::Action::createShortcut:
    case ProfileDelegate::Action::mergeInto:
        QFAIL("not a painted button");
    }
}

void ContentViewTest::doubleClickOutsideButtonsStarts()
{
    Window w({QStringLiteral("Work.plist")});
    ui_testing::doubleClickRowText(w.list(), 0);
    QCOMPARE(w.state->activeProfileName(), std::optional<QString>(QStringLiteral("Work.plist")));
    // While Pelvaro runs the rows do not respond.
    w.state->setActiveProfileName(std::nullopt);
    w.env.workspace.launch(QStringLiteral("Pelvaro"));
    ui_testing::doubleClickRowText(w.list(), 0);
    clickRowButton(w.list(), 0, ProfileDelegate::Action::start);
    QCOMPARE(w.state->activeProfileName(), std::nullopt);
}

void ContentViewTest::renameDialog()
{
    Window w({QStringLiteral("a.b.plist"), QStringLiteral("Work.plist")});
    w.view->beginRename(w.state->profiles().at(1));
    AlertDialog* dialog = w.waitForDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->message(), QStringLiteral("Enter a new name for \"Work\"."));
    QCOMPARE(dialog->textField()->placeholderText(), QStringLiteral("New name"));
    dialog->textField()->setText(QStringLiteral("Changed"));
    dialog->button(QStringLiteral("Cancel"))->click();
    QTRY_VERIFY(!w.view->visibleDialog());
    QVERIFY(!w.view->renameTarget());
    QCOMPARE(w.view->renameText(), QStringLiteral("Changed"));
    QVERIFY(QFile::exists(w.env.defaultFolder() + u"/Work.plist"));
    w.view->beginRename(w.state->profiles().at(0));
    dialog = w.waitForDialog();
    QCOMPARE(dialog->textField()->text(), QStringLiteral("a.b"));
    dialog->textField()->setText(QStringLiteral("Renamed"));
    dialog->button(QStringLiteral("Rename"))->click();
    QTRY_VERIFY(QFile::exists(w.env.defaultFolder() + u"/Renamed.plist"));
}

void ContentViewTest::createDialogOpensEmptyEachTime()
{
    Window w;
    w.env.workspace.launch(QStringLiteral("Pelvaro"));
    w.view->statusRow()->quitAndNewButton()->click();
    AlertDialog* dialog = w.waitForDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->title(), QStringLiteral("Quit Pelvaro and Create New Profile"));
    QCOMPARE(dialog->textField()->placeholderText(), QStringLiteral("Profile name"));
    QTest::keyClicks(dialog->textField(), QStringLiteral("Typed"));
    dialog->button(QStringLiteral("Cancel"))->click();
    QTRY_VERIFY(!w.view->showCreateDialog());
    QCOMPARE(w.view->createText(), QStringLiteral("Typed"));
    w.view->statusRow()->quitAndNewButton()->click();
    dialog = w.waitForDialog();
    QVERIFY(dialog->textField()->text().isEmpty());
    QTest::keyClicks(dialog->textField(), QStringLiteral("Captured"));
    dialog->button(QStringLiteral("Quit & Create"))->click();
    QTRY_COMPARE(w.state->pendingNewProfileName(),
                 std::optional<QString>(QStringLiteral("Captured.plist")));
    QCOMPARE(w.env.workspace.terminated.size(), 1);
}

void ContentViewTest::deleteDialog_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("Delete") << QStringLiteral("Delete") << true;
    QTest::newRow("Cancel") << QStringLiteral("Cancel") << false;
}

void ContentViewTest::deleteDialog()
{
    QFETCH(QString, button);
    QFETCH(bool, deleted);
    Window w({QStringLiteral("Work.plist")});
    w.view->beginDelete(w.state->profiles().first());
    AlertDialog* dialog = w.waitForDialog();
    QVERIFY(dialog);
    QCOMPARE(
        dialog->message(),
        QStringLiteral("Are you sure you want to delete \"Work\"? This action cannot be undone."));
    QVERIFY(!dialog->button(QStringLiteral("Delete"))->isDefault());
    dialog->button(button)->click();
    QTRY_VERIFY(!w.view->deleteTarget());
    QCOMPARE(QFile::exists(w.env.defaultFolder() + u"/Work.plist"), !deleted);
}

// The menu's shortcut, made after the dialog's Create, then renamed and
// deleted in the window as a user does.
void ContentViewTest::shortcutFollowsRenameAndGoesWithDelete()
{
    Window w({QStringLiteral("Work.plist")});
    const QString applications = qEnvironmentVariable("XDG_DATA_HOME") + u"/applications";
    const auto entries = [&] {
        return QDir(applications).entryList({QStringLiteral("*.desktop")}, QDir::Files);
    };
    w.view->beginCreateShortcut(w.state->profiles().first());
    AlertDialog* dialog = w.waitForDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->title(), QStringLiteral("Create Shortcut"));
    dialog->button(QStringLiteral("Create"))->click();
    QTRY_COMPARE(entries().size(), 1);
    const QString entry = applications + u'/' + entries().first();
    QVERIFY(test_files::readBytes(entry).contains("\nName=Pelvaro (Work)\n"));

    w.state->renameProfile(w.state->profiles().first(), QStringLiteral("Play"));
    QCOMPARE(entries().size(), 1);
    const QByteArray renamed = test_files::readBytes(entry);
    QVERIFY(renamed.contains("\nName=Pelvaro (Play)\n"));
    QVERIFY(renamed.contains("\"Play.plist\""));

    w.state->deleteProfile(w.state->profiles().first());
    QCOMPARE(entries(), QStringList());
}

void ContentViewTest::errorAlertClearsAndReopens()
{
    Window w;
    for (int round = 0; round < 2; ++round) {
        w.state->setErrorMessage(QStringLiteral("Same text"));
        AlertDialog* dialog = w.waitForDialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->title(), QStringLiteral("Error"));
        QCOMPARE(dialog->message(), QStringLiteral("Same text"));
        dialog->button(QStringLiteral("OK"))->click();
        QTRY_COMPARE(w.state->errorMessage(), std::nullopt);
        QTRY_VERIFY(!w.view->visibleDialog());
    }
    w.state->setErrorMessage(QString());
    QVERIFY(w.waitForDialog());
    QCOMPARE(w.view->visibleDialog()->message(), QString());
}

void ContentViewTest::errorAfterRenameWaitsForTheDialogToClose()
{
    Window w({QStringLiteral("Work.plist"), QStringLiteral("Other.plist")});
    w.view->beginRename(w.state->profiles().at(1));
    AlertDialog* rename = w.waitForDialog();
    rename->textField()->setText(QStringLiteral("Other"));
    QSignalSpy shown(w.view, &ContentView::dialogShown);
    rename->button(QStringLiteral("Rename"))->click();
    QTRY_COMPARE(shown.count(), 1);
    AlertDialog* error = w.view->visibleDialog();
    QVERIFY(error != rename);
    QCOMPARE(error->message(), QStringLiteral("A file named \"Other.plist\" already exists."));
}

void ContentViewTest::quitConfirmation_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("quits");
    QTest::newRow("not running") << QStringLiteral("idle") << 0 << false << true;
    QTest::newRow("unknown profile") << QStringLiteral("unknown") << 0 << false << true;
    QTest::newRow("started profile, Quit")
        << QStringLiteral("started") << AppDelegate::firstButtonReturn << true << true;
    QTest::newRow("started profile, Don't quit")
        << QStringLiteral("started") << AppDelegate::firstButtonReturn + 1 << true << false;
}

void ContentViewTest::quitConfirmation()
{
    QFETCH(QString, situation);
    QFETCH(int, answer);
    QFETCH(bool, asked);
    QFETCH(bool, quits);
    Window w({QStringLiteral("Work.plist")});
    AppDelegate delegate(*w.state, *w.window);
    int alerts = 0;
    delegate.runQuitAlert = [&] {
        ++alerts;
        return answer;
    };
    if (situation == u"started")
        w.state->startProfile(w.state->profiles().first());
    if (situation != u"idle")
        w.env.workspace.launch(QStringLiteral("Pelvaro"));
    QCOMPARE(delegate.applicationShouldTerminate(), quits);
    QCOMPARE(alerts, asked ? 1 : 0);
}

void ContentViewTest::closingTheWindowAsksToQuit()
{
    Window w({QStringLiteral("Work.plist")});
    AppDelegate delegate(*w.state, *w.window);
    int alerts = 0;
    delegate.runQuitAlert = [&] {
        ++alerts;
        return AppDelegate::firstButtonReturn + 1;
    };
    w.state->startProfile(w.state->profiles().first());
    w.env.workspace.launch(QStringLiteral("Pelvaro"));
    w.window->close();
    QCOMPARE(alerts, 1);
    QVERIFY(w.window->isVisible());
}

void ContentViewTest::menuRemovalRule()
{
    QMenuBar bar;
    for (const char* title : {"&File", "Edit", "View", "Ablage", "Bearbeiten", "Darstellung",
                              "Fichier", "file", "Help"})
        bar.addMenu(QString::fromLatin1(title));
    AppDelegate::removeUnwantedMenus(&bar);
    QStringList left;
    for (QAction* action : bar.actions())
        left.append(action->text());
    QCOMPARE(left, (QStringList{QStringLiteral("Fichier"), QStringLiteral("file"),
                                QStringLiteral("Help")}));

    Window w;
    AppDelegate delegate(*w.state, *w.window);
    delegate.applicationDidFinishLaunching();
    w.window->menuBar()->addMenu(QStringLiteral("View"));
    QTRY_VERIFY(std::none_of(w.window->menuBar()->actions().cbegin(),
                             w.window->menuBar()->actions().cend(),
                             [](QAction* a) { return a->text() == u"View"; }));
    QCOMPARE(w.window->menuBar()->actions().first()->text(), QStringLiteral("Pelvaro Launcher"));
    const QList<QAction*> items = w.window->menuBar()->actions().first()->menu()->actions();
    QCOMPARE(items.first()->text(), QStringLiteral("About Pelvaro Launcher"));
    QVERIFY(items.first()->shortcut().isEmpty());
    QCOMPARE(items.last()->shortcut(), QKeySequence(QKeySequence::Quit));
    QVERIFY(AppDelegate::aboutCredits().contains(u"profiles.\n\nCopies"));
}

void ContentViewTest::germanTranslation()
{
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/i18n/pelvaro-launcher_de.qm")));
    QCoreApplication::installTranslator(&translator);
    {
        Window w;
        QCOMPARE(w.view->statusRow()->statusText()->text(), QStringLiteral("Pelvaro läuft nicht"));
        QCOMPARE(w.view->folderSection()->accessText()->text(),
                 QStringLiteral("Lese-/Schreibzugriff OK"));
        w.state->setFolderMode(FolderMode::custom);
        w.state->setCustomFolderPath(w.env.root() + u"/missing");
        w.state->checkFolderAccess();
        QCOMPARE(w.view->folderSection()->accessText()->text(),
                 QStringLiteral("Der Ordner existiert nicht."));
    }
    QCoreApplication::removeTranslator(&translator);
}

// After a save-back the status row says what the session changed, and
// its History button opens the profile's versions, where one is restored.
void ContentViewTest::savedNoticeLeadsToTheHistory()
{
    Window w({QStringLiteral("Work.plist")});
    w.state->startProfile(w.state->profiles().first());
    const RunningApplication pelvaro = w.env.workspace.launch(QStringLiteral("Pelvaro"));
    PlistDictionary settings;
    settings.insert(QStringLiteral("Theme"), PlistValue(QStringLiteral("dark")));
    w.env.preferences->setMultiple(settings, {});
    QVERIFY(w.env.preferences->synchronize());
    w.env.workspace.quit(pelvaro);
    StatusRow* row = w.view->statusRow();
    QTRY_VERIFY(row->savedNotice()->isVisible());
    QCOMPARE(row->savedNotice()->text(), QStringLiteral("Saved 1 changed setting to Work"));
    QVERIFY(row->historyButton()->isVisible());
    row->historyButton()->click();
    auto* history = qobject_cast<HistoryDialog*>(w.view->toolDialog());
    QVERIFY(history);
    QCOMPARE(history->versionList()->count(), 1);
    QCOMPARE(history->changeTree()->topLevelItemCount(), 1);
    QCOMPARE(history->changeTree()->topLevelItem(0)->text(0), QStringLiteral("Theme"));
    QVERIFY(history->restoreButton()->isEnabled());
    history->restoreButton()->click();
    QCOMPARE(w.state->errorMessage(), std::nullopt);
    QCOMPARE(history->versionList()->count(), 2);
    QVERIFY(PlistReader::read(test_files::readBytes(w.env.defaultFolder() + u"/Work.plist"))
                ->toDictionary()
                .isEmpty());
}

void ContentViewTest::compareWithPreferencesAndProfiles()
{
    Window w({QStringLiteral("Home.plist"), QStringLiteral("Work.plist")});
    PlistDictionary settings;
    settings.insert(QStringLiteral("Zoom"), PlistValue(2.0));
    w.env.preferences->setMultiple(settings, {});
    QVERIFY(w.env.preferences->synchronize());
    w.list()->setFocus();
    w.list()->setCurrentIndex(w.list()->model()->index(1, 0));
    // Keyboard users get there too.
    QTest::keyClick(w.list(), Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    auto* compare = qobject_cast<CompareDialog*>(w.view->toolDialog());
    QVERIFY(compare);
    QCOMPARE(compare->windowTitle(), QStringLiteral("Compare \u201CWork\u201D"));
    QCOMPARE(compare->summary()->text(), QStringLiteral("1 difference."));
    QCOMPARE(compare->changeTree()->topLevelItem(0)->text(2), QStringLiteral("2"));
    compare->otherChoice()->setCurrentIndex(1);
    QCOMPARE(compare->otherChoice()->currentText(), QStringLiteral("Home"));
    QCOMPARE(compare->summary()->text(), QStringLiteral("No differences."));
}

void ContentViewTest::toolDialogsCloseWhenTheirProfileGoes_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("goes");
    QTest::addColumn<QString>("renamedTo");
    QTest::addColumn<bool>("staysOpen");
    const int history = int(Qt::ControlModifier);
    const int compare = int(Qt::ControlModifier | Qt::ShiftModifier);
    const QString work = QStringLiteral("Work.plist");
    QTest::newRow("history, deleted") << history << int(Qt::Key_H) << work << QString() << false;
    QTest::newRow("history, renamed")
        << history << int(Qt::Key_H) << work << QStringLiteral("Gone.plist") << false;
    QTest::newRow("compare, deleted") << compare << int(Qt::Key_D) << work << QString() << false;
    // Another profile going leaves the window as it was.
    QTest::newRow("compare, other deleted")
        << compare << int(Qt::Key_D) << QStringLiteral("Home.plist") << QString() << true;
}

void ContentViewTest::toolDialogsCloseWhenTheirProfileGoes()
{
    QFETCH(int, modifiers);
    QFETCH(int, key);
    QFETCH(QString, goes);
    QFETCH(QString, renamedTo);
    QFETCH(bool, staysOpen);
    Window w({QStringLiteral("Home.plist"), QStringLiteral("Work.plist")});
    w.list()->setFocus();
    w.list()->setCurrentIndex(w.list()->model()->index(1, 0));
    QTest::keyClick(w.list(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    const QPointer<QDialog> dialog = w.view->toolDialog();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    const QString path = w.env.defaultFolder() + u'/' + goes;
    if (renamedTo.isEmpty())
        QVERIFY(QFile::remove(path));
    else
        QVERIFY(QFile::rename(path, w.env.defaultFolder() + u'/' + renamedTo));
    w.state->reloadProfiles();
    QCOMPARE(dialog && dialog->isVisible(), staysOpen);
}

// Another machine changed Work during the session: the notice says what was
// kept from there and what conflicted, and History shows the other side.
void ContentViewTest::savedNoticeTellsOfChangesMadeElsewhere()
{
    Window w({QStringLiteral("Work.plist")});
    const QString work = w.env.defaultFolder() + u"/Work.plist";
    QVERIFY(test_files::writeBinaryPlist(work, PlistValue(settingsFrom("{Theme=light;Zoom=1;}"))));
    w.state->startProfile(w.state->profiles().first());
    const RunningApplication pelvaro = w.env.workspace.launch(QStringLiteral("Pelvaro"));
    w.env.preferences->setMultiple(settingsFrom("{Theme=dark;}"), {});
    QVERIFY(w.env.preferences->synchronize());
    QVERIFY(test_files::replaceByRename(
        work, PlistWriter::writeBinary(PlistValue(settingsFrom("{Theme=blue;Zoom=2;}")))));
    w.env.workspace.quit(pelvaro);
    StatusRow* row = w.view->statusRow();
    QTRY_VERIFY(row->savedNotice()->isVisible());
    QCOMPARE(row->savedNotice()->text(),
             QStringLiteral("Saved 1 changed setting to Work; kept 1 changed elsewhere, 1 conflict "
                            "(see History)"));
    QCOMPARE(PlistValue(PlistReader::read(test_files::readBytes(work))->toDictionary()),
             PlistValue(settingsFrom("{Theme=dark;Zoom=2;}")));
    row->historyButton()->click();
    auto* history = qobject_cast<HistoryDialog*>(w.view->toolDialog());
    QVERIFY(history);
    QCOMPARE(history->versionList()->count(), 1);
}

void ContentViewTest::conflictingCopyMergesIntoItsProfile_data()
{
    QTest::addColumn<int>("finalKey");
    QTest::addColumn<bool>("merged");
    QTest::newRow("merge") << int(Qt::Key_Return) << true;
    QTest::newRow("cancel") << int(Qt::Key_Escape) << false;
}

// The row says what the copy is, to the eye and to screen readers; a screen
// reader's action opens the merge, and the keyboard decides it.
void ContentViewTest::conflictingCopyMergesIntoItsProfile()
{
    QFETCH(int, finalKey);
    QFETCH(bool, merged);
    const QString copyName = QStringLiteral("Work.sync-conflict-20261207-101010-ABCDEF1.plist");
    Window w({QStringLiteral("Work.plist"), copyName});
    const QString work = w.env.defaultFolder() + u"/Work.plist";
    const QString copy = w.env.defaultFolder() + u'/' + copyName;
    QVERIFY(test_files::writeBinaryPlist(
        work, PlistValue(settingsFrom("{Theme=light;Size=12;Only=work;}"))));
    QVERIFY(test_files::writeBinaryPlist(
        copy, PlistValue(settingsFrom("{Theme=dark;Size=12;Extra=yes;}"))));
    test_files::setModificationTime(work, 1'700'000'000);
    test_files::setModificationTime(copy, 1'700'000'600);
    w.state->reloadProfiles();
    QAbstractItemModel* model = w.list()->model();
    int copyRow = -1;
    int workRow = -1;
    for (int row = 0; row < model->rowCount(); ++row)
        (model->index(row, 0).data(ProfileListModel::ProfileRole).value<Profile>().fileName() ==
                 copyName
             ? copyRow
             : workRow) = row;
    const QString described =
        QStringLiteral("Conflicting copy of Work (Syncthing, 7 Dec 2026 10:10)");
    QCOMPARE(model->index(copyRow, 0).data(ProfileListModel::NameRole).toString(), described);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(w.list());
    QVERIFY(list);
    QAccessibleInterface* copyItem = list->child(copyRow);
    QCOMPARE(copyItem->text(QAccessible::Name), described);
    // Only the copy offers the merge.
    QVERIFY(!list->child(workRow)->actionInterface()->actionNames().contains(u"mergeInto"));
    QVERIFY(copyItem->actionInterface()->actionNames().contains(u"mergeInto"));
    QCOMPARE(copyItem->actionInterface()->localizedActionName(QStringLiteral("mergeInto")),
             QStringLiteral("Merge into Work\u2026"));
    copyItem->actionInterface()->doAction(QStringLiteral("mergeInto"));

    const QPointer<MergeDialog> dialog = qobject_cast<MergeDialog*>(w.view->toolDialog());
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    // Theme differs, Only is the profile's alone, Extra the copy's alone;
    // the copy is newer, so its values come first.
    QCOMPARE(dialog->choices().size(), 3);
    QComboBox* theme = dialog->choices().at(0);
    QCOMPARE(theme->accessibleName(), QStringLiteral("Keep for Theme"));
    QCOMPARE(theme->currentText(), QStringLiteral("The copy's value"));
    QCOMPARE(dialog->choices().at(1)->currentText(), QStringLiteral("Remove"));
    QCOMPARE(dialog->choices().at(2)->currentText(), QStringLiteral("The copy's value"));
    QTRY_COMPARE(QApplication::focusWidget(), theme);
    QTest::keyClick(theme, Qt::Key_Up);
    QCOMPARE(theme->currentText(), QStringLiteral("Work's value"));
    QTest::keyClick(theme, Qt::Key(finalKey));
    QTRY_VERIFY(!dialog);

    const PlistDictionary now = PlistReader::read(test_files::readBytes(work))->toDictionary();
    if (merged) {
        QCOMPARE(PlistValue(now), PlistValue(settingsFrom("{Theme=light;Size=12;Extra=yes;}")));
        QVERIFY(!QFile::exists(copy));
        // Both sides stay in the profile's history.
        QCOMPARE(w.state->profileVersions(w.state->profiles().first()).size(), 2);
    } else {
        QCOMPARE(PlistValue(now), PlistValue(settingsFrom("{Theme=light;Size=12;Only=work;}")));
        QVERIFY(QFile::exists(copy));
        // A copy whose profile is gone offers no merge.
        QVERIFY(QFile::remove(work));
        w.state->reloadProfiles();
        QAccessibleInterface* alone = list->child(0);
        QCOMPARE(alone->text(QAccessible::Name), described);
        QVERIFY(!alone->actionInterface()->actionNames().contains(u"mergeInto"));
    }
    QCOMPARE(w.state->errorMessage(), std::nullopt);
}

QTEST_MAIN(ContentViewTest)
#include "tst_contentview.moc"
