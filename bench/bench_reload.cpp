// reloadProfiles over 10,000 profile files and 2,000 other entries, and over
// 50,000 profile files, against a plain readdir pass with one stat per entry
// over the same folder.

#include "benchmark.h"
#include "state/launcherstate.h"
#include "support/testenvironment.h"

#include <QCoreApplication>
#include <QDir>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// The median reload time against the median readdir + stat pass.
std::pair<double, double> measure(LauncherState& state, const QString& folder, int runs)
{
    const double reload = bench::medianMs(runs, [&] { state.reloadProfiles(); });
    const QByteArray path = QFile::encodeName(folder);
    const double baseline = bench::medianMs(runs, [&] {
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
    return {reload, baseline};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    {
        TestEnvironment env;
        const QString folder = env.defaultFolder();
        QDir().mkpath(folder);
        for (int i = 0; i < 10000; ++i)
            bench::require(
                test_files::writeBytes(folder + u"/Profile " + QString::number(i) + u".plist", "x"),
                "writing a profile");
        for (int i = 0; i < 1000; ++i)
            bench::require(
                test_files::writeBytes(folder + u"/notes " + QString::number(i) + u".txt", "x"),
                "writing a file beside the profiles");
        for (int i = 0; i < 1000; ++i)
            QDir(folder).mkdir(u"folder " + QString::number(i));
        LauncherState& state = env.makeState();
        std::printf("profiles listed: %lld\n", qlonglong(state.profiles().size()));
        const auto [reload, baseline] = measure(state, folder, 15);
        bench::line("reloadProfiles, 10k profiles + 2k others", reload, "ms (median)");
        bench::line("readdir + stat per entry, same folder", baseline, "ms (median)");
        std::printf("goal reload-10k-vs-readdir: %.2fx (target <= 3x)\n", reload / baseline);
    }
    {
        TestEnvironment env;
        const QString folder = env.defaultFolder();
        QDir().mkpath(folder);
        for (int i = 0; i < 50000; ++i)
            bench::require(
                test_files::writeBytes(folder + u"/Profile " + QString::number(i) + u".plist", "x"),
                "writing a profile");
        LauncherState& state = env.makeState();
        std::printf("profiles listed: %lld\n", qlonglong(state.profiles().size()));
        const auto [reload, baseline] = measure(state, folder, 7);
        bench::line("reloadProfiles, 50k profiles", reload, "ms (median)");
        bench::line("readdir + stat per entry, same folder", baseline, "ms (median)");
        std::printf("goal reload-50k-vs-readdir: %.2fx (target <= 3x)\n", reload / baseline);
    }
    return 0;
}
