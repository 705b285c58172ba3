#include "platform/filesystem_linux.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

class FileSystemTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void noReplaceOperationsLeaveBothFiles_data();
    void noReplaceOperationsLeaveBothFiles();
    void moveAndCopyCarryTheContent();
    void failuresNameTheFileAndTheReason_data();
    void failuresNameTheFileAndTheReason();
    void atomicWriteReplacesWholeAndLeavesNoTemporary();
    void atomicWriteKeepsPermissions();
    void listingFetchesMetadataOnlyForWantedNames();
    void removeNeverTakesAFolder();
    void longNamesWork_data();
    void longNamesWork();
    void writesGoThroughLinks_data();
    void writesGoThroughLinks();
    void anotherUsersLinkIsNeverFollowed_data();
    void anotherUsersLinkIsNeverFollowed();
    void oddFilesAreNotRead_data();
    void oddFilesAreNotRead();
    void createNeverReplaces_data();
    void createNeverReplaces();
    void newFilesFollowTheUmask();
    void namesThatAreNotUtf8AreLeftOut();
    void identityFollowsLinks();

private:
    QTemporaryDir m_dir;
    LinuxFileSystem m_fs;
    QString path(const QString& name) const { return m_dir.filePath(name); }
};

void FileSystemTest::init()
{
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
    QVERIFY(test_files::writeBytes(path(QStringLiteral("a.plist")), "old A"));
    QVERIFY(test_files::writeBytes(path(QStringLiteral("b.plist")), "old B"));
}

void FileSystemTest::noReplaceOperationsLeaveBothFiles_data()
{
    QTest::addColumn<bool>("move");
    QTest::newRow("move") << true;
    QTest::newRow("copy") << false;
}

void FileSystemTest::noReplaceOperationsLeaveBothFiles()
{
    QFETCH(bool, move);
    const Result<void> result =
        move ? m_fs.moveItem(path(QStringLiteral("a.plist")), path(QStringLiteral("b.plist")))
             : m_fs.copyItem(path(QStringLiteral("a.plist")), path(QStringLiteral("b.plist")));
    QVERIFY(!result);
    QCOMPARE(result.error().code, ErrorCode::alreadyExists);
    QCOMPARE(test_files::readBytes(path(QStringLiteral("a.plist"))), QByteArray("old A"));
    QCOMPARE(test_files::readBytes(path(QStringLiteral("b.plist"))), QByteArray("old B"));

    // A dangling link holds the name too; the copy must not follow it.
    QVERIFY(::symlink(QFile::encodeName(path(QStringLiteral("nowhere"))).constData(),
                      QFile::encodeName(path(QStringLiteral("link.plist"))).constData()) == 0);
    QVERIFY(!m_fs.copyItem(path(QStringLiteral("a.plist")), path(QStringLiteral("link.plist"))));
    QVERIFY(!QFile::exists(path(QStringLiteral("nowhere"))));
}

void FileSystemTest::moveAndCopyCarryTheContent()
{
    QVERIFY(m_fs.copyItem(path(QStringLiteral("a.plist")), path(QStringLiteral("c.plist"))));
    QCOMPARE(test_files::readBytes(path(QStringLiteral("c.plist"))), QByteArray("old A"));
    QVERIFY(m_fs.moveItem(path(QStringLiteral("c.plist")), path(QStringLiteral("d.plist"))));
    QVERIFY(!QFile::exists(path(QStringLiteral("c.plist"))));
    QCOMPARE(test_files::readBytes(path(QStringLiteral("d.plist"))), QByteArray("old A"));
}

void FileSystemTest::failuresNameTheFileAndTheReason_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::newRow("move") << Operation::move;
    QTest::newRow("copy") << Operation::copy;
    QTest::newRow("remove") << Operation::remove;
    QTest::newRow("read") << Operation::read;
}

