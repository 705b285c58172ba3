#include "plist/plistreader.h"
#include "state/launcherstate.h"
#include "support/testenvironment.h"

#include <QtTest>

namespace {

const PlistDictionary pelvaroSettings =
    test_files::dictionary({{QStringLiteral("theme"), PlistValue(QStringLiteral("dark"))},
                            {QStringLiteral("zoom"), PlistValue(1.25)}});

class Scenario
{
public:
    Scenario()
    {
        // Without its two profiles no scenario means anything.
        if (!QDir().mkpath(env.defaultFolder()) ||
            !test_files::writeBinaryPlist(
                env.defaultFolder() + u"/Work.plist",
                PlistValue(test_files::dictionary(
                    {{QStringLiteral("theme"), PlistValue(QStringLiteral("light"))}}))) ||
            !test_files::writeBinaryPlist(env.defaultFolder() + u"/Play.plist",
                                          PlistValue(PlistDictionary())))
            qFatal("cannot write the scenario's profiles");
        state = &env.makeState();
    }

    Profile profile(const QString& fileName) const
    {
        return test_files::profileNamed(state->profiles(), fileName);
    }

    // Pelvaro changes its settings while it runs.
    [[nodiscard]] bool pelvaroWrites(const PlistDictionary& values)
    {
        PreferencesStore pelvaro(env.fileSystem, env.home(),
                                 QStringLiteral("com.corvandel.pelvaro"));
        QStringList stale = pelvaro.copyKeyList().value_or(QStringList());
        stale.removeIf([&](const QString& key) { return values.contains(key); });
        pelvaro.setMultiple(values, stale);
        return bool(pelvaro.synchronize());
    }

    PlistValue fileContent(const QString& path) const
    {
        return PlistReader::read(test_files::readBytes(path)).valueOr(PlistValue());
    }

    // Runs a script of space-separated steps: "start:Work.plist",
    // "launch:Pelvaro" (an index is given to each launch), "write", "quit:0".
    // The step that cannot run, or none: an unknown step is a broken test.
    [[nodiscard]] std::optional<QString> run(const QString& script)
    {
        for (const QString& step : script.split(u' ', Qt::SkipEmptyParts)) {
            const QString verb = step.section(u':', 0, 0);
            const QString argument =
                step.section(u':', 1).replace(QStringLiteral("%20"), QStringLiteral(" "));
            bool ran = true;
            if (verb == u"start") {
                state->startProfile(profile(argument));
            } else if (verb == u"launch") {
                launched.append(env.workspace.launch(
                    argument == u"-" ? std::nullopt : std::optional<QString>(argument)));
            } else if (verb == u"write") {
                ran = pelvaroWrites(pelvaroSettings);
            } else if (verb == u"quit") {
                bool isIndex = false;
                const int index = argument.toInt(&isIndex);
                ran = isIndex && index >= 0 && index < launched.size();
                if (ran)
                    env.workspace.quit(launched.at(index));
            } else {
                ran = false;
            }
            if (!ran)
                return step;
        }
        return std::nullopt;
    }

    TestEnvironment env;
    LauncherState* state = nullptr;
    QList<RunningApplication> launched;
};

} // namespace

class PelvaroWatchTest : public QObject
{
    Q_OBJECT

private slots:
    void stateTable_data();
    void stateTable();
    void failedSaveBackStillClearsTheActiveProfile();
    void quitAndCreateWithActiveProfile();
    void quitAndCreateWithNothingRunning();
    void quitAndCreateRefusals_data();
    void quitAndCreateRefusals();
    void quitAndCreateWaitsForEveryInstance();
    void switchingFoldersWhileRunningTouchesNoOtherFolder();
};

