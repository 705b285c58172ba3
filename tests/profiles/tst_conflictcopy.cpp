#include "profiles/conflictcopy.h"

#include <QTest>

class ConflictCopyTest : public QObject
{
    Q_OBJECT

private slots:
    void recognisesTheClientsNames_data();
    void recognisesTheClientsNames();
};

Q_DECLARE_METATYPE(ConflictCopy::Client)

void ConflictCopyTest::recognisesTheClientsNames_data()
{
    QTest::addColumn<QString>("fileName");
    // Empty when the name is no conflicting copy.
    QTest::addColumn<QString>("profile");
    QTest::addColumn<ConflictCopy::Client>("client");
    QTest::addColumn<QDateTime>("when");
    using Client = ConflictCopy::Client;
    const QDateTime morning(QDate(2026, 12, 7), QTime(10, 10, 10));
    const QDateTime day(QDate(2026, 12, 7), QTime());
    const auto row = [](const char* fileName, const char* profile, Client client,
                        const QDateTime& when) {
        QTest::newRow(fileName) << QString::fromUtf8(fileName) << QString::fromUtf8(profile)
                                << client << when;
    };
    row("Work.sync-conflict-20261207-101010-ABCDEF1.plist", "Work.plist", Client::syncthing,
        morning);
    row("Work (conflicted copy 2026-12-07 101010).plist", "Work.plist", Client::nextcloud, morning);
    row("Work (Anna's conflicted copy 2026-12-07).plist", "Work.plist", Client::dropbox, day);
    row("Work (Anna’s conflicted copy 2026-12-07).plist", "Work.plist", Client::dropbox, day);
    row("My Work.v2.sync-conflict-20261207-101010-ABCDEF1.plist", "My Work.v2.plist",
        Client::syncthing, morning);
    row("Work (copy) (conflicted copy 2026-12-07 101010).plist", "Work (copy).plist",
        Client::nextcloud, morning);
    // Look-alikes.
    row("Work (copy).plist", "", Client::syncthing, {});
    row("Work.sync-conflict.plist", "", Client::syncthing, {});
    row("Work.sync-conflict-20261207-101010.plist", "", Client::syncthing, {});
    row("Work.sync-conflict-20261207-101010-abcdef1.plist", "", Client::syncthing, {});
    row("Work.sync-conflict-20261307-101010-ABCDEF1.plist", "", Client::syncthing, {});
    row("Work (conflicted copy 2026-12-07 256161).plist", "", Client::syncthing, {});
    row("Work (conflicted copy).plist", "", Client::syncthing, {});
    row("Work conflicted copy 2026-12-07 101010.plist", "", Client::syncthing, {});
    row("(Anna's conflicted copy 2026-12-07).plist", "", Client::syncthing, {});
    row(".sync-conflict-20261207-101010-ABCDEF1.plist", "", Client::syncthing, {});
}

void ConflictCopyTest::recognisesTheClientsNames()
{
    QFETCH(QString, fileName);
    QFETCH(QString, profile);
    QFETCH(ConflictCopy::Client, client);
    QFETCH(QDateTime, when);
    const std::optional<ConflictCopy> copy = ConflictCopy::recognise(fileName);
    QCOMPARE(copy.has_value(), !profile.isEmpty());
    if (!copy)
        return;
    QCOMPARE(copy->profileFileName, profile);
    QCOMPARE(copy->client, client);
    QCOMPARE(copy->date, when.date());
    QCOMPARE(copy->time.has_value(), client != ConflictCopy::Client::dropbox);
    if (copy->time)
        QCOMPARE(*copy->time, when.time());
}

QTEST_GUILESS_MAIN(ConflictCopyTest)
#include "tst_conflictcopy.moc"