void FileSystemTest::failuresNameTheFileAndTheReason()
{
    QFETCH(Operation, operation);
    const QString missing = path(QStringLiteral("gone.plist"));
    const QString target = path(QStringLiteral("x.plist"));
    const PlatformError error = [&] {
        switch (operation) {
        case Operation::move:
            return m_fs.moveItem(missing, target).error();
        case Operation::copy:
            return m_fs.copyItem(missing, target).error();
        case Operation::remove:
            return m_fs.removeItem(missing).error();
        default:
            return m_fs.readFile(missing).error();
        }
    }();
    QCOMPARE(error.operation, operation);
    QCOMPARE(error.code, ErrorCode::notFound);
    QCOMPARE(error.path, missing);
    QCOMPARE(error.systemError, ENOENT);
}

void FileSystemTest::atomicWriteReplacesWholeAndLeavesNoTemporary()
{
    QVERIFY(m_fs.writeFileAtomically(path(QStringLiteral("a.plist")), "new content"));
    QCOMPARE(test_files::readBytes(path(QStringLiteral("a.plist"))), QByteArray("new content"));
    QVERIFY(m_fs.writeFileAtomically(path(QStringLiteral("fresh.plist")), "created"));
    QCOMPARE(test_files::readBytes(path(QStringLiteral("fresh.plist"))), QByteArray("created"));
    const QStringList leftovers = QDir(m_dir.path()).entryList(QDir::Hidden | QDir::Files);
    QCOMPARE(leftovers, (QStringList{QStringLiteral("a.plist"), QStringLiteral("b.plist"),
                                     QStringLiteral("fresh.plist")}));
    const Result<void> failed =
        m_fs.writeFileAtomically(path(QStringLiteral("missing/x.plist")), "x");
    QVERIFY(!failed);
    QCOMPARE(failed.error().code, ErrorCode::notFound);
}

void FileSystemTest::atomicWriteKeepsPermissions()
{
    QVERIFY(::chmod(QFile::encodeName(path(QStringLiteral("a.plist"))).constData(), 0640) == 0);
    QVERIFY(m_fs.writeFileAtomically(path(QStringLiteral("a.plist")), "again"));
    struct stat info
    {
    };
    QVERIFY(::stat(QFile::encodeName(path(QStringLiteral("a.plist"))).constData(), &info) == 0);
    QCOMPARE(int(info.st_mode & 0777), 0640);
}

void FileSystemTest::listingFetchesMetadataOnlyForWantedNames()
{
    QDir(m_dir.path()).mkdir(QStringLiteral("folder.plist"));
    QVERIFY(test_files::writeBytes(path(QStringLiteral(".hidden.plist")), "h"));
    const auto entries =
        m_fs.listDirectory(m_dir.path(), [](QStringView name) { return name.endsWith(u".plist"); });
    QVERIFY(entries);
    QStringList regular;
    QStringList other;
    for (const DirectoryEntry& entry : *entries) {
        QVERIFY(entry.modifiedAt.has_value());
        (entry.isRegularFile ? regular : other).append(entry.name);
    }
    regular.sort();
    QCOMPARE(regular, (QStringList{QStringLiteral("a.plist"), QStringLiteral("b.plist")}));
    QCOMPARE(other, QStringList{QStringLiteral("folder.plist")});
    QVERIFY(!m_fs.listDirectory(path(QStringLiteral("missing")), {}));
    QVERIFY(!m_fs.listDirectory(path(QStringLiteral("a.plist")), {}));
}

// Whatever took a profile's name, the contents of a folder are not ours.
void FileSystemTest::removeNeverTakesAFolder()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("tree.plist/inner"));
    QVERIFY(test_files::writeBytes(path(QStringLiteral("tree.plist/inner/keep")), "keep"));
    const Result<void> removed = m_fs.removeItem(path(QStringLiteral("tree.plist")));
    QVERIFY(!removed);
    QCOMPARE(removed.error().code, ErrorCode::isFolder);
    QVERIFY(QFile::exists(path(QStringLiteral("tree.plist/inner/keep"))));
    // A link to a folder is a link: it goes, the folder stays.
    QVERIFY(QFile::link(path(QStringLiteral("tree.plist")), path(QStringLiteral("link.plist"))));
    QVERIFY(m_fs.removeItem(path(QStringLiteral("link.plist"))));
    QVERIFY(!QFileInfo(path(QStringLiteral("link.plist"))).isSymLink());
    QVERIFY(QFile::exists(path(QStringLiteral("tree.plist/inner/keep"))));
}

