#include "platform/directorywatch.h"
#include "platform/directorywatch_linux.h"
#include "state/launcherstate.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <atomic>

#include <unistd.h>

namespace {

QStringList fileNames(const LauncherState& state)
{
    return test_files::fileNames(state.profiles());
}

int openInotifyDescriptors()
{
    int count = 0;
    for (const QString& fd :
         QDir(QStringLiteral("/proc/self/fd"))
             .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        char target[256] = {};
        const QByteArray path = "/proc/self/fd/" + fd.toLatin1();
        if (::readlink(path.constData(), target, sizeof target - 1) > 0 &&
            QByteArray(target).contains("inotify"))
            ++count;
    }
    return count;
}

} // namespace

class FolderWatchTest : public QObject
{
    Q_OBJECT

private slots:
    void accessFailures_data();
    void accessFailures();
    void successfulCheckLeavesNoProbeAndNotifiesOnce();
    void emptyCustomPathIsUntestedAndUnwatched();
    void outsideChangesUpdateTheList_data();
    void outsideChangesUpdateTheList();
    void renamingTheWatchedFolderEmptiesTheList();
    void switchingFoldersKeepsOneWatch();
    void burstInACostlyFolderReloadsSeldomButCompletely();
    void pollingHearsWhatInotifyMisses_data();
    void pollingHearsWhatInotifyMisses();
};

void FolderWatchTest::accessFailures_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing") << QStringLiteral("missing")
                             << QStringLiteral("Folder does not exist.");
    QTest::newRow("plain file") << QStringLiteral("file")
                                << QStringLiteral("Folder does not exist.");
    QTest::newRow("unreadable") << QStringLiteral("unreadable")
                                << QStringLiteral("No read access to folder.");
    QTest::newRow("unreadable and unwritable")
        << QStringLiteral("neither") << QStringLiteral("No read access to folder.");
    QTest::newRow("probe not writable")
        << QStringLiteral("unwritable") << QStringLiteral("No write access to folder.");
    QTest::newRow("probe not removable")
        << QStringLiteral("unremovable") << QStringLiteral("No write access to folder.");
}

void FolderWatchTest::accessFailures()
{
    QFETCH(QString, situation);
    QFETCH(QString, message);
    TestEnvironment env;
    LauncherState& state = env.makeState();
    QString folder = env.makeFolder(QStringLiteral("custom"));
    if (situation == u"missing")
        folder = env.root() + u"/missing";
    if (situation == u"file") {
        folder = env.root() + u"/file";
        QVERIFY(test_files::writeBytes(folder, "x"));
    }
    using Op = FaultyFileSystem::Fault;
    if (situation == u"unreadable" || situation == u"neither")
        env.fileSystem.failing.insert(Op::isReadable);
    if (situation == u"unwritable" || situation == u"neither")
        env.fileSystem.failing.insert(Op::writeFile);
    if (situation == u"unremovable")
        env.fileSystem.failing.insert(Op::removeItem);
    state.setCustomFolderPath(folder);
    state.setFolderMode(FolderMode::custom);
    QCOMPARE(state.folderAccessStatus(), AccessStatus::failure(message));
    if (situation == u"unremovable") {
        // The probe stays behind, hidden and never listed.
        const QStringList left = QDir(folder).entryList(QDir::Hidden | QDir::Files);
        QCOMPARE(left.size(), 1);
        QVERIFY(QRegularExpression(QStringLiteral("^\\.pelvaro-launcher-access-[0-9A-F]{8}-[0-9A-F]"
                                                  "{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"))
                    .match(left.first())
                    .hasMatch());
        QVERIFY(state.profiles().isEmpty());
    }
}

void FolderWatchTest::successfulCheckLeavesNoProbeAndNotifiesOnce()
{
    TestEnvironment env;
    LauncherState& state = env.makeState();
    const QString folder = env.makeFolder(QStringLiteral("good"));
    state.setCustomFolderPath(folder);
    QSignalSpy changed(&state, &LauncherState::folderAccessStatusChanged);
    state.setFolderMode(FolderMode::custom);
    state.checkFolderAccess();
    state.checkFolderAccess();
    QCOMPARE(state.folderAccessStatus(), AccessStatus::ok());
    QVERIFY(changed.count() <= 1);
    QVERIFY(QDir(folder).entryList(QDir::Hidden | QDir::Files).isEmpty());
}

void FolderWatchTest::emptyCustomPathIsUntestedAndUnwatched()
{
    TestEnvironment env;
    LauncherState& state = env.makeState();
    QVERIFY(state.folderMonitorSource());
    state.setFolderMode(FolderMode::custom);
    QCOMPARE(state.folderAccessStatus(), AccessStatus::untested());
    QVERIFY(!state.folderMonitorSource());
}

void FolderWatchTest::outsideChangesUpdateTheList_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("create") << QStringLiteral("create")
                            << QStringList{QStringLiteral("New.plist"),
                                           QStringLiteral("Work.plist")};
    QTest::newRow("rename") << QStringLiteral("rename")
                            << QStringList{QStringLiteral("Renamed.plist")};
    QTest::newRow("delete") << QStringLiteral("delete") << QStringList{};
    QTest::newRow("move out") << QStringLiteral("move out") << QStringList{};
}

