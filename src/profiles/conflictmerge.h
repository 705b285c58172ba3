#pragma once

#include "platform/filesystem.h"
#include "plist/plistvalue.h"
#include "profiles/profilesettings.h"

#include <QHash>

#include <optional>

// Folds a sync client's conflicting copy into its profile: the user picks,
// for each setting that differs, the profile's value or the copy's. The
// profile is written only while it is the file that was read; what it held
// and what the copy held both stay as versions of the profile, and the copy
// goes.
class ConflictMerge final
{
public:
    // One setting that differs: a side that lacks it has no value.
    struct Setting
    {
        QString key;
        std::optional<PlistValue> profileValue;
        std::optional<PlistValue> copyValue;
    };

    // What a merge is decided on, as read.
    struct Plan
    {
        QString profilePath;
        QString copyPath;
        FileContent profileContent;
        FileContent copyContent;
        PlistDictionary profileSettings;
        // In the profile's order, then the copy's own settings.
        QList<Setting> differing;
        // The copy was written after the profile: its values are the
        // likelier choice.
        bool copyIsNewer = false;
    };

    // Why a merge cannot be prepared or carried out.
    struct Failure
    {
        enum class Problem
        {
            // The profile or the copy gives no settings; `settings` says why.
            unreadable,
            // A file changed while the user decided: nothing was written.
            changedMeanwhile,
            // Writing or keeping a version failed; `error` says why.
            notWritten,
        };
        Problem problem = Problem::notWritten;
        QString path;
        std::optional<SettingsFailure> settings;
        std::optional<PlatformError> error;
    };

    // The chosen value for each differing setting; none removes it.
    using Choices = QHash<QString, std::optional<PlistValue>>;

    explicit ConflictMerge(FileSystem& fileSystem) : m_fileSystem(fileSystem) {}

    Result<Plan, Failure> prepare(const QString& profilePath, const QString& copyPath) const;
    // The profile's settings with the choices made; a setting without a
    // choice keeps the profile's value.
    static PlistDictionary merged(const Plan& plan, const Choices& choices);
    Result<void, Failure> apply(const Plan& plan, const Choices& choices);

private:
    FileSystem& m_fileSystem;
};