void FileSystemTest::longNamesWork_data()
{
    QTest::addColumn<QString>("name");
    // The longest names the system allows, in bytes, with multi-byte ones.
    for (const int bytes : {250, 254, 255}) {
        const QString ascii = QString(bytes - 6, u'n') + u".plist";
        QTest::newRow(qPrintable(QStringLiteral("ascii %1 bytes").arg(bytes))) << ascii;
        const QString accented =
            QString((bytes - 6) / 2, u'\u00E9') + QString((bytes - 6) % 2, u'n') + u".plist";
        QTest::newRow(qPrintable(QStringLiteral("two-byte %1 bytes").arg(bytes))) << accented;
    }
}

void FileSystemTest::longNamesWork()
{
    QFETCH(QString, name);
    const QString target = path(name);
    QVERIFY(m_fs.createFileAtomically(target, "created"));
    QVERIFY(m_fs.writeFileAtomically(target, "replaced"));
    QCOMPARE(*m_fs.readFile(target), QByteArray("replaced"));
    QVERIFY(m_fs.moveItem(target, path(QStringLiteral("short.plist"))));
    QVERIFY(m_fs.copyItem(path(QStringLiteral("short.plist")), target));
    QVERIFY(m_fs.removeItem(target));
    const QStringList left = QDir(m_dir.path()).entryList(QDir::Hidden | QDir::Files);
    QCOMPARE(left, (QStringList{QStringLiteral("a.plist"), QStringLiteral("b.plist"),
                                QStringLiteral("short.plist")}));
}

void FileSystemTest::writesGoThroughLinks_data()
{
    QTest::addColumn<QString>("linkTarget");
    QTest::addColumn<QString>("realFile");
    QTest::newRow("relative") << QStringLiteral("a.plist") << QStringLiteral("a.plist");
    QTest::newRow("absolute") << QStringLiteral("@/a.plist") << QStringLiteral("a.plist");
    QTest::newRow("into a folder")
        << QStringLiteral("sub/real.plist") << QStringLiteral("sub/real.plist");
    QTest::newRow("chain") << QStringLiteral("b-link.plist") << QStringLiteral("b.plist");
    QTest::newRow("dangling") << QStringLiteral("sub/new.plist") << QStringLiteral("sub/new.plist");
}

// Written as QSaveFile writes: the link stays a link, and what it leads to
// gets the new content.
void FileSystemTest::writesGoThroughLinks()
{
    QFETCH(QString, linkTarget);
    QFETCH(QString, realFile);
    QDir(m_dir.path()).mkdir(QStringLiteral("sub"));
    QVERIFY(test_files::writeBytes(path(QStringLiteral("sub/real.plist")), "old real"));
    QVERIFY(QFile::link(QStringLiteral("b.plist"), path(QStringLiteral("b-link.plist"))));
    const QString target =
        linkTarget.startsWith(u'@') ? m_dir.path() + linkTarget.mid(1) : linkTarget;
    QVERIFY(::symlink(QFile::encodeName(target).constData(),
                      QFile::encodeName(path(QStringLiteral("link.plist"))).constData()) == 0);
    QVERIFY(m_fs.writeFileAtomically(path(QStringLiteral("link.plist")), "new"));
    QVERIFY(QFileInfo(path(QStringLiteral("link.plist"))).isSymLink());
    QCOMPARE(test_files::readBytes(path(realFile)), QByteArray("new"));
    QCOMPARE(test_files::readBytes(path(QStringLiteral("link.plist"))), QByteArray("new"));
}

