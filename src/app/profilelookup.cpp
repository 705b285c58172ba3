#include "app/profilelookup.h"

#include <QCoreApplication>
#include <QDir>

Result<Profile, QString> profile_lookup::find(const QList<Profile>& profiles, const QString& name,
                                              const QString& folder)
{
    for (const Profile& profile : profiles) {
        if (profile.fileName() == name)
            return profile;
    }
    QList<Profile> named;
    for (const Profile& profile : profiles) {
        if (profile.name() == name)
            named.append(profile);
    }
    if (named.size() == 1)
        return named.first();
    if (named.isEmpty()) {
        return QCoreApplication::translate("CommandLine", "No profile named \"%1\" in \"%2\".")
            .arg(name, QDir::toNativeSeparators(QDir::cleanPath(folder)));
    }
    QStringList files;
    for (const Profile& profile : std::as_const(named))
        files.append(u'"' + profile.fileName() + u'"');
    return QCoreApplication::translate(
               "CommandLine",
               "The name \"%1\" matches more than one profile: %2. Give the file name instead.")
        .arg(name, files.join(QStringLiteral(", ")));
}
