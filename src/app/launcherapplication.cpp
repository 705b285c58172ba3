#include "app/launcherapplication.h"

#include "app/commandline.h"
#include "app/profilecommands.h"
#include "app/profilelookup.h"
#include "app/runtimefolder.h"
#include "app/singleinstance.h"
#include "app/terminaltext.h"
#include "platform/desktopplatform.h"
#include "platform/filesystem.h"
#include "platform/userdefaults.h"
#include "platform/workspace.h"
#include "profiles/profilelisting.h"
#include "profiles/profileversions.h"
#include "state/launcherstate.h"
#include "target/pelvaroapplication.h"
#include "ui/appdelegate.h"
#include "ui/firstpaint.h"
#include "ui/launcherstyle.h"
#include "ui/mainwindow.h"
#include "ui/qtfolderchooser.h"
#include "ui/startupwarmup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QIcon>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QLocale>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

namespace {

using terminal_text::print;

constexpr int pelvaroStartTimeoutMs = 30000;
// How long a second launcher waits for the first to answer: longer than the
// first can be held up (a locked preferences domain, a slow disk).
constexpr int handOverPatienceMs = 60000;
// How long the window icon waits for the first paint.
constexpr int windowIconPatienceMs = 1000;

void describeApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("pelvaro-launcher"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELVARO_LAUNCHER_VERSION));
}

// The runtime folder, or none after saying why it cannot be used.
std::optional<QString> runtimeFolder()
{
    const Result<QString, RuntimeFolder::Refusal> folder = RuntimeFolder::locate();
    if (folder)
        return *folder;
    const bool tooLong = folder.error().reason == RuntimeFolder::Refusal::Reason::pathTooLong;
    const QString message =
        tooLong
            ? QCoreApplication::translate("CommandLine",
                                          "The folder \"%1\" cannot be used to reach the running "
                                          "launcher: its path is too long for a socket. Set "
                                          "XDG_RUNTIME_DIR or TMPDIR to a shorter folder.")
            : QCoreApplication::translate(
                  "CommandLine", "The folder \"%1\" cannot be used to reach the running "
                                 "launcher: it must be a folder of yours that only you can "
                                 "open. Remove it, or set XDG_RUNTIME_DIR.");
    print(stderr, message.arg(terminal_text::escaped(folder.error().path)));
    return std::nullopt;
}

// A launcher that others cannot reach says so: later starts would wait for
// its answer in vain.
void reportIfUnreachable(const SingleInstance& instance)
{
    if (const std::optional<int> failure = instance.listenFailure())
        print(stderr, QCoreApplication::translate("CommandLine",
                                                  "Other launchers cannot reach this one: %1")
                          .arg(qt_error_string(*failure)));
}

// A command line's request as it is handed to the running launcher.
QJsonObject handOverMessage(const LaunchRequest& request)
{
    const bool restore = request.kind == LaunchRequest::Kind::restore;
    QJsonObject message{
        {QStringLiteral("command"), restore ? QStringLiteral("restore") : QStringLiteral("start")},
        {QStringLiteral("name"), request.profileName}};
    if (restore)
        message.insert(QStringLiteral("version"), request.other.value_or(QString()));
    if (request.folder)
        message.insert(QStringLiteral("folder"), *request.folder);
    return message;
}

// Hands `request` to the launcher that holds the lock, or claims the lock.
// Returns the exit code when another launcher answered or none did, and
// none when this process is now the launcher instance.
std::optional<int> handOver(SingleInstance& instance, const QJsonObject& request)
{
    const SingleInstance::Outcome outcome =
        instance.claimOrHandOver(request, handOverPatienceMs, [] {
            print(stderr, QCoreApplication::translate("CommandLine",
                                                      "Waiting for the running launcher\u2026"));
        });
    switch (outcome.kind) {
    case SingleInstance::Outcome::Kind::claimed:
        reportIfUnreachable(instance);
        return std::nullopt;
    case SingleInstance::Outcome::Kind::answered:
        // What came over the socket reaches the terminal as text only.
        print(stderr,
              terminal_text::escaped(outcome.answer.value(QStringLiteral("message")).toString()));
        return outcome.answer.value(QStringLiteral("exitCode")).toInt(1);
    case SingleInstance::Outcome::Kind::wrongPeer:
        print(stderr, QCoreApplication::translate(
                          "CommandLine", "The launcher's socket belongs to another user."));
        return 1;
    case SingleInstance::Outcome::Kind::noAnswer:
        break;
    }
    print(stderr, QCoreApplication::translate(
                      "CommandLine", "Another Pelvaro Launcher is running but does not answer."));
    return 1;
}

