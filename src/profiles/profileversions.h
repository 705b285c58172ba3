#pragma once

#include "platform/filesystem.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// One kept content of a profile.
struct ProfileVersion
{
    QString path;
    QDateTime savedAt;
    // The version's name, as the command line takes it (20261207-101500-123).
    QString name() const;

    friend bool operator==(const ProfileVersion&, const ProfileVersion&) = default;
};

// The earlier contents of profiles, kept before anything replaces them, in
// a hidden folder inside the profile folder: <folder>/.pelvaro-versions/
// <file name>/<time>.plist. Hidden, they stay out of the profile list; in
// the profile folder, they move, sync and back up with the profiles.
class ProfileVersions final
{
public:
    static constexpr int kept = 20;
    static constexpr QStringView folderName = u".pelvaro-versions";

    explicit ProfileVersions(FileSystem& fileSystem) : m_fileSystem(fileSystem) {}

    static QString folderFor(const QString& profilePath);

    // Keeps `content`, what the profile holds before it is replaced, as
    // its newest version: written whole, then the oldest beyond `kept`
    // removed. Nothing is kept when it equals the newest version. The new
    // version's path, or none.
    Result<std::optional<QString>> keep(const QString& profilePath, const QByteArray& content);
    // Newest first.
    QList<ProfileVersion> list(const QString& profilePath) const;
    std::optional<ProfileVersion> find(const QString& profilePath, const QString& name) const;
    // The profile was renamed: its versions follow it.
    Result<void> moveAlong(const QString& fromProfilePath, const QString& toProfilePath);
    // The profile was deleted: so are its versions.
    Result<void> removeAll(const QString& profilePath);

private:
    FileSystem& m_fileSystem;
};
