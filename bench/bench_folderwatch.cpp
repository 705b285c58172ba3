// Files created in the watched folder by another thread while the launcher
// runs, as another program would make them:
// - 1,000 files at once into an empty folder: the time from the last file
//   created to the list holding all of them, and how many listings it took;
// - 2,000 files 2 ms apart into a folder of 50,000 profiles: the launcher's
//   CPU time (its main thread) until the list holds all of them, and the
//   time from the last file created to that moment.

#include "benchmark.h"
#include "platform/directorywatch.h"
#include "state/launcherstate.h"
#include "support/testenvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QThread>

#include <atomic>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace {

double threadCpuSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

void makeFile(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
        [[maybe_unused]] const ssize_t written = ::write(fd, "bplist00", 8);
        ::close(fd);
    }
}

struct BurstResult
{
    double visibleMs = -1;
    double mainThreadCpuS = 0;
    int batches = 0;
    int reloads = 0;
};

// Creates `count` files named "<prefix> N.plist", `gapMs` apart, from another
// thread, and waits until the list holds `expected` profiles.
BurstResult burst(TestEnvironment& env, LauncherState& state, const QString& folder,
                  const QString& prefix, int count, int gapMs, qsizetype expected)
{
    BurstResult result;
    const int listingsBefore = env.fileSystem.listings;
    QObject::connect(const_cast<DirectoryWatch*>(state.folderMonitorSource()),
                     &DirectoryWatch::eventsReceived, &state, [&] { ++result.batches; });
    QElapsedTimer clock;
    std::atomic<qint64> lastCreatedNs{0};
    std::unique_ptr<QThread> creator(QThread::create([&] {
        for (int i = 0; i < count; ++i) {
            makeFile(
                QFile::encodeName(folder + u'/' + prefix + u' ' + QString::number(i) + u".plist"));
            if (gapMs > 0)
                QThread::msleep(ulong(gapMs));
        }
        lastCreatedNs = clock.nsecsElapsed();
    }));
    const double cpuBefore = threadCpuSeconds();
    clock.start();
    creator->start();
    bench::waitFor([&] { return lastCreatedNs.load() != 0 && state.profiles().size() >= expected; },
                   120000);
    const qint64 doneNs = clock.nsecsElapsed();
    result.mainThreadCpuS = threadCpuSeconds() - cpuBefore;
    creator->wait();
    result.reloads = env.fileSystem.listings - listingsBefore;
    if (state.profiles().size() >= expected)
        result.visibleMs = double(doneNs - lastCreatedNs.load()) / 1e6;
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    {
        TestEnvironment env;
        QDir().mkpath(env.defaultFolder());
        LauncherState& state = env.makeState();
        const BurstResult small =
            burst(env, state, env.defaultFolder(), QStringLiteral("Burst"), 1000, 0, 1000);
        std::printf("goal burst-1000-visible: %.1f ms (target <= 1000 ms)\n", small.visibleMs);
        bench::line("batches of events during the burst", small.batches, "");
        std::printf("goal burst-1000-reloads: %d (target <= 20)\n", small.reloads);
    }
    {
        TestEnvironment env;
        const QString folder = env.defaultFolder();
        QDir().mkpath(folder);
        for (int i = 0; i < 50000; ++i)
            makeFile(QFile::encodeName(folder + u"/Profile " + QString::number(i) + u".plist"));
        LauncherState& state = env.makeState();
        std::printf("profiles listed: %lld\n", qlonglong(state.profiles().size()));
        const BurstResult big = burst(env, state, folder, QStringLiteral("Burst"), 2000, 2, 52000);
        bench::line("batches of events during the big burst", big.batches, "");
        bench::line("reloads during the big burst", big.reloads, "");
        std::printf("goal big-burst-cpu: %.2f s (target <= 1.5 s)\n", big.mainThreadCpuS);
        std::printf("goal big-burst-visible: %.1f ms (target <= 500 ms)\n", big.visibleMs);
    }
    return 0;
}
