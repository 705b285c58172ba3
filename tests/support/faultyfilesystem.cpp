#include "support/faultyfilesystem.h"

#include <QThread>

namespace {
FileResult injected()
{
    return FileResult::failure(FaultyFileSystem::injectedDescription());
}
} // namespace

bool FaultyFileSystem::isReadable(const QString& path) const
{
    return !failing.contains(Operation::isReadable) && LinuxFileSystem::isReadable(path);
}

std::optional<QList<DirectoryEntry>> FaultyFileSystem::listDirectory(const QString& path,
                                                                     const NameFilter& wanted) const
{
    ++listings;
    if (listingDelayMs > 0)
        QThread::msleep(ulong(listingDelayMs));
    return LinuxFileSystem::listDirectory(path, wanted);
}

FileResult FaultyFileSystem::createDirectory(const QString& path)
{
    return failing.contains(Operation::createDirectory) ? injected()
                                                        : LinuxFileSystem::createDirectory(path);
}

std::optional<QByteArray> FaultyFileSystem::readFile(const QString& path,
                                                     QString* description) const
{
    if (failing.contains(Operation::readFile)) {
        if (description)
            *description = injectedDescription();
        return std::nullopt;
    }
    return LinuxFileSystem::readFile(path, description);
}

FileResult FaultyFileSystem::writeFile(const QString& path, const QByteArray& bytes)
{
    return failing.contains(Operation::writeFile) ? injected()
                                                  : LinuxFileSystem::writeFile(path, bytes);
}

FileResult FaultyFileSystem::writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    return failing.contains(Operation::writeFileAtomically)
               ? injected()
               : LinuxFileSystem::writeFileAtomically(path, bytes);
}

FileResult FaultyFileSystem::moveItem(const QString& from, const QString& to)
{
    return failing.contains(Operation::moveItem) ? injected() : LinuxFileSystem::moveItem(from, to);
}

FileResult FaultyFileSystem::copyItem(const QString& from, const QString& to)
{
    return failing.contains(Operation::copyItem) ? injected() : LinuxFileSystem::copyItem(from, to);
}

FileResult FaultyFileSystem::removeItem(const QString& path)
{
    return failing.contains(Operation::removeItem) ? injected() : LinuxFileSystem::removeItem(path);
}

FileResult FaultyFileSystem::createFileAtomically(const QString& path, const QByteArray& bytes)
{
    return failing.contains(Operation::createFileAtomically)
               ? injected()
               : LinuxFileSystem::createFileAtomically(path, bytes);
}
