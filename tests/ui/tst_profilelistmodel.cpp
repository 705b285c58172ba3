#include "state/launcherstate.h"
#include "support/testenvironment.h"
#include "ui/profilelistmodel.h"

#include <QAbstractItemModelTester>
#include <QtTest>

class ProfileListModelTest : public QObject
{
    Q_OBJECT

private slots:
    void reloadsChangeRowsWithoutReset_data();
    void reloadsChangeRowsWithoutReset();
    void activeRowIsMarked();
    void dateUsesTheLocaleStyles_data();
    void dateUsesTheLocaleStyles();
};

void ProfileListModelTest::reloadsChangeRowsWithoutReset_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QStringList>("after");
    const auto list = [](std::initializer_list<const char*> names) {
        QStringList result;
        for (const char* name : names)
            result.append(QString::fromLatin1(name) + u".plist");
        return result;
    };
    QTest::newRow("insert at start") << list({"b", "c"}) << list({"a", "b", "c"});
    QTest::newRow("insert in middle and end")
        << list({"a", "c"}) << list({"a", "b", "c", "d", "e"});
    QTest::newRow("remove runs") << list({"a", "b", "c", "d", "e"}) << list({"a", "e"});
    QTest::newRow("remove and insert") << list({"a", "b", "d"}) << list({"a", "c", "d", "f"});
    QTest::newRow("everything new") << list({"a"}) << list({"x", "y"});
    QTest::newRow("to empty") << list({"a", "b"}) << QStringList();
}

void ProfileListModelTest::reloadsChangeRowsWithoutReset()
{
    QFETCH(QStringList, before);
    QFETCH(QStringList, after);
    TestEnvironment env;
    QDir().mkpath(env.defaultFolder());
    for (const QString& name : before)
        QVERIFY(test_files::writeBytes(env.defaultFolder() + u'/' + name, "x"));
    LauncherState& state = env.makeState();
    ProfileListModel model(state);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QPersistentModelIndex kept;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (after.contains(model.profileAt(row).fileName()))
            kept = model.index(row);
    }
    for (const QString& name : before) {
        if (!after.contains(name))
            QFile::remove(env.defaultFolder() + u'/' + name);
    }
    for (const QString& name : after) {
        if (!before.contains(name))
            QVERIFY(test_files::writeBytes(env.defaultFolder() + u'/' + name, "x"));
        else
            test_files::setModificationTime(env.defaultFolder() + u'/' + name, 1'500'000'000);
    }
    state.reloadProfiles();
    QCOMPARE(reset.count(), 0);
    QCOMPARE(model.rowCount(), after.size());
    for (int row = 0; row < after.size(); ++row) {
        QCOMPARE(model.profileAt(row).fileName(), after.at(row));
        QCOMPARE(model.profileAt(row), state.profiles().at(row));
    }
    if (kept.isValid())
        QVERIFY(after.contains(model.profileAt(kept.row()).fileName()));
    QCOMPARE(changed.isEmpty(), std::none_of(after.cbegin(), after.cend(),
                                             [&](const QString& n) { return before.contains(n); }));
}

void ProfileListModelTest::activeRowIsMarked()
{
    TestEnvironment env;
    QDir().mkpath(env.defaultFolder());
    for (const char* name : {"Work.plist", "Work.PLIST"})
        QVERIFY(test_files::writeBinaryPlist(env.defaultFolder() + u'/' + QLatin1String(name),
                                             PlistValue(PlistDictionary())));
    LauncherState& state = env.makeState();
    ProfileListModel model(state);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    state.startProfile(state.profiles().at(1));
    QCOMPARE(changed.count(), 1);
    int active = 0;
    for (int row = 0; row < model.rowCount(); ++row) {
        QCOMPARE(model.data(model.index(row), ProfileListModel::NameRole).toString(),
                 QStringLiteral("Work"));
        if (model.data(model.index(row), ProfileListModel::IsActiveRole).toBool()) {
            ++active;
            QCOMPARE(model.profileAt(row).fileName(), state.activeProfileName().value());
        }
    }
    QCOMPARE(active, 1);
}

void ProfileListModelTest::dateUsesTheLocaleStyles_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");
    QTest::newRow("en_US") << QStringLiteral("en_US")
                           << QStringLiteral("Mar 4, 2025, 9:41\u202FAM");
    QTest::newRow("de_DE") << QStringLiteral("de_DE") << QStringLiteral("04.03.2025, 09:41");
    QTest::newRow("C falls back to English")
        << QStringLiteral("C") << QStringLiteral("Mar 4, 2025, 9:41\u202FAM");
}

void ProfileListModelTest::dateUsesTheLocaleStyles()
{
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    const QDateTime when(QDate(2025, 3, 4), QTime(9, 41), Qt::LocalTime);
    QString text = ProfileListModel::dateText(when, QLocale(locale));
    // ICU versions differ in the space before AM/PM.
    text.replace(u' ', u'\u202F');
    expected.replace(u' ', u'\u202F');
    QCOMPARE(text, expected);
}

QTEST_MAIN(ProfileListModelTest)
#include "tst_profilelistmodel.moc"