QJsonObject reply(int exitCode, const QString& message = {})
{
    return {{QStringLiteral("exitCode"), exitCode}, {QStringLiteral("message"), message}};
}

// Why a request cannot be carried out, as the sentence to send back.
struct Refused
{
    QString message;
};

// The folder a request names, or the state's own.
Result<QString, Refused> requestedFolder(const LauncherState& state, FileSystem& fileSystem,
                                         const QJsonObject& request)
{
    const std::optional<QString> folder =
        request.contains(QStringLiteral("folder"))
            ? std::optional(request.value(QStringLiteral("folder")).toString())
            : state.currentFolderURL();
    if (!folder)
        return Refused{
            QCoreApplication::translate("CommandLine", "No profile folder is available.")};
    if (!fileSystem.isDirectory(*folder))
        return Refused{QCoreApplication::translate("CommandLine", "Folder does not exist.") +
                       u" (" + *folder + u')'};
    return *folder;
}

// Runs `action` on the state and gives back the message it set, if any; a
// message that was showing before is left showing.
Result<void, QString> withMessageOf(LauncherState& state, const std::function<void()>& action)
{
    const std::optional<QString> before = state.errorMessage();
    state.setErrorMessage(std::nullopt);
    action();
    const std::optional<QString> failure = state.errorMessage();
    if (!failure && before)
        state.setErrorMessage(before);
    if (failure)
        return *failure;
    return {};
}

// Starts a named profile on `state`, as the Start button would. On failure,
// the message to report.
Result<void, QString> startNamedProfile(LauncherState& state, FileSystem& fileSystem,
                                        const QJsonObject& request)
{
    const Result<QString, Refused> folder = requestedFolder(state, fileSystem, request);
    if (!folder)
        return folder.error().message;
    // The Start buttons are unavailable while Pelvaro runs; a request from
    // the command line also waits for a launch under way to be seen.
    if (state.isPelvaroRunning() || state.isLaunchPending())
        return QCoreApplication::translate(
            "CommandLine", "Pelvaro is already running; quit it before starting a profile.");
    const Result<Profile, QString> lookup =
        profile_lookup::find(profile_listing::listProfiles(fileSystem, *folder),
                             request.value(QStringLiteral("name")).toString(), *folder);
    if (!lookup)
        return lookup.error();
    return withMessageOf(state, [&] { state.startProfile(*lookup); });
}

// Restores a named version of a named profile on `state`, which refuses it
// while Pelvaro runs with that profile or is being launched with it: the
// save-back would overwrite the restore.
Result<void, QString> restoreNamedVersion(LauncherState& state, FileSystem& fileSystem,
                                          const QJsonObject& request)
{
    const Result<QString, Refused> folder = requestedFolder(state, fileSystem, request);
    if (!folder)
        return folder.error().message;
    const Result<Profile, QString> profile =
        profile_lookup::find(profile_listing::listProfiles(fileSystem, *folder),
                             request.value(QStringLiteral("name")).toString(), *folder);
    if (!profile)
        return profile.error();
    const QString versionName = request.value(QStringLiteral("version")).toString();
    const std::optional<ProfileVersion> version =
        ProfileVersions(fileSystem).find(profile->url, versionName);
    if (!version)
        return QCoreApplication::translate("CommandLine", "\"%1\" has no version named \"%2\".")
            .arg(profile->fileName(), versionName);
    return withMessageOf(state, [&] { state.restoreProfileVersion(*profile, *version); });
}

// What a launcher that holds the lock does with another's request: start or
// restore on its state, or nothing more (`activate`).
QJsonObject answerRequest(LauncherState& state, const QJsonObject& request)
{
    const QString command = request.value(QStringLiteral("command")).toString();
    Result<void, QString> done;
    if (command == u"start")
        done = startNamedProfile(state, state.fm(), request);
    else if (command == u"restore")
        done = restoreNamedVersion(state, state.fm(), request);
    return done ? reply(0) : reply(1, done.error());
}

