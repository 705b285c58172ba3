#include "platform/filesystem_linux.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString fileNameOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash < 0 ? path : path.mid(slash + 1);
}

QString directoryOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

// A sentence in the style of a desktop file manager: what could not be done
// to which file, and why.
QString describeFailure(const QString& verb, const QString& path, int error)
{
    const QString subject =
        u"The file \u201C" + fileNameOf(path) + u"\u201D couldn\u2019t be " + verb;
    switch (error) {
    case ENOENT:
        return subject + u" because there is no such file.";
    case EEXIST:
        return subject + u" because an item with the same name already exists.";
    case EACCES:
    case EPERM:
        return subject + u" because you don\u2019t have permission to access it.";
    case ENOSPC:
    case EDQUOT:
        return subject + u" because there isn\u2019t enough space.";
    case EROFS:
        return subject + u" because the volume is read only.";
    case EISDIR:
        return subject + u" because it is a folder.";
    case ENOTDIR:
        return subject + u" because a part of its path is not a folder.";
    default:
        return subject + u": " + qt_error_string(error) + u'.';
    }
}

FileResult failure(const QString& verb, const QString& path, int error)
{
    return FileResult::failure(describeFailure(verb, path, error));
}

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

bool writeAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }
    // Closes explicitly so that a failing close (delayed write error) is seen.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

void syncDirectory(const QString& directory)
{
    FileDescriptor fd(::open(encoded(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid())
        ::fsync(fd.get());
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Opens a fresh hidden temporary file beside `target`; the leading dot keeps
// it out of profile listings while it exists.
int openTemporaryBeside(const QString& target, QString* temporaryPath)
{
    const QString stem = directoryOf(target) + u"/." + fileNameOf(target) + u".tmp-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString candidate =
            stem + QString::number(QRandomGenerator::global()->generate64(), 36);
        const int fd =
            ::open(encoded(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) {
            *temporaryPath = candidate;
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

// A replaced file keeps its permissions; a new one gets the usual ones.
mode_t modeForReplacement(const QString& target)
{
    struct stat existing
    {
    };
    if (::stat(encoded(target).constData(), &existing) == 0)
        return existing.st_mode & 07777;
    return 0666 & ~currentUmask();
}

// Writes `bytes` to a temporary file beside `target` and renames it over the
// target. `target` either keeps its old content or gets all of the new one.
FileResult replaceAtomically(const QString& target, const QByteArray& bytes, mode_t mode,
                             const QString& verb)
{
    QString temporary;
    FileDescriptor fd(openTemporaryBeside(target, &temporary));
    if (!fd.valid())
        return failure(verb, target, errno);
    const auto abandon = [&](int error) {
        fd.reset();
        ::unlink(encoded(temporary).constData());
        return failure(verb, target, error);
    };
    if (!writeAll(fd.get(), bytes.constData(), bytes.size()))
        return abandon(errno);
    if (::fchmod(fd.get(), mode) != 0)
        return abandon(errno);
    if (::fsync(fd.get()) != 0)
        return abandon(errno);
    if (!fd.close())
        return abandon(errno);
    if (::rename(encoded(temporary).constData(), encoded(target).constData()) != 0)
        return abandon(errno);
    syncDirectory(directoryOf(target));
    return FileResult::success();
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

FileResult LinuxFileSystem::createDirectory(const QString& path)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(encoded(path).toStdString()), error);
    if (error)
        return FileResult::failure(u"The folder \u201C" + fileNameOf(path) +
                                   u"\u201D couldn\u2019t be created: " +
                                   QString::fromStdString(error.message()) + u'.');
    return FileResult::success();
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
        DirectoryEntry result;
        result.name = QFile::decodeName(entry->d_name);
        if (wanted && !wanted(result.name))
            continue;
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

std::optional<QByteArray> LinuxFileSystem::readFile(const QString& path, QString* description) const
{
    const auto fail = [&](int error) -> std::optional<QByteArray> {
        if (description)
            *description = describeFailure(QStringLiteral("read"), path, error);
        return std::nullopt;
    };
    FileDescriptor fd(::open(encoded(path).constData(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return fail(errno);
    struct stat info
    {
    };
    if (::fstat(fd.get(), &info) != 0)
        return fail(errno);
    if (S_ISDIR(info.st_mode))
        return fail(EISDIR);
    QByteArray bytes;
    bytes.reserve(info.st_size > 0 ? qsizetype(info.st_size) : 4096);
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        if (count == 0)
            break;
        bytes.append(buffer, count);
    }
    return bytes;
}

FileResult LinuxFileSystem::writeFile(const QString& path, const QByteArray& bytes)
{
    const QString verb = QStringLiteral("saved");
    FileDescriptor fd(
        ::open(encoded(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!fd.valid())
        return failure(verb, path, errno);
    if (!writeAll(fd.get(), bytes.constData(), bytes.size()))
        return failure(verb, path, errno);
    if (!fd.close())
        return failure(verb, path, errno);
    return FileResult::success();
}

FileResult LinuxFileSystem::writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    return replaceAtomically(path, bytes, modeForReplacement(path), QStringLiteral("saved"));
}

FileResult LinuxFileSystem::moveItem(const QString& from, const QString& to)
{
    const QString verb = QStringLiteral("moved");
    const QByteArray source = encoded(from);
    const QByteArray target = encoded(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) ==
        0)
        return FileResult::success();
    const int error = errno;
    if (error == EEXIST)
        return failure(verb, from, EEXIST);
    if (error != EINVAL && error != ENOSYS && error != EXDEV)
        return failure(verb, from, error);
    if (error != EXDEV) {
        // The file system cannot rename without replacing: a hard link fails
        // on an existing target just as well.
        if (::link(source.constData(), target.constData()) == 0) {
            ::unlink(source.constData());
            return FileResult::success();
        }
        if (errno != EXDEV && errno != EPERM)
            return failure(verb, from, errno);
    }
    if (FileResult copied = copyItem(from, to); !copied)
        return copied;
    if (::unlink(source.constData()) != 0) {
        const int unlinkError = errno;
        ::unlink(target.constData());
        return failure(verb, from, unlinkError);
    }
    return FileResult::success();
}

FileResult LinuxFileSystem::copyItem(const QString& from, const QString& to)
{
    const QString verb = QStringLiteral("copied");
    FileDescriptor source(::open(encoded(from).constData(), O_RDONLY | O_CLOEXEC));
    if (!source.valid())
        return failure(verb, from, errno);
    struct stat info
    {
    };
    if (::fstat(source.get(), &info) != 0)
        return failure(verb, from, errno);
    if (S_ISDIR(info.st_mode))
        return failure(verb, from, EISDIR);
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
        const ssize_t count = ::read(source.get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return abandon(errno);
        }
        if (count == 0)
            break;
        if (!writeAll(target.get(), buffer, count))
            return abandon(errno);
    }
    if (!target.close())
        return abandon(errno);
    return FileResult::success();
}

FileResult LinuxFileSystem::removeItem(const QString& path)
{
    const QByteArray name = encoded(path);
    if (::unlink(name.constData()) == 0)
        return FileResult::success();
    if (errno != EISDIR && errno != EPERM)
        return failure(QStringLiteral("removed"), path, errno);
    const int unlinkError = errno;
    struct stat info
    {
    };
    if (::lstat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return failure(QStringLiteral("removed"), path, unlinkError);
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(name.toStdString()), error);
    if (error)
        return failure(QStringLiteral("removed"), path, error.value());
    return FileResult::success();
}
