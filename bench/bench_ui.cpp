// The window with many profiles: the time from a reload that changes one
// file's date to the list painted again (10,000 profiles); the launcher's
// cold start to its first painted window with 1,000 profiles against a
// bare Qt Widgets window that shows one line of text, both timed to the
// moment they report that paint; and the resident memory with 10,000
// profiles against an empty folder.

#include "benchmark.h"
#include "state/launcherstate.h"
#include "support/testenvironment.h"
#include "ui/contentview.h"
#include "ui/mainwindow.h"
#include "ui/profilelistsection.h"
#include "ui/profilelistview.h"

#include <QApplication>
#include <QDir>
#include <QListView>
#include <QProcess>
#include <QTemporaryDir>

namespace {

void fill(const QString& folder, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i)
        bench::require(
            test_files::writeBytes(folder + u"/Profile " + QString::number(i) + u".plist", "x"),
            "writing a profile");
}

struct LauncherRun
{
    double wallMs = 0;
    double rssKiB = 0;
};

// A sandbox of the tests' own layout (scripts/sandbox) under `root`, with
// `profiles` profiles, as the environment that points at it.
QProcessEnvironment makeSandbox(QTemporaryDir& root, const QString& name, int profiles)
{
    const QString sandbox = root.filePath(name);
    QProcess layout;
    layout.start(QStringLiteral(TESTS_SOURCE_DIR "/../scripts/sandbox"), {sandbox});
    bench::require(layout.waitForFinished(10000) && layout.exitCode() == 0, "making a sandbox");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QByteArray& line : layout.readAllStandardOutput().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            environment.insert(QString::fromLocal8Bit(line.left(equals)),
                               QString::fromLocal8Bit(line.mid(equals + 1)));
    }
    fill(environment.value(QStringLiteral("XDG_DATA_HOME")) + u"/Pelvaro Launcher", profiles);
    return environment;
}

LauncherRun runExecutable(const QString& program, QProcessEnvironment environment,
                          const QStringList& arguments = {})
{
    QProcess process;
    environment.insert(QStringLiteral("PELVARO_EXIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    // The time is taken when the program reports its first paint, not when
    // it has exited: closing a file watch, for one, waits in the kernel.
    LauncherRun run;
    QByteArray output;
    while (!output.contains("first paint\n") && process.waitForReadyRead(60000))
        output += process.readAllStandardOutput();
    run.wallMs = double(timer.nsecsElapsed()) / 1e6;
    process.waitForFinished(60000);
    output += process.readAllStandardOutput();
    for (const QByteArray& line : output.split('\n')) {
        if (line.startsWith("VmRSS:"))
            run.rssKiB = line.simplified().split(' ').value(1).toDouble();
    }
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Start-up first: the list's 10,000 files, deleted afterwards, would
    // slow every file the launcher makes for a minute or more (ext4 passes
    // over recently deleted inodes).
    QTemporaryDir root;
    const QString launcher = QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE);
    const QString bare = QCoreApplication::applicationDirPath() + u"/bare_window";
    const QProcessEnvironment thousand = makeSandbox(root, QStringLiteral("thousand"), 1000);
    const QProcessEnvironment tenThousand =
        makeSandbox(root, QStringLiteral("ten-thousand"), 10000);
    const QProcessEnvironment empty = makeSandbox(root, QStringLiteral("empty"), 0);
    std::vector<double> launcherTimes;
    std::vector<double> bareTimes;
    std::vector<double> bareTextTimes;
    runExecutable(launcher, thousand);
    runExecutable(bare, thousand);
    // Start-up times of a few tens of milliseconds move with whatever else
    // the machine does: many interleaved rounds keep the medians steady.
    std::vector<double> pairedRatios;
    for (int i = 0; i < 21; ++i) {
        launcherTimes.push_back(runExecutable(launcher, thousand).wallMs);
        bareTimes.push_back(runExecutable(bare, thousand).wallMs);
        bareTextTimes.push_back(runExecutable(bare, thousand, {QStringLiteral("--text")}).wallMs);
        pairedRatios.push_back(launcherTimes.back() / bareTextTimes.back());
    }
    const double launcherStart = bench::median(launcherTimes);
    const double bareStart = bench::median(bareTimes);
    std::vector<double> fullRss;
    std::vector<double> emptyRss;
    for (int i = 0; i < 3; ++i) {
        fullRss.push_back(runExecutable(launcher, tenThousand).rssKiB);
        emptyRss.push_back(runExecutable(launcher, empty).rssKiB);
    }
    {
        TestEnvironment env;
        fill(env.defaultFolder(), 10000);
        LauncherState& state = env.makeState();
        MainWindow window(state);
        window.resize(820, 640);
        window.show();
        QListView* list = window.contentView()->profileListSection()->listView();
        list->scrollTo(list->model()->index(5000, 0), QAbstractItemView::PositionAtTop);
        QCoreApplication::processEvents();
        int round = 0;
        const double refresh = bench::medianMs(15, [&] {
            test_files::setModificationTime(env.defaultFolder() + u"/Profile 5001.plist",
                                            1'600'000'000 + ++round);
            state.reloadProfiles();
            list->viewport()->repaint();
        });
        bench::line("list refresh, 10k profiles, one date changed", refresh, "ms (median)");
        std::printf("goal list-refresh-10k: %.1f ms (target <= 100 ms)\n", refresh);
    }

    const double extraMiB = (bench::median(fullRss) - bench::median(emptyRss)) / 1024.0;
    bench::line("launcher start to first paint, 1k profiles", launcherStart, "ms (median)");
    bench::line("bare Qt Widgets window, no text (context)", bareStart, "ms (median)");
    bench::line("bare window with one line of text", bench::median(bareTextTimes), "ms (median)");
    bench::line("launcher against the one-line window, run by run", bench::median(pairedRatios),
                "x (median, context)");
    bench::line("resident memory, 10k profiles", bench::median(fullRss) / 1024.0, "MiB");
    bench::line("resident memory, empty folder", bench::median(emptyRss) / 1024.0, "MiB");
    // A window that draws no text never loads the fonts; the fair floor is
    // a window that shows one line.
    std::printf("goal startup-vs-one-line-window: %.2fx (target <= 1.5x)\n",
                launcherStart / bench::median(bareTextTimes));
    std::printf("goal memory-10k-extra: %.1f MiB (target <= 30 MiB)\n", extraMiB);
    return 0;
}
