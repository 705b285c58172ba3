#pragma once

#include "platform/result.h"
#include "profiles/profile.h"

namespace profile_lookup {

// Why no one profile answers to a name.
struct Failure
{
    enum class Kind
    {
        noneNamed,
        // More than one file shows that name; `candidates` are they.
        ambiguous,
    };
    Kind kind = Kind::noneNamed;
    QString name;
    QString folder;
    QList<Profile> candidates;
};

// The profile a user names on the command line: a file name matches first,
// then a displayed name, which must belong to one file only.
Result<Profile, Failure> find(const QList<Profile>& profiles, const QString& name,
                              const QString& folder);

// The failure as the sentence a user reads.
QString describe(const Failure& failure);

} // namespace profile_lookup
