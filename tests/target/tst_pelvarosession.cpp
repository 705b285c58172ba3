#include "plist/plistreader.h"
#include "plist/plistwriter.h"
#include "support/plisttesting.h"
#include "support/testenvironment.h"
#include "target/pelvarosession.h"

#include <QtTest>

using Problem = SessionFailure::Problem;

// The session's steps on their own: each failure names its problem and,
// where the platform failed, the platform's error.
class PelvaroSessionTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void applyProfileFailures_data();
    void applyProfileFailures();
    void writeFailures_data();
    void writeFailures();
    void writeCopiesThePreferencesFileWhenTheDomainIsEmpty();
    void saveBackMergesChangesMadeElsewhere_data();
    void saveBackMergesChangesMadeElsewhere();
    void saveBackReplacedAtEveryTryIsSavedBeside();
    void launchTellsWhetherPelvaroIsInstalled();
    void onlyPelvaroInstancesAreTerminated();

private:
    QString profilePath() const { return m_env->defaultFolder() + u"/Work.plist"; }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<PelvaroSession> m_session;
};

void PelvaroSessionTest::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_session = std::make_unique<PelvaroSession>(m_env->services());
    QVERIFY(QDir().mkpath(m_env->defaultFolder()));
    QVERIFY(test_files::writeBinaryPlist(
        profilePath(),
        PlistValue(test_files::dictionary({{QStringLiteral("Theme"), PlistValue(true)}}))));
}

void PelvaroSessionTest::applyProfileFailures_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QList<FaultyFileSystem::Fault>>("faults");
    QTest::addColumn<Problem>("problem");
    QTest::addColumn<bool>("hasCause");
    const QByteArray good = PlistWriter::writeBinary(PlistValue(PlistDictionary()));
    QTest::newRow("unreadable file")
        << good << QList{FaultyFileSystem::Fault::readFile} << Problem::profileUnreadable << true;
    QTest::newRow("not a property list")
        << QByteArray("garbage") << QList<FaultyFileSystem::Fault>() << Problem::profileUnreadable
        << false;
    QTest::newRow("an array") << PlistWriter::writeBinary(PlistValue(PlistArray()))
                              << QList<FaultyFileSystem::Fault>() << Problem::profileUnreadable
                              << false;
    QTest::newRow("preferences not written")
        << good << QList{FaultyFileSystem::Fault::writeFileAtomically} << Problem::notApplied
        << true;
    QTest::newRow("preferences locked")
        << good << QList{FaultyFileSystem::Fault::lockExclusively} << Problem::notApplied << true;
}

void PelvaroSessionTest::applyProfileFailures()
{
    QFETCH(QByteArray, content);
    QFETCH(QList<FaultyFileSystem::Fault>, faults);
    QFETCH(Problem, problem);
    QFETCH(bool, hasCause);
    QVERIFY(test_files::writeBytes(profilePath(), content));
    for (const FaultyFileSystem::Fault fault : faults)
        m_env->fileSystem.failing.insert(fault);
    const Result<void, SessionFailure> applied = m_session->applyProfile(profilePath());
    QVERIFY(!applied);
    QCOMPARE(applied.error().problem, problem);
    QCOMPARE(applied.error().cause.has_value(), hasCause);
}

void PelvaroSessionTest::writeFailures_data()
{
    QTest::addColumn<PelvaroSession::WriteMode>("mode");
    QTest::addColumn<bool>("targetExists");
    QTest::addColumn<FaultyFileSystem::Fault>("fault");
    QTest::addColumn<Problem>("problem");
    QTest::newRow("save-back not written")
        << PelvaroSession::WriteMode::replace << true
        << FaultyFileSystem::Fault::writeFileAtomically << Problem::notWritten;
    QTest::newRow("new profile not written")
        << PelvaroSession::WriteMode::create << false
        << FaultyFileSystem::Fault::createFileAtomically << Problem::notWritten;
    QTest::newRow("new profile's name taken")
        << PelvaroSession::WriteMode::create << true
        << FaultyFileSystem::Fault::createFileAtomically << Problem::targetExists;
}

