#include "support/pelvaroroad.h"

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
};

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

QTEST_GUILESS_MAIN(EndToEndTest)
#include "tst_endtoend.moc"
