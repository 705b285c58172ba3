// A stand-in for Pelvaro: it reads its preferences domain at start, counts
// its launches there, lets the user edit settings, and writes the domain
// back when it is asked to quit (SIGTERM or closing its window).

#include "platform/desktopplatform.h"
#include "platform/preferencesstore.h"
#include "standinwindow.h"
#include "target/pelvaroapplication.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onTerminate(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

QString readyFilePath(pid_t pid)
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return (runtime.isEmpty() ? QDir::tempPath() : runtime) + u"/stand-in-pelvaro." +
           QString::number(pid) + u".ready";
}

} // namespace

int main(int argc, char** argv)
{
    // Held back until the handler below is in place, so that a quit request
    // that comes early is still answered by writing the domain back.
    sigset_t quitSignals;
    sigemptyset(&quitSignals);
    sigaddset(&quitSignals, SIGTERM);
    sigaddset(&quitSignals, SIGINT);
    ::sigprocmask(SIG_BLOCK, &quitSignals, nullptr);

    // Without a window there is no need for a display at all.
    bool headless = false;
    for (int i = 1; i < argc; ++i)
        headless = headless || QByteArray(argv[i]) == "--headless";
    std::unique_ptr<QCoreApplication> app = headless
                                                ? std::make_unique<QCoreApplication>(argc, argv)
                                                : std::make_unique<QApplication>(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stand-in Pelvaro"));
    parser.addHelpOption();
    const QCommandLineOption nameOption(QStringLiteral("name"),
                                        QStringLiteral("Process name (Pelvaro or Pelvaro MD)."),
                                        QStringLiteral("name"));
    const QCommandLineOption headlessOption(QStringLiteral("headless"),
                                            QStringLiteral("Run without a window."));
    const QCommandLineOption ignoreTermOption(QStringLiteral("ignore-term"),
                                              QStringLiteral("Refuse to quit on SIGTERM."));
    const QCommandLineOption setOption(QStringLiteral("set"),
                                       QStringLiteral("Set a string setting at start."),
                                       QStringLiteral("key=value"));
    const QCommandLineOption nameAfterOption(
        QStringLiteral("name-after"),
        QStringLiteral("Take the process name only after this many milliseconds."),
        QStringLiteral("ms"));
    const QCommandLineOption quitAtOnceOption(
        QStringLiteral("quit-at-once"),
        QStringLiteral(
            "Quit as soon as the settings are written, as a crash or a quick quit does."));
    parser.addOptions({nameOption, headlessOption, ignoreTermOption, setOption, nameAfterOption,
                       quitAtOnceOption});
    parser.process(*app);

    const QString name = parser.isSet(nameOption)
                             ? parser.value(nameOption)
                             : QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
    if (parser.isSet(nameAfterOption))
        QThread::msleep(parser.value(nameAfterOption).toULong());
    ::prctl(PR_SET_NAME, name.toUtf8().left(15).constData(), 0, 0, 0);

    const DesktopPlatform platform(pelvaro::identity(), DesktopPlatform::Scope::files);
    PreferencesStore store(*platform.services().fileSystem, QDir::homePath(),
                           pelvaro::bundleIdentifier);
    const QString counterKey = QStringLiteral("LaunchCount");
    const qint64 launches = store.copyMultiple({counterKey}).value(counterKey).toInteger().bits;
    PlistDictionary changes;
    changes.insert(counterKey, PlistValue::integer(launches + 1));
    changes.insert(QStringLiteral("LastRunAs"), PlistValue(name));
    for (const QString& assignment : parser.values(setOption)) {
        const qsizetype equals = assignment.indexOf(u'=');
        if (equals > 0)
            changes.insert(assignment.left(equals), PlistValue(assignment.mid(equals + 1)));
    }
    store.setMultiple(changes, {});
    if (parser.isSet(quitAtOnceOption))
        return store.synchronize() ? 0 : 1;

    ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe);
    QSocketNotifier terminateNotifier(signalPipe[0], QSocketNotifier::Read);
    const bool ignoreTerm = parser.isSet(ignoreTermOption);
    QObject::connect(&terminateNotifier, &QSocketNotifier::activated, [&] {
        char byte = 0;
        [[maybe_unused]] const ssize_t count = ::read(signalPipe[0], &byte, 1);
        if (!ignoreTerm)
            app->quit();
    });
    struct sigaction action
    {
    };
    action.sa_handler = onTerminate;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigprocmask(SIG_UNBLOCK, &quitSignals, nullptr);
    // Tells whoever started it that a quit request is now handled.
    const QString readyFile = readyFilePath(::getpid());
    QFile(readyFile).open(QIODevice::WriteOnly);

    std::unique_ptr<StandInWindow> window;
    if (!headless) {
        window = std::make_unique<StandInWindow>(store, name);
        window->show();
    }
    const int status = app->exec();
    const bool saved = bool(store.synchronize());
    QFile::remove(readyFile);
    return saved ? status : 1;
}
