#pragma once

#include "platform/filesystem.h"
#include "platform/safefolder.h"

#include <QMutex>
#include <QSet>

class SystemLog;

class LinuxFileSystem : public FileSystem
{
public:
    // `log`, when given, hears once of each name left out of a listing.
    explicit LinuxFileSystem(SystemLog* log = nullptr) : m_log(log) {}
    ~LinuxFileSystem() override;
    Q_DISABLE_COPY_MOVE(LinuxFileSystem)

    bool exists(const QString& path) const override;
    bool isDirectory(const QString& path) const override;
    bool isReadable(const QString& path) const override;
    Result<void> createDirectory(const QString& path) override;
    std::optional<FileIdentity> identity(const QString& path) const override;
    std::optional<FileStamp> stamp(const QString& path) const override;
    std::optional<QList<DirectoryEntry>> listDirectory(const QString& path,
                                                       const NameFilter& wanted) const override;
    Result<FileContent> readFileContent(const QString& path) const override;
    Result<void> writeFile(const QString& path, const QByteArray& bytes) override;
    Result<void> writeFileAtomically(const QString& path, const QByteArray& bytes) override;
    Result<void> writeFileAtomicallyUnlessChanged(const QString& path, const QByteArray& bytes,
                                                  const FileStamp& read) override;
    Result<void> writeFileAtomicallyFlushingLater(const QString& path,
                                                  const QByteArray& bytes) override;
    void flushWrites() override;
    Result<void> createFileAtomically(const QString& path, const QByteArray& bytes) override;
    Result<void> moveItem(const QString& from, const QString& to) override;
    Result<void> copyItem(const QString& from, const QString& to) override;
    Result<void> removeItem(const QString& path) override;
    Result<void> removeEmptyFolder(const QString& path) override;
    Result<std::unique_ptr<SafeFolder>> openFolder(const QString& path) override;
    std::unique_ptr<DirectoryWatch> watchDirectory(const QString& path) override;
    Result<FileLock> lockExclusively(const QString& lockPath, int timeoutMs) override;

private:
    void reportUnlistedName(const QByteArray& folder, const char* name) const;

    SystemLog* m_log;
    // Written, not yet flushed: the files as the writes resolved them.
    QStringList m_unflushed;
    mutable QMutex m_reportedMutex;
    mutable QSet<QByteArray> m_reported;
};