// In a folder shared with another user, that user's link could lead a read
// or a write to any file of ours: it is refused, first or later in a chain.
void FileSystemTest::anotherUsersLinkIsNeverFollowed_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("chained");
    for (const bool chained : {false, true}) {
        for (const char* operation : {"read", "write", "copy"})
            QTest::addRow("%s%s", operation, chained ? ", behind an own link" : "")
                << QString::fromLatin1(operation) << chained;
    }
}

void FileSystemTest::anotherUsersLinkIsNeverFollowed()
{
    QFETCH(QString, operation);
    QFETCH(bool, chained);
    const QString secret = path(QStringLiteral("secret.txt"));
    QVERIFY(test_files::writeBytes(secret, "private"));
    QVERIFY(QFile::link(secret, path(QStringLiteral("foreign.plist"))));
    if (!test_files::giveToAnotherUser(path(QStringLiteral("foreign.plist"))))
        QSKIP("Only root can make a link another user's.");
    QVERIFY(QFile::link(QStringLiteral("foreign.plist"), path(QStringLiteral("own.plist"))));
    const QString entry =
        path(chained ? QStringLiteral("own.plist") : QStringLiteral("foreign.plist"));
    std::optional<PlatformError> error;
    if (operation == u"read") {
        const Result<QByteArray> read = m_fs.readFile(entry);
        error = read ? std::nullopt : std::optional(read.error());
    } else if (operation == u"write") {
        const Result<void> written = m_fs.writeFileAtomically(entry, "overwritten");
        error = written ? std::nullopt : std::optional(written.error());
    } else {
        const Result<void> copied = m_fs.copyItem(entry, path(QStringLiteral("copy.plist")));
        error = copied ? std::nullopt : std::optional(copied.error());
        QVERIFY(!QFileInfo::exists(path(QStringLiteral("copy.plist"))));
    }
    QVERIFY(error);
    QCOMPARE(error->code, ErrorCode::foreignLink);
    QCOMPARE(test_files::readBytes(secret), QByteArray("private"));
    // The user's own link still leads where it points.
    QVERIFY(QFile::link(secret, path(QStringLiteral("mine.plist"))));
    QCOMPARE(m_fs.readFile(path(QStringLiteral("mine.plist"))).value(), QByteArray("private"));
}

void FileSystemTest::oddFilesAreNotRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<ErrorCode>("reason");
    QTest::newRow("FIFO") << QStringLiteral("fifo") << ErrorCode::notAFile;
    QTest::newRow("link to a device") << QStringLiteral("device") << ErrorCode::notAFile;
    QTest::newRow("folder") << QStringLiteral("folder") << ErrorCode::isFolder;
    QTest::newRow("over the size limit") << QStringLiteral("huge") << ErrorCode::tooLarge;
}

// A FIFO would block the opening forever, a device would never end, a huge
// file would take the memory: each is refused at once, with a reason.
void FileSystemTest::oddFilesAreNotRead()
{
    QFETCH(QString, kind);
    QFETCH(ErrorCode, reason);
    const QString odd = path(QStringLiteral("odd.plist"));
    const QByteArray encodedOdd = QFile::encodeName(odd);
    if (kind == u"fifo") {
        QVERIFY(::mkfifo(encodedOdd.constData(), 0600) == 0);
    } else if (kind == u"device") {
        // A device of the test's own, like /dev/zero, so that a write that
        // went wrong could only replace that.
        const QByteArray device = QFile::encodeName(path(QStringLiteral("zero")));
        if (::mknod(device.constData(), S_IFCHR | 0600, makedev(1, 5)) != 0)
            QSKIP("Making a device needs root.");
        QVERIFY(QFile::link(path(QStringLiteral("zero")), odd));
    } else if (kind == u"folder") {
        QVERIFY(QDir().mkdir(odd));
    } else {
        QFile file(odd);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(FileSystem::maximumReadSize + 1)); // sparse
    }
    const Result<QByteArray> read = m_fs.readFile(odd);
    QVERIFY(!read);
    QCOMPARE(read.error().code, reason);
    const Result<void> copied = m_fs.copyItem(odd, path(QStringLiteral("copy.plist")));
    QVERIFY(!copied);
    QCOMPARE(copied.error().code, reason);
    QVERIFY(!QFile::exists(path(QStringLiteral("copy.plist"))));
    // Nor is anything but a regular file replaced by a write.
    if (kind != u"huge") {
        QVERIFY(!m_fs.writeFileAtomically(odd, "x"));
        QVERIFY(QFileInfo(odd).isSymLink() || !QFileInfo(odd).isFile());
    }
}

