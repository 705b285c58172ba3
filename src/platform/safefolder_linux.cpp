#include "platform/safefolder_linux.h"

#include "platform/logging.h"

#include <QFile>
#include <QRandomGenerator>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>

using posix_file::FileDescriptor;

namespace {

QByteArray encoded(const QString& name)
{
    return QFile::encodeName(name);
}

PlatformError failure(Operation operation, const QString& path, int error)
{
    return PlatformError::fromErrno(operation, path, error);
}

PlatformError failure(Operation operation, const QString& path, ErrorCode code)
{
    return {operation, code, path, 0, {}};
}

// What a name that could not be opened without following holds: a link is
// told apart from a name that is missing or of the wrong kind.
ErrorCode classify(int folder, const QByteArray& name, int error)
{
    struct stat info
    {
    };
    if ((error == ELOOP || error == ENOTDIR || error == EMLINK) &&
        ::fstatat(folder, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(info.st_mode))
        return linux_files::isTrustedOwner(info.st_uid) ? ErrorCode::isLink
                                                        : ErrorCode::foreignLink;
    return PlatformError::fromErrno(Operation::read, {}, error).code;
}

} // namespace

bool linux_files::isTrustedOwner(uid_t owner)
{
    return owner == ::geteuid() || owner == 0;
}

FileStamp linux_files::stampOf(const struct stat& info)
{
    return {{quint64(info.st_dev), quint64(info.st_ino)},
            qint64(info.st_size),
            qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

bool linux_files::readOpenFile(int fd, FileContent* content)
{
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0)
        return false;
    if (S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        errno = ENODEV;
        return false;
    }
    if (info.st_size > FileSystem::maximumReadSize) {
        errno = EFBIG;
        return false;
    }
    // Opened without waiting, for a FIFO's sake; a regular file's reads do
    // not wait anyway, and blocking mode keeps the read loop simple.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    content->bytes.reserve(info.st_size > 0 ? qsizetype(info.st_size) : 4096);
    if (!posix_file::readAll(fd, FileSystem::maximumReadSize, &content->bytes))
        return false;
    content->stamp = stampOf(info);
    content->permissions = info.st_mode & 0777;
    content->ownedByUser = info.st_uid == ::geteuid();
    content->linkCount = quint64(info.st_nlink);
    return true;
}

int linux_files::renameWithoutReplacing(int fromFolder, const char* from, int toFolder,
                                        const char* to, bool* copyWouldDo)
{
    *copyWouldDo = false;
    if (::renameat2(fromFolder, from, toFolder, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS) {
        *copyWouldDo = errno == EXDEV;
        return errno;
    }
    // The file system cannot rename without replacing: a hard link fails on
    // an existing name just as well.
    if (::linkat(fromFolder, from, toFolder, to, 0) != 0) {
        *copyWouldDo = errno == EXDEV || errno == EPERM;
        return errno;
    }
    ::unlinkat(fromFolder, from, 0);
    return 0;
}

LinuxSafeFolder::LinuxSafeFolder(FileDescriptor fd, QString path, const struct stat& info)
    : m_fd(std::move(fd)), m_path(std::move(path)), m_info(info)
{
}

Result<std::unique_ptr<SafeFolder>> LinuxSafeFolder::open(const QString& path)
{
    FileDescriptor fd(::open(encoded(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info
    {
    };
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0)
        return failure(Operation::read, path, errno);
    return std::unique_ptr<SafeFolder>(new LinuxSafeFolder(std::move(fd), path, info));
}

bool LinuxSafeFolder::isOwnedByUser() const
{
    return m_info.st_uid == ::geteuid();
}

QString LinuxSafeFolder::pathOf(const QString& name) const
{
    return m_path + u'/' + name;
}

Result<std::unique_ptr<SafeFolder>>
LinuxSafeFolder::subfolder(const QString& name, std::optional<uint> createPermissions)
{
    const QByteArray raw = encoded(name);
    const auto openIt = [&] {
        return ::openat(m_fd.get(), raw.constData(),
                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    };
    FileDescriptor fd(openIt());
    bool created = false;
    if (!fd.valid() && errno == ENOENT && createPermissions) {
        if (::mkdirat(m_fd.get(), raw.constData(), *createPermissions) == 0)
            created = true;
        else if (errno != EEXIST)
            return failure(Operation::createFolder, pathOf(name), errno);
        fd = FileDescriptor(openIt());
    }
    if (!fd.valid())
        return failure(Operation::read, pathOf(name), classify(m_fd.get(), raw, errno));
    // The umask may have taken bits that were asked for.
    if (created)
        ::fchmod(fd.get(), *createPermissions);
    struct stat info
    {
    };
    if (::fstat(fd.get(), &info) != 0)
        return failure(Operation::read, pathOf(name), errno);
    return std::unique_ptr<SafeFolder>(new LinuxSafeFolder(std::move(fd), pathOf(name), info));
}

std::optional<QList<DirectoryEntry>>
LinuxSafeFolder::list(const FileSystem::NameFilter& wanted) const
{
    // The listing reads through a descriptor of its own: the folder's
    // position must not be shared.
    const int fd = ::openat(m_fd.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* directory = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!directory) {
        if (fd >= 0)
            ::close(fd);
        return std::nullopt;
    }
    QList<DirectoryEntry> entries;
    while (const dirent* entry = ::readdir(directory)) {
        if (entry->d_name[0] == '.')
            continue;
        DirectoryEntry result;
        result.name = QFile::decodeName(entry->d_name);
        if ((wanted && !wanted(result.name)) || encoded(result.name) != entry->d_name)
            continue;
        struct stat info
        {
        };
        if (::fstatat(::dirfd(directory), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        result.isRegularFile = S_ISREG(info.st_mode);
        result.modifiedAt = QDateTime::fromMSecsSinceEpoch(
            qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1'000'000, Qt::UTC);
        entries.append(std::move(result));
    }
    ::closedir(directory);
    return entries;
}

Result<FileContent> LinuxSafeFolder::read(const QString& name) const
{
    const QByteArray raw = encoded(name);
    FileDescriptor fd(
        ::openat(m_fd.get(), raw.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return failure(Operation::read, pathOf(name), classify(m_fd.get(), raw, errno));
    FileContent content;
    if (!linux_files::readOpenFile(fd.get(), &content))
        return failure(Operation::read, pathOf(name), errno);
    content.realPath = pathOf(name);
    return content;
}

Result<void> LinuxSafeFolder::create(const QString& name, const QByteArray& bytes, uint permissions)
{
    const QString path = pathOf(name);
    QByteArray temporary;
    FileDescriptor fd;
    for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
        temporary =
            ".pelvaro-" + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp";
        fd = FileDescriptor(::openat(m_fd.get(), temporary.constData(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                     permissions));
        if (!fd.valid() && errno != EEXIST)
            return failure(Operation::write, path, errno);
    }
    if (!fd.valid())
        return failure(Operation::write, path, EEXIST);
    const auto abandon = [&](int error) {
        fd.reset();
        ::unlinkat(m_fd.get(), temporary.constData(), 0);
        return failure(Operation::write, path, error);
    };
    if (!posix_file::writeAll(fd.get(), bytes.constData(), bytes.size()) ||
        ::fchmod(fd.get(), permissions) != 0 || ::fsync(fd.get()) != 0 || !fd.close())
        return abandon(errno);
    bool copyWouldDo = false;
    if (const int error = linux_files::renameWithoutReplacing(
            m_fd.get(), temporary.constData(), m_fd.get(), encoded(name).constData(), &copyWouldDo))
        return abandon(error);
    ::fsync(m_fd.get());
    return {};
}

Result<void> LinuxSafeFolder::link(const SafeFolder& source, const QString& sourceName,
                                   const FileStamp& expected, const QString& name)
{
    const auto* from = dynamic_cast<const LinuxSafeFolder*>(&source);
    const QByteArray target = encoded(name);
    if (!from)
        return failure(Operation::copy, pathOf(name), EXDEV);
    // Never AT_SYMLINK_FOLLOW: a link swapped in is linked as itself, and
    // then fails the check below.
    if (::linkat(from->m_fd.get(), encoded(sourceName).constData(), m_fd.get(), target.constData(),
                 0) != 0)
        return failure(Operation::copy, pathOf(name), errno);
    struct stat info
    {
    };
    if (::fstatat(m_fd.get(), target.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(info.st_mode) || linux_files::stampOf(info) != expected) {
        ::unlinkat(m_fd.get(), target.constData(), 0);
        return failure(Operation::copy, pathOf(name), ErrorCode::changedMeanwhile);
    }
    return {};
}

Result<void> LinuxSafeFolder::rename(const QString& from, const QString& to)
{
    bool copyWouldDo = false;
    if (const int error =
            linux_files::renameWithoutReplacing(m_fd.get(), encoded(from).constData(), m_fd.get(),
                                                encoded(to).constData(), &copyWouldDo))
        return failure(Operation::move, pathOf(from), error);
    return {};
}

Result<void> LinuxSafeFolder::remove(const QString& name)
{
    if (::unlinkat(m_fd.get(), encoded(name).constData(), 0) != 0)
        return failure(Operation::remove, pathOf(name), errno);
    return {};
}

Result<void> LinuxSafeFolder::removeEmptySubfolder(const QString& name)
{
    if (::unlinkat(m_fd.get(), encoded(name).constData(), AT_REMOVEDIR) != 0)
        return failure(Operation::remove, pathOf(name), errno);
    return {};
}
