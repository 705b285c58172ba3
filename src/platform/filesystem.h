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

struct DirectoryEntry
{
    QString name;
    bool isRegularFile = false;
    std::optional<QDateTime> modifiedAt;
};

// Everything the launcher asks of the file system. Paths are absolute local
// paths. Move and copy never replace an existing target.
class FileSystem
{
public:
    using NameFilter = std::function<bool(QStringView name)>;

    virtual ~FileSystem() = default;

    virtual bool exists(const QString& path) const = 0;
    virtual bool isDirectory(const QString& path) const = 0;
    virtual bool isReadable(const QString& path) const = 0;
    virtual FileResult createDirectory(const QString& path) = 0;

    // The folder's own entries (no recursion, hidden names skipped). Entries
    // refused by `wanted` are dropped before their metadata is fetched.
    virtual std::optional<QList<DirectoryEntry>> listDirectory(const QString& path,
                                                               const NameFilter& wanted) const = 0;

    virtual std::optional<QByteArray> readFile(const QString& path, QString* description) const = 0;
    virtual FileResult writeFile(const QString& path, const QByteArray& bytes) = 0;
    virtual FileResult writeFileAtomically(const QString& path, const QByteArray& bytes) = 0;

    virtual FileResult moveItem(const QString& from, const QString& to) = 0;
    virtual FileResult copyItem(const QString& from, const QString& to) = 0;
    virtual FileResult removeItem(const QString& path) = 0;
};
