#include "profiles/versionhistory.h"

#include "plist/plistdiff.h"

VersionHistory VersionHistory::of(FileSystem& fileSystem, const QString& profilePath)
{
    VersionHistory history;
    if (Result<PlistDictionary, SettingsFailure> now =
            profile_settings::read(fileSystem, profilePath))
        history.current = std::move(*now);
    // Versions are read as safely as they were kept: through real folders.
    const ProfileVersions versions(fileSystem);
    for (const ProfileVersions::Read& read : versions.readAll(profilePath)) {
        Entry entry{read.version, std::nullopt, std::nullopt, std::nullopt};
        const Result<FileContent>& content = read.content;
        Result<PlistDictionary, SettingsFailure> settings =
            content ? profile_settings::parse(content->bytes)
                    : Result<PlistDictionary, SettingsFailure>(SettingsFailure{
                          SettingsFailure::Problem::unreadable, content.error(), std::nullopt});
        if (settings)
            entry.settings = std::move(*settings);
        else
            entry.failure = settings.error();
        const std::optional<PlistDictionary>& newer = history.replacedBy(history.entries.size());
        if (entry.settings && newer)
            entry.changedAfter = PlistDiff::changedSettings(*entry.settings, *newer);
        history.entries.append(std::move(entry));
    }
    return history;
}

const std::optional<PlistDictionary>& VersionHistory::replacedBy(qsizetype index) const
{
    return index == 0 ? current : entries.at(index - 1).settings;
}
