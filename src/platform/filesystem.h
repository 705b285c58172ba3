#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class DirectoryWatch;
class SafeFolder;

// What tells one file or folder from another, whatever path leads to it.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// What tells one version of a file from another: replaced, grown or touched.
struct FileStamp
{
    FileIdentity identity;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// An advisory lock, held until this is destroyed.
class FileLock
{
public:
    FileLock() = default;
    explicit FileLock(std::function<void()> release) : m_release(std::move(release)) {}
    FileLock(FileLock&& other) noexcept : m_release(std::exchange(other.m_release, {})) {}
    FileLock& operator=(FileLock&& other) noexcept
    {
        if (this != &other) {
            if (m_release)
                m_release();
            m_release = std::exchange(other.m_release, {});
        }
        return *this;
    }
    ~FileLock()
    {
        if (m_release)
            m_release();
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    std::function<void()> m_release;
};

// A file's bytes with what was true of the file they were read from.
struct FileContent
{
    QByteArray bytes;
    FileStamp stamp;
    // The permission bits (rwx for owner, group and others).
    uint permissions = 0600;
    bool ownedByUser = true;
    quint64 linkCount = 1;
    // Where the bytes were read: the path asked for, or the file a link
    // there leads to.
    QString realPath;
};

struct DirectoryEntry
{
    QString name;
    bool isRegularFile = false;
    std::optional<QDateTime> modifiedAt;
};

// Everything the launcher asks of the file system. Paths are absolute local
// paths. Move and copy never replace an existing target. Reads take regular
// files only, up to `maximumReadSize`: profiles are settings, and a FIFO,
// a device or a huge file in their place must neither hang nor exhaust
// memory.
//
// A link is followed only when the user owns it (or the system does), in the
// manner of the kernel's protected_symlinks: in a folder shared with other
// users, another user's link could point a read or a write at any file of
// this user's. Such a link fails with ErrorCode::foreignLink.
class FileSystem
{
public:
    using NameFilter = std::function<bool(QStringView name)>;

    static constexpr qint64 maximumReadSize = 64 * 1024 * 1024;

    virtual ~FileSystem() = default;

    virtual bool exists(const QString& path) const = 0;
    virtual bool isDirectory(const QString& path) const = 0;
    virtual bool isReadable(const QString& path) const = 0;
    [[nodiscard]] virtual Result<void> createDirectory(const QString& path) = 0;
    // The identity of what `path` leads to, links followed.
    virtual std::optional<FileIdentity> identity(const QString& path) const = 0;
    // The stamp of what `path` leads to, links followed; none when nothing does.
    virtual std::optional<FileStamp> stamp(const QString& path) const = 0;

    // The folder's own entries (no recursion, hidden names skipped). Entries
    // refused by `wanted` are dropped before their metadata is fetched, and
    // so are names that are not valid in the system's encoding: shown with a
    // replacement character, they would name another file.
    virtual std::optional<QList<DirectoryEntry>> listDirectory(const QString& path,
                                                               const NameFilter& wanted) const = 0;

    [[nodiscard]] Result<QByteArray> readFile(const QString& path) const;
    [[nodiscard]] virtual Result<FileContent> readFileContent(const QString& path) const = 0;
    [[nodiscard]] virtual Result<void> writeFile(const QString& path, const QByteArray& bytes) = 0;
    // Replaces the file, or the file a link at `path` leads to, as a whole.
    [[nodiscard]] virtual Result<void> writeFileAtomically(const QString& path,
                                                           const QByteArray& bytes) = 0;
    // The same, only while the file is still the one `read` describes: one
    // replaced or changed meanwhile (a sync client's rename) fails with
    // ErrorCode::changedMeanwhile and is left as it is.
    [[nodiscard]] virtual Result<void> writeFileAtomicallyUnlessChanged(const QString& path,
                                                                        const QByteArray& bytes,
                                                                        const FileStamp& read) = 0;
    // Replaces the file as writeFileAtomically() does, and leaves flushing
    // it to the disk to flushWrites(): for content that another file keeps
    // safe meanwhile (Pelvaro's preferences made equal to a profile), whose
    // flush would only delay what waits for it (bench_e2estart).
    [[nodiscard]] virtual Result<void>
    writeFileAtomicallyFlushingLater(const QString& path, const QByteArray& bytes) = 0;
    // Flushes the files written by writeFileAtomicallyFlushingLater(), and
    // their folders, to the disk.
    virtual void flushWrites() = 0;
    // Creates the file as a whole; fails when anything holds the name.
    [[nodiscard]] virtual Result<void> createFileAtomically(const QString& path,
                                                            const QByteArray& bytes) = 0;

    [[nodiscard]] virtual Result<void> moveItem(const QString& from, const QString& to) = 0;
    [[nodiscard]] virtual Result<void> copyItem(const QString& from, const QString& to) = 0;
    // Removes a file or a link; never a folder.
    [[nodiscard]] virtual Result<void> removeItem(const QString& path) = 0;
    // Removes a folder only when it is empty.
    [[nodiscard]] virtual Result<void> removeEmptyFolder(const QString& path) = 0;

    // Holds the folder at `path` open, for work on its entries by name.
    [[nodiscard]] virtual Result<std::unique_ptr<SafeFolder>> openFolder(const QString& path) = 0;

    // Reports changes of the folder at `path`; none when it cannot be watched.
    virtual std::unique_ptr<DirectoryWatch> watchDirectory(const QString& path) = 0;

    // Takes an exclusive advisory lock on the file at `lockPath`, created if
    // need be, waiting up to `timeoutMs` for another holder: callers run on
    // the main thread, which must not freeze behind another program. Fails
    // with ErrorCode::locked when the wait ran out.
    [[nodiscard]] virtual Result<FileLock> lockExclusively(const QString& lockPath,
                                                           int timeoutMs) = 0;
};

inline Result<QByteArray> FileSystem::readFile(const QString& path) const
{
    Result<FileContent> content = readFileContent(path);
    if (!content)
        return content.error();
    return std::move(content).value().bytes;
}
