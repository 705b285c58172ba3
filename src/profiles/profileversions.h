#pragma once

#include "platform/filesystem.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class SafeFolder;

// One kept content of a profile.
struct ProfileVersion
{
    QString path;
    // For display: the clock may have been wrong when it was kept.
    QDateTime savedAt;
    // The order of keeping, 1 for the first; 0 for the versions of earlier
    // releases, which were named by their time alone and come before all.
    qint64 sequence = 0;
    // The version's name, as the command line takes it
    // (000042-20261207-101500-123).
    QString name() const;

    friend bool operator==(const ProfileVersion&, const ProfileVersion&) = default;
};

// The earlier contents of profiles, kept before anything replaces them, in
// a hidden folder inside the profile folder: <folder>/.pelvaro-versions/
// <file name>/<sequence>-<time>.plist. Hidden, they stay out of the profile
// list; in the profile folder, they move, sync and back up with the
// profiles.
//
// The profile folder may be shared with other users, or filled by a sync
// client. So the history is reached only through real folders, each opened
// inside the one before without following links; a profile's own history
// folder must belong to the user; versions are read and written only as
// regular files, never wider in permissions than the profile they came
// from; and only names of the versions' own form are ever removed. The
// order is the sequence number at the front of the name, never the clock.
class ProfileVersions final
{
public:
    static constexpr int kept = 20;
    static constexpr QStringView folderName = u".pelvaro-versions";

    explicit ProfileVersions(FileSystem& fileSystem) : m_fileSystem(fileSystem) {}

    static QString folderFor(const QString& profilePath);

    // Keeps `current`, what the profile holds before it is replaced, as its
    // newest version: the file itself gets a second name when it can (it
    // is about to be replaced by rename, so its data is never written
    // again), else its bytes are written whole. Nothing is kept when it
    // equals the newest version. The new version's path, or none. Call
    // prune() once the profile is replaced, or discard() when it is not.
    Result<std::optional<QString>> keep(const QString& profilePath, const FileContent& current);
    // Removes the oldest versions beyond `kept`.
    Result<void> prune(const QString& profilePath);
    // Takes back a version just kept, when what it was kept for failed.
    void discard(const QString& profilePath, const QString& versionPath);
    // Newest first.
    QList<ProfileVersion> list(const QString& profilePath) const;
    std::optional<ProfileVersion> find(const QString& profilePath, const QString& name) const;
    // A version's content, read as safely as it was kept.
    Result<FileContent> read(const QString& profilePath, const ProfileVersion& version) const;
    // Every version, newest first, with its content: the folder is opened
    // once for all of them.
    struct Read
    {
        ProfileVersion version;
        Result<FileContent> content;
    };
    QList<Read> readAll(const QString& profilePath) const;
    // The profile was renamed: its versions follow it.
    Result<void> moveAlong(const QString& fromProfilePath, const QString& toProfilePath);
    // The profile was deleted: so are its versions.
    Result<void> removeAll(const QString& profilePath);
    // A new profile took the name: a history left under it (by a profile
    // deleted outside the launcher) is set aside, never adopted.
    Result<void> setAsideLeftover(const QString& profilePath);

private:
    // The folder that holds the profile's versions; made when missing and
    // `permissions` (the profile's) are given.
    Result<std::unique_ptr<SafeFolder>> historyFolder(const QString& profilePath,
                                                      std::optional<uint> permissions) const;
    Result<std::unique_ptr<SafeFolder>> versionsFolder(const QString& profilePath,
                                                       bool create) const;

    FileSystem& m_fileSystem;
};