void FolderWatchTest::outsideChangesUpdateTheList()
{
    QFETCH(QString, change);
    QFETCH(QStringList, expected);
    TestEnvironment env;
    QDir().mkpath(env.defaultFolder());
    const QString work = env.defaultFolder() + u"/Work.plist";
    QVERIFY(test_files::writeBytes(work, "x"));
    LauncherState& state = env.makeState();
    QCOMPARE(fileNames(state), QStringList{QStringLiteral("Work.plist")});
    QSignalSpy changed(&state, &LauncherState::profilesChanged);
    if (change == u"create")
        QVERIFY(test_files::writeBytes(env.defaultFolder() + u"/New.plist", "y"));
    else if (change == u"rename")
        QVERIFY(QFile::rename(work, env.defaultFolder() + u"/Renamed.plist"));
    else if (change == u"delete")
        QVERIFY(QFile::remove(work));
    else
        QVERIFY(QFile::rename(work, env.root() + u"/Work.plist"));
    QVERIFY(changed.wait(5000));
    QCOMPARE(fileNames(state), expected);
}

void FolderWatchTest::renamingTheWatchedFolderEmptiesTheList()
{
    TestEnvironment env;
    const QString folder = env.makeFolder(QStringLiteral("watched"));
    QVERIFY(test_files::writeBytes(folder + u"/Work.plist", "x"));
    LauncherState& state = env.makeState();
    state.setCustomFolderPath(folder);
    state.setFolderMode(FolderMode::custom);
    QCOMPARE(state.profiles().size(), 1);
    QVERIFY(state.folderMonitorSource());
    QSignalSpy changed(&state, &LauncherState::profilesChanged);
    QVERIFY(QDir().rename(folder, env.root() + u"/moved"));
    QVERIFY(changed.wait(5000));
    QVERIFY(state.profiles().isEmpty());
    QTRY_VERIFY(!state.folderMonitorSource());
    QCOMPARE(state.folderAccessStatus(), AccessStatus::ok());
}

void FolderWatchTest::switchingFoldersKeepsOneWatch()
{
    TestEnvironment env;
    LauncherState& state = env.makeState();
    QCOMPARE(openInotifyDescriptors(), 1);
    const int first = state.folderMonitorSource()->descriptor();
    QVERIFY(first >= 0);
    state.setCustomFolderPath(env.makeFolder(QStringLiteral("other")));
    for (int i = 0; i < 5; ++i) {
        state.setFolderMode(FolderMode::custom);
        state.setFolderMode(FolderMode::defaultFolder);
    }
    QCOMPARE(openInotifyDescriptors(), 1);
    QVERIFY(state.folderMonitorSource());
}

// Each listing of a huge folder is costly: a burst of changes must not
// list it once per change, and the list must still end complete.
void FolderWatchTest::burstInACostlyFolderReloadsSeldomButCompletely()
{
    TestEnvironment env;
    QDir().mkpath(env.defaultFolder());
    LauncherState& state = env.makeState();
    env.fileSystem.listingDelayMs = 40;
    env.fileSystem.listings = 0;
    int batches = 0;
    connect(state.folderMonitorSource(), &DirectoryWatch::eventsReceived, this, [&] { ++batches; });
    // Another program makes a file every 5 ms for a second or so.
    constexpr int burst = 200;
    std::atomic<int> written = 0;
    std::unique_ptr<QThread> writer(QThread::create([&] {
        for (int i = 0; i < burst; ++i) {
            written += test_files::writeBytes(
                env.defaultFolder() + u"/Burst " + QString::number(i) + u".plist", "x");
            QThread::msleep(5);
        }
    }));
    writer->start();
    while (!writer->isFinished())
        QTest::qWait(10);
    QCOMPARE(written.load(), burst);
    QTRY_COMPARE_WITH_TIMEOUT(state.profiles().size(), qsizetype(burst), 10000);
    // Listed at every batch of events, the folder would be listed about as
    // often as batches came; resting five listings' time after each, it is
    // listed several times less often, however long the burst took.
    QVERIFY2(env.fileSystem.listings * 3 <= batches,
             qPrintable(QStringLiteral("%1 listings for %2 batches")
                            .arg(env.fileSystem.listings)
                            .arg(batches)));
}

void FolderWatchTest::pollingHearsWhatInotifyMisses_data()
{
    QTest::addColumn<bool>("polling");
    QTest::newRow("inotify only") << false;
    QTest::newRow("polled, as network folders are") << true;
}

// inotify hears nothing of what other machines do to a network folder. A
// change it is not told of here (new times on the folder) stands in for
// them: only the polled watch reports it.
void FolderWatchTest::pollingHearsWhatInotifyMisses()
{
    QFETCH(bool, polling);
    TestEnvironment env;
    const QString folder = env.makeFolder(QStringLiteral("remote"));
    if (polling)
        qputenv("PELVARO_FOLDER_POLLING", "1");
    const auto reset = qScopeGuard([] { qunsetenv("PELVARO_FOLDER_POLLING"); });
    const std::unique_ptr<InotifyDirectoryWatch> watch = InotifyDirectoryWatch::open(folder);
    QVERIFY(watch);
    QSignalSpy events(watch.get(), &DirectoryWatch::eventsReceived);
    QTest::qWait(50);
    test_files::setModificationTime(folder, 1000000);
    if (polling) {
        QVERIFY(events.wait(3 * InotifyDirectoryWatch::pollIntervalMs));
        QCOMPARE(events.first().at(0).value<DirectoryWatch::Events>(),
                 DirectoryWatch::Events(DirectoryWatch::written));
    } else {
        QVERIFY(!events.wait(InotifyDirectoryWatch::pollIntervalMs + 500));
    }
}

QTEST_GUILESS_MAIN(FolderWatchTest)
#include "tst_folderwatch.moc"
