#pragma once

#include "profiles/profilesettings.h"
#include "profiles/profileversions.h"

// A profile's kept versions, newest first, each beside what replaced it:
// the next newer version, or the profile as it is now. The History window
// and --history show the same from this.
struct VersionHistory
{
    struct Entry
    {
        ProfileVersion version;
        // The version's settings; none when it cannot be read.
        std::optional<PlistDictionary> settings;
        std::optional<SettingsFailure> failure;
        // How many settings were changed after it; none when it or what
        // replaced it cannot be read.
        std::optional<qsizetype> changedAfter;
    };

    // The profile's settings now; none when it cannot be read.
    std::optional<PlistDictionary> current;
    QList<Entry> entries;

    static VersionHistory of(FileSystem& fileSystem, const QString& profilePath);

    // What replaced the entry at `index`: the next newer one's settings, or
    // the profile's now.
    const std::optional<PlistDictionary>& replacedBy(qsizetype index) const;
};
