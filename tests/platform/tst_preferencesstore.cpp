#include "platform/plistreader.h"
#include "support/plistlib.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <csignal>

class PreferencesStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void changesStayPendingUntilSynchronized();
    void synchronizeKeepsKeysWrittenByOthers();
    void twoProcessesLoseNoKey();
    void readsFollowWritesOfOthersWhileNothingIsPending();
    void replacingTheDomainKeepsKeysWrittenMeanwhile_data();
    void replacingTheDomainKeepsKeysWrittenMeanwhile();
    void unparseableDomainReadsEmpty_data();
    void unparseableDomainReadsEmpty();
    void failedWriteLeavesFileAndReportsFalse();
};

void PreferencesStoreTest::changesStayPendingUntilSynchronized()
{
    TestEnvironment env;
    PreferencesStore& store = *env.preferences;
    store.setMultiple(
        test_files::dictionary({{QStringLiteral("a"), PlistValue::integer(1)},
                                {QStringLiteral("b"), PlistValue(QStringLiteral("x"))}}),
        {});
    QCOMPARE(store.copyKeyList(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    QVERIFY(!QFile::exists(env.domainFile()));
    QVERIFY(store.synchronize());
    const QByteArray bytes = test_files::readBytes(env.domainFile());
    QVERIFY(bytes.startsWith("bplist00"));
    store.setMultiple({}, {QStringLiteral("a")});
    QVERIFY(store.synchronize());
    const std::optional<QJsonValue> onDisk =
        plistlib::load(test_files::readBytes(env.domainFile()));
    QVERIFY(onDisk);
    QCOMPARE(*onDisk, plistlib::canonical(PlistValue(test_files::dictionary(
                          {{QStringLiteral("b"), PlistValue(QStringLiteral("x"))}}))));
}

void PreferencesStoreTest::synchronizeKeepsKeysWrittenByOthers()
{
    TestEnvironment env;
    PreferencesStore mine(env.fileSystem, env.home(), QStringLiteral("com.corvandel.pelvaro"));
    PreferencesStore theirs(env.fileSystem, env.home(), QStringLiteral("com.corvandel.pelvaro"));
    QCOMPARE(mine.copyKeyList(), QStringList());
    theirs.setMultiple(test_files::dictionary({{QStringLiteral("theirs"), PlistValue(true)}}), {});
    QVERIFY(theirs.synchronize());
    mine.setMultiple(test_files::dictionary({{QStringLiteral("mine"), PlistValue(true)}}), {});
    QVERIFY(mine.synchronize());
    QCOMPARE(mine.copyKeyList()->size(), 2);
    QVERIFY(theirs.synchronize());
    QCOMPARE(theirs.copyKeyList()->size(), 2);
}

void PreferencesStoreTest::twoProcessesLoseNoKey()
{
    TestEnvironment env;
    QProcess other;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), env.home());
    other.setProcessEnvironment(environment);
    other.start(QStringLiteral(STAND_IN_PELVARO),
                {QStringLiteral("--headless"), QStringLiteral("--set"), QStringLiteral("Other=1")});
    QVERIFY(other.waitForStarted());
    // Both processes hold their own copies; each writes while the other runs.
    for (int i = 0; i < 20; ++i) {
        env.preferences->setMultiple(
            test_files::dictionary({{u"mine " + QString::number(i), PlistValue::integer(i)}}), {});
        QVERIFY(env.preferences->synchronize());
    }
    QVERIFY(test_files::waitUntilStandInIsReady(other.processId()));
    ::kill(pid_t(other.processId()), SIGTERM);
    QVERIFY(other.waitForFinished(10000));
    QCOMPARE(other.exitCode(), 0);
    const std::optional<PlistValue> domain =
        PlistReader::read(test_files::readBytes(env.domainFile()));
    QVERIFY(domain);
    const PlistDictionary& keys = domain->toDictionary();
    QCOMPARE(keys.value(QStringLiteral("Other")), PlistValue(QStringLiteral("1")));
    QCOMPARE(keys.value(QStringLiteral("LaunchCount")), PlistValue::integer(1));
    for (int i = 0; i < 20; ++i)
        QVERIFY(keys.contains(u"mine " + QString::number(i)));
}

void PreferencesStoreTest::readsFollowWritesOfOthersWhileNothingIsPending()
{
    TestEnvironment env;
    PreferencesStore mine(env.fileSystem, env.home(), QStringLiteral("com.corvandel.pelvaro"));
    PreferencesStore theirs(env.fileSystem, env.home(), QStringLiteral("com.corvandel.pelvaro"));
    QCOMPARE(mine.copyKeyList(), QStringList());
    theirs.setMultiple(test_files::dictionary({{QStringLiteral("added"), PlistValue(true)}}), {});
    QVERIFY(theirs.synchronize());
    // Applying a profile reads the key list without synchronising first: it
    // must still see what the other process wrote, or those keys would stay.
    QCOMPARE(mine.copyKeyList(), QStringList{QStringLiteral("added")});
    mine.setMultiple(test_files::dictionary({{QStringLiteral("mine"), PlistValue(true)}}),
                     {QStringLiteral("added")});
    QVERIFY(mine.synchronize());
    QCOMPARE(theirs.copyKeyList(), QStringList{QStringLiteral("mine")});
}

