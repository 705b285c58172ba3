#pragma once

#include "platform/filesystem_linux.h"

#include <QSet>

#include <functional>

// The real file system, with failures injected on demand: root ignores
// permission bits, so tests force faults here instead.
class FaultyFileSystem final : public LinuxFileSystem
{
public:
    enum class Fault
    {
        isReadable,
        createDirectory,
        readFile,
        writeFile,
        writeFileAtomically,
        createFileAtomically,
        moveItem,
        copyItem,
        removeItem,
        lockExclusively,
        openFolder,
    };

    QSet<Fault> failing;
    // Makes every listing take this long, as a huge folder's does.
    int listingDelayMs = 0;
    mutable int listings = 0;
    // Runs after each listing has read the folder: a change made there
    // happens right after the listing.
    std::function<void()> afterListing;
    // Runs before a write that checks the file is unchanged: a sync client
    // replacing the file there does so while the save is under way.
    std::function<void(const QString& path)> beforeCheckedWrite;
    // The reason an injected failure gives, in the system's own words.
    static QString injectedDescription() { return QStringLiteral("Injected failure."); }

    bool isReadable(const QString& path) const override;
    std::optional<QList<DirectoryEntry>> listDirectory(const QString& path,
                                                       const NameFilter& wanted) const override;
    Result<void> createDirectory(const QString& path) override;
    Result<FileContent> readFileContent(const QString& path) const override;
    Result<void> writeFile(const QString& path, const QByteArray& bytes) override;
    Result<void> writeFileAtomically(const QString& path, const QByteArray& bytes) override;
    Result<void> writeFileAtomicallyUnlessChanged(const QString& path, const QByteArray& bytes,
                                                  const FileStamp& read) override;
    Result<void> writeFileAtomicallyFlushingLater(const QString& path,
                                                  const QByteArray& bytes) override;
    Result<void> createFileAtomically(const QString& path, const QByteArray& bytes) override;
    Result<void> moveItem(const QString& from, const QString& to) override;
    Result<void> copyItem(const QString& from, const QString& to) override;
    Result<void> removeItem(const QString& path) override;
    Result<std::unique_ptr<SafeFolder>> openFolder(const QString& path) override;
    Result<FileLock> lockExclusively(const QString& lockPath, int timeoutMs) override;
};
