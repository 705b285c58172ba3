#include "state/launcherstate.h"

#include "platform/directorywatch.h"

void LauncherState::startFolderMonitor()
{
    if (m_folderMonitorSource)
        setFolderMonitorSource(nullptr);
    const std::optional<QString> folder = currentFolderURL();
    if (!folder)
        return;
    std::unique_ptr<DirectoryWatch> watch = DirectoryWatch::open(*folder);
    if (!watch)
        return;
    // The connection dies with the state object, so a late event does nothing.
    connect(watch.get(), &DirectoryWatch::eventsReceived, this,
            [this](DirectoryWatch::Events events) { handleFolderEvents(int(events)); });
    setFolderMonitorSource(std::move(watch));
}

void LauncherState::handleFolderEvents(int events)
{
    reloadProfiles();
    // A deleted or renamed folder leaves the old watch useless, and a revoked
    // one belongs to a volume that went away: follow whatever is at the path now.
    if (events & (DirectoryWatch::Delete | DirectoryWatch::Rename | DirectoryWatch::Revoke))
        startFolderMonitor();
}
