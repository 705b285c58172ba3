#include "state/launcherstate.h"

#include "platform/desktopplatform.h"
#include "platform/folderchooser.h"
#include "platform/logging.h"
#include "platform/systemlog.h"
#include "platform/userdefaults.h"
#include "platform/workspace.h"
#include "profiles/conflictcopy.h"
#include "profiles/folderlocation.h"
#include "profiles/pendinglisting.h"
#include "profiles/profilefolder.h"
#include "profiles/profilelisting.h"
#include "state/errortext.h"
#include "target/pelvaroapplication.h"
#include "target/pelvarosession.h"

namespace {

using folder_location::customFolderPathKey;
using folder_location::folderModeKey;
const QString activeProfileNameKey = QStringLiteral("activeProfileName");

} // namespace

LauncherState& LauncherState::shared()
{
    // Built once, thread-safely, and never torn down: the state lives until
    // the process ends, like the services under it.
    static DesktopPlatform* const platform = new DesktopPlatform(pelvaro::identity());
    static LauncherState* const state = new LauncherState(
        platform->services(), nullptr, FirstListing::orderedLater, AccessCheck::byCaller);
    return *state;
}

LauncherState::LauncherState(const PlatformServices& services, QObject* parent,
                             FirstListing firstListing, AccessCheck accessCheck)
    : QObject(parent), m_services(services),
      m_folder(std::make_unique<ProfileFolder>(*services.fileSystem)),
      m_files(*services.fileSystem), m_versions(*services.fileSystem),
      m_shortcuts(*services.fileSystem, ProfileShortcuts::userApplicationsFolder(),
                  QCoreApplication::applicationFilePath()),
      m_session(std::make_unique<PelvaroSession>(services))
{
    m_launchPendingTimer.setSingleShot(true);
    m_launchPendingTimer.setInterval(launchPendingMs);
    connect(m_folder.get(), &ProfileFolder::contentsChanged, this, &LauncherState::reloadProfiles);
    // A folder deleted or renamed away: the watch starts again on the
    // folder the settings choose now, as a folder switch starts it.
    m_folder->setCurrentFolder([this] { return currentFolderURL(); });
    connect(m_folder.get(), &ProfileFolder::watchChanged, this,
            &LauncherState::folderMonitorSourceChanged);
    connect(
        m_session.get(), &PelvaroSession::launchFailed, this, [this](const PlatformError& error) {
            setLaunchPending(false);
            setErrorMessage(tr("Pelvaro could not be opened: %1").arg(ErrorText::describe(error)));
        });
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
    if (accessCheck == AccessCheck::atConstruction)
        checkFolderAccess();
    // Watched before it is listed, so that no change falls between the two.
    startFolderMonitor();
    const std::optional<QString> folder = currentFolderURL();
    if (firstListing == FirstListing::orderedLater && folder) {
        m_firstListing = std::make_shared<PendingListing>(
            profile_listing::listUnordered(*m_services.fileSystem, *folder));
        QTimer::singleShot(0, this, &LauncherState::finishFirstListing);
    } else {
        reloadProfiles();
    }
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

const DirectoryWatch* LauncherState::folderMonitorSource() const
{
    return m_folder->currentWatch();
}

QString LauncherState::defaultFolderURL() const
{
    return folder_location::defaultFolder(m_services);
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
    if (const Result<void> created = folder_location::ensureDefaultFolder(m_services); !created)
        m_services.log->write(u"Pelvaro Launcher: failed to create default folder: " +
                              ErrorText::describe(created.error()));
}

void LauncherState::switchFolder()
{
    checkFolderAccess();
    // Watched before it is listed, so that no change falls between the two.
    startFolderMonitor();
    reloadProfiles();
}

// --- the profile folder

void LauncherState::checkFolderAccess()
{
    const std::optional<QString> folder = currentFolderURL();
    if (!folder) {
        setFolderAccessStatus(AccessStatus::untested());
        return;
    }
    switch (m_folder->checkAccess(*folder)) {
    case ProfileFolder::Access::usable:
        setFolderAccessStatus(AccessStatus::ok());
        break;
    case ProfileFolder::Access::missing:
        setFolderAccessStatus(AccessStatus::failure(tr("Folder does not exist.")));
        break;
    case ProfileFolder::Access::unreadable:
        setFolderAccessStatus(AccessStatus::failure(tr("No read access to folder.")));
        break;
    case ProfileFolder::Access::unwritable:
        setFolderAccessStatus(AccessStatus::failure(tr("No write access to folder.")));
        break;
    }
}

void LauncherState::startFolderMonitor()
{
    m_folder->watch(currentFolderURL());
}

std::optional<Profile> LauncherState::listedProfile(const QString& url) const
{
    for (const Profile& profile : m_profiles) {
        if (profile.url == url)
            return profile;
    }
    return std::nullopt;
}

void LauncherState::reloadProfiles()
{
    // This listing is newer than a first one still in order.
    m_firstListing.reset();
    const std::optional<QString> folder = currentFolderURL();
    setProfiles(folder ? m_folder->profiles(*folder) : QList<Profile>());
    qCDebug(lcFolder) << "listed" << m_profiles.size() << "profiles";
}

std::function<void()> LauncherState::firstListingOrder() const
{
    if (!m_firstListing)
        return [] {};
    return [listing = m_firstListing] { listing->order(); };
}

void LauncherState::finishFirstListing()
{
    if (const std::shared_ptr<PendingListing> listing = std::exchange(m_firstListing, nullptr))
        setProfiles(listing->take());
}

// --- profile files

std::optional<QString> LauncherState::validatedProfileFileName(const QString& typedName)
{
    const Result<QString, NameProblem> fileName = ProfileFiles::validatedFileName(typedName);
    if (!fileName) {
        showNameProblem(fileName.error());
        return std::nullopt;
    }
    return *fileName;
}

void LauncherState::showNameProblem(NameProblem problem)
{
    switch (problem) {
    case NameProblem::invalid:
        setErrorMessage(tr("Please enter a valid name."));
        break;
    case NameProblem::forbiddenCharacter:
        setErrorMessage(tr("The name contains characters that cannot be used in a file name "
                           "(for example \"/\" or \":\")."));
        break;
    }
}

bool LauncherState::isActiveProfileFile(const Profile& profile) const
{
    if (!m_activeProfileName || *m_activeProfileName != profile.fileName())
        return false;
    // Only the file the active profile was started from; a same-named file
    // of another folder is not it.
    return !m_activeProfileFolder || m_files.isSameFolder(profile.folder(), *m_activeProfileFolder,
                                                          m_activeProfileFolderIdentity);
}

void LauncherState::renameProfile(const Profile& profile, const QString& typedName)
{
    const std::optional<QString> folder = currentFolderURL();
    if (!folder)
        return;
    const std::optional<QString> fileName = validatedProfileFileName(typedName);
    if (!fileName)
        return;
    const Result<QString> renamed = m_files.rename(profile, *folder, *fileName);
    if (!renamed) {
        // A name held by something that is no file (a link that leads
        // nowhere) is a move that failed, said as such.
        if (renamed.error().code == ErrorCode::alreadyExists &&
            fm().exists(file_path::appending(*folder, *fileName)))
            setErrorMessage(tr("A file named \"%1\" already exists.").arg(*fileName));
        else
            setErrorMessage(tr("Could not rename \"%1\": %2")
                                .arg(profile.fileName(), ErrorText::describe(renamed.error())));
        return;
    }
    if (*renamed == profile.url)
        return;
    // The profile is renamed whatever becomes of its history.
    if (const Result<void> moved = m_versions.moveAlong(profile.url, *renamed); !moved)
        m_services.log->write(u"Pelvaro Launcher: could not move the versions of " +
                              profile.fileName() + u": " + ErrorText::describe(moved.error()));
    // The shortcuts made for it start it under its new name.
    m_shortcuts.follow(profile.url, *renamed);
    if (isActiveProfileFile(profile)) {
        m_activeProfileFolder = file_path::parent(*renamed);
        setActiveProfileName(*fileName);
    }
    reloadProfiles();
}

void LauncherState::duplicateProfile(const Profile& profile)
{
    const std::optional<QString> folder = currentFolderURL();
    if (!folder)
        return;
    const Result<QString> copy = m_files.duplicate(profile, *folder);
    if (!copy) {
        setErrorMessage(tr("Could not duplicate \"%1\": %2")
                            .arg(profile.fileName(), ErrorText::describe(copy.error())));
        return;
    }
    // The copy is a new profile: a history left under its name is not its.
    if (const Result<void> setAside = m_versions.setAsideLeftover(*copy); !setAside)
        m_services.log->write(u"Pelvaro Launcher: could not set aside an earlier history of " +
                              file_path::lastComponent(*copy) + u": " +
                              setAside.error().diagnostic());
    reloadProfiles();
}

void LauncherState::deleteProfile(const Profile& profile)
{
    if (const Result<void> removed = m_files.remove(profile); !removed) {
        setErrorMessage(tr("Could not delete \"%1\": %2")
                            .arg(profile.fileName(), ErrorText::describe(removed.error())));
        return;
    }
    if (const Result<void> removed = m_versions.removeAll(profile.url); !removed)
        m_services.log->write(u"Pelvaro Launcher: could not remove the versions of " +
                              profile.fileName() + u": " + ErrorText::describe(removed.error()));
    m_shortcuts.remove(profile.url);
    if (isActiveProfileFile(profile))
        setActiveProfileName(std::nullopt);
    reloadProfiles();
}

std::optional<QString> LauncherState::createShortcut(const Profile& profile)
{
    const Result<QString> created = m_shortcuts.create(profile.url);
    if (!created) {
        setErrorMessage(tr("Could not create a shortcut to \"%1\": %2")
                            .arg(profile.fileName(), ErrorText::describe(created.error())));
        return std::nullopt;
    }
    return *created;
}

QList<ProfileVersion> LauncherState::profileVersions(const Profile& profile) const
{
    return m_versions.list(profile.url);
}

VersionHistory LauncherState::versionHistory(const Profile& profile) const
{
    return VersionHistory::of(*m_services.fileSystem, profile.url);
}

std::optional<PlistDictionary> LauncherState::settingsOf(const QString& profilePath) const
{
    Result<PlistDictionary, SettingsFailure> settings =
        profile_settings::read(*m_services.fileSystem, profilePath);
    return settings ? std::optional(std::move(*settings)) : std::nullopt;
}

std::optional<Profile> LauncherState::conflictTarget(const Profile& copy) const
{
    const std::optional<ConflictCopy> conflict = ConflictCopy::recognise(copy.fileName());
    if (!conflict)
        return std::nullopt;
    for (const Profile& profile : m_profiles) {
        if (profile.fileName() == conflict->profileFileName && profile.folder() == copy.folder())
            return profile;
    }
    return std::nullopt;
}

std::optional<ConflictMerge::Plan> LauncherState::prepareConflictMerge(const Profile& copy,
                                                                       const Profile& target)
{
    Result<ConflictMerge::Plan, ConflictMerge::Failure> plan =
        ConflictMerge(*m_services.fileSystem).prepare(target.url, copy.url);
    if (!plan) {
        setErrorMessage(
            tr("Could not merge \"%1\" into \"%2\": %3")
                .arg(copy.fileName(), target.fileName(), ErrorText::describe(plan.error())));
        return std::nullopt;
    }
    return std::move(*plan);
}

bool LauncherState::mergeConflictCopy(const ConflictMerge::Plan& plan,
                                      const ConflictMerge::Choices& choices)
{
    const Result<void, ConflictMerge::Failure> merged =
        ConflictMerge(*m_services.fileSystem).apply(plan, choices);
    reloadProfiles();
    if (!merged) {
        setErrorMessage(tr("Could not merge \"%1\" into \"%2\": %3")
                            .arg(file_path::lastComponent(plan.copyPath),
                                 file_path::lastComponent(plan.profilePath),
                                 ErrorText::describe(merged.error())));
        return false;
    }
    return true;
}

void LauncherState::restoreProfileVersion(const Profile& profile, const ProfileVersion& version)
{
    // A launch under way ends in a save-back just as well.
    if ((m_isPelvaroRunning || isLaunchPending()) && isActiveProfileFile(profile)) {
        setErrorMessage(
            tr("\"%1\" cannot be restored while Pelvaro runs with it.").arg(profile.fileName()));
        return;
    }
    // Renamed or deleted meanwhile: a restore would make a stray file.
    if (!fm().exists(profile.url)) {
        setErrorMessage(tr("\"%1\" no longer exists.").arg(profile.fileName()));
        return;
    }
    if (const Result<SaveOutcome, SessionFailure> restored =
            m_session->restoreVersion(profile.url, version);
        !restored) {
        setErrorMessage(
            tr("Could not restore \"%1\": %2").arg(profile.fileName(), describe(restored.error())));
        return;
    }
    reloadProfiles();
}

void LauncherState::chooseCustomFolder()
{
    if (!m_services.folderChooser)
        return;
    const std::optional<QString> chosen = m_services.folderChooser->chooseFolder(
        tr("Choose"), tr("Select the folder containing Pelvaro profile plist files."),
        currentFolderURL());
    if (!chosen)
        return;
    setCustomFolderPath(*chosen);
    switchFolder();
}

// --- Pelvaro

void LauncherState::startProfile(const Profile& profile)
{
    const QString fileName = profile.fileName();
    if (const Result<void, SessionFailure> applied = m_session->applyProfile(profile.url);
        !applied) {
        const SessionFailure& failure = applied.error();
        // These two messages stand exactly as the launcher has always
        // shown them, untranslated on purpose: scripts and support
        // answers match them word for word. Do not wrap them in tr().
        if (failure.problem == SessionFailure::Problem::profileUnreadable)
            setErrorMessage(u"Could not read profile \"" + fileName + u"\".");
        else if (failure.problem == SessionFailure::Problem::preferencesLocked)
            setErrorMessage(u"Could not apply profile \"" + fileName +
                            u"\" to Pelvaro preferences: " + describe(failure));
        else
            setErrorMessage(u"Could not apply profile \"" + fileName +
                            u"\" to Pelvaro preferences.");
        return;
    }
    m_activeProfileFolder = profile.folder();
    m_activeProfileFolderIdentity = fm().identity(profile.folder());
    setActiveProfileName(fileName);
    launchPelvaro();
}

// Besides the log lines, a launch that fails is shown: otherwise the user
// waits for a Pelvaro that never comes, with the profile marked active.
void LauncherState::launchPelvaro()
{
    if (const Result<void, SessionFailure> launched = m_session->launch(); !launched) {
        setErrorMessage(describe(launched.error()));
        return;
    }
    setLaunchPending(true);
}

void LauncherState::setLaunchPending(bool pending)
{
    if (pending)
        m_launchPendingTimer.start();
    else
        m_launchPendingTimer.stop();
}

std::optional<PlistDictionary> LauncherState::readPreferencesDomain()
{
    Result<std::optional<PlistDictionary>, SessionFailure> domain =
        m_session->readPreferencesDomain();
    return domain ? std::move(domain).value() : std::nullopt;
}

void LauncherState::saveActiveProfile()
{
    if (!m_activeProfileName || m_activeProfileName->isEmpty())
        return;
    writeCurrentPreferences(/*saveBack=*/true, *m_activeProfileName,
                            m_activeProfileFolder ? m_activeProfileFolder : currentFolderURL());
}

void LauncherState::createProfileFromCurrentPreferences(const QString& fileName)
{
    writeCurrentPreferences(/*saveBack=*/false, fileName, currentFolderURL());
}

void LauncherState::writeCurrentPreferences(bool saveBack, const QString& fileName,
                                            const std::optional<QString>& folder)
{
    if (!folder)
        return;
    const QString target = file_path::appending(*folder, fileName);
    const Result<SaveOutcome, SessionFailure> written = m_session->writeCurrentPreferences(
        saveBack ? PelvaroSession::WriteMode::replace : PelvaroSession::WriteMode::create, target);
    if (written) {
        if (saveBack) {
            m_lastSaveSummary = SaveSummary{target, written->changedSettings,
                                            written->keptFromElsewhere, written->conflicts};
            emit lastSaveSummaryChanged();
        }
        return;
    }
    const SessionFailure& failure = written.error();
    if (failure.problem == SessionFailure::Problem::targetExists) {
        setErrorMessage(tr("Could not create profile \"%1\": a file of that name already exists.")
                            .arg(fileName));
    } else if (failure.problem == SessionFailure::Problem::noPreferences) {
        setErrorMessage(
            saveBack ? tr("Could not save profile \"%1\": no Pelvaro preferences were found.")
                           .arg(fileName)
                     : tr("Could not create profile \"%1\": no Pelvaro preferences were found.")
                           .arg(fileName));
    } else if (saveBack) {
        QString message = tr("Could not save profile \"%1\": %2").arg(fileName, describe(failure));
        if (failure.savedInstead)
            message += u' ' + tr("Pelvaro's settings were saved as \"%1\" instead.")
                                  .arg(file_path::lastComponent(*failure.savedInstead));
        setErrorMessage(message);
    } else {
        setErrorMessage(tr("Could not create profile \"%1\": %2").arg(fileName, describe(failure)));
    }
}

QString LauncherState::describe(const SessionFailure& failure)
{
    return ErrorText::describe(failure);
}

void LauncherState::refreshRunningState()
{
    const QList<RunningApplication> instances = m_session->runningInstances();
    const std::optional<QString> found =
        instances.isEmpty() ? std::nullopt : instances.first().localizedName;
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
    if (!PelvaroSession::isPelvaro(application))
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
    qCDebug(lcSession) << "Pelvaro quit; saving back" << m_activeProfileName.value_or(QString())
                       << "creating" << m_pendingNewProfileName.value_or(QString());
    setIsPelvaroRunning(false);
    setPelvaroRunningWithUnknownProfile(false);
    setLaunchPending(false);
    saveActiveProfile();
    if (m_pendingNewProfileName) {
        const QString fileName = *m_pendingNewProfileName;
        const std::optional<QString> folder = m_pendingNewProfileFolder;
        setPendingNewProfileName(std::nullopt);
        writeCurrentPreferences(/*saveBack=*/false, fileName, folder);
    }
    setActiveProfileName(std::nullopt);
    reloadProfiles();
}

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
    const QList<RunningApplication> instances = m_session->runningInstances();
    if (!instances.isEmpty()) {
        // The new profile goes to the folder of this moment, whatever the
        // folder is when Pelvaro has quit.
        m_pendingNewProfileFolder = *folder;
        setPendingNewProfileName(*fileName);
        m_session->terminate(instances);
        return;
    }
    createProfileFromCurrentPreferences(*fileName);
    reloadProfiles();
}