// --start without a window: apply, launch, wait for Pelvaro to quit, save
// back. This process is the launcher instance for its whole run: it holds
// the lock, so that no other launcher starts a profile meanwhile, and it
// answers other launchers' requests by saying so. The launcher's settings
// are left as they are: this run keeps its own copy of them.
int startAsInstance(const LaunchRequest& request, SingleInstance& instance)
{
    LauncherState* running = nullptr;
    // A message of another launcher's request is that launcher's to print.
    bool answering = false;
    instance.setHandler([&running, &answering](const QJsonObject& other) {
        const QString command = other.value(QStringLiteral("command")).toString();
        if (command == u"restore" && running) {
            answering = true;
            const QJsonObject answer = answerRequest(*running, other);
            answering = false;
            return answer;
        }
        // A window cannot open in this process, which may have no display
        // at all (a terminal, a script, a remote shell).
        if (command == u"start")
            return reply(1, QCoreApplication::translate(
                                "CommandLine",
                                "Pelvaro is already running; quit it before starting a profile."));
        return reply(1, QCoreApplication::translate(
                            "CommandLine", "A profile started from the command line is running. "
                                           "The window can open once Pelvaro has quit."));
    });
    DesktopPlatform platform;
    PlatformServices services = platform.services();
    QTemporaryDir settingsFolder;
    UserDefaults privateDefaults(settingsFolder.filePath(QStringLiteral("launcher.conf")));
    for (const QString& key : {QStringLiteral("folderMode"), QStringLiteral("customFolderPath")}) {
        if (const std::optional<QString> value = services.userDefaults->stringForKey(key))
            privateDefaults.setString(key, *value);
    }
    services.userDefaults = &privateDefaults;
    LauncherState state(services);
    running = &state;
    const auto forgetState = qScopeGuard([&running] { running = nullptr; });

    if (const Result<void, QString> started =
            startNamedProfile(state, *services.fileSystem, handOverMessage(request));
        !started) {
        print(stderr, started.error());
        return 1;
    }

    int exitCode = 0;
    bool sawRunning = state.isPelvaroRunning();
    const auto finish = [&](const std::optional<QString>& message) {
        if (message) {
            print(stderr, *message);
            exitCode = 1;
        }
        QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    };
    QObject::connect(&state, &LauncherState::isPelvaroRunningChanged, &state,
                     [&] { sawRunning = sawRunning || state.isPelvaroRunning(); });
    // Pelvaro could not be opened: said at once, not after the wait.
    QObject::connect(&state, &LauncherState::errorMessageChanged, &state, [&] {
        if (!sawRunning && !answering && state.errorMessage())
            finish(state.errorMessage());
    });
    // The quit handling ends by clearing the active profile.
    QObject::connect(&state, &LauncherState::activeProfileNameChanged, &state, [&] {
        if (sawRunning && !state.activeProfileName())
            finish(state.errorMessage());
    });
    QTimer::singleShot(pelvaroStartTimeoutMs, &state, [&] {
        if (!sawRunning)
            finish(QCoreApplication::translate("CommandLine", "Pelvaro did not start."));
    });
    QCoreApplication::exec();
    return exitCode;
}

