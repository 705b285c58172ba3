#pragma once

#include "platform/result.h"
#include "profiles/profile.h"

namespace profile_lookup {

// The profile a user names on the command line: a file name matches first,
// then a displayed name, which must belong to one file only. On failure,
// the sentence to print.
Result<Profile, QString> find(const QList<Profile>& profiles, const QString& name,
                              const QString& folder);

} // namespace profile_lookup
