#include "app/launcherapplication.h"

#include "app/commandline.h"
#include "app/launcherrequests.h"
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
#include "state/savenotice.h"
#include "target/pelvaroapplication.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QScopeGuard>
#include <QTimer>

#include <QFileInfo>

#include <cstdio>
#include <dlfcn.h>
#include <unistd.h>

namespace {

using namespace launcher_requests;
using terminal_text::print;

constexpr int pelvaroStartTimeoutMs = 30000;

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
    DesktopPlatform platform(pelvaro::identity());
    PlatformServices services = platform.services();
    services.workspace->prepareToOpen(pelvaro::bundleIdentifier);
    UserDefaults privateDefaults{UserDefaults::InMemory{}};
    for (const QString& key : {QStringLiteral("folderMode"), QStringLiteral("customFolderPath")}) {
        if (const std::optional<QString> value = services.userDefaults->stringForKey(key))
            privateDefaults.setString(key, *value);
    }
    services.userDefaults = &privateDefaults;
    LauncherState state(services, nullptr, LauncherState::FirstListing::inOrder,
                        LauncherState::AccessCheck::byCaller);
    running = &state;
    const auto forgetState = qScopeGuard([&running] { running = nullptr; });

    if (const Result<void, RequestRefusal> started =
            startNamedProfile(state, *services.fileSystem, handOverMessage(request));
        !started) {
        print(stderr, describe(started.error()));
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
    // A profile merged with changes made elsewhere says so; the exit code
    // stays 0, as nothing went wrong.
    QObject::connect(&state, &LauncherState::lastSaveSummaryChanged, &state, [&] {
        if (const std::optional<SaveSummary> summary = state.lastSaveSummary();
            summary && save_notice::merged(*summary))
            print(stderr, save_notice::text(*summary));
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

// The window lives in a module loaded only to open one, so that a command
// that opens none loads no widget toolkit: Qt Widgets, Qt Gui and what they
// pull in took about 6 ms of every command's start (bench_e2estart). It
// lies beside this program in the build, and in a private folder once
// installed.
int runWindowModule(int argc, char** argv)
{
    const QByteArray self =
        QFile::encodeName(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget());
    QByteArray module = self.left(self.lastIndexOf('/') + 1) + "pelvaro-launcher-window.so";
    if (::access(module.constData(), R_OK) != 0)
        module = PELVARO_WINDOW_MODULE;
    void* library = ::dlopen(module.constData(), RTLD_NOW | RTLD_LOCAL);
    using RunWindow = int (*)(int, char**);
    const auto run = library
                         ? reinterpret_cast<RunWindow>(::dlsym(library, "pelvaroLauncherRunWindow"))
                         : nullptr;
    if (!run) {
        std::fprintf(stderr, "pelvaro-launcher: %s\n", ::dlerror());
        return 1;
    }
    // The module stays loaded: Qt's types and plugins outlive this call.
    return run(argc, argv);
}

// Whether a window could open at all: Qt aborts where it finds no display.
bool hasDisplay()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    // Another platform (offscreen, vnc, eglfs) needs no display server.
    if (!platform.isEmpty() && !platform.startsWith(u"xcb") && !platform.startsWith(u"wayland"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Without a display, the window that is already open is still brought
// forward; none can open here.
int activateWithoutDisplay(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    describeApplication();
    const Translations translations;
    std::unique_ptr<SingleInstance> instance;
    if (const std::optional<int> exitCode = activateOrClaim(instance))
        return *exitCode;
    print(stderr, QCoreApplication::translate(
                      "CommandLine", "There is no display to open the window on (neither DISPLAY "
                                     "nor WAYLAND_DISPLAY is set). The commands, such as --list, "
                                     "work without one."));
    return 1;
}

int runCommand(const ParsedCommandLine& parsed)
{
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
    case LaunchRequest::Kind::createShortcut:
        return profile_commands::createShortcut(request);
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
    Q_UNREACHABLE();
    return 1;
}

} // namespace

int runLauncher(int argc, char** argv)
{
    DesktopPlatform::keepInheritedDescriptorsFromChildren();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    describeApplication();
    const ParsedCommandLine peek = command_line::parse(arguments);
    if (peek.request && peek.request->kind == LaunchRequest::Kind::window)
        return hasDisplay() ? runWindowModule(argc, argv) : activateWithoutDisplay(argc, argv);
    // GIO loads beside Qt's start and the profile's apply (bench_e2estart),
    // in the launcher that will open Pelvaro: a start handed to a running
    // launcher would only take a core from it.
    if (peek.request && peek.request->kind == LaunchRequest::Kind::start) {
        if (const Result<QString, RuntimeFolder::Refusal> runtime = RuntimeFolder::locate();
            !runtime || !SingleInstance::isHeldIn(*runtime))
            DesktopPlatform::prepareToOpen(pelvaro::identity());
    }
    // Before the texts are read, so that they are translated.
    QCoreApplication app(argc, argv);
    describeApplication();
    const Translations translations;
    // Read again only when its texts can change.
    const ParsedCommandLine parsed =
        translations.installed() ? command_line::parse(arguments) : peek;
    if (!parsed.request) {
        print(stderr, parsed.output);
        return parsed.exitCode;
    }
    const int exitCode = runCommand(parsed);
    if (terminal_text::finishOutput())
        return exitCode;
    // --diff keeps 1 for "they differ".
    return parsed.request->kind == LaunchRequest::Kind::diff ? 2 : 1;
}
