// reloadProfiles over 10,000 profile files and 2,000 other entries, against
// a plain readdir pass with one stat per entry over the same folder.

#include "benchmark.h"
#include "state/launcherstate.h"
#include "support/testenvironment.h"

#include <QCoreApplication>
#include <QDir>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestEnvironment env;
    const QString folder = env.defaultFolder();
    QDir().mkpath(folder);
    for (int i = 0; i < 10000; ++i)
        test_files::writeBytes(folder + u"/Profile " + QString::number(i) + u".plist", "x");
    for (int i = 0; i < 1000; ++i)
        test_files::writeBytes(folder + u"/notes " + QString::number(i) + u".txt", "x");
    for (int i = 0; i < 1000; ++i)
        QDir(folder).mkdir(u"folder " + QString::number(i));
    LauncherState& state = env.makeState();
    std::printf("profiles listed: %lld\n", qlonglong(state.profiles().size()));

    const double reload = bench::medianMs(15, [&] { state.reloadProfiles(); });
    const QByteArray path = QFile::encodeName(folder);
    const double baseline = bench::medianMs(15, [&] {
        DIR* directory = ::opendir(path.constData());
        int count = 0;
        while (const dirent* entry = ::readdir(directory)) {
            struct stat info
            {
            };
            if (::fstatat(::dirfd(directory), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0)
                ++count;
        }
        ::closedir(directory);
        if (count < 0)
            std::printf("impossible\n");
    });
    bench::line("reloadProfiles, 10k profiles + 2k others", reload, "ms (median)");
    bench::line("readdir + stat per entry, same folder", baseline, "ms (median)");
    std::printf("goal reload-10k-vs-readdir: %.2fx (target <= 3x)\n", reload / baseline);
    return 0;
}
