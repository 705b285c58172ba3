#pragma once

#include "platform/filesystem.h"
#include "plist/plistreaderror.h"

#include <optional>

// Why a file gives no settings.
struct SettingsFailure
{
    enum class Problem
    {
        // The file could not be read; `error` says why.
        unreadable,
        // It is no property list.
        notAPropertyList,
        // A property list whose top is not a dictionary.
        notADictionary,
    };
    Problem problem = Problem::unreadable;
    std::optional<PlatformError> error;
    // Where and why a file that is no property list fails to read.
    std::optional<PlistReadError> syntax;
};

// The one way a profile, a kept version or a copy of Pelvaro's preferences
// is read: the settings dictionary, or why there is none.
namespace profile_settings {

Result<PlistDictionary, SettingsFailure> read(const FileSystem& fileSystem, const QString& path);
// The same from bytes already read.
Result<PlistDictionary, SettingsFailure> parse(const QByteArray& bytes);

} // namespace profile_settings
