#include "state/launcherstate.h"

#include "platform/directorywatch.h"

#include <QElapsedTimer>

#include <algorithm>

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
    // A deleted or renamed folder leaves the old watch useless, and a revoked
    // one belongs to a volume that went away: follow whatever is at the path now.
    if (events & (DirectoryWatch::Delete | DirectoryWatch::Rename | DirectoryWatch::Revoke)) {
        m_folderQuietTimer.stop();
        reloadForFolderEvents();
        startFolderMonitor();
        return;
    }
    // A folder that lists in a moment is listed at every batch of events. A
    // costly one (tens of thousands of profiles) rests a few listings' time
    // after each: during a long burst of changes it is listed now and then,
    // and once the burst is quiet for a moment, at once.
    const bool rested =
        !m_folderReloadClock.isValid() ||
        m_folderReloadClock.nsecsElapsed() >= m_folderReloadCostNs * folderReloadRestFactor;
    if (rested) {
        m_folderQuietTimer.stop();
        reloadForFolderEvents();
    } else {
        m_folderQuietTimer.start();
    }
}

void LauncherState::reloadForFolderEvents()
{
    QElapsedTimer clock;
    clock.start();
    reloadProfiles();
    m_folderReloadCostNs = clock.nsecsElapsed();
    m_folderReloadClock.start();
}
