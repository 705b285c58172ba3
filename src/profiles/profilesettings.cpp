#include "profiles/profilesettings.h"

#include "plist/plistreader.h"

Result<PlistDictionary, SettingsFailure> profile_settings::parse(const QByteArray& bytes)
{
    const PlistReadResult root = PlistReader::read(bytes);
    if (!root)
        return SettingsFailure{SettingsFailure::Problem::notAPropertyList, std::nullopt,
                               root.error()};
    if (!root->isDictionary())
        return SettingsFailure{SettingsFailure::Problem::notADictionary, std::nullopt,
                               std::nullopt};
    return root->toDictionary();
}

Result<PlistDictionary, SettingsFailure> profile_settings::read(const FileSystem& fileSystem,
                                                                const QString& path)
{
    const Result<QByteArray> bytes = fileSystem.readFile(path);
    if (!bytes)
        return SettingsFailure{SettingsFailure::Problem::unreadable, bytes.error(), std::nullopt};
    return parse(*bytes);
}
