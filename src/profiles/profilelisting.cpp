#include "state/launcherstate.h"

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

void LauncherState::reloadProfiles()
{
    const std::optional<QString> folder = currentFolderURL();
    if (!folder) {
        setProfiles({});
        return;
    }
    const std::optional<QList<DirectoryEntry>> entries =
        fm().listDirectory(*folder, isProfileFileName);
    if (!entries) {
        setProfiles({});
        return;
    }
    QList<Profile> profiles;
    profiles.reserve(entries->size());
    for (const DirectoryEntry& entry : *entries) {
        if (!entry.isRegularFile || !entry.modifiedAt)
            continue;
        profiles.append({file_path::appending(*folder, entry.name), *entry.modifiedAt});
    }
    static const ProfileSorter sorter;
    sorter.sort(profiles);
    setProfiles(std::move(profiles));
}
