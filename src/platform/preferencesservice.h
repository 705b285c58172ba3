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
    enum class Flush
    {
        now,
        // When the file system's flushWrites() is called: for a domain made
        // equal to content that another file keeps safe meanwhile.
        later,
    };

    // Writes this process's pending changes and picks up those of others.
    // Fails with ErrorCode::locked when another program held the domain's
    // lock longer than a synchronise waits for it.
    [[nodiscard]] virtual Result<void> synchronize(Flush flush) = 0;
    [[nodiscard]] Result<void> synchronize() { return synchronize(Flush::now); }
};
