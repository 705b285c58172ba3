#include "plist/plistreader.h"
#include "plist/plistwriter.h"
#include "profiles/profileversions.h"
#include "state/launcherstate.h"
#include "support/testenvironment.h"

#include <QtTest>

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
        .value_or(PlistValue())
        .toDictionary()
        .value(QStringLiteral("Number"))
        .toInteger()
        .bits;
}

} // namespace

class ProfileVersionsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void theLastTwentyAreKept();
    void aRepeatIsNotKept();
    void saveBackKeepsWhatItReplaces();
    void aFailedVersionNeverCostsTheSave();
    void renameCarriesAndDeleteRemovesTheHistory();
    void aRestoreCanBeUndone();
    void noRestoreWhilePelvaroRunsWithTheProfile();
    void noRestoreOfAProfileThatIsGone();

private:
    QString workPath() const { return m_env->defaultFolder() + u"/Work.plist"; }
    Profile work() const
    {
        return test_files::profileNamed(m_state->profiles(), QStringLiteral("Work.plist"));
    }
    // Pelvaro's preferences hold `number`, and it quits after a start.
    [[nodiscard]] bool runPelvaroSession(int number);

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

bool ProfileVersionsTest::runPelvaroSession(int number)
{
    m_state->startProfile(work());
    const RunningApplication pelvaro = m_env->workspace.launch(QStringLiteral("Pelvaro"));
    PlistDictionary settings;
    settings.insert(QStringLiteral("Number"), PlistValue(PlistInteger::fromSigned(number)));
    m_env->preferences->setMultiple(settings, {});
    if (!m_env->preferences->synchronize())
        return false;
    m_env->workspace.quit(pelvaro);
    return !m_state->activeProfileName() && !m_state->errorMessage();
}

void ProfileVersionsTest::theLastTwentyAreKept()
{
    ProfileVersions versions(m_env->fileSystem);
    for (int i = 0; i < ProfileVersions::kept + 5; ++i)
        QVERIFY(versions.keep(workPath(), content(100 + i)));
    const QList<ProfileVersion> kept = versions.list(workPath());
    QCOMPARE(kept.size(), ProfileVersions::kept);
    QCOMPARE(numberIn(test_files::readBytes(kept.first().path)), 124);
    QCOMPARE(numberIn(test_files::readBytes(kept.last().path)), 105);
    // Hidden from the list of profiles.
    m_state->reloadProfiles();
    QCOMPARE(test_files::fileNames(m_state->profiles()), QStringList{QStringLiteral("Work.plist")});
}

void ProfileVersionsTest::aRepeatIsNotKept()
{
    ProfileVersions versions(m_env->fileSystem);
    const Result<std::optional<QString>> first = versions.keep(workPath(), content(1));
    QVERIFY(first && *first);
    const Result<std::optional<QString>> again = versions.keep(workPath(), content(1));
    QVERIFY(again && !*again);
    QVERIFY(versions.keep(workPath(), content(2)));
    QVERIFY(versions.keep(workPath(), content(1)));
    QCOMPARE(versions.list(workPath()).size(), 3);
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
    // A session that changed nothing leaves no second copy of the same.
    QVERIFY(runPelvaroSession(2));
    QCOMPARE(m_state->profileVersions(work()).size(), 2);
    QCOMPARE(m_state->lastSaveSummary()->changedSettings, 0);
    QVERIFY(runPelvaroSession(2));
    QCOMPARE(m_state->profileVersions(work()).size(), 2);
}

void ProfileVersionsTest::aFailedVersionNeverCostsTheSave()
{
    m_env->fileSystem.failing.insert(FaultyFileSystem::Fault::createFileAtomically);
    QVERIFY(runPelvaroSession(2));
    QCOMPARE(numberIn(test_files::readBytes(workPath())), 2);
    QVERIFY(m_state->profileVersions(work()).isEmpty());
    QCOMPARE(m_env->log.lines.size(), 1);
    QVERIFY2(m_env->log.lines.first().startsWith(
                 u"Pelvaro Launcher: could not keep a version of Work.plist: "),
             qPrintable(m_env->log.lines.first()));
}

void ProfileVersionsTest::renameCarriesAndDeleteRemovesTheHistory()
{
    QVERIFY(runPelvaroSession(2));
    m_state->renameProfile(work(), QStringLiteral("Office"));
    QCOMPARE(m_state->errorMessage(), std::nullopt);
    const Profile office =
        test_files::profileNamed(m_state->profiles(), QStringLiteral("Office.plist"));
    QCOMPARE(m_state->profileVersions(office).size(), 1);
    QVERIFY(!QFileInfo::exists(ProfileVersions::folderFor(workPath())));
    m_state->deleteProfile(office);
    QVERIFY(!QFileInfo::exists(ProfileVersions::folderFor(office.url)));
    // A new profile of the old name starts without a history.
    QVERIFY(test_files::writeBytes(workPath(), content(9)));
    m_state->reloadProfiles();
    QVERIFY(m_state->profileVersions(work()).isEmpty());
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

QTEST_GUILESS_MAIN(ProfileVersionsTest)
#include "tst_profileversions.moc"