void PelvaroSessionTest::writeFailures()
{
    QFETCH(PelvaroSession::WriteMode, mode);
    QFETCH(bool, targetExists);
    QFETCH(FaultyFileSystem::Fault, fault);
    QFETCH(Problem, problem);
    m_env->preferences->setMultiple(
        test_files::dictionary({{QStringLiteral("Zoom"), PlistValue(2.0)}}), {});
    QVERIFY(m_env->preferences->synchronize());
    const QString target = targetExists ? profilePath() : m_env->defaultFolder() + u"/New.plist";
    const QByteArray before = test_files::readBytes(profilePath());
    m_env->fileSystem.failing.insert(fault);
    const Result<SaveOutcome, SessionFailure> written =
        m_session->writeCurrentPreferences(mode, target);
    QVERIFY(!written);
    QCOMPARE(written.error().problem, problem);
    QVERIFY(written.error().cause);
    QCOMPARE(test_files::readBytes(profilePath()), before);
}

void PelvaroSessionTest::writeCopiesThePreferencesFileWhenTheDomainIsEmpty()
{
    // Nothing in the domain and no file: nothing to save.
    Result<SaveOutcome, SessionFailure> written =
        m_session->writeCurrentPreferences(PelvaroSession::WriteMode::replace, profilePath());
    QVERIFY(!written);
    QCOMPARE(written.error().problem, Problem::noPreferences);
    // A file that is no dictionary costs the profile nothing.
    QVERIFY(QDir().mkpath(QFileInfo(m_env->domainFile()).path()));
    QVERIFY(test_files::writeBytes(m_env->domainFile(), "not a plist"));
    written = m_session->writeCurrentPreferences(PelvaroSession::WriteMode::replace, profilePath());
    QVERIFY(!written);
    QCOMPARE(written.error().problem, Problem::preferencesUnreadable);
    QVERIFY(PlistReader::read(test_files::readBytes(profilePath()))->isDictionary());
}

namespace {

QByteArray binary(const char* text)
{
    return PlistWriter::writeBinary(PlistValue(settingsFrom(text)));
}

} // namespace

// A session changes A and C while another machine's edit (B and C changed,
// E added) replaces the profile the way sync clients do; some replace it
// again while the save-back writes.
void PelvaroSessionTest::saveBackMergesChangesMadeElsewhere_data()
{
    QTest::addColumn<QByteArray>("elsewhere");
    QTest::addColumn<QList<QByteArray>>("duringWrite");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<qsizetype>("kept");
    QTest::addColumn<qsizetype>("conflicts");
    const QByteArray theirs = binary("{A=1;B=2;C=2;D=1;E=2;}");
    QTest::newRow("replaced by rename")
        << theirs << QList<QByteArray>() << binary("{A=3;B=2;C=3;D=1;E=2;}") << qsizetype(2)
        << qsizetype(1);
    QTest::newRow("rewritten, same settings")
        << binary("{D=1;C=1;B=1;A=1;}") << QList<QByteArray>() << binary("{A=3;B=1;C=3;D=1;}")
        << qsizetype(0) << qsizetype(0);
    QTest::newRow("became unreadable")
        << QByteArray("garbage") << QList<QByteArray>() << binary("{A=3;B=1;C=3;D=1;}")
        << qsizetype(0) << qsizetype(0);
    QTest::newRow("became an array")
        << PlistWriter::writeBinary(PlistValue(PlistArray{})) << QList<QByteArray>()
        << binary("{A=3;B=1;C=3;D=1;}") << qsizetype(0) << qsizetype(0);
    QTest::newRow("replaced again while written")
        << theirs << QList<QByteArray>{binary("{A=1;B=2;C=2;D=1;E=2;F=5;}")}
        << binary("{A=3;B=2;C=3;D=1;E=2;F=5;}") << qsizetype(3) << qsizetype(1);
}

