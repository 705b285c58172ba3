#pragma once

#include "platform/posixfile_linux.h"
#include "platform/safefolder.h"

#include <sys/stat.h>

class LinuxSafeFolder final : public SafeFolder
{
public:
    // Opens the folder at `path`; links within `path` are followed as the
    // owned-link rule allows, since the user chose that path.
    static Result<std::unique_ptr<SafeFolder>> open(const QString& path);

    QString path() const override { return m_path; }
    bool isOwnedByUser() const override;
    uint permissions() const override { return m_info.st_mode & 0777; }
    Result<std::unique_ptr<SafeFolder>> subfolder(const QString& name,
                                                  std::optional<uint> createPermissions) override;
    std::optional<QList<DirectoryEntry>> list(const FileSystem::NameFilter& wanted) const override;
    Result<FileContent> read(const QString& name) const override;
    Result<void> create(const QString& name, const QByteArray& bytes, uint permissions) override;
    Result<void> link(const SafeFolder& source, const QString& sourceName,
                      const FileStamp& expected, const QString& name) override;
    Result<void> rename(const QString& from, const QString& to) override;
    Result<void> remove(const QString& name) override;
    Result<void> removeEmptySubfolder(const QString& name) override;

    int descriptor() const { return m_fd.get(); }

private:
    LinuxSafeFolder(posix_file::FileDescriptor fd, QString path, const struct stat& info);
    QString pathOf(const QString& name) const;

    posix_file::FileDescriptor m_fd;
    QString m_path;
    struct stat m_info;
};

namespace linux_files {
// Whether this process may follow a link owned by `owner`.
bool isTrustedOwner(uid_t owner);
// The stamp of the file `info` describes.
FileStamp stampOf(const struct stat& info);
// Fills `content` from `fd`, a regular file of a readable size; false with
// errno set when it is not one or cannot be read.
bool readOpenFile(int fd, FileContent* content);
// Renames within or between folders without ever replacing: 0 or the error.
// `copyWouldDo` tells that the file system cannot, but a copy could.
int renameWithoutReplacing(int fromFolder, const char* from, int toFolder, const char* to,
                           bool* copyWouldDo);
} // namespace linux_files
