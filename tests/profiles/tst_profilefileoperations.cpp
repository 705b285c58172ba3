#include "platform/directorywatch.h"
#include "platform/folderchooser.h"
#include "state/launcherstate.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <unistd.h>

namespace {

const QString validName = QStringLiteral("Please enter a valid name.");
const QString badCharacters = QStringLiteral("The name contains characters that cannot be used in "
                                             "a file name (for example \"/\" or \":\").");

class ScriptedChooser : public FolderChooser
{
public:
    std::optional<QString> answer;
    QString prompt;
    QString message;
    std::optional<QString> startFolder;
    int calls = 0;

    std::optional<QString> chooseFolder(const QString& prompt, const QString& message,
                                        const std::optional<QString>& startFolder) override
    {
        ++calls;
        this->prompt = prompt;
        this->message = message;
        this->startFolder = startFolder;
        return answer;
    }
};

Profile profileAt(const LauncherState& state, const QString& fileName)
{
    return test_files::profileNamed(state.profiles(), fileName);
}

QStringList fileNames(const LauncherState& state)
{
    return test_files::fileNames(state.profiles());
}

} // namespace

class ProfileFileOperationsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void nameValidation_data();
    void nameValidation();
    void renameOntoExistingProfileIsRefused_data();
    void renameOntoExistingProfileIsRefused();
    void renameToTheSameNameDoesNothing_data();
    void renameToTheSameNameDoesNothing();
    void renamingTheActiveProfileMovesIt();
    void renamingASameNamedFileOfAnotherFolderLeavesTheActiveProfile();
    void duplicateNamesCount();
    void deletingTheActiveProfileClearsIt();
    void operationsOnVanishedFile_data();
    void operationsOnVanishedFile();
    void noFolderMeansRenameAndDuplicateDoNothing();
    void chooseCustomFolder();
    void cancelledChooserChangesNothing();
    void sameFolderByAnotherPathIsTheSameFolder_data();
    void sameFolderByAnotherPathIsTheSameFolder();
    void folderInPlaceOfAProfileIsNotDeleted();
    void namesThatAreNotUtf8NeverActOnTheirTwin();

private:
    std::unique_ptr<TestEnvironment> m_env;
    LauncherState* m_state = nullptr;
};

void ProfileFileOperationsTest::init()
{
    m_env = std::make_unique<TestEnvironment>();
    QDir().mkpath(m_env->defaultFolder());
    for (const char* name : {"Work.plist", "Other.plist"})
        QVERIFY(test_files::writeBytes(m_env->defaultFolder() + u'/' + QLatin1String(name), name));
    m_state = &m_env->makeState();
}

void ProfileFileOperationsTest::cleanup()
{
    m_state = nullptr;
    m_env.reset();
}

void ProfileFileOperationsTest::nameValidation_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("message");
    QTest::newRow("spaces around")
        << QStringLiteral("  Work  ") << QStringLiteral("Work.plist") << QString();
    QTest::newRow("extension kept")
        << QStringLiteral("Work.PLIST") << QStringLiteral("Work.PLIST") << QString();
    QTest::newRow("other extension")
        << QStringLiteral("Work.txt") << QStringLiteral("Work.txt.plist") << QString();
    QTest::newRow("dot dot plist")
        << QStringLiteral("..plist") << QStringLiteral("..plist") << QString();
    QTest::newRow("inner spaces") << QStringLiteral("My  Work") << QStringLiteral("My  Work.plist")
                                  << QString();
    QTest::newRow("line break at end")
        << QStringLiteral("Work\n") << QStringLiteral("Work.plist") << QString();
    QTest::newRow("ideographic space trimmed")
        << QStringLiteral("\u3000Work\u2029") << QStringLiteral("Work.plist") << QString();
    QTest::newRow("astral letters")
        << QStringLiteral("\U0001F600") << QStringLiteral("\U0001F600.plist") << QString();
    QTest::newRow("empty") << QString() << QString() << validName;
    QTest::newRow("blank") << QStringLiteral(" \t ") << QString() << validName;
    QTest::newRow("dot") << QStringLiteral(".") << QString() << validName;
    QTest::newRow("dot dot") << QStringLiteral("..") << QString() << validName;
    QTest::newRow("only extension") << QStringLiteral(".plist") << QString() << validName;
    QTest::newRow("slash") << QStringLiteral("a/b") << QString() << badCharacters;
    QTest::newRow("colon") << QStringLiteral("a:b") << QString() << badCharacters;
    QTest::newRow("tab inside") << QStringLiteral("a\tb") << QString() << badCharacters;
    QTest::newRow("line break inside") << QStringLiteral("a\nb") << QString() << badCharacters;
    QTest::newRow("soft hyphen") << QStringLiteral("a\u00ADb") << QString() << badCharacters;
    QTest::newRow("left-to-right mark") << QStringLiteral("a\u200Eb") << QString() << badCharacters;
    QTest::newRow("astral format character")
        << QStringLiteral("a\U000E0001") << QString() << badCharacters;
}

