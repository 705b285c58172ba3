#include "platform/safefolder.h"
#include "plist/plistreader.h"
#include "plist/plistwriter.h"
#include "profiles/profileversions.h"
#include "state/launcherstate.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <sys/stat.h>

namespace {

QByteArray content(int number)
{
    PlistDictionary settings;
    settings.insert(QStringLiteral("Number"), PlistValue(PlistInteger::fromSigned(number)));
    return PlistWriter::writeBinary(PlistValue(settings));
}

qint64 numberIn(const QByteArray& bytes)
{
    return PlistReader::read(bytes)
        .valueOr(PlistValue())
        .toDictionary()
        .value(QStringLiteral("Number"))
        .toInteger()
        .bits;
}

// What a profile held, as the session reads it before replacing it.
FileContent held(int number, uint permissions = 0644)
{
    FileContent current;
    current.bytes = content(number);
    current.permissions = permissions;
    return current;
}

struct stat statOf(const QString& path)
{
    struct stat info
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class ProfileVersionsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void theLastTwentyAreKept();
    void aRepeatIsNotKept();
    void orderNeverFollowsTheClock_data();
    void orderNeverFollowsTheClock();
    void saveBackKeepsWhatItReplaces();
    void theReplacedFileIsKeptByLinkWhenItIsOnlyOurs();
    void onlySettingsAreKept();
    void aFailedVersionNeverCostsTheSave();
    void versionsAreNoWiderThanTheirProfile_data();
    void versionsAreNoWiderThanTheirProfile();
    void hostileSharedFolder_data();
    void hostileSharedFolder();
    void aLinkSwappedInDuringASessionIsNeverFollowed();
    void renameCarriesAndDeleteRemovesTheHistory();
    void aReusedNameStartsWithoutAHistory_data();
    void aReusedNameStartsWithoutAHistory();
    void onlyVersionsAreRemoved();
    void aRestoreCanBeUndone();
    void noRestoreWhilePelvaroRunsWithTheProfile();
    void noRestoreOfAProfileThatIsGone();
    void historyOfAnUnreadableVersion();

private:
    QString workPath() const { return m_env->defaultFolder() + u"/Work.plist"; }
    QString historyOf(const QString& fileName) const
    {
        return m_env->defaultFolder() + u"/.pelvaro-versions/" + fileName;
    }
    Profile profile(const QString& fileName) const
    {
        return test_files::profileNamed(m_state->profiles(), fileName);
    }
    Profile work() const { return profile(QStringLiteral("Work.plist")); }
    bool loggedOnlyThatNoVersionWasKept() const
    {
        return m_env->log.lines.size() == 1 &&
               m_env->log.lines.first().startsWith(
                   u"Pelvaro Launcher: could not keep a version of Work.plist: ");
    }
    // Pelvaro's preferences hold `number`, and it quits after a start.
    [[nodiscard]] bool runPelvaroSession(int number, const std::function<void()>& meanwhile = {});

