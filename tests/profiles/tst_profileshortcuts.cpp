#include "platform/filesystem_linux.h"
#include "profiles/profileshortcuts.h"
#include "support/testenvironment.h"

#include <QtTest>

// The entries as the desktop reads them: GIO launches each one, and a
// stand-in program records the arguments it was given.
class ProfileShortcutsTest : public QObject
{
    Q_OBJECT

private slots:
    void launchedEntryStartsTheProfile_data();
    void launchedEntryStartsTheProfile();
    void onlyTheLaunchersOwnEntriesFollow();
};

namespace {

// Writes its arguments, one per line, to the file named by its first one.
QString argumentRecorder(const QString& folder)
{
    const QString path = folder + u"/record-arguments";
    if (!test_files::writeBytes(path,
                                "#!/bin/sh\nout=$1\nshift\nprintf '%s\\n' \"$@\" > \"$out\"\n"))
        return {};
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

void ProfileShortcutsTest::launchedEntryStartsTheProfile_data()
{
    QTest::addColumn<QString>("folderName");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("plain") << QStringLiteral("Profiles") << QStringLiteral("Work.plist");
    QTest::newRow("spaces") << QStringLiteral("My Profiles") << QStringLiteral("Late Night.plist");
    QTest::newRow("quotes") << QStringLiteral("Anna's") << QStringLiteral("\"Best\" 'one'.plist");
    QTest::newRow("percent") << QStringLiteral("100%") << QStringLiteral("50%20off %f %%.plist");
    QTest::newRow("shell characters")
        << QStringLiteral("$HOME") << QStringLiteral("`id` \\ back;slash & $(x).plist");
    QTest::newRow("not ASCII") << QStringLiteral("Ünïcödé") << QStringLiteral("日本語 Öl.plist");
}

void ProfileShortcutsTest::launchedEntryStartsTheProfile()
{
    QFETCH(QString, folderName);
    QFETCH(QString, fileName);
    QTemporaryDir home;
    const QString folder = home.filePath(folderName);
    QVERIFY(QDir().mkpath(folder));
    const QString profile = folder + u'/' + fileName;
    const QString record = home.filePath(QStringLiteral("arguments"));
    // The recorder learns where to write from a wrapper that names it.
    const QString program = home.filePath(QStringLiteral("fake launcher"));
    QVERIFY(test_files::writeBytes(
        program, "#!/bin/sh\nexec \"" + QFile::encodeName(argumentRecorder(home.path())) + "\" \"" +
                     QFile::encodeName(record) + "\" \"$@\"\n"));
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    LinuxFileSystem fileSystem;
    ProfileShortcuts shortcuts(fileSystem, home.filePath(QStringLiteral("applications")), program);
    const Result<QString> entry = shortcuts.create(profile);
    QVERIFY(entry);
    if (!QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")).isEmpty()) {
        QProcess validate;
        validate.start(QStringLiteral("desktop-file-validate"), {*entry});
        QVERIFY(validate.waitForFinished(30000));
        QCOMPARE(QString::fromUtf8(validate.readAllStandardOutput()), QString());
        QCOMPARE(validate.exitCode(), 0);
    }
    QProcess gio;
    gio.start(QStringLiteral("gio"), {QStringLiteral("launch"), *entry});
    QVERIFY(gio.waitForFinished(30000));
    QCOMPARE(gio.exitCode(), 0);
    QTRY_VERIFY(QFile::exists(record));
    QTRY_COMPARE(QString::fromUtf8(test_files::readBytes(record)),
                 u"--start\n" + fileName + u"\n--folder\n" + folder + u'\n');
}

void ProfileShortcutsTest::onlyTheLaunchersOwnEntriesFollow()
{
    QTemporaryDir home;
    const QString applications = home.filePath(QStringLiteral("applications"));
    LinuxFileSystem fileSystem;
    ProfileShortcuts shortcuts(fileSystem, applications,
                               QStringLiteral("/usr/bin/pelvaro-launcher"));
    const QString work = home.filePath(QStringLiteral("Work.plist"));
    const QString play = home.filePath(QStringLiteral("Play.plist"));
    const Result<QString> first = shortcuts.create(work);
    QVERIFY(first);
    // Made again, the same entry is written anew.
    QCOMPARE(*shortcuts.create(work), *first);
    // The user's own entry for the same command is theirs.
    const QString own = applications + u"/my-pelvaro.desktop";
    QVERIFY(test_files::writeBytes(own, ProfileShortcuts::entryText(work, QStringLiteral("x"))));
    shortcuts.follow(work, play);
    QCOMPARE(shortcuts.entriesFor(work), QStringList());
    QCOMPARE(shortcuts.entriesFor(play), QStringList{*first});
    shortcuts.remove(play);
    QVERIFY(!QFile::exists(*first));
    QVERIFY(QFile::exists(own));
}

QTEST_GUILESS_MAIN(ProfileShortcutsTest)
#include "tst_profileshortcuts.moc"
