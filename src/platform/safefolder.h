#pragma once

#include "platform/filesystem.h"

#include <memory>
#include <optional>

// A folder held open, whose entries are reached by name alone: no path is
// looked up again, and no link is followed. Work inside a folder that other
// users can write to (a shared profile folder, the versions kept in it)
// goes through this, so that a link planted there, or swapped in between a
// check and a use, never leads a write or a removal elsewhere.
class SafeFolder
{
public:
    virtual ~SafeFolder() = default;

    virtual QString path() const = 0;
    virtual bool isOwnedByUser() const = 0;
    // The permission bits (rwx for owner, group and others).
    virtual uint permissions() const = 0;

    // The real folder `name` inside this one; a link there fails with
    // ErrorCode::isLink. A missing folder is made with `createPermissions`
    // when given, exactly those bits whatever the umask.
    [[nodiscard]] virtual Result<std::unique_ptr<SafeFolder>>
    subfolder(const QString& name, std::optional<uint> createPermissions) = 0;
    // The entries, hidden names skipped; links are neither files nor folders.
    virtual std::optional<QList<DirectoryEntry>>
    list(const FileSystem::NameFilter& wanted) const = 0;
    // The regular file `name`, never through a link.
    [[nodiscard]] virtual Result<FileContent> read(const QString& name) const = 0;
    // Creates `name` as a whole with exactly `permissions`; fails when
    // anything holds the name.
    [[nodiscard]] virtual Result<void> create(const QString& name, const QByteArray& bytes,
                                              uint permissions) = 0;
    // Gives the file `sourceName` of `source` the second name `name` here,
    // as long as it is still the file `expected` describes; else fails with
    // ErrorCode::changedMeanwhile and leaves nothing behind.
    [[nodiscard]] virtual Result<void> link(const SafeFolder& source, const QString& sourceName,
                                            const FileStamp& expected, const QString& name) = 0;
    // Renames an entry of this folder; never replaces.
    [[nodiscard]] virtual Result<void> rename(const QString& from, const QString& to) = 0;
    // Removes a file or a link; never a folder.
    [[nodiscard]] virtual Result<void> remove(const QString& name) = 0;
    // Removes the subfolder `name` only when it is empty.
    [[nodiscard]] virtual Result<void> removeEmptySubfolder(const QString& name) = 0;
};
