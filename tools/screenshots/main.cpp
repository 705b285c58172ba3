// Drives the launcher's window through its notable states and saves a PNG
// of each: the empty default folder, custom mode without a path, a list
// with the active profile, Pelvaro running with an unknown profile, the four
// dialogs and the quit warning.
//   pelvaro-screenshots OUTPUT_DIR
// or one picture of the list in another setting:
//   pelvaro-screenshots OUTPUT_DIR dark|german|right-to-left|keyboard-focus

#include "state/launcherstate.h"
#include "support/darkpalette.h"
#include "support/testenvironment.h"
#include "ui/alertdialog.h"
#include "ui/appdelegate.h"
#include "ui/contentview.h"
#include "ui/launcherstyle.h"
#include "ui/mainwindow.h"
#include "ui/profilelistmodel.h"
#include "ui/profilelistsection.h"
#include "ui/profilelistview.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

namespace {

void settle(int ms = 150)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void save(QWidget* widget, const QString& folder, const QString& name)
{
    settle();
    // The whole screen, so that window-modal dialogs appear over the window.
    QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    if (shot.isNull() || shot.width() < 10)
        shot = widget->window()->grab();
    const QRect frame = widget->window()->frameGeometry().adjusted(-40, -40, 40, 40);
    shot = shot.copy(frame.intersected(shot.rect()));
    shot.save(folder + u'/' + name + u".png");
    std::printf("wrote %s/%s.png\n", qPrintable(folder), qPrintable(name));
}

void writeSamples(const QString& folder)
{
    QDir().mkpath(folder);
    const QStringList names{
        QStringLiteral("Work"),
        QStringLiteral("Gaming"),
        QStringLiteral("Presentation"),
        QStringLiteral("Profile 2"),
        QStringLiteral("Profile 10"),
        QStringLiteral(
            "A very long profile name that does not fit into the row at all, not even close")};
    qint64 when = 1'764'000'000;
    for (const QString& name : names) {
        const QString path = folder + u'/' + name + u".plist";
        if (!test_files::writeBinaryPlist(
                path,
                PlistValue(test_files::dictionary({{QStringLiteral("Theme"), PlistValue(name)}}))))
            qFatal("cannot write the profiles to show");
        test_files::setModificationTime(path, when += 86'400 + 3'600);
    }
}

} // namespace

// One picture of the list with the active profile, in another setting.
int variant(const QString& output, const QString& name)
{
    TestEnvironment env;
    writeSamples(env.defaultFolder());
    LauncherState& state = env.makeState();
    MainWindow window(state);
    AppDelegate delegate(state, window);
    window.resize(820, 600);
    window.move(60, 60);
    if (name == u"dark") {
        // The theme changes while the window is open, as a user switches it.
        window.show();
        settle();
        QApplication::setPalette(test_palettes::dark());
    }
    window.show();
    delegate.applicationDidFinishLaunching();
    state.startProfile(state.profiles().at(1));
    if (name == u"keyboard-focus") {
        window.activateWindow();
        QListView* list = window.contentView()->profileListSection()->listView();
        list->setFocus(Qt::TabFocusReason);
        list->setCurrentIndex(list->model()->index(2, 0));
    }
    const QStringList numbers{QStringLiteral("dark"), QStringLiteral("german"),
                              QStringLiteral("right-to-left"), QStringLiteral("keyboard-focus")};
    save(&window, output, QStringLiteral("%1-%2").arg(10 + numbers.indexOf(name)).arg(name));
    return 0;
}

