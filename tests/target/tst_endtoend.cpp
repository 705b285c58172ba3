#include "plist/plistwriter.h"
#include "support/launcherprocess.h"
#include "support/pelvaroroad.h"
#include "target/pelvaroapplication.h"

#include <QtTest>

// The whole road with the real workspace and the stand-in Pelvaro, found
// through its desktop entry in this test's own XDG data folder.
class EndToEndTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startRunQuitAndSaveBack();
    void quitAndCreateCapturesTheSameSettings();
    void shortSessionsAreAllSavedBack_data();
    void shortSessionsAreAllSavedBack();
    void syncedChangesDuringASessionAreMerged();
    void commandLineTellsOfTheMerge();
    void pelvaroInheritsNoDescriptorOfTheLauncher();
};

namespace {

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

// Exited children of this process that nobody has reaped.
int zombieChildren()
{
    int zombies = 0;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(u"/proc/" + pid + u"/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(0) == "Z" && fields.at(1) == self.toLatin1())
            ++zombies;
    }
    return zombies;
}

} // namespace

void EndToEndTest::initTestCase()
{
    QVERIFY(test_files::installStandInPelvaro());
}

void EndToEndTest::startRunQuitAndSaveBack()
{
    PelvaroRoad road;
    LauncherState& state = road.state();
    QVERIFY(!state.isPelvaroRunning());
    state.startProfile(state.profiles().first());
    QCOMPARE(state.errorMessage(), std::nullopt);
    QTRY_VERIFY_WITH_TIMEOUT(state.isPelvaroRunning(), 10000);
    QCOMPARE(state.runningPelvaroName(), std::optional<QString>(QStringLiteral("Pelvaro")));
    QVERIFY(!state.pelvaroRunningWithUnknownProfile());
    road.terminatePelvaro();
    QTRY_VERIFY_WITH_TIMEOUT(!state.isPelvaroRunning(), 10000);
    const PlistDictionary saved = road.profileContent(QStringLiteral("Work.plist"));
    QCOMPARE(saved.value(QStringLiteral("Color")), PlistValue(QStringLiteral("blue")));
    QCOMPARE(saved.value(QStringLiteral("LaunchCount")), PlistValue::integer(1));
    QCOMPARE(state.activeProfileName(), std::nullopt);
    QCOMPARE(road.environment().userDefaults->stringForKey(QStringLiteral("activeProfileName")),
             std::nullopt);
    QCOMPARE(state.errorMessage(), std::nullopt);
}

void EndToEndTest::quitAndCreateCapturesTheSameSettings()
{
    PelvaroRoad road;
    LauncherState& state = road.state();
    state.startProfile(state.profiles().first());
    QTRY_VERIFY_WITH_TIMEOUT(state.isPelvaroRunning(), 10000);
    // Pelvaro is seen from the moment it is exec'd; asked to quit before it
    // has set itself up, it would die without writing its settings.
    const std::optional<RunningApplication> pelvaro = road.runningPelvaro();
    QVERIFY(pelvaro);
    QVERIFY(test_files::waitUntilStandInIsReady(pelvaro->processId));
    state.quitPelvaroAndCreateProfile(QStringLiteral("Captured"));
    QTRY_VERIFY_WITH_TIMEOUT(!state.isPelvaroRunning(), 10000);
    const PlistDictionary captured = road.profileContent(QStringLiteral("Captured.plist"));
    QCOMPARE(captured.value(QStringLiteral("LaunchCount")).type(), PlistValue::Type::integer);
    QVERIFY(captured == road.profileContent(QStringLiteral("Work.plist")));
    QCOMPARE(state.profiles().size(), 2);
}

void EndToEndTest::shortSessionsAreAllSavedBack_data()
{
    QTest::addColumn<int>("scanIntervalMs");
    QTest::newRow("timed scans on") << int(LinuxProcessMonitor::defaultScanIntervalMs);
    QTest::newRow("timed scans off") << 24 * 3600 * 1000;
}

// A Pelvaro that writes its settings and quits at once (or crashes right
// after its start) lives too briefly for any scan; its session must still
// be saved back, and leave nothing behind.
void EndToEndTest::shortSessionsAreAllSavedBack()
{
    QFETCH(int, scanIntervalMs);
    QVERIFY(test_files::installStandInPelvaro({}, "--headless --quit-at-once"));
    const auto reinstall = qScopeGuard([] { test_files::installStandInPelvaro(); });
    PelvaroRoad road(scanIntervalMs);
    LauncherState& state = road.state();
    int descriptorsAfterFirst = 0;
    for (int session = 1; session <= 50; ++session) {
        state.startProfile(
            test_files::profileNamed(state.profiles(), QStringLiteral("Work.plist")));
        QCOMPARE(state.errorMessage(), std::nullopt);
        QTRY_VERIFY2_WITH_TIMEOUT(
            road.profileContent(QStringLiteral("Work.plist"))
                    .value(QStringLiteral("LaunchCount")) == PlistValue::integer(session),
            qPrintable(QStringLiteral("session %1 was not saved back").arg(session)), 10000);
        QTRY_VERIFY(!state.isLaunchPending() && !state.isPelvaroRunning());
        QCOMPARE(state.activeProfileName(), std::nullopt);
        if (session == 1) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            descriptorsAfterFirst = openDescriptors();
        }
    }
    QCOMPARE(state.errorMessage(), std::nullopt);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(openDescriptors(), descriptorsAfterFirst);
    QCOMPARE(zombieChildren(), 0);
}