// The launcher's own texts, built in, and Qt's (standard buttons, the
// text fields' menus) from the system's Qt translations.
class Translations
{
public:
    Translations()
    {
        if (m_own.load(QLocale(), QStringLiteral("pelvaro-launcher"), QStringLiteral("_"),
                       QStringLiteral(":/i18n")))
            m_installed = QCoreApplication::installTranslator(&m_own);
        if (m_qt.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            m_installed = QCoreApplication::installTranslator(&m_qt) || m_installed;
    }
    // Whether any text may now read otherwise than in English.
    bool installed() const { return m_installed; }

private:
    bool m_installed = false;
    QTranslator m_own;
    QTranslator m_qt;
};

int runWindow(SingleInstance& instance, StartupWarmUp* warmUp)
{
    QApplication::setApplicationDisplayName(QStringLiteral("Pelvaro Launcher"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.pelvaro.Launcher"));

    LauncherStyle::install();
    LauncherState& state = LauncherState::shared();
    // The helper orders the profiles while this thread builds the window.
    if (warmUp)
        warmUp->runBeside(state.firstListingOrder());
    // The window's first text would otherwise load fontconfig a second
    // time, in parallel, whenever the helper is not done with it yet.
    if (warmUp)
        warmUp->waitForFontconfig();
    MainWindow window(state);
    QtFolderChooser chooser(&window);
    state.setFolderChooser(&chooser);
    // The state outlives this function; the chooser does not.
    const auto forgetChooser = qScopeGuard([&state] { state.setFolderChooser(nullptr); });
    AppDelegate delegate(state, window);
    instance.setHandler([&](const QJsonObject& request) {
        // A script's restore changes a file; it does not call the window.
        if (request.value(QStringLiteral("command")).toString() != u"restore") {
            // Brought forward as it was: a maximised window stays maximised.
            window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
            window.show();
            window.raise();
            window.activateWindow();
        }
        return answerRequest(state, request);
    });
    // Before the first layout, which then has the rows.
    state.finishFirstListing();
    window.resize(820, 640);
    // Set once the window has been painted: rendering the icon loads the SVG
    // plugins, which the first paint need not wait for. A window that is
    // not painted soon (started minimised) gets it all the same. Hooked
    // before the benchmark's report, which therefore comes first.
    const auto setIcon = [] {
        if (QApplication::windowIcon().isNull())
            QApplication::setWindowIcon(
                QIcon(QStringLiteral(":/icons/io.github.pelvaro.Launcher.svg")));
    };
    first_paint::afterFirstPaint(window, setIcon);
    QTimer::singleShot(windowIconPatienceMs, &window, setIcon);
    if (qEnvironmentVariableIsSet("PELVARO_EXIT_AFTER_FIRST_PAINT")) {
        // For the start-up benchmark: report once the window has been painted
        // on screen, then quit.
        first_paint::reportThenQuit(window, [] {
            QFile status(QStringLiteral("/proc/self/status"));
            if (status.open(QIODevice::ReadOnly)) {
                for (const QByteArray& line : status.readAll().split('\n')) {
                    if (line.startsWith("VmRSS:"))
                        print(stdout, QString::fromLatin1(line.simplified()));
                }
            }
        });
    }
    window.show();
    delegate.applicationDidFinishLaunching();
    return QApplication::exec();
}

} // namespace

int runLauncher(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    describeApplication();
    // The window needs the widget application; everything else a plain one.
    // Both exist before the texts are read, so that they are translated.
    const ParsedCommandLine peek = command_line::parse(arguments);
    const bool window = peek.request && peek.request->kind == LaunchRequest::Kind::window;
    std::optional<StartupWarmUp> warmUp;
    if (window)
        warmUp.emplace();
    std::unique_ptr<QCoreApplication> app = window ? std::make_unique<QApplication>(argc, argv)
                                                   : std::make_unique<QCoreApplication>(argc, argv);
    // The helper uses the application's fonts: it ends before the application.
    const auto endWarmUp = qScopeGuard([&warmUp] { warmUp.reset(); });
    if (warmUp)
        warmUp->guiApplicationReady();
    describeApplication();
    const Translations translations;
    // Read again only when its texts can change.
    const ParsedCommandLine parsed =
        translations.installed() ? command_line::parse(arguments) : peek;
    if (!parsed.request) {
        print(stderr, parsed.output);
        return parsed.exitCode;
    }
    LaunchRequest request = *parsed.request;
    // The running launcher has another working folder than this command.
    if (request.folder)
        request.folder = QDir::cleanPath(QDir::current().absoluteFilePath(*request.folder));
    switch (request.kind) {
    case LaunchRequest::Kind::help:
    case LaunchRequest::Kind::version:
        print(stdout, parsed.output);
        return 0;
    case LaunchRequest::Kind::list:
        return profile_commands::list(request);
    case LaunchRequest::Kind::show:
        return profile_commands::show(request);
    case LaunchRequest::Kind::diff:
        return profile_commands::diff(request);
    case LaunchRequest::Kind::history:
        return profile_commands::history(request);
    case LaunchRequest::Kind::restore:
    case LaunchRequest::Kind::start: {
        // A running launcher may be starting or running Pelvaro with the
        // profile: it carries the request out, or refuses it.
        const std::optional<QString> folder = runtimeFolder();
        if (!folder)
            return 1;
        SingleInstance instance(*folder);
        if (const std::optional<int> exitCode = handOver(instance, handOverMessage(request)))
            return *exitCode;
        // None runs, and this process holds the lock until it is done, so
        // that none starts a profile meanwhile.
        if (request.kind == LaunchRequest::Kind::restore)
            return profile_commands::restore(request);
        return startAsInstance(request, instance);
    }
    case LaunchRequest::Kind::window:
        break;
    }
    const std::optional<QString> folder = runtimeFolder();
    if (!folder)
        return 1;
    SingleInstance instance(*folder);
    if (const std::optional<int> exitCode =
            handOver(instance, {{QStringLiteral("command"), QStringLiteral("activate")}}))
        return *exitCode;
    return runWindow(instance, warmUp ? &*warmUp : nullptr);
}
