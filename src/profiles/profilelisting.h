#pragma once

#include "profiles/profile.h"

class FileSystem;

namespace profile_listing {
// The profile files of a folder in display order: regular files, not hidden,
// whose extension is "plist" in any letter case. Empty when the folder
// cannot be listed.
QList<Profile> listProfiles(const FileSystem& fileSystem, const QString& folder);
// The same profiles in the order the folder gives them, for a caller that
// puts them in display order elsewhere (PendingListing).
QList<Profile> listUnordered(const FileSystem& fileSystem, const QString& folder);
} // namespace profile_listing
