#include "platform/directorywatch.h"
#include "profiles/profilefolder.h"
#include "support/testenvironment.h"

#include <QtTest>

class ProfileFolderTest : public QObject
{
    Q_OBJECT

private slots:
    void access_data();
    void access();
    void changesAreReported();
    void aReplacedFolderIsWatchedAgain();
    void aLostWatchFollowsTheCurrentFolder();
    void watchingNothing();
};

void ProfileFolderTest::access_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<ProfileFolder::Access>("access");
    QTest::newRow("usable") << QStringLiteral("usable") << ProfileFolder::Access::usable;
    QTest::newRow("missing") << QStringLiteral("missing") << ProfileFolder::Access::missing;
    QTest::newRow("a file") << QStringLiteral("file") << ProfileFolder::Access::missing;
    QTest::newRow("unreadable") << QStringLiteral("unreadable")
                                << ProfileFolder::Access::unreadable;
    QTest::newRow("probe not written")
        << QStringLiteral("unwritable") << ProfileFolder::Access::unwritable;
    QTest::newRow("probe not removed")
        << QStringLiteral("unremovable") << ProfileFolder::Access::unwritable;
}

void ProfileFolderTest::access()
{
    QFETCH(QString, situation);
    QFETCH(ProfileFolder::Access, access);
    TestEnvironment env;
    QString folder = env.makeFolder(QStringLiteral("profiles"));
    if (situation == u"missing") {
        folder += u"/gone";
    } else if (situation == u"file") {
        folder += u"/file";
        QVERIFY(test_files::writeBytes(folder, "x"));
    } else if (situation == u"unreadable") {
        env.fileSystem.failing.insert(FaultyFileSystem::Fault::isReadable);
    } else if (situation == u"unwritable") {
        env.fileSystem.failing.insert(FaultyFileSystem::Fault::writeFile);
    } else if (situation == u"unremovable") {
        env.fileSystem.failing.insert(FaultyFileSystem::Fault::removeItem);
    }
    const ProfileFolder profileFolder(env.fileSystem);
    QCOMPARE(profileFolder.checkAccess(folder), access);
    // The probe never stays behind where it could be removed.
    if (situation != u"unremovable")
        QCOMPARE(QDir(env.root() + u"/profiles").entryList(QDir::Hidden | QDir::Files),
                 situation == u"file" ? QStringList{QStringLiteral("file")} : QStringList());
}

void ProfileFolderTest::changesAreReported()
{
    TestEnvironment env;
    const QString folder = env.makeFolder(QStringLiteral("profiles"));
    ProfileFolder profileFolder(env.fileSystem);
    QSignalSpy changed(&profileFolder, &ProfileFolder::contentsChanged);
    profileFolder.watch(folder);
    QVERIFY(profileFolder.currentWatch());
    QVERIFY(test_files::writeBytes(folder + u"/Work.plist", "x"));
    QVERIFY(changed.wait());
    QCOMPARE(profileFolder.profiles(folder).size(), 1);
}

// The folder the watch was on is renamed away and another takes its path:
// the new one is watched.
void ProfileFolderTest::aReplacedFolderIsWatchedAgain()
{
    TestEnvironment env;
    const QString folder = env.makeFolder(QStringLiteral("profiles"));
    ProfileFolder profileFolder(env.fileSystem);
    QSignalSpy changed(&profileFolder, &ProfileFolder::contentsChanged);
    QSignalSpy rewatched(&profileFolder, &ProfileFolder::watchChanged);
    profileFolder.watch(folder);
    QVERIFY(QDir().rename(folder, env.root() + u"/old"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(changed.wait());
    QTRY_COMPARE(rewatched.size(), 2);
    changed.clear();
    QVERIFY(test_files::writeBytes(folder + u"/New.plist", "x"));
    QVERIFY(changed.wait());
}

// The watched folder is renamed away while the current folder is another
// one: the watch starts again where the current folder is, not on the
// path it had.
void ProfileFolderTest::aLostWatchFollowsTheCurrentFolder()
{
    TestEnvironment env;
    const QString watched = env.makeFolder(QStringLiteral("profiles"));
    const QString current = env.makeFolder(QStringLiteral("chosen"));
    ProfileFolder profileFolder(env.fileSystem);
    profileFolder.setCurrentFolder([current] { return std::optional(current); });
    QSignalSpy changed(&profileFolder, &ProfileFolder::contentsChanged);
    profileFolder.watch(watched);
    QVERIFY(QDir().rename(watched, env.root() + u"/old"));
    QVERIFY(changed.wait());
    changed.clear();
    QVERIFY(test_files::writeBytes(current + u"/New.plist", "x"));
    QVERIFY(changed.wait());
}

void ProfileFolderTest::watchingNothing()
{
    TestEnvironment env;
    ProfileFolder profileFolder(env.fileSystem);
    QSignalSpy rewatched(&profileFolder, &ProfileFolder::watchChanged);
    profileFolder.watch(env.makeFolder(QStringLiteral("profiles")));
    profileFolder.watch(std::nullopt);
    QCOMPARE(rewatched.size(), 2);
    QVERIFY(!profileFolder.currentWatch());
    // A folder that cannot be watched gives no watch, and no failure.
    profileFolder.watch(env.root() + u"/gone");
    QVERIFY(!profileFolder.currentWatch());
}

QTEST_GUILESS_MAIN(ProfileFolderTest)
#include "tst_profilefolder.moc"
