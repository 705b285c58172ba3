#include "app/runtimefolder.h"

#include "app/singleinstance.h"
#include "platform/posixfile_linux.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool RuntimeFolder::isPrivateFolder(const QString& path)
{
    struct stat info
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 07777) == 0700;
}

Result<QString, RuntimeFolder::Refusal> RuntimeFolder::locate()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime) &&
        SingleInstance::canListenIn(runtime))
        return runtime;
    const QString fallback = QDir::tempPath() + u"/pelvaro-launcher-" + QString::number(::getuid());
    if (!SingleInstance::canListenIn(fallback))
        return Refusal{Refusal::Reason::pathTooLong, fallback};
    const QByteArray encoded = QFile::encodeName(fallback);
    if (::mkdir(encoded.constData(), 0700) == 0) {
        // The umask may have taken bits the folder needs; the folder is
        // opened without following links to set them.
        const posix_file::FileDescriptor folder(
            ::open(encoded.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (folder.valid())
            ::fchmod(folder.get(), 0700);
    }
    if (isPrivateFolder(fallback))
        return fallback;
    return Refusal{Refusal::Reason::notPrivate, fallback};
}
