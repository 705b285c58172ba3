#include "plist/plistreader.h"
#include "plist/plistwriter.h"
#include "profiles/conflictmerge.h"
#include "profiles/profileversions.h"
#include "support/plisttesting.h"
#include "support/testenvironment.h"

#include <QtTest>

// Folding a conflicting copy into its profile never loses either side: what
// changes meanwhile stops the merge, and whatever is written leaves both
// files' settings in the history.
class ConflictMergeTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void whatChangesMeanwhileStopsTheMerge_data();
    void whatChangesMeanwhileStopsTheMerge();
    void unreadableSideIsRefused_data();
    void unreadableSideIsRefused();

private:
    std::unique_ptr<TestEnvironment> m_env;
    QString m_profile;
    QString m_copy;
};

void ConflictMergeTest::init()
{
    m_env = std::make_unique<TestEnvironment>();
    QVERIFY(QDir().mkpath(m_env->defaultFolder()));
    m_profile = m_env->defaultFolder() + u"/Work.plist";
    m_copy = m_env->defaultFolder() + u"/Work (conflicted copy 2026-12-07 101010).plist";
    QVERIFY(test_files::writeBinaryPlist(m_profile, PlistValue(settingsFrom("{a=1;b=1;}"))));
    QVERIFY(test_files::writeBinaryPlist(m_copy, PlistValue(settingsFrom("{a=2;c=3;}"))));
}

void ConflictMergeTest::whatChangesMeanwhileStopsTheMerge_data()
{
    QTest::addColumn<QString>("changed");
    QTest::addColumn<bool>("profileWritten");
    QTest::newRow("nothing") << QString() << true;
    QTest::newRow("the profile, by a sync client") << QStringLiteral("profile") << false;
    // The profile is merged; the copy, which holds something new, stays.
    QTest::newRow("the copy") << QStringLiteral("copy") << true;
}

void ConflictMergeTest::whatChangesMeanwhileStopsTheMerge()
{
    QFETCH(QString, changed);
    QFETCH(bool, profileWritten);
    ConflictMerge merge(m_env->fileSystem);
    Result<ConflictMerge::Plan, ConflictMerge::Failure> plan = merge.prepare(m_profile, m_copy);
    QVERIFY(plan);
    QCOMPARE(plan->differing.size(), 3);
    const QByteArray newer = PlistWriter::writeBinary(PlistValue(settingsFrom("{a=9;}")));
    if (changed == u"profile")
        QVERIFY(test_files::replaceByRename(m_profile, newer));
    if (changed == u"copy")
        QVERIFY(test_files::replaceByRename(m_copy, newer));
    const QByteArray profileBefore = test_files::readBytes(m_profile);
    ConflictMerge::Choices choices;
    choices.insert(QStringLiteral("a"), PlistValue(QStringLiteral("2")));
    choices.insert(QStringLiteral("b"), std::nullopt);
    const Result<void, ConflictMerge::Failure> applied = merge.apply(*plan, choices);
    QCOMPARE(applied.hasValue(), changed.isEmpty());
    if (!applied)
        QCOMPARE(applied.error().problem, ConflictMerge::Failure::Problem::changedMeanwhile);
    const PlistValue now = *PlistReader::read(test_files::readBytes(m_profile));
    QCOMPARE(now, profileWritten ? PlistValue(settingsFrom("{a=2;}"))
                                 : PlistValue(settingsFrom("{a=9;}")));
    QCOMPARE(QFile::exists(m_copy), !changed.isEmpty());
    if (!profileWritten)
        QCOMPARE(test_files::readBytes(m_profile), profileBefore);
    // Written, the profile's history holds both sides; not written, nothing.
    const QList<ProfileVersion> versions = ProfileVersions(m_env->fileSystem).list(m_profile);
    QCOMPARE(versions.size(), profileWritten ? 2 : 0);
}

void ConflictMergeTest::unreadableSideIsRefused_data()
{
    QTest::addColumn<bool>("damageCopy");
    QTest::newRow("the copy") << true;
    QTest::newRow("the profile") << false;
}

void ConflictMergeTest::unreadableSideIsRefused()
{
    QFETCH(bool, damageCopy);
    const QString damaged = damageCopy ? m_copy : m_profile;
    QVERIFY(test_files::writeBytes(damaged, "not settings"));
    const Result<ConflictMerge::Plan, ConflictMerge::Failure> plan =
        ConflictMerge(m_env->fileSystem).prepare(m_profile, m_copy);
    QVERIFY(!plan);
    QCOMPARE(plan.error().problem, ConflictMerge::Failure::Problem::unreadable);
    QCOMPARE(plan.error().path, damaged);
}

QTEST_GUILESS_MAIN(ConflictMergeTest)
#include "tst_conflictmerge.moc"
