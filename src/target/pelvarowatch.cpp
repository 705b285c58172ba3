#include "state/launcherstate.h"

#include "platform/workspace.h"
#include "target/pelvaroapplication.h"

void LauncherState::refreshRunningState()
{
    std::optional<QString> found;
    for (const RunningApplication& application : m_services.workspace->runningApplications()) {
        if (application.localizedName && pelvaro::isApplicationName(*application.localizedName)) {
            found = application.localizedName;
            break;
        }
    }
    setRunningPelvaroName(found);
    setIsPelvaroRunning(found.has_value());
}

void LauncherState::installWorkspaceObservers()
{
    Workspace* workspace = m_services.workspace;
    // `this` as the context: the subscriptions end with the state object.
    m_workspaceObservers = {
        connect(workspace, &Workspace::applicationLaunched, this,
                &LauncherState::handleApplicationLaunched),
        connect(workspace, &Workspace::applicationTerminated, this,
                [this] { handleApplicationTerminated(); }),
    };
    emit workspaceObserversChanged();
}

void LauncherState::handleApplicationLaunched(const RunningApplication& application)
{
    if (!application.localizedName || !pelvaro::isApplicationName(*application.localizedName))
        return;
    setLaunchPending(false);
    setIsPelvaroRunning(true);
    setRunningPelvaroName(application.localizedName);
    setPelvaroRunningWithUnknownProfile(!m_activeProfileName.has_value());
}

void LauncherState::handleApplicationTerminated()
{
    const bool wasRunning = m_isPelvaroRunning;
    refreshRunningState();
    if (wasRunning && !m_isPelvaroRunning)
        handlePelvaroQuit();
}

void LauncherState::handlePelvaroQuit()
{
    setIsPelvaroRunning(false);
    setPelvaroRunningWithUnknownProfile(false);
    setLaunchPending(false);
    saveActiveProfile();
    if (m_pendingNewProfileName) {
        const QString fileName = *m_pendingNewProfileName;
        const std::optional<QString> folder = m_pendingNewProfileFolder;
        setPendingNewProfileName(std::nullopt);
        writeCurrentPreferences(ProfileWriter::create, fileName, folder);
    }
    setActiveProfileName(std::nullopt);
    reloadProfiles();
}