void ProfileFileOperationsTest::nameValidation()
{
    QFETCH(QString, typed);
    QFETCH(QString, fileName);
    QFETCH(QString, message);
    const std::optional<QString> result = m_state->validatedProfileFileName(typed);
    if (message.isEmpty()) {
        QCOMPARE(result, std::optional<QString>(fileName));
        QCOMPARE(m_state->errorMessage(), std::nullopt);
    } else {
        QCOMPARE(result, std::nullopt);
        QCOMPARE(m_state->errorMessage(), std::optional<QString>(message));
    }
}

void ProfileFileOperationsTest::renameOntoExistingProfileIsRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("a profile") << QStringLiteral("Other")
                               << QStringLiteral("A file named \"Other.plist\" already exists.");
    // Not a file: the move failed, and says why.
    QTest::newRow("a link that leads nowhere")
        << QStringLiteral("Dangling") << QStringLiteral("Could not rename \"Work.plist\": ");
}

void ProfileFileOperationsTest::renameOntoExistingProfileIsRefused()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QVERIFY(QFile::link(m_env->defaultFolder() + u"/nowhere",
                        m_env->defaultFolder() + u"/Dangling.plist"));
    m_state->renameProfile(profileAt(*m_state, QStringLiteral("Work.plist")), typed);
    QVERIFY2(m_state->errorMessage().value_or(QString()).startsWith(message),
             qPrintable(m_state->errorMessage().value_or(QString())));
    QCOMPARE(test_files::readBytes(m_env->defaultFolder() + u"/Work.plist"),
             QByteArray("Work.plist"));
    QCOMPARE(test_files::readBytes(m_env->defaultFolder() + u"/Other.plist"),
             QByteArray("Other.plist"));
}

void ProfileFileOperationsTest::renameToTheSameNameDoesNothing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("name") << QStringLiteral("Work");
    QTest::newRow("file name") << QStringLiteral("Work.plist");
    QTest::newRow("between spaces") << QStringLiteral(" Work ");
}

void ProfileFileOperationsTest::renameToTheSameNameDoesNothing()
{
    QFETCH(QString, typed);
    QSignalSpy changed(m_state, &LauncherState::profilesChanged);
    m_state->renameProfile(profileAt(*m_state, QStringLiteral("Work.plist")), typed);
    QCOMPARE(m_state->errorMessage(), std::nullopt);
    QCOMPARE(changed.count(), 0);
    QVERIFY(QFile::exists(m_env->defaultFolder() + u"/Work.plist"));
}

