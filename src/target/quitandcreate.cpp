#include "state/launcherstate.h"

#include "platform/filesystem.h"
#include "platform/workspace.h"
#include "target/pelvaroapplication.h"

void LauncherState::quitPelvaroAndCreateProfile(const QString& typedName)
{
    const std::optional<QString> folder = currentFolderURL();
    if (!folder) {
        setErrorMessage(tr("No profile folder is available."));
        return;
    }
    const std::optional<QString> fileName = validatedProfileFileName(typedName);
    if (!fileName)
        return;
    if (fm().exists(file_path::appending(*folder, *fileName))) {
        setErrorMessage(tr("A file named \"%1\" already exists.").arg(*fileName));
        return;
    }
    QList<RunningApplication> instances;
    for (const RunningApplication& application : m_services.workspace->runningApplications()) {
        if (application.localizedName && pelvaro::isApplicationName(*application.localizedName))
            instances.append(application);
    }
    if (!instances.isEmpty()) {
        // The new profile goes to the folder of this moment, whatever the
        // folder is when Pelvaro has quit.
        m_pendingNewProfileFolder = *folder;
        setPendingNewProfileName(*fileName);
        for (const RunningApplication& instance : std::as_const(instances))
            m_services.workspace->terminate(instance);
        return;
    }
    createProfileFromCurrentPreferences(*fileName);
    reloadProfiles();
}