int main(int argc, char** argv)
{
    const QString variantName = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (variantName == u"german") {
        qputenv("LANG", "de_DE.UTF-8");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    } else if (variantName == u"right-to-left") {
        qputenv("LANG", "he_IL.UTF-8");
        QLocale::setDefault(QLocale(QLocale::Hebrew, QLocale::Israel));
    }
    QApplication app(argc, argv);
    // As the launcher's window is styled.
    LauncherStyle::install();
    QApplication::setApplicationDisplayName(QStringLiteral("Pelvaro Launcher"));
    QApplication::setApplicationVersion(QStringLiteral("0.1.0"));
    const QString output =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(output);
    QTranslator translator;
    QTranslator qtTranslator;
    if (qEnvironmentVariable("LANG").startsWith(u"de")) {
        if (translator.load(QLocale(), QStringLiteral("pelvaro-launcher"), QStringLiteral("_"),
                            QStringLiteral(":/i18n")))
            QApplication::installTranslator(&translator);
        if (qtTranslator.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QApplication::installTranslator(&qtTranslator);
    }
    if (variantName == u"right-to-left")
        QApplication::setLayoutDirection(Qt::RightToLeft);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/io.github.pelvaro.Launcher.svg")));
    if (!variantName.isEmpty())
        return variant(output, variantName);

    TestEnvironment env;
    LauncherState& state = env.makeState();
    MainWindow window(state);
    AppDelegate delegate(state, window);
    window.resize(820, 600);
    window.move(60, 60);
    window.show();
    delegate.applicationDidFinishLaunching();
    ContentView& view = *window.contentView();

    save(&window, output, QStringLiteral("01-empty-default-folder"));

    state.setFolderMode(FolderMode::custom);
    save(&window, output, QStringLiteral("02-custom-mode-empty-path"));

    writeSamples(env.defaultFolder());
    state.setFolderMode(FolderMode::defaultFolder);
    state.startProfile(state.profiles().at(1));
    save(&window, output, QStringLiteral("03-profiles-with-active"));

    state.setActiveProfileName(std::nullopt);
    env.workspace.launch(QStringLiteral("Pelvaro"));
    save(&window, output, QStringLiteral("04-pelvaro-running-unknown-profile"));
    RunningApplication running = env.workspace.runningApplications().first();
    env.workspace.quit(running);

    const auto showDialog = [&](const QString& name, const std::function<void()>& open) {
        open();
        settle();
        save(&window, output, name);
        if (AlertDialog* dialog = view.visibleDialog())
            dialog->reject();
        settle();
    };
    showDialog(QStringLiteral("05-error-dialog"), [&] {
        state.setErrorMessage(QStringLiteral("Could not read profile \"Broken.plist\"."));
    });
    showDialog(QStringLiteral("06-rename-dialog"),
               [&] { view.beginRename(state.profiles().first()); });
    showDialog(QStringLiteral("07-create-dialog"), [&] { view.beginQuitAndCreate(); });
    showDialog(QStringLiteral("08-delete-dialog"),
               [&] { view.beginDelete(state.profiles().first()); });
    showDialog(QStringLiteral("17-create-shortcut-dialog"),
               [&] { view.beginCreateShortcut(state.profiles().first()); });
    {
        // The row's menu, as a right click opens it.
        ProfileListView* list = view.profileListSection()->listView();
        const QModelIndex first = list->model()->index(0, 0);
        list->setCurrentIndex(first);
        QMenu* menu = list->contextMenuFor(first);
        menu->popup(list->viewport()->mapToGlobal(list->visualRect(first).center()));
        settle();
        save(&window, output, QStringLiteral("18-row-menu"));
        menu->close();
        settle();
    }

    state.startProfile(state.profiles().first());
    env.workspace.launch(QStringLiteral("Pelvaro MD"));
    // The real alert, answered by this timer once it is on screen.
    QTimer::singleShot(300, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible()) {
                save(box, output, QStringLiteral("09-quit-warning"));
                box->reject();
            }
        }
    });
    const bool quits = delegate.applicationShouldTerminate();
    std::printf("quit confirmed: %s\n", quits ? "yes" : "no");

    // The session changes two settings and quits: the profile's earlier
    // content is kept, and the status row says what changed.
    PlistDictionary changed;
    changed.insert(QStringLiteral("Theme"), PlistValue(QStringLiteral("Midnight")));
    changed.insert(QStringLiteral("Zoom"), PlistValue(1.5));
    env.preferences->setMultiple(changed, {});
    (void)env.preferences->synchronize();
    env.workspace.quit(env.workspace.runningApplications().first());
    save(&window, output, QStringLiteral("14-saved-notice"));
    const Profile saved = state.profiles().first();
    view.showHistory(saved);
    save(view.toolDialog(), output, QStringLiteral("15-history-dialog"));
    view.showComparison(state.profiles().at(1));
    save(view.toolDialog(), output, QStringLiteral("16-compare-dialog"));
    view.toolDialog()->close();

    // Syncthing left a conflicting copy of Work beside it: its row says so,
    // and its menu merges it.
    const QString copyPath =
        env.defaultFolder() + u"/Work.sync-conflict-20261207-101010-ABCDEF1.plist";
    if (!test_files::writeBinaryPlist(
            copyPath, PlistValue(test_files::dictionary(
                          {{QStringLiteral("Theme"), PlistValue(QStringLiteral("Daylight"))},
                           {QStringLiteral("Zoom"), PlistValue(1.25)},
                           {QStringLiteral("Sidebar"), PlistValue(true)}}))))
        qFatal("cannot write the conflicting copy");
    state.reloadProfiles();
    const std::optional<Profile> copy = state.listedProfile(copyPath);
    if (!copy)
        qFatal("the conflicting copy is not listed");
    {
        ProfileListView* list = view.profileListSection()->listView();
        QModelIndex row;
        for (int i = 0; i < list->model()->rowCount(); ++i) {
            if (list->model()->index(i, 0).data(ProfileListModel::ProfileRole).value<Profile>() ==
                *copy)
                row = list->model()->index(i, 0);
        }
        list->setCurrentIndex(row);
        QMenu* menu = list->contextMenuFor(row);
        menu->popup(list->viewport()->mapToGlobal(list->visualRect(row).center()));
        settle();
        save(&window, output, QStringLiteral("19-conflicting-copy-row"));
        menu->close();
        settle();
    }
    view.showMerge(*copy);
    save(view.toolDialog(), output, QStringLiteral("20-merge-dialog"));
    view.toolDialog()->close();
    return 0;
}