void PelvaroWatchTest::stateTable_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("runningName");
    QTest::addColumn<QString>("active");
    QTest::addColumn<bool>("unknown");
    QTest::addColumn<bool>("savedBack");

    QTest::newRow("idle, Pelvaro launched from outside")
        << QStringLiteral("launch:Pelvaro") << true << QStringLiteral("Pelvaro")
        << QStringLiteral("") << true << false;
    QTest::newRow("started, awaiting launch")
        << QStringLiteral("start:Work.plist") << false << QStringLiteral("")
        << QStringLiteral("Work.plist") << false << false;
    QTest::newRow("running with profile")
        << QStringLiteral("start:Work.plist launch:Pelvaro") << true << QStringLiteral("Pelvaro")
        << QStringLiteral("Work.plist") << false << false;
    QTest::newRow("quit saves back")
        << QStringLiteral("start:Work.plist launch:Pelvaro write quit:0") << false
        << QStringLiteral("") << QStringLiteral("") << false << true;
    QTest::newRow("unknown profile quits without save")
        << QStringLiteral("launch:Pelvaro write quit:0") << false << QStringLiteral("")
        << QStringLiteral("") << false << false;
    QTest::newRow("second instance keeps running")
        << QStringLiteral("start:Work.plist launch:Pelvaro launch:Pelvaro%20MD write quit:0")
        << true << QStringLiteral("Pelvaro MD") << QStringLiteral("Work.plist") << false << false;
    QTest::newRow("last instance saves back")
        << QStringLiteral("start:Work.plist launch:Pelvaro launch:Pelvaro%20MD write quit:0 quit:1")
        << false << QStringLiteral("") << QStringLiteral("") << false << true;
    QTest::newRow("second start before launch")
        << QStringLiteral("start:Play.plist start:Work.plist launch:Pelvaro write quit:0") << false
        << QStringLiteral("") << QStringLiteral("") << false << true;
    QTest::newRow("case differs") << QStringLiteral("launch:pelvaro") << false << QStringLiteral("")
                                  << QStringLiteral("") << false << false;
    QTest::newRow("name extended")
        << QStringLiteral("launch:Pelvaro%20MD2 launch:Pelvaro%20Pro") << false
        << QStringLiteral("") << QStringLiteral("") << false << false;
    QTest::newRow("no name") << QStringLiteral("launch:-") << false << QStringLiteral("")
                             << QStringLiteral("") << false << false;
    QTest::newRow("unrelated quits while running")
        << QStringLiteral("start:Work.plist launch:Pelvaro launch:Editor quit:1") << true
        << QStringLiteral("Pelvaro") << QStringLiteral("Work.plist") << false << false;
    QTest::newRow("unrelated quits while idle")
        << QStringLiteral("launch:Editor quit:0") << false << QStringLiteral("")
        << QStringLiteral("") << false << false;
    QTest::newRow("outside launch after failed start")
        << QStringLiteral("start:Work.plist launch:Pelvaro%20MD") << true
        << QStringLiteral("Pelvaro MD") << QStringLiteral("Work.plist") << false << false;
}

void PelvaroWatchTest::stateTable()
{
    QFETCH(QString, script);
    QFETCH(bool, running);
    QFETCH(QString, runningName);
    QFETCH(QString, active);
    QFETCH(bool, unknown);
    QFETCH(bool, savedBack);
    Scenario scenario;
    QCOMPARE(scenario.run(script), std::nullopt);
    LauncherState& state = *scenario.state;
    QCOMPARE(state.isPelvaroRunning(), running);
    QCOMPARE(state.runningPelvaroName(),
             runningName.isEmpty() ? std::nullopt : std::optional<QString>(runningName));
    QCOMPARE(state.activeProfileName(),
             active.isEmpty() ? std::nullopt : std::optional<QString>(active));
    QCOMPARE(state.pelvaroRunningWithUnknownProfile(), unknown);
    const PlistValue work = scenario.fileContent(scenario.env.defaultFolder() + u"/Work.plist");
    QCOMPARE(work == PlistValue(pelvaroSettings), savedBack);
    if (active.isEmpty())
        QCOMPARE(scenario.env.userDefaults->stringForKey(QStringLiteral("activeProfileName")),
                 std::nullopt);
    QCOMPARE(state.errorMessage(), std::nullopt);
}

void PelvaroWatchTest::failedSaveBackStillClearsTheActiveProfile()
{
    Scenario scenario;
    QCOMPARE(scenario.run(QStringLiteral("start:Work.plist launch:Pelvaro write")), std::nullopt);
    scenario.env.fileSystem.failing.insert(FaultyFileSystem::Fault::writeFileAtomically);
    QCOMPARE(scenario.run(QStringLiteral("quit:0")), std::nullopt);
    QCOMPARE(scenario.state->errorMessage(),
             std::optional<QString>(u"Could not save profile \"Work.plist\": The file "
                                    u"\u201CWork.plist\u201D couldn\u2019t be saved: " +
                                    FaultyFileSystem::injectedDescription() +
                                    u" Pelvaro's settings were saved as "
                                    u"\"Work (not saved back).plist\" instead."));
    QCOMPARE(scenario.state->activeProfileName(), std::nullopt);
}

void PelvaroWatchTest::quitAndCreateWithActiveProfile()
{
    Scenario scenario;
    QCOMPARE(scenario.run(QStringLiteral("start:Work.plist launch:Pelvaro write")), std::nullopt);
    scenario.state->quitPelvaroAndCreateProfile(QStringLiteral("  Fresh "));
    QCOMPARE(scenario.env.workspace.terminated, QList<RunningApplication>{scenario.launched.at(0)});
    QCOMPARE(scenario.state->pendingNewProfileName(),
             std::optional<QString>(QStringLiteral("Fresh.plist")));
    QVERIFY(!QFile::exists(scenario.env.defaultFolder() + u"/Fresh.plist"));
    QCOMPARE(scenario.run(QStringLiteral("quit:0")), std::nullopt);
    const QString folder = scenario.env.defaultFolder();
    QCOMPARE(scenario.fileContent(folder + u"/Fresh.plist"), PlistValue(pelvaroSettings));
    QCOMPARE(scenario.fileContent(folder + u"/Work.plist"), PlistValue(pelvaroSettings));
    QCOMPARE(scenario.state->pendingNewProfileName(), std::nullopt);
    QCOMPARE(scenario.state->activeProfileName(), std::nullopt);
    QCOMPARE(scenario.state->profiles().size(), 3);
}

