#pragma once

#include "platform/platformservices.h"
#include "platform/result.h"
#include "plist/plistvalue.h"

#include <QObject>

#include <optional>

struct ProfileVersion;
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
        // No application is installed under Pelvaro's bundle identifier.
        applicationNotFound,
        // The profile file could not be written.
        notWritten,
    };

    Problem problem = Problem::notWritten;
    std::optional<PlatformError> cause;
    // A save-back that could not write the profile wrote Pelvaro's settings
    // to this new file beside it, so that the session is not lost.
    std::optional<QString> savedInstead;
};

// What a save-back did besides writing the profile.
struct SaveOutcome
{
    // How many top-level settings the profile had otherwise before.
    qsizetype changedSettings = 0;
    // The version of the replaced content, or none when there was nothing
    // new to keep or keeping it failed (which never stops the save).
    std::optional<QString> keptVersion;
    // The profile changed elsewhere during the session (a synced folder),
    // and was merged: settings kept from there, and settings changed on
    // both sides, where this session's value went in and the other stays in
    // the kept version.
    qsizetype keptFromElsewhere = 0;
    qsizetype conflicts = 0;
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
    // Asks the workspace to open Pelvaro; how the opening ends is told by
    // launchFailed, or by Pelvaro appearing.
    [[nodiscard]] Result<void, SessionFailure> launch();
    // The whole domain as Pelvaro's preferences hold it now; none when it
    // is empty. Fails only when another program holds the preferences.
    Result<std::optional<PlistDictionary>, SessionFailure> readPreferencesDomain();
    // Writes Pelvaro's current preferences to the profile file at `target`.
    // What it replaces is kept as a version first. A profile changed since
    // the start applied it is merged with the session's settings, setting by
    // setting (PlistMerge), so that a change made elsewhere is not lost.
    Result<SaveOutcome, SessionFailure> writeCurrentPreferences(WriteMode mode,
                                                                const QString& target);
    // Makes a kept version the profile's content; the content it replaces
    // becomes a version in turn, so that a restore can be undone.
    Result<SaveOutcome, SessionFailure> restoreVersion(const QString& profilePath,
                                                       const ProfileVersion& version);

    static bool isPelvaro(const RunningApplication& application);
    // The running applications that are Pelvaro, in the order they started.
    QList<RunningApplication> runningInstances() const;
    void terminate(const QList<RunningApplication>& instances);

signals:
    void launchFailed(const PlatformError& error);

private:
    // What a start applied: the base of a save-back's merge.
    struct Applied
    {
        QByteArray bytes;
        PlistDictionary settings;
    };

    // Replaces the profile at `target` with `bytes`, keeping what it held as
    // a version first when that reads as settings. A failure to keep a
    // version is logged and never stops the save. With `base`, a profile
    // changed since then is merged first. The write goes through only while
    // the profile is still the one read; one replaced meanwhile is read and
    // merged again, a few times at most. With `saveElsewhere`, a failed
    // write saves the bytes beside the profile instead.
    Result<SaveOutcome, SessionFailure>
    replaceProfile(const QString& target, const QByteArray& bytes, const PlistDictionary& settings,
                   bool saveElsewhere, const std::optional<Applied>& base);
    // Writes `bytes` as a new profile beside `target`, named for what it
    // is; its path, or none when that fails too.
    std::optional<QString> saveInstead(const QString& target, const QByteArray& bytes);

    PlatformServices m_services;
    std::optional<Applied> m_applied;
};
