#pragma once

#include "platform/result.h"
#include "plist/plistvalue.h"

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
    // Fails with ErrorCode::locked when another program held the domain's
    // lock longer than a synchronise waits for it.
    [[nodiscard]] virtual Result<void> synchronize() = 0;
};
