#include "platform/plistreader.h"
#include "state/launcherstate.h"
#include "support/plistlib.h"
#include "support/testenvironment.h"

#include <QRandomGenerator>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void writeDomain(TestEnvironment& env, const PlistDictionary& values)
{
    QDir().mkpath(QFileInfo(env.domainFile()).path());
    test_files::writeBinaryPlist(env.domainFile(), PlistValue(values));
}

} // namespace

class ProfileStartTest : public QObject
{
    Q_OBJECT

private slots:
    void applyingMakesTheDomainEqualToTheProfile_data();
    void applyingMakesTheDomainEqualToTheProfile();
    void unreadableProfile_data();
    void unreadableProfile();
    void failedSynchronizeNeitherActivatesNorLaunches();
    void pelvaroNotFoundIsLoggedAndShown();
    void failedLaunchIsLoggedAndShownLater();
    void writersProduceTheBinaryForm_data();
    void writersProduceTheBinaryForm();
    void emptyDomainFallsBackToPelvarosFile();
    void emptyDomainWithoutPelvarosFile_data();
    void emptyDomainWithoutPelvarosFile();
    void failedFallbackCopyKeepsTheProfile();
    void unreadablePelvaroFileIsNotCopied();
    void writersWithoutFolderDoNothing();
    void killedWriterNeverLeavesAPartialFile();
};

void ProfileStartTest::applyingMakesTheDomainEqualToTheProfile_data()
{
    QTest::addColumn<PlistValue>("domain");
    QTest::addColumn<PlistValue>("profile");
    using test_files::dictionary;
    const PlistValue before(dictionary({{QStringLiteral("onlyDomain"), PlistValue(true)},
                                        {QStringLiteral("both"), PlistValue::integer(1)}}));
    QTest::newRow("remove, replace and add")
        << before
        << PlistValue(dictionary(
               {{QStringLiteral("both"), PlistValue::integer(2)},
                {QStringLiteral("new"), PlistValue(QStringLiteral("\U0001F600"))},
                {QStringLiteral("nested"), PlistValue(PlistArray{PlistValue(PlistDate{-5.5})})}}));
    QTest::newRow("empty profile removes everything") << before << PlistValue(PlistDictionary());
    PlistDictionary large;
    PlistDictionary reversed;
    for (int i = 0; i < 40; ++i) {
        large.insert(u"key " + QString::number(i), PlistValue::integer(i));
        if (i % 4 != 0)
            reversed.insert(u"key " + QString::number(39 - i), PlistValue::integer(-i));
    }
    QTest::newRow("same keys in another order") << PlistValue(large) << PlistValue(reversed);
    QTest::newRow("profile equal to the domain") << PlistValue(large) << PlistValue(large);
    QTest::newRow("empty domain") << PlistValue(PlistDictionary())
                                  << PlistValue(
                                         dictionary({{QStringLiteral("a"), PlistValue(1.5)}}));
}

void ProfileStartTest::applyingMakesTheDomainEqualToTheProfile()
{
    QFETCH(PlistValue, domain);
    QFETCH(PlistValue, profile);
    TestEnvironment env;
    writeDomain(env, domain.toDictionary());
    QDir().mkpath(env.defaultFolder());
    test_files::writeBinaryPlist(env.defaultFolder() + u"/Work.plist", profile);
    LauncherState& state = env.makeState();
    // Starting it again finds the domain equal to the profile already.
    for (int round = 1; round <= 2; ++round) {
        state.startProfile(state.profiles().first());
        QCOMPARE(state.errorMessage(), std::nullopt);
        const std::optional<QJsonValue> onDisk =
            plistlib::load(test_files::readBytes(env.domainFile()));
        QVERIFY(onDisk);
        QCOMPARE(*onDisk, plistlib::canonical(profile));
        QCOMPARE(state.activeProfileName(), std::optional<QString>(QStringLiteral("Work.plist")));
        QCOMPARE(env.workspace.openedLocations.size(), round);
    }
}

