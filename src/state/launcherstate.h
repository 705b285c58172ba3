#pragma once

#include "platform/filesystem.h"
#include "platform/platformservices.h"
#include "plist/plistvalue.h"
#include "profiles/conflictmerge.h"
#include "profiles/foldermode.h"
#include "profiles/profile.h"
#include "profiles/profilefiles.h"
#include "profiles/profileshortcuts.h"
#include "profiles/profileversions.h"
#include "profiles/versionhistory.h"
#include "state/accessstatus.h"

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class DirectoryWatch;
class PendingListing;
struct RunningApplication;

class PelvaroSession;
class ProfileFolder;
struct SessionFailure;

// What the last save-back wrote, for the notice that tells of it.
struct SaveSummary
{
    QString profilePath;
    qsizetype changedSettings = 0;
    // Merged with changes made elsewhere: settings kept from there, and
    // settings changed on both sides.
    qsizetype keptFromElsewhere = 0;
    qsizetype conflicts = 0;
    friend bool operator==(const SaveSummary&, const SaveSummary&) = default;
};

// Everything the launcher knows: where the profile folder is and whether it
// can be used, its profiles, the profile started last, whether Pelvaro runs,
// and the last error to show. Confined to the main thread.
//
// The work is done by its collaborators: the profile folder (access, watch,
// listing), the profile files (names, rename, duplicate, delete) and the
// Pelvaro session (start, save-back, quit). This object keeps the
// properties, decides, and turns failures into the message to show.
//
// Observable properties notify only on a real change. The settings
// (folderMode, customFolderPath, activeProfileName) are stored on every
// assignment, changed or not.
class LauncherState final : public QObject
{
    Q_OBJECT

public:
    // How the constructor lists the profile folder. `orderedLater` leaves
    // the display order open, so that a window can be built meanwhile:
    // profiles() stays empty until finishFirstListing(), which the first
    // turn of the event loop calls in any case, and firstListingOrder()
    // may be run on another thread before then.
    enum class FirstListing
    {
        inOrder,
        orderedLater,
    };

    // The one instance of the process, on the desktop's own services. It is
    // made for the window, so its first listing is ordered later.
    static LauncherState& shared();

    // Whether the construction tries the folder's access with a probe file,
    // or leaves it to the caller: the window checks once it has painted,
    // and a start from the command line, which shows no folder's access,
    // never. A file made and removed costs more than anything else either
    // does before it is done (bench_ui, bench_e2estart).
    enum class AccessCheck
    {
        atConstruction,
        byCaller,
    };

    explicit LauncherState(const PlatformServices& services, QObject* parent = nullptr,
                           FirstListing firstListing = FirstListing::inOrder,
                           AccessCheck accessCheck = AccessCheck::atConstruction);
    ~LauncherState() override;
    Q_DISABLE_COPY_MOVE(LauncherState)

    // --- observable properties
    FolderMode folderMode() const { return m_folderMode; }
    void setFolderMode(FolderMode mode);
    QString customFolderPath() const { return m_customFolderPath; }
    void setCustomFolderPath(const QString& path);
    AccessStatus folderAccessStatus() const { return m_folderAccessStatus; }
    const QList<Profile>& profiles() const { return m_profiles; }
    // The listed profile at `url`, if the folder still holds it.
    std::optional<Profile> listedProfile(const QString& url) const;
    std::optional<QString> errorMessage() const { return m_errorMessage; }
    void setErrorMessage(const std::optional<QString>& message);
    std::optional<QString> activeProfileName() const { return m_activeProfileName; }
    void setActiveProfileName(const std::optional<QString>& name);
    bool isPelvaroRunning() const { return m_isPelvaroRunning; }
    std::optional<QString> runningPelvaroName() const { return m_runningPelvaroName; }
    bool pelvaroRunningWithUnknownProfile() const { return m_pelvaroRunningWithUnknownProfile; }
    const QList<QMetaObject::Connection>& workspaceObservers() const
    {
        return m_workspaceObservers;
    }
    const DirectoryWatch* folderMonitorSource() const;
    std::optional<QString> pendingNewProfileName() const { return m_pendingNewProfileName; }
    FileSystem& fm() const { return *m_services.fileSystem; }
    // Pelvaro was asked to open and has neither been seen running nor
    // failed to open, for up to `launchPendingMs`.
    bool isLaunchPending() const { return m_launchPendingTimer.isActive(); }
    static constexpr int launchPendingMs = 30000;

    // What the last save-back wrote, for a moment's notice and the way to
    // the profile's history.
    using SaveSummary = ::SaveSummary;
    std::optional<SaveSummary> lastSaveSummary() const { return m_lastSaveSummary; }

    // --- folder locations
    QString defaultFolderURL() const;
    std::optional<QString> currentFolderURL() const;
    void ensureDefaultFolderExists();

    // --- the profile folder
    void checkFolderAccess();
    void startFolderMonitor();
    void reloadProfiles();
    // Work that puts the first listing in order, for any one thread; it does
    // nothing once the listing is finished, dropped or already in order.
    std::function<void()> firstListingOrder() const;
    // Publishes the first listing, ordered here unless firstListingOrder()
    // has begun elsewhere, which this waits for. Does nothing when no first
    // listing is pending, or a newer listing replaced it.
    void finishFirstListing();

