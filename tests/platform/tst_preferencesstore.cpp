#include "plist/plistreader.h"
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
    void replacingTheDomainIgnoresKeysWrittenMeanwhile_data();
    void replacingTheDomainIgnoresKeysWrittenMeanwhile();
    void unparseableDomainReadsEmpty_data();
    void unparseableDomainReadsEmpty();
    void failedWriteLeavesFileAndReportsFalse();
    void failedApplyIsNotWrittenLater();
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
    const PlistReadResult domain = PlistReader::read(test_files::readBytes(env.domainFile()));
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

void PreferencesStoreTest::replacingTheDomainIgnoresKeysWrittenMeanwhile_data()
{
    QTest::addColumn<bool>("otherWritesMeanwhile");
    QTest::newRow("alone") << false;
    QTest::newRow("another process writes meanwhile") << true;
}

void PreferencesStoreTest::replacingTheDomainIgnoresKeysWrittenMeanwhile()
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

    // What another process wrote between the set and the synchronise is
    // gone: the domain is exactly the profile and the later changes.
    PlistDictionary expected = profile;
    expected.remove({QStringLiteral("new")});
    expected.insert(QStringLiteral("old 3"), PlistValue(false));
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
    QVERIFY(test_files::writeBytes(env.domainFile(), content));
    QCOMPARE(env.preferences->copyKeyList(), QStringList());
}

void PreferencesStoreTest::failedWriteLeavesFileAndReportsFalse()
{
    TestEnvironment env;
    env.preferences->setMultiple(test_files::dictionary({{QStringLiteral("a"), PlistValue(true)}}),
                                 {});
    QVERIFY(env.preferences->synchronize());
    const QByteArray before = test_files::readBytes(env.domainFile());
    env.fileSystem.failing.insert(FaultyFileSystem::Fault::writeFileAtomically);
    env.preferences->setMultiple(test_files::dictionary({{QStringLiteral("b"), PlistValue(true)}}),
                                 {});
    QVERIFY(!env.preferences->synchronize());
    QCOMPARE(test_files::readBytes(env.domainFile()), before);
    // The change is dropped, and the domain is what the disk holds.
    env.fileSystem.failing.clear();
    QCOMPARE(env.preferences->copyKeyList(), QStringList{QStringLiteral("a")});
    QVERIFY(env.preferences->synchronize());
    QCOMPARE(test_files::readBytes(env.domainFile()), before);
}

// A start whose apply failed must not come back later: Pelvaro's own
// values, written meanwhile, stay until the next start replaces them all.
void PreferencesStoreTest::failedApplyIsNotWrittenLater()
{
    TestEnvironment env;
    PreferencesStore pelvaro(env.fileSystem, env.home(), QStringLiteral("com.corvandel.pelvaro"));
    env.preferences->setMultiple(
        test_files::dictionary({{QStringLiteral("a"), PlistValue(QStringLiteral("OLD"))},
                                {QStringLiteral("kept"), PlistValue(true)}}),
        {});
    QVERIFY(env.preferences->synchronize());

    env.fileSystem.failing.insert(FaultyFileSystem::Fault::writeFileAtomically);
    const PlistDictionary first =
        test_files::dictionary({{QStringLiteral("a"), PlistValue(QStringLiteral("FIRST"))}});
    env.preferences->setMultiple(first, first.missingKeys(*env.preferences->copyKeyList()));
    QVERIFY(!env.preferences->synchronize());
    env.fileSystem.failing.clear();

    // Pelvaro writes its own value; the launcher then saves the domain.
    QCOMPARE(pelvaro.copyKeyList()->size(), 2);
    pelvaro.setMultiple(
        test_files::dictionary({{QStringLiteral("a"), PlistValue(QStringLiteral("PELVARO"))}}), {});
    QVERIFY(pelvaro.synchronize());
    QVERIFY(env.preferences->synchronize());
    const PlistDictionary saved = env.preferences->copyMultiple(*env.preferences->copyKeyList());
    QCOMPARE(saved.value(QStringLiteral("a")).toString(), QStringLiteral("PELVARO"));
    QVERIFY(saved.contains(QStringLiteral("kept")));

    // The next start makes the domain exactly the second profile.
    const PlistDictionary second =
        test_files::dictionary({{QStringLiteral("b"), PlistValue::integer(2)}});
    env.preferences->setMultiple(second, second.missingKeys(*env.preferences->copyKeyList()));
    QVERIFY(env.preferences->synchronize());
    const std::optional<QJsonValue> onDisk =
        plistlib::load(test_files::readBytes(env.domainFile()));
    QVERIFY(onDisk);
    QCOMPARE(*onDisk, plistlib::canonical(PlistValue(second)));
}

QTEST_GUILESS_MAIN(PreferencesStoreTest)
#include "tst_preferencesstore.moc"