void ProfileFileOperationsTest::renamingTheActiveProfileMovesIt()
{
    QVERIFY(test_files::writeBinaryPlist(m_env->defaultFolder() + u"/Work.plist",
                                         PlistValue(PlistDictionary())));
    m_state->startProfile(profileAt(*m_state, QStringLiteral("Work.plist")));
    QCOMPARE(m_state->activeProfileName(), std::optional<QString>(QStringLiteral("Work.plist")));
    m_state->renameProfile(profileAt(*m_state, QStringLiteral("Work.plist")),
                           QStringLiteral("Job"));
    QCOMPARE(m_state->activeProfileName(), std::optional<QString>(QStringLiteral("Job.plist")));
    QCOMPARE(m_env->userDefaults->stringForKey(QStringLiteral("activeProfileName")),
             std::optional<QString>(QStringLiteral("Job.plist")));
    QCOMPARE(fileNames(*m_state),
             (QStringList{QStringLiteral("Job.plist"), QStringLiteral("Other.plist")}));
}

void ProfileFileOperationsTest::renamingASameNamedFileOfAnotherFolderLeavesTheActiveProfile()
{
    QVERIFY(test_files::writeBinaryPlist(m_env->defaultFolder() + u"/Work.plist",
                                         PlistValue(PlistDictionary())));
    m_state->startProfile(profileAt(*m_state, QStringLiteral("Work.plist")));
    const QString other = m_env->makeFolder(QStringLiteral("other"));
    QVERIFY(test_files::writeBytes(other + u"/Work.plist", "other work"));
    m_state->setCustomFolderPath(other);
    m_state->setFolderMode(FolderMode::custom);
    m_state->renameProfile(profileAt(*m_state, QStringLiteral("Work.plist")),
                           QStringLiteral("Moved"));
    QCOMPARE(m_state->activeProfileName(), std::optional<QString>(QStringLiteral("Work.plist")));
    m_state->deleteProfile(profileAt(*m_state, QStringLiteral("Moved.plist")));
    QCOMPARE(m_state->activeProfileName(), std::optional<QString>(QStringLiteral("Work.plist")));
}

void ProfileFileOperationsTest::duplicateNamesCount()
{
    const auto duplicateWork = [&] {
        m_state->duplicateProfile(profileAt(*m_state, QStringLiteral("Work.plist")));
    };
    duplicateWork();
    duplicateWork();
    duplicateWork();
    QCOMPARE(fileNames(*m_state),
             (QStringList{QStringLiteral("Other.plist"), QStringLiteral("Work Copy 2.plist"),
                          QStringLiteral("Work Copy 3.plist"), QStringLiteral("Work Copy.plist"),
                          QStringLiteral("Work.plist")}));
    QCOMPARE(test_files::readBytes(m_env->defaultFolder() + u"/Work Copy 3.plist"),
             QByteArray("Work.plist"));
    m_state->deleteProfile(profileAt(*m_state, QStringLiteral("Work Copy.plist")));
    duplicateWork();
    QVERIFY(QFile::exists(m_env->defaultFolder() + u"/Work Copy.plist"));
    m_state->duplicateProfile(profileAt(*m_state, QStringLiteral("Work Copy.plist")));
    QVERIFY(QFile::exists(m_env->defaultFolder() + u"/Work Copy Copy.plist"));
    QCOMPARE(m_state->errorMessage(), std::nullopt);
}

void ProfileFileOperationsTest::deletingTheActiveProfileClearsIt()
{
    QVERIFY(test_files::writeBinaryPlist(m_env->defaultFolder() + u"/Work.plist",
                                         PlistValue(PlistDictionary())));
    m_state->startProfile(profileAt(*m_state, QStringLiteral("Work.plist")));
    m_state->deleteProfile(profileAt(*m_state, QStringLiteral("Work.plist")));
    QCOMPARE(m_state->activeProfileName(), std::nullopt);
    QCOMPARE(m_env->userDefaults->stringForKey(QStringLiteral("activeProfileName")), std::nullopt);
    QCOMPARE(fileNames(*m_state), QStringList{QStringLiteral("Other.plist")});
}

