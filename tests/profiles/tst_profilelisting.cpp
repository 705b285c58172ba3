#include "profiles/profilesorter.h"
#include "state/launcherstate.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <unistd.h>

class ProfileListingTest : public QObject
{
    Q_OBJECT

private slots:
    void onlyProfileFilesAreListed();
    void order_data();
    void order();
    void orderHoldsUnderTheCLocale();
    void notifiesOnlyOnChange();
    void missingCustomFolderGivesEmptyList();
};

void ProfileListingTest::onlyProfileFilesAreListed()
{
    TestEnvironment env;
    const QString folder = env.defaultFolder();
    QDir().mkpath(folder);
    for (const char* name :
         {"B.plist", "a.plist", "Work.PLIST", "c.txt", ".hidden.plist", "plist", "noext"})
        QVERIFY(test_files::writeBytes(folder + u'/' + QLatin1String(name), "x"));
    QDir(folder).mkdir(QStringLiteral("d.plist"));
    QVERIFY(::symlink(QFile::encodeName(folder + u"/a.plist").constData(),
                      QFile::encodeName(folder + u"/link.plist").constData()) == 0);
    LauncherState& state = env.makeState();
    QCOMPARE(test_files::fileNames(state.profiles()),
             (QStringList{QStringLiteral("a.plist"), QStringLiteral("B.plist"),
                          QStringLiteral("Work.PLIST")}));
    QCOMPARE(state.profiles().last().name(), QStringLiteral("Work"));
    QCOMPARE(state.profiles().first().url, folder + u"/a.plist");
}

void ProfileListingTest::order_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::newRow("case does not decide") << QStringList{
        QStringLiteral("a.plist"), QStringLiteral("B.plist"), QStringLiteral("c.plist")};
    QTest::newRow("digits by value")
        << QStringList{QStringLiteral("Profile 2.plist"), QStringLiteral("profile 10.plist"),
                       QStringLiteral("Profile 100.plist")};
    QTest::newRow("mixed") << QStringList{
        QStringLiteral("1.plist"),      QStringLiteral("9.plist"),
        QStringLiteral("10.plist"),     QStringLiteral("Alpha.plist"),
        QStringLiteral("beta 2.plist"), QStringLiteral("Beta 12.plist")};
}

void ProfileListingTest::order()
{
    QFETCH(QStringList, names);
    TestEnvironment env;
    QDir().mkpath(env.defaultFolder());
    for (const QString& name : std::as_const(names))
        QVERIFY(test_files::writeBytes(env.defaultFolder() + u'/' + name, "x"));
    LauncherState& state = env.makeState();
    QCOMPARE(test_files::fileNames(state.profiles()), names);
}

void ProfileListingTest::orderHoldsUnderTheCLocale()
{
    const ProfileSorter sorter(QLocale::c());
    const QDateTime when = QDateTime::currentDateTimeUtc();
    QList<Profile> profiles{{QStringLiteral("/f/Profile 10.plist"), when},
                            {QStringLiteral("/f/profile 2.plist"), when},
                            {QStringLiteral("/f/B.plist"), when},
                            {QStringLiteral("/f/a.plist"), when}};
    sorter.sort(profiles);
    QCOMPARE(test_files::fileNames(profiles),
             (QStringList{QStringLiteral("a.plist"), QStringLiteral("B.plist"),
                          QStringLiteral("profile 2.plist"), QStringLiteral("Profile 10.plist")}));
}

void ProfileListingTest::notifiesOnlyOnChange()
{
    TestEnvironment env;
    QDir().mkpath(env.defaultFolder());
    const QString file = env.defaultFolder() + u"/Work.plist";
    QVERIFY(test_files::writeBytes(file, "x"));
    test_files::setModificationTime(file, 1'600'000'000);
    LauncherState& state = env.makeState();
    QSignalSpy changed(&state, &LauncherState::profilesChanged);
    state.reloadProfiles();
    QCOMPARE(changed.count(), 0);
    test_files::setModificationTime(file, 1'700'000'000);
    state.reloadProfiles();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(state.profiles().first().modifiedAt,
             QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC));
}

void ProfileListingTest::missingCustomFolderGivesEmptyList()
{
    TestEnvironment env;
    LauncherState& state = env.makeState();
    state.setCustomFolderPath(env.root() + u"/missing");
    state.setFolderMode(FolderMode::custom);
    QVERIFY(state.profiles().isEmpty());
    QCOMPARE(state.errorMessage(), std::nullopt);
    QCOMPARE(state.folderAccessStatus(),
             AccessStatus::failure(QStringLiteral("Folder does not exist.")));
}

QTEST_GUILESS_MAIN(ProfileListingTest)
#include "tst_profilelisting.moc"