void PelvaroWatchTest::quitAndCreateWithNothingRunning()
{
    Scenario scenario;
    QVERIFY(scenario.pelvaroWrites(pelvaroSettings));
    QSignalSpy listChanged(scenario.state, &LauncherState::profilesChanged);
    scenario.state->quitPelvaroAndCreateProfile(QStringLiteral("Now"));
    QVERIFY(scenario.env.workspace.terminated.isEmpty());
    QCOMPARE(scenario.fileContent(scenario.env.defaultFolder() + u"/Now.plist"),
             PlistValue(pelvaroSettings));
    QCOMPARE(listChanged.count(), 1);
}

void PelvaroWatchTest::quitAndCreateRefusals_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("noFolder");
    QTest::addColumn<QString>("message");
    QTest::newRow("no folder") << QStringLiteral("New") << true
                               << QStringLiteral("No profile folder is available.");
    QTest::newRow("invalid name") << QStringLiteral("a/b") << false
                                  << QStringLiteral(
                                         "The name contains characters that cannot be used in a "
                                         "file name (for example \"/\" or \":\").");
    QTest::newRow("existing file") << QStringLiteral("Work") << false
                                   << QStringLiteral("A file named \"Work.plist\" already exists.");
}

void PelvaroWatchTest::quitAndCreateRefusals()
{
    QFETCH(QString, typed);
    QFETCH(bool, noFolder);
    QFETCH(QString, message);
    Scenario scenario;
    QCOMPARE(scenario.run(QStringLiteral("launch:Pelvaro")), std::nullopt);
    if (noFolder)
        scenario.state->setFolderMode(FolderMode::custom);
    scenario.state->quitPelvaroAndCreateProfile(typed);
    QCOMPARE(scenario.state->errorMessage(), std::optional<QString>(message));
    QVERIFY(scenario.env.workspace.terminated.isEmpty());
    QCOMPARE(scenario.state->pendingNewProfileName(), std::nullopt);
}

void PelvaroWatchTest::quitAndCreateWaitsForEveryInstance()
{
    Scenario scenario;
    QCOMPARE(scenario.run(QStringLiteral("launch:Pelvaro launch:Editor launch:Pelvaro%20MD write")),
             std::nullopt);
    scenario.state->quitPelvaroAndCreateProfile(QStringLiteral("First"));
    scenario.state->quitPelvaroAndCreateProfile(QStringLiteral("Second"));
    QCOMPARE(scenario.env.workspace.terminated.size(), 4);
    QCOMPARE(scenario.env.workspace.terminated.at(0), scenario.launched.at(0));
    QCOMPARE(scenario.env.workspace.terminated.at(1), scenario.launched.at(2));
    QCOMPARE(scenario.run(QStringLiteral("quit:0")), std::nullopt);
    QVERIFY(!QFile::exists(scenario.env.defaultFolder() + u"/Second.plist"));
    QCOMPARE(scenario.run(QStringLiteral("quit:2")), std::nullopt);
    QVERIFY(!QFile::exists(scenario.env.defaultFolder() + u"/First.plist"));
    QCOMPARE(scenario.fileContent(scenario.env.defaultFolder() + u"/Second.plist"),
             PlistValue(pelvaroSettings));
}

void PelvaroWatchTest::switchingFoldersWhileRunningTouchesNoOtherFolder()
{
    Scenario scenario;
    const QString other = scenario.env.makeFolder(QStringLiteral("other"));
    QVERIFY(test_files::writeBytes(other + u"/Work.plist", "other folder's Work"));
    QCOMPARE(scenario.run(QStringLiteral("start:Work.plist launch:Pelvaro write")), std::nullopt);
    scenario.state->quitPelvaroAndCreateProfile(QStringLiteral("Captured"));
    scenario.state->setCustomFolderPath(other);
    scenario.state->setFolderMode(FolderMode::custom);
    QCOMPARE(scenario.run(QStringLiteral("quit:0")), std::nullopt);
    QCOMPARE(test_files::readBytes(other + u"/Work.plist"), QByteArray("other folder's Work"));
    QVERIFY(!QFile::exists(other + u"/Captured.plist"));
    const QString home = scenario.env.defaultFolder();
    QCOMPARE(scenario.fileContent(home + u"/Work.plist"), PlistValue(pelvaroSettings));
    QCOMPARE(scenario.fileContent(home + u"/Captured.plist"), PlistValue(pelvaroSettings));
    QCOMPARE(scenario.state->errorMessage(), std::nullopt);
}

QTEST_GUILESS_MAIN(PelvaroWatchTest)
#include "tst_pelvarowatch.moc"