namespace {

// Another machine's edit of Work.plist {Color = blue}, as a sync client
// brings it: Color changed there, and a setting added.
bool replaceWithOtherMachinesEdit(const QString& path)
{
    return test_files::replaceByRename(
        path, PlistWriter::writeBinary(PlistValue(test_files::dictionary(
                  {{QStringLiteral("Color"), PlistValue(QStringLiteral("red"))},
                   {QStringLiteral("Elsewhere"), PlistValue(true)}}))));
}

} // namespace

// The session counts its launch; the other machine's edit, arrived
// meanwhile, is kept beside it.
void EndToEndTest::syncedChangesDuringASessionAreMerged()
{
    PelvaroRoad road;
    LauncherState& state = road.state();
    state.startProfile(test_files::profileNamed(state.profiles(), QStringLiteral("Work.plist")));
    QTRY_VERIFY_WITH_TIMEOUT(state.isPelvaroRunning(), 10000);
    const std::optional<RunningApplication> pelvaro = road.runningPelvaro();
    QVERIFY(pelvaro);
    QVERIFY(test_files::waitUntilStandInIsReady(pelvaro->processId));
    QVERIFY(replaceWithOtherMachinesEdit(road.environment().defaultFolder() + u"/Work.plist"));
    road.terminatePelvaro();
    QTRY_VERIFY_WITH_TIMEOUT(!state.isPelvaroRunning() && !state.activeProfileName(), 10000);
    const PlistDictionary saved = road.profileContent(QStringLiteral("Work.plist"));
    QCOMPARE(saved.value(QStringLiteral("Color")), PlistValue(QStringLiteral("red")));
    QCOMPARE(saved.value(QStringLiteral("Elsewhere")), PlistValue(true));
    QCOMPARE(saved.value(QStringLiteral("LaunchCount")), PlistValue::integer(1));
    QVERIFY(state.lastSaveSummary());
    QCOMPARE(state.lastSaveSummary()->keptFromElsewhere, 2);
    QCOMPARE(state.lastSaveSummary()->conflicts, 0);
    QCOMPARE(state.errorMessage(), std::nullopt);
}

void EndToEndTest::commandLineTellsOfTheMerge()
{
    QVERIFY(QDir().mkpath(launcher_process::profileFolder()));
    const QString work = launcher_process::profileFolder() + u"/Work.plist";
    QVERIFY(test_files::writeBinaryPlist(
        work, PlistValue(test_files::dictionary(
                  {{QStringLiteral("Color"), PlistValue(QStringLiteral("blue"))}}))));
    LinuxProcessMonitor processes(pelvaro::applicationNames());
    QProcess launcher;
    launcher.start(QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE),
                   {QStringLiteral("--start"), QStringLiteral("Work")});
    QVERIFY(launcher.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(launcher_process::runningPelvaroCount(processes) == 1, 10000);
    QVERIFY(replaceWithOtherMachinesEdit(work));
    QVERIFY(launcher_process::terminatePelvaroWhenRunning(processes));
    QVERIFY(launcher.waitForFinished(15000));
    const QString err = QString::fromLocal8Bit(launcher.readAllStandardError()).trimmed();
    QCOMPARE(launcher.exitCode(), 0);
    // The stand-in counts its launch and notes how it was run.
    QCOMPARE(err, QStringLiteral("Saved 2 changed settings to Work; kept 2 changed elsewhere"));
    const PlistDictionary saved = launcher_process::profile(QStringLiteral("Work.plist"));
    QCOMPARE(saved.value(QStringLiteral("Elsewhere")), PlistValue(true));
    QCOMPARE(saved.value(QStringLiteral("LaunchCount")), PlistValue::integer(1));
}

// Pelvaro is started without closing the launcher's descriptors one by one
// (a spawn, not a fork): every one of them must close on exec by itself, or
// Pelvaro would hold the launcher's lock, socket or watches, or what the
// launcher itself inherited.
void EndToEndTest::pelvaroInheritsNoDescriptorOfTheLauncher()
{
    QVERIFY(QDir().mkpath(launcher_process::profileFolder()));
    QVERIFY(test_files::writeBinaryPlist(launcher_process::profileFolder() + u"/Work.plist",
                                         PlistValue(PlistDictionary())));
    const QString listing = QDir::homePath() + u"/descriptors";
    QVERIFY(test_files::installStandInPelvaro("sh -c \"exec ls /proc/self/fd > " +
                                              QFile::encodeName(listing) + "\" "));
    const auto reinstall = qScopeGuard([] { test_files::installStandInPelvaro(); });
    QProcess launcher;
    launcher.start(QStringLiteral(PELVARO_LAUNCHER_EXECUTABLE),
                   {QStringLiteral("--start"), QStringLiteral("Work")});
    QVERIFY(launcher.waitForStarted());
    QTRY_VERIFY(!test_files::readBytes(listing).isEmpty());
    // It waits for a Pelvaro that never comes.
    launcher.kill();
    launcher.waitForFinished();
    // Standard input, output and error, and the listing's own.
    QCOMPARE(QString::fromLatin1(test_files::readBytes(listing)).split(u'\n', Qt::SkipEmptyParts),
             (QStringList{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                          QStringLiteral("3")}));
}

QTEST_GUILESS_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
