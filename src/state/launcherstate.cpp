#include "state/launcherstate.h"

#include "platform/directorywatch.h"
#include "platform/filesystem.h"
#include "platform/systemlog.h"
#include "platform/userdefaults.h"

namespace {

const QString folderModeKey = QStringLiteral("folderMode");
const QString customFolderPathKey = QStringLiteral("customFolderPath");
const QString activeProfileNameKey = QStringLiteral("activeProfileName");
const QString defaultFolderName = QStringLiteral("Pelvaro Launcher");

} // namespace

LauncherState& LauncherState::shared()
{
    // Built once, thread-safely, and never torn down: the state lives until
    // the process ends, like the services under it.
    static DesktopPlatform* const platform = new DesktopPlatform();
    static LauncherState* const state = new LauncherState(platform->services());
    return *state;
}

LauncherState::LauncherState(const PlatformServices& services, QObject* parent)
    : QObject(parent), m_services(services)
{
    m_launchPendingTimer.setSingleShot(true);
    m_launchPendingTimer.setInterval(launchPendingMs);
    m_folderQuietTimer.setSingleShot(true);
    m_folderQuietTimer.setInterval(folderQuietMs);
    connect(&m_folderQuietTimer, &QTimer::timeout, this, &LauncherState::reloadForFolderEvents);
    const std::optional<QString> storedMode = m_services.userDefaults->stringForKey(folderModeKey);
    m_folderMode = storedMode && *storedMode == folder_mode::rawValue(FolderMode::custom)
                       ? FolderMode::custom
                       : FolderMode::defaultFolder;
    m_customFolderPath =
        m_services.userDefaults->stringForKey(customFolderPathKey).value_or(QString());

    // A start never resumes an active profile of an earlier run.
    setActiveProfileName(std::nullopt);
    m_services.userDefaults->removeKey(activeProfileNameKey);

    ensureDefaultFolderExists();
    refreshRunningState();
    setPelvaroRunningWithUnknownProfile(m_isPelvaroRunning);
    installWorkspaceObservers();
    checkFolderAccess();
    reloadProfiles();
    startFolderMonitor();
}

LauncherState::~LauncherState() = default;

void LauncherState::setFolderMode(FolderMode mode)
{
    const bool changed = m_folderMode != mode;
    m_folderMode = mode;
    if (changed)
        emit folderModeChanged();
    m_services.userDefaults->setString(folderModeKey, folder_mode::rawValue(mode));
    switchFolder();
}

void LauncherState::setCustomFolderPath(const QString& path)
{
    const bool changed = m_customFolderPath != path;
    m_customFolderPath = path;
    if (changed)
        emit customFolderPathChanged();
    m_services.userDefaults->setString(customFolderPathKey, path);
}

void LauncherState::setErrorMessage(const std::optional<QString>& message)
{
    if (m_errorMessage == message)
        return;
    m_errorMessage = message;
    emit errorMessageChanged();
}

void LauncherState::setActiveProfileName(const std::optional<QString>& name)
{
    const bool changed = m_activeProfileName != name;
    m_activeProfileName = name;
    if (!name) {
        m_activeProfileFolder.reset();
        m_activeProfileFolderIdentity.reset();
    }
    if (changed)
        emit activeProfileNameChanged();
    if (name)
        m_services.userDefaults->setString(activeProfileNameKey, *name);
    else
        m_services.userDefaults->removeKey(activeProfileNameKey);
}

void LauncherState::setFolderAccessStatus(const AccessStatus& status)
{
    if (m_folderAccessStatus == status)
        return;
    m_folderAccessStatus = status;
    emit folderAccessStatusChanged();
}

void LauncherState::setProfiles(QList<Profile> profiles)
{
    if (m_profiles == profiles)
        return;
    m_profiles = std::move(profiles);
    emit profilesChanged();
}

void LauncherState::setIsPelvaroRunning(bool running)
{
    if (m_isPelvaroRunning == running)
        return;
    m_isPelvaroRunning = running;
    emit isPelvaroRunningChanged();
}

void LauncherState::setRunningPelvaroName(const std::optional<QString>& name)
{
    if (m_runningPelvaroName == name)
        return;
    m_runningPelvaroName = name;
    emit runningPelvaroNameChanged();
}

void LauncherState::setPelvaroRunningWithUnknownProfile(bool unknown)
{
    if (m_pelvaroRunningWithUnknownProfile == unknown)
        return;
    m_pelvaroRunningWithUnknownProfile = unknown;
    emit pelvaroRunningWithUnknownProfileChanged();
}

void LauncherState::setPendingNewProfileName(const std::optional<QString>& name)
{
    if (!name)
        m_pendingNewProfileFolder.reset();
    if (m_pendingNewProfileName == name)
        return;
    m_pendingNewProfileName = name;
    emit pendingNewProfileNameChanged();
}

void LauncherState::setFolderMonitorSource(std::unique_ptr<DirectoryWatch> source)
{
    if (m_folderMonitorSource) {
        // Closed now; deleted later, since this may run inside its own signal.
        m_folderMonitorSource->cancel();
        m_folderMonitorSource.release()->deleteLater();
    }
    m_folderMonitorSource = std::move(source);
    emit folderMonitorSourceChanged();
}

QString LauncherState::defaultFolderFor(const PlatformServices& services)
{
    const QString base =
        services.applicationSupportPath.isEmpty()
            ? file_path::appending(services.homePath, QStringLiteral("Library/Application Support"))
            : services.applicationSupportPath;
    return file_path::appending(base, defaultFolderName);
}

QString LauncherState::defaultFolderURL() const
{
    return defaultFolderFor(m_services);
}

std::optional<QString> LauncherState::folderFromSettings(const PlatformServices& services)
{
    const std::optional<QString> mode = services.userDefaults->stringForKey(folderModeKey);
    if (mode != folder_mode::rawValue(FolderMode::custom))
        return defaultFolderFor(services);
    const QString path =
        services.userDefaults->stringForKey(customFolderPathKey).value_or(QString());
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> LauncherState::currentFolderURL() const
{
    if (m_folderMode == FolderMode::defaultFolder)
        return defaultFolderURL();
    if (m_customFolderPath.isEmpty())
        return std::nullopt;
    return m_customFolderPath;
}

void LauncherState::ensureDefaultFolderExists()
{
    const QString folder = defaultFolderURL();
    if (fm().exists(folder))
        return;
    if (const FileResult created = fm().createDirectory(folder); !created)
        m_services.log->write(u"Pelvaro Launcher: failed to create default folder: " +
                              created.description);
}

void LauncherState::switchFolder()
{
    checkFolderAccess();
    reloadProfiles();
    startFolderMonitor();
}
