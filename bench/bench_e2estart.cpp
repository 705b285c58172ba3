// The start as a user meets it: from the command to the moment Pelvaro is
// exec'd, for `pelvaro-launcher --start Work` with no launcher running, for
// the same handed over to an open window, and for the shell's way of doing
// the same (copy the profile over Pelvaro's preferences, then gio launch).
// Pelvaro is a tiny program that records the time of its exec and exits;
// the profile has 200 keys. The ways run in pairs, interleaved, in
// alternating order, so that a drift of the machine meets both alike.

#include "benchmark.h"
#include "plist/plistwriter.h"
#include "support/testenvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

qint64 monotonicNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

pid_t spawn(const QStringList& arguments, bool quiet = false)
{
    QList<QByteArray> encoded;
    for (const QString& argument : arguments)
        encoded.append(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& argument : encoded)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    if (quiet)
        ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

bool waitForExit(pid_t pid, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs * 10; ++waited) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid)
            return true;
        ::usleep(100);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return false;
}

class StartTimer
{
public:
    explicit StartTimer(QString stampFile) : m_stampFile(std::move(stampFile)) {}

    // Milliseconds from the spawn of the command to Pelvaro's exec, or a
    // negative value when Pelvaro did not start.
    double time(const QStringList& command)
    {
        QFile::remove(m_stampFile);
        const qint64 before = monotonicNs();
        const pid_t pid = spawn(command);
        if (pid < 0)
            return -1;
        qint64 execAt = 0;
        for (int waited = 0; waited < 100000 && execAt == 0; ++waited) {
            QFile stamp(m_stampFile);
            if (stamp.open(QIODevice::ReadOnly))
                execAt = stamp.readAll().trimmed().toLongLong();
            if (execAt == 0)
                ::usleep(100);
        }
        // The command-line launcher saves back before it exits.
        if (!waitForExit(pid, 15000) || execAt == 0)
            return -1;
        return double(execAt - before) / 1e6;
    }

private:
    QString m_stampFile;
};

struct Medians
{
    double launcher = 0;
    double shell = 0;
};

Medians timePairs(StartTimer& timer, const QStringList& launcherWay, const QStringList& shellWay,
                  int pairs, const std::function<void()>& settle)
{
    std::vector<double> launcher;
    std::vector<double> shell;
    for (int pair = 0; pair < pairs; ++pair) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool launcherTurn = (pair + turn) % 2 == 0;
            const double ms = timer.time(launcherTurn ? launcherWay : shellWay);
            if (ms < 0) {
                std::printf("Pelvaro did not start (%s)\n", launcherTurn ? "launcher" : "shell");
                std::exit(1);
            }
            (launcherTurn ? launcher : shell).push_back(ms);
            settle();
        }
    }
    return {bench::median(launcher), bench::median(shell)};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int pairs = qEnvironmentVariableIntValue("PELVARO_BENCH_RUNS") > 0
                          ? qEnvironmentVariableIntValue("PELVARO_BENCH_RUNS")
                          : 21;
    const QString home = QDir::homePath();
    const QString stampFile = home + u"/pelvaro-exec-stamp";
    // The launcher's own default folder in this home.
    const QString folder = qEnvironmentVariable("XDG_DATA_HOME") + u"/Pelvaro Launcher";
    QDir().mkpath(folder);
    QDir().mkpath(home + u"/Library/Preferences");
    PlistDictionary settings;
    for (int i = 0; i < 200; ++i)
        settings.insert(QStringLiteral("setting.%1").arg(i, 3, 10, QLatin1Char('0')),
                        i % 2 ? PlistValue::integer(i)
                              : PlistValue(QStringLiteral("value %1").arg(i)));
    const QString profile = folder + u"/Work.plist";
    bench::require(test_files::writeBytes(profile, PlistWriter::writeBinary(PlistValue(settings))),
                   "writing the profile");
    const QString applications = qEnvironmentVariable("XDG_DATA_HOME") + u"/applications";
    QDir().mkpath(applications);
    const QString entry = applications + u"/com.corvandel.pelvaro.desktop";
    bench::require(test_files::writeBytes(entry, "[Desktop Entry]\nType=Application\nName=Pelvaro\n"
                                                 "Exec=\"" EXEC_STAMP "\" \"" +
                                                     QFile::encodeName(stampFile) + "\"\n"),
                   "writing the desktop entry");

    const QString launcher = QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE);
    const QStringList launcherWay{launcher, QStringLiteral("--start"), QStringLiteral("Work")};
    const QString preferences = home + u"/Library/Preferences/com.corvandel.pelvaro.plist";
    const QStringList shellWay{QStringLiteral("/bin/sh"),
                               QStringLiteral("-c"),
                               QStringLiteral("cp \"$1\" \"$2\" && exec gio launch \"$3\""),
                               QStringLiteral("sh"),
                               profile,
                               preferences,
                               entry};
    StartTimer timer(stampFile);

    const Medians cli = timePairs(timer, launcherWay, shellWay, pairs, [] {});

    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Its messages about the offscreen platform are of no interest here.
    const pid_t window = spawn({launcher}, /*quiet=*/true);
    // Until the window listens for other launchers.
    ::usleep(2'000'000);
    // The window saves the session back after Pelvaro's exit.
    const Medians handedOver =
        timePairs(timer, launcherWay, shellWay, pairs, [] { ::usleep(150'000); });
    ::kill(window, SIGTERM);
    waitForExit(window, 10000);

    std::printf("profile: %lld keys; pairs: %d\n", qlonglong(settings.size()), pairs);
    bench::line("shell: cp + gio launch (median, first round)", cli.shell, "ms");
    bench::line("pelvaro-launcher --start, no window (median)", cli.launcher, "ms");
    bench::line("shell: cp + gio launch (median, second round)", handedOver.shell, "ms");
    bench::line("pelvaro-launcher --start, handed to the window", handedOver.launcher, "ms");
    std::printf("goal e2e-start-cli-vs-shell: %.2fx (target <= 1.5x)\n", cli.launcher / cli.shell);
    std::printf("goal e2e-start-window-vs-shell: %.2fx (target <= 1.25x)\n",
                handedOver.launcher / handedOver.shell);
    return 0;
}
