#include "platform/filesystem_linux.h"
#include "support/testenvironment.h"

#include <QtTest>

#include <sys/stat.h>
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
    void removeDeletesFoldersToo();

private:
    QTemporaryDir m_dir;
    LinuxFileSystem m_fs;
    QString path(const QString& name) const { return m_dir.filePath(name); }
};

void FileSystemTest::init()
{
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
    test_files::writeBytes(path(QStringLiteral("a.plist")), "old A");
    test_files::writeBytes(path(QStringLiteral("b.plist")), "old B");
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
    const FileResult result =
        move ? m_fs.moveItem(path(QStringLiteral("a.plist")), path(QStringLiteral("b.plist")))
             : m_fs.copyItem(path(QStringLiteral("a.plist")), path(QStringLiteral("b.plist")));
    QVERIFY(!result);
    QVERIFY(result.description.contains(u"already exists"));
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
    QTest::addColumn<QString>("operation");
    QTest::newRow("move") << QStringLiteral("move");
    QTest::newRow("copy") << QStringLiteral("copy");
    QTest::newRow("remove") << QStringLiteral("remove");
    QTest::newRow("read") << QStringLiteral("read");
}

void FileSystemTest::failuresNameTheFileAndTheReason()
{
    QFETCH(QString, operation);
    const QString missing = path(QStringLiteral("gone.plist"));
    QString description;
    if (operation == u"move")
        description = m_fs.moveItem(missing, path(QStringLiteral("x.plist"))).description;
    else if (operation == u"copy")
        description = m_fs.copyItem(missing, path(QStringLiteral("x.plist"))).description;
    else if (operation == u"remove")
        description = m_fs.removeItem(missing).description;
    else
        QVERIFY(!m_fs.readFile(missing, &description));
    QVERIFY2(description.contains(u"\u201Cgone.plist\u201D"), qPrintable(description));
    QVERIFY2(description.contains(u"no such file"), qPrintable(description));
    QVERIFY(description.endsWith(u'.'));
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
    const FileResult failed =
        m_fs.writeFileAtomically(path(QStringLiteral("missing/x.plist")), "x");
    QVERIFY(!failed);
    QVERIFY(!failed.description.isEmpty());
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
    test_files::writeBytes(path(QStringLiteral(".hidden.plist")), "h");
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

void FileSystemTest::removeDeletesFoldersToo()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("tree/inner"));
    QVERIFY(m_fs.removeItem(path(QStringLiteral("tree"))));
    QVERIFY(!QFile::exists(path(QStringLiteral("tree"))));
}

QTEST_GUILESS_MAIN(FileSystemTest)
#include "tst_filesystem.moc"