void ProfileFileOperationsTest::operationsOnVanishedFile_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("rename") << QStringLiteral("rename")
                            << QStringLiteral("Could not rename \"Work.plist\": ");
    QTest::newRow("duplicate") << QStringLiteral("duplicate")
                               << QStringLiteral("Could not duplicate \"Work.plist\": ");
    QTest::newRow("delete") << QStringLiteral("delete")
                            << QStringLiteral("Could not delete \"Work.plist\": ");
}

void ProfileFileOperationsTest::operationsOnVanishedFile()
{
    QFETCH(QString, operation);
    QFETCH(QString, prefix);
    const Profile work = profileAt(*m_state, QStringLiteral("Work.plist"));
    QVERIFY(QFile::remove(work.url));
    if (operation == u"rename")
        m_state->renameProfile(work, QStringLiteral("Job"));
    else if (operation == u"duplicate")
        m_state->duplicateProfile(work);
    else
        m_state->deleteProfile(work);
    const QString message = m_state->errorMessage().value_or(QString());
    QVERIFY2(message.startsWith(prefix), qPrintable(message));
    QVERIFY2(message.size() > prefix.size() + 10, qPrintable(message));
    QVERIFY(!QFile::exists(m_env->defaultFolder() + u"/Job.plist"));
    QVERIFY(!QFile::exists(m_env->defaultFolder() + u"/Work Copy.plist"));
}

void ProfileFileOperationsTest::sameFolderByAnotherPathIsTheSameFolder_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("throughLink");
    for (const char* operation : {"delete", "rename"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1 through a link").arg(QLatin1String(operation))))
            << QString::fromLatin1(operation) << true;
        QTest::newRow(qPrintable(QStringLiteral("%1 through ..").arg(QLatin1String(operation))))
            << QString::fromLatin1(operation) << false;
    }
}

// The active profile's folder reached by another path is the same folder:
// deleting the profile there must keep the save-back from making it again,
// and renaming it must carry the save-back along.
void ProfileFileOperationsTest::sameFolderByAnotherPathIsTheSameFolder()
{
    QFETCH(QString, operation);
    QFETCH(bool, throughLink);
    QVERIFY(test_files::writeBinaryPlist(m_env->defaultFolder() + u"/Work.plist",
                                         PlistValue(PlistDictionary())));
    m_state->startProfile(profileAt(*m_state, QStringLiteral("Work.plist")));
    const QString other = m_env->root() + u"/link";
    if (throughLink)
        QVERIFY(QFile::link(m_env->defaultFolder(), other));
    const QString path = throughLink ? other : m_env->defaultFolder() + u"/../Pelvaro Launcher";
    m_state->setCustomFolderPath(path);
    m_state->setFolderMode(FolderMode::custom);
    if (operation == u"delete") {
        m_state->deleteProfile(profileAt(*m_state, QStringLiteral("Work.plist")));
        QCOMPARE(m_state->activeProfileName(), std::nullopt);
    } else {
        m_state->renameProfile(profileAt(*m_state, QStringLiteral("Work.plist")),
                               QStringLiteral("Job"));
        QCOMPARE(m_state->activeProfileName(), std::optional<QString>(QStringLiteral("Job.plist")));
    }
    m_state->saveActiveProfile();
    QVERIFY(!QFile::exists(m_env->defaultFolder() + u"/Work.plist"));
}

void ProfileFileOperationsTest::folderInPlaceOfAProfileIsNotDeleted()
{
    const Profile work = profileAt(*m_state, QStringLiteral("Work.plist"));
    QVERIFY(QFile::remove(work.url));
    QVERIFY(QDir().mkpath(work.url + u"/inner"));
    QVERIFY(test_files::writeBytes(work.url + u"/inner/keep", "keep"));
    m_state->deleteProfile(work);
    const QString message = m_state->errorMessage().value_or(QString());
    QVERIFY2(message.startsWith(u"Could not delete \"Work.plist\": "), qPrintable(message));
    QVERIFY(QFile::exists(work.url + u"/inner/keep"));
}