void PelvaroSessionTest::saveBackMergesChangesMadeElsewhere()
{
    QFETCH(QByteArray, elsewhere);
    QFETCH(QList<QByteArray>, duringWrite);
    QFETCH(QByteArray, saved);
    QFETCH(qsizetype, kept);
    QFETCH(qsizetype, conflicts);
    QVERIFY(test_files::writeBytes(profilePath(), binary("{A=1;B=1;C=1;D=1;}")));
    QVERIFY(m_session->applyProfile(profilePath()));
    m_env->preferences->setMultiple(settingsFrom("{A=3;C=3;}"), {});
    QVERIFY(m_env->preferences->synchronize());
    QVERIFY(test_files::replaceByRename(profilePath(), elsewhere));
    m_env->fileSystem.beforeCheckedWrite = [&](const QString& path) {
        if (!duringWrite.isEmpty())
            QVERIFY(test_files::replaceByRename(path, duringWrite.takeFirst()));
    };
    const Result<SaveOutcome, SessionFailure> written =
        m_session->writeCurrentPreferences(PelvaroSession::WriteMode::replace, profilePath());
    QVERIFY(written);
    QCOMPARE(*PlistReader::read(test_files::readBytes(profilePath())), *PlistReader::read(saved));
    QCOMPARE(written->keptFromElsewhere, kept);
    QCOMPARE(written->conflicts, conflicts);
    // What stood there is kept whenever it reads as settings: in a conflict,
    // the other machine's value is there.
    const bool readsAsSettings = PlistReader::read(elsewhere).valueOr(PlistValue()).isDictionary();
    QCOMPARE(written->keptVersion.has_value(), readsAsSettings);
}

void PelvaroSessionTest::saveBackReplacedAtEveryTryIsSavedBeside()
{
    QVERIFY(m_session->applyProfile(profilePath()));
    m_env->preferences->setMultiple(settingsFrom("{Zoom=2;}"), {});
    QVERIFY(m_env->preferences->synchronize());
    int replaced = 0;
    m_env->fileSystem.beforeCheckedWrite = [&](const QString& path) {
        ++replaced;
        QVERIFY(test_files::replaceByRename(path, binary("{Theme=dark;}")));
    };
    const Result<SaveOutcome, SessionFailure> written =
        m_session->writeCurrentPreferences(PelvaroSession::WriteMode::replace, profilePath());
    QVERIFY(!written);
    QCOMPARE(written.error().cause->code, ErrorCode::changedMeanwhile);
    QCOMPARE(replaced, 5);
    // Nothing is overwritten blindly, and nothing is lost.
    QCOMPARE(*PlistReader::read(test_files::readBytes(profilePath())),
             PlistValue(settingsFrom("{Theme=dark;}")));
    QVERIFY(written.error().savedInstead);
    QCOMPARE(PlistReader::read(test_files::readBytes(*written.error().savedInstead))
                 ->toDictionary()
                 .value(QStringLiteral("Zoom")),
             PlistValue(QStringLiteral("2")));
}

void PelvaroSessionTest::launchTellsWhetherPelvaroIsInstalled()
{
    QSignalSpy failed(m_session.get(), &PelvaroSession::launchFailed);
    m_env->workspace.installedLocation.reset();
    QVERIFY(!m_session->launch());
    QCOMPARE(m_env->log.lines,
             QStringList{QStringLiteral("Pelvaro Launcher: Pelvaro application not found.")});

    m_env->workspace.installedLocation = QStringLiteral("/fake/pelvaro.desktop");
    m_env->workspace.openError =
        PlatformError{Operation::launch, ErrorCode::systemError, {}, 0, QStringLiteral("No")};
    QVERIFY(m_session->launch());
    QVERIFY(failed.wait());
    QCOMPARE(failed.first().first().value<PlatformError>().systemMessage, QStringLiteral("No"));
}

void PelvaroSessionTest::onlyPelvaroInstancesAreTerminated()
{
    m_env->workspace.addSilently(QStringLiteral("Editor"));
    const RunningApplication pelvaro = m_env->workspace.addSilently(QStringLiteral("Pelvaro"));
    m_env->workspace.addSilently(std::nullopt);
    const RunningApplication edition = m_env->workspace.addSilently(QStringLiteral("Pelvaro MD"));
    m_env->workspace.addSilently(QStringLiteral("pelvaro"));
    const QList<RunningApplication> instances = m_session->runningInstances();
    QCOMPARE(instances, (QList{pelvaro, edition}));
    m_session->terminate(instances);
    QCOMPARE(m_env->workspace.terminated, instances);
}

QTEST_GUILESS_MAIN(PelvaroSessionTest)
#include "tst_pelvarosession.moc"
