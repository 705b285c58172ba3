// 1,000 profile files copied into the watched folder in one burst, by
// another process: the time until the list holds all of them, and the
// number of reloads it took.

#include "benchmark.h"
#include "platform/directorywatch.h"
#include "state/launcherstate.h"
#include "support/testenvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestEnvironment env;
    QDir().mkpath(env.defaultFolder());
    const QString source = env.makeFolder(QStringLiteral("source"));
    for (int i = 0; i < 1000; ++i)
        test_files::writeBytes(source + u"/Burst " + QString::number(i) + u".plist",
                               QByteArray(2048, 'x'));
    LauncherState& state = env.makeState();
    int reloads = 0;
    QObject::connect(const_cast<DirectoryWatch*>(state.folderMonitorSource()),
                     &DirectoryWatch::eventsReceived, &state, [&] { ++reloads; });
    QElapsedTimer timer;
    QProcess copy;
    timer.start();
    copy.start(QStringLiteral("sh"),
               {QStringLiteral("-c"), QStringLiteral("cp \"$0\"/*.plist \"$1\"/"), source,
                env.defaultFolder()});
    bench::waitFor([&] { return state.profiles().size() >= 1000; }, 30000);
    const double visible = double(timer.nsecsElapsed()) / 1e6;
    copy.waitForFinished();
    std::printf("profiles listed: %lld\n", qlonglong(state.profiles().size()));
    std::printf("goal burst-1000-visible: %.1f ms (target <= 1000 ms)\n", visible);
    std::printf("goal burst-1000-reloads: %d (target <= 20)\n", reloads);
    return 0;
}
