#include "app/profilelookup.h"

#include <QCoreApplication>
#include <QDir>

Result<Profile, profile_lookup::Failure>
profile_lookup::find(const QList<Profile>& profiles, const QString& name, const QString& folder)
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
    return Failure{named.isEmpty() ? Failure::Kind::noneNamed : Failure::Kind::ambiguous, name,
                   folder, named};
}

QString profile_lookup::describe(const Failure& failure)
{
    if (failure.kind == Failure::Kind::noneNamed)
        return QCoreApplication::translate("CommandLine", "No profile named \"%1\" in \"%2\".")
            .arg(failure.name, QDir::toNativeSeparators(QDir::cleanPath(failure.folder)));
    QStringList files;
    for (const Profile& profile : failure.candidates)
        files.append(u'"' + profile.fileName() + u'"');
    return QCoreApplication::translate(
               "CommandLine",
               "The name \"%1\" matches more than one profile: %2. Give the file name instead.")
        .arg(failure.name, files.join(QStringLiteral(", ")));
}
