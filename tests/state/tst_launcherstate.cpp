#include "platform/directorywatch.h"
#include "platform/logging.h"
#include "profiles/profilelisting.h"
#include "state/launcherstate.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <utility>

class LauncherStateTest : public QObject
{
    Q_OBJECT

private slots:
    void decisionsAreLoggedWhenAsked();
    void folderModeIsReadAtStart_data();
    void folderModeIsReadAtStart();
    void customFolderPathIsReadAtStart();
    void storedActiveProfileIsRemovedAtStart();
    void defaultFolderIsCreated();
    void plainFileInPlaceOfDefaultFolder();
    void failureToCreateDefaultFolderIsLogged();
    void reassignmentPersistsWithoutNotifying_data();
    void reassignmentPersistsWithoutNotifying();
    void customModeWithEmptyPathHasNoFolder();
    void applicationSupportFallsBackToHome();
    void pelvaroAlreadyRunningAtStart();
    void firstListingMissesNoChange();
    void valueTypesCompareByContent();
};

void LauncherStateTest::folderModeIsReadAtStart_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<FolderMode>("expected");
    QTest::newRow("missing") << QString() << FolderMode::defaultFolder;
    QTest::newRow("defaultFolder") << QStringLiteral("defaultFolder") << FolderMode::defaultFolder;
    QTest::newRow("custom") << QStringLiteral("custom") << FolderMode::custom;
    QTest::newRow("capital C") << QStringLiteral("Custom") << FolderMode::defaultFolder;
    QTest::newRow("other text") << QStringLiteral("elsewhere") << FolderMode::defaultFolder;
}

void LauncherStateTest::folderModeIsReadAtStart()
{
    QFETCH(QString, stored);
    QFETCH(FolderMode, expected);
    TestEnvironment env;
    if (!stored.isNull())
        env.userDefaults->setString(QStringLiteral("folderMode"), stored);
    LauncherState& state = env.makeState();
    QCOMPARE(state.folderMode(), expected);
    // Read as a plain initialisation: the stored text stays as it was.
    QCOMPARE(env.userDefaults->stringForKey(QStringLiteral("folderMode")),
             stored.isNull() ? std::nullopt : std::optional<QString>(stored));
    state.setFolderMode(expected);
    QCOMPARE(env.userDefaults->stringForKey(QStringLiteral("folderMode")),
             std::optional<QString>(folder_mode::rawValue(expected)));
}

void LauncherStateTest::customFolderPathIsReadAtStart()
{
    TestEnvironment env;
    env.userDefaults->setString(QStringLiteral("folderMode"), QStringLiteral("custom"));
    env.userDefaults->setString(QStringLiteral("customFolderPath"),
                                env.makeFolder(QStringLiteral("mine")));
    LauncherState& state = env.makeState();
    QCOMPARE(state.customFolderPath(), env.root() + u"/mine");
    QCOMPARE(state.currentFolderURL(), std::optional<QString>(env.root() + u"/mine"));
    QCOMPARE(state.folderAccessStatus(), AccessStatus::ok());
}

void LauncherStateTest::storedActiveProfileIsRemovedAtStart()
{
    TestEnvironment env;
    env.userDefaults->setString(QStringLiteral("activeProfileName"), QStringLiteral("Work.plist"));
    LauncherState& state = env.makeState();
    QCOMPARE(state.activeProfileName(), std::nullopt);
    QCOMPARE(env.userDefaults->stringForKey(QStringLiteral("activeProfileName")), std::nullopt);
}

void LauncherStateTest::defaultFolderIsCreated()
{
    TestEnvironment env;
    QVERIFY(!QFileInfo::exists(env.defaultFolder()));
    LauncherState& state = env.makeState();
    QVERIFY(QFileInfo(env.defaultFolder()).isDir());
    QCOMPARE(state.defaultFolderURL(), env.defaultFolder());
    QCOMPARE(state.folderAccessStatus(), AccessStatus::ok());
    QVERIFY(state.profiles().isEmpty());
    QVERIFY(env.log.lines.isEmpty());
}