void ProfileStartTest::unreadableProfile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing file") << QByteArray();
    QTest::newRow("array root") << QByteArray("<plist><array/></plist>");
    QTest::newRow("garbage") << QByteArray("\x01\x02 not a property list");
    // A dictionary whose key is the integer 1.
    QTest::newRow("key not a string")
        << QByteArray("bplist00\xD1\x01\x02\x10\x01\x09\x08\x0B\x0D\x00\x00\x00\x00\x00\x00\x01\x01"
                      "\x00\x00\x00\x00\x00\x00\x00\x03\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
                      "\x00\x00\x00\x00\x0E",
                      8 + 3 + 2 + 1 + 3 + 32);
}

void ProfileStartTest::unreadableProfile()
{
    QFETCH(QByteArray, content);
    TestEnvironment env;
    writeDomain(env, test_files::dictionary({{QStringLiteral("keep"), PlistValue(true)}}));
    const QByteArray domainBefore = test_files::readBytes(env.domainFile());
    QDir().mkpath(env.defaultFolder());
    const QString file = env.defaultFolder() + u"/Bad Profile.plist";
    test_files::writeBytes(file, content);
    LauncherState& state = env.makeState();
    Profile profile = state.profiles().value(0);
    if (qstrcmp(QTest::currentDataTag(), "missing file") == 0)
        QVERIFY(QFile::remove(file));
    state.startProfile(profile);
    QCOMPARE(state.errorMessage(), std::optional<QString>(QStringLiteral(
                                       "Could not read profile \"Bad Profile.plist\".")));
    QCOMPARE(test_files::readBytes(env.domainFile()), domainBefore);
    QCOMPARE(state.activeProfileName(), std::nullopt);
    QVERIFY(env.workspace.openedLocations.isEmpty());
}

void ProfileStartTest::failedSynchronizeNeitherActivatesNorLaunches()
{
    TestEnvironment env;
    QDir().mkpath(env.defaultFolder());
    test_files::writeBinaryPlist(
        env.defaultFolder() + u"/Work.plist",
        PlistValue(test_files::dictionary({{QStringLiteral("a"), PlistValue(true)}})));
    LauncherState& state = env.makeState();
    env.fileSystem.failing.insert(FaultyFileSystem::Operation::writeFileAtomically);
    state.startProfile(state.profiles().first());
    QCOMPARE(state.errorMessage(),
             std::optional<QString>(
                 QStringLiteral("Could not apply profile \"Work.plist\" to Pelvaro preferences.")));
    QCOMPARE(state.activeProfileName(), std::nullopt);
    QVERIFY(env.workspace.openedLocations.isEmpty());
}

void ProfileStartTest::pelvaroNotFoundIsLoggedAndShown()
{
    TestEnvironment env;
    QDir().mkpath(env.defaultFolder());
    test_files::writeBinaryPlist(env.defaultFolder() + u"/Work.plist",
                                 PlistValue(PlistDictionary()));
    env.workspace.installedLocation.reset();
    LauncherState& state = env.makeState();
    state.startProfile(state.profiles().first());
    QCOMPARE(env.log.lines,
             QStringList{QStringLiteral("Pelvaro Launcher: Pelvaro application not found.")});
    QCOMPARE(state.errorMessage(),
             std::optional<QString>(QStringLiteral("Pelvaro could not be found.")));
    QCOMPARE(state.activeProfileName(), std::optional<QString>(QStringLiteral("Work.plist")));
    QVERIFY(!state.isLaunchPending());
}

