#pragma once

#include "state/profile.h"

#include <optional>

// Finds the profile a user names on the command line: a file name matches
// first, then a displayed name, which must belong to one file only.
struct ProfileLookup
{
    std::optional<Profile> profile;
    QString error;

    static ProfileLookup find(const QList<Profile>& profiles, const QString& name,
                              const QString& folder);
};
