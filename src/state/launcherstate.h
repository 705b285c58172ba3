#pragma once

#include "platform/filesystem.h"
#include "platform/platformservices.h"
#include "platform/plistvalue.h"
#include "state/accessstatus.h"
#include "state/foldermode.h"
#include "state/profile.h"

#include <QElapsedTimer>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class DirectoryWatch;
struct RunningApplication;

// Everything the launcher knows: where the profile folder is and whether it
// can be used, its profiles, the profile started last, whether Pelvaro runs,
// and the last error to show. Confined to the main thread.
//
// Observable properties notify only on a real change. The settings
// (folderMode, customFolderPath, activeProfileName) are stored on every
// assignment, changed or not.
class LauncherState : public QObject
{
    Q_OBJECT

public:
    // The one instance of the process, on the desktop's own services.
    static LauncherState& shared();

    explicit LauncherState(const PlatformServices& services, QObject* parent = nullptr);
    ~LauncherState() override;

    // --- observable properties
    FolderMode folderMode() const { return m_folderMode; }
    void setFolderMode(FolderMode mode);
    QString customFolderPath() const { return m_customFolderPath; }
    void setCustomFolderPath(const QString& path);
    AccessStatus folderAccessStatus() const { return m_folderAccessStatus; }
    const QList<Profile>& profiles() const { return m_profiles; }
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
    const DirectoryWatch* folderMonitorSource() const { return m_folderMonitorSource.get(); }
    std::optional<QString> pendingNewProfileName() const { return m_pendingNewProfileName; }
    FileSystem& fm() const { return *m_services.fileSystem; }
    // Pelvaro was asked to open and has neither been seen running nor
    // failed to open, for up to `launchPendingMs`.
    bool isLaunchPending() const { return m_launchPendingTimer.isActive(); }
    static constexpr int launchPendingMs = 30000;

    // --- folder locations
    QString defaultFolderURL() const;
    static QString defaultFolderFor(const PlatformServices& services);
    // The folder the stored settings point at, read without building a
    // state object (which would clear the stored active profile).
    static std::optional<QString> folderFromSettings(const PlatformServices& services);
    std::optional<QString> currentFolderURL() const;
    void ensureDefaultFolderExists();

    // --- the profile folder
    void checkFolderAccess();
    void startFolderMonitor();
    void reloadProfiles();

    // --- profile files
    std::optional<QString> validatedProfileFileName(const QString& typedName);
    void renameProfile(const Profile& profile, const QString& typedName);
    void duplicateProfile(const Profile& profile);
    void deleteProfile(const Profile& profile);
    void chooseCustomFolder();
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

private:
    enum class ProfileWriter
    {
        save,
        create
    };

    void setFolderAccessStatus(const AccessStatus& status);
    void setProfiles(QList<Profile> profiles);
    void setIsPelvaroRunning(bool running);
    void setRunningPelvaroName(const std::optional<QString>& name);
    void setPelvaroRunningWithUnknownProfile(bool unknown);
    void setPendingNewProfileName(const std::optional<QString>& name);
    void setLaunchPending(bool pending);
    void setFolderMonitorSource(std::unique_ptr<DirectoryWatch> source);
    void switchFolder();
    void handleFolderEvents(int events);
    void reloadForFolderEvents();
    void writeCurrentPreferences(ProfileWriter writer, const QString& fileName,
                                 const std::optional<QString>& folder);
    bool isActiveProfileFile(const Profile& profile) const;
    static QString lockedPreferencesDescription();

    PlatformServices m_services;

    FolderMode m_folderMode = FolderMode::defaultFolder;
    QString m_customFolderPath;
    AccessStatus m_folderAccessStatus;
    QList<Profile> m_profiles;
    std::optional<QString> m_errorMessage;
    std::optional<QString> m_activeProfileName;
    bool m_isPelvaroRunning = false;
    std::optional<QString> m_runningPelvaroName;
    bool m_pelvaroRunningWithUnknownProfile = false;
    QList<QMetaObject::Connection> m_workspaceObservers;
    std::unique_ptr<DirectoryWatch> m_folderMonitorSource;
    std::optional<QString> m_pendingNewProfileName;
    // Listing a large folder again after a batch of its events waits this
    // many times as long as the last listing took, or for a quiet moment.
    static constexpr int folderReloadRestFactor = 5;
    static constexpr int folderQuietMs = 50;
    QTimer m_folderQuietTimer;
    QElapsedTimer m_folderReloadClock;
    qint64 m_folderReloadCostNs = 0;
    // Runs while a launch is pending.
    QTimer m_launchPendingTimer;

    // Where the save-back and a pending new profile go: the folders of the
    // moment the profile was started and the request was made, so that
    // switching folders while Pelvaro runs cannot redirect them.
    std::optional<QString> m_activeProfileFolder;
    std::optional<FileIdentity> m_activeProfileFolderIdentity;
    std::optional<QString> m_pendingNewProfileFolder;
};
