#include "support/faultyfilesystem.h"

#include <QThread>

namespace {

PlatformError injected(Operation operation, const QString& path)
{
    return {operation, ErrorCode::systemError, path, 0, FaultyFileSystem::injectedDescription()};
}

} // namespace

bool FaultyFileSystem::isReadable(const QString& path) const
{
    return !failing.contains(Fault::isReadable) && LinuxFileSystem::isReadable(path);
}

std::optional<QList<DirectoryEntry>> FaultyFileSystem::listDirectory(const QString& path,
                                                                     const NameFilter& wanted) const
{
    ++listings;
    if (listingDelayMs > 0)
        QThread::msleep(ulong(listingDelayMs));
    std::optional<QList<DirectoryEntry>> entries = LinuxFileSystem::listDirectory(path, wanted);
    if (afterListing)
        afterListing();
    return entries;
}

Result<void> FaultyFileSystem::createDirectory(const QString& path)
{
    if (failing.contains(Fault::createDirectory))
        return injected(Operation::createFolder, path);
    return LinuxFileSystem::createDirectory(path);
}

Result<FileContent> FaultyFileSystem::readFileContent(const QString& path) const
{
    if (failing.contains(Fault::readFile))
        return injected(Operation::read, path);
    return LinuxFileSystem::readFileContent(path);
}

Result<std::unique_ptr<SafeFolder>> FaultyFileSystem::openFolder(const QString& path)
{
    if (failing.contains(Fault::openFolder))
        return injected(Operation::read, path);
    return LinuxFileSystem::openFolder(path);
}

Result<void> FaultyFileSystem::writeFile(const QString& path, const QByteArray& bytes)
{
    if (failing.contains(Fault::writeFile))
        return injected(Operation::write, path);
    return LinuxFileSystem::writeFile(path, bytes);
}

Result<void> FaultyFileSystem::writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    if (failing.contains(Fault::writeFileAtomically))
        return injected(Operation::write, path);
    return LinuxFileSystem::writeFileAtomically(path, bytes);
}

Result<void> FaultyFileSystem::writeFileAtomicallyUnlessChanged(const QString& path,
                                                                const QByteArray& bytes,
                                                                const FileStamp& read)
{
    if (failing.contains(Fault::writeFileAtomically))
        return injected(Operation::write, path);
    if (beforeCheckedWrite)
        beforeCheckedWrite(path);
    return LinuxFileSystem::writeFileAtomicallyUnlessChanged(path, bytes, read);
}

Result<void> FaultyFileSystem::writeFileAtomicallyFlushingLater(const QString& path,
                                                                const QByteArray& bytes)
{
    if (failing.contains(Fault::writeFileAtomically))
        return injected(Operation::write, path);
    return LinuxFileSystem::writeFileAtomicallyFlushingLater(path, bytes);
}

Result<void> FaultyFileSystem::createFileAtomically(const QString& path, const QByteArray& bytes)
{
    if (failing.contains(Fault::createFileAtomically))
        return injected(Operation::write, path);
    return LinuxFileSystem::createFileAtomically(path, bytes);
}

Result<void> FaultyFileSystem::moveItem(const QString& from, const QString& to)
{
    if (failing.contains(Fault::moveItem))
        return injected(Operation::move, from);
    return LinuxFileSystem::moveItem(from, to);
}

Result<void> FaultyFileSystem::copyItem(const QString& from, const QString& to)
{
    if (failing.contains(Fault::copyItem))
        return injected(Operation::copy, from);
    return LinuxFileSystem::copyItem(from, to);
}

Result<void> FaultyFileSystem::removeItem(const QString& path)
{
    if (failing.contains(Fault::removeItem))
        return injected(Operation::remove, path);
    return LinuxFileSystem::removeItem(path);
}

Result<FileLock> FaultyFileSystem::lockExclusively(const QString& lockPath, int timeoutMs)
{
    if (failing.contains(Fault::lockExclusively))
        return injected(Operation::lock, lockPath);
    return LinuxFileSystem::lockExclusively(lockPath, timeoutMs);
}
