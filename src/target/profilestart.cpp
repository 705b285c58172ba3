#include "state/launcherstate.h"

#include "platform/filesystem.h"
#include "platform/plistreader.h"
#include "platform/preferencesservice.h"
#include "platform/systemlog.h"
#include "platform/workspace.h"
#include "target/pelvaroapplication.h"

#include <QPointer>

void LauncherState::startProfile(const Profile& profile)
{
    const QString fileName = profile.fileName();
    const auto unreadable = [&] {
        setErrorMessage(u"Could not read profile \"" + fileName + u"\".");
    };
    const std::optional<QByteArray> bytes = fm().readFile(profile.url, nullptr);
    if (!bytes)
        return unreadable();
    const std::optional<PlistValue> root = PlistReader::read(*bytes);
    if (!root || !root->isDictionary())
        return unreadable();
    const PlistDictionary& settings = root->toDictionary();

    PreferencesService& preferences = *m_services.preferences;
    const QStringList existingKeys = preferences.copyKeyList().value_or(QStringList());
    preferences.setMultiple(settings, settings.missingKeys(existingKeys));
    if (!preferences.synchronize()) {
        const QString message =
            u"Could not apply profile \"" + fileName + u"\" to Pelvaro preferences.";
        // Another program holding the lock is worth knowing: it will not go
        // away by trying again at once.
        if (preferences.lastSyncFailure() == PreferencesService::SyncFailure::Locked)
            setErrorMessage(message.chopped(1) + u": " + lockedPreferencesDescription());
        else
            setErrorMessage(message);
        return;
    }
    m_activeProfileFolder = profile.folder();
    m_activeProfileFolderIdentity = fm().identity(profile.folder());
    setActiveProfileName(fileName);
    launchPelvaro();
}

QString LauncherState::lockedPreferencesDescription()
{
    return tr("Pelvaro's preferences are locked by another program.");
}

// Besides the log lines, a launch that fails is shown: otherwise the user
// waits for a Pelvaro that never comes, with the profile marked active.
void LauncherState::launchPelvaro()
{
    Workspace& workspace = *m_services.workspace;
    const std::optional<QString> location = workspace.urlForApplication(pelvaro::bundleIdentifier);
    if (!location) {
        m_services.log->write(QStringLiteral("Pelvaro Launcher: Pelvaro application not found."));
        setErrorMessage(tr("Pelvaro could not be found."));
        return;
    }
    setLaunchPending(true);
    SystemLog* log = m_services.log;
    // The workspace calls back on the main thread; the state may be gone.
    QPointer<LauncherState> self(this);
    workspace.openApplication(*location, [log, self](const std::optional<QString>& error) {
        if (!error)
            return;
        log->write(u"Pelvaro Launcher: failed to launch Pelvaro: " + *error);
        if (self) {
            self->setLaunchPending(false);
            self->setErrorMessage(tr("Pelvaro could not be opened: %1").arg(*error));
        }
    });
}

void LauncherState::setLaunchPending(bool pending)
{
    if (pending)
        m_launchPendingTimer.start();
    else
        m_launchPendingTimer.stop();
}