    std::unique_ptr<TestEnvironment> m_env;
    LauncherState* m_state = nullptr;
};

void ProfileVersionsTest::init()
{
    m_env = std::make_unique<TestEnvironment>();
    QVERIFY(QDir().mkpath(m_env->defaultFolder()));
    QVERIFY(test_files::writeBytes(workPath(), content(1)));
    m_state = &m_env->makeState();
}

bool ProfileVersionsTest::runPelvaroSession(int number, const std::function<void()>& meanwhile)
{
    m_state->startProfile(work());
    const RunningApplication pelvaro = m_env->workspace.launch(QStringLiteral("Pelvaro"));
    PlistDictionary settings;
    settings.insert(QStringLiteral("Number"), PlistValue(PlistInteger::fromSigned(number)));
    m_env->preferences->setMultiple(settings, {});
    if (!m_env->preferences->synchronize())
        return false;
    if (meanwhile)
        meanwhile();
    m_env->workspace.quit(pelvaro);
    return !m_state->activeProfileName() && !m_state->errorMessage();
}

void ProfileVersionsTest::theLastTwentyAreKept()
{
    ProfileVersions versions(m_env->fileSystem);
    for (int i = 0; i < ProfileVersions::kept + 5; ++i) {
        QVERIFY(versions.keep(workPath(), held(100 + i)));
        QVERIFY(versions.prune(workPath()));
    }
    const QList<ProfileVersion> kept = versions.list(workPath());
    QCOMPARE(kept.size(), ProfileVersions::kept);
    QCOMPARE(numberIn(test_files::readBytes(kept.first().path)), 124);
    QCOMPARE(numberIn(test_files::readBytes(kept.last().path)), 105);
    // The command line names a version by its name or its number alone.
    QCOMPARE(versions.find(workPath(), kept.first().name()), kept.first());
    QCOMPARE(versions.find(workPath(), QStringLiteral("25")), kept.first());
}

void ProfileVersionsTest::aRepeatIsNotKept()
{
    ProfileVersions versions(m_env->fileSystem);
    const Result<std::optional<QString>> first = versions.keep(workPath(), held(1));
    QVERIFY(first && *first);
    const Result<std::optional<QString>> again = versions.keep(workPath(), held(1));
    QVERIFY(again && !*again);
    QVERIFY(versions.keep(workPath(), held(2)));
    QVERIFY(versions.keep(workPath(), held(1)));
    QCOMPARE(versions.list(workPath()).size(), 3);
}

// Versions kept while the clock was a year ahead or behind, or named by
// their time alone by earlier releases: whatever their times say, the one
// kept now is the newest, and never the one pruned.
void ProfileVersionsTest::orderNeverFollowsTheClock_data()
{
    QTest::addColumn<QString>("nameFormat");
    QTest::addColumn<int>("yearsFromNow");
    QTest::newRow("clock was ahead") << QStringLiteral("%1-yyyyMMdd-HHmmss-zzz") << 1;
    QTest::newRow("clock was behind") << QStringLiteral("%1-yyyyMMdd-HHmmss-zzz") << -1;
    QTest::newRow("earlier release, clock was ahead") << QStringLiteral("yyyyMMdd-HHmmss-zzz") << 1;
}

void ProfileVersionsTest::orderNeverFollowsTheClock()
{
    QFETCH(QString, nameFormat);
    QFETCH(int, yearsFromNow);
    QVERIFY(QDir().mkpath(historyOf(QStringLiteral("Work.plist"))));
    const QDateTime then = QDateTime::currentDateTimeUtc().addYears(yearsFromNow);
    for (int i = 0; i < ProfileVersions::kept; ++i) {
        QString name = then.addSecs(i).toString(nameFormat);
        name = name.contains(u"%1") ? name.arg(i + 1, 6, 10, QChar(u'0')) : name;
        QVERIFY(test_files::writeBytes(
            historyOf(QStringLiteral("Work.plist")) + u'/' + name + u".plist", content(500 + i)));
    }
    QVERIFY(runPelvaroSession(2));
    const QList<ProfileVersion> kept = m_state->profileVersions(work());
    QCOMPARE(kept.size(), ProfileVersions::kept);
    QCOMPARE(numberIn(test_files::readBytes(kept.first().path)), 1);
    QCOMPARE(numberIn(test_files::readBytes(kept.at(1).path)), 519);
    // The repeat check compares with the version that really is the newest:
    // the profile is given that version's content back, as a restore does.
    QVERIFY(test_files::writeBytes(workPath(), content(1)));
    QVERIFY(runPelvaroSession(3));
    const QList<ProfileVersion> after = m_state->profileVersions(work());
    QCOMPARE(numberIn(test_files::readBytes(after.first().path)), 1);
    QCOMPARE(numberIn(test_files::readBytes(after.at(1).path)), 519);
}

void ProfileVersionsTest::saveBackKeepsWhatItReplaces()
{
    QSignalSpy summary(m_state, &LauncherState::lastSaveSummaryChanged);
    QVERIFY(runPelvaroSession(2));
    QCOMPARE(numberIn(test_files::readBytes(workPath())), 2);
    const QList<ProfileVersion> kept = m_state->profileVersions(work());
    QCOMPARE(kept.size(), 1);
    QCOMPARE(numberIn(test_files::readBytes(kept.first().path)), 1);
    QCOMPARE(summary.size(), 1);
    QCOMPARE(m_state->lastSaveSummary()->changedSettings, 1);
    QCOMPARE(m_state->lastSaveSummary()->profilePath, workPath());
    // A session that changed nothing replaced nothing: no version of it.
    QVERIFY(runPelvaroSession(2));
    QCOMPARE(m_state->profileVersions(work()).size(), 1);
    QCOMPARE(m_state->lastSaveSummary()->changedSettings, 0);
}

// The replaced file is about to be unlinked, so it becomes the version
// itself; a file with another name besides (a hard link a user made) could
// be changed through that name, so it is copied.
void ProfileVersionsTest::theReplacedFileIsKeptByLinkWhenItIsOnlyOurs()
{
    const ino_t original = statOf(workPath()).st_ino;
    QVERIFY(runPelvaroSession(2));
    QCOMPARE(statOf(m_state->profileVersions(work()).first().path).st_ino, original);

    const QString other = m_env->defaultFolder() + u"/.elsewhere";
    QVERIFY(::link(QFile::encodeName(workPath()).constData(), QFile::encodeName(other)) == 0);
    const ino_t shared = statOf(workPath()).st_ino;
    QVERIFY(runPelvaroSession(3));
    const ProfileVersion kept = m_state->profileVersions(work()).first();
    QVERIFY(statOf(kept.path).st_ino != shared);
    QCOMPARE(numberIn(test_files::readBytes(kept.path)), 2);
}

void ProfileVersionsTest::onlySettingsAreKept()
{
    QVERIFY(runPelvaroSession(
        2, [this] { QVERIFY(test_files::writeBytes(workPath(), "not a property list")); }));
    QCOMPARE(numberIn(test_files::readBytes(workPath())), 2);
    QVERIFY(m_state->profileVersions(work()).isEmpty());
}

void ProfileVersionsTest::aFailedVersionNeverCostsTheSave()
{
    m_env->fileSystem.failing.insert(FaultyFileSystem::Fault::openFolder);
    QVERIFY(runPelvaroSession(2));
    QCOMPARE(numberIn(test_files::readBytes(workPath())), 2);
    QVERIFY(m_state->profileVersions(work()).isEmpty());
    QVERIFY2(loggedOnlyThatNoVersionWasKept(), qPrintable(m_env->log.lines.join(u'\n')));
}

void ProfileVersionsTest::versionsAreNoWiderThanTheirProfile_data()
{
    QTest::addColumn<uint>("profileMode");
    QTest::addColumn<uint>("folderMode");
    QTest::newRow("private") << 0600u << 0700u;
    QTest::newRow("group may read") << 0640u << 0750u;
    QTest::newRow("group may write") << 0660u << 0770u;
    QTest::newRow("everyone may read") << 0644u << 0755u;
}

void ProfileVersionsTest::versionsAreNoWiderThanTheirProfile()
{
    QFETCH(uint, profileMode);
    QFETCH(uint, folderMode);
    for (const bool byCopy : {false, true}) {
        init();
        QVERIFY(::chmod(QFile::encodeName(workPath()).constData(), profileMode) == 0);
        const QString other = m_env->defaultFolder() + u"/.elsewhere";
        if (byCopy)
            QVERIFY(::link(QFile::encodeName(workPath()).constData(), QFile::encodeName(other)) ==
                    0);
        QVERIFY(runPelvaroSession(2));
        const QList<ProfileVersion> kept = m_state->profileVersions(work());
        QCOMPARE(kept.size(), 1);
        QCOMPARE(statOf(kept.first().path).st_mode & 0777, profileMode);
        QCOMPARE(statOf(historyOf(QStringLiteral("Work.plist"))).st_mode & 0777, folderMode);
    }
}

// A second user of a group folder plants links and folders where the
// versions go. Nothing outside the profile folder is read, written or
// removed, no version is kept, and the save goes on.
void ProfileVersionsTest::hostileSharedFolder_data()
{
    QTest::addColumn<QString>("planted");
    QTest::addColumn<bool>("asLink");
    QTest::newRow("linked versions folder") << QStringLiteral(".pelvaro-versions") << true;
    QTest::newRow("linked version subfolder")
        << QStringLiteral(".pelvaro-versions/Work.plist") << true;
    QTest::newRow("version subfolder of another user")
        << QStringLiteral(".pelvaro-versions/Work.plist") << false;
}

void ProfileVersionsTest::hostileSharedFolder()
{
    QFETCH(QString, planted);
    QFETCH(bool, asLink);
    const QString outside = m_env->makeFolder(QStringLiteral("victim"));
    for (int i = 1; i <= 5; ++i)
        QVERIFY(test_files::writeBytes(
            outside + QStringLiteral("/2026010%1-101500-123.plist").arg(i), content(900 + i)));
    const QString plantedPath = m_env->defaultFolder() + u'/' + planted;
    QVERIFY(QDir().mkpath(file_path::parent(plantedPath)));
    if (asLink)
        QVERIFY(QFile::link(outside, plantedPath));
    else
        QVERIFY(QDir().mkpath(plantedPath));
    if (!test_files::giveToAnotherUser(plantedPath))
        QSKIP("Only root can make a file another user's.");
    const QStringList before = entriesOf(outside);

    QVERIFY(runPelvaroSession(2));
    QCOMPARE(numberIn(test_files::readBytes(workPath())), 2);
    QVERIFY(m_state->profileVersions(work()).isEmpty());
    QVERIFY2(loggedOnlyThatNoVersionWasKept(), qPrintable(m_env->log.lines.join(u'\n')));

    m_state->deleteProfile(work());
    QCOMPARE(m_state->errorMessage(), std::nullopt);
    QCOMPARE(entriesOf(outside), before);
    QVERIFY(QFileInfo(plantedPath).isSymLink() == asLink);
}

// Another user replaces the running profile with a link to a private file
// of this user's. The save-back neither reads nor writes through it: the
// private file stays as it was and unshared, and the session's settings go
// to a new profile beside it, which the message names.
void ProfileVersionsTest::aLinkSwappedInDuringASessionIsNeverFollowed()
{
    const QString secret = m_env->home() + u"/secret.txt";
    QVERIFY(test_files::writeBytes(secret, "the user's own secret"));
    QVERIFY(::chmod(QFile::encodeName(secret).constData(), 0600) == 0);
    bool planted = false;
    const auto swapInALink = [&] {
        planted = QFile::remove(workPath()) && QFile::link(secret, workPath()) &&
                  test_files::giveToAnotherUser(workPath());
    };
    QVERIFY(!runPelvaroSession(2, swapInALink));
    if (!planted)
        QSKIP("Only root can make a link another user's.");
    QCOMPARE(test_files::readBytes(secret), QByteArray("the user's own secret"));
    QCOMPARE(statOf(secret).st_mode & 0777, 0600u);
    QVERIFY(!QFileInfo::exists(historyOf(QStringLiteral("Work.plist"))));
    const QString savedInstead = m_env->defaultFolder() + u"/Work (not saved back).plist";
    QCOMPARE(numberIn(test_files::readBytes(savedInstead)), 2);
    const QString message = m_state->errorMessage().value_or(QString());
    QVERIFY2(message.startsWith(u"Could not save profile \"Work.plist\": ") &&
                 message.contains(u"owned by another user") &&
                 message.endsWith(u"saved as \"Work (not saved back).plist\" instead."),
             qPrintable(message));
    // A second time, the name for what it is does not replace the first.
    m_state->setErrorMessage(std::nullopt);
    QVERIFY(QFile::remove(workPath()) && test_files::writeBytes(workPath(), content(1)));
    m_state->reloadProfiles();
    QVERIFY(!runPelvaroSession(3, swapInALink));
    QCOMPARE(numberIn(test_files::readBytes(savedInstead)), 2);
    QCOMPARE(
        numberIn(test_files::readBytes(m_env->defaultFolder() + u"/Work (not saved back 2).plist")),
        3);
}

void ProfileVersionsTest::renameCarriesAndDeleteRemovesTheHistory()
{
    QVERIFY(runPelvaroSession(2));
    m_state->renameProfile(work(), QStringLiteral("Office"));
    QCOMPARE(m_state->errorMessage(), std::nullopt);
    const Profile office = profile(QStringLiteral("Office.plist"));
    QCOMPARE(m_state->profileVersions(office).size(), 1);
    QVERIFY(!QFileInfo::exists(ProfileVersions::folderFor(workPath())));
    m_state->deleteProfile(office);
    QVERIFY(!QFileInfo::exists(ProfileVersions::folderFor(office.url)));
    // A new profile of the old name starts without a history.
    QVERIFY(test_files::writeBytes(workPath(), content(9)));
    m_state->reloadProfiles();
    QVERIFY(m_state->profileVersions(work()).isEmpty());
}

// A profile deleted outside the launcher left its history. A profile that
// takes its name later, by rename, duplicate or quit and create, starts
// with its own history alone; the left one is set aside, not removed.
void ProfileVersionsTest::aReusedNameStartsWithoutAHistory_data()
{
    QTest::addColumn<QString>("reusedName");
    QTest::addColumn<int>("expectedVersions");
    QTest::newRow("rename") << QStringLiteral("Old.plist") << 1;
    QTest::newRow("duplicate") << QStringLiteral("Work Copy.plist") << 0;
    QTest::newRow("quit and create") << QStringLiteral("Old.plist") << 0;
}

void ProfileVersionsTest::aReusedNameStartsWithoutAHistory()
{
    QFETCH(QString, reusedName);
    QFETCH(int, expectedVersions);
    QVERIFY(runPelvaroSession(2));
    const QString leftover = historyOf(reusedName);
    QVERIFY(QDir().mkpath(leftover));
    QVERIFY(test_files::writeBytes(leftover + u"/000001-20200101-101500-123.plist", content(77)));

    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    if (tag == u"rename") {
        m_state->renameProfile(work(), QStringLiteral("Old"));
    } else if (tag == u"duplicate") {
        m_state->duplicateProfile(work());
    } else {
        const RunningApplication pelvaro = m_env->workspace.launch(QStringLiteral("Pelvaro"));
        m_state->quitPelvaroAndCreateProfile(QStringLiteral("Old"));
        m_env->workspace.quit(pelvaro);
    }
    QCOMPARE(m_state->errorMessage(), std::nullopt);
    QVERIFY(QFileInfo::exists(m_env->defaultFolder() + u'/' + reusedName));
    const QList<ProfileVersion> history = m_state->profileVersions(profile(reusedName));
    QCOMPARE(history.size(), expectedVersions);
    for (const ProfileVersion& version : history)
        QCOMPARE(numberIn(test_files::readBytes(version.path)), 1);
    QCOMPARE(numberIn(test_files::readBytes(historyOf(reusedName + u".earlier-1") +
                                            u"/000001-20200101-101500-123.plist")),
             77);
}

void ProfileVersionsTest::onlyVersionsAreRemoved()
{
    QVERIFY(runPelvaroSession(2));
    const QString history = historyOf(QStringLiteral("Work.plist"));
    QVERIFY(test_files::writeBytes(history + u"/notes.txt", "mine"));
    QVERIFY(test_files::writeBytes(history + u"/20261207-notes.plist", "mine too"));
    for (int i = 3; i < ProfileVersions::kept + 5; ++i)
        QVERIFY(runPelvaroSession(i));
    m_state->deleteProfile(work());
    QCOMPARE(entriesOf(history),
             QStringList({QStringLiteral("20261207-notes.plist"), QStringLiteral("notes.txt")}));
}

void ProfileVersionsTest::aRestoreCanBeUndone()
{
    QVERIFY(runPelvaroSession(2));
    QVERIFY(runPelvaroSession(3));
    const QList<ProfileVersion> kept = m_state->profileVersions(work());
    QCOMPARE(kept.size(), 2);
    m_state->restoreProfileVersion(work(), kept.last()); // the original, 1
    QCOMPARE(m_state->errorMessage(), std::nullopt);
    QCOMPARE(numberIn(test_files::readBytes(workPath())), 1);
    // What the restore replaced is the newest version: restoring it undoes.
    const QList<ProfileVersion> after = m_state->profileVersions(work());
    QCOMPARE(after.size(), 3);
    QCOMPARE(numberIn(test_files::readBytes(after.first().path)), 3);
    m_state->restoreProfileVersion(work(), after.first());
    QCOMPARE(numberIn(test_files::readBytes(workPath())), 3);
}

void ProfileVersionsTest::noRestoreWhilePelvaroRunsWithTheProfile()
{
    QVERIFY(runPelvaroSession(2));
    const ProfileVersion original = m_state->profileVersions(work()).first();
    m_state->startProfile(work());
    m_env->workspace.launch(QStringLiteral("Pelvaro"));
    m_state->restoreProfileVersion(work(), original);
    QCOMPARE(m_state->errorMessage(),
             std::optional<QString>(
                 QStringLiteral("\"Work.plist\" cannot be restored while Pelvaro runs with it.")));
    QCOMPARE(numberIn(test_files::readBytes(workPath())), 2);
}

void ProfileVersionsTest::noRestoreOfAProfileThatIsGone()
{
    QVERIFY(runPelvaroSession(2));
    const Profile old = work();
    const ProfileVersion original = m_state->profileVersions(old).first();
    QVERIFY(QFile::rename(workPath(), m_env->defaultFolder() + u"/Moved.plist"));
    m_state->restoreProfileVersion(old, original);
    QCOMPARE(m_state->errorMessage().value_or(QString()),
             QStringLiteral("\"Work.plist\" no longer exists."));
    QVERIFY(!QFile::exists(workPath()));
}

// A version that cannot be read counts no changes and shows none, rather
// than every setting as added; what replaced it counts none either.
void ProfileVersionsTest::historyOfAnUnreadableVersion()
{
    QVERIFY(runPelvaroSession(2));
    QVERIFY(runPelvaroSession(3));
    QList<ProfileVersion> kept = m_state->profileVersions(work());
    QCOMPARE(kept.size(), 2);
    // The older version is damaged: it is the first content, 1.
    QVERIFY(test_files::writeBytes(kept.at(1).path, "not a property list"));
    const VersionHistory history = m_state->versionHistory(work());
    QCOMPARE(history.entries.size(), 2);
    QCOMPARE(history.entries.at(0).changedAfter, std::optional<qsizetype>(1));
    QVERIFY(!history.entries.at(1).settings);
    QCOMPARE(history.entries.at(1).failure->problem, SettingsFailure::Problem::notAPropertyList);
    QCOMPARE(history.entries.at(1).changedAfter, std::nullopt);
}

QTEST_GUILESS_MAIN(ProfileVersionsTest)
#include "tst_profileversions.moc"
