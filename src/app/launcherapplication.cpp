#include "app/launcherapplication.h"

#include "app/commandline.h"
#include "app/profilelookup.h"
#include "app/singleinstance.h"
#include "platform/filesystem_linux.h"
#include "platform/platformservices.h"
#include "platform/userdefaults.h"
#include "platform/workspace.h"
#include "profiles/profilelisting.h"
#include "state/launcherstate.h"
#include "target/pelvaroapplication.h"
#include "ui/appdelegate.h"
#include "ui/firstpaint.h"
#include "ui/fontwarmup.h"
#include "ui/mainwindow.h"
#include "ui/qtfolderchooser.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QLocale>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

#include <cstdio>

namespace {

constexpr int pelvaroStartTimeoutMs = 30000;

void print(std::FILE* stream, const QString& text)
{
    if (text.isEmpty())
        return;
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    if (!text.endsWith(u'\n'))
        std::fputc('\n', stream);
    std::fflush(stream);
}

void describeApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("pelvaro-launcher"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELVARO_LAUNCHER_VERSION));
}

QString runtimeFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath() + u"/pelvaro-launcher-" + QString::number(::getuid());
    return folder;
}

QJsonObject reply(int exitCode, const QString& message = {})
{
    return {{QStringLiteral("exitCode"), exitCode}, {QStringLiteral("message"), message}};
}

// Starts a named profile on `state`, as the Start button would. Returns the
// message to report, empty on success.
QString startNamedProfile(LauncherState& state, FileSystem& fileSystem, const QString& name,
                          const std::optional<QString>& folderOverride)
{
    const std::optional<QString> folder =
        folderOverride ? folderOverride : state.currentFolderURL();
    if (!folder)
        return QStringLiteral("No profile folder is available.");
    if (!fileSystem.isDirectory(*folder))
        return QCoreApplication::translate("CommandLine", "Folder does not exist.") + u" (" +
               *folder + u')';
    // The Start buttons are unavailable while Pelvaro runs.
    if (state.isPelvaroRunning())
        return QCoreApplication::translate(
            "CommandLine", "Pelvaro is already running; quit it before starting a profile.");
    const ProfileLookup lookup =
        ProfileLookup::find(profile_listing::listProfiles(fileSystem, *folder), name, *folder);
    if (!lookup.profile)
        return lookup.error;
    const std::optional<QString> before = state.errorMessage();
    state.setErrorMessage(std::nullopt);
    state.startProfile(*lookup.profile);
    const std::optional<QString> failure = state.errorMessage();
    if (!failure && before)
        state.setErrorMessage(before);
    return failure.value_or(QString());
}

int listProfiles(const LaunchRequest& request)
{
    LinuxFileSystem fileSystem;
    UserDefaults userDefaults;
    PlatformServices services;
    services.fileSystem = &fileSystem;
    services.userDefaults = &userDefaults;
    services.homePath = QDir::homePath();
    services.applicationSupportPath =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const std::optional<QString> folder =
        request.folder ? request.folder : LauncherState::folderFromSettings(services);
    if (!folder) {
        print(stderr, QStringLiteral("No profile folder is available."));
        return 1;
    }
    if (!fileSystem.isDirectory(*folder)) {
        print(stderr, QCoreApplication::translate("CommandLine", "Folder does not exist.") + u" (" +
                          *folder + u')');
        return 1;
    }
    for (const Profile& profile : profile_listing::listProfiles(fileSystem, *folder))
        print(stdout, profile.fileName());
    return 0;
}

