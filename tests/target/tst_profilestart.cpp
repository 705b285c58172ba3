#include "plist/plistreader.h"
#include "state/launcherstate.h"
#include "support/plistlib.h"
#include "support/testenvironment.h"

#include <QRandomGenerator>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

[[nodiscard]] bool writeDomain(TestEnvironment& env, const PlistDictionary& values)
{
    return QDir().mkpath(QFileInfo(env.domainFile()).path()) &&
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
    void heldDomainLockFailsInsteadOfFreezing_data();
    void heldDomainLockFailsInsteadOfFreezing();
    void newProfileNeverReplacesAFileMadeMeanwhile();
    void longNamesGoTheWholeRoad_data();
    void longNamesGoTheWholeRoad();
    void oddDomainFilesNeitherHangNorAreReplaced_data();
    void oddDomainFilesNeitherHangNorAreReplaced();
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
    QVERIFY(writeDomain(env, domain.toDictionary()));
    QDir().mkpath(env.defaultFolder());
    QVERIFY(test_files::writeBinaryPlist(env.defaultFolder() + u"/Work.plist", profile));
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
    QVERIFY(writeDomain(env, test_files::dictionary({{QStringLiteral("keep"), PlistValue(true)}})));
    const QByteArray domainBefore = test_files::readBytes(env.domainFile());
    QDir().mkpath(env.defaultFolder());
    const QString file = env.defaultFolder() + u"/Bad Profile.plist";
    QVERIFY(test_files::writeBytes(file, content));
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
    QVERIFY(test_files::writeBinaryPlist(
        env.defaultFolder() + u"/Work.plist",
        PlistValue(test_files::dictionary({{QStringLiteral("a"), PlistValue(true)}}))));
    LauncherState& state = env.makeState();
    env.fileSystem.failing.insert(FaultyFileSystem::Fault::writeFileAtomically);
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
    QVERIFY(test_files::writeBinaryPlist(env.defaultFolder() + u"/Work.plist",
                                         PlistValue(PlistDictionary())));
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
    QVERIFY(test_files::writeBinaryPlist(env.defaultFolder() + u"/Work.plist",
                                         PlistValue(PlistDictionary())));
    env.workspace.openError = PlatformError{
        Operation::launch, ErrorCode::systemError, {}, 0, QStringLiteral("Exec failed")};
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
    QVERIFY(test_files::writeBytes(env.defaultFolder() + u"/Work.plist", "<plist><dict/></plist>"));
    LauncherState& state = env.makeState();
    if (save) {
        state.startProfile(state.profiles().first());
        QVERIFY(writeDomain(env, domain));
        state.saveActiveProfile();
    } else {
        QVERIFY(writeDomain(env, domain));
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
    QVERIFY(test_files::writeBytes(env.domainFile(), "{ /* nothing yet */ }"));
    QDir().mkpath(env.defaultFolder());
    QVERIFY(test_files::writeBytes(env.defaultFolder() + u"/Work.plist", "{ old = profile; }"));
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
    QVERIFY(test_files::writeBytes(env.defaultFolder() + u"/Work.plist", "{ old = profile; }"));
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
    QVERIFY(test_files::writeBytes(env.domainFile(), "{}"));
    QDir().mkpath(env.defaultFolder());
    QVERIFY(test_files::writeBytes(env.defaultFolder() + u"/Work.plist", "{ old = profile; }"));
    LauncherState& state = env.makeState();
    state.setActiveProfileName(QStringLiteral("Work.plist"));
    env.fileSystem.failing.insert(FaultyFileSystem::Fault::writeFileAtomically);
    state.saveActiveProfile();
    QCOMPARE(state.errorMessage(),
             std::optional<QString>(u"Could not save profile \"Work.plist\": The file "
                                    u"\u201CWork.plist\u201D couldn\u2019t be saved: " +
                                    FaultyFileSystem::injectedDescription() +
                                    u" Pelvaro's settings were saved as "
                                    u"\"Work (not saved back).plist\" instead."));
    QCOMPARE(test_files::readBytes(env.defaultFolder() + u"/Work.plist"),
             QByteArray("{ old = profile; }"));
}

void ProfileStartTest::unreadablePelvaroFileIsNotCopied()
{
    TestEnvironment env;
    QDir().mkpath(QFileInfo(env.domainFile()).path());
    QVERIFY(test_files::writeBytes(env.domainFile(), QByteArray("\x00\x01 torn write", 13)));
    QDir().mkpath(env.defaultFolder());
    QVERIFY(test_files::writeBytes(env.defaultFolder() + u"/Work.plist", "{ old = profile; }"));
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
    QVERIFY(writeDomain(env, test_files::dictionary({{QStringLiteral("a"), PlistValue(true)}})));
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
    QVERIFY(test_files::writeBytes(target, versionA));
    auto* random = QRandomGenerator::global();
    for (int round = 0; round < 200; ++round) {
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            LinuxFileSystem fileSystem;
            for (int i = 0;; ++i)
                (void)fileSystem.writeFileAtomically(target, i % 2 ? versionA : versionB);
        }
        ::usleep(useconds_t(random->bounded(200, 8000)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const QByteArray now = test_files::readBytes(target);
        QVERIFY2(now == versionA || now == versionB, qPrintable(QString::number(now.size())));
    }
}

void ProfileStartTest::heldDomainLockFailsInsteadOfFreezing_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("message");
    QTest::newRow("start") << QStringLiteral("start")
                           << QStringLiteral("Could not apply profile \"Work.plist\" to Pelvaro "
                                             "preferences: Pelvaro's preferences are locked by "
                                             "another program.");
    QTest::newRow("save-back") << QStringLiteral("save")
                               << QStringLiteral("Could not save profile \"Work.plist\": Pelvaro's "
                                                 "preferences are locked by another program.");
}

// Another program that holds the domain's lock must not freeze the window:
// the operation waits a short while, then fails and changes nothing.
void ProfileStartTest::heldDomainLockFailsInsteadOfFreezing()
{
    QFETCH(QString, operation);
    QFETCH(QString, message);
    TestEnvironment env;
    QVERIFY(
        writeDomain(env, test_files::dictionary({{QStringLiteral("domain"), PlistValue(true)}})));
    QDir().mkpath(env.defaultFolder());
    const QString work = env.defaultFolder() + u"/Work.plist";
    QVERIFY(test_files::writeBinaryPlist(
        work, PlistValue(test_files::dictionary({{QStringLiteral("profile"), PlistValue(true)}}))));
    LauncherState& state = env.makeState();
    if (operation == u"save")
        state.setActiveProfileName(QStringLiteral("Work.plist"));
    const QByteArray domainBefore = test_files::readBytes(env.domainFile());
    const QByteArray profileBefore = test_files::readBytes(work);

    // A lock of another open file description, as another program's is.
    const int holder = ::open(QFile::encodeName(env.domainFile() + u".lock").constData(),
                              O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    QVERIFY(holder >= 0);
    const auto release = qScopeGuard([holder] { ::close(holder); });
    QVERIFY(::flock(holder, LOCK_EX) == 0);
    if (operation == u"start")
        state.startProfile(state.profiles().first());
    else
        state.saveActiveProfile();
    QCOMPARE(state.errorMessage(), std::optional<QString>(message));
    QCOMPARE(test_files::readBytes(env.domainFile()), domainBefore);
    QCOMPARE(test_files::readBytes(work), profileBefore);
    QVERIFY(env.workspace.openedLocations.isEmpty());
}

// Quit & New Profile waits for Pelvaro to quit; a file of the same name made
// meanwhile keeps its content.
void ProfileStartTest::newProfileNeverReplacesAFileMadeMeanwhile()
{
    TestEnvironment env;
    QVERIFY(
        writeDomain(env, test_files::dictionary({{QStringLiteral("domain"), PlistValue(true)}})));
    QDir().mkpath(env.defaultFolder());
    LauncherState& state = env.makeState();
    const RunningApplication pelvaro = env.workspace.launch(QStringLiteral("Pelvaro"));
    state.quitPelvaroAndCreateProfile(QStringLiteral("New"));
    QCOMPARE(state.pendingNewProfileName(), std::optional<QString>(QStringLiteral("New.plist")));
    const QString made = env.defaultFolder() + u"/New.plist";
    QVERIFY(test_files::writeBytes(made, "made meanwhile"));
    env.workspace.quit(pelvaro);
    QCOMPARE(state.errorMessage(),
             std::optional<QString>(QStringLiteral(
                 "Could not create profile \"New.plist\": a file of that name already exists.")));
    QCOMPARE(test_files::readBytes(made), QByteArray("made meanwhile"));
}

void ProfileStartTest::longNamesGoTheWholeRoad_data()
{
    QTest::addColumn<QString>("name");
    for (const int bytes : {250, 255}) {
        QTest::newRow(qPrintable(QStringLiteral("ascii %1 bytes").arg(bytes)))
            << QString(bytes - 6, u'w');
        QTest::newRow(qPrintable(QStringLiteral("two-byte %1 bytes").arg(bytes)))
            << QString((bytes - 6) / 2, u'\u00FC') + QString((bytes - 6) % 2, u'w');
    }
}

// A name as long as the system allows is listed, started, saved back,
// renamed and captured like any other.
void ProfileStartTest::longNamesGoTheWholeRoad()
{
    QFETCH(QString, name);
    TestEnvironment env;
    QVERIFY(
        writeDomain(env, test_files::dictionary({{QStringLiteral("domain"), PlistValue(true)}})));
    QDir().mkpath(env.defaultFolder());
    const QString fileName = name + u".plist";
    QVERIFY(test_files::writeBinaryPlist(
        env.defaultFolder() + u'/' + fileName,
        PlistValue(test_files::dictionary({{QStringLiteral("profile"), PlistValue(true)}}))));
    LauncherState& state = env.makeState();
    QCOMPARE(test_files::fileNames(state.profiles()), QStringList{fileName});
    state.startProfile(state.profiles().first());
    QVERIFY(
        writeDomain(env, test_files::dictionary({{QStringLiteral("session"), PlistValue(true)}})));
    state.saveActiveProfile();
    QCOMPARE(state.errorMessage(), std::nullopt);
    const PlistDictionary saved =
        PlistReader::read(test_files::readBytes(env.defaultFolder() + u'/' + fileName))
            ->toDictionary();
    QVERIFY(saved.contains(QStringLiteral("session")));

    state.renameProfile(state.profiles().first(), QStringLiteral("Short"));
    QCOMPARE(state.errorMessage(), std::nullopt);
    state.renameProfile(test_files::profileNamed(state.profiles(), QStringLiteral("Short.plist")),
                        name);
    QCOMPARE(state.errorMessage(), std::nullopt);
    QVERIFY(QFile::exists(env.defaultFolder() + u'/' + fileName));

    // The copy's name is shortened to fit.
    state.duplicateProfile(test_files::profileNamed(state.profiles(), fileName));
    QCOMPARE(state.errorMessage(), std::nullopt);
    QCOMPARE(state.profiles().size(), 2);
    for (const Profile& listed : state.profiles())
        QVERIFY(QFile::encodeName(listed.fileName()).size() <= 255);
    QVERIFY(test_files::fileNames(state.profiles()).join(u'|').contains(u" Copy.plist"));
    QVERIFY(QFile::remove(test_files::profileNamed(state.profiles(), fileName).url));
    state.reloadProfiles();
    QVERIFY(QFile::remove(state.profiles().first().url));
    state.quitPelvaroAndCreateProfile(name);
    QCOMPARE(state.errorMessage(), std::nullopt);
    QVERIFY(QFile::exists(env.defaultFolder() + u'/' + fileName));
    QCOMPARE(QDir(env.defaultFolder()).entryList(QDir::Files | QDir::Hidden),
             QStringList{fileName});
}

void ProfileStartTest::oddDomainFilesNeitherHangNorAreReplaced_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << QStringLiteral("fifo");
    QTest::newRow("link to a device") << QStringLiteral("device");
}

// Pelvaro's preferences file as a FIFO would block the main thread at its
// opening; as a link to a device it would be read forever, or replaced.
void ProfileStartTest::oddDomainFilesNeitherHangNorAreReplaced()
{
    QFETCH(QString, kind);
    TestEnvironment env;
    QDir().mkpath(QFileInfo(env.domainFile()).path());
    if (kind == u"fifo")
        QVERIFY(::mkfifo(QFile::encodeName(env.domainFile()).constData(), 0600) == 0);
    else if (::mknod(QFile::encodeName(env.root() + u"/null").constData(), S_IFCHR | 0600,
                     makedev(1, 3)) != 0)
        QSKIP("Making a device needs root.");
    else
        QVERIFY(QFile::link(env.root() + u"/null", env.domainFile()));
    QDir().mkpath(env.defaultFolder());
    QVERIFY(test_files::writeBinaryPlist(env.defaultFolder() + u"/Work.plist",
                                         PlistValue(PlistDictionary())));
    LauncherState& state = env.makeState();
    state.startProfile(state.profiles().first());
    QCOMPARE(state.errorMessage(),
             std::optional<QString>(
                 QStringLiteral("Could not apply profile \"Work.plist\" to Pelvaro preferences.")));
    const QFileInfo domain(env.domainFile());
    QVERIFY(kind == u"fifo" ? !domain.isFile() && domain.exists() : domain.isSymLink());
}

QTEST_GUILESS_MAIN(ProfileStartTest)
#include "tst_profilestart.moc"
