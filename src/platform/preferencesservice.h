#pragma once

#include "platform/plistvalue.h"

#include <QStringList>

#include <optional>

// One preferences domain in the current-user / any-host scope.
class PreferencesService
{
public:
    virtual ~PreferencesService() = default;

    // The keys present, or none when the domain cannot be read.
    virtual std::optional<QStringList> copyKeyList() = 0;
    virtual PlistDictionary copyMultiple(const QStringList& keys) = 0;
    virtual void setMultiple(const PlistDictionary& keysToSet, const QStringList& keysToRemove) = 0;
    // Writes this process's pending changes and picks up those of others.
    virtual bool synchronize() = 0;

    enum class SyncFailure
    {
        None,
        // Another program held the domain's lock longer than a synchronise
        // waits for it.
        Locked,
        Other,
    };
    // Why the last synchronize() failed.
    virtual SyncFailure lastSyncFailure() const { return SyncFailure::None; }
};