    // --- profile files
    std::optional<QString> validatedProfileFileName(const QString& typedName);
    void renameProfile(const Profile& profile, const QString& typedName);
    void duplicateProfile(const Profile& profile);
    void deleteProfile(const Profile& profile);
    // Adds an entry that starts the profile to the user's applications
    // menu; its path, or none after setting the error message.
    std::optional<QString> createShortcut(const Profile& profile);
    void chooseCustomFolder();
    // The profile's kept versions, newest first.
    QList<ProfileVersion> profileVersions(const Profile& profile) const;
    // The versions beside what replaced each, read.
    VersionHistory versionHistory(const Profile& profile) const;
    // The settings a profile file holds; none when it cannot be read.
    std::optional<PlistDictionary> settingsOf(const QString& profilePath) const;
    // Makes the version the profile's content; refused while Pelvaro runs
    // with that profile, whose save-back would overwrite it.
    void restoreProfileVersion(const Profile& profile, const ProfileVersion& version);
    // The listed profile that `copy`, a sync client's conflicting copy, is
    // a copy of; none when it is no such copy or its profile is not listed.
    std::optional<Profile> conflictTarget(const Profile& copy) const;
    // What merging the copy into its profile decides on, read; none after
    // setting the error message.
    std::optional<ConflictMerge::Plan> prepareConflictMerge(const Profile& copy,
                                                            const Profile& target);
    // Writes the choices into the profile and removes the copy; false after
    // setting the error message.
    bool mergeConflictCopy(const ConflictMerge::Plan& plan, const ConflictMerge::Choices& choices);
    void setFolderChooser(FolderChooser* chooser) { m_services.folderChooser = chooser; }

    // --- Pelvaro
    void startProfile(const Profile& profile);
    void launchPelvaro();
    std::optional<PlistDictionary> readPreferencesDomain();
    void saveActiveProfile();
    void createProfileFromCurrentPreferences(const QString& fileName);
    void refreshRunningState();
    void installWorkspaceObservers();
    void handleApplicationLaunched(const RunningApplication& application);
    void handleApplicationTerminated();
    void handlePelvaroQuit();
    void quitPelvaroAndCreateProfile(const QString& typedName);

signals:
    void folderModeChanged();
    void customFolderPathChanged();
    void folderAccessStatusChanged();
    void profilesChanged();
    void errorMessageChanged();
    void activeProfileNameChanged();
    void isPelvaroRunningChanged();
    void runningPelvaroNameChanged();
    void pelvaroRunningWithUnknownProfileChanged();
    void workspaceObserversChanged();
    void folderMonitorSourceChanged();
    void pendingNewProfileNameChanged();
    void lastSaveSummaryChanged();

private:
    void setFolderAccessStatus(const AccessStatus& status);
    void setProfiles(QList<Profile> profiles);
    void setIsPelvaroRunning(bool running);
    void setRunningPelvaroName(const std::optional<QString>& name);
    void setPelvaroRunningWithUnknownProfile(bool unknown);
    void setPendingNewProfileName(const std::optional<QString>& name);
    void setLaunchPending(bool pending);
    void switchFolder();
    // Writes Pelvaro's current preferences to `fileName` in `folder`: over
    // the profile for a save-back, as a new file for a new profile.
    void writeCurrentPreferences(bool saveBack, const QString& fileName,
                                 const std::optional<QString>& folder);
    bool isActiveProfileFile(const Profile& profile) const;
    void showNameProblem(NameProblem problem);
    static QString describe(const SessionFailure& failure);

    PlatformServices m_services;
    std::unique_ptr<ProfileFolder> m_folder;
    ProfileFiles m_files;
    ProfileVersions m_versions;
    ProfileShortcuts m_shortcuts;
    std::unique_ptr<PelvaroSession> m_session;

    FolderMode m_folderMode = FolderMode::defaultFolder;
    QString m_customFolderPath;
    AccessStatus m_folderAccessStatus;
    QList<Profile> m_profiles;
    // Shared with whichever thread orders it.
    std::shared_ptr<PendingListing> m_firstListing;
    std::optional<QString> m_errorMessage;
    std::optional<QString> m_activeProfileName;
    bool m_isPelvaroRunning = false;
    std::optional<QString> m_runningPelvaroName;
    bool m_pelvaroRunningWithUnknownProfile = false;
    QList<QMetaObject::Connection> m_workspaceObservers;
    std::optional<QString> m_pendingNewProfileName;
    std::optional<SaveSummary> m_lastSaveSummary;
    // Runs while a launch is pending.
    QTimer m_launchPendingTimer;

    // Where the save-back and a pending new profile go: the folders of the
    // moment the profile was started and the request was made, so that
    // switching folders while Pelvaro runs cannot redirect them.
    std::optional<QString> m_activeProfileFolder;
    std::optional<FileIdentity> m_activeProfileFolderIdentity;
    std::optional<QString> m_pendingNewProfileFolder;
};
