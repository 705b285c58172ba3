#pragma once

#include "platform/filesystem.h"

#include <QString>
#include <QStringList>

// Entries in the user's applications menu that start one profile each, as
// "Pelvaro (Work)". Each entry names its profile's path in a key of its
// own, so that the entries the launcher made follow a rename made in the
// launcher and go with a delete; entries the user wrote are never touched.
class ProfileShortcuts
{
public:
    // `programPath` is what the entries run; `applicationsFolder` is where
    // the desktop looks for the user's own entries.
    ProfileShortcuts(FileSystem& fileSystem, QString applicationsFolder, QString programPath);

    // $XDG_DATA_HOME/applications.
    static QString userApplicationsFolder();

    // Makes the entry for the profile, or writes the one that exists anew.
    // Returns the entry's path.
    [[nodiscard]] Result<QString> create(const QString& profilePath);
    // The entries of the profile at `from` now start the one at `to`.
    void follow(const QString& from, const QString& to);
    void remove(const QString& profilePath);
    // The paths of the entries made for this profile.
    QStringList entriesFor(const QString& profilePath) const;

    // The desktop entry that starts the profile with `programPath`.
    static QByteArray entryText(const QString& profilePath, const QString& programPath);

private:
    Result<void> write(const QString& entryPath, const QString& profilePath, bool create);

    FileSystem& m_fileSystem;
    QString m_applicationsFolder;
    QString m_programPath;
};