// A name that is not valid UTF-8 would be shown with U+FFFD, and act on a
// file that really has that name.
void ProfileFileOperationsTest::namesThatAreNotUtf8NeverActOnTheirTwin()
{
    const QByteArray invalid = QFile::encodeName(m_env->defaultFolder()) + "/bad\xff.plist";
    QVERIFY(test_files::writeBytesAtRawPath(invalid, "invalid"));
    const QString twin = m_env->defaultFolder() + u"/bad\uFFFD.plist";
    QVERIFY(test_files::writeBytes(twin, "valid"));
    m_state->reloadProfiles();
    QCOMPARE(fileNames(*m_state),
             (QStringList{QStringLiteral("bad\uFFFD.plist"), QStringLiteral("Other.plist"),
                          QStringLiteral("Work.plist")}));
    m_state->deleteProfile(profileAt(*m_state, QStringLiteral("bad\uFFFD.plist")));
    QVERIFY(!QFile::exists(twin));
    QVERIFY(::access(invalid.constData(), F_OK) == 0);
}

void ProfileFileOperationsTest::noFolderMeansRenameAndDuplicateDoNothing()
{
    const Profile work = profileAt(*m_state, QStringLiteral("Work.plist"));
    m_state->setCustomFolderPath(QString());
    m_state->setFolderMode(FolderMode::custom);
    m_state->renameProfile(work, QStringLiteral("a/b"));
    m_state->duplicateProfile(work);
    QCOMPARE(m_state->errorMessage(), std::nullopt);
    QCOMPARE(QDir(m_env->defaultFolder()).entryList(QDir::Files).size(), 2);
    m_state->deleteProfile(work);
    QVERIFY(!QFile::exists(work.url));
}

void ProfileFileOperationsTest::chooseCustomFolder()
{
    ScriptedChooser chooser;
    m_state->setFolderChooser(&chooser);
    const QString chosen = m_env->makeFolder(QStringLiteral("chosen"));
    QVERIFY(test_files::writeBytes(chosen + u"/Mine.plist", "x"));
    chooser.answer = chosen;
    m_state->setFolderMode(FolderMode::custom);
    m_state->chooseCustomFolder();
    QCOMPARE(chooser.prompt, QStringLiteral("Choose"));
    QCOMPARE(chooser.message,
             QStringLiteral("Select the folder containing Pelvaro profile plist files."));
    QCOMPARE(chooser.startFolder, std::nullopt);
    QCOMPARE(m_state->customFolderPath(), chosen);
    QCOMPARE(m_env->userDefaults->stringForKey(QStringLiteral("customFolderPath")),
             std::optional<QString>(chosen));
    QCOMPARE(fileNames(*m_state), QStringList{QStringLiteral("Mine.plist")});
    QCOMPARE(m_state->folderAccessStatus(), AccessStatus::ok());
    QCOMPARE(m_state->folderMonitorSource()->path(), chosen);
    m_state->chooseCustomFolder();
    QCOMPARE(chooser.startFolder, std::optional<QString>(chosen));
}

void ProfileFileOperationsTest::cancelledChooserChangesNothing()
{
    ScriptedChooser chooser;
    m_state->setFolderChooser(&chooser);
    m_state->setCustomFolderPath(m_env->defaultFolder());
    m_state->setFolderMode(FolderMode::custom);
    const DirectoryWatch* watch = m_state->folderMonitorSource();
    m_state->chooseCustomFolder();
    QCOMPARE(chooser.calls, 1);
    QCOMPARE(m_state->customFolderPath(), m_env->defaultFolder());
    QCOMPARE(m_state->folderMonitorSource(), watch);
    QCOMPARE(m_state->profiles().size(), 2);
}

QTEST_GUILESS_MAIN(ProfileFileOperationsTest)
#include "tst_profilefileoperations.moc"
