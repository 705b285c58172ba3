#include "app/windowapplication.h"

#include "app/commandline.h"
#include "app/launcherrequests.h"
#include "app/singleinstance.h"
#include "app/terminaltext.h"
#include "state/launcherstate.h"
#include "ui/appdelegate.h"
#include "ui/firstpaint.h"
#include "ui/launcherstyle.h"
#include "ui/mainwindow.h"
#include "ui/qtfolderchooser.h"
#include "ui/startupfeedback.h"
#include "ui/startupwarmup.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QScopeGuard>
#include <QTimer>

#include <memory>
#include <utility>

using namespace launcher_requests;
using terminal_text::print;

namespace {

// How long the window icon and the access check wait for the first paint.
constexpr int windowIconPatienceMs = 1000;

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
            startup_feedback::complete(startupIdOf(request), activationTokenOf(request));
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
    // The folder's access line, blank until then, is filled in the same way,
    // and other launchers are heard from then on.
    const auto checkAccess = [&state, &instance, checked = std::make_shared<bool>(false)] {
        if (std::exchange(*checked, true))
            return;
        listenForOthers(instance);
        state.checkFolderAccess();
    };
    first_paint::afterFirstPaint(window, checkAccess);
    QTimer::singleShot(windowIconPatienceMs, &window, checkAccess);
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

int pelvaroLauncherRunWindow(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    std::optional<StartupWarmUp> warmUp;
    warmUp.emplace();
    QApplication app(argc, argv);
    // The helper uses the application's fonts: it ends before the application.
    const auto endWarmUp = qScopeGuard([&warmUp] { warmUp.reset(); });
    warmUp->guiApplicationReady();
    describeApplication();
    const Translations translations;
    const ParsedCommandLine parsed = command_line::parse(arguments);
    if (!parsed.request || parsed.request->kind != LaunchRequest::Kind::window) {
        print(stderr, parsed.output);
        return parsed.request ? 2 : parsed.exitCode;
    }
    std::unique_ptr<SingleInstance> instance;
    if (const std::optional<int> exitCode = activateOrClaim(instance))
        return *exitCode;
    return runWindow(*instance, &*warmUp);
}
