#include "profiles/profilelisting.h"

#include "platform/filesystem.h"
#include "profiles/profilesorter.h"

namespace {

bool isProfileFileName(QStringView name)
{
    // Hidden names are skipped by the listing; "x.plist" in any letter case
    // qualifies, a bare "plist" has no extension and does not.
    constexpr QStringView extension = u".plist";
    return name.size() > extension.size() && name.endsWith(extension, Qt::CaseInsensitive) &&
           !name.startsWith(u'.');
}

} // namespace

QList<Profile> profile_listing::listProfiles(const FileSystem& fileSystem, const QString& folder)
{
    QList<Profile> profiles = listUnordered(fileSystem, folder);
    static const ProfileSorter sorter;
    sorter.sort(profiles);
    return profiles;
}

QList<Profile> profile_listing::listUnordered(const FileSystem& fileSystem, const QString& folder)
{
    const std::optional<QList<DirectoryEntry>> entries =
        fileSystem.listDirectory(folder, isProfileFileName);
    if (!entries)
        return {};
    QList<Profile> profiles;
    profiles.reserve(entries->size());
    for (const DirectoryEntry& entry : *entries) {
        if (!entry.isRegularFile || !entry.modifiedAt)
            continue;
        profiles.append({file_path::appending(folder, entry.name), *entry.modifiedAt});
    }
    return profiles;
}