void ProfileStartTest::failedLaunchIsLoggedAndShownLater()
{
    TestEnvironment env;
    QDir().mkpath(env.defaultFolder());
    test_files::writeBinaryPlist(env.defaultFolder() + u"/Work.plist",
                                 PlistValue(PlistDictionary()));
    env.workspace.openError = QStringLiteral("Exec failed");
    LauncherState& state = env.makeState();
    state.startProfile(state.profiles().first());
    QVERIFY(env.log.lines.isEmpty());
    QVERIFY(state.isLaunchPending());
    QTRY_COMPARE(env.log.lines, QStringList{QStringLiteral(
                                    "Pelvaro Launcher: failed to launch Pelvaro: Exec failed")});
    QCOMPARE(state.errorMessage(),
             std::optional<QString>(QStringLiteral("Pelvaro could not be opened: Exec failed")));
    QVERIFY(!state.isPelvaroRunning());
    QVERIFY(!state.isLaunchPending());
}

void ProfileStartTest::writersProduceTheBinaryForm_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("save") << true;
    QTest::newRow("create") << false;
}

void ProfileStartTest::writersProduceTheBinaryForm()
{
    QFETCH(bool, save);
    TestEnvironment env;
    const PlistDictionary domain =
        test_files::dictionary({{QStringLiteral("volume"), PlistValue(0.75)},
                                {QStringLiteral("name"), PlistValue(QStringLiteral("x"))}});
    QDir().mkpath(env.defaultFolder());
    test_files::writeBytes(env.defaultFolder() + u"/Work.plist", "<plist><dict/></plist>");
    LauncherState& state = env.makeState();
    if (save) {
        state.startProfile(state.profiles().first());
        writeDomain(env, domain);
        state.saveActiveProfile();
    } else {
        writeDomain(env, domain);
        state.createProfileFromCurrentPreferences(QStringLiteral("New.plist"));
    }
    QCOMPARE(state.errorMessage(), std::nullopt);
    const QByteArray written =
        test_files::readBytes(env.defaultFolder() + (save ? u"/Work.plist" : u"/New.plist"));
    QVERIFY(written.startsWith("bplist00"));
    QCOMPARE(*plistlib::load(written), plistlib::canonical(PlistValue(domain)));
}

void ProfileStartTest::emptyDomainFallsBackToPelvarosFile()
{
    TestEnvironment env;
    QDir().mkpath(QFileInfo(env.domainFile()).path());
    // An empty dictionary in the text form: the domain is empty, and the
    // file is copied as it is, in its own form.
    test_files::writeBytes(env.domainFile(), "{ /* nothing yet */ }");
    QDir().mkpath(env.defaultFolder());
    test_files::writeBytes(env.defaultFolder() + u"/Work.plist", "{ old = profile; }");
    LauncherState& state = env.makeState();
    state.setActiveProfileName(QStringLiteral("Work.plist"));
    state.saveActiveProfile();
    QCOMPARE(state.errorMessage(), std::nullopt);
    QCOMPARE(test_files::readBytes(env.defaultFolder() + u"/Work.plist"),
             QByteArray("{ /* nothing yet */ }"));
}

void ProfileStartTest::emptyDomainWithoutPelvarosFile_data()
{
    QTest::addColumn<bool>("save");
    QTest::newRow("save") << true;
    QTest::newRow("create") << false;
}

void ProfileStartTest::emptyDomainWithoutPelvarosFile()
{
    QFETCH(bool, save);
    TestEnvironment env;
    QDir().mkpath(env.defaultFolder());
    test_files::writeBytes(env.defaultFolder() + u"/Work.plist", "{ old = profile; }");
    LauncherState& state = env.makeState();
    if (save) {
        state.setActiveProfileName(QStringLiteral("Work.plist"));
        state.saveActiveProfile();
    } else {
        state.createProfileFromCurrentPreferences(QStringLiteral("Work.plist"));
    }
    QCOMPARE(
        state.errorMessage(),
        std::optional<QString>(
            save ? QStringLiteral(
                       "Could not save profile \"Work.plist\": no Pelvaro preferences were found.")
                 : QStringLiteral("Could not create profile \"Work.plist\": no Pelvaro preferences "
                                  "were found.")));
    QCOMPARE(test_files::readBytes(env.defaultFolder() + u"/Work.plist"),
             QByteArray("{ old = profile; }"));
}

