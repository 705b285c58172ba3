#include "profiles/folderlocation.h"

#include "platform/filepath.h"
#include "platform/filesystem.h"
#include "platform/userdefaults.h"
#include "profiles/foldermode.h"

QString folder_location::defaultFolder(const PlatformServices& services)
{
    const QString base =
        services.applicationSupportPath.isEmpty()
            ? file_path::appending(services.homePath, QStringLiteral("Library/Application Support"))
            : services.applicationSupportPath;
    return file_path::appending(base, QStringLiteral("Pelvaro Launcher"));
}

std::optional<QString> folder_location::fromSettings(const PlatformServices& services)
{
    const std::optional<QString> mode = services.userDefaults->stringForKey(folderModeKey);
    if (mode != folder_mode::rawValue(FolderMode::custom))
        return defaultFolder(services);
    const QString path =
        services.userDefaults->stringForKey(customFolderPathKey).value_or(QString());
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

Result<void> folder_location::ensureDefaultFolder(const PlatformServices& services)
{
    const QString folder = defaultFolder(services);
    if (services.fileSystem->exists(folder))
        return {};
    return services.fileSystem->createDirectory(folder);
}