void LauncherStateTest::plainFileInPlaceOfDefaultFolder()
{
    TestEnvironment env;
    QVERIFY(test_files::writeBytes(env.defaultFolder(), "not a folder"));
    LauncherState& state = env.makeState();
    QVERIFY(QFileInfo(env.defaultFolder()).isFile());
    QVERIFY(env.log.lines.isEmpty());
    QCOMPARE(state.folderAccessStatus(),
             AccessStatus::failure(QStringLiteral("Folder does not exist.")));
}

void LauncherStateTest::failureToCreateDefaultFolderIsLogged()
{
    TestEnvironment env;
    env.fileSystem.failing.insert(FaultyFileSystem::Fault::createDirectory);
    env.makeState();
    QCOMPARE(env.log.lines,
             QStringList{u"Pelvaro Launcher: failed to create default folder: The folder "
                         u"\u201CPelvaro Launcher\u201D couldn\u2019t be created: " +
                         FaultyFileSystem::injectedDescription()});
}

void LauncherStateTest::reassignmentPersistsWithoutNotifying_data()
{
    QTest::addColumn<QString>("property");
    QTest::newRow("folderMode") << QStringLiteral("folderMode");
    QTest::newRow("customFolderPath") << QStringLiteral("customFolderPath");
    QTest::newRow("activeProfileName") << QStringLiteral("activeProfileName");
}

void LauncherStateTest::reassignmentPersistsWithoutNotifying()
{
    QFETCH(QString, property);
    TestEnvironment env;
    LauncherState& state = env.makeState();
    const auto assign = [&] {
        if (property == u"folderMode")
            state.setFolderMode(FolderMode::defaultFolder);
        else if (property == u"customFolderPath")
            state.setCustomFolderPath(QStringLiteral("/some/path"));
        else
            state.setActiveProfileName(QStringLiteral("Work.plist"));
    };
    const QByteArray signal = QByteArray("2") + property.toLatin1() + "Changed()";
    assign();
    QSignalSpy changed(&state, signal.constData());
    env.userDefaults->removeKey(property);
    assign();
    QCOMPARE(changed.count(), 0);
    QVERIFY(env.userDefaults->stringForKey(property).has_value());
}

void LauncherStateTest::customModeWithEmptyPathHasNoFolder()
{
    TestEnvironment env;
    LauncherState& state = env.makeState();
    QDir().mkpath(env.defaultFolder());
    QVERIFY(test_files::writeBinaryPlist(env.defaultFolder() + u"/x.plist",
                                         PlistValue(PlistDictionary())));
    state.reloadProfiles();
    QCOMPARE(state.profiles().size(), 1);
    state.setCustomFolderPath(QString());
    state.setFolderMode(FolderMode::custom);
    QCOMPARE(state.currentFolderURL(), std::nullopt);
    QCOMPARE(state.folderAccessStatus(), AccessStatus::untested());
    QVERIFY(state.profiles().isEmpty());
    QVERIFY(!state.folderMonitorSource());
    // Blanks are a path: only emptiness means "no folder".
    state.setCustomFolderPath(QStringLiteral(" "));
    QCOMPARE(state.currentFolderURL(), std::optional<QString>(QStringLiteral(" ")));
}

void LauncherStateTest::applicationSupportFallsBackToHome()
{
    TestEnvironment env;
    PlatformServices services = env.services();
    services.applicationSupportPath.clear();
    LauncherState state(services);
    QCOMPARE(state.defaultFolderURL(),
             QString(env.home() + u"/Library/Application Support/Pelvaro Launcher"));
    QVERIFY(QFileInfo(state.defaultFolderURL()).isDir());
}