void ProfileStartTest::failedFallbackCopyKeepsTheProfile()
{
    TestEnvironment env;
    QDir().mkpath(QFileInfo(env.domainFile()).path());
    test_files::writeBytes(env.domainFile(), "{}");
    QDir().mkpath(env.defaultFolder());
    test_files::writeBytes(env.defaultFolder() + u"/Work.plist", "{ old = profile; }");
    LauncherState& state = env.makeState();
    state.setActiveProfileName(QStringLiteral("Work.plist"));
    env.fileSystem.failing.insert(FaultyFileSystem::Operation::writeFileAtomically);
    state.saveActiveProfile();
    QCOMPARE(state.errorMessage(),
             std::optional<QString>(u"Could not save profile \"Work.plist\": " +
                                    FaultyFileSystem::injectedDescription()));
    QCOMPARE(test_files::readBytes(env.defaultFolder() + u"/Work.plist"),
             QByteArray("{ old = profile; }"));
}

void ProfileStartTest::unreadablePelvaroFileIsNotCopied()
{
    TestEnvironment env;
    QDir().mkpath(QFileInfo(env.domainFile()).path());
    test_files::writeBytes(env.domainFile(), QByteArray("\x00\x01 torn write", 13));
    QDir().mkpath(env.defaultFolder());
    test_files::writeBytes(env.defaultFolder() + u"/Work.plist", "{ old = profile; }");
    LauncherState& state = env.makeState();
    state.setActiveProfileName(QStringLiteral("Work.plist"));
    state.saveActiveProfile();
    QCOMPARE(state.errorMessage(),
             std::optional<QString>(QStringLiteral(
                 "Could not save profile \"Work.plist\": Pelvaro's "
                 "preferences file does not hold a readable preferences dictionary.")));
    QCOMPARE(test_files::readBytes(env.defaultFolder() + u"/Work.plist"),
             QByteArray("{ old = profile; }"));
}

void ProfileStartTest::writersWithoutFolderDoNothing()
{
    TestEnvironment env;
    writeDomain(env, test_files::dictionary({{QStringLiteral("a"), PlistValue(true)}}));
    LauncherState& state = env.makeState();
    state.setFolderMode(FolderMode::custom);
    state.setActiveProfileName(QStringLiteral("Work.plist"));
    state.saveActiveProfile();
    state.createProfileFromCurrentPreferences(QStringLiteral("New.plist"));
    QCOMPARE(state.errorMessage(), std::nullopt);
    QVERIFY(QDir(env.defaultFolder()).entryList(QDir::Files).isEmpty());
}

void ProfileStartTest::killedWriterNeverLeavesAPartialFile()
{
    // The writer runs in a child that is killed at random moments; the file
    // must always be one whole version.
    TestEnvironment env;
    QDir().mkpath(env.defaultFolder());
    const QString target = env.defaultFolder() + u"/Work.plist";
    const QByteArray versionA = QByteArray(256 * 1024, 'A');
    const QByteArray versionB = QByteArray(300 * 1024, 'B');
    test_files::writeBytes(target, versionA);
    auto* random = QRandomGenerator::global();
    for (int round = 0; round < 200; ++round) {
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            LinuxFileSystem fileSystem;
            for (int i = 0;; ++i)
                fileSystem.writeFileAtomically(target, i % 2 ? versionA : versionB);
        }
        ::usleep(useconds_t(random->bounded(200, 8000)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const QByteArray now = test_files::readBytes(target);
        QVERIFY2(now == versionA || now == versionB, qPrintable(QString::number(now.size())));
    }
}

QTEST_GUILESS_MAIN(ProfileStartTest)
#include "tst_profilestart.moc"