void FileSystemTest::createNeverReplaces_data()
{
    QTest::addColumn<bool>("danglingLink");
    QTest::newRow("a file") << false;
    QTest::newRow("a dangling link") << true;
}

void FileSystemTest::createNeverReplaces()
{
    QFETCH(bool, danglingLink);
    const QString target =
        path(danglingLink ? QStringLiteral("link.plist") : QStringLiteral("a.plist"));
    if (danglingLink)
        QVERIFY(QFile::link(path(QStringLiteral("nowhere")), target));
    const Result<void> created = m_fs.createFileAtomically(target, "new");
    QVERIFY(!created);
    QCOMPARE(created.error().code, ErrorCode::alreadyExists);
    QCOMPARE(test_files::readBytes(path(QStringLiteral("a.plist"))), QByteArray("old A"));
    QVERIFY(!QFile::exists(path(QStringLiteral("nowhere"))));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Hidden | QDir::Files | QDir::System).size(),
             danglingLink ? 3 : 2);
}

void FileSystemTest::newFilesFollowTheUmask()
{
    const mode_t previous = ::umask(027);
    const auto restore = qScopeGuard([previous] { ::umask(previous); });
    QVERIFY(m_fs.writeFileAtomically(path(QStringLiteral("new.plist")), "x"));
    QVERIFY(m_fs.createFileAtomically(path(QStringLiteral("created.plist")), "x"));
    for (const char* name : {"new.plist", "created.plist"}) {
        struct stat info
        {
        };
        QVERIFY(::stat(QFile::encodeName(path(QString::fromLatin1(name))).constData(), &info) == 0);
        QCOMPARE(int(info.st_mode & 0777), 0640);
    }
    // The process's umask is left as it was.
    QCOMPARE(::umask(027), mode_t(027));
}

// Shown as "bad\uFFFD.plist", such a name would act on a file that really
// has that name.
void FileSystemTest::namesThatAreNotUtf8AreLeftOut()
{
    QVERIFY(test_files::writeBytesAtRawPath(QFile::encodeName(m_dir.path()) + "/bad\xff.plist",
                                            "invalid"));
    QVERIFY(test_files::writeBytes(path(QStringLiteral("bad\uFFFD.plist")), "valid"));
    const auto entries = m_fs.listDirectory(m_dir.path(), {});
    QVERIFY(entries);
    QStringList names;
    for (const DirectoryEntry& entry : *entries)
        names.append(entry.name);
    names.sort();
    QCOMPARE(names, (QStringList{QStringLiteral("a.plist"), QStringLiteral("b.plist"),
                                 QStringLiteral("bad\uFFFD.plist")}));
}

void FileSystemTest::identityFollowsLinks()
{
    QDir(m_dir.path()).mkdir(QStringLiteral("folder"));
    QVERIFY(QFile::link(path(QStringLiteral("folder")), path(QStringLiteral("link"))));
    const std::optional<FileIdentity> real = m_fs.identity(path(QStringLiteral("folder")));
    QVERIFY(real);
    QCOMPARE(m_fs.identity(path(QStringLiteral("link"))), real);
    QCOMPARE(m_fs.identity(path(QStringLiteral("folder/../folder"))), real);
    QVERIFY(m_fs.identity(path(QStringLiteral("a.plist"))) != real);
    QVERIFY(!m_fs.identity(path(QStringLiteral("missing"))));
}

QTEST_GUILESS_MAIN(FileSystemTest)
#include "tst_filesystem.moc"
