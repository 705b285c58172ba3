#include "profiles/profilesorter.h"
#include "state/launcherstate.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <thread>

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
    void firstListingOrderedLater_data();
    void firstListingOrderedLater();
    void newerListingWinsOverTheFirst();
};

namespace {

// Names whose display order takes the collator: case, digits by value.
const QStringList collatedNames{QStringLiteral("1.plist"),      QStringLiteral("9.plist"),
                                QStringLiteral("10.plist"),     QStringLiteral("Alpha.plist"),
                                QStringLiteral("beta 2.plist"), QStringLiteral("Beta 12.plist")};

void writeProfiles(const TestEnvironment& env, const QStringList& names)
{
    QDir().mkpath(env.defaultFolder());
    for (const QString& name : names)
        QVERIFY(test_files::writeBytes(env.defaultFolder() + u'/' + name, "x"));
}

} // namespace

void ProfileListingTest::onlyProfileFilesAreListed()
{
    TestEnvironment env;
    const QString folder = env.defaultFolder();
    QDir().mkpath(folder);
    // Sync clients' files in the making are hidden; their conflicting copies
    // are profile files like any other.
    for (const char* name :
         {"B.plist", "a.plist", "Work.PLIST", "c.txt", ".hidden.plist", "plist", "noext",
          ".syncthing.Work.plist.tmp", ".~lock.Work.plist#", ".Work.plist.~1234",
          ".Work.sync-conflict-20261207-101010-ABCDEF1.plist",
          "Work.sync-conflict-20261207-101010-ABCDEF1.plist"})
        QVERIFY(test_files::writeBytes(folder + u'/' + QLatin1String(name), "x"));
    QDir(folder).mkdir(QStringLiteral("d.plist"));
    QVERIFY(::symlink(QFile::encodeName(folder + u"/a.plist").constData(),
                      QFile::encodeName(folder + u"/link.plist").constData()) == 0);
    LauncherState& state = env.makeState();
    QCOMPARE(test_files::fileNames(state.profiles()),
             (QStringList{QStringLiteral("a.plist"), QStringLiteral("B.plist"),
                          QStringLiteral("Work.PLIST"),
                          QStringLiteral("Work.sync-conflict-20261207-101010-ABCDEF1.plist")}));
    QCOMPARE(state.profiles().at(2).name(), QStringLiteral("Work"));
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
    QTest::newRow("mixed") << collatedNames;
}

void ProfileListingTest::order()
{
    QFETCH(QStringList, names);
    TestEnvironment env;
    writeProfiles(env, names);
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

void ProfileListingTest::firstListingOrderedLater_data()
{
    QTest::addColumn<QString>("orderedBy");
    QTest::newRow("another thread, before the finish") << QStringLiteral("thread first");
    QTest::newRow("another thread, racing the finish") << QStringLiteral("thread racing");
    QTest::newRow("the finish itself") << QStringLiteral("finish");
    QTest::newRow("the event loop, unasked") << QStringLiteral("event loop");
}

void ProfileListingTest::firstListingOrderedLater()
{
    QFETCH(QString, orderedBy);
    TestEnvironment env;
    writeProfiles(env, collatedNames);
    // Races show only now and then: many rounds, each with a new state.
    for (int round = 0; round < (orderedBy == u"thread racing" ? 50 : 1); ++round) {
        LauncherState& state = env.makeState(LauncherState::FirstListing::orderedLater);
        QVERIFY(state.profiles().isEmpty());
        QSignalSpy changed(&state, &LauncherState::profilesChanged);
        std::thread orderer;
        if (orderedBy.startsWith(u"thread"))
            orderer = std::thread(state.firstListingOrder());
        if (orderedBy == u"thread first")
            orderer.join();
        if (orderedBy == u"event loop")
            QTRY_COMPARE(changed.count(), 1);
        else
            state.finishFirstListing();
        if (orderer.joinable())
            orderer.join();
        QCOMPARE(test_files::fileNames(state.profiles()), collatedNames);
        QCOMPARE(changed.count(), 1);
        // Finished once: neither a second finish nor the event loop adds to it.
        state.finishFirstListing();
        QCoreApplication::processEvents();
        QCOMPARE(changed.count(), 1);
    }
}

void ProfileListingTest::newerListingWinsOverTheFirst()
{
    TestEnvironment env;
    writeProfiles(env, {QStringLiteral("Work.plist")});
    LauncherState& state = env.makeState(LauncherState::FirstListing::orderedLater);
    const std::function<void()> orderFirst = state.firstListingOrder();
    writeProfiles(env, {QStringLiteral("Gaming.plist")});
    state.reloadProfiles();
    const QStringList newer{QStringLiteral("Gaming.plist"), QStringLiteral("Work.plist")};
    QCOMPARE(test_files::fileNames(state.profiles()), newer);
    // The first listing, ordered late or finished late, is not published.
    orderFirst();
    state.finishFirstListing();
    QCoreApplication::processEvents();
    QCOMPARE(test_files::fileNames(state.profiles()), newer);
}

QTEST_GUILESS_MAIN(ProfileListingTest)
#include "tst_profilelisting.moc"