void LauncherStateTest::pelvaroAlreadyRunningAtStart()
{
    TestEnvironment env;
    env.workspace.addSilently(QStringLiteral("Pelvaro MD"));
    LauncherState& state = env.makeState();
    QVERIFY(state.isPelvaroRunning());
    QVERIFY(state.pelvaroRunningWithUnknownProfile());
    QCOMPARE(state.runningPelvaroName(), std::optional<QString>(QStringLiteral("Pelvaro MD")));
    QCOMPARE(state.workspaceObservers().size(), 2);
}

void LauncherStateTest::valueTypesCompareByContent()
{
    QCOMPARE(folder_mode::allCases(),
             (QList<FolderMode>{FolderMode::defaultFolder, FolderMode::custom}));
    QCOMPARE(folder_mode::fromRawValue(QStringLiteral("custom")),
             std::optional(FolderMode::custom));
    QCOMPARE(folder_mode::fromRawValue(QStringLiteral("CUSTOM")), std::nullopt);
    QCOMPARE(qHash(FolderMode::custom), qHash(QStringLiteral("custom")));
    QVERIFY(AccessStatus::failure(QStringLiteral("a")) ==
            AccessStatus::failure(QStringLiteral("a")));
    QVERIFY(!(AccessStatus::failure(QStringLiteral("a")) ==
              AccessStatus::failure(QStringLiteral("b"))));
    QVERIFY(!(AccessStatus::ok() == AccessStatus::untested()));
    const QDateTime when = QDateTime::fromSecsSinceEpoch(1000, Qt::UTC);
    const Profile work{QStringLiteral("/p/a.b.plist"), when};
    QCOMPARE(work.name(), QStringLiteral("a.b"));
    QCOMPARE(work.fileName(), QStringLiteral("a.b.plist"));
    QVERIFY(!(work == Profile{work.url, when.addSecs(1)}));
    QCOMPARE(qHash(work), qHash(Profile{work.url, when}));
}

// What a user sends with a report: silent by default, the decisions once
// the pelvaro.* categories are on.
void LauncherStateTest::decisionsAreLoggedWhenAsked()
{
    TestEnvironment env;
    QVERIFY(QDir().mkpath(env.defaultFolder()));
    QVERIFY(test_files::writeBytes(env.defaultFolder() + u"/Work.plist", "x"));
    LauncherState& state = env.makeState();
    QVERIFY(!lcFolder().isDebugEnabled());
    QLoggingCategory::setFilterRules(QStringLiteral("pelvaro.*=true"));
    const auto quiet = qScopeGuard([] { QLoggingCategory::setFilterRules(QString()); });
    QTest::ignoreMessage(QtDebugMsg, "listed 1 profiles");
    state.reloadProfiles();
}

// The folder is watched before it is first listed: a profile saved just
// after the listing read the folder still shows up.
void LauncherStateTest::firstListingMissesNoChange()
{
    TestEnvironment env;
    QDir().mkpath(env.defaultFolder());
    for (const QString& name : {QStringLiteral("Work"), QStringLiteral("Home")})
        QVERIFY(test_files::writeBytes(env.defaultFolder() + u'/' + name + u".plist", "x"));
    bool written = false;
    env.fileSystem.afterListing = [&] {
        if (!std::exchange(written, true))
            (void)test_files::writeBytes(env.defaultFolder() + u"/Late.plist", "x");
    };
    LauncherState& state = env.makeState();
    QTRY_VERIFY(test_files::fileNames(state.profiles()).contains(QStringLiteral("Late.plist")));
    env.fileSystem.afterListing = {};
    const QStringList expected =
        test_files::fileNames(profile_listing::listProfiles(env.fileSystem, env.defaultFolder()));
    QCOMPARE(expected.size(), 3);
    QCOMPARE(test_files::fileNames(state.profiles()), expected);
}

QTEST_GUILESS_MAIN(LauncherStateTest)
#include "tst_launcherstate.moc"
