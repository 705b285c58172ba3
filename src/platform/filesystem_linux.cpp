#include "platform/filesystem_linux.h"

#include "platform/directorywatch_linux.h"
#include "platform/logging.h"
#include "platform/posixfile_linux.h"
#include "platform/safefolder_linux.h"
#include "platform/systemlog.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using posix_file::FileDescriptor;

namespace {

// Stands for ErrorCode::foreignLink where an errno value is passed on.
constexpr int foreignLinkError = -1;

QString directoryOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

PlatformError failure(Operation operation, const QString& path, int error)
{
    if (error == foreignLinkError)
        return {operation, ErrorCode::foreignLink, path, 0, {}};
    return PlatformError::fromErrno(operation, path, error);
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

void syncDirectory(const QString& directory)
{
    FileDescriptor fd(::open(encoded(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

// Opens a fresh hidden temporary file in `folder`. Its name does not grow
// with the target's, so a target whose name is as long as the system allows
// can still be written; the leading dot keeps it out of profile listings.
// It is made with the usual permissions, the umask applied by the system.
int openTemporaryIn(const QString& folder, QString* temporaryPath)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate = folder + u"/.pelvaro-" +
                                  QString::number(QRandomGenerator::global()->generate64(), 36) +
                                  u".tmp";
        const int fd =
            ::open(encoded(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            *temporaryPath = candidate;
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// Where `path` leads: the file a link there points at, as QSaveFile does,
// so that a write keeps the link a link. Only links the user owns are
// followed; each is read through a descriptor of its own, so that the link
// checked is the link read. A link may dangle: its target is then what
// `path` leads to. With `refuseOthers`, anything but a regular file or
// nothing at the end fails: renaming over a device or a FIFO would replace
// it.
std::optional<QString> followOwnedLinks(const QString& path, bool refuseOthers, int* error)
{
    QString current = path;
    for (int depth = 0; depth < 40; ++depth) {
        const FileDescriptor link(
            ::open(encoded(current).constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat info
        {
        };
        if (!link.valid() || ::fstat(link.get(), &info) != 0)
            return current; // a new file, or the target of a dangling link
        if (!S_ISLNK(info.st_mode)) {
            if (refuseOthers && !S_ISREG(info.st_mode)) {
                *error = S_ISDIR(info.st_mode) ? EISDIR : ENODEV;
                return std::nullopt;
            }
            return current;
        }
        if (!linux_files::isTrustedOwner(info.st_uid)) {
            *error = foreignLinkError;
            return std::nullopt;
        }
        char buffer[PATH_MAX];
        const ssize_t length = ::readlinkat(link.get(), "", buffer, sizeof buffer);
        if (length < 0 || length == ssize_t(sizeof buffer)) {
            *error = length < 0 ? errno : ENAMETOOLONG;
            return std::nullopt;
        }
        const QString target = QFile::decodeName(QByteArray(buffer, qsizetype(length)));
        current = target.startsWith(u'/') ? target : directoryOf(current) + u'/' + target;
    }
    *error = ELOOP;
    return std::nullopt;
}

// Renames `from` to `to` only if nothing holds that name; 0 or the error.
int renameWithoutReplacing(const QByteArray& from, const QByteArray& to, bool* copyWouldDo)
{
    return linux_files::renameWithoutReplacing(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(),
                                               copyWouldDo);
}

enum class Placement
{
    replace,
    createOnly,
};

// Writes `bytes` to a temporary file beside `target` and renames it over the
// target, or, for CreateOnly, into a name nothing holds. `target` either
// keeps its old content or gets all of the new one. A replaced file keeps
// its permissions.
enum class Flush
{
    now,
    // Not at all: the caller flushes the file it is told of later.
    later,
};

Result<void> writeAtomically(const QString& path, const QByteArray& bytes, Placement placement,
                             const std::optional<FileStamp>& unlessChangedFrom = std::nullopt,
                             Flush flush = Flush::now, QString* written = nullptr)
{
    int linkError = 0;
    const std::optional<QString> resolved = placement == Placement::replace
                                                ? followOwnedLinks(path, true, &linkError)
                                                : std::optional(path);
    if (!resolved)
        return failure(Operation::write, path, linkError);
    const QString& target = *resolved;
    QString temporary;
    FileDescriptor fd(openTemporaryIn(directoryOf(target), &temporary));
    if (!fd.valid())
        return failure(Operation::write, path, errno);
    const auto abandon = [&](int error) {
        fd.reset();
        ::unlink(encoded(temporary).constData());
        return failure(Operation::write, path, error);
    };
    if (!posix_file::writeAll(fd.get(), bytes.constData(), bytes.size()))
        return abandon(errno);
    struct stat existing
    {
    };
    if (placement == Placement::replace && ::stat(encoded(target).constData(), &existing) == 0 &&
        ::fchmod(fd.get(), existing.st_mode & 07777) != 0)
        return abandon(errno);
    if (flush == Flush::now && ::fsync(fd.get()) != 0)
        return abandon(errno);
    if (!fd.close())
        return abandon(errno);
    const QByteArray from = encoded(temporary);
    const QByteArray to = encoded(target);
    // Checked as late as can be, just before the rename: what remains is
    // the rename's own instant.
    if (unlessChangedFrom) {
        struct stat now
        {
        };
        if (::stat(to.constData(), &now) != 0 || linux_files::stampOf(now) != *unlessChangedFrom) {
            fd.reset();
            ::unlink(from.constData());
            return PlatformError{Operation::write, ErrorCode::changedMeanwhile, path, 0, {}};
        }
    }
    if (placement == Placement::replace) {
        if (::rename(from.constData(), to.constData()) != 0)
            return abandon(errno);
    } else if (bool copyWouldDo = false;
               const int error = renameWithoutReplacing(from, to, &copyWouldDo)) {
        return abandon(error);
    }
    if (flush == Flush::now)
        syncDirectory(directoryOf(target));
    if (written)
        *written = target;
    qCDebug(lcFiles) << "wrote" << bytes.size() << "bytes to" << target
                     << (placement == Placement::replace ? "replacing it" : "as a new file");
    return {};
}

// Opens what `path` leads to for reading, following only owned links and
// never a link swapped in after they were checked. A FIFO must not block
// the opening, so it is opened without waiting.
int openForReading(const QString& path, QString* realPath)
{
    int error = 0;
    const std::optional<QString> target = followOwnedLinks(path, false, &error);
    if (!target) {
        errno = error;
        return -1;
    }
    *realPath = *target;
    return ::open(encoded(*target).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
}

} // namespace

bool LinuxFileSystem::exists(const QString& path) const
{
    struct stat info
    {
    };
    return ::stat(encoded(path).constData(), &info) == 0;
}

bool LinuxFileSystem::isDirectory(const QString& path) const
{
    struct stat info
    {
    };
    return ::stat(encoded(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool LinuxFileSystem::isReadable(const QString& path) const
{
    return ::access(encoded(path).constData(), R_OK) == 0;
}

Result<void> LinuxFileSystem::createDirectory(const QString& path)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(encoded(path).toStdString()), error);
    if (error)
        return failure(Operation::createFolder, path, error.value());
    return {};
}

std::optional<FileStamp> LinuxFileSystem::stamp(const QString& path) const
{
    struct stat info
    {
    };
    if (::stat(encoded(path).constData(), &info) != 0)
        return std::nullopt;
    return linux_files::stampOf(info);
}

Result<void> LinuxFileSystem::removeEmptyFolder(const QString& path)
{
    if (::rmdir(encoded(path).constData()) != 0)
        return failure(Operation::remove, path, errno);
    return {};
}

std::unique_ptr<DirectoryWatch> LinuxFileSystem::watchDirectory(const QString& path)
{
    return InotifyDirectoryWatch::open(path);
}

Result<FileLock> LinuxFileSystem::lockExclusively(const QString& lockPath, int timeoutMs)
{
    const int fd = ::open(encoded(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return failure(Operation::lock, lockPath, errno);
    const QDeadlineTimer deadline(timeoutMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EINTR)
            continue;
        if (error != EWOULDBLOCK || deadline.hasExpired()) {
            ::close(fd);
            return failure(Operation::lock, lockPath, error);
        }
        ::usleep(10'000);
    }
    // Closing the descriptor releases the lock.
    return FileLock([fd] { ::close(fd); });
}

std::optional<FileIdentity> LinuxFileSystem::identity(const QString& path) const
{
    struct stat info
    {
    };
    if (::stat(encoded(path).constData(), &info) != 0)
        return std::nullopt;
    return FileIdentity{quint64(info.st_dev), quint64(info.st_ino)};
}

void LinuxFileSystem::reportUnlistedName(const QByteArray& folder, const char* name) const
{
    const QByteArray path = folder + '/' + name;
    {
        const QMutexLocker locker(&m_reportedMutex);
        if (m_reported.contains(path))
            return;
        m_reported.insert(path);
    }
    if (m_log)
        m_log->write(u"Pelvaro Launcher: left out a file whose name is not valid UTF-8: " +
                     QString::fromLatin1(path.toPercentEncoding("/ ")));
}

std::optional<QList<DirectoryEntry>> LinuxFileSystem::listDirectory(const QString& path,
                                                                    const NameFilter& wanted) const
{
    DIR* directory = ::opendir(encoded(path).constData());
    if (!directory)
        return std::nullopt;
    const int directoryFd = ::dirfd(directory);
    QList<DirectoryEntry> entries;
    while (const dirent* entry = ::readdir(directory)) {
        if (entry->d_name[0] == '.')
            continue;
        const QByteArrayView raw(entry->d_name);
        const bool ascii =
            std::all_of(raw.begin(), raw.end(), [](char c) { return uchar(c) < 0x80; });
        DirectoryEntry result;
        result.name = ascii ? QString::fromLatin1(raw) : QFile::decodeName(entry->d_name);
        if (wanted && !wanted(result.name))
            continue;
        // Only a name with other bytes than ASCII can fail to come back as
        // the same bytes; most names are spared the second conversion.
        if (!ascii && QFile::encodeName(result.name) != raw) {
            reportUnlistedName(encoded(path), entry->d_name);
            continue;
        }
        struct stat info
        {
        };
        if (::fstatat(directoryFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        result.isRegularFile = S_ISREG(info.st_mode);
        const qint64 milliseconds =
            qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
        result.modifiedAt = QDateTime::fromMSecsSinceEpoch(milliseconds, Qt::UTC);
        entries.append(std::move(result));
    }
    ::closedir(directory);
    return entries;
}

Result<FileContent> LinuxFileSystem::readFileContent(const QString& path) const
{
    FileContent content;
    const FileDescriptor fd(openForReading(path, &content.realPath));
    if (!fd.valid() || !linux_files::readOpenFile(fd.get(), &content))
        return failure(Operation::read, path, errno);
    return content;
}

Result<std::unique_ptr<SafeFolder>> LinuxFileSystem::openFolder(const QString& path)
{
    return LinuxSafeFolder::open(path);
}

Result<void> LinuxFileSystem::writeFile(const QString& path, const QByteArray& bytes)
{
    FileDescriptor fd(
        ::open(encoded(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!fd.valid())
        return failure(Operation::write, path, errno);
    if (!posix_file::writeAll(fd.get(), bytes.constData(), bytes.size()))
        return failure(Operation::write, path, errno);
    if (!fd.close())
        return failure(Operation::write, path, errno);
    return {};
}

Result<void> LinuxFileSystem::writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    return writeAtomically(path, bytes, Placement::replace);
}

Result<void> LinuxFileSystem::writeFileAtomicallyUnlessChanged(const QString& path,
                                                               const QByteArray& bytes,
                                                               const FileStamp& read)
{
    return writeAtomically(path, bytes, Placement::replace, read);
}

Result<void> LinuxFileSystem::writeFileAtomicallyFlushingLater(const QString& path,
                                                               const QByteArray& bytes)
{
    QString target;
    Result<void> written =
        writeAtomically(path, bytes, Placement::replace, std::nullopt, Flush::later, &target);
    if (written && !m_unflushed.contains(target))
        m_unflushed.append(target);
    return written;
}

void LinuxFileSystem::flushWrites()
{
    const QStringList files = std::exchange(m_unflushed, {});
    QStringList folders;
    for (const QString& file : files) {
        // Any descriptor of the file flushes its data; one that replaced it
        // meanwhile is flushed instead, which does no harm.
        const FileDescriptor fd(
            ::open(encoded(file).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (fd.valid())
            ::fsync(fd.get());
        if (!folders.contains(directoryOf(file)))
            folders.append(directoryOf(file));
    }
    for (const QString& folder : folders)
        syncDirectory(folder);
}

LinuxFileSystem::~LinuxFileSystem()
{
    flushWrites();
}

Result<void> LinuxFileSystem::createFileAtomically(const QString& path, const QByteArray& bytes)
{
    return writeAtomically(path, bytes, Placement::createOnly);
}

Result<void> LinuxFileSystem::moveItem(const QString& from, const QString& to)
{
    const Operation verb = Operation::move;
    const QByteArray source = encoded(from);
    const QByteArray target = encoded(to);
    bool copyWouldDo = false;
    const int error = renameWithoutReplacing(source, target, &copyWouldDo);
    if (error == 0)
        return {};
    if (!copyWouldDo)
        return failure(verb, from, error);
    if (Result<void> copied = copyItem(from, to); !copied)
        return PlatformError{verb, copied.error().code, from, copied.error().systemError, {}};
    if (::unlink(source.constData()) != 0) {
        const int unlinkError = errno;
        ::unlink(target.constData());
        return failure(verb, from, unlinkError);
    }
    return {};
}

Result<void> LinuxFileSystem::copyItem(const QString& from, const QString& to)
{
    const Operation verb = Operation::copy;
    QString realSource;
    FileDescriptor source(openForReading(from, &realSource));
    struct stat info
    {
    };
    if (!source.valid() || ::fstat(source.get(), &info) != 0)
        return failure(verb, from, errno);
    if (!S_ISREG(info.st_mode))
        return failure(verb, from, S_ISDIR(info.st_mode) ? EISDIR : ENODEV);
    if (info.st_size > maximumReadSize)
        return failure(verb, from, EFBIG);
    ::fcntl(source.get(), F_SETFL, ::fcntl(source.get(), F_GETFL) & ~O_NONBLOCK);
    // O_EXCL makes the copy fail if anything, even a dangling link, holds the
    // name, including something created after our caller last looked.
    FileDescriptor target(::open(encoded(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                                 info.st_mode & 07777));
    if (!target.valid())
        return failure(verb, from, errno);
    const auto abandon = [&](int error) {
        target.reset();
        ::unlink(encoded(to).constData());
        return failure(verb, from, error);
    };
    char buffer[65536];
    for (;;) {
        const ssize_t count =
            posix_file::retrying([&] { return ::read(source.get(), buffer, sizeof buffer); });
        if (count < 0)
            return abandon(errno);
        if (count == 0)
            break;
        if (!posix_file::writeAll(target.get(), buffer, count))
            return abandon(errno);
    }
    if (!target.close())
        return abandon(errno);
    return {};
}

Result<void> LinuxFileSystem::removeItem(const QString& path)
{
    // unlink() takes a file or a link and refuses a folder: whatever took a
    // profile's name, its contents are not ours to delete.
    const QByteArray name = encoded(path);
    if (::unlink(name.constData()) == 0)
        return {};
    int error = errno;
    struct stat info
    {
    };
    if (error == EPERM && ::lstat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode))
        error = EISDIR;
    return failure(Operation::remove, path, error);
}
