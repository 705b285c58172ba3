#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The outcome of a file-system call that can fail. On failure `description`
// is a readable sentence naming what failed and why.
struct FileResult
{
    bool ok = true;
    QString description;

    static FileResult success() { return {}; }
    static FileResult failure(QString description) { return {false, std::move(description)}; }
    explicit operator bool() const { return ok; }
};

// What tells one file or folder from another, whatever path leads to it.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
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
class FileSystem
{
public:
    using NameFilter = std::function<bool(QStringView name)>;

    static constexpr qint64 maximumReadSize = 64 * 1024 * 1024;

    virtual ~FileSystem() = default;

    virtual bool exists(const QString& path) const = 0;
    virtual bool isDirectory(const QString& path) const = 0;
    virtual bool isReadable(const QString& path) const = 0;
    virtual FileResult createDirectory(const QString& path) = 0;
    // The identity of what `path` leads to, links followed.
    virtual std::optional<FileIdentity> identity(const QString& path) const = 0;

    // The folder's own entries (no recursion, hidden names skipped). Entries
    // refused by `wanted` are dropped before their metadata is fetched, and
    // so are names that are not valid in the system's encoding: shown with a
    // replacement character, they would name another file.
    virtual std::optional<QList<DirectoryEntry>> listDirectory(const QString& path,
                                                               const NameFilter& wanted) const = 0;

    virtual std::optional<QByteArray> readFile(const QString& path, QString* description) const = 0;
    virtual FileResult writeFile(const QString& path, const QByteArray& bytes) = 0;
    // Replaces the file, or the file a link at `path` leads to, as a whole.
    virtual FileResult writeFileAtomically(const QString& path, const QByteArray& bytes) = 0;
    // Creates the file as a whole; fails when anything holds the name.
    virtual FileResult createFileAtomically(const QString& path, const QByteArray& bytes) = 0;

    virtual FileResult moveItem(const QString& from, const QString& to) = 0;
    virtual FileResult copyItem(const QString& from, const QString& to) = 0;
    // Removes a file or a link; never a folder.
    virtual FileResult removeItem(const QString& path) = 0;
};
