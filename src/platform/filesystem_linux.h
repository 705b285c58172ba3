#pragma once

#include "platform/filesystem.h"

#include <QMutex>
#include <QSet>

class SystemLog;

class LinuxFileSystem : public FileSystem
{
public:
    // `log`, when given, hears once of each name left out of a listing.
    explicit LinuxFileSystem(SystemLog* log = nullptr) : m_log(log) {}

    bool exists(const QString& path) const override;
    bool isDirectory(const QString& path) const override;
    bool isReadable(const QString& path) const override;
    FileResult createDirectory(const QString& path) override;
    std::optional<FileIdentity> identity(const QString& path) const override;
    std::optional<QList<DirectoryEntry>> listDirectory(const QString& path,
                                                       const NameFilter& wanted) const override;
    std::optional<QByteArray> readFile(const QString& path, QString* description) const override;
    FileResult writeFile(const QString& path, const QByteArray& bytes) override;
    FileResult writeFileAtomically(const QString& path, const QByteArray& bytes) override;
    FileResult createFileAtomically(const QString& path, const QByteArray& bytes) override;
    FileResult moveItem(const QString& from, const QString& to) override;
    FileResult copyItem(const QString& from, const QString& to) override;
    FileResult removeItem(const QString& path) override;

private:
    void reportUnlistedName(const QByteArray& folder, const char* name) const;

    SystemLog* m_log;
    mutable QMutex m_reportedMutex;
    mutable QSet<QByteArray> m_reported;
};
