#pragma once

#include "platform/filesystem_linux.h"

#include <QSet>

// The real file system, with failures injected on demand: root ignores
// permission bits, so tests force faults here instead.
class FaultyFileSystem : public LinuxFileSystem
{
public:
    enum class Operation
    {
        isReadable,
        createDirectory,
        readFile,
        writeFile,
        writeFileAtomically,
        createFileAtomically,
        moveItem,
        copyItem,
        removeItem,
    };

    QSet<Operation> failing;
    // Makes every listing take this long, as a huge folder's does.
    int listingDelayMs = 0;
    mutable int listings = 0;
    static QString injectedDescription() { return QStringLiteral("Injected failure."); }

    bool isReadable(const QString& path) const override;
    std::optional<QList<DirectoryEntry>> listDirectory(const QString& path,
                                                       const NameFilter& wanted) const override;
    FileResult createDirectory(const QString& path) override;
    std::optional<QByteArray> readFile(const QString& path, QString* description) const override;
    FileResult writeFile(const QString& path, const QByteArray& bytes) override;
    FileResult writeFileAtomically(const QString& path, const QByteArray& bytes) override;
    FileResult createFileAtomically(const QString& path, const QByteArray& bytes) override;
    FileResult moveItem(const QString& from, const QString& to) override;
    FileResult copyItem(const QString& from, const QString& to) override;
    FileResult removeItem(const QString& path) override;
};
