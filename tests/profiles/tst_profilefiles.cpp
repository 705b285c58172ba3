#include "profiles/profilefiles.h"
#include "support/testenvironment.h"

#include <QtTest>

// The file operations on their own: the codes their failures carry decide
// which message the user reads.
class ProfileFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void validatedFileName_data();
    void validatedFileName();
    void renameRefusesATakenName_data();
    void renameRefusesATakenName();
    void failuresCarryThePlatformCode_data();
    void failuresCarryThePlatformCode();
    void duplicateCountsUp();
    void sameFolderByAnyPath();

private:
    Profile profile(const QString& fileName) const
    {
        return {m_env->defaultFolder() + u'/' + fileName, {}};
    }

    std::unique_ptr<TestEnvironment> m_env;
    std::unique_ptr<ProfileFiles> m_files;
};

void ProfileFilesTest::init()
{
    m_env = std::make_unique<TestEnvironment>();
    m_files = std::make_unique<ProfileFiles>(m_env->fileSystem);
    QVERIFY(QDir().mkpath(m_env->defaultFolder()));
    QVERIFY(test_files::writeBytes(m_env->defaultFolder() + u"/Work.plist", "work"));
    QVERIFY(test_files::writeBytes(m_env->defaultFolder() + u"/Home.plist", "home"));
}

void ProfileFilesTest::validatedFileName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("problem");
    const int none = -1;
    const int invalid = int(NameProblem::invalid);
    const int forbidden = int(NameProblem::forbiddenCharacter);
    QTest::newRow("plain") << QStringLiteral("Work") << QStringLiteral("Work.plist") << none;
    QTest::newRow("trimmed") << QStringLiteral("  Work \n") << QStringLiteral("Work.plist") << none;
    QTest::newRow("extension kept")
        << QStringLiteral("Work.PLIST") << QStringLiteral("Work.PLIST") << none;
    QTest::newRow("empty") << QString() << QString() << invalid;
    QTest::newRow("blank") << QStringLiteral(" \t ") << QString() << invalid;
    QTest::newRow("dot") << QStringLiteral(".") << QString() << invalid;
    QTest::newRow("dot dot") << QStringLiteral("..") << QString() << invalid;
    QTest::newRow("only the extension") << QStringLiteral(".plist") << QString() << invalid;
    QTest::newRow("slash") << QStringLiteral("a/b") << QString() << forbidden;
    QTest::newRow("colon") << QStringLiteral("a:b") << QString() << forbidden;
}

void ProfileFilesTest::validatedFileName()
{
    QFETCH(QString, typed);
    QFETCH(QString, fileName);
    QFETCH(int, problem);
    const Result<QString, NameProblem> result = ProfileFiles::validatedFileName(typed);
    if (problem < 0) {
        QVERIFY(result);
        QCOMPARE(*result, fileName);
    } else {
        QVERIFY(!result);
        QCOMPARE(int(result.error()), problem);
    }
}

void ProfileFilesTest::renameRefusesATakenName_data()
{
    QTest::addColumn<QString>("holder");
    QTest::newRow("a profile") << QStringLiteral("file");
    QTest::newRow("a folder") << QStringLiteral("folder");
    QTest::newRow("a dangling link") << QStringLiteral("link");
}

void ProfileFilesTest::renameRefusesATakenName()
{
    QFETCH(QString, holder);
    const QString taken = m_env->defaultFolder() + u"/Taken.plist";
    if (holder == u"file")
        QVERIFY(test_files::writeBytes(taken, "taken"));
    else if (holder == u"folder")
        QVERIFY(QDir().mkpath(taken));
    else
        QVERIFY(QFile::link(m_env->root() + u"/nowhere", taken));
    const Result<QString> renamed =
        m_files->rename(profile(QStringLiteral("Work.plist")), m_env->defaultFolder(),
                        QStringLiteral("Taken.plist"));
    QVERIFY(!renamed);
    QCOMPARE(renamed.error().code, ErrorCode::alreadyExists);
    QCOMPARE(test_files::readBytes(m_env->defaultFolder() + u"/Work.plist"), QByteArray("work"));
}

void ProfileFilesTest::failuresCarryThePlatformCode_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<FaultyFileSystem::Fault>("fault");
    QTest::addColumn<Operation>("expected");
    QTest::newRow("rename") << QStringLiteral("rename") << FaultyFileSystem::Fault::moveItem
                            << Operation::move;
    QTest::newRow("duplicate") << QStringLiteral("duplicate") << FaultyFileSystem::Fault::copyItem
                               << Operation::copy;
    QTest::newRow("delete") << QStringLiteral("delete") << FaultyFileSystem::Fault::removeItem
                            << Operation::remove;
}

void ProfileFilesTest::failuresCarryThePlatformCode()
{
    QFETCH(QString, operation);
    QFETCH(FaultyFileSystem::Fault, fault);
    QFETCH(Operation, expected);
    m_env->fileSystem.failing.insert(fault);
    const Profile work = profile(QStringLiteral("Work.plist"));
    std::optional<PlatformError> error;
    if (operation == u"rename") {
        const Result<QString> result =
            m_files->rename(work, m_env->defaultFolder(), QStringLiteral("New.plist"));
        QVERIFY(!result);
        error = result.error();
    } else if (operation == u"duplicate") {
        const Result<QString> result = m_files->duplicate(work, m_env->defaultFolder());
        QVERIFY(!result);
        error = result.error();
    } else {
        const Result<void> result = m_files->remove(work);
        QVERIFY(!result);
        error = result.error();
    }
    QCOMPARE(error->operation, expected);
    QCOMPARE(error->systemMessage, FaultyFileSystem::injectedDescription());
    QCOMPARE(test_files::readBytes(work.url), QByteArray("work"));
}

void ProfileFilesTest::duplicateCountsUp()
{
    const Profile work = profile(QStringLiteral("Work.plist"));
    QStringList copies;
    for (int i = 0; i < 3; ++i) {
        const Result<QString> copy = m_files->duplicate(work, m_env->defaultFolder());
        QVERIFY(copy);
        copies.append(file_path::lastComponent(*copy));
    }
    QCOMPARE(copies,
             (QStringList{QStringLiteral("Work Copy.plist"), QStringLiteral("Work Copy 2.plist"),
                          QStringLiteral("Work Copy 3.plist")}));
}

void ProfileFilesTest::sameFolderByAnyPath()
{
    const QString folder = m_env->defaultFolder();
    const QString link = m_env->root() + u"/link";
    QVERIFY(QFile::link(folder, link));
    const std::optional<FileIdentity> identity = m_env->fileSystem.identity(folder);
    QVERIFY(m_files->isSameFolder(link, folder, identity));
    QVERIFY(m_files->isSameFolder(folder + u"/../Pelvaro Launcher", folder, identity));
    QVERIFY(!m_files->isSameFolder(m_env->makeFolder(QStringLiteral("other")), folder, identity));
    // Without an identity, the cleaned paths decide.
    QVERIFY(m_files->isSameFolder(folder + u"/.", folder, std::nullopt));
}

QTEST_GUILESS_MAIN(ProfileFilesTest)
#include "tst_profilefiles.moc"