// --start without a window: apply, launch, wait for Pelvaro to quit, save
// back. The launcher's settings are left as they are: this run keeps its
// own copy of them.
int startWithoutWindow(const LaunchRequest& request)
{
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

    const QString failure =
        startNamedProfile(state, *services.fileSystem, request.profileName, request.folder);
    if (!failure.isEmpty()) {
        print(stderr, failure);
        return 1;
    }
    if (!services.workspace->urlForApplication(pelvaro::bundleIdentifier))
        return 1; // the log line has said why

    int exitCode = 0;
    bool sawRunning = state.isPelvaroRunning();
    QObject::connect(&state, &LauncherState::isPelvaroRunningChanged, &state,
                     [&] { sawRunning = sawRunning || state.isPelvaroRunning(); });
    // The quit handling ends by clearing the active profile.
    QObject::connect(&state, &LauncherState::activeProfileNameChanged, &state, [&] {
        if (!sawRunning || state.activeProfileName())
            return;
        if (const std::optional<QString> message = state.errorMessage()) {
            print(stderr, *message);
            exitCode = 1;
        }
        QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    });
    QTimer::singleShot(pelvaroStartTimeoutMs, &state, [&] {
        if (sawRunning)
            return;
        print(stderr, QCoreApplication::translate("CommandLine", "Pelvaro did not start."));
        exitCode = 1;
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    return exitCode;
}

int runWindow(SingleInstance& instance)
{
    QTranslator translator;
    if (translator.load(QLocale(), QStringLiteral("pelvaro-launcher"), QStringLiteral("_"),
                        QStringLiteral(":/i18n")))
        QCoreApplication::installTranslator(&translator);
    QApplication::setApplicationDisplayName(QStringLiteral("Pelvaro Launcher"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.pelvaro.Launcher"));

    LauncherState& state = LauncherState::shared();
    MainWindow window(state);
    QtFolderChooser chooser(&window);
    state.setFolderChooser(&chooser);
    AppDelegate delegate(state, window);
    LinuxFileSystem fileSystem;
    instance.setHandler([&](const QJsonObject& request) {
        const QString command = request.value(QStringLiteral("command")).toString();
        window.showNormal();
        window.raise();
        window.activateWindow();
        if (command != u"start")
            return reply(0);
        const std::optional<QString> folder =
            request.contains(QStringLiteral("folder"))
                ? std::optional(request.value(QStringLiteral("folder")).toString())
                : std::nullopt;
        const QString failure = startNamedProfile(
            state, fileSystem, request.value(QStringLiteral("name")).toString(), folder);
        return reply(failure.isEmpty() ? 0 : 1, failure);
    });
    window.resize(820, 640);
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
    const ParsedCommandLine parsed = command_line::parse(arguments);
    if (!parsed.request) {
        print(stderr, parsed.output);
        return parsed.exitCode;
    }
    const LaunchRequest& request = *parsed.request;
    switch (request.kind) {
    case LaunchRequest::Kind::help:
    case LaunchRequest::Kind::version:
        print(stdout, parsed.output);
        return 0;
    case LaunchRequest::Kind::list: {
        QCoreApplication app(argc, argv);
        describeApplication();
        return listProfiles(request);
    }
    case LaunchRequest::Kind::start: {
        QCoreApplication app(argc, argv);
        describeApplication();
        SingleInstance instance(runtimeFolder());
        QJsonObject message{{QStringLiteral("command"), QStringLiteral("start")},
                            {QStringLiteral("name"), request.profileName}};
        if (request.folder)
            message.insert(QStringLiteral("folder"), *request.folder);
        if (const std::optional<QJsonObject> answer = instance.send(message)) {
            print(stderr, answer->value(QStringLiteral("message")).toString());
            return answer->value(QStringLiteral("exitCode")).toInt(1);
        }
        return startWithoutWindow(request);
    }
    case LaunchRequest::Kind::window:
        break;
    }
    QApplication app(argc, argv);
    const FontWarmUp fonts;
    describeApplication();
    SingleInstance instance(runtimeFolder());
    if (!instance.claim()) {
        if (instance.send({{QStringLiteral("command"), QStringLiteral("activate")}}))
            return 0;
        print(stderr,
              QCoreApplication::translate(
                  "CommandLine", "Another Pelvaro Launcher is running but does not answer."));
        return 1;
    }
    return runWindow(instance);
}