void PreferencesStoreTest::replacingTheDomainKeepsKeysWrittenMeanwhile_data()
{
    QTest::addColumn<bool>("otherWritesMeanwhile");
    QTest::newRow("alone") << false;
    QTest::newRow("another process writes meanwhile") << true;
}

void PreferencesStoreTest::replacingTheDomainKeepsKeysWrittenMeanwhile()
{
    QFETCH(bool, otherWritesMeanwhile);
    TestEnvironment env;
    PreferencesStore mine(env.fileSystem, env.home(), QStringLiteral("com.corvandel.pelvaro"));
    PreferencesStore theirs(env.fileSystem, env.home(), QStringLiteral("com.corvandel.pelvaro"));
    PlistDictionary before;
    for (int i = 0; i < 30; ++i)
        before.insert(u"old " + QString::number(i), PlistValue::integer(i));
    mine.setMultiple(before, {});
    QVERIFY(mine.synchronize());

    // A whole profile replaces the domain: every old key goes, in another
    // order than the domain lists them.
    PlistDictionary profile;
    for (int i = 29; i >= 10; --i)
        profile.insert(u"old " + QString::number(i), PlistValue(QStringLiteral("profile")));
    profile.insert(QStringLiteral("new"), PlistValue(true));
    const QStringList removed = profile.missingKeys(*mine.copyKeyList());
    QCOMPARE(removed.size(), 10);
    mine.setMultiple(profile, removed);
    // Later calls still merge: the latest change of a key wins.
    mine.setMultiple({}, {QStringLiteral("new")});
    mine.setMultiple(test_files::dictionary({{QStringLiteral("old 3"), PlistValue(false)}}), {});
    if (otherWritesMeanwhile) {
        QCOMPARE(theirs.copyKeyList()->size(), 30);
        theirs.setMultiple(test_files::dictionary({{QStringLiteral("theirs"), PlistValue(true)},
                                                   {QStringLiteral("old 20"), PlistValue(false)}}),
                           {});
        QVERIFY(theirs.synchronize());
    }
    QVERIFY(mine.synchronize());

    PlistDictionary expected = profile;
    expected.remove({QStringLiteral("new")});
    expected.insert(QStringLiteral("old 3"), PlistValue(false));
    if (otherWritesMeanwhile)
        expected.insert(QStringLiteral("theirs"), PlistValue(true));
    const std::optional<QJsonValue> onDisk =
        plistlib::load(test_files::readBytes(env.domainFile()));
    QVERIFY(onDisk);
    QCOMPARE(*onDisk, plistlib::canonical(PlistValue(expected)));
    QCOMPARE(mine.copyMultiple(*mine.copyKeyList()), expected);
}

void PreferencesStoreTest::unparseableDomainReadsEmpty_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("garbage") << QByteArray("\x00\x01garbage", 9);
    QTest::newRow("array root") << QByteArray("(a, b)");
    QTest::newRow("empty") << QByteArray();
}

void PreferencesStoreTest::unparseableDomainReadsEmpty()
{
    QFETCH(QByteArray, content);
    TestEnvironment env;
    QDir().mkpath(QFileInfo(env.domainFile()).path());
    test_files::writeBytes(env.domainFile(), content);
    QCOMPARE(env.preferences->copyKeyList(), QStringList());
}

void PreferencesStoreTest::failedWriteLeavesFileAndReportsFalse()
{
    TestEnvironment env;
    env.preferences->setMultiple(test_files::dictionary({{QStringLiteral("a"), PlistValue(true)}}),
                                 {});
    QVERIFY(env.preferences->synchronize());
    const QByteArray before = test_files::readBytes(env.domainFile());
    env.fileSystem.failing.insert(FaultyFileSystem::Operation::writeFileAtomically);
    env.preferences->setMultiple(test_files::dictionary({{QStringLiteral("b"), PlistValue(true)}}),
                                 {});
    QVERIFY(!env.preferences->synchronize());
    QCOMPARE(test_files::readBytes(env.domainFile()), before);
    // The change is still pending and lands once writing works again.
    env.fileSystem.failing.clear();
    QVERIFY(env.preferences->synchronize());
    QCOMPARE(PlistReader::read(test_files::readBytes(env.domainFile()))->toDictionary().size(), 2);
}

QTEST_GUILESS_MAIN(PreferencesStoreTest)
#include "tst_preferencesstore.moc"
