#pragma once

#include "platform/platformservices.h"
#include "platform/result.h"
#include "plist/plistvalue.h"

#include <QObject>

#include <optional>

struct RunningApplication;

// Why a step of a Pelvaro session failed; `cause` is the platform's error
// when one lies underneath.
struct SessionFailure
{
    enum class Problem
    {
        // The profile file cannot be read or holds no dictionary.
        profileUnreadable,
        // The preferences could not be written.
        notApplied,
        // Another program holds the preferences' lock.
        preferencesLocked,
        // Neither the domain nor Pelvaro's preferences file has settings.
        noPreferences,
        // Pelvaro's preferences file holds no dictionary.
        preferencesUnreadable,
        // A new profile's name was taken meanwhile.
        targetExists,
        // The profile file could not be written.
        notWritten,
    };

    Problem problem = Problem::notWritten;
    std::optional<PlatformError> cause;
};

// What a save-back did besides writing the profile.
struct SaveOutcome
{
    // How many top-level settings the profile had otherwise before.
    qsizetype changedSettings = 0;
    // The version of the replaced content, or none when there was nothing
    // new to keep or keeping it failed (which never stops the save).
    std::optional<QString> keptVersion;
};

// Pelvaro's side of the launcher: its preferences made equal to a profile,
// the application opened, its settings written back into a profile file,
// and its running instances found and asked to quit.
class PelvaroSession final : public QObject
{
    Q_OBJECT

public:
    enum class WriteMode
    {
        // Replaces the profile as a whole, or keeps it as it was.
        replace,
        // Creates the profile; never replaces a file that holds the name.
        create,
    };

    explicit PelvaroSession(const PlatformServices& services, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(PelvaroSession)

    // Makes Pelvaro's preferences exactly the profile's settings.
    Result<void, SessionFailure> applyProfile(const QString& profilePath);
    // Asks the desktop to open Pelvaro; false when it is not installed. A
    // failure to open comes later, as launchFailed().
    bool launch();
    // The whole domain as Pelvaro's preferences hold it now; none when it
    // is empty. Fails only when another program holds the preferences.
    Result<std::optional<PlistDictionary>, SessionFailure> readPreferencesDomain();
    // Writes Pelvaro's current preferences to the profile file at `target`.
    // What it replaces is kept as a version first.
    Result<SaveOutcome, SessionFailure> writeCurrentPreferences(WriteMode mode,
                                                                const QString& target);
    // Makes a kept version the profile's content; the content it replaces
    // becomes a version in turn, so that a restore can be undone.
    Result<SaveOutcome, SessionFailure> restoreVersion(const QString& profilePath,
                                                       const QString& versionPath);

    static bool isPelvaro(const RunningApplication& application);
    // The running applications that are Pelvaro, in the order they started.
    QList<RunningApplication> runningInstances() const;
    void terminate(const QList<RunningApplication>& instances);

signals:
    void launchFailed(const PlatformError& error);

private:
    // Keeps what `target` holds now as a version; logs, and goes on, when
    // that fails. The profile's settings before, for counting the changes.
    PlistDictionary keepCurrentContent(const QString& target, SaveOutcome& outcome);

    PlatformServices m_services;
};
