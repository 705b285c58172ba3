#pragma once

#include "platform/filesystem.h"

class LinuxFileSystem : public FileSystem
{
public:
    bool exists(const QString& path) const override;
    bool isDirectory(const QString& path) const override;
    bool isReadable(const QString& path) const override;
    FileResult createDirectory(const QString& path) override;
    std::optional<QList<DirectoryEntry>> listDirectory(const QString& path,
                                                       const NameFilter& wanted) const override;
    std::optional<QByteArray> readFile(const QString& path, QString* description) const override;
    FileResult writeFile(const QString& path, const QByteArray& bytes) override;
    FileResult writeFileAtomically(const QString& path, const QByteArray& bytes) override;
    FileResult moveItem(const QString& from, const QString& to) override;
    FileResult copyItem(const QString& from, const QString& to) override;
    FileResult removeItem(const QString& path) override;
};
