#include "profiles/profilefolder.h"

#include "platform/directorywatch.h"
#include "platform/filesystem.h"
#include "platform/logging.h"
#include "profiles/profilelisting.h"

#include <QUuid>

#include <algorithm>
#include <limits>

void ProfileFolder::WatchDeleter::operator()(DirectoryWatch* watch) const
{
    watch->cancel();
    watch->deleteLater();
}

ProfileFolder::ProfileFolder(FileSystem& fileSystem, QObject* parent)
    : QObject(parent), m_fileSystem(fileSystem)
{
    m_quietTimer.setSingleShot(true);
    m_quietTimer.setInterval(quietMs);
    connect(&m_quietTimer, &QTimer::timeout, this, &ProfileFolder::reportChange);
}

ProfileFolder::~ProfileFolder()
{
    // Not from inside the watch's own signal: deleted at once, so that
    // nothing is left for an event loop that may never run again.
    if (DirectoryWatch* watch = m_watch.release()) {
        watch->cancel();
        delete watch;
    }
}

ProfileFolder::Access ProfileFolder::checkAccess(const QString& folder) const
{
    if (!m_fileSystem.exists(folder) || !m_fileSystem.isDirectory(folder))
        return Access::missing;
    if (!m_fileSystem.isReadable(folder))
        return Access::unreadable;
    const QString probe = file_path::appending(
        folder, u".pelvaro-launcher-access-" +
                    QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
    if (!m_fileSystem.writeFile(probe, {}) || !m_fileSystem.removeItem(probe))
        return Access::unwritable;
    return Access::usable;
}

QList<Profile> ProfileFolder::profiles(const QString& folder) const
{
    return profile_listing::listProfiles(m_fileSystem, folder);
}

void ProfileFolder::watch(const std::optional<QString>& folder)
{
    m_watch.reset();
    m_watchedFolder = folder;
    qCDebug(lcFolder) << "watching" << folder.value_or(QStringLiteral("nothing"));
    if (folder) {
        if (std::unique_ptr<DirectoryWatch> watch = m_fileSystem.watchDirectory(*folder)) {
            // The connection dies with this object, so a late event does nothing.
            connect(watch.get(), &DirectoryWatch::eventsReceived, this,
                    [this](DirectoryWatch::Events events) { handleEvents(int(events)); });
            m_watch.reset(watch.release());
        }
    }
    emit watchChanged();
}

void ProfileFolder::setCurrentFolder(std::function<std::optional<QString>()> currentFolder)
{
    m_currentFolder = std::move(currentFolder);
}

void ProfileFolder::handleEvents(int events)
{
    qCDebug(lcFolder) << "events" << Qt::hex << events << "in"
                      << m_watchedFolder.value_or(QString());
    // A deleted or renamed folder leaves the old watch useless, and a revoked
    // one belongs to a volume that went away: follow whatever is at the path now.
    if (events & (DirectoryWatch::deleted | DirectoryWatch::renamed | DirectoryWatch::revoked)) {
        m_quietTimer.stop();
        reportChange();
        watch(m_currentFolder ? m_currentFolder() : m_watchedFolder);
        return;
    }
    // A change after a quiet while is listed at once. During a burst of
    // changes the folder rests between listings, a few listings' time for
    // a costly folder (tens of thousands of profiles) and a moment for any
    // other, twice as long with each listing while the burst goes on, so
    // that a thousand files copied in cause a handful of listings rather
    // than one per batch however slowly the disk takes them; once the burst
    // is quiet for a moment, it is listed at once.
    const qint64 restNs = std::max(m_reloadCostNs * reloadRestFactor, qint64(m_restMs) * 1'000'000);
    const qint64 sinceListing =
        m_reloadClock.isValid() ? m_reloadClock.nsecsElapsed() : std::numeric_limits<qint64>::max();
    if (sinceListing >= restNs) {
        // Changes still coming when the rest ends are the same burst.
        const bool burstGoesOn = sinceListing < restNs + qint64(quietMs) * 1'000'000;
        m_restMs = burstGoesOn ? std::min(m_restMs * 2, int(maximumRestMs)) : int(minimumRestMs);
        m_quietTimer.stop();
        reportChange();
    } else {
        qCDebug(lcFolder) << "listing rests; last one took" << m_reloadCostNs / 1000 << "us";
        m_quietTimer.start();
    }
}

void ProfileFolder::reportChange()
{
    QElapsedTimer clock;
    clock.start();
    emit contentsChanged();
    m_reloadCostNs = clock.nsecsElapsed();
    m_reloadClock.start();
}
